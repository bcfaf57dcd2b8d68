#include "config/configuration.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <fstream>
#include <sstream>

#include "blocks/block_catalog.h"
#include "blocks/exchange_parameters.h"
#include "link/exchange_status.h"
#include "link/line_text.h"
#include "link/serial_port.h"
#include "registers/value_formats.h"
#include "storage/ini_file.h"

namespace qmx {
namespace {

constexpr uint16_t kProtectionBit = 0x8000;
constexpr std::string_view kIdentityKey = "identity";
constexpr std::string_view kExchangeKey = "exchange";
// A configuration file is a few kilobytes; anything far beyond is not one.
constexpr size_t kLargestFile = 1 << 20;

// Registers an operation's transactions cover, in order.
std::vector<uint16_t> PartRegisters(const ConfigPart& part) {
  std::vector<uint16_t> regs;
  for (const Transaction& t : part.operation->transactions) {
    for (unsigned i = 0; i < t.count; ++i) regs.push_back(static_cast<uint16_t>(t.start + i));
  }
  return regs;
}

uint16_t WordAt(const RegisterWords& words, uint16_t reg) {
  const auto it = words.find(reg);
  return it == words.end() ? 0 : it->second;
}

// The identity's words: model, factory number (upper word first), software
// version.  Which registers hold them is the identity block's: the fields of
// its read, in order.
ConfigurationHeader HeaderOf(const RegisterWords& identity, const ConfigPart& part) {
  ConfigurationHeader header;
  const std::vector<ShownValue> shown = ShowWords(*part.operation, identity);
  // The model, the factory number's two words, the hardware and the
  // software version, then the date.
  if (shown.size() >= 5) {
    header.model = WordAt(identity, shown[0].reg);
    header.factory_number = static_cast<uint32_t>(WordAt(identity, shown[1].reg)) << 16 |
                            WordAt(identity, shown[2].reg);
    header.software_version = WordAt(identity, shown[4].reg);
  }
  return header;
}

bool WordsDiffer(const ConfigPart& part, const RegisterWords& a, const RegisterWords& b) {
  for (const uint16_t reg : PartRegisters(part)) {
    if (FixedWord(*part.operation, reg)) continue;  // always sent as the same word
    const auto ia = a.find(reg);
    const auto ib = b.find(reg);
    if (ia == a.end() || ib == b.end() || ia->second != ib->second) return true;
  }
  return false;
}

std::string Trim(std::string_view text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const size_t last = text.find_last_not_of(" \t");
  return std::string(text.substr(first, last - first + 1));
}

template <typename Number>
bool ParseNumber(std::string_view text, Number& value, int base = 10) {
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value, base);
  return ec == std::errc() && ptr == end && !text.empty();
}

std::string AtLine(size_t line, std::string_view what) {
  return "строка " + std::to_string(line) + ": " + std::string(what);
}

}  // namespace

const ConfigPart* FindConfigPart(std::string_view key) {
  for (const ConfigPart& part : ConfigurationParts()) {
    if (part.key == key) return &part;
  }
  return nullptr;
}

std::string_view GroupName(ConfigGroup group) {
  switch (group) {
    case ConfigGroup::kSettings:
      return "Настройки";
    case ConfigGroup::kLine:
      return "Параметры обмена";
    case ConfigGroup::kCalibration:
      return "Калибровка";
    case ConfigGroup::kIdentity:
      return "Идентификация";
    case ConfigGroup::kPassword:
      return "Пароль";
  }
  return {};
}

std::string PartCaption(const ConfigPart& part) {
  std::string caption;
  for (const Block* block : part.operation->blocks) {
    if (!caption.empty()) caption += ", ";
    caption += block->name;
  }
  return caption;
}

ConfigReadResult ReadConfiguration(BlockContext& ctx, const ConfigProgress& progress,
                                   std::string read_at, std::string line, std::string program) {
  ConfigReadResult result;
  const std::span<const ConfigPart> parts = ConfigurationParts();
  for (size_t i = 0; i < parts.size(); ++i) {
    if (progress && !progress(i, parts.size(), parts[i])) {
      result.end = ConfigEnd::kStopped;
      break;
    }
    RegisterWords words;
    const ExchangeResult read = ReadOperationWords(ctx, *parts[i].operation, words);
    if (ExchangeFailed(read)) {
      result.end = ConfigEnd::kFailed;
      result.failure = read;
      result.failed = &parts[i];
      break;
    }
    result.configuration.parts[std::string(parts[i].key)] = std::move(words);
  }
  if (result.end == ConfigEnd::kDone && progress) {
    progress(parts.size(), parts.size(), parts.back());
  }
  Configuration& configuration = result.configuration;
  if (const auto it = configuration.parts.find(kIdentityKey); it != configuration.parts.end()) {
    configuration.header = HeaderOf(it->second, *FindConfigPart(kIdentityKey));
  }
  configuration.header.read_at = std::move(read_at);
  configuration.header.line = std::move(line);
  configuration.header.program = std::move(program);
  return result;
}

