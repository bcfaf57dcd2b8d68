#include "blocks/discrete_archive.h"

#include <array>

#include "registers/input_parsing.h"
#include "registers/value_formats.h"

namespace qmx {
namespace {

constexpr uint16_t kRetainedFlags = 1962;
constexpr uint16_t kVolatileFlags = 1963;
constexpr int kLongestSeconds = 3600;

std::vector<std::string> OffThenSeconds() {
  std::vector<std::string> items = NumberListItems(0, kLongestSeconds, false);
  items.front() = "выкл.";
  return items;
}

const std::vector<std::string> kOffThenSecondsItems = OffThenSeconds();
const std::vector<std::string> kSecondsItems = NumberListItems(0, kLongestSeconds, false);

// The boxes of the flag words, bit 0 first: each row of boxes is numbered
// from 0 on the tab, the box numbers run the other way.
constexpr std::array<std::string_view, 16> kRetainedBoxes = {
    "CheckBox59", "CheckBox58", "CheckBox57", "CheckBox56", "CheckBox55", "CheckBox54",
    "CheckBox53", "CheckBox52", "CheckBox51", "CheckBox50", "CheckBox49", "CheckBox48",
    "CheckBox47", "CheckBox46", "CheckBox45", "CheckBox44"};
constexpr std::array<std::string_view, 16> kVolatileBoxes = {
    "CheckBox43", "CheckBox42", "CheckBox41", "CheckBox40", "CheckBox39", "CheckBox38",
    "CheckBox37", "CheckBox36", "CheckBox35", "CheckBox14", "CheckBox13", "CheckBox12",
    "CheckBox11", "CheckBox10", "CheckBox9",  "CheckBox8"};

ArchiveValues& Archive(BlockValues& v) {
  return v.profile.archive;
}

// --- discrete flags ---------------------------------------------------------------

const Field kFlagFields[] = {
    WordField(kRetainedFlags, [](BlockValues& v) -> uint16_t& { return v.discrete_flags[0]; }),
    WordField(kVolatileFlags, [](BlockValues& v) -> uint16_t& { return v.discrete_flags[1]; }),
};

constexpr ControlRow FlagRow(std::string_view box, uint16_t reg, int bit) {
  return {.control = box,
          .reg = reg,
          .show = Show::kBit,
          .bit = static_cast<uint16_t>(1u << bit),
          .take = Take::kBit};
}

// Every bit of both words has its box, so collecting the boxes into the
// staged words gives the words built from 0 with one bit per checked box.
constexpr std::array<ControlRow, 32> FlagRows() {
  std::array<ControlRow, 32> rows{};
  for (int bit = 0; bit < 16; ++bit) {
    rows[static_cast<size_t>(bit)] =
        FlagRow(kRetainedBoxes[static_cast<size_t>(bit)], kRetainedFlags, bit);
    rows[static_cast<size_t>(16 + bit)] =
        FlagRow(kVolatileBoxes[static_cast<size_t>(bit)], kVolatileFlags, bit);
  }
  return rows;
}

constexpr std::array<ControlRow, 32> kFlagRows = FlagRows();
const Block kFlagBlock{.name = "дискретные параметры", .fields = kFlagFields, .rows = kFlagRows};
const Block* const kFlagBlocks[] = {&kFlagBlock};
const Transaction kFlagReadT[] = {
    {.start = kRetainedFlags, .count = 2, .pause_before_ms = 100, .pause_after_ms = 100}};
const Transaction kFlagWriteT[] = {{.start = kRetainedFlags,
                                    .count = 2,
                                    .pause_after_ms = 400,
                                    .description = "запись дискретных выходов "}};
const BlockOperation kFlagRead{kFlagReadT, kFlagBlocks};
const BlockOperation kFlagWrite{kFlagWriteT, kFlagBlocks};

// --- archive interval and module ----------------------------------------------------

const Field kArchiveFields[] = {
    WordField(1952,
              [](BlockValues& v) -> uint16_t& { return Archive(v).frame_write_interval_sec; }),
    WordField(1953, [](BlockValues& v) -> uint16_t& { return Archive(v).frame_write_type; }),
};
const ControlRow kArchiveRows[] = {
    // An empty list would send 65535 s: the write stops with a box instead.
    {.control = "ComboBox58",
     .reg = 1952,
     .show = Show::kItemIndex,
     .items = &kOffThenSecondsItems,
     .take = Take::kItemIndex,
     .selection_required = true,
     .failure = kNoArchiveIntervalError},
    {.control = "CheckBox92",
     .reg = 1953,
     .show = Show::kChecked,
     .checked_high = 0xFFFF,
     .take = Take::kChecked},
};
const Block kArchiveBlock{
    .name = "интервал архивации", .fields = kArchiveFields, .rows = kArchiveRows};
const Block* const kArchiveBlocks[] = {&kArchiveBlock};
const Transaction kArchiveReadT[] = {
    {.start = 1952, .count = 2, .pause_before_ms = 100, .pause_after_ms = 100}};
const Transaction kArchiveWriteT[] = {
    {.start = 1952, .count = 2, .pause_after_ms = 400, .description = "интервал архивации "}};
const BlockOperation kArchiveRead{kArchiveReadT, kArchiveBlocks};
const BlockOperation kArchiveWrite{kArchiveWriteT, kArchiveBlocks};

// --- current archive frame ------------------------------------------------------------

const Field kFrameFields[] = {
    LongField(1964, [](BlockValues& v) -> uint32_t& { return Archive(v).current_frame; }),
};
// A count: shown unsigned, and taken back in either form, so that what is
// shown (or its signed form) writes the same bits.
const ControlRow kFrameRows[] = {
    {.control = "Edit101",
     .reg = 1964,
     .show = Show::kText,
     .form = TextForm::kLongHighFirst,
     .take = Take::kAnyLongHighFirst,
     .failure = kIntegerInputError},
};
const Block kFrameBlock{.name = "номер текущего кадра", .fields = kFrameFields, .rows = kFrameRows};
const Block* const kFrameBlocks[] = {&kFrameBlock};
const Transaction kFrameReadT[] = {
    {.start = 1964, .count = 2, .pause_before_ms = 100, .pause_after_ms = 100}};
const Transaction kFrameWriteT[] = {
    {.start = 1964, .count = 2, .pause_after_ms = 400, .description = "номер текущего кадра "}};
const BlockOperation kFrameRead{kFrameReadT, kFrameBlocks};
const BlockOperation kFrameWrite{kFrameWriteT, kFrameBlocks};

// --- electrode cleaning ---------------------------------------------------------------

const Field kCleaningFields[] = {
    WordField(1954, [](BlockValues& v) -> uint16_t& { return v.profile.el_clear_time_val; }),
};
const ControlRow kCleaningRows[] = {
    {.control = "ComboBox54",
     .reg = 1954,
     .show = Show::kItemIndex,
     .items = &kOffThenSecondsItems,
     .take = Take::kItemIndex,
     .selection_required = true,
     .failure = kNoCleaningTimeError},
};
const Block kCleaningBlock{
    .name = "время очистки электродов", .fields = kCleaningFields, .rows = kCleaningRows};
const Block* const kCleaningBlocks[] = {&kCleaningBlock};
const Transaction kCleaningReadT[] = {
    {.start = 1954, .count = 1, .pause_before_ms = 100, .pause_after_ms = 100}};
// The cleaning writes name no text of their own: the exchange log shows
// them under the text set last.
const Transaction kCleaningWriteT[] = {{.start = 1954, .count = 1}};
const BlockOperation kCleaningRead{kCleaningReadT, kCleaningBlocks};
const BlockOperation kCleaningWrite{kCleaningWriteT, kCleaningBlocks};

const Field kCleaningOnFields[] = {CommandField(1955, 1)};
const Field kCleaningOffFields[] = {CommandField(1955, 0)};
const Block kCleaningOnBlock{.name = "включить очистку электродов", .fields = kCleaningOnFields};
const Block kCleaningOffBlock{.name = "выключить очистку электродов", .fields = kCleaningOffFields};
const Block* const kCleaningOnBlocks[] = {&kCleaningOnBlock};
const Block* const kCleaningOffBlocks[] = {&kCleaningOffBlock};
const Transaction kCleaningSwitchT[] = {{.start = 1955, .count = 1}};
const BlockOperation kCleaningOn{kCleaningSwitchT, kCleaningOnBlocks};
const BlockOperation kCleaningOff{kCleaningSwitchT, kCleaningOffBlocks};

// --- handlers -------------------------------------------------------------------------

const BlockOperation* const kFlagReads[] = {&kFlagRead};
const BlockOperation* const kFlagWrites[] = {&kFlagWrite};
const BlockOperation* const kArchiveReads[] = {&kArchiveRead};
const BlockOperation* const kArchiveWrites[] = {&kArchiveWrite};
const BlockOperation* const kFrameReads[] = {&kFrameRead};
const BlockOperation* const kFrameWrites[] = {&kFrameWrite};
const BlockOperation* const kCleaningReads[] = {&kCleaningRead};
const BlockOperation* const kCleaningWrites[] = {&kCleaningWrite};
const BlockOperation* const kCleaningOnWrites[] = {&kCleaningOn};
const BlockOperation* const kCleaningOffWrites[] = {&kCleaningOff};

// A list item stands for its number of seconds.  A value the instrument
// reports beyond the last item is no item at all: the list is cleared
// rather than left showing an older choice that is not the instrument's (a
// row leaves a list it cannot show as it was).  The empty list then stops a
// write until the operator picks a time.
void ClearListAbove(BlockContext& ctx, std::string_view list, uint16_t seconds) {
  if (seconds > kLongestSeconds) ctx.controls.SetItemIndex(list, -1);
}

void ShowArchiveInterval(BlockContext& ctx) {
  ClearListAbove(ctx, "ComboBox58", Archive(ctx.values).frame_write_interval_sec);
}

void ShowCleaningTime(BlockContext& ctx) {
  ClearListAbove(ctx, "ComboBox54", ctx.values.profile.el_clear_time_val);
}

BlockOutcome ReadArchiveInterval(BlockContext& ctx) {
  return RunRead(ctx, {.reads = kArchiveReads,
                       .fills = kArchiveBlocks,
                       .success = "Чтение интервала записи в архив успешно осуществлено.",
                       .after_fill = &ShowArchiveInterval});
}

BlockOutcome WriteArchiveInterval(BlockContext& ctx) {
  return RunGuardedWrite(ctx, {.confirmation = "Интервал архивации будет переписан?.",
                               .success = "Запись интервала архивации успешно осуществлена.",
                               .writes = kArchiveWrites});
}

BlockOutcome ReadCleaningTime(BlockContext& ctx) {
  return RunRead(ctx, {.reads = kCleaningReads,
                       .fills = kCleaningBlocks,
                       .success = "Чтение времени очистки электродов успешно осуществлено.",
                       .after_fill = &ShowCleaningTime});
}

BlockOutcome WriteCleaningTime(BlockContext& ctx) {
  return RunGuardedWrite(ctx, {.confirmation = "Время очистки электродов будет переписано?.",
                               .success = "Запись времени очистки электродов успешно осуществлена.",
                               .writes = kCleaningWrites,
                               .read_state_word = false});
}

BlockOutcome SwitchCleaningOn(BlockContext& ctx) {
  return RunGuardedWrite(ctx, {.confirmation = "Будет включена очистка электродов.",
                               .success = "Включена очистка электродов.",
                               .writes = kCleaningOnWrites,
                               .read_state_word = false});
}

BlockOutcome SwitchCleaningOff(BlockContext& ctx) {
  return RunGuardedWrite(ctx, {.confirmation = "Будет выключена очистка электродов.",
                               .success = "Выключена очистка электродов.",
                               .writes = kCleaningOffWrites,
                               .read_state_word = false});
}

const Block* const kBlocks[] = {&kFlagBlock,     &kArchiveBlock,    &kFrameBlock,
                                &kCleaningBlock, &kCleaningOnBlock, &kCleaningOffBlock};

const ButtonHandler kButtons[] = {
    {"Button68", &Button68Click}, {"Button69", &Button69Click}, {"Button73", &Button73Click},
    {"BitBtn22", &BitBtn22Click}, {"Button74", &Button74Click}, {"BitBtn23", &BitBtn23Click},
    {"Button75", &Button75Click}, {"Button76", &Button76Click}, {"Button63", &Button63Click},
    {"BitBtn20", &BitBtn20Click}, {"Button64", &Button64Click}, {"BitBtn21", &BitBtn21Click},
    {"Button61", &Button61Click}, {"BitBtn18", &BitBtn18Click}, {"Button62", &Button62Click},
    {"BitBtn19", &BitBtn19Click},
};

// The tab's controls that show what the page's lists send.
const ControlInfo kUnboundControls[] = {
    {"ComboBox36", ControlKind::kComboBox, &kSecondsItems},
    {"Edit98", ControlKind::kEdit, nullptr},
};

// ComboBox36 ("0" ... "3600") and ComboBox58 ("выкл.", "1" ... "3600") differ
// only in the text of item 0; in both the item index is the number of
// seconds, so they follow each other by index.  Edit98 follows ComboBox54 by
// text ("выкл." for 0), and a number typed into it picks the item of that
// number.
const ControlTwin kTwins[] = {{"ComboBox36", "ComboBox58"}, {"Edit98", "ComboBox54"}};

}  // namespace

const std::vector<std::string>& OffThenSecondsItems() {
  return kOffThenSecondsItems;
}
const std::vector<std::string>& SecondsItems() {
  return kSecondsItems;
}

std::string_view FlagBox(uint16_t reg, int bit) {
  if (bit < 0 || bit > 15) return {};
  if (reg == kRetainedFlags) return kRetainedBoxes[static_cast<size_t>(bit)];
  if (reg == kVolatileFlags) return kVolatileBoxes[static_cast<size_t>(bit)];
  return {};
}

BlockOutcome Button68Click(BlockContext& ctx) {
  return RunRead(ctx, {.reads = kFlagReads,
                       .fills = kFlagBlocks,
                       .success = "Чтение дискретных параметров успешно осуществлено."});
}

BlockOutcome Button69Click(BlockContext& ctx) {
  return RunGuardedWrite(ctx, {.confirmation = "Дискретные параметры будут переписаны?.",
                               .success = "Запись дискретных параметров успешно осуществлена.",
                               .writes = kFlagWrites});
}

BlockOutcome Button73Click(BlockContext& ctx) {
  return ReadArchiveInterval(ctx);
}
BlockOutcome BitBtn22Click(BlockContext& ctx) {
  return ReadArchiveInterval(ctx);
}
BlockOutcome Button74Click(BlockContext& ctx) {
  return WriteArchiveInterval(ctx);
}
BlockOutcome BitBtn23Click(BlockContext& ctx) {
  return WriteArchiveInterval(ctx);
}

BlockOutcome Button75Click(BlockContext& ctx) {
  return RunRead(ctx, {.reads = kFrameReads,
                       .fills = kFrameBlocks,
                       .success = "Чтение текущего номера кадра успешно осуществлено."});
}

BlockOutcome Button76Click(BlockContext& ctx) {
  return RunGuardedWrite(ctx, {.confirmation = "Текущий номер кадра будет переписан?.",
                               .success = "Запись текущего номера кадра успешно осуществлена.",
                               .writes = kFrameWrites});
}

BlockOutcome Button63Click(BlockContext& ctx) {
  return ReadCleaningTime(ctx);
}
BlockOutcome BitBtn20Click(BlockContext& ctx) {
  return ReadCleaningTime(ctx);
}
BlockOutcome Button64Click(BlockContext& ctx) {
  return WriteCleaningTime(ctx);
}
BlockOutcome BitBtn21Click(BlockContext& ctx) {
  return WriteCleaningTime(ctx);
}
BlockOutcome Button61Click(BlockContext& ctx) {
  return SwitchCleaningOn(ctx);
}
BlockOutcome BitBtn18Click(BlockContext& ctx) {
  return SwitchCleaningOn(ctx);
}
BlockOutcome Button62Click(BlockContext& ctx) {
  return SwitchCleaningOff(ctx);
}
BlockOutcome BitBtn19Click(BlockContext& ctx) {
  return SwitchCleaningOff(ctx);
}

std::span<const Block* const> DiscreteArchiveBlocks() {
  return kBlocks;
}
std::span<const ButtonHandler> DiscreteArchiveButtons() {
  return kButtons;
}
std::span<const ControlInfo> DiscreteArchiveUnboundControls() {
  return kUnboundControls;
}
std::span<const ControlTwin> DiscreteArchiveTwins() {
  return kTwins;
}

std::span<const ConfigPart> DiscreteArchiveConfigParts() {
  static const ConfigPart parts[] = {
      {"discrete-flags", ConfigGroup::kSettings, &kFlagWrite},
      {"archive-interval", ConfigGroup::kSettings, &kArchiveWrite},
      {"electrode-cleaning", ConfigGroup::kSettings, &kCleaningWrite},
  };
  return parts;
}

}  // namespace qmx
