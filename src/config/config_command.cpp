#include "config/config_command.h"

#include <optional>
#include <vector>

#include "blocks/block_catalog.h"
#include "config/configuration.h"
#include "link/line_text.h"
#include "link/port_naming.h"
#include "operator/controls.h"
#include "operator/dialogs.h"
#include "operator/operation_report.h"
#include "storage/profile.h"

namespace qmx {
namespace {

constexpr int kExitFailed = 1;
constexpr int kExitTrouble = 2;
// A read this long shows its progress.
constexpr int64_t kProgressAfterMs = 1000;

// No window: every box goes to standard error, every question is No.
class PrintedDialogs final : public Dialogs {
 public:
  explicit PrintedDialogs(std::FILE* err) : err_(err) {}
  BoxAnswer ShowBox(std::string_view text, std::string_view caption, BoxButtons buttons,
                    BoxIcon) override {
    std::fprintf(err_, "%.*s: %.*s\n", static_cast<int>(caption.size()), caption.data(),
                 static_cast<int>(text.size()), text.data());
    return buttons == BoxButtons::kYesNo ? BoxAnswer::kNo : BoxAnswer::kOk;
  }
  FileDialogResult OpenFile(const FileDialogRequest&) override { return {}; }
  FileDialogResult SaveFile(const FileDialogRequest&) override { return {}; }

 private:
  std::FILE* err_;
};

struct Options {
  std::string command;
  std::string file;
  bool line = false;
  bool calibration = false;
  bool password = false;
  bool yes = false;
};

std::optional<Options> ParseOptions(std::span<const std::string_view> args, std::FILE* err) {
  Options options;
  std::vector<std::string_view> words;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--yes") {
      options.yes = true;
    } else if (args[i] == "--with") {
      const std::string_view group = i + 1 < args.size() ? args[++i] : std::string_view();
      if (group == "line") {
        options.line = true;
      } else if (group == "calibration") {
        options.calibration = true;
      } else if (group == "password") {
        options.password = true;
      } else {
        std::fprintf(err, "qmx41-modbus: --with takes line, calibration or password\n");
        return std::nullopt;
      }
    } else {
      words.push_back(args[i]);
    }
  }
  if (words.size() != 2 || (words[0] != "read" && words[0] != "compare" && words[0] != "write") ||
      (words[0] != "write" && options.yes) ||
      (words[0] == "read" && (options.line || options.calibration || options.password))) {
    std::fprintf(err,
                 "Usage: qmx41-modbus [options] config read FILE\n"
                 "       qmx41-modbus [options] config compare FILE [--with GROUP]...\n"
                 "       qmx41-modbus [options] config write FILE [--with GROUP]... [--yes]\n"
                 "GROUP: line | calibration | password (the settings are always copied)\n");
    return std::nullopt;
  }
  options.command = std::string(words[0]);
  options.file = std::string(words[1]);
  return options;
}

void PrintFailure(std::FILE* err, const ExchangeResult& failure, const ConfigPart* part) {
  std::fprintf(err, "qmx41-modbus: exchange failed");
  if (part != nullptr) std::fprintf(err, " at «%s»", PartCaption(*part).c_str());
  std::fprintf(err, ": status 0x%04X", failure.status);
  if (failure.exception != 0) std::fprintf(err, ", exception %u", failure.exception);
  std::fprintf(err, "\n");
}

}  // namespace