std::string ConfigurationText(const Configuration& configuration) {
  const ConfigurationHeader& h = configuration.header;
  std::ostringstream out;
  out << "# Конфигурация прибора QMX41\n"
      << "format " << kConfigurationFormat << "\n"
      << "model " << h.model << "\n"
      << "factory-number " << h.factory_number << "\n"
      << "software-version " << h.software_version << "\n"
      << "read-at " << h.read_at << "\n"
      << "line " << h.line << "\n"
      << "program " << h.program << "\n";
  for (const ConfigPart& part : ConfigurationParts()) {
    const auto it = configuration.parts.find(part.key);
    if (it == configuration.parts.end()) continue;
    out << "\n[" << part.key << "] " << GroupName(part.group) << "\n";
    for (const ShownValue& value : ShowWords(*part.operation, it->second)) {
      out << value.reg << " =";
      for (unsigned i = 0; i < value.count; ++i) {
        out << ' ' << FormatWordHex(WordAt(it->second, static_cast<uint16_t>(value.reg + i)));
      }
      out << " ; " << value.text << " ; " << value.caption << "\n";
    }
  }
  return out.str();
}

ConfigParse ParseConfiguration(std::string_view text) {
  ConfigParse parse;
  if (text.find('\0') != std::string_view::npos) {
    parse.error = "это не текстовый файл конфигурации";
    return parse;
  }
  Configuration configuration;
  bool format_seen = false;
  bool model_seen = false;
  const ConfigPart* part = nullptr;
  RegisterWords* words = nullptr;
  size_t number = 0;
  const auto fail = [&](std::string error) {
    parse.error = std::move(error);
    return parse;
  };
  while (!text.empty()) {
    const size_t end = text.find('\n');
    std::string_view raw = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    ++number;
    if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
    const std::string line = Trim(raw);
    if (line.empty() || line[0] == '#') continue;
    if (line[0] == '[') {
      const size_t close = line.find(']');
      if (close == std::string::npos) return fail(AtLine(number, "не закрыто имя блока"));
      const std::string key = line.substr(1, close - 1);
      part = FindConfigPart(key);
      if (part == nullptr) {
        return fail(AtLine(number, "блок «" + key +
                                       "» этой программе неизвестен (файл поврежден или "
                                       "записан более новой версией программы)"));
      }
      if (configuration.parts.contains(key)) {
        return fail(AtLine(number, "блок «" + key + "» повторяется"));
      }
      words = &configuration.parts[key];
      continue;
    }
    if (part == nullptr) {
      const size_t blank = line.find(' ');
      const std::string key = line.substr(0, blank);
      const std::string value =
          blank == std::string::npos ? std::string() : Trim(line.substr(blank));
      ConfigurationHeader& h = configuration.header;
      if (key == "format") {
        int format = 0;
        if (!ParseNumber(value, format)) return fail(AtLine(number, "неверный номер формата"));
        if (format > kConfigurationFormat) {
          return fail("файл записан более новой версией программы (формат " +
                      std::to_string(format) + ")");
        }
        if (format < 1) return fail(AtLine(number, "неверный номер формата"));
        format_seen = true;
      } else if (key == "model") {
        if (!ParseNumber(value, h.model)) return fail(AtLine(number, "неверный код модели"));
        model_seen = true;
      } else if (key == "factory-number") {
        if (!ParseNumber(value, h.factory_number)) {
          return fail(AtLine(number, "неверный заводской номер"));
        }
      } else if (key == "software-version") {
        if (!ParseNumber(value, h.software_version)) {
          return fail(AtLine(number, "неверная версия ПО"));
        }
      } else if (key == "read-at") {
        h.read_at = value;
      } else if (key == "line") {
        h.line = value;
      } else if (key == "program") {
        h.program = value;
      }  // other keys: added by a later program of the same format
      continue;
    }
    // "REG = WORD WORD ... ; text ; caption"
    const std::string values = Trim(line.substr(0, line.find(';')));
    const size_t equals = values.find('=');
    unsigned reg = 0;
    if (equals == std::string::npos || !ParseNumber(Trim(values.substr(0, equals)), reg) ||
        reg > 0xFFFF) {
      return fail(AtLine(number, "ожидался номер регистра и его слова"));
    }
    std::istringstream list(values.substr(equals + 1));
    std::string word;
    unsigned at = reg;
    while (list >> word) {
      uint16_t value = 0;
      if (word.size() != 4 || !ParseNumber(word, value, 16)) {
        return fail(AtLine(number, "слово «" + word + "» не четыре шестнадцатеричные цифры"));
      }
      const std::vector<uint16_t> regs = PartRegisters(*part);
      if (at > 0xFFFF || std::find(regs.begin(), regs.end(), at) == regs.end()) {
        return fail(AtLine(number, "регистр " + std::to_string(at) + " не входит в блок «" +
                                       std::string(part->key) + "»"));
      }
      if (!words->emplace(static_cast<uint16_t>(at), value).second) {
        return fail(AtLine(number, "регистр " + std::to_string(at) + " повторяется"));
      }
      ++at;
    }
    if (at == reg) return fail(AtLine(number, "у регистра нет слов"));
  }
  if (!format_seen) return fail("нет строки формата: это не файл конфигурации прибора");
  if (!model_seen) return fail("не указан код модели прибора");
  if (configuration.parts.empty()) return fail("в файле нет ни одного блока");
  for (const auto& [key, part_words] : configuration.parts) {
    for (const uint16_t reg : PartRegisters(*FindConfigPart(key))) {
      if (!part_words.contains(reg)) {
        return fail("в блоке «" + key + "» нет регистра " + std::to_string(reg) +
                    " (файл поврежден)");
      }
    }
  }
  parse.configuration = std::move(configuration);
  return parse;
}

