// Reading and writing the instrument's parameter blocks.  A block is a
// declaration: where its values sit in the registers (fields), which
// controls show and take them (rows), and the transactions that move it.
// The two procedures every configuration page follows, the block read and
// the guarded write, are run here once for all blocks; a page only connects
// its buttons to the handlers built from these declarations.
//
// Block read: the read transactions with their pauses; at the first failure
// OperationReport and stop, leaving the staged records and the controls as
// they were; on success store the answers in the staged records, fill the
// controls, show the success text.
//
// Guarded write: collect the controls into the staged records; read the
// state word (300) and, with write protection on (bit 15), ask "В приборе
// включена защита от записи."; ask the block's confirmation; unlock
// (1278-1279 = 1, 1); write the block; lock (0, 0); show the success text.
// The variants of a handler (where it collects, whether it reads the state
// word or locks afterwards, how it unlocks) are fields of its GuardedWrite.
//
// A write that shows a busy panel (the page's "Идет запись ..." text) shows
// it after the confirmation and hides it at every end that follows.
//
// Once the unlock has gone out, a handler that stops on a failure still
// closes the lock with one quiet lock write (its outcome is neither examined
// nor shown), so that a failed write does not leave the instrument writable
// by any master on the bus.  Handlers that never lock (the restart, whose
// instrument comes back locked) do not.  The lock after a write that went
// through is examined: when it got no good answer, the success text is
// followed by a warning that the instrument still accepts writes.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "blocks/block_values.h"
#include "link/link.h"
#include "operator/controls.h"
#include "operator/dialogs.h"

