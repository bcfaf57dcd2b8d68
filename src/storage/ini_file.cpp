#include "storage/ini_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <utility>
#include <vector>

namespace qmx {
namespace {

// Settings files are a few hundred bytes; anything this large is not one of
// ours, and holding it in memory on every call would hurt.
constexpr size_t kMaxFileSize = size_t{64} << 20;
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kBlanks = " \t\r\v\f";

std::string_view Trim(std::string_view text) {
  const size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  const size_t last = text.find_last_not_of(kBlanks);
  return text.substr(first, last - first + 1);
}

char AsciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

// ---------------------------------------------------------------------------
// Reading the bytes.

enum class FileState {
  kMissing,  // nothing there yet: reads give defaults, a write creates it
  kLoaded,
  kUnusable,  // something we cannot read: reads give defaults, never written
};

struct FileBytes {
  FileState state = FileState::kMissing;
  std::string bytes;
};

FileBytes LoadFile(const std::string& path) {
  FileBytes result;
  // Non-blocking so that a FIFO put in place of a settings file cannot hang
  // the start-up; it is refused below anyway.
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) {
    result.state =
        (errno == ENOENT || errno == ENOTDIR) ? FileState::kMissing : FileState::kUnusable;
    return result;
  }
  result.state = FileState::kUnusable;
  struct stat info {};
  if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
      static_cast<uintmax_t>(info.st_size) <= kMaxFileSize) {
    std::string bytes;
    bytes.reserve(static_cast<size_t>(info.st_size));
    char buffer[8192];
    bool ok = true;
    for (;;) {
      const ssize_t got = read(fd, buffer, sizeof buffer);
      if (got < 0 && errno == EINTR) continue;
      if (got < 0 || bytes.size() + static_cast<size_t>(got) > kMaxFileSize) {
        ok = false;
        break;
      }
      if (got == 0) break;
      bytes.append(buffer, static_cast<size_t>(got));
    }
    // A UTF-16 file (Notepad's "Unicode") cannot take UTF-8 lines without
    // becoming unreadable everywhere, so it is left alone.
    const bool utf16 = bytes.size() >= 2 && ((bytes[0] == '\xFF' && bytes[1] == '\xFE') ||
                                             (bytes[0] == '\xFE' && bytes[1] == '\xFF'));
    if (ok && !utf16) {
      result.state = FileState::kLoaded;
      result.bytes = std::move(bytes);
    }
  }
  close(fd);
  return result;
}

// ---------------------------------------------------------------------------
// The file as lines.

struct Line {
  std::string text;  // without its line end
  std::string eol;   // "\n", "\r\n" or "" for an unterminated last line
};

struct Document {
  bool bom = false;
  std::string eol_style = "\n";  // for lines we add: that of the file's first line
  std::vector<Line> lines;
};

Document Parse(std::string_view bytes) {
  Document doc;
  if (bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
    doc.bom = true;
    bytes.remove_prefix(kUtf8Bom.size());
  }
  bool style_known = false;
  while (!bytes.empty()) {
    const size_t newline = bytes.find('\n');
    Line line;
    if (newline == std::string_view::npos) {
      line.text = std::string(bytes);
      bytes = {};
    } else {
      std::string_view text = bytes.substr(0, newline);
      if (!text.empty() && text.back() == '\r') {
        text.remove_suffix(1);
        line.eol = "\r\n";
      } else {
        line.eol = "\n";
      }
      line.text = std::string(text);
      bytes.remove_prefix(newline + 1);
      if (!style_known) {
        doc.eol_style = line.eol;
        style_known = true;
      }
    }
    doc.lines.push_back(std::move(line));
  }
  return doc;
}

std::string Serialize(const Document& doc) {
  std::string out;
  if (doc.bom) out.append(kUtf8Bom);
  for (const Line& line : doc.lines) {
    out.append(line.text);
    out.append(line.eol);
  }
  return out;
}

// "[name]" (blanks allowed around and inside the brackets); nullopt for any
// other line.
std::optional<std::string_view> SectionName(std::string_view text) {
  text = Trim(text);
  if (text.empty() || text.front() != '[') return std::nullopt;
  const size_t close = text.find(']');
  if (close == std::string_view::npos) return std::nullopt;
  return Trim(text.substr(1, close - 1));
}