bool SaveConfiguration(const std::string& path, const Configuration& configuration,
                       std::string* error) {
  if (WriteFileAtomically(path, ConfigurationText(configuration))) return true;
  if (error != nullptr) *error = std::strerror(errno);
  return false;
}

ConfigParse LoadConfiguration(const std::string& path) {
  ConfigParse parse;
  // Without blocking on a FIFO, and only a regular file.
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  struct stat info {};
  if (fd < 0 || fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
      static_cast<size_t>(info.st_size) > kLargestFile) {
    parse.error = fd < 0                   ? std::string(std::strerror(errno))
                  : !S_ISREG(info.st_mode) ? "это не обычный файл"
                                           : "файл слишком велик для конфигурации";
    if (fd >= 0) close(fd);
    return parse;
  }
  std::string text(static_cast<size_t>(info.st_size), '\0');
  const ssize_t got = read(fd, text.data(), text.size());
  close(fd);
  if (got != static_cast<ssize_t>(text.size())) {
    parse.error = "файл не удалось прочитать целиком";
    return parse;
  }
  return ParseConfiguration(text);
}

std::vector<ComparedValue> CompareConfigurations(const Configuration& left,
                                                 const Configuration& right) {
  std::vector<ComparedValue> compared;
  for (const ConfigPart& part : ConfigurationParts()) {
    const auto l = left.parts.find(part.key);
    const auto r = right.parts.find(part.key);
    const bool has_left = l != left.parts.end();
    const bool has_right = r != right.parts.end();
    if (!has_left && !has_right) continue;
    const std::vector<ShownValue> left_shown =
        has_left ? ShowWords(*part.operation, l->second) : std::vector<ShownValue>{};
    const std::vector<ShownValue> right_shown =
        has_right ? ShowWords(*part.operation, r->second) : std::vector<ShownValue>{};
    const std::vector<ShownValue>& rows = has_left ? left_shown : right_shown;
    for (size_t i = 0; i < rows.size(); ++i) {
      ComparedValue value{&part, rows[i].reg, rows[i].caption, {}, {}, true};
      if (has_left) value.left = left_shown[i].text;
      if (has_right && i < right_shown.size()) value.right = right_shown[i].text;
      if (has_left && has_right) {
        value.differs = false;
        for (unsigned w = 0; w < rows[i].count; ++w) {
          const auto reg = static_cast<uint16_t>(rows[i].reg + w);
          if (!FixedWord(*part.operation, reg) &&
              WordAt(l->second, reg) != WordAt(r->second, reg)) {
            value.differs = true;
          }
        }
      }
      compared.push_back(std::move(value));
    }
  }
  return compared;
}

std::set<ConfigGroup> CopiedGroups(bool line, bool calibration, bool password) {
  std::set<ConfigGroup> groups{ConfigGroup::kSettings};
  if (line) groups.insert(ConfigGroup::kLine);
  if (calibration) groups.insert(ConfigGroup::kCalibration);
  if (password) groups.insert(ConfigGroup::kPassword);
  return groups;
}