namespace qmx {

// What a handler works with; the window builds one per click.
// How a handler moves the program's own port to other line parameters: the
// window re-opens the port and lets its link controls follow.  Without one
// the port is re-opened as it is and no control changes.
class PortSwitch {
 public:
  virtual ~PortSwitch() = default;
  // Opens the port with the link's line parameters; false (after the port
  // error box) when it cannot be opened.
  virtual bool Reopen() = 0;
  // The link controls show the line parameters now in force.
  virtual void ShowLine() = 0;
};

// What a handler works with; the window builds one per click.
struct BlockContext {
  Link& link;
  Dialogs& dialogs;
  Controls& controls;
  BlockValues& values;
  PortSwitch* port_switch = nullptr;
};

// Re-opens the port through the context's PortSwitch (or directly, with the
// port error box on failure).
bool ReopenPort(BlockContext& ctx);

// --- fields: where a block's values sit ---------------------------------------

using WordRef = uint16_t& (*)(BlockValues&);
using FloatRef = float& (*)(BlockValues&);               // two registers, upper word first
using DoubleRef = double& (*)(BlockValues&);             // four registers, most significant first
using WordsRef = std::span<uint16_t> (*)(BlockValues&);  // a run kept word for word
using LongRef = uint32_t& (*)(BlockValues&);             // two registers, upper word first
using Slot = std::variant<std::monostate, WordRef, FloatRef, DoubleRef, WordsRef, LongRef>;

struct Field {
  uint16_t reg = 0;
  uint16_t count = 1;  // registers
  Slot slot = {};
  // A word sent whatever is staged (a command's value, a register the
  // instrument wants cleared on every write).  A field with nothing staged
  // (std::monostate) must have one.
  std::optional<uint16_t> sent_as = std::nullopt;
  // Floats: a value the instrument measures, where a magnitude beyond the
  // measuring limit is a broken reading (staged as 0.0).  Configured floats
  // take any finite single float.
  bool measured = false;
};

constexpr Field WordField(uint16_t reg, WordRef ref) {
  return {reg, 1, ref, std::nullopt};
}
// A configured float, two registers, upper word first.
constexpr Field FloatField(uint16_t reg, FloatRef ref) {
  return {reg, 2, ref, std::nullopt};
}
// A measured float (pressure, temperature, voltage of the external sensor).
constexpr Field MeasuredFloatField(uint16_t reg, FloatRef ref) {
  return {reg, 2, ref, std::nullopt, true};
}
constexpr Field DoubleField(uint16_t reg, DoubleRef ref) {
  return {reg, 4, ref, std::nullopt};
}
constexpr Field WordsField(uint16_t reg, uint16_t count, WordsRef ref) {
  return {reg, count, ref, std::nullopt};
}
// A value the program keeps as a double and the instrument as a single float
// (two registers, upper word first): read as a configured float (only a NaN
// or an infinity is broken, and 0.0), sent rounded to a single float.
constexpr Field SingleField(uint16_t reg, DoubleRef ref) {
  return {reg, 2, ref, std::nullopt};
}
// A 32-bit count kept as one number: its rows are kLongHighFirst.
constexpr Field LongField(uint16_t reg, LongRef ref) {
  return {reg, 2, ref, std::nullopt};
}
// Stored when read, but always written as `value`.
constexpr Field WordSentAs(uint16_t reg, WordRef ref, uint16_t value) {
  return {reg, 1, ref, value};
}
// A command word: nothing staged, `value` written.
constexpr Field CommandField(uint16_t reg, uint16_t value) {
  return {reg, 1, std::monostate{}, value};
}

// --- rows: how controls show and take the values ------------------------------

enum class Show {
  kNone,
  // The value selects item (value - index_offset) of the list while the
  // value is below the list's size + index_offset; a larger value leaves
  // the list as it was, one below the offset clears its selection.
  kItemIndex,
  kChecked,  // checked exactly when the value is 1
  kText,     // the value in `form`
  kBit,      // a check box, checked when the bits of `bit` are set in the word
};

enum class TextForm {
  kDecimal,
  kFloatStandard,
  kFloatShort,
  kDouble,
  // Two word fields, `reg` the upper word: the 32-bit number in decimal.
  kLongHighFirst,
  kWordHex,  // one word, "%04X": codes and status words
};

enum class Take {
  kNone,
  kItemIndex,         // selected index + index_offset; no selection gives no_selection
  kChecked,           // 1 or 0
  kBit,               // checked sets the bits of `bit` in the word, cleared clears them
  kFloat,             // ParseFloat
  kIntegerLow16,      // ParseInteger, the low 16 bits sent
  kIntegerSaturated,  // ParseInteger; 65535 for anything not below 65536 as unsigned
  // ParseUnsignedDecimal into two word fields, `reg` the upper word.
  kUnsignedLongHighFirst,
  // A 32-bit count, `reg` the upper word: unsigned decimal, or the signed
  // decimal form of the same bits (so "-1294967296" and "3000000000" send the
  // same words), as an operator may type either.
  kAnyLongHighFirst,
};

struct ControlRow {
  std::string_view control = {};
  uint16_t reg = 0;  // the first register of the value; inside a field of the block
  Show show = Show::kNone;
  // kChecked: checked when the value lies in [checked_low, checked_high].
  uint16_t checked_low = 1;
  uint16_t checked_high = 1;
  uint16_t bit = 0;  // kBit: the bit (mask) of the word the box stands for
  TextForm form = TextForm::kDecimal;
  const std::vector<std::string>* items = nullptr;  // list controls: their items
  int index_offset = 0;
  Take take = Take::kNone;
  uint16_t no_selection = 0xFFFF;
  // kItemIndex: a list without a selection is an input error (`failure`)
  // instead of sending no_selection.
  bool selection_required = false;
  // kItemIndex: a value beyond the list clears the selection instead of
  // leaving the item shown before (which a write would then send as if the
  // instrument held it).
  bool beyond_clears = false;
  std::string_view failure = {};  // input-error text when the text does not convert
};

struct Block {
  std::string_view name = {};
  std::span<const Field> fields = {};
  std::span<const ControlRow> rows = {};
  // Filled from its staged record at start-up (blocks that only show what
  // the instrument reports keep their design texts until the first read).
  bool filled_at_startup = true;
};

// --- transactions -----------------------------------------------------------------

struct Transaction {
  uint16_t start = 0;
  uint8_t count = 1;
  int pause_before_ms = 0;
  // After a successful transaction only.
  int pause_after_ms = 0;
  // Writes: the exchange-log text; none = the text set last.
  std::optional<std::string_view> description = std::nullopt;
};

// Transactions that move (parts of) blocks.  A read stores the answers in
// every field of `blocks` they cover once all transactions succeeded; a
// write sends the staged values of `blocks` and collects, before that, the
// rows of `blocks` whose register it writes.
struct BlockOperation {
  std::span<const Transaction> transactions = {};
  std::span<const Block* const> blocks = {};
  // Writes: stages the values to send right before they are encoded.
  void (*stage)(BlockValues&) = nullptr;
};

struct ExchangeResult {
  uint16_t status = 0;
  uint16_t exception = 0;
};

// A transaction failed when any bit but the repetition's is set, or an
// exception came back.  A status of 0x8000 alone means the answer arrived
// intact on a later attempt: the instrument executed the request, and the
// handler goes on as after any success (the exchange counters and the
// monitor still show the repetition).
bool ExchangeFailed(const ExchangeResult& result);
// A failure after which nobody knows whether the instrument executed the
// request: no answer, or only broken ones, on every attempt (an exception
// answer or a request the port never sent are known not to have arrived).
bool OutcomeUnknown(const ExchangeResult& result);

// --- the instrument's configuration as a whole ---------------------------------------

// What a part of the configuration is for, and so when it is copied.
enum class ConfigGroup {
  kSettings,     // copied by default
  kLine,         // exchange parameters: copied when asked; the instrument moves
  kCalibration,  // belongs to one sensor: copied when asked, with its own question
  kIdentity,     // recorded and compared, never written
  kPassword,     // the front-panel menu password: copied when asked
};

// One part of the configuration: the registers one operation of the
// catalog moves (a write; for the identity, a read), read and written back
// as raw words with that operation's transactions, pauses and texts.
struct ConfigPart {
  std::string_view key = {};  // stable and ASCII: names the part in a file
  ConfigGroup group = ConfigGroup::kSettings;
  const BlockOperation* operation = nullptr;
};

// Register words by register number.
using RegisterWords = std::map<uint16_t, uint16_t>;

// One value of a part as its page shows it.
struct ShownValue {
  uint16_t reg = 0;
  uint16_t count = 1;
  std::string caption;  // the block's name
  std::string text;     // the page's text (a list's item, "да"/"нет", a number)
};
// The values of `operation`'s blocks that `words` holds, in register order,
// decoded as their pages show them (without touching any staged value).
std::vector<ShownValue> ShowWords(const BlockOperation& operation, const RegisterWords& words);
// The word a write of `operation` sends for `reg` whatever is staged (a
// command's value, a reserved register cleared on every write), if any.
std::optional<uint16_t> FixedWord(const BlockOperation& operation, uint16_t reg);

// --- handlers -----------------------------------------------------------------------

enum class BlockOutcome {
  kDone,        // everything succeeded
  kCancelled,   // the operator said No
  kInputError,  // a control did not convert; the block was not sent
  kFailed,      // an exchange failed (reported)
};

struct ReadProcedure {
  std::span<const BlockOperation* const> reads = {};  // in order; stops at the first failure
  std::span<const Block* const> fills = {};           // after all reads succeeded
  std::string_view success = {};                      // "" = no box
  // Shows what the rows cannot (texts of their own form), before the box.
  void (*after_fill)(BlockContext&) = nullptr;
};

enum class CollectPoint { kFirst, kAfterProtectionQuestion, kAfterUnlock };

struct LockWrite {
  std::string_view description = {};
  bool pauses = true;  // 400 ms before, 100 ms after a success
};

inline constexpr LockWrite kUnlockWrite{"Запись разблокировки USERLOCK CLBLOCK.", true};
inline constexpr LockWrite kLockWrite{"Запись USERLOCK.", true};
inline constexpr char kProtectionQuestion[] = "В приборе включена защита от записи.";
inline constexpr char kConfigurationQuestion[] = "Данные конфигурации будут переписаны?.";
// After a write that went through, when the closing lock got no good answer.
inline constexpr char kLockNotRestoredText[] =
    "Не удалось восстановить защиту от записи: прибор по-прежнему принимает запись "
    "параметров. Повторите запись или выключите и включите прибор.";

// When the write lock is closed again.
enum class LockPolicy {
  kAfterWrite,        // after the block writes, and quietly after any failure
  kOnlyAfterFailure,  // left open on success (the module link), closed after a failure
  kNever,             // the instrument comes back locked (the restart)
};

struct GuardedWrite {
  std::string_view confirmation = {};
  std::string_view success = {};  // "" = no box
  std::span<const BlockOperation* const> writes = {};
  // Where the collect order differs from the write order.
  std::span<const BlockOperation* const> collect_order = {};
  CollectPoint collect_at = CollectPoint::kFirst;
  bool read_state_word = true;
  // True: the confirmation is asked first of all, before the state word and
  // the protection question (a write whose values are only taken after the
  // unlock, so that nothing is collected at the start).
  bool confirm_first = false;
  LockWrite unlock = kUnlockWrite;
  LockPolicy lock = LockPolicy::kAfterWrite;
  // False: the answers of the block writes are not looked at (the restart).
  bool examine_writes = true;
  // Shown from the confirmation to the end: the panel's name and its text.
  std::string_view busy_panel = {};
  std::string_view busy_text = {};

