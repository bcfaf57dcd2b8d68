#include "blocks/user_registers.h"

#include <array>
#include <cstdio>

#include "operator/operation_report.h"
#include "registers/input_parsing.h"

namespace qmx {
namespace {

constexpr char kReadText[] = "Чтение пользовательских регистров успешно осуществлено.";
constexpr char kWrittenText[] = "Запись пользовательских регистров успешно осуществлено.";
constexpr char kReadingText[] = "Идет чтение";
constexpr char kWritingText[] = "Идет запись";
constexpr char kBusyPanel[] = "Panel48";
constexpr int kMaxDigits = 4;

constexpr char32_t kEnter = 13;
constexpr char32_t kBackspace = 8;

std::span<uint16_t> Registers(BlockValues& v) {
  return std::span<uint16_t>(v.profile.user_registers.words)
      .subspan(kFirstUserRegisterEntry, kUserRegisterCount);
}

const Field kFields[] = {WordsField(kFirstUserRegister, kUserRegisterCount, &Registers)};
// The grid is not a row of controls: its cells are shown and taken below,
// in the hexadecimal form no row has.
const Block kBlock{.name = "пользовательские регистры", .fields = kFields};
const Block* const kBlocks[] = {&kBlock};

const Transaction kReadT[] = {{.start = kFirstUserRegister,
                               .count = kUserRegisterCount,
                               .pause_before_ms = 100,
                               .pause_after_ms = 100}};
const Transaction kWriteT[] = {{.start = kFirstUserRegister,
                                .count = kUserRegisterCount,
                                .pause_after_ms = 300,
                                .description = "Записать USR_REG_HOLD."}};
const BlockOperation kRead{kReadT, kBlocks};
const BlockOperation kWrite{kWriteT, kBlocks};

const ButtonHandler kButtons[] = {{"Button47", &Button47Click}, {"Button48", &Button48Click}};

// The letters on the keys of a-f in the Russian layout, upper and lower case.
struct KeyMapping {
  char32_t from;
  char32_t to;
};
constexpr std::array<KeyMapping, 12> kRussianKeys = {{{U'Ф', U'A'},
                                                      {U'ф', U'A'},
                                                      {U'И', U'B'},
                                                      {U'и', U'B'},
                                                      {U'С', U'C'},
                                                      {U'с', U'C'},
                                                      {U'В', U'D'},
                                                      {U'в', U'D'},
                                                      {U'У', U'E'},
                                                      {U'у', U'E'},
                                                      {U'А', U'F'},
                                                      {U'а', U'F'}}};

void ClearMarks(Controls& controls, UserRegisterTable& table) {
  table.changed.fill(false);
  PaintUserRegisters(controls, table);
}

std::string CellError(int row) {
  return "Значение пользовательского регистра " + std::to_string(row) +
         " не получается представить шестнадцатеричным числом из четырех цифр.";
}

}  // namespace

std::string UserRegisterCell(int row) {
  return GridCellName(kUserRegistersGrid, kUserRegisterColumn, row);
}

std::string UserRegisterText(uint16_t value) {
  char text[8];
  std::snprintf(text, sizeof text, "%04X", static_cast<unsigned>(value));
  return text;
}

std::optional<uint16_t> ParseUserRegisterText(std::string_view text) {
  if (text.empty()) return uint16_t{0};  // an emptied cell sends 0
  return ParseHexWordDigits(text);
}

bool StringGrid1SelectCell(int column, int row) {
  return column == kUserRegisterColumn && row >= 1 && row <= kUserRegisterCount;
}

std::optional<char32_t> StringGrid1KeyPress(UserRegisterTable& table, int edit_row,
                                            size_t kept_length, char32_t key) {
  if (key >= U'a' && key <= U'f') key = key - U'a' + U'A';
  for (const KeyMapping& mapping : kRussianKeys) {
    if (key == mapping.from) key = mapping.to;
  }
  const bool digit = (key >= U'0' && key <= U'9') || (key >= U'A' && key <= U'F');
  if (!digit && key != kEnter && key != kBackspace) return std::nullopt;
  if (edit_row >= 1 && edit_row <= kUserRegisterCount) {
    table.changed[static_cast<size_t>(edit_row - 1 + kFirstUserRegisterEntry)] = true;
  }
  // The mark stays set even for a digit that does not fit.
  if (digit && kept_length >= kMaxDigits) return std::nullopt;
  return key;
}

void PaintUserRegisters(Controls& controls, const UserRegisterTable& table) {
  for (int row = 1; row <= kUserRegisterCount; ++row) {
    const bool marked = table.changed[static_cast<size_t>(row - 1 + kFirstUserRegisterEntry)];
    controls.SetColor(UserRegisterCell(row), marked ? kColorChanged : kColorWhite);
  }
}

void ShowUserRegisters(Controls& controls, const UserRegisterTable& table) {
  for (int row = 1; row <= kUserRegisterCount; ++row) {
    const uint16_t value = table.words[static_cast<size_t>(row - 1 + kFirstUserRegisterEntry)];
    controls.SetText(UserRegisterCell(row), UserRegisterText(value));
  }
  PaintUserRegisters(controls, table);
}

// Not a plain read procedure: the busy panel stands over the page while the
// registers are read and goes before any box, and a read that needed a
// repetition counts as done, as everywhere.
BlockOutcome Button47Click(BlockContext& ctx) {
  UserRegisterTable& table = ctx.values.profile.user_registers;
  ClearMarks(ctx.controls, table);
  ShowBusyPanel(ctx.controls, kBusyPanel, kReadingText);
  const ExchangeResult result = ReadBlock(ctx, kRead);
  HideBusyPanel(ctx.controls, kBusyPanel);
  if (ExchangeFailed(result)) {
    OperationReport(ctx.dialogs, result.status, result.exception);
    return BlockOutcome::kFailed;
  }
  ShowUserRegisters(ctx.controls, table);
  ctx.dialogs.Result(kReadText);
  return BlockOutcome::kDone;
}

// Not a guarded write: the user registers are the operator's scratch words
// and the instrument takes them at any time, so there is no confirmation,
// no protection check and no lock to open or close around them.
BlockOutcome Button48Click(BlockContext& ctx) {
  UserRegisterTable& table = ctx.values.profile.user_registers;
  // Every cell is checked before anything is staged: a text that is not a
  // hexadecimal word is never sent as some other number.
  std::array<uint16_t, kUserRegisterCount> taken{};
  for (int row = 1; row <= kUserRegisterCount; ++row) {
    const std::optional<uint16_t> value =
        ParseUserRegisterText(ctx.controls.Text(UserRegisterCell(row)));
    if (!value) {
      ctx.dialogs.InputError(CellError(row));
      return BlockOutcome::kInputError;
    }
    taken[static_cast<size_t>(row - 1)] = *value;
  }
  ClearMarks(ctx.controls, table);
  for (int row = 1; row <= kUserRegisterCount; ++row) {
    table.words[static_cast<size_t>(row - 1 + kFirstUserRegisterEntry)] =
        taken[static_cast<size_t>(row - 1)];
  }
  ShowUserRegisters(ctx.controls, table);

  ShowBusyPanel(ctx.controls, kBusyPanel, kWritingText);
  const ExchangeResult result = WriteBlock(ctx, kWrite);
  HideBusyPanel(ctx.controls, kBusyPanel);
  if (ExchangeFailed(result)) {
    OperationReport(ctx.dialogs, result.status, result.exception);
    return BlockOutcome::kFailed;
  }
  ShowUserRegisters(ctx.controls, table);
  ctx.dialogs.Result(kWrittenText);
  return BlockOutcome::kDone;
}

std::span<const Block* const> UserRegisterBlocks() {
  return kBlocks;
}

std::span<const ButtonHandler> UserRegisterButtons() {
  return kButtons;
}

std::span<const ConfigPart> UserRegisterConfigParts() {
  static const ConfigPart parts[] = {
      {"user-registers", ConfigGroup::kSettings, &kWrite},
  };
  return parts;
}

}  // namespace qmx
