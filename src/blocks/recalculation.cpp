#include "blocks/recalculation.h"

#include <array>
#include <cmath>
#include <filesystem>
#include <limits>
#include <utility>
#include <vector>

#include "registers/input_parsing.h"
#include "registers/value_formats.h"

namespace qmx {
namespace {

constexpr char kReadText[] = "Прочитаны настройки виртуальной машины.";
constexpr char kWriteQuestion[] = "Данные виртуальной машины будут переписаны?.";
constexpr char kWrittenText[] = "Запись виртуальной машины успешно осуществлена.";
constexpr char kLoadedText[] = "Из файла прочитаны настройки виртуальной машины.";
constexpr char kSavedText[] = "В файл записаны настройки виртуальной машины.";
constexpr char kErrorCaption[] = "Ошибка";
constexpr char kFileExtension[] = ".pgm";
constexpr int kValueColumn = 1;

std::span<uint16_t> Codes(BlockValues& v) {
  return v.recalc_program.op;
}

template <size_t I>
double& Constant(BlockValues& v) {
  return v.recalc_program.constants[I];
}

template <size_t... I>
constexpr std::array<Field, 1 + sizeof...(I)> ProgramFields(std::index_sequence<I...>) {
  return {
      WordsField(kRecalcFirstRegister, kRecalcOpCount, &Codes),
      SingleField(static_cast<uint16_t>(kRecalcFirstConstantRegister + 2 * I), &Constant<I>)...};
}

const auto kFields = ProgramFields(std::make_index_sequence<kRecalcConstCount>{});
// No rows: the grids show and take the values in forms of their own, below.
const Block kBlock{.name = "программа пересчета к стандартным условиям", .fields = kFields};
const Block* const kBlocks[] = {&kBlock};

constexpr uint8_t kRegisterCount = kRecalcOpCount + 2 * kRecalcConstCount;
const Transaction kReadT[] = {{.start = kRecalcFirstRegister,
                               .count = kRegisterCount,
                               .pause_before_ms = 100,
                               .pause_after_ms = 100}};
// Logged under the text set last.
const Transaction kWriteT[] = {
    {.start = kRecalcFirstRegister, .count = kRegisterCount, .pause_after_ms = 400}};
const BlockOperation kRead{kReadT, kBlocks};
const BlockOperation kWrite{kWriteT, kBlocks};
const BlockOperation* const kReads[] = {&kRead};
const BlockOperation* const kWrites[] = {&kWrite};

const ButtonHandler kButtons[] = {{"Button88", &Button88Click},
                                  {"Button89", &Button89Click},
                                  {"Button90", &Button90Click},
                                  {"Button91", &Button91Click}};

// A constant the instrument can hold: a single float, so nothing beyond the
// single range (it would arrive as an infinity).
std::optional<double> ParseConstant(std::string_view text) {
  const std::optional<double> value = ParseDouble(text);
  if (!value || std::fabs(*value) > std::numeric_limits<float>::max()) return std::nullopt;
  return value;
}

void ShowGrids(BlockContext& ctx) {
  ShowRecalcProgram(ctx.controls, ctx.values.recalc_program);
}

// Every cell is checked before anything is taken, so a refused cell leaves
// the program as it was.
BlockOutcome TakeGrids(BlockContext& ctx) {
  RecalcProgram taken = ctx.values.recalc_program;
  for (int i = 0; i < kRecalcOpCount; ++i) {
    const std::optional<uint16_t> code = ParseRecalcCode(ctx.controls.Text(RecalcCodeCell(i)));
    if (!code) {
      ctx.dialogs.InputError(kIntegerInputError);
      return BlockOutcome::kInputError;
    }
    taken.op[static_cast<size_t>(i)] = *code;
  }
  for (int i = 0; i < kRecalcConstCount; ++i) {
    double& constant = taken.constants[static_cast<size_t>(i)];
    const std::optional<double> value = HeldOrTyped(ctx.controls.Text(RecalcConstantCell(i)),
                                                    constant, &FormatFloatPlain, &ParseConstant);
    if (!value) {
      ctx.dialogs.InputError(kFloatInputError);
      return BlockOutcome::kInputError;
    }
    constant = *value;
  }
  ctx.values.recalc_program = taken;
  ShowGrids(ctx);
  return BlockOutcome::kDone;
}

FileDialogRequest FileRequest() {
  FileDialogRequest request;
  request.filter = kRecalcFileFilter;
  return request;
}

void FileError(BlockContext& ctx, const std::string& text) {
  ctx.dialogs.ShowBox(text, kErrorCaption, BoxButtons::kOk, BoxIcon::kError);
}

// Names the keys of the constants that refused a file; nothing was taken.
std::string RefusedConstantsText(const std::string& file_name,
                                 const std::vector<std::string>& keys) {
  std::string listed;
  for (const std::string& key : keys) listed += (listed.empty() ? "" : ", ") + key;
  return "Файл " + file_name + " не прочитан: в разделе PGM_CONST константы " + listed +
         " не являются конечными числами одинарной точности (прибор хранит числа до 3.4E38 по "
         "модулю). Настройки виртуальной машины не изменены.";
}

}  // namespace

std::string RecalcCodeCell(int i) {
  return GridCellName(kRecalcCodeGrid, kValueColumn, i + 1);
}

std::string RecalcConstantCell(int i) {
  return GridCellName(kRecalcConstantGrid, kValueColumn, i + 1);
}

std::optional<uint16_t> ParseRecalcCode(std::string_view text) {
  text = TrimBlanks(text);
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    text.remove_prefix(2);
  }
  return ParseHexWordDigits(text);
}