  // Hooks for handlers with a rule no table expresses.  Each returns kDone
  // to go on; anything else ends the handler with that outcome.
  // First of all, before any question or exchange: a refusal that needs
  // nothing from the instrument.
  BlockOutcome (*before_exchange)(BlockContext&) = nullptr;
  // In place of collecting the rows of `writes`, at `collect_at`.
  BlockOutcome (*collect)(BlockContext&) = nullptr;
  // After the confirmation, before the unlock.  kFailed with `failed` set:
  // the engine reports that exchange.
  BlockOutcome (*before_unlock)(BlockContext&, ExchangeResult& failed) = nullptr;
  // After a block write whose outcome is unknown (OutcomeUnknown): true when
  // the hook found that the instrument took it after all (the write then
  // goes on as a success); false reports the failure.
  bool (*write_unanswered)(BlockContext&, const BlockOperation& operation) = nullptr;
  // After the block writes, before the lock (which it may move to other
  // line parameters).  A kFailed has been reported by the hook.
  BlockOutcome (*after_writes)(BlockContext&) = nullptr;
  // After the success box.
  void (*after_success)(BlockContext&) = nullptr;
};

BlockOutcome RunRead(BlockContext& ctx, const ReadProcedure& procedure);
BlockOutcome RunGuardedWrite(BlockContext& ctx, const GuardedWrite& write);

// The steps, for handlers with a rule no declaration expresses.  A read
// that succeeded returns 0x8000 alone when some transaction needed a
// repetition.
ExchangeResult ReadBlock(BlockContext& ctx, const BlockOperation& operation);
ExchangeResult WriteBlock(BlockContext& ctx, const BlockOperation& operation, bool examine = true);
void FillBlock(Controls& controls, BlockValues& values, const Block& block);
// False after the two input-error boxes of the first row that did not convert.
bool CollectBlocks(BlockContext& ctx, std::span<const BlockOperation* const> operations);
// The row of `block` for `control` alone; false after its input-error boxes.
bool CollectRow(BlockContext& ctx, const Block& block, std::string_view control);
// The guarded write's own steps, for sequences of several blocks: the state
// word (300, with its pauses), and the lock (1278-1279) opened or closed with
// the standard texts and pauses.
ExchangeResult ReadStateWord(BlockContext& ctx);
ExchangeResult WriteLock(BlockContext& ctx, bool open);
// The registers of `operation`'s transactions as raw words: read (100 ms
// before each), or written from `words` with the operation's pauses and
// texts (a register the operation always sends as a fixed word is sent
// so).  Stop at the first failure.
ExchangeResult ReadOperationWords(BlockContext& ctx, const BlockOperation& operation,
                                  RegisterWords& words);
ExchangeResult WriteOperationWords(BlockContext& ctx, const BlockOperation& operation,
                                   const RegisterWords& words);
// A busy panel on screen before a long exchange, and gone after it.
void ShowBusyPanel(Controls& controls, std::string_view panel, std::string_view text);
void HideBusyPanel(Controls& controls, std::string_view panel);

// What a number field sends.  While the field still shows the program's
// own text of the staged value, that value goes back bit for bit: a display
// format keeps a few digits, and the text parsed back would send another
// number than the instrument holds.  Anything else is what the operator
// typed, parsed (nullopt: not a number the field takes).
template <typename Number, typename Parse>
std::optional<Number> HeldOrTyped(const std::string& text, Number held,
                                  std::string (*format)(double), Parse parse) {
  if (text == format(held)) return held;
  return parse(text);
}

// A button of a page and its handler.
struct ButtonHandler {
  std::string_view button = {};
  BlockOutcome (*run)(BlockContext&) = nullptr;
};

// Two controls that show the same value in two places: a change of either
// shows the same in the other (two lists: the same item; an edit field and
// another control: the same text).
struct ControlTwin {
  std::string_view first = {};
  std::string_view second = {};
};

// A control the window must create for the blocks.
enum class ControlKind { kComboBox, kCheckBox, kEdit, kLabel };
struct ControlInfo {
  std::string_view name = {};
  ControlKind kind = ControlKind::kEdit;
  const std::vector<std::string>* items = nullptr;  // list controls, filled at start-up
};

}  // namespace qmx