// The key of a "key=value" line; nullopt for comments and lines without "=".
std::optional<std::string_view> KeyName(std::string_view text) {
  const std::string_view trimmed = Trim(text);
  if (trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '#') return std::nullopt;
  const size_t equals = text.find('=');
  if (equals == std::string_view::npos) return std::nullopt;
  return Trim(text.substr(0, equals));
}

struct Location {
  std::optional<size_t> key_line;       // the key's line, when present
  std::optional<size_t> section_line;   // header of the first such section
  std::optional<size_t> last_key_line;  // last key line of that section
};

Location Locate(const Document& doc, std::string_view section, std::string_view key) {
  Location where;
  bool in_section = false;
  bool in_first_section = false;
  for (size_t i = 0; i < doc.lines.size(); ++i) {
    const std::string& text = doc.lines[i].text;
    if (const auto name = SectionName(text)) {
      in_section = SameName(*name, section);
      in_first_section = in_section && !where.section_line;
      if (in_first_section) where.section_line = i;
      continue;
    }
    if (!in_section) continue;
    const auto name = KeyName(text);
    if (!name) continue;
    if (in_first_section) where.last_key_line = i;
    if (SameName(*name, key)) {
      where.key_line = i;
      return where;
    }
  }
  return where;
}

// ---------------------------------------------------------------------------
// Replacing the file.

bool WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t put = write(fd, data.data(), data.size());
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    data.remove_prefix(static_cast<size_t>(put));
  }
  return true;
}

std::string TempSuffix() {
  static std::atomic<uint64_t> counter{0};
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  uint64_t mix = static_cast<uint64_t>(now.tv_nsec) ^ (static_cast<uint64_t>(now.tv_sec) << 30) ^
                 (static_cast<uint64_t>(getpid()) << 40) ^
                 (counter.fetch_add(1) * 0x9E3779B97F4A7C15u);
  static constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
  std::string suffix;
  for (int i = 0; i < 8; ++i) {
    suffix.push_back(kDigits[mix % 36]);
    mix /= 36;
  }
  return suffix;
}

bool ReplaceFile(const std::string& path, std::string_view contents) {
  std::string target = path;
  struct stat link_info {};
  if (lstat(path.c_str(), &link_info) == 0 && S_ISLNK(link_info.st_mode)) {
    // Replacing the link itself would cut an operator's shared settings
    // file loose from this directory.
    if (char* resolved = realpath(path.c_str(), nullptr)) {
      target = resolved;
      free(resolved);
    }
  }
  const size_t slash = target.rfind('/');
  const std::string directory =
      slash == std::string::npos ? "." : (slash == 0 ? "/" : target.substr(0, slash));
  const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);

  struct stat old_info {};
  const bool replacing = stat(target.c_str(), &old_info) == 0;

  std::string temp;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temp = directory + "/." + base + "." + TempSuffix() + ".tmp";
    // Private until its permissions are those of the file it replaces.
    fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, replacing ? 0600 : 0666);
    if (fd < 0 && errno != EEXIST) return false;
  }
  if (fd < 0) return false;

  bool ok = WriteAll(fd, contents);
  if (ok && replacing) {
    // Run as root the program must not take the operator's file over; for
    // anyone else the call fails harmlessly.
    [[maybe_unused]] const int owner_kept = fchown(fd, old_info.st_uid, old_info.st_gid);
    ok = fchmod(fd, old_info.st_mode & 07777) == 0;
  }
  ok = ok && fsync(fd) == 0;
  ok = (close(fd) == 0) && ok;
  ok = ok && rename(temp.c_str(), target.c_str()) == 0;
  if (!ok) {
    unlink(temp.c_str());
    return false;
  }
  // Make the rename itself durable.  Some file systems refuse to sync a
  // directory; the new file is in place either way.
  const int dir_fd = open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir_fd >= 0) {
    fsync(dir_fd);
    close(dir_fd);
  }
  return true;
}

bool HasLineBreakOrNul(std::string_view text) {
  return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

bool ValidSection(std::string_view section) {
  return !section.empty() && !HasLineBreakOrNul(section) &&
         section.find(']') == std::string_view::npos;
}

bool ValidKey(std::string_view key) {
  return !key.empty() && !HasLineBreakOrNul(key) && key.find('=') == std::string_view::npos &&
         key.front() != '[' && key.front() != ';' && key.front() != '#';
}

}  // namespace

bool SameIniName(std::string_view a, std::string_view b) {
  return SameName(a, b);
}

