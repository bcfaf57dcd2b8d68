#include "blocks/measurement_settings.h"

#include <cstdio>

#include "blocks/module_parameters.h"
#include "registers/value_formats.h"

namespace qmx {
namespace {

const std::vector<std::string> kFlowUnitItems = {"м куб/сек", "л/сек", "м куб/час", "л/час"};
const std::vector<std::string> kVolumeUnitItems = {"метры куб.", "литры"};
const std::vector<std::string> kDisplayedTotalItems = {
    "Суммарный объем", "Прямой объем", "Обратный объем", "Объем суммарный по модулю"};

const std::vector<std::string> kAveragingItems = NumberListItems(0, 100, true);

MeasurementValues& Measurement(BlockValues& v) {
  return v.profile.measurement;
}

const Field kUnitsFields[] = {
    WordField(1840, [](BlockValues& v) -> uint16_t& { return Measurement(v).izm_flow_v_unit; }),
    WordField(1841, [](BlockValues& v) -> uint16_t& { return Measurement(v).izm_flow_v_ns; }),
    WordField(1856, [](BlockValues& v) -> uint16_t& { return Measurement(v).izm_flow_v_sum_unit; }),
    WordField(1874,
              [](BlockValues& v) -> uint16_t& { return Measurement(v).time_stamp_val_corr_en; }),
    WordField(1956,
              [](BlockValues& v) -> uint16_t& { return Measurement(v).izm_flow_v_dsum_type; }),
};

const ControlRow kUnitsRows[] = {
    {.control = "ComboBox41",
     .reg = 1840,
     .show = Show::kItemIndex,
     .items = &kFlowUnitItems,
     .take = Take::kItemIndex},
    {.control = "ComboBox57",
     .reg = 1856,
     .show = Show::kItemIndex,
     .items = &kVolumeUnitItems,
     .take = Take::kItemIndex},
    {.control = "ComboBox56",
     .reg = 1956,
     .show = Show::kItemIndex,
     .items = &kDisplayedTotalItems,
     .take = Take::kItemIndex},
    {.control = "ComboBox5",
     .reg = 1841,
     .show = Show::kItemIndex,
     .items = &kAveragingItems,
     .take = Take::kItemIndex},
    {.control = "CheckBox6", .reg = 1874, .show = Show::kChecked, .take = Take::kChecked},
    // The tab's twins of the page's lists: shown, never taken.
    {.control = "ComboBox4", .reg = 1840, .show = Show::kItemIndex, .items = &kFlowUnitItems},
    {.control = "ComboBox7", .reg = 1856, .show = Show::kItemIndex, .items = &kVolumeUnitItems},
    {.control = "ComboBox35",
     .reg = 1956,
     .show = Show::kItemIndex,
     .items = &kDisplayedTotalItems},
};

const Block kUnitsBlock{.name = "единицы и усреднение", .fields = kUnitsFields, .rows = kUnitsRows};
const Block* const kUnitsBlocks[] = {&kUnitsBlock};

const Transaction kUnitsReadTransactions[] = {
    {.start = 1840, .count = 2, .pause_before_ms = 100, .pause_after_ms = 100},
    {.start = 1856, .count = 1, .pause_after_ms = 100},
    {.start = 1874, .count = 1},
    {.start = 1956, .count = 1, .pause_after_ms = 100},
};
const BlockOperation kUnitsRead{kUnitsReadTransactions, kUnitsBlocks};

// The last write leaves its pause out: the lock write brings its own.
const Transaction kUnitsWriteFullTransactions[] = {
    {.start = 1840,
     .count = 2,
     .pause_after_ms = 400,
     .description = "единицы и число усреднений "},
    {.start = 1856, .count = 1, .pause_after_ms = 400, .description = "единицы суммы "},
    {.start = 1874,
     .count = 1,
     .pause_after_ms = 400,
     .description = "разрешение коррекции по временной метке "},
    {.start = 1956, .count = 1, .description = "тип отображаемой на экране суммы "},
};
const BlockOperation kUnitsWriteFull{kUnitsWriteFullTransactions, kUnitsBlocks};

// The operator page has no time-stamp switch, so it leaves 1874 alone.
const Transaction kUnitsWritePageTransactions[] = {
    {.start = 1840,
     .count = 2,
     .pause_after_ms = 400,
     .description = "единицы и число усреднений "},
    {.start = 1856, .count = 1, .pause_after_ms = 400, .description = "единицы суммы "},
    {.start = 1956, .count = 1, .description = "тип отображаемой на экране суммы "},
};
const BlockOperation kUnitsWritePage{kUnitsWritePageTransactions, kUnitsBlocks};

const Transaction kCutOffWriteTransactions[] = {
    {.start = 1957, .count = 2, .pause_after_ms = 400, .description = "величина отсечки "},
};
const Block* const kCutOffBlocks[] = {&CutOffBlock()};
const BlockOperation kCutOffWrite{kCutOffWriteTransactions, kCutOffBlocks};

const BlockOperation* const kReadUnits[] = {&kUnitsRead};
const BlockOperation* const kReadCutOff[] = {&ModuleParametersAndCutOffRead()};
const BlockOperation* const kReadBoth[] = {&kUnitsRead, &ModuleParametersAndCutOffRead()};
const Block* const kFillUnits[] = {&kUnitsBlock};
const Block* const kFillCutOff[] = {&CutOffBlock(), &ModuleParameterBlock()};
const Block* const kFillBoth[] = {&CutOffBlock(), &ModuleParameterBlock(), &kUnitsBlock};

const BlockOperation* const kWriteFull[] = {&kUnitsWriteFull};
const BlockOperation* const kWriteCutOff[] = {&kCutOffWrite};
const BlockOperation* const kWritePage[] = {&kCutOffWrite, &kUnitsWritePage};
const BlockOperation* const kCollectPage[] = {&kUnitsWritePage, &kCutOffWrite};

constexpr char kReadSuccess[] = "Чтение параметров измерения успешно осуществлено.";
constexpr char kWriteSuccess[] = "Запись параметров измерения успешно осуществлена.";

const Block* const kBlocks[] = {&kUnitsBlock, &CutOffBlock(), &ModuleParameterBlock()};

const ButtonHandler kButtons[] = {
    {"Button10", &Button10Click}, {"Button11", &Button11Click}, {"Button66", &Button66Click},
    {"Button67", &Button67Click}, {"BitBtn6", &BitBtn6Click},   {"BitBtn7", &BitBtn7Click},
};

const ControlInfo kUnboundControls[] = {
    {"Edit99", ControlKind::kEdit, nullptr},
};

// What the operator chooses on the tab is what the page's lists send.
const ControlTwin kTwins[] = {
    {"ComboBox4", "ComboBox41"}, {"ComboBox7", "ComboBox57"}, {"ComboBox35", "ComboBox56"}};

}  // namespace

const std::vector<std::string>& FlowUnitItems() {
  return kFlowUnitItems;
}
const std::vector<std::string>& VolumeUnitItems() {
  return kVolumeUnitItems;
}
const std::vector<std::string>& DisplayedTotalItems() {
  return kDisplayedTotalItems;
}
const std::vector<std::string>& AveragingItems() {
  return kAveragingItems;
}
const Block& MeasurementUnitsBlock() {
  return kUnitsBlock;
}

BlockOutcome Button10Click(BlockContext& ctx) {
  return RunRead(ctx, {.reads = kReadUnits, .fills = kFillUnits, .success = kReadSuccess});
}

BlockOutcome Button11Click(BlockContext& ctx) {
  return RunGuardedWrite(
      ctx,
      {.confirmation = kConfigurationQuestion, .success = kWriteSuccess, .writes = kWriteFull});
}

BlockOutcome Button66Click(BlockContext& ctx) {
  return RunRead(ctx, {.reads = kReadCutOff,
                       .fills = kFillCutOff,
                       .success = "Чтение параметров отсечки успешно осуществлено."});
}

BlockOutcome Button67Click(BlockContext& ctx) {
  return RunGuardedWrite(ctx, {.confirmation = "Данные отсечки будут переписаны?.",
                               .success = "Запись параметров отсечки успешно осуществлена.",
                               .writes = kWriteCutOff});
}

BlockOutcome BitBtn6Click(BlockContext& ctx) {
  return RunRead(ctx, {.reads = kReadBoth, .fills = kFillBoth, .success = kReadSuccess});
}

BlockOutcome BitBtn7Click(BlockContext& ctx) {
  return RunGuardedWrite(ctx, {.confirmation = kConfigurationQuestion,
                               .success = kWriteSuccess,
                               .writes = kWritePage,
                               .collect_order = kCollectPage});
}

std::span<const Block* const> MeasurementBlocks() {
  return kBlocks;
}
std::span<const ButtonHandler> MeasurementButtons() {
  return kButtons;
}
std::span<const ControlInfo> MeasurementUnboundControls() {
  return kUnboundControls;
}
std::span<const ControlTwin> MeasurementTwins() {
  return kTwins;
}

std::span<const ConfigPart> MeasurementConfigParts() {
  static const ConfigPart parts[] = {
      {"units", ConfigGroup::kSettings, &kUnitsWriteFull},
      {"cut-off", ConfigGroup::kSettings, &kCutOffWrite},
  };
  return parts;
}

}  // namespace qmx
