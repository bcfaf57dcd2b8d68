#include "blocks/clock_password.h"

#include <cstdio>
#include <optional>
#include <string_view>
#include <vector>

#include "registers/input_parsing.h"
#include "registers/value_formats.h"

namespace qmx {
namespace {

constexpr uint16_t kFirstYear = 2017;

const std::vector<std::string> kYearItems = NumberListItems(kFirstYear, 2099, false);
const std::vector<std::string> kMonthItems = NumberListItems(1, 12, false);
const std::vector<std::string> kDayItems = NumberListItems(1, 31, false);
const std::vector<std::string> kHourItems = NumberListItems(0, 23, false);
const std::vector<std::string> kMinuteItems = NumberListItems(0, 59, false);

ClockValues& Clock(BlockValues& v) {
  return v.clock;
}

// --- clock ---------------------------------------------------------------------------

const Field kClockFields[] = {
    WordField(1056, [](BlockValues& v) -> uint16_t& { return Clock(v).year; }),
    WordField(1057, [](BlockValues& v) -> uint16_t& { return Clock(v).month; }),
    WordField(1058, [](BlockValues& v) -> uint16_t& { return Clock(v).day; }),
    WordField(1059, [](BlockValues& v) -> uint16_t& { return Clock(v).hour; }),
    WordField(1060, [](BlockValues& v) -> uint16_t& { return Clock(v).minute; }),
    WordField(1061, [](BlockValues& v) -> uint16_t& { return Clock(v).second; }),
};

constexpr ControlRow ShownIn(std::string_view control, uint16_t reg,
                             const std::vector<std::string>* items, int offset) {
  return {.control = control,
          .reg = reg,
          .show = Show::kItemIndex,
          .items = items,
          .index_offset = offset};
}

// A list with nothing chosen would send a date and time nobody chose.
constexpr ControlRow TakenFrom(std::string_view control, uint16_t reg,
                               const std::vector<std::string>* items, int offset) {
  return {.control = control,
          .reg = reg,
          .items = items,
          .index_offset = offset,
          .take = Take::kItemIndex,
          .selection_required = true,
          .failure = kDateNotChosenError};
}

// The page's lists show what was read; the tab's lists are what is written,
// so a read leaves the operator's choice on the tab alone.
const ControlRow kClockRows[] = {
    ShownIn("ComboBox53", 1056, &kYearItems, kFirstYear),
    ShownIn("ComboBox52", 1057, &kMonthItems, 1),
    ShownIn("ComboBox51", 1058, &kDayItems, 1),
    ShownIn("ComboBox48", 1059, &kHourItems, 0),
    ShownIn("ComboBox49", 1060, &kMinuteItems, 0),
    ShownIn("ComboBox50", 1061, &kMinuteItems, 0),
    TakenFrom("ComboBox30", 1056, &kYearItems, kFirstYear),
    TakenFrom("ComboBox29", 1057, &kMonthItems, 1),
    TakenFrom("ComboBox28", 1058, &kDayItems, 1),
    TakenFrom("ComboBox8", 1059, &kHourItems, 0),
    TakenFrom("ComboBox9", 1060, &kMinuteItems, 0),
    TakenFrom("ComboBox27", 1061, &kMinuteItems, 0),
};
const Block kClockBlock{
    .name = "часы прибора", .fields = kClockFields, .rows = kClockRows, .filled_at_startup = false};
const Block* const kClockBlocks[] = {&kClockBlock};

const Transaction kClockReadT[] = {{.start = 1056, .count = 6, .pause_before_ms = 100}};
const Transaction kClockWriteT[] = {
    {.start = 1056, .count = 6, .pause_before_ms = 400, .description = "Записать время и дату. "}};
const BlockOperation kClockRead{kClockReadT, kClockBlocks};
const BlockOperation kClockWrite{kClockWriteT, kClockBlocks};

// --- password ------------------------------------------------------------------------

const Field kPasswordFields[] = {
    WordField(1264, [](BlockValues& v) -> uint16_t& { return v.menu_password; })};
// Taken by CollectPassword: its ceiling applies to the whole number typed.
const ControlRow kPasswordRows[] = {{.control = "Edit113", .reg = 1264, .show = Show::kText}};
const Block kPasswordBlock{.name = "пароль меню передней панели",
                           .fields = kPasswordFields,
                           .rows = kPasswordRows,
                           .filled_at_startup = false};
const Block* const kPasswordBlocks[] = {&kPasswordBlock};

const Transaction kPasswordReadT[] = {{.start = 1264, .count = 1, .pause_before_ms = 100}};
const Transaction kPasswordWriteT[] = {{.start = 1264,
                                        .count = 1,
                                        .pause_before_ms = 400,
                                        .description = "Записать пароль меню передней панели. "}};
const BlockOperation kPasswordRead{kPasswordReadT, kPasswordBlocks};
const BlockOperation kPasswordWrite{kPasswordWriteT, kPasswordBlocks};

// --- hooks ------------------------------------------------------------------------------

// The clock keeps month, day, hour, minute and second as bytes: what a read
// brought beyond the low byte is not the instrument's time.
void KeepLowBytes(ClockValues& clock) {
  for (uint16_t* value : {&clock.month, &clock.day, &clock.hour, &clock.minute, &clock.second}) {
    *value &= 0x00FFu;
  }
}

// A read fills the page's lists and Panel117.  Not a plain fill: the staged
// bytes are cut to 8 bits first, and a value beyond a list clears its
// selection instead of leaving the item of an earlier read (Panel117 still
// shows it in full).
void ShowClock(BlockContext& ctx) {
  ClockValues& clock = Clock(ctx.values);
  KeepLowBytes(clock);
  FillBlock(ctx.controls, ctx.values, kClockBlock);
  for (const ControlRow& row : kClockRows) {
    if (row.show != Show::kItemIndex) continue;
    uint16_t value = 0;
    switch (row.reg) {
      case 1056:
        value = clock.year;
        break;
      case 1057:
        value = clock.month;
        break;
      case 1058:
        value = clock.day;
        break;
      case 1059:
        value = clock.hour;
        break;
      case 1060:
        value = clock.minute;
        break;
      default:
        value = clock.second;
        break;
    }
    if (value >= row.items->size() + static_cast<size_t>(row.index_offset)) {
      ctx.controls.SetItemIndex(row.control, -1);
    }
  }
  ctx.controls.SetText("Panel117", ClockText(clock));
}

// The tab's lists, then the calendar: a date that does not exist is refused
// here rather than left to whatever the instrument's clock makes of it.
BlockOutcome CollectClockLists(BlockContext& ctx) {
  const BlockOperation* const writes[] = {&kClockWrite};
  if (!CollectBlocks(ctx, writes)) return BlockOutcome::kInputError;
  const ClockValues& clock = Clock(ctx.values);
  if (!DateExists(clock.year, clock.month, clock.day)) {
    ctx.dialogs.InputError(kNoSuchDateError);
    return BlockOutcome::kInputError;
  }
  return BlockOutcome::kDone;
}

// The computer's local time at this moment (called after the unlock, so the
// time sent is the time of the write; milliseconds dropped).  Taken from
// the link's clock, so that the whole program keeps one notion of time.
BlockOutcome TakeComputerTime(BlockContext& ctx) {
  const LocalTime now = ctx.link.clock().LocalNow();
  ClockValues& clock = Clock(ctx.values);
  clock.year = static_cast<uint16_t>(now.year);
  clock.month = static_cast<uint16_t>(now.month & 0xFFu);
  clock.day = static_cast<uint16_t>(now.day & 0xFFu);
  clock.hour = static_cast<uint16_t>(now.hour & 0xFFu);
  clock.minute = static_cast<uint16_t>(now.minute & 0xFFu);
  clock.second = static_cast<uint16_t>(now.second & 0xFFu);
  return BlockOutcome::kDone;
}

// Digits after an optional sign, blanks around: a decimal number, however
// long.
bool IsDecimalText(std::string_view text) {
  while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ') text.remove_prefix(1);
  while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ') text.remove_suffix(1);
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) text.remove_prefix(1);
  if (text.empty()) return false;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

// Edit113 into the staged password.  Not a table row: the ceiling of 9999
// applies to the number as typed, so 70000 is sent as 9999 (its low 16 bits
// would make it 4464), a negative number as 9999, and a decimal number too
// long for the integer conversion as 9999 as well.
BlockOutcome CollectPassword(BlockContext& ctx) {
  const std::string text = ctx.controls.Text("Edit113");
  const std::optional<int32_t> value = ParseInteger(text);
  if (!value && !IsDecimalText(text)) {
    ctx.dialogs.InputError(kPasswordInputError);
    return BlockOutcome::kInputError;
  }
  ctx.values.menu_password = value && *value >= 0 && *value <= kMaxMenuPassword
                                 ? static_cast<uint16_t>(*value)
                                 : kMaxMenuPassword;
  // The fields show the password that goes out, not the 70000 typed.
  FillBlock(ctx.controls, ctx.values, kPasswordBlock);
  return BlockOutcome::kDone;
}

// --- handlers ---------------------------------------------------------------------------

const BlockOperation* const kClockReads[] = {&kClockRead};
const BlockOperation* const kClockWrites[] = {&kClockWrite};
const BlockOperation* const kPasswordReads[] = {&kPasswordRead};
const BlockOperation* const kPasswordWrites[] = {&kPasswordWrite};

BlockOutcome ReadClock(BlockContext& ctx) {
  return RunRead(ctx, {.reads = kClockReads, .success = kClockReadText, .after_fill = &ShowClock});
}

BlockOutcome WriteClockFromLists(BlockContext& ctx) {
  return RunGuardedWrite(ctx, {.confirmation = kClockQuestion,
                               .success = kClockWrittenText,
                               .writes = kClockWrites,
                               .collect = &CollectClockLists});
}

BlockOutcome ReadPassword(BlockContext& ctx) {
  return RunRead(ctx, {
                          .reads = kPasswordReads,
                          .fills = kPasswordBlocks,
                          .success = kPasswordReadText,
                      });
}

BlockOutcome WritePassword(BlockContext& ctx) {
  return RunGuardedWrite(ctx, {.confirmation = kPasswordQuestion,
                               .success = kPasswordWrittenText,
                               .writes = kPasswordWrites,
                               .collect = &CollectPassword});
}

const Block* const kBlocks[] = {&kClockBlock, &kPasswordBlock};

const ButtonHandler kButtons[] = {
    {"Button51", &Button51Click}, {"BitBtn15", &BitBtn15Click}, {"Button52", &Button52Click},
    {"BitBtn17", &BitBtn17Click}, {"BitBtn31", &BitBtn31Click}, {"Button53", &Button53Click},
    {"BitBtn28", &BitBtn28Click}, {"Button54", &Button54Click}, {"BitBtn29", &BitBtn29Click},
};

// Edit113 is an edit field the collect hook takes; Edit7 only follows it.
const ControlInfo kUnboundControls[] = {
    {"Edit113", ControlKind::kEdit, nullptr},
    {"Edit7", ControlKind::kEdit, nullptr},
    {"Panel117", ControlKind::kLabel, nullptr},
};

// The tab's password field shows what the page's field sends, and the
// other way round.
const ControlTwin kTwins[] = {{"Edit7", "Edit113"}};

}  // namespace

BlockOutcome Button51Click(BlockContext& ctx) {
  return ReadClock(ctx);
}
BlockOutcome BitBtn15Click(BlockContext& ctx) {
  return ReadClock(ctx);
}
BlockOutcome Button52Click(BlockContext& ctx) {
  return WriteClockFromLists(ctx);
}
BlockOutcome BitBtn17Click(BlockContext& ctx) {
  return WriteClockFromLists(ctx);
}

// Not the plain guarded write: the confirmation comes first, and the time is
// taken from the computer's clock only once the instrument is unlocked.
BlockOutcome BitBtn31Click(BlockContext& ctx) {
  return RunGuardedWrite(ctx, {.confirmation = kClockQuestion,
                               .success = kClockWrittenText,
                               .writes = kClockWrites,
                               .collect_at = CollectPoint::kAfterUnlock,
                               .confirm_first = true,
                               .collect = &TakeComputerTime});
}

BlockOutcome Button53Click(BlockContext& ctx) {
  return ReadPassword(ctx);
}
BlockOutcome BitBtn28Click(BlockContext& ctx) {
  return ReadPassword(ctx);
}
BlockOutcome Button54Click(BlockContext& ctx) {
  return WritePassword(ctx);
}
BlockOutcome BitBtn29Click(BlockContext& ctx) {
  return WritePassword(ctx);
}

std::string ClockText(const ClockValues& clock) {
  char text[64];
  std::snprintf(text, sizeof text, "%u:%02u:%02u  %u.%02u.%04u", unsigned{clock.hour},
                unsigned{clock.minute}, unsigned{clock.second}, unsigned{clock.day},
                unsigned{clock.month}, unsigned{clock.year});
  return text;
}

bool DateExists(unsigned year, unsigned month, unsigned day) {
  if (month < 1 || month > 12 || day < 1) return false;
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  constexpr unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const unsigned days = month == 2 && leap ? 29 : kDays[month - 1];
  return day <= days;
}

std::span<const Block* const> ClockPasswordBlocks() {
  return kBlocks;
}
std::span<const ButtonHandler> ClockPasswordButtons() {
  return kButtons;
}
std::span<const ControlInfo> ClockPasswordUnboundControls() {
  return kUnboundControls;
}
std::span<const ControlTwin> ClockPasswordTwins() {
  return kTwins;
}

std::span<const ConfigPart> ClockPasswordConfigParts() {
  static const ConfigPart parts[] = {
      {"password", ConfigGroup::kPassword, &kPasswordWrite},
  };
  return parts;
}

}  // namespace qmx