std::optional<int32_t> ParseIniInteger(std::string_view text) {
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  bool hex = false;
  if (!text.empty() && text.front() == '$') {
    hex = true;
    text.remove_prefix(1);
  } else if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    hex = true;
    text.remove_prefix(2);
  }
  if (text.empty()) return std::nullopt;
  uint64_t magnitude = 0;
  const uint64_t limit = hex ? 0xFFFFFFFFu : (negative ? 2147483648u : 2147483647u);
  for (const char c : text) {
    int digit;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (hex && c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else if (hex && c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else {
      return std::nullopt;
    }
    magnitude = magnitude * (hex ? 16 : 10) + static_cast<uint64_t>(digit);
    if (magnitude > limit) return std::nullopt;
  }
  const uint32_t bits = static_cast<uint32_t>(magnitude);
  return static_cast<int32_t>(negative ? 0u - bits : bits);
}

IniFile::IniFile(std::string path) : path_(std::move(path)) {}

std::optional<std::string> IniFile::FindRaw(std::string_view section, std::string_view key) const {
  const FileBytes file = LoadFile(path_);
  if (file.state != FileState::kLoaded) return std::nullopt;
  const Document doc = Parse(file.bytes);
  const Location where = Locate(doc, Trim(section), Trim(key));
  if (!where.key_line) return std::nullopt;
  const std::string& text = doc.lines[*where.key_line].text;
  return text.substr(text.find('=') + 1);
}

std::string IniFile::ReadRawString(std::string_view section, std::string_view key,
                                   std::string_view default_value) const {
  std::optional<std::string> raw = FindRaw(section, key);
  return raw ? std::move(*raw) : std::string(default_value);
}

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                std::string_view default_value) const {
  const std::optional<std::string> raw = FindRaw(section, key);
  if (!raw) return std::string(default_value);
  std::string_view value = Trim(*raw);
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return std::string(value);
}

int32_t IniFile::ReadInteger(std::string_view section, std::string_view key,
                             int32_t default_value) const {
  const std::optional<std::string> raw = FindRaw(section, key);
  if (!raw) return default_value;
  return ParseIniInteger(Trim(*raw)).value_or(default_value);
}

std::vector<std::string> IniFile::SectionNames() const {
  std::vector<std::string> names;
  const FileBytes file = LoadFile(path_);
  if (file.state != FileState::kLoaded) return names;
  for (const Line& line : Parse(file.bytes).lines) {
    if (const auto name = SectionName(line.text)) names.emplace_back(*name);
  }
  return names;
}

bool IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  section = Trim(section);
  key = Trim(key);
  if (!ValidSection(section) || !ValidKey(key) || HasLineBreakOrNul(value)) return false;

  const FileBytes file = LoadFile(path_);
  if (file.state == FileState::kUnusable) return false;
  Document doc = Parse(file.bytes);
  const Location where = Locate(doc, section, key);

  std::string key_line = std::string(key) + "=" + std::string(value);
  if (where.key_line) {
    std::string& text = doc.lines[*where.key_line].text;
    std::string updated = text.substr(0, text.find('=') + 1) + std::string(value);
    if (updated == text) return true;  // already on disk as asked
    text = std::move(updated);
  } else {
    // The line we add after must end, or the two would run together.
    auto insert_after = [&doc](size_t index, std::vector<Line> added) {
      if (index < doc.lines.size() && doc.lines[index].eol.empty()) {
        doc.lines[index].eol = doc.eol_style;
      }
      doc.lines.insert(doc.lines.begin() + static_cast<std::ptrdiff_t>(index + 1),
                       std::make_move_iterator(added.begin()),
                       std::make_move_iterator(added.end()));
    };
    if (where.section_line) {
      insert_after(where.last_key_line.value_or(*where.section_line),
                   {Line{std::move(key_line), doc.eol_style}});
    } else {
      std::vector<Line> added{Line{"[" + std::string(section) + "]", doc.eol_style},
                              Line{std::move(key_line), doc.eol_style}};
      if (doc.lines.empty()) {
        doc.lines = std::move(added);
      } else {
        insert_after(doc.lines.size() - 1, std::move(added));
      }
    }
  }
  return ReplaceFile(path_, Serialize(doc));
}

bool IniFile::WriteInteger(std::string_view section, std::string_view key, int32_t value) {
  return WriteString(section, key, std::to_string(value));
}

bool WriteFileAtomically(const std::string& path, std::string_view contents) {
  return ReplaceFile(path, contents);
}

}  // namespace qmx
