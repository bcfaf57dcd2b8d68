#include "blocks/exchange_parameters.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "link/line_text.h"
#include "registers/input_parsing.h"
#include "registers/value_formats.h"

namespace qmx {
namespace {

constexpr uint16_t kFirstYear = 2017;
constexpr uint16_t kInitMode = 1;
constexpr uint16_t kMaxReplyDelay = 255;
constexpr int kReadPauseMs = 100;
constexpr std::array<uint16_t, 3> kExpectedIdentity = {1, 6, 0};

const std::vector<std::string> kAddressItems = NumberListItems(0, 247, true);
const std::vector<std::string> kBaudItems = {"1200",  "2400",  "4800",  "9600",
                                             "19200", "38400", "57600", "115200"};
const std::vector<std::string> kParityItems = {"Без паритета", "Нечетный", "Четный"};
const std::vector<std::string> kDayItems = NumberListItems(1, 31, false);
const std::vector<std::string> kMonthItems = NumberListItems(1, 12, false);
const std::vector<std::string> kYearItems = NumberListItems(kFirstYear, 2099, false);
const std::vector<std::string> kFloatOrderItems = {"0 1 2 3", "2 3 0 1", "1 0 3 2", "3 2 1 0"};

constexpr char kModelError[] = "Вводимые данные не получается представить целым числом.";
constexpr char kNumberError[] =
    "Вводимые данные заводского номера не получается представить целым числом.";
constexpr char kDelayError[] = "Вводимое время задержки не получается представить целым числом.";
constexpr char kHardError[] =
    "Вводимые данные версии железа не получается представить целым числом.";
constexpr char kSoftError[] = "Вводимые данные версии ПО не получается представить целым числом.";
// A list with nothing chosen would send 65535 and the port would follow it.
constexpr char kNoAddressError[] = "Не выбран сетевой номер прибора.";
constexpr char kNoParityError[] = "Не выбран паритет прибора.";
constexpr char kNoBaudError[] = "Не выбрана скорость обмена прибора.";

PassportValues& Passport(BlockValues& v) {
  return v.profile.passport;
}

// --- blocks ------------------------------------------------------------------------

const Field kModelFields[] = {
    WordField(1024, [](BlockValues& v) -> uint16_t& { return Passport(v).model; })};
const ControlRow kModelRows[] = {
    {.control = "Edit87",
     .reg = 1024,
     .show = Show::kText,
     .take = Take::kIntegerLow16,
     .failure = kModelError},
};
const Block kModelBlock{.name = "код модели", .fields = kModelFields, .rows = kModelRows};

const Field kNumberFields[] = {
    WordField(1025, [](BlockValues& v) -> uint16_t& { return Passport(v).num_hi; }),
    WordField(1026, [](BlockValues& v) -> uint16_t& { return Passport(v).num_lo; }),
};
const ControlRow kNumberRows[] = {
    {.control = "Edit100",
     .reg = 1025,
     .show = Show::kText,
     .form = TextForm::kLongHighFirst,
     .take = Take::kUnsignedLongHighFirst,
     .failure = kNumberError},
    {.control = "Edit90", .reg = 1025, .show = Show::kText},
    {.control = "Edit91", .reg = 1026, .show = Show::kText},
};
const Block kNumberBlock{.name = "заводской номер", .fields = kNumberFields, .rows = kNumberRows};

const Field kVersionFields[] = {
    WordField(1027, [](BlockValues& v) -> uint16_t& { return Passport(v).hard_new; }),
    WordField(1028, [](BlockValues& v) -> uint16_t& { return Passport(v).soft_new; }),
};
const ControlRow kVersionRows[] = {
    {.control = "Edit89",
     .reg = 1027,
     .show = Show::kText,
     .take = Take::kIntegerLow16,
     .failure = kHardError},
    {.control = "Edit88",
     .reg = 1028,
     .show = Show::kText,
     .take = Take::kIntegerLow16,
     .failure = kSoftError},
};
const Block kVersionBlock{.name = "версии", .fields = kVersionFields, .rows = kVersionRows};

const Field kDateFields[] = {
    WordField(1029, [](BlockValues& v) -> uint16_t& { return Passport(v).day_new; }),
    WordField(1030, [](BlockValues& v) -> uint16_t& { return Passport(v).month_new; }),
    WordField(1031, [](BlockValues& v) -> uint16_t& { return Passport(v).year_new; }),
};
const ControlRow kDateRows[] = {
    {.control = "ComboBox17",
     .reg = 1029,
     .show = Show::kItemIndex,
     .items = &kDayItems,
     .index_offset = 1,
     .take = Take::kItemIndex,
     .no_selection = 0},
    {.control = "ComboBox18",
     .reg = 1030,
     .show = Show::kItemIndex,
     .items = &kMonthItems,
     .index_offset = 1,
     .take = Take::kItemIndex,
     .no_selection = 0},
    {.control = "ComboBox19",
     .reg = 1031,
     .show = Show::kItemIndex,
     .items = &kYearItems,
     .index_offset = kFirstYear,
     .take = Take::kItemIndex,
     .no_selection = kFirstYear - 1},
};
const Block kDateBlock{.name = "дата изготовления", .fields = kDateFields, .rows = kDateRows};

// The settings proposed for the instrument, as last read or collected.
const Field kExchangeFields[] = {
    WordField(1032, [](BlockValues& v) -> uint16_t& { return v.link.proposed_address; }),
    WordField(1033, [](BlockValues& v) -> uint16_t& { return v.link.proposed_baud_code; }),
    WordField(1034, [](BlockValues& v) -> uint16_t& { return v.link.proposed_parity_code; }),
};
const ControlRow kExchangeRows[] = {
    {.control = "ComboBox15", .reg = 1032, .show = Show::kItemIndex, .items = &kAddressItems},
    {.control = "ComboBox45",
     .reg = 1032,
     .show = Show::kItemIndex,
     .items = &kAddressItems,
     .take = Take::kItemIndex,
     .selection_required = true,
     .failure = kNoAddressError},
    {.control = "ComboBox14",
     .reg = 1033,
     .show = Show::kItemIndex,
     .items = &kBaudItems,
     .index_offset = kFirstBaudCode},
    {.control = "ComboBox46",
     .reg = 1033,
     .show = Show::kItemIndex,
     .items = &kBaudItems,
     .index_offset = kFirstBaudCode,
     .take = Take::kItemIndex,
     .selection_required = true,
     .failure = kNoBaudError},
    {.control = "ComboBox47",
     .reg = 1034,
     .show = Show::kItemIndex,
     .items = &kParityItems,
     .take = Take::kItemIndex,
     .selection_required = true,
     .failure = kNoParityError},
    // Parity on (odd or even), and even.
    {.control = "CheckBox19", .reg = 1034, .show = Show::kChecked, .checked_high = 2},
    {.control = "CheckBox20",
     .reg = 1034,
     .show = Show::kChecked,
     .checked_low = 2,
     .checked_high = 2},
};
const Block kExchangeBlock{
    .name = "параметры обмена", .fields = kExchangeFields, .rows = kExchangeRows};

// What the exchange write sends: the proposed settings as they stand when
// the write is encoded, kept for the port to follow.
const Field kSentFields[] = {
    WordsField(1032, 3, [](BlockValues& v) -> std::span<uint16_t> { return v.exchange.sent; })};
const Block kSentBlock{
    .name = "параметры обмена для записи", .fields = kSentFields, .filled_at_startup = false};

const Field kGapFields[] = {
    WordField(1051, [](BlockValues& v) -> uint16_t& { return v.link.time_gap_dev; })};
const ControlRow kGapRows[] = {{.control = "ComboBox20", .reg = 1051, .show = Show::kText}};
const Block kGapBlock{.name = "зазор между байтами", .fields = kGapFields, .rows = kGapRows};

const Field kInitFields[] = {
    WordField(1048, [](BlockValues& v) -> uint16_t& { return v.exchange.init_flag; })};
const Block kInitBlock{.name = "режим INIT", .fields = kInitFields, .filled_at_startup = false};

const Field kCheckFields[] = {WordsField(
    1152, 3, [](BlockValues& v) -> std::span<uint16_t> { return v.exchange.identity_check; })};
const Block kCheckBlock{
    .name = "проверка прибора", .fields = kCheckFields, .filled_at_startup = false};

const Field kOrderFields[] = {
    WordField(1302, [](BlockValues& v) -> uint16_t& { return v.profile.net_fltype; })};
const ControlRow kOrderRows[] = {
    {.control = "ComboBox16", .reg = 1302, .show = Show::kItemIndex, .items = &kFloatOrderItems}};
const Block kOrderBlock{.name = "порядок байт", .fields = kOrderFields, .rows = kOrderRows};

// --- transactions ------------------------------------------------------------------

const Block* const kExchangeBlocks[] = {&kExchangeBlock};
const Block* const kIdentityBlocks[] = {&kModelBlock, &kNumberBlock, &kVersionBlock, &kDateBlock};
const Block* const kNumberDateBlocks[] = {&kNumberBlock, &kDateBlock};
const Block* const kVersionBlocks[] = {&kVersionBlock};
const Block* const kModelBlocks[] = {&kModelBlock};
const Block* const kSentBlocks[] = {&kSentBlock};
const Block* const kGapBlocks[] = {&kGapBlock};
const Block* const kInitBlocks[] = {&kInitBlock};
const Block* const kCheckBlocks[] = {&kCheckBlock};
const Block* const kOrderBlocks[] = {&kOrderBlock};
// The exchange display: everything the tab and the page show of the block.
const Block* const kDisplayBlocks[] = {&kModelBlock,    &kNumberBlock, &kVersionBlock, &kDateBlock,
                                       &kExchangeBlock, &kGapBlock,    &kOrderBlock};

const Transaction kExchangeReadT[] = {{.start = 1032, .count = 3, .pause_before_ms = 100}};
const Transaction kIdentityReadT[] = {{.start = 1024, .count = 8, .pause_before_ms = 100}};
const Transaction kNumberDateReadT[] = {{.start = 1025, .count = 2, .pause_before_ms = 100},
                                        {.start = 1029, .count = 3, .pause_before_ms = 100}};
// Five registers are read, the versions are the first two.
const Transaction kVersionReadT[] = {
    {.start = 1027, .count = 5, .pause_before_ms = 100, .pause_after_ms = 100}};
const Transaction kInitReadT[] = {{.start = 1048, .count = 1}};
const Transaction kGapReadT[] = {{.start = 1051, .count = 1, .pause_before_ms = 100}};
const Transaction kCheckReadT[] = {{.start = 1152, .count = 3, .pause_before_ms = 100}};
const Transaction kOrderReadT[] = {{.start = 1302, .count = 1, .pause_before_ms = 100}};

const BlockOperation kExchangeRead{kExchangeReadT, kExchangeBlocks};
const BlockOperation kIdentityRead{kIdentityReadT, kIdentityBlocks};
const BlockOperation kNumberDateRead{kNumberDateReadT, kNumberDateBlocks};
const BlockOperation kVersionRead{kVersionReadT, kVersionBlocks};
const BlockOperation kInitRead{kInitReadT, kInitBlocks};
const BlockOperation kGapRead{kGapReadT, kGapBlocks};
const BlockOperation kCheckRead{kCheckReadT, kCheckBlocks};
const BlockOperation kOrderRead{kOrderReadT, kOrderBlocks};

// 400 ms, then another 300 ms before the instrument's line settings change.
const Transaction kExchangeWriteT[] = {
    {.start = 1032,
     .count = 3,
     .pause_before_ms = 700,
     .description = "Запись Net_num_new, ser_spd_new, ser_parity_new."}};
const Transaction kModelWriteT[] = {
    {.start = 1024, .count = 1, .pause_before_ms = 400, .description = "Записать model_new"}};
const Transaction kNumberDateWriteT[] = {
    {.start = 1025,
     .count = 2,
     .pause_before_ms = 400,
     .description = "Записать fack_num_new_hi, fack_num_new_lo. и дату "},
    {.start = 1029,
     .count = 3,
     .pause_before_ms = 400,
     .description = "Записать day_new, month_new, year_new. "}};
const Transaction kVersionWriteT[] = {{.start = 1027,
                                       .count = 2,
                                       .pause_before_ms = 400,
                                       .description = "Записать hard_new, soft_new. "}};
const Transaction kGapWriteT[] = {
    {.start = 1051, .count = 1, .pause_before_ms = 400, .description = "Записать TimeGapDev. "}};

void StageSentValues(BlockValues& v) {
  v.exchange.sent = {v.link.proposed_address, v.link.proposed_baud_code,
                     v.link.proposed_parity_code};
}

const BlockOperation kExchangeWrite{kExchangeWriteT, kSentBlocks, &StageSentValues};
const BlockOperation kModelWrite{kModelWriteT, kModelBlocks};
const BlockOperation kNumberDateWrite{kNumberDateWriteT, kNumberDateBlocks};
const BlockOperation kVersionWrite{kVersionWriteT, kVersionBlocks};
const BlockOperation kGapWrite{kGapWriteT, kGapBlocks};
// The exchange settings as a part of the configuration: the write's
// transaction, shown as the page's lists show them.
const BlockOperation kExchangeConfig{kExchangeWriteT, kExchangeBlocks};

// --- collecting the tab ---------------------------------------------------------------

// A word of the two-word factory-number entry: 0..65535 (a larger number
// would go out as its low 16 bits, another factory number).
std::optional<uint16_t> NumberWord(const Controls& controls, std::string_view edit) {
  const std::optional<int32_t> value = ParseInteger(controls.Text(edit));
  if (!value || *value < 0 || *value > 0xFFFF) return std::nullopt;
  return static_cast<uint16_t>(*value);
}

// The factory number from the fields the operator sees: the whole number,
// or its two words when "длинный" is cleared.
bool CollectFactoryNumber(BlockContext& ctx) {
  PassportValues& passport = Passport(ctx.values);
  if (passport.long_num == 1) return CollectRow(ctx, kNumberBlock, "Edit100");
  const std::optional<uint16_t> hi = NumberWord(ctx.controls, "Edit90");
  const std::optional<uint16_t> lo = NumberWord(ctx.controls, "Edit91");
  if (!hi || !lo) {
    ctx.dialogs.InputError(kNumberError);
    return false;
  }
  passport.num_hi = *hi;
  passport.num_lo = *lo;
  return true;
}

}  // namespace

bool CollectPassport(BlockContext& ctx) {
  return CollectRow(ctx, kModelBlock, "Edit87") && CollectFactoryNumber(ctx) &&
         CollectRow(ctx, kDateBlock, "ComboBox17") && CollectRow(ctx, kDateBlock, "ComboBox18") &&
         CollectRow(ctx, kDateBlock, "ComboBox19");
}

namespace {

// The one collect routine of the tab, in its order; the reply delay and the
// float byte order are the program's own settings and go nowhere else.
BlockOutcome CollectTab(BlockContext& ctx) {
  const bool exchange = CollectPassport(ctx) && CollectRow(ctx, kExchangeBlock, "ComboBox46") &&
                        CollectRow(ctx, kExchangeBlock, "ComboBox47") &&
                        CollectRow(ctx, kExchangeBlock, "ComboBox45");
  if (!exchange) return BlockOutcome::kInputError;
  const std::optional<int32_t> delay = ParseInteger(ctx.controls.Text("Edit86"));
  if (!delay) {
    ctx.dialogs.InputError(kDelayError);
    return BlockOutcome::kInputError;
  }
  ctx.values.link.dely = std::min<uint16_t>(static_cast<uint16_t>(*delay), kMaxReplyDelay);
  const int order = ctx.controls.ItemIndex("ComboBox16");
  ctx.values.profile.net_fltype = order >= 0 && order <= 3 ? static_cast<uint16_t>(order) : 0;
  if (!CollectRow(ctx, kVersionBlock, "Edit89") || !CollectRow(ctx, kVersionBlock, "Edit88")) {
    return BlockOutcome::kInputError;
  }
  return BlockOutcome::kDone;
}

// The group writes count as having looked at the settings.
BlockOutcome CollectGroup(BlockContext& ctx) {
  ctx.values.exchange.settings_never_read = false;
  return CollectTab(ctx);
}

BlockOutcome CollectAll(BlockContext& ctx) {
  ExchangeState& state = ctx.values.exchange;
  if (state.settings_never_read) {
    state.settings_never_read = false;
    if (!ctx.dialogs.Question(kSettingsNeverReadQuestion)) return BlockOutcome::kCancelled;
  }
  if (const BlockOutcome outcome = CollectTab(ctx); outcome != BlockOutcome::kDone) return outcome;
  if (!state.configuration_read_once) {
    if (!ctx.dialogs.Question(
            "Данные конфигурации ни разу не считывались из модуля. Вы просто запишите новые?.")) {
      return BlockOutcome::kCancelled;
    }
    state.configuration_read_once = true;
  }
  return BlockOutcome::kDone;
}

// --- following the instrument to its new settings ------------------------------------

// A port whose line only its gateway sets cannot follow the instrument to
// another rate or parity: the write is refused before anything is sent.
// The lists are looked at as they stand (what the collect would take); a
// list without a choice is left to the collect's own error.
BlockOutcome RefuseFixedLineChange(BlockContext& ctx) {
  const LineParameters& line = ctx.link.line();
  if (!ctx.link.ports().LineFixed(line.port_number)) return BlockOutcome::kDone;
  const int baud = ctx.controls.ItemIndex("ComboBox46");
  const int parity = ctx.controls.ItemIndex("ComboBox47");
  const bool new_baud =
      baud >= 0 &&
      ListedBaudCodeOr19200(static_cast<uint16_t>(baud + kFirstBaudCode)) != line.baud_code;
  const bool new_parity = parity >= 0 && static_cast<uint16_t>(parity) != line.parity_code;
  if (!new_baud && !new_parity) return BlockOutcome::kDone;
  ctx.dialogs.ShowBox(kLineFixedText, kCaptionNotice, BoxButtons::kOk, BoxIcon::kExclamation);
  return BlockOutcome::kCancelled;
}

bool InInitMode(const BlockValues& values) {
  return values.exchange.init_flag == kInitMode;
}

// Before the instrument is unlocked: its INIT flag decides whether the port
// follows the write; and a port that cannot take the new settings is found
// out now, while the instrument is still locked and unchanged, instead of
// after it has switched (when no lock could reach it any more).
BlockOutcome ReadInitFlag(BlockContext& ctx, ExchangeResult& failed) {
  ctx.values.exchange.found_after_lost_answer = false;
  failed = ReadBlock(ctx, kInitRead);
  if (ExchangeFailed(failed)) return BlockOutcome::kFailed;
  if (InInitMode(ctx.values)) return BlockOutcome::kDone;

  LineParameters& line = ctx.link.line();
  const LineParameters in_force = line;
  line.baud_code = ListedBaudCodeOr19200(ctx.values.link.proposed_baud_code);
  line.parity_code = ctx.values.link.proposed_parity_code;
  if (line.baud_code == in_force.baud_code && line.parity_code == in_force.parity_code) {
    line = in_force;
    return BlockOutcome::kDone;
  }
  const bool opens = ReopenPort(ctx);
  line = in_force;
  ReopenPort(ctx);
  return opens ? BlockOutcome::kDone : BlockOutcome::kCancelled;
}

// The line the instrument talks on once it has taken the settings sent.
void SetSentLine(LineParameters& line, const BlockValues& values) {
  const std::array<uint16_t, 3>& sent = values.exchange.sent;
  line.network_address = sent[0];
  line.baud_code = ListedBaudCodeOr19200(sent[1]);
  line.parity_code = sent[2];
}

bool SameLine(const LineParameters& a, const LineParameters& b) {
  return a.network_address == b.network_address && a.baud_code == b.baud_code &&
         a.parity_code == b.parity_code;
}

BlockOutcome FollowInstrument(BlockContext& ctx) {
  if (InInitMode(ctx.values)) return BlockOutcome::kDone;
  LineParameters& line = ctx.link.line();
  const LineParameters before = line;
  SetSentLine(line, ctx.values);
  ShowExchangeValues(ctx.controls, ctx.values);
  if (ctx.port_switch != nullptr) ctx.port_switch->ShowLine();
  // Found there already after a lost answer: the port is open at it.
  if (SameLine(before, line) && ctx.values.exchange.found_after_lost_answer && ctx.link.IsOpen()) {
    return BlockOutcome::kDone;
  }
  if (ReopenPort(ctx)) return BlockOutcome::kDone;
  ctx.dialogs.ShowBox(kSwitchFailedText, kCaptionNotice, BoxButtons::kOk, BoxIcon::kExclamation);
  return BlockOutcome::kFailed;
}

// The write's answer was lost on every attempt, so nobody knows whether the
// instrument took it.  If it did, it now talks at the settings sent, and
// going back to the old line would leave it unlocked and out of reach: one
// read there tells.  Not found: the program stays on the old line.
bool LookForInstrument(BlockContext& ctx, const BlockOperation& operation) {
  if (&operation != &kExchangeWrite || InInitMode(ctx.values)) return false;
  LineParameters& line = ctx.link.line();
  const LineParameters in_force = line;
  SetSentLine(line, ctx.values);
  if (SameLine(in_force, line)) return false;
  std::array<uint16_t, 3> answered{};
  ExchangeResult result;
  if (ctx.link.OpenCurrentPort(0).ok) {
    ctx.link.WaitMs(kReadPauseMs);
    result.status = ctx.link.ReadHoldingRegisters(1032, 3, answered.data(), &result.exception);
  } else {
    result.status = kStatusNoAnswer;
  }
  if (!ExchangeFailed(result)) {
    ctx.values.exchange.found_after_lost_answer = true;
    return true;
  }
  line = in_force;
  ReopenPort(ctx);
  return false;
}

void AfterExchangeWrite(BlockContext& ctx) {
  if (ctx.values.exchange.found_after_lost_answer) ctx.dialogs.Notice(kFoundAfterLostAnswerText);
  if (InInitMode(ctx.values)) ctx.dialogs.Notice(kInitWarning);
}

BlockOutcome CheckIdentity(BlockContext& ctx, ExchangeResult& /*failed*/) {
  const ExchangeResult read = ReadBlock(ctx, kCheckRead);
  const bool confirmed =
      !ExchangeFailed(read) && ctx.values.exchange.identity_check == kExpectedIdentity;
  if (confirmed ||
      ctx.dialogs.Question("При проверке возможности смены параметров не удалось получить "
                           "подтверждение что мы обращаемся к прибору КЮР 10/20 MB/Вектан100.  "
                           "Продолжить все равно?")) {
    return BlockOutcome::kDone;
  }
  return BlockOutcome::kCancelled;
}

// --- displays -------------------------------------------------------------------------------

void ShowNumberEntry(Controls& controls, const BlockValues& values) {
  const bool long_entry = values.profile.passport.long_num == 1;
  controls.SetChecked("CheckBox34", long_entry);
  controls.SetVisible("Edit100", long_entry);
  controls.SetVisible("Edit90", !long_entry);
  controls.SetVisible("Edit91", !long_entry);
}

void ShowExchangeExtras(BlockContext& ctx) {
  ShowExchangeValues(ctx.controls, ctx.values);
}

void ShowInstrumentData(BlockContext& ctx) {
  ShowExchangeValues(ctx.controls, ctx.values);
  const PassportValues& passport = Passport(ctx.values);
  ctx.controls.SetText("Label429", FormatLongDecimal(static_cast<uint32_t>(passport.num_hi) << 16 |
                                                     passport.num_lo));
  char date[40];
  std::snprintf(date, sizeof date, "%u.%02u.%04u", passport.day_new, passport.month_new,
                passport.year_new);
  ctx.controls.SetText("Label431", date);
  ctx.controls.SetText("Label433", FormatLongDecimal(passport.soft_new));
}

void ShowProgramGap(BlockContext& ctx) {
  ctx.controls.SetText("ComboBox21", FormatLongDecimal(ctx.values.link.time_gap_prg));
}

// --- handlers ---------------------------------------------------------------------------

const BlockOperation* const kReadAll[] = {&kExchangeRead, &kNumberDateRead, &kVersionRead,
                                          &kIdentityRead};
const BlockOperation* const kReadNumberDate[] = {&kVersionRead, &kNumberDateRead};
const BlockOperation* const kReadIdentity[] = {&kVersionRead, &kIdentityRead};
const BlockOperation* const kReadGap[] = {&kGapRead};
const BlockOperation* const kReadOrder[] = {&kOrderRead};
const BlockOperation* const kWriteAll[] = {&kNumberDateWrite, &kVersionWrite, &kModelWrite,
                                           &kExchangeWrite};
const BlockOperation* const kWriteExchange[] = {&kExchangeWrite};
const BlockOperation* const kWriteNumberDate[] = {&kNumberDateWrite};
const BlockOperation* const kWriteVersionsModel[] = {&kVersionWrite, &kModelWrite};
const BlockOperation* const kWriteGap[] = {&kGapWrite};

BlockOutcome ReadTab(BlockContext& ctx, std::span<const BlockOperation* const> reads,
                     std::string_view success, void (*after_fill)(BlockContext&)) {
  ctx.values.exchange.configuration_read_once = true;
  return RunRead(
      ctx, {.reads = reads, .fills = kDisplayBlocks, .success = success, .after_fill = after_fill});
}

// The exchange writes: the INIT flag read before the unlock, the port moved
// to what was written, then the lock over the new settings.
GuardedWrite FollowingWrite(std::span<const BlockOperation* const> writes,
                            BlockOutcome (*collect)(BlockContext&), std::string_view success) {
  return {.confirmation = kConfigurationQuestion,
          .success = success,
          .writes = writes,
          .collect_at = CollectPoint::kAfterProtectionQuestion,
          .busy_panel = "Panel46",
          .busy_text = kExchangeBusyText,
          .before_exchange = &RefuseFixedLineChange,
          .collect = collect,
          .before_unlock = &ReadInitFlag,
          .write_unanswered = &LookForInstrument,
          .after_writes = &FollowInstrument,
          .after_success = &AfterExchangeWrite};
}

BlockOutcome WriteExchange(BlockContext& ctx, std::string_view success) {
  return RunGuardedWrite(ctx, FollowingWrite(kWriteExchange, &CollectTab, success));
}

BlockOutcome WriteGroup(BlockContext& ctx, std::span<const BlockOperation* const> writes,
                        std::string_view success) {
  return RunGuardedWrite(ctx, {.confirmation = kConfigurationQuestion,
                               .success = success,
                               .writes = writes,
                               .collect_at = CollectPoint::kAfterProtectionQuestion,
                               .collect = &CollectGroup});
}

const Block* const kBlocks[] = {&kModelBlock,    &kNumberBlock, &kVersionBlock, &kDateBlock,
                                &kExchangeBlock, &kSentBlock,   &kGapBlock,     &kInitBlock,
                                &kCheckBlock,    &kOrderBlock};

const ButtonHandler kButtons[] = {
    {"Button32", &Button32Click}, {"Button33", &Button33Click}, {"Button25", &Button25Click},
    {"BitBtn14", &BitBtn14Click}, {"Button26", &Button26Click}, {"Button27", &Button27Click},
    {"Button28", &Button28Click}, {"Button29", &Button29Click}, {"BitBtn24", &BitBtn24Click},
    {"Button30", &Button30Click}, {"Button31", &Button31Click}, {"Button24", &Button24Click},
};

// Controls the rows do not name, or whose kind a row does not tell (shown
// only, yet edit fields and editable lists).
const ControlInfo kUnboundControls[] = {
    {"Edit86", ControlKind::kEdit, nullptr},
    {"Edit90", ControlKind::kEdit, nullptr},
    {"Edit91", ControlKind::kEdit, nullptr},
    {"ComboBox20", ControlKind::kComboBox, nullptr},
    {"ComboBox21", ControlKind::kComboBox, nullptr},
    {"CheckBox34", ControlKind::kCheckBox, nullptr},
    {"Label208", ControlKind::kLabel, nullptr},
    {"Label429", ControlKind::kLabel, nullptr},
    {"Label431", ControlKind::kLabel, nullptr},
    {"Label433", ControlKind::kLabel, nullptr},
    {"Panel46", ControlKind::kLabel, nullptr},
};

// The tab shows what the page's lists send.
const ControlTwin kTwins[] = {{"ComboBox15", "ComboBox45"}, {"ComboBox14", "ComboBox46"}};

}  // namespace

const std::vector<std::string>& AddressItems() {
  return kAddressItems;
}
const std::vector<std::string>& BaudItems() {
  return kBaudItems;
}
const std::vector<std::string>& ParityItems() {
  return kParityItems;
}
const std::vector<std::string>& FloatOrderItems() {
  return kFloatOrderItems;
}

BlockOutcome Button32Click(BlockContext& ctx) {
  ctx.values.exchange.settings_never_read = false;
  return ReadTab(ctx, kReadAll, "Чтение всех параметров закладки успешно осуществлено.",
                 &ShowExchangeExtras);
}

BlockOutcome Button33Click(BlockContext& ctx) {
  return RunGuardedWrite(ctx,
                         FollowingWrite(kWriteAll, &CollectAll,
                                        "Запись всех параметров закладки успешно осуществлена."));
}

BlockOutcome Button25Click(BlockContext& ctx) {
  return WriteExchange(ctx, "Запись параметров обмена модуля успешно осуществлена.");
}

BlockOutcome BitBtn14Click(BlockContext& ctx) {
  return WriteExchange(ctx, "Запись параметров обмена прибора успешно осуществлена.");
}

BlockOutcome Button26Click(BlockContext& ctx) {
  return ReadTab(ctx, kReadNumberDate,
                 "Чтение заводского номера и даты изготовления успешно осуществлено.",
                 &ShowExchangeExtras);
}

BlockOutcome Button27Click(BlockContext& ctx) {
  return WriteGroup(ctx, kWriteNumberDate,
                    "Запись заводского номера и даты изготовления успешно осуществлена.");
}

BlockOutcome Button28Click(BlockContext& ctx) {
  return ReadTab(ctx, kReadIdentity, "Чтение кода модели и версий ПО успешно осуществлено.",
                 &ShowExchangeExtras);
}

BlockOutcome Button29Click(BlockContext& ctx) {
  return WriteGroup(ctx, kWriteVersionsModel,
                    "Запись кода модели и версий ПО успешно осуществлена.");
}

BlockOutcome BitBtn24Click(BlockContext& ctx) {
  return ReadTab(ctx, kReadIdentity, "Чтение данных прибора успешно осуществлено.",
                 &ShowInstrumentData);
}

BlockOutcome Button30Click(BlockContext& ctx) {
  ctx.values.exchange.configuration_read_once = true;
  return RunRead(ctx, {.reads = kReadGap,
                       .fills = kGapBlocks,
                       .success = "Чтение дополнительного временного зазора между байтами "
                                  "успешно осуществлено.",
                       .after_fill = &ShowProgramGap});
}

// The gap written is the one staged (last read, the settings file or a
// profile save), not what the list shows.
BlockOutcome Button31Click(BlockContext& ctx) {
  return RunGuardedWrite(ctx, {.confirmation = "Временной зазор между байтами будет изменен?",
                               .success = "Запись дополнительного временного зазора между "
                                          "байтами успешно осуществлена.",
                               .writes = kWriteGap,
                               .read_state_word = false,
                               .before_unlock = &CheckIdentity});
}

// The order is looked at, not confirmed: the list shows it.
BlockOutcome Button24Click(BlockContext& ctx) {
  return RunRead(ctx, {.reads = kReadOrder, .fills = kOrderBlocks});
}

void ShowExchangeValues(Controls& controls, BlockValues& values) {
  for (const Block* block : kDisplayBlocks) FillBlock(controls, values, *block);
  controls.SetText("Edit86", FormatLongDecimal(values.link.dely));
  ShowNumberEntry(controls, values);
  ShowProposedSummary(controls, values);
}

bool CheckBox34Click(Controls& controls, Dialogs& dialogs, BlockValues& values) {
  PassportValues& passport = Passport(values);
  if (controls.Checked("CheckBox34")) {
    const std::optional<uint16_t> hi = NumberWord(controls, "Edit90");
    const std::optional<uint16_t> lo = NumberWord(controls, "Edit91");
    if (!hi || !lo) {
      dialogs.InputError(kIntegerInputError, false);
      ShowNumberEntry(controls, values);
      return false;
    }
    passport.long_num = 1;
    passport.num_hi = *hi;
    passport.num_lo = *lo;
  } else {
    unsigned number = 0;
    if (std::sscanf(controls.Text("Edit100").c_str(), "%u", &number) != 1) number = 0;
    passport.long_num = 0;
    passport.num_hi = static_cast<uint16_t>(number >> 16);
    passport.num_lo = static_cast<uint16_t>(number & 0xFFFFu);
  }
  FillBlock(controls, values, kNumberBlock);
  ShowNumberEntry(controls, values);
  return true;
}

void ParityBoxClicked(Controls& controls, BlockValues& values, bool even_box) {
  const std::string_view clicked = even_box ? "CheckBox20" : "CheckBox19";
  const std::string_view other = even_box ? "CheckBox19" : "CheckBox20";
  uint16_t& parity = values.link.proposed_parity_code;
  if (!controls.Checked(clicked)) {
    parity = 0;
  } else {
    parity = controls.Checked(other) ? 2 : 1;
  }
  // The boxes and the page's list follow the code; the other lists keep
  // what the operator may have chosen in them.
  controls.SetChecked("CheckBox19", parity == 1 || parity == 2);
  controls.SetChecked("CheckBox20", parity == 2);
  controls.SetItemIndex("ComboBox47", parity);
  ShowProposedSummary(controls, values);
}

void ShowListedSummary(Controls& controls, const BlockValues& values) {
  const LinkSettings& link = values.link;
  const int baud = controls.ItemIndex("ComboBox46");
  const int parity = controls.ItemIndex("ComboBox47");
  controls.SetText(
      "Label208",
      ProposedLineSummaryText(
          link.line.port_number,
          baud >= 0 ? static_cast<uint16_t>(baud + kFirstBaudCode) : link.proposed_baud_code,
          parity >= 0 ? static_cast<uint16_t>(parity) : link.proposed_parity_code));
}

void ShowProposedSummary(Controls& controls, const BlockValues& values) {
  const LinkSettings& link = values.link;
  controls.SetText("Label208",
                   ProposedLineSummaryText(link.line.port_number, link.proposed_baud_code,
                                           link.proposed_parity_code));
}

std::span<const Block* const> ExchangeBlocks() {
  return kBlocks;
}
std::span<const ButtonHandler> ExchangeButtons() {
  return kButtons;
}
std::span<const ControlInfo> ExchangeUnboundControls() {
  return kUnboundControls;
}
std::span<const ControlTwin> ExchangeTwins() {
  return kTwins;
}

void StageExchangeSettings(BlockValues& values, const std::array<uint16_t, 3>& sent) {
  values.exchange.sent = sent;
  values.link.proposed_address = sent[0];
  values.link.proposed_baud_code = sent[1];
  values.link.proposed_parity_code = sent[2];
}

BlockOutcome PrepareExchangeWrite(BlockContext& ctx, ExchangeResult& failed) {
  return ReadInitFlag(ctx, failed);
}

BlockOutcome FollowExchangeWrite(BlockContext& ctx) {
  return FollowInstrument(ctx);
}

std::span<const ConfigPart> ExchangeConfigParts() {
  static const ConfigPart parts[] = {
      {"identity", ConfigGroup::kIdentity, &kIdentityRead},
      {"byte-gap", ConfigGroup::kLine, &kGapWrite},
      {"exchange", ConfigGroup::kLine, &kExchangeConfig},
  };
  return parts;
}

}  // namespace qmx