std::vector<const ConfigPart*> PartsToWrite(const Configuration& instrument,
                                            const Configuration& file,
                                            const std::set<ConfigGroup>& groups) {
  std::vector<const ConfigPart*> first;
  std::vector<const ConfigPart*> line;
  for (const ConfigPart& part : ConfigurationParts()) {
    if (part.group == ConfigGroup::kIdentity || !groups.contains(part.group)) continue;
    const auto f = file.parts.find(part.key);
    if (f == file.parts.end()) continue;
    const auto i = instrument.parts.find(part.key);
    if (i != instrument.parts.end() && !WordsDiffer(part, i->second, f->second)) continue;
    (part.group == ConfigGroup::kLine ? line : first).push_back(&part);
  }
  // The exchange settings last of all: once they are written the instrument
  // answers elsewhere.
  std::stable_sort(line.begin(), line.end(), [](const ConfigPart* a, const ConfigPart* b) {
    return a->key != kExchangeKey && b->key == kExchangeKey;
  });
  first.insert(first.end(), line.begin(), line.end());
  return first;
}

std::string ModelMismatch(const Configuration& instrument, const Configuration& file) {
  if (instrument.header.model == file.header.model) return {};
  return "Файл содержит конфигурацию прибора с кодом модели " + std::to_string(file.header.model) +
         ", а прибор на линии имеет код модели " + std::to_string(instrument.header.model) + ".";
}

ConfigWriteResult WriteConfiguration(BlockContext& ctx, const Configuration& file,
                                     std::span<const ConfigPart* const> parts,
                                     ProtectionAnswer protection) {
  ConfigWriteResult result;
  if (parts.empty()) {
    result.verified = true;
    return result;
  }
  const auto failed = [&](const ExchangeResult& failure, const ConfigPart* part) {
    result.end = ConfigEnd::kFailed;
    result.failure = failure;
    result.failed = part;
    return result;
  };
  const ExchangeResult state = ReadStateWord(ctx);
  if (ExchangeFailed(state)) return failed(state, nullptr);
  if ((ctx.values.state_word & kProtectionBit) != 0) {
    if (protection == ProtectionAnswer::kRefuse) {
      result.end = ConfigEnd::kRefused;
      return result;
    }
    if (!ctx.dialogs.WarningQuestion(kProtectionQuestion)) {
      result.end = ConfigEnd::kStopped;
      return result;
    }
  }
  const auto exchange = std::find_if(parts.begin(), parts.end(),
                                     [](const ConfigPart* p) { return p->key == kExchangeKey; });
  if (exchange != parts.end()) {
    const RegisterWords& words = file.parts.find(kExchangeKey)->second;
    const std::vector<uint16_t> regs = PartRegisters(**exchange);
    std::array<uint16_t, 3> sent{};
    for (size_t i = 0; i < sent.size() && i < regs.size(); ++i) sent[i] = WordAt(words, regs[i]);
    // Behind a raw TCP gateway the line is the gateway's: the program could
    // not follow the instrument to another rate or parity.
    const LineParameters& line = ctx.link.line();
    if (ctx.link.ports().LineFixed(line.port_number) &&
        (ListedBaudCodeOr19200(sent[1]) != line.baud_code || sent[2] != line.parity_code)) {
      ctx.dialogs.ShowBox(kLineFixedText, kCaptionNotice, BoxButtons::kOk, BoxIcon::kExclamation);
      result.end = ConfigEnd::kStopped;
      return result;
    }
    StageExchangeSettings(ctx.values, sent);
    ExchangeResult init;
    const BlockOutcome prepared = PrepareExchangeWrite(ctx, init);
    if (prepared == BlockOutcome::kFailed) return failed(init, *exchange);
    if (prepared != BlockOutcome::kDone) {
      // The port cannot take the new settings (the box said so): nothing sent.
      result.end = ConfigEnd::kStopped;
      return result;
    }
  }

  const ExchangeResult unlock = WriteLock(ctx, true);
  if (ExchangeFailed(unlock)) {
    WriteLock(ctx, false);
    return failed(unlock, nullptr);
  }
  for (const ConfigPart* part : parts) {
    const ExchangeResult write =
        WriteOperationWords(ctx, *part->operation, file.parts.find(part->key)->second);
    if (ExchangeFailed(write)) {
      WriteLock(ctx, false);  // quiet: the failure is what the operator is told
      return failed(write, part);
    }
    result.written.push_back(part);
    if (part->key == kExchangeKey) {
      if (FollowExchangeWrite(ctx) != BlockOutcome::kDone) return failed({}, part);
      result.moved = true;
    }
  }
  result.lock_open = ExchangeFailed(WriteLock(ctx, false));

  // Done only when the instrument holds what the file says.
  result.verified = true;
  for (const ConfigPart* part : result.written) {
    RegisterWords words;
    const ExchangeResult read = ReadOperationWords(ctx, *part->operation, words);
    if (ExchangeFailed(read)) return failed(read, part);
    if (WordsDiffer(*part, words, file.parts.find(part->key)->second)) result.verified = false;
    result.read_back.parts[std::string(part->key)] = std::move(words);
  }
  return result;
}

}  // namespace qmx