void ShowRecalcProgram(Controls& controls, const RecalcProgram& program) {
  for (int i = 0; i < kRecalcOpCount; ++i) {
    controls.SetText(RecalcCodeCell(i),
                     FormatWordHexPrefixedUpper(program.op[static_cast<size_t>(i)]));
  }
  for (int i = 0; i < kRecalcConstCount; ++i) {
    controls.SetText(RecalcConstantCell(i),
                     FormatFloatPlain(program.constants[static_cast<size_t>(i)]));
  }
  controls.Repaint();
}

// The file dialog's Cancel does nothing.  A file that cannot be read, holds
// nothing of a program, or holds constants the instrument cannot hold, is
// named in an error box (the last with the keys of those constants) and
// changes nothing.
BlockOutcome Button88Click(BlockContext& ctx) {
  const FileDialogResult chosen = ctx.dialogs.OpenFile(FileRequest());
  if (!chosen.accepted) return BlockOutcome::kCancelled;
  RecalcProgram loaded = ctx.values.recalc_program;
  std::vector<std::string> refused;
  switch (LoadRecalcProgram(loaded, chosen.file_name, &refused)) {
    case RecalcFileStatus::kNotOpened:
      FileError(ctx, "Не удается открыть файл " + chosen.file_name + ".");
      return BlockOutcome::kFailed;
    case RecalcFileStatus::kNoProgram:
      FileError(ctx, "В файле " + chosen.file_name + " нет настроек виртуальной машины.");
      return BlockOutcome::kFailed;
    case RecalcFileStatus::kRefusedConstants:
      FileError(ctx, RefusedConstantsText(chosen.file_name, refused));
      return BlockOutcome::kFailed;
    case RecalcFileStatus::kLoaded:
      break;
  }
  ctx.values.recalc_program = loaded;
  ShowGrids(ctx);
  ctx.dialogs.Result(kLoadedText);
  return BlockOutcome::kDone;
}

// Saves what the grids show, taken as for a write.  A name typed without an
// extension gets ".pgm".
BlockOutcome Button89Click(BlockContext& ctx) {
  if (const BlockOutcome taken = TakeGrids(ctx); taken != BlockOutcome::kDone) return taken;
  const FileDialogResult chosen = ctx.dialogs.SaveFile(FileRequest());
  if (!chosen.accepted) return BlockOutcome::kCancelled;
  std::string name = chosen.file_name;
  if (std::filesystem::path(name).extension().empty()) name += kFileExtension;
  if (!SaveRecalcProgram(ctx.values.recalc_program, name)) {
    FileError(ctx, "Не удается записать файл " + name + ".");
    return BlockOutcome::kFailed;
  }
  ctx.dialogs.Result(kSavedText);
  return BlockOutcome::kDone;
}

// A read that needed a repetition is stored and shown all the same; it ends
// without the success box.
BlockOutcome Button90Click(BlockContext& ctx) {
  return RunRead(ctx, {
                          .reads = kReads,
                          .success = kReadText,
                          .after_fill = &ShowGrids,
                      });
}

// The instrument's write protection is not asked about: the recalculation
// program is written whatever the state word says.
BlockOutcome Button91Click(BlockContext& ctx) {
  return RunGuardedWrite(ctx, {.confirmation = kWriteQuestion,
                               .success = kWrittenText,
                               .writes = kWrites,
                               .read_state_word = false,
                               .collect = &TakeGrids});
}

std::span<const Block* const> RecalculationBlocks() {
  return kBlocks;
}

std::span<const ButtonHandler> RecalculationButtons() {
  return kButtons;
}

std::span<const ConfigPart> RecalculationConfigParts() {
  static const ConfigPart parts[] = {
      {"recalculation", ConfigGroup::kSettings, &kWrite},
  };
  return parts;
}

}  // namespace qmx
