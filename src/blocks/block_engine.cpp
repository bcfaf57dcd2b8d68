#include "blocks/block_engine.h"

#include <algorithm>
#include <limits>
#include <map>

#include "link/exchange_status.h"
#include "operator/operation_report.h"
#include "registers/encoding.h"
#include "registers/input_parsing.h"
#include "registers/value_formats.h"

namespace qmx {
namespace {

constexpr uint16_t kStateWordRegister = 300;
constexpr uint16_t kProtectionBit = 0x8000;
constexpr uint16_t kLockRegister = 1278;  // USERLOCK, then CLBLOCK
constexpr int kReadPauseMs = 100;
constexpr int kLockPauseBeforeMs = 400;
constexpr int kLockPauseAfterMs = 100;

// Register words by register number: what a read brought in, or what a
// write is about to send.
using RegisterImage = RegisterWords;

bool Has(const RegisterImage& image, uint16_t reg, unsigned count) {
  for (unsigned i = 0; i < count; ++i) {
    if (!image.contains(static_cast<uint16_t>(reg + i))) return false;
  }
  return true;
}

uint16_t At(const RegisterImage& image, unsigned reg) {
  auto it = image.find(static_cast<uint16_t>(reg));
  return it == image.end() ? 0 : it->second;
}

void Pause(BlockContext& ctx, int ms) {
  if (ms > 0) ctx.link.WaitMs(ms);
}

const Field* FieldAt(const Block& block, uint16_t reg) {
  for (const Field& field : block.fields) {
    if (reg >= field.reg && reg < field.reg + field.count) return &field;
  }
  return nullptr;
}

bool Covers(std::span<const Transaction> transactions, uint16_t reg) {
  for (const Transaction& t : transactions) {
    if (reg >= t.start && reg < t.start + t.count) return true;
  }
  return false;
}

// --- staged values ---------------------------------------------------------------

void Store(BlockValues& values, const Block& block, const RegisterImage& image) {
  for (const Field& field : block.fields) {
    if (!Has(image, field.reg, field.count)) continue;
    const unsigned r = field.reg;
    if (auto* ref = std::get_if<WordRef>(&field.slot)) {
      (*ref)(values) = At(image, r);
    } else if (auto* ref = std::get_if<FloatRef>(&field.slot)) {
      // A broken float is staged as 0.0, never as NaN or infinity.
      (*ref)(values) = field.measured
                           ? FloatFromRegisters(At(image, r), At(image, r + 1)).value
                           : ParameterFloatFromRegisters(At(image, r), At(image, r + 1)).value;
    } else if (auto* ref = std::get_if<DoubleRef>(&field.slot)) {
      (*ref)(values) = field.count == 2
                           ? ParameterFloatFromRegisters(At(image, r), At(image, r + 1)).value
                           : DoubleFromRegisters(At(image, r), At(image, r + 1), At(image, r + 2),
                                                 At(image, r + 3));
    } else if (auto* ref = std::get_if<WordsRef>(&field.slot)) {
      std::span<uint16_t> words = (*ref)(values);
      for (size_t i = 0; i < words.size() && i < field.count; ++i) words[i] = At(image, r + i);
    } else if (auto* ref = std::get_if<LongRef>(&field.slot)) {
      (*ref)(values) = static_cast<uint32_t>(At(image, r)) << 16 | At(image, r + 1);
    }
  }
}

void Encode(BlockValues& values, const Block& block, RegisterImage& image) {
  for (const Field& field : block.fields) {
    const uint16_t r = field.reg;
    if (field.sent_as) {
      for (unsigned i = 0; i < field.count; ++i)
        image[static_cast<uint16_t>(r + i)] = *field.sent_as;
    } else if (auto* ref = std::get_if<WordRef>(&field.slot)) {
      image[r] = (*ref)(values);
    } else if (auto* ref = std::get_if<FloatRef>(&field.slot)) {
      const RegisterPair pair = FloatToRegisters((*ref)(values));
      image[r] = pair.first;
      image[static_cast<uint16_t>(r + 1)] = pair.second;
    } else if (auto* ref = std::get_if<DoubleRef>(&field.slot); ref && field.count == 2) {
      // Beyond the single range the conversion would be undefined.
      const double value = std::clamp<double>((*ref)(values), -std::numeric_limits<float>::max(),
                                              std::numeric_limits<float>::max());
      const RegisterPair pair = FloatToRegisters(static_cast<float>(value));
      image[r] = pair.first;
      image[static_cast<uint16_t>(r + 1)] = pair.second;
    } else if (auto* ref = std::get_if<DoubleRef>(&field.slot)) {
      const auto words = DoubleToRegisters((*ref)(values));
      for (unsigned i = 0; i < words.size(); ++i) image[static_cast<uint16_t>(r + i)] = words[i];
    } else if (auto* ref = std::get_if<WordsRef>(&field.slot)) {
      const std::span<uint16_t> words = (*ref)(values);
      for (size_t i = 0; i < words.size() && i < field.count; ++i) {
        image[static_cast<uint16_t>(r + i)] = words[i];
      }
    } else if (auto* ref = std::get_if<LongRef>(&field.slot)) {
      const uint32_t value = (*ref)(values);
      image[r] = static_cast<uint16_t>(value >> 16);
      image[static_cast<uint16_t>(r + 1)] = static_cast<uint16_t>(value & 0xFFFFu);
    }
  }
}

uint16_t WordOf(BlockValues& values, const Field& field, uint16_t reg) {
  if (auto* ref = std::get_if<WordRef>(&field.slot)) return (*ref)(values);
  if (auto* ref = std::get_if<WordsRef>(&field.slot)) {
    const std::span<uint16_t> words = (*ref)(values);
    const size_t i = reg - field.reg;
    return i < words.size() ? words[i] : 0;
  }
  if (auto* ref = std::get_if<LongRef>(&field.slot)) {
    const uint32_t value = (*ref)(values);
    return static_cast<uint16_t>(reg == field.reg ? value >> 16 : value & 0xFFFFu);
  }
  return 0;
}

double NumberOf(BlockValues& values, const Field& field, uint16_t reg) {
  if (auto* ref = std::get_if<FloatRef>(&field.slot)) return (*ref)(values);
  if (auto* ref = std::get_if<DoubleRef>(&field.slot)) return (*ref)(values);
  if (auto* ref = std::get_if<WordsRef>(&field.slot)) {
    const std::span<uint16_t> words = (*ref)(values);
    const size_t i = reg - field.reg;
    if (i + 1 < words.size()) return FloatFromRegisters(words[i], words[i + 1]).value;
  }
  return WordOf(values, field, reg);
}

void SetWord(BlockValues& values, const Field& field, uint16_t reg, uint16_t word) {
  if (auto* ref = std::get_if<WordRef>(&field.slot)) {
    (*ref)(values) = word;
  } else if (auto* ref = std::get_if<WordsRef>(&field.slot)) {
    const std::span<uint16_t> words = (*ref)(values);
    const size_t i = reg - field.reg;
    if (i < words.size()) words[i] = word;
  } else if (auto* ref = std::get_if<LongRef>(&field.slot)) {
    uint32_t& value = (*ref)(values);
    value = reg == field.reg ? (value & 0xFFFFu) | static_cast<uint32_t>(word) << 16
                             : (value & 0xFFFF0000u) | word;
  }
}

void SetFloat(BlockValues& values, const Field& field, float value) {
  if (auto* ref = std::get_if<FloatRef>(&field.slot)) (*ref)(values) = value;
}

// The 32-bit number of a long row: the word at `row.reg` is the upper one.
uint32_t LongOf(BlockValues& values, const Block& block, const Field& field,
                const ControlRow& row) {
  const auto low_reg = static_cast<uint16_t>(row.reg + 1);
  const Field* low = FieldAt(block, low_reg);
  const uint32_t low_word = low != nullptr ? WordOf(values, *low, low_reg) : 0;
  return static_cast<uint32_t>(WordOf(values, field, row.reg)) << 16 | low_word;
}

// The number format of a float form (the others are not numbers to parse).
std::string (*FormOf(TextForm form))(double) {
  switch (form) {
    case TextForm::kFloatShort:
      return &FormatFloatShort;
    case TextForm::kDouble:
      return &FormatDouble;
    default:
      return &FormatFloatStandard;
  }
}

std::string TextOf(BlockValues& values, const Block& block, const Field& field,
                   const ControlRow& row) {
  switch (row.form) {
    case TextForm::kLongHighFirst:
      return std::to_string(LongOf(values, block, field, row));
    case TextForm::kDecimal:
      return std::to_string(WordOf(values, field, row.reg));
    case TextForm::kWordHex:
      return FormatWordHex(WordOf(values, field, row.reg));
    case TextForm::kFloatStandard:
      return FormatFloatStandard(NumberOf(values, field, row.reg));
    case TextForm::kFloatShort:
      return FormatFloatShort(NumberOf(values, field, row.reg));
    case TextForm::kDouble:
      return FormatDouble(NumberOf(values, field, row.reg));
  }
  return {};
}

void FillRow(Controls& controls, BlockValues& values, const Block& block, const Field& field,
             const ControlRow& row) {
  switch (row.show) {
    case Show::kNone:
      break;
    case Show::kItemIndex: {
      const int value = WordOf(values, field, row.reg);
      const int size = row.items != nullptr ? static_cast<int>(row.items->size()) : 0;
      if (value < size + row.index_offset) {
        controls.SetItemIndex(row.control,
                              value >= row.index_offset ? value - row.index_offset : -1);
      } else if (row.beyond_clears) {
        controls.SetItemIndex(row.control, -1);
      }
      break;
    }
    case Show::kChecked: {
      const uint16_t value = WordOf(values, field, row.reg);
      controls.SetChecked(row.control, value >= row.checked_low && value <= row.checked_high);
      break;
    }
    case Show::kText:
      controls.SetText(row.control, TextOf(values, block, field, row));
      break;
    case Show::kBit:
      controls.SetChecked(row.control, (WordOf(values, field, row.reg) & row.bit) != 0);
      break;
  }
}

// False after the input-error boxes.
bool TakeRow(BlockContext& ctx, const Block& block, const Field& field, const ControlRow& row) {
  Controls& controls = ctx.controls;
  BlockValues& values = ctx.values;
  switch (row.take) {
    case Take::kNone:
      return true;
    case Take::kItemIndex: {
      const int index = controls.ItemIndex(row.control);
      if (index < 0 && row.selection_required) break;
      SetWord(values, field, row.reg,
              index >= 0 ? static_cast<uint16_t>(index + row.index_offset) : row.no_selection);
      return true;
    }
    case Take::kChecked:
      SetWord(values, field, row.reg, controls.Checked(row.control) ? 1 : 0);
      return true;
    case Take::kBit: {
      const uint16_t word = WordOf(values, field, row.reg);
      const unsigned taken = controls.Checked(row.control) ? word | row.bit : word & ~row.bit;
      SetWord(values, field, row.reg, static_cast<uint16_t>(taken));
      return true;
    }
    case Take::kFloat: {
      const std::string text = controls.Text(row.control);
      const std::optional<float> value =
          row.show == Show::kText
              ? HeldOrTyped(text, static_cast<float>(NumberOf(values, field, row.reg)),
                            FormOf(row.form), &ParseFloat)
              : ParseFloat(text);
      if (!value) break;
      SetFloat(values, field, *value);
      return true;
    }
    case Take::kIntegerLow16:
    case Take::kIntegerSaturated: {
      const std::optional<int32_t> value = ParseInteger(controls.Text(row.control));
      if (!value) break;
      const uint32_t bits = static_cast<uint32_t>(*value);
      const uint16_t word = row.take == Take::kIntegerLow16 ? static_cast<uint16_t>(bits)
                            : bits >= 65536u                ? uint16_t{65535}
                                                            : static_cast<uint16_t>(bits);
      SetWord(values, field, row.reg, word);
      return true;
    }
    case Take::kUnsignedLongHighFirst:
    case Take::kAnyLongHighFirst: {
      const std::string text = controls.Text(row.control);
      std::optional<uint32_t> value = ParseUnsignedDecimal(text);
      if (!value && row.take == Take::kAnyLongHighFirst) {
        if (const std::optional<int32_t> signed_value = ParseInteger(text)) {
          value = static_cast<uint32_t>(*signed_value);
        }
      }
      const auto low_reg = static_cast<uint16_t>(row.reg + 1);
      const Field* low = FieldAt(block, low_reg);
      if (!value || low == nullptr) break;
      SetWord(values, field, row.reg, static_cast<uint16_t>(*value >> 16));
      SetWord(values, *low, low_reg, static_cast<uint16_t>(*value & 0xFFFFu));
      return true;
    }
  }
  ctx.dialogs.InputError(row.failure);
  return false;
}

// --- transactions ------------------------------------------------------------------

ExchangeResult Send(BlockContext& ctx, uint16_t start, std::span<const uint16_t> words,
                    const std::optional<std::string_view>& description) {
  if (description) ctx.values.last_description = std::string(*description);
  ExchangeResult result;
  result.status =
      ctx.link.WriteMultipleRegisters(start, static_cast<uint8_t>(words.size()), words.data(),
                                      &result.exception, ctx.values.last_description);
  return result;
}

ExchangeResult WriteLockRegisters(BlockContext& ctx, const LockWrite& how, uint16_t value) {
  if (how.pauses) Pause(ctx, kLockPauseBeforeMs);
  const uint16_t words[2] = {value, value};
  const ExchangeResult result = Send(ctx, kLockRegister, words, how.description);
  if (how.pauses && !ExchangeFailed(result)) Pause(ctx, kLockPauseAfterMs);
  return result;
}

}  // namespace

ExchangeResult ReadStateWord(BlockContext& ctx) {
  Pause(ctx, kReadPauseMs);
  uint16_t word = 0;
  ExchangeResult result;
  result.status = ctx.link.ReadHoldingRegisters(kStateWordRegister, 1, &word, &result.exception);
  if (!ExchangeFailed(result)) {
    ctx.values.state_word = word;
    Pause(ctx, kReadPauseMs);
  }
  return result;
}

ExchangeResult WriteLock(BlockContext& ctx, bool open) {
  return WriteLockRegisters(ctx, open ? kUnlockWrite : kLockWrite, open ? 1 : 0);
}

namespace {

// Once the unlock has gone out (even one that seemed to fail may have
// arrived), a guarded write that stops early closes the lock again.  Quiet:
// the operator has already been told why the write stopped.
void CloseLockAfterFailure(BlockContext& ctx, const GuardedWrite& write) {
  if (write.lock != LockPolicy::kNever) WriteLockRegisters(ctx, kLockWrite, 0);
}

BlockOutcome ReportFailure(BlockContext& ctx, const ExchangeResult& result) {
  OperationReport(ctx.dialogs, result.status, result.exception);
  return BlockOutcome::kFailed;
}

}  // namespace

bool ExchangeFailed(const ExchangeResult& result) {
  return (result.status & ~kStatusRepeated) != 0 || result.exception != 0;
}

bool OutcomeUnknown(const ExchangeResult& result) {
  // Silence or a broken answer; an exception answer says the request was
  // refused, a line the port could not use says it never went out.
  constexpr uint16_t kLost = kStatusWrongLength | kStatusWrongAddress | kStatusWrongFunction |
                             kStatusCrcError | kStatusNoAnswer | kStatusLineError;
  return ExchangeFailed(result) && (result.status & kStatusException) == 0 &&
         result.exception == 0 && (result.status & kLost) != 0;
}

namespace {

// The answers of an operation's transactions read, by register, into
// `image`; nothing is stored.  The pauses are the transactions' own, or
// `read_pause_ms` before each when they are a write's.
ExchangeResult ReadImage(BlockContext& ctx, const BlockOperation& operation, RegisterImage& image,
                         std::optional<int> read_pause_ms = std::nullopt) {
  std::vector<uint16_t> words;
  ExchangeResult repeated;
  for (const Transaction& t : operation.transactions) {
    Pause(ctx, read_pause_ms.value_or(t.pause_before_ms));
    words.assign(t.count, 0);
    ExchangeResult result;
    result.status =
        ctx.link.ReadHoldingRegisters(t.start, t.count, words.data(), &result.exception);
    if (ExchangeFailed(result)) return result;
    repeated.status |= result.status & kStatusRepeated;
    for (unsigned i = 0; i < t.count; ++i) image[static_cast<uint16_t>(t.start + i)] = words[i];
    if (!read_pause_ms) Pause(ctx, t.pause_after_ms);
  }
  return repeated;
}

}  // namespace

ExchangeResult ReadBlock(BlockContext& ctx, const BlockOperation& operation) {
  RegisterImage image;
  const ExchangeResult result = ReadImage(ctx, operation, image);
  if (ExchangeFailed(result)) return result;
  for (const Block* block : operation.blocks) Store(ctx.values, *block, image);
  return result;
}

namespace {

ExchangeResult SendImage(BlockContext& ctx, const BlockOperation& operation,
                         const RegisterImage& image, bool examine) {
  std::vector<uint16_t> words;
  ExchangeResult repeated;
  for (const Transaction& t : operation.transactions) {
    Pause(ctx, t.pause_before_ms);
    words.resize(t.count);
    for (unsigned i = 0; i < t.count; ++i) words[i] = At(image, t.start + i);
    const ExchangeResult result = Send(ctx, t.start, words, t.description);
    if (examine && ExchangeFailed(result)) return result;
    repeated.status |= result.status & kStatusRepeated;
    Pause(ctx, t.pause_after_ms);
  }
  return examine ? repeated : ExchangeResult{};
}

}  // namespace

ExchangeResult WriteBlock(BlockContext& ctx, const BlockOperation& operation, bool examine) {
  RegisterImage image;
  if (operation.stage != nullptr) operation.stage(ctx.values);
  for (const Block* block : operation.blocks) Encode(ctx.values, *block, image);
  return SendImage(ctx, operation, image, examine);
}

ExchangeResult ReadOperationWords(BlockContext& ctx, const BlockOperation& operation,
                                  RegisterWords& words) {
  return ReadImage(ctx, operation, words, kReadPauseMs);
}

ExchangeResult WriteOperationWords(BlockContext& ctx, const BlockOperation& operation,
                                   const RegisterWords& words) {
  RegisterImage image = words;
  for (const Transaction& t : operation.transactions) {
    for (unsigned i = 0; i < t.count; ++i) {
      const auto reg = static_cast<uint16_t>(t.start + i);
      if (const std::optional<uint16_t> fixed = FixedWord(operation, reg)) image[reg] = *fixed;
    }
  }
  return SendImage(ctx, operation, image, true);
}

std::vector<ShownValue> ShowWords(const BlockOperation& operation, const RegisterWords& words) {
  // A scratch copy of the staged values: what the pages hold stays as it is.
  ProfileValues profile;
  LinkSettings link;
  BlockValues values(profile, link);
  MapControls controls;
  std::vector<ShownValue> shown;
  for (const Block* block : operation.blocks) {
    Store(values, *block, words);
    for (const Field& field : block->fields) {
      if (!Has(words, field.reg, field.count) || !Covers(operation.transactions, field.reg)) {
        continue;
      }
      ShownValue value{field.reg, field.count, std::string(block->name), {}};
      for (const ControlRow& row : block->rows) {
        if (row.reg < field.reg || row.reg >= field.reg + field.count || row.show == Show::kNone) {
          continue;
        }
        switch (row.show) {
          case Show::kItemIndex: {
            const int index = WordOf(values, field, row.reg) - row.index_offset;
            if (row.items != nullptr && index >= 0 && index < static_cast<int>(row.items->size())) {
              value.text = (*row.items)[static_cast<size_t>(index)];
            }
            break;
          }
          case Show::kChecked:
            FillRow(controls, values, *block, field, row);
            value.text = controls.Checked(row.control) ? "да" : "нет";
            break;
          case Show::kText:
            value.text = TextOf(values, *block, field, row);
            break;
          default:
            break;
        }
        if (!value.text.empty()) break;
      }
      if (value.text.empty()) {
        // No row shows it as a number of its own: the words as they are.
        for (unsigned i = 0; i < field.count; ++i) {
          if (i > 0) value.text += ' ';
          value.text += FormatWordHex(At(words, field.reg + i));
        }
      }
      shown.push_back(std::move(value));
    }
  }
  std::sort(shown.begin(), shown.end(),
            [](const ShownValue& a, const ShownValue& b) { return a.reg < b.reg; });
  return shown;
}

std::optional<uint16_t> FixedWord(const BlockOperation& operation, uint16_t reg) {
  for (const Block* block : operation.blocks) {
    const Field* field = FieldAt(*block, reg);
    if (field != nullptr && field->sent_as) return field->sent_as;
  }
  return std::nullopt;
}

void FillBlock(Controls& controls, BlockValues& values, const Block& block) {
  for (const ControlRow& row : block.rows) {
    if (const Field* field = FieldAt(block, row.reg)) FillRow(controls, values, block, *field, row);
  }
}

bool CollectRow(BlockContext& ctx, const Block& block, std::string_view control) {
  for (const ControlRow& row : block.rows) {
    if (row.control != control || row.take == Take::kNone) continue;
    const Field* field = FieldAt(block, row.reg);
    return field == nullptr || TakeRow(ctx, block, *field, row);
  }
  return true;
}

void ShowBusyPanel(Controls& controls, std::string_view panel, std::string_view text) {
  controls.SetText(panel, text);
  controls.SetVisible(panel, true);
  controls.Repaint();
}

void HideBusyPanel(Controls& controls, std::string_view panel) {
  controls.SetVisible(panel, false);
  controls.Repaint();
}

bool ReopenPort(BlockContext& ctx) {
  if (ctx.port_switch != nullptr) return ctx.port_switch->Reopen();
  if (ctx.link.OpenCurrentPort(1).ok) return true;
  ctx.dialogs.PortError();
  return false;
}

bool CollectBlocks(BlockContext& ctx, std::span<const BlockOperation* const> operations) {
  for (const BlockOperation* operation : operations) {
    for (const Block* block : operation->blocks) {
      for (const ControlRow& row : block->rows) {
        // A value the operation does not send stays as staged.
        if (row.take == Take::kNone || !Covers(operation->transactions, row.reg)) continue;
        const Field* field = FieldAt(*block, row.reg);
        if (field != nullptr && !TakeRow(ctx, *block, *field, row)) return false;
      }
    }
  }
  return true;
}

BlockOutcome RunRead(BlockContext& ctx, const ReadProcedure& procedure) {
  // Nothing is staged before every read has succeeded: a handler that reads
  // one block to go with another (the units with the cut-off) must not keep
  // half of what it read.
  std::vector<RegisterImage> images(procedure.reads.size());
  for (size_t i = 0; i < procedure.reads.size(); ++i) {
    const ExchangeResult result = ReadImage(ctx, *procedure.reads[i], images[i]);
    if (ExchangeFailed(result)) return ReportFailure(ctx, result);
  }
  for (size_t i = 0; i < procedure.reads.size(); ++i) {
    for (const Block* block : procedure.reads[i]->blocks) Store(ctx.values, *block, images[i]);
  }
  for (const Block* block : procedure.fills) FillBlock(ctx.controls, ctx.values, *block);
  if (procedure.after_fill != nullptr) procedure.after_fill(ctx);
  if (!procedure.success.empty()) ctx.dialogs.Result(procedure.success);
  return BlockOutcome::kDone;
}

BlockOutcome RunGuardedWrite(BlockContext& ctx, const GuardedWrite& write) {
  const auto collect = [&] {
    if (write.collect != nullptr) return write.collect(ctx);
    return CollectBlocks(ctx, write.collect_order.empty() ? write.writes : write.collect_order)
               ? BlockOutcome::kDone
               : BlockOutcome::kInputError;
  };
  if (write.before_exchange != nullptr) {
    if (const BlockOutcome outcome = write.before_exchange(ctx); outcome != BlockOutcome::kDone) {
      return outcome;
    }
  }
  if (write.confirm_first && !ctx.dialogs.Question(write.confirmation)) {
    return BlockOutcome::kCancelled;
  }
  if (write.collect_at == CollectPoint::kFirst) {
    if (const BlockOutcome outcome = collect(); outcome != BlockOutcome::kDone) return outcome;
  }

  if (write.read_state_word) {
    const ExchangeResult result = ReadStateWord(ctx);
    if (ExchangeFailed(result)) return ReportFailure(ctx, result);
    // The program does not refuse the write itself: whatever the instrument
    // answers is reported like any other answer.
    if ((ctx.values.state_word & kProtectionBit) != 0 &&
        !ctx.dialogs.WarningQuestion(kProtectionQuestion)) {
      return BlockOutcome::kCancelled;
    }
  }
  if (write.collect_at == CollectPoint::kAfterProtectionQuestion) {
    if (const BlockOutcome outcome = collect(); outcome != BlockOutcome::kDone) return outcome;
  }
  if (!write.confirm_first && !ctx.dialogs.Question(write.confirmation)) {
    return BlockOutcome::kCancelled;
  }

  // From here on every end hides the busy panel first.
  const bool busy = !write.busy_panel.empty();
  if (busy) ShowBusyPanel(ctx.controls, write.busy_panel, write.busy_text);
  const auto end = [&](BlockOutcome outcome) {
    if (busy) HideBusyPanel(ctx.controls, write.busy_panel);
    return outcome;
  };
  const auto fail = [&](const ExchangeResult& result) {
    if (busy) HideBusyPanel(ctx.controls, write.busy_panel);
    return ReportFailure(ctx, result);
  };

  if (write.before_unlock != nullptr) {
    ExchangeResult failed;
    const BlockOutcome outcome = write.before_unlock(ctx, failed);
    if (outcome == BlockOutcome::kFailed) return fail(failed);
    if (outcome != BlockOutcome::kDone) return end(outcome);
  }

  const ExchangeResult unlock = WriteLockRegisters(ctx, write.unlock, 1);
  if (ExchangeFailed(unlock)) {
    const BlockOutcome outcome = fail(unlock);
    CloseLockAfterFailure(ctx, write);
    return outcome;
  }
  if (write.collect_at == CollectPoint::kAfterUnlock) {
    if (const BlockOutcome outcome = collect(); outcome != BlockOutcome::kDone) {
      CloseLockAfterFailure(ctx, write);
      return end(outcome);
    }
  }
  for (const BlockOperation* operation : write.writes) {
    const ExchangeResult result = WriteBlock(ctx, *operation, write.examine_writes);
    if (ExchangeFailed(result)) {
      if (write.write_unanswered != nullptr && OutcomeUnknown(result) &&
          write.write_unanswered(ctx, *operation)) {
        continue;
      }
      const BlockOutcome outcome = fail(result);
      CloseLockAfterFailure(ctx, write);
      return outcome;
    }
  }
  if (write.after_writes != nullptr) {
    if (const BlockOutcome outcome = write.after_writes(ctx); outcome != BlockOutcome::kDone) {
      CloseLockAfterFailure(ctx, write);
      return end(outcome);
    }
  }
  bool lock_open = false;
  if (write.lock == LockPolicy::kAfterWrite) {
    lock_open = ExchangeFailed(WriteLockRegisters(ctx, kLockWrite, 0));
  }
  end(BlockOutcome::kDone);
  // The block is written whatever the lock answers; the operator learns of
  // both.
  if (!write.success.empty()) ctx.dialogs.Result(write.success);
  if (lock_open) {
    ctx.dialogs.ShowBox(kLockNotRestoredText, kCaptionWarning, BoxButtons::kOk,
                        BoxIcon::kExclamation);
  }
  if (write.after_success != nullptr) write.after_success(ctx);
  return BlockOutcome::kDone;
}

}  // namespace qmx
