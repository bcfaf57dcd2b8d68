#include "storage/settings_files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <vector>

#include "storage/ini_file.h"

namespace qmx {
namespace {

constexpr std::string_view kComSection = "COM_SETTINGS";
constexpr std::string_view kDeviceSection = "DEVICE";
constexpr std::string_view kSettingsSection = "SETTINGS";
constexpr std::string_view kLogSection = "LOG";
constexpr std::string_view kTimeOutsSection = "TIME_OUTS";
constexpr std::string_view kDefaultLineText = "19200,N,8,1";

// Key suffixes of "to.dat": codes 3..10, then the pair for any other code.
constexpr std::array<std::string_view, 9> kTimeoutSuffixes = {
    "1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200", "DF"};

bool FileExists(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 || errno != ENOENT;
}

// The program keeps these values in 16-bit words: whatever the file says is
// cut to its low 16 bits first, and only then checked.  A negative number
// has no meaning in any of them (cut, "TimeOut=-5" would wait 65531 ms): it
// is taken as the key's default, like any other value out of range.
uint16_t ReadWord(const IniFile& ini, std::string_view section, std::string_view key,
                  uint16_t default_value) {
  const int32_t value = ini.ReadInteger(section, key, default_value);
  return value < 0 ? default_value : static_cast<uint16_t>(value);
}

TimeoutPair& PairOfIndex(TimeoutTable& table, size_t index) {
  return index < table.by_code.size() ? table.by_code[index] : table.fallback;
}

}  // namespace

std::string CurrentDirectory() {
  std::vector<char> buffer(256);
  for (;;) {
    if (getcwd(buffer.data(), buffer.size()) != nullptr) return std::string(buffer.data());
    if (errno != ERANGE || buffer.size() > (size_t{1} << 20)) return ".";
    buffer.resize(buffer.size() * 2);
  }
}

std::string JoinPath(const std::string& dir, const std::string& name) {
  if (dir.empty()) return name;
  if (dir.back() == '/') return dir + name;
  return dir + "/" + name;
}

void ParseLineSettingsText(std::string_view text, uint16_t* baud_code, uint16_t* parity_code) {
  static constexpr std::array<std::string_view, 8> kBaudTexts = {
      "1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200"};
  uint16_t baud = 7;
  for (size_t i = 0; i < kBaudTexts.size(); ++i) {
    if (text.find(kBaudTexts[i]) != std::string_view::npos) baud = static_cast<uint16_t>(i + 3);
  }
  uint16_t parity = 0;
  if (text.find('N') != std::string_view::npos) parity = 0;
  if (text.find('E') != std::string_view::npos) parity = 2;
  if (text.find('O') != std::string_view::npos) parity = 1;
  if (baud_code != nullptr) *baud_code = baud;
  if (parity_code != nullptr) *parity_code = parity;
}

void LoadLinkSettings(LinkSettings& settings, const std::string& directory) {
  const std::string path = JoinPath(directory, "dev.dat");
  IniFile ini(path);
  // The retry settings and the log file name are not written here: they
  // join the file through the write-back below.
  if (!FileExists(path)) {
    ini.WriteInteger(kComSection, "Number", 1);
    ini.WriteString(kComSection, "Settings", kDefaultLineText);
    ini.WriteInteger(kComSection, "DELY", 0);
    ini.WriteInteger(kDeviceSection, "NetAdrr", 1);
    ini.WriteInteger(kSettingsSection, "TimeOut", 2000);
    ini.WriteInteger(kSettingsSection, "TimeGapDev", 0);
    ini.WriteInteger(kSettingsSection, "TimeGapPrg", 0);
    ini.WriteInteger(kLogSection, "UseLogFile", 0);
  }

  // Each value goes back to the file after its correction, so the file shows
  // what the program actually uses.
  auto read_word = [&ini](std::string_view section, std::string_view key, uint16_t default_value,
                          auto correct) {
    const uint16_t value = correct(ReadWord(ini, section, key, default_value));
    ini.WriteInteger(section, key, value);
    return value;
  };
  auto as_read = [](uint16_t value) { return value; };
  auto at_most_255 = [](uint16_t value) { return value > 255 ? uint16_t{255} : value; };

  // No attempt at all would leave every transaction failing unseen.
  settings.retry_limit = read_word(kSettingsSection, "Reask_val", 2,
                                   [](uint16_t value) { return value == 0 ? uint16_t{1} : value; });
  settings.retry_mask = read_word(kSettingsSection, "read_hold_reg_err_msk", 127, as_read);
  settings.line.port_number = read_word(kComSection, "Number", 1, as_read);

  const std::string line_text = ini.ReadString(kComSection, "Settings", kDefaultLineText);
  ParseLineSettingsText(line_text, &settings.line.baud_code, &settings.line.parity_code);
  ini.WriteString(kComSection, "Settings", line_text);

  settings.line.network_address = read_word(kDeviceSection, "NetAdrr", 1, [](uint16_t value) {
    return value == 0 || value > 255 ? uint16_t{1} : value;
  });
  settings.dely = read_word(kComSection, "DELY", 0, as_read);
  settings.line.timeout = read_word(kSettingsSection, "TimeOut", 2000, as_read);
  settings.use_log_file = read_word(kLogSection, "UseLogFile", 1, as_read);

  settings.log_file_name =
      ini.ReadString(kLogSection, "LogFileName", JoinPath(directory, "COM.txt"));
  ini.WriteString(kLogSection, "LogFileName", settings.log_file_name);

  settings.time_gap_dev = read_word(kSettingsSection, "TimeGapDev", 0, at_most_255);
  settings.time_gap_prg = read_word(kSettingsSection, "TimeGapPrg", 0, at_most_255);

  settings.proposed_baud_code = settings.line.baud_code;
  settings.proposed_parity_code = settings.line.parity_code;
  settings.proposed_address = settings.line.network_address;
}

void LoadLinkSettings(LinkSettings& settings) {
  LoadLinkSettings(settings, CurrentDirectory());
}

void LoadTimeouts(TimeoutTable& table, const std::string& directory) {
  static constexpr uint16_t kDefaults[] = {192, 96, 48, 24, 24, 24, 24, 24, 192};
  const std::string path = JoinPath(directory, "to.dat");
  IniFile ini(path);
  constexpr std::array<std::string_view, 2> kPrefixes = {"RTTM", "RIT"};
  auto key_of = [](std::string_view prefix, size_t index) {
    return std::string(prefix) + std::string(kTimeoutSuffixes[index]);
  };
  if (!FileExists(path)) {
    for (const std::string_view prefix : kPrefixes) {
      for (size_t i = 0; i < kTimeoutSuffixes.size(); ++i) {
        ini.WriteInteger(kTimeOutsSection, key_of(prefix, i), kDefaults[i]);
      }
    }
  }
  for (const std::string_view prefix : kPrefixes) {
    const bool multiplier = prefix == kPrefixes[0];
    for (size_t i = 0; i < kTimeoutSuffixes.size(); ++i) {
      const std::string key = key_of(prefix, i);
      const uint16_t value = ReadWord(ini, kTimeOutsSection, key, kDefaults[i]);
      ini.WriteInteger(kTimeOutsSection, key, value);
      TimeoutPair& pair = PairOfIndex(table, i);
      (multiplier ? pair.multiplier : pair.interval) = value;
    }
  }
}

void LoadTimeouts(TimeoutTable& table) {
  LoadTimeouts(table, CurrentDirectory());
}

}  // namespace qmx