int RunConfigCommand(Link& link, std::span<const std::string_view> args,
                     const ConfigCommandIo& io) {
  const std::optional<Options> options = ParseOptions(args, io.err);
  if (!options) return kExitTrouble;

  std::optional<Configuration> file;
  if (options->command != "read") {
    ConfigParse parse = LoadConfiguration(options->file);
    if (!parse.configuration) {
      std::fprintf(io.err, "qmx41-modbus: %s: %s\n", options->file.c_str(), parse.error.c_str());
      return kExitTrouble;
    }
    file = std::move(parse.configuration);
  }

  PrintedDialogs dialogs(io.err);
  MapControls controls;
  AddBlockControls(controls);
  ProfileValues profile;
  BlockValues values(profile, link.settings());
  BlockContext ctx{link, dialogs, controls, values};

  const int64_t began = link.clock().NowMs();
  bool progress_shown = false;
  const LineParameters& line = link.line();
  const ConfigReadResult read = ReadConfiguration(
      ctx,
      [&](size_t done, size_t total, const ConfigPart&) {
        if (link.clock().NowMs() - began >= kProgressAfterMs) {
          std::fprintf(io.err, "\rblock %zu of %zu", done, total);
          progress_shown = true;
        }
        return true;
      },
      io.now,
      LineSummaryText(line.port_number, line.baud_code, line.parity_code) + ", адрес " +
          std::to_string(line.network_address),
      io.program);
  if (progress_shown) std::fprintf(io.err, "\n");
  if (read.end != ConfigEnd::kDone) {
    PrintFailure(io.err, read.failure, read.failed);
    // 1 is a comparison's "they differ".
    return options->command == "compare" ? kExitTrouble : kExitFailed;
  }
  const Configuration& instrument = read.configuration;

  if (options->command == "read") {
    std::string error;
    if (!SaveConfiguration(options->file, instrument, &error)) {
      std::fprintf(io.err, "qmx41-modbus: cannot write %s: %s\n", options->file.c_str(),
                   error.c_str());
      return kExitFailed;
    }
    std::fprintf(io.out, "configuration of model %u, factory number %u read into %s\n",
                 instrument.header.model, instrument.header.factory_number, options->file.c_str());
    return 0;
  }

  if (const std::string mismatch = ModelMismatch(instrument, *file); !mismatch.empty()) {
    std::fprintf(io.err, "qmx41-modbus: %s\n", mismatch.c_str());
    return kExitTrouble;
  }
  const std::set<ConfigGroup> groups =
      CopiedGroups(options->line, options->calibration, options->password);
  if (options->command == "compare") {
    int counted = 0;
    for (const ComparedValue& value : CompareConfigurations(instrument, *file)) {
      if (!value.differs) continue;
      const bool counts = groups.contains(value.part->group);
      std::fprintf(
          io.out, "%s%u %s: instrument %s, file %s\n",
          counts ? ""
                 : (value.part->group == ConfigGroup::kIdentity ? "(identity) " : "(not copied) "),
          value.reg, value.caption.c_str(), value.left.c_str(), value.right.c_str());
      if (counts) ++counted;
    }
    std::fprintf(io.out, "%d difference(s) a write would copy\n", counted);
    return counted == 0 ? 0 : kExitFailed;
  }

  const std::vector<const ConfigPart*> parts = PartsToWrite(instrument, *file, groups);
  if (parts.empty()) {
    std::fprintf(io.out, "the instrument already holds what the file says\n");
    return 0;
  }
  std::fprintf(io.out, "to be written:\n");
  for (const ConfigPart* part : parts) {
    std::fprintf(io.out, "  %s (%s)\n", PartCaption(*part).c_str(),
                 std::string(GroupName(part->group)).c_str());
  }
  if (!options->yes && !(io.confirm && io.confirm())) {
    std::fprintf(io.err, "qmx41-modbus: nothing written\n");
    return kExitFailed;
  }
  const ConfigWriteResult written =
      WriteConfiguration(ctx, *file, parts, ProtectionAnswer::kRefuse);
  switch (written.end) {
    case ConfigEnd::kRefused:
      std::fprintf(io.err, "qmx41-modbus: write protection is on; nothing written\n");
      return kExitFailed;
    case ConfigEnd::kStopped:
      std::fprintf(io.err, "qmx41-modbus: nothing written\n");
      return kExitFailed;
    case ConfigEnd::kFailed:
      PrintFailure(io.err, written.failure, written.failed);
      for (const ConfigPart* part : written.written) {
        std::fprintf(io.err, "  already written: %s\n", PartCaption(*part).c_str());
      }
      return kExitFailed;
    case ConfigEnd::kDone:
      break;
  }
  if (written.lock_open) std::fprintf(io.err, "qmx41-modbus: %s\n", kLockNotRestoredText);
  if (written.moved) {
    std::fprintf(io.out, "the instrument moved to address %u; the link followed it\n",
                 link.line().network_address);
  }
  if (!written.verified) {
    std::fprintf(io.err, "qmx41-modbus: the instrument does not read back what was written\n");
    return kExitFailed;
  }
  std::fprintf(io.out, "written and verified: %zu block(s)\n", written.written.size());
  return 0;
}

}  // namespace qmx
