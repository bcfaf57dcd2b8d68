// The instrument's configuration as a whole: every part of the catalog the
// program can both read and write (and the identity, which it only
// records), read in one go, kept in one text file, compared with another
// configuration and copied to an instrument.  Raw register words are what
// is kept, compared and written, so nothing is lost to a display format;
// the texts beside them are the pages' own, for the operator to read.
//
// The file, one line a value, in the catalog's order:
//
//   # Конфигурация прибора QMX41
//   format 1
//   model 41
//   factory-number 2024017
//   software-version 5
//   read-at 2026-12-09 17:50:00
//   line COM1, 19200, без паритета, адрес 1
//   program qmx41-config 3.2.0
//
//   [units] Настройки
//   1840 = 0002 ; м3/ч ; единицы и усреднение
//
// Only the header keys, the section names and "REG = WORDS" are read back;
// the texts after ";" are ignored.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "blocks/block_engine.h"

namespace qmx {

inline constexpr int kConfigurationFormat = 1;

struct ConfigurationHeader {
  uint16_t model = 0;
  uint32_t factory_number = 0;
  uint16_t software_version = 0;
  std::string read_at;  // "2026-12-09 17:50:00"
  std::string line;     // the line it was read from
  std::string program;  // "qmx41-config 3.2.0"
};

struct Configuration {
  ConfigurationHeader header;
  // Words of each part, by the part's key.
  std::map<std::string, RegisterWords, std::less<>> parts;
};

// The catalog's part of that key, or null.
const ConfigPart* FindConfigPart(std::string_view key);
// "Настройки", "Параметры обмена", "Калибровка", "Идентификация", "Пароль".
std::string_view GroupName(ConfigGroup group);
// A part's caption: the names of its blocks.
std::string PartCaption(const ConfigPart& part);

// --- reading from the instrument -------------------------------------------------

// Called before each part (index from 0) and once more at the end with
// done == total; false stops cleanly before the next part.
using ConfigProgress = std::function<bool(size_t done, size_t total, const ConfigPart& part)>;

enum class ConfigEnd { kDone, kStopped, kFailed, kRefused };

struct ConfigReadResult {
  ConfigEnd end = ConfigEnd::kDone;
  Configuration configuration;
  ExchangeResult failure;  // kFailed: the transaction that failed
  const ConfigPart* failed = nullptr;
};

// Every part, one after another; the header from the identity, `line` and
// `program` as given, the time as `read_at`.  Nothing staged changes.
ConfigReadResult ReadConfiguration(BlockContext& ctx, const ConfigProgress& progress,
                                   std::string read_at, std::string line, std::string program);

// --- files ---------------------------------------------------------------------------

std::string ConfigurationText(const Configuration& configuration);
struct ConfigParse {
  std::optional<Configuration> configuration;
  std::string error;  // why it was refused, in the operator's words
};
ConfigParse ParseConfiguration(std::string_view text);
// Written atomically; false with the reason.
bool SaveConfiguration(const std::string& path, const Configuration& configuration,
                       std::string* error);
ConfigParse LoadConfiguration(const std::string& path);

// --- comparing ------------------------------------------------------------------------

struct ComparedValue {
  const ConfigPart* part = nullptr;
  uint16_t reg = 0;
  std::string caption;
  std::string left;  // the page's text; "" when the side lacks the part
  std::string right;
  bool differs = false;  // the raw words differ
};
std::vector<ComparedValue> CompareConfigurations(const Configuration& left,
                                                 const Configuration& right);

// The groups a copy writes: the settings, and those asked for.
std::set<ConfigGroup> CopiedGroups(bool line, bool calibration, bool password);
// The parts of `groups` whose words differ between the instrument and the
// file, in the order they are written (the line last, since it moves the
// instrument).  Identity parts never.
std::vector<const ConfigPart*> PartsToWrite(const Configuration& instrument,
                                            const Configuration& file,
                                            const std::set<ConfigGroup>& groups);

// --- writing -----------------------------------------------------------------------------

enum class ProtectionAnswer { kAsk, kRefuse };

struct ConfigWriteResult {
  ConfigEnd end = ConfigEnd::kDone;
  std::vector<const ConfigPart*> written;  // in order, before any failure
  const ConfigPart* failed = nullptr;      // kFailed: the part it stopped at
  ExchangeResult failure;
  bool lock_open = false;  // the closing lock got no good answer
  bool moved = false;      // the exchange settings went out and the program followed
  // The instrument read back after the write (kDone only).
  Configuration read_back;
  bool verified = false;  // every written part reads back as the file holds it
};

// The model code of the file against the instrument's; "" when they match.
std::string ModelMismatch(const Configuration& instrument, const Configuration& file);

// One guarded sequence: the state word (with write protection on: the
// question, or a refusal before anything is sent), the INIT flag when the
// exchange settings go out, unlock once, every part with its pauses, the
// program following the instrument to new exchange settings, lock once; the
// lock is closed again after any failure.  Then every written part is read
// back.  No question of confirmation is asked here.
ConfigWriteResult WriteConfiguration(BlockContext& ctx, const Configuration& file,
                                     std::span<const ConfigPart* const> parts,
                                     ProtectionAnswer protection);

}  // namespace qmx
