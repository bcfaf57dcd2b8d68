#include "blocks/external_sensor.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "operator/operation_report.h"
#include "registers/encoding.h"
#include "registers/input_parsing.h"
#include "registers/value_formats.h"

namespace qmx {
namespace {

constexpr uint16_t kNotProcessedBit = 0x8000;  // state words: the quantity is not processed

const std::vector<std::string> kPressureUnitItems = {"Па", "кПа", "МПа"};

ExternalSensorValues& Sensor(BlockValues& v) {
  return v.external_sensor;
}

// --- measured values (525-531) ----------------------------------------------------

const Field kMeasuredFields[] = {
    MeasuredFloatField(525, [](BlockValues& v) -> float& { return Sensor(v).pressure; }),
    WordField(527, [](BlockValues& v) -> uint16_t& { return Sensor(v).kept_527; }),
    WordField(528, [](BlockValues& v) -> uint16_t& { return Sensor(v).pressure_state; }),
    MeasuredFloatField(529, [](BlockValues& v) -> float& { return Sensor(v).temperature; }),
    WordField(531, [](BlockValues& v) -> uint16_t& { return Sensor(v).temperature_state; }),
};
const ControlRow kMeasuredRows[] = {
    {.control = "Panel66", .reg = 525, .show = Show::kText, .form = TextForm::kFloatStandard},
    {.control = "Panel65", .reg = 529, .show = Show::kText, .form = TextForm::kFloatStandard},
};
const Block kMeasuredBlock{.name = "измеренное значение внешнего датчика",
                           .fields = kMeasuredFields,
                           .rows = kMeasuredRows,
                           .filled_at_startup = false};
const Block* const kMeasuredBlocks[] = {&kMeasuredBlock};
const Transaction kMeasuredReadT[] = {{.start = 525, .count = 7, .pause_before_ms = 100}};
const BlockOperation kMeasuredRead{kMeasuredReadT, kMeasuredBlocks};

// --- ADC codes and measured quantities (512-524) ------------------------------------

const Field kAdcFields[] = {
    LongField(512, [](BlockValues& v) -> uint32_t& { return Sensor(v).adc_a1; }),
    LongField(514, [](BlockValues& v) -> uint32_t& { return Sensor(v).adc_a2; }),
    LongField(516, [](BlockValues& v) -> uint32_t& { return Sensor(v).adc_a2_second; }),
    WordField(518, [](BlockValues& v) -> uint16_t& { return Sensor(v).adc_error; }),
    MeasuredFloatField(519, [](BlockValues& v) -> float& { return Sensor(v).voltage; }),
    WordField(521, [](BlockValues& v) -> uint16_t& { return Sensor(v).kept_521; }),
    MeasuredFloatField(522, [](BlockValues& v) -> float& { return Sensor(v).resistance; }),
    WordField(524, [](BlockValues& v) -> uint16_t& { return Sensor(v).kept_524; }),
};
const ControlRow kAdcRows[] = {
    {.control = "Panel72", .reg = 519, .show = Show::kText, .form = TextForm::kFloatStandard},
    {.control = "Panel73", .reg = 522, .show = Show::kText, .form = TextForm::kFloatStandard},
};
const Block kAdcBlock{.name = "коды АЦП внешнего датчика",
                      .fields = kAdcFields,
                      .rows = kAdcRows,
                      .filled_at_startup = false};
const Block* const kAdcBlocks[] = {&kAdcBlock};
const Transaction kAdcReadT[] = {{.start = 512, .count = 13, .pause_before_ms = 100}};
const BlockOperation kAdcRead{kAdcReadT, kAdcBlocks};

// --- measurement parameters (1930-1947) ----------------------------------------------

template <size_t kIndex>
float& Range(BlockValues& v) {
  return Sensor(v).ranges[kIndex];
}

const Field kParameterFields[] = {
    WordField(1930, [](BlockValues& v) -> uint16_t& { return Sensor(v).pressure_unit; }),
    FloatField(1931, &Range<0>),
    FloatField(1933, &Range<1>),
    FloatField(1935, &Range<2>),
    FloatField(1937, &Range<3>),
    FloatField(1939, &Range<4>),
    FloatField(1941, &Range<5>),
    FloatField(1943, &Range<6>),
    FloatField(1945, &Range<7>),
    WordField(1947, [](BlockValues& v) -> uint16_t& { return Sensor(v).measuring; }),
};

constexpr ControlRow FloatRow(std::string_view edit, uint16_t reg) {
  return {.control = edit,
          .reg = reg,
          .show = Show::kText,
          .form = TextForm::kFloatStandard,
          .take = Take::kFloat,
          .failure = kFloatInputError};
}

// In the order the write takes them: the switch, the unit, then the floats
// pressure before voltage.
const ControlRow kParameterRows[] = {
    {.control = "CheckBox7", .reg = 1947, .show = Show::kChecked, .take = Take::kChecked},
    {.control = "ComboBox32",
     .reg = 1930,
     .show = Show::kItemIndex,
     .items = &kPressureUnitItems,
     .take = Take::kItemIndex,
     .selection_required = true,
     .beyond_clears = true,
     .failure = "Не выбрана единица измерения давления."},
    FloatRow("Edit8", 1933),
    FloatRow("Edit9", 1931),
    FloatRow("Edit10", 1937),
    FloatRow("Edit11", 1935),
    FloatRow("Edit15", 1939),
    FloatRow("Edit16", 1941),
    FloatRow("Edit96", 1943),
    FloatRow("Edit97", 1945),
};
const Block kParameterBlock{.name = "параметры измерения внешнего датчика",
                            .fields = kParameterFields,
                            .rows = kParameterRows};
const Block* const kParameterBlocks[] = {&kParameterBlock};
const Transaction kParameterReadT[] = {{.start = 1930, .count = 18, .pause_before_ms = 100}};
// No text of its own: the exchange log shows it under the text set last.
const Transaction kParameterWriteT[] = {{.start = 1930, .count = 18, .pause_after_ms = 400}};
const BlockOperation kParameterRead{kParameterReadT, kParameterBlocks};
const BlockOperation kParameterWrite{kParameterWriteT, kParameterBlocks};

// --- calibration (1921-1926, 1948-1949, 1984-1991) -----------------------------------

std::span<uint16_t> A1Max(BlockValues& v) {
  return Sensor(v).a1_max;
}
float& A1UMax(BlockValues& v) {
  return Sensor(v).a1_umax;
}
std::span<uint16_t> A1Zero(BlockValues& v) {
  return Sensor(v).a1_zero;
}
std::span<uint16_t> A2Min(BlockValues& v) {
  return Sensor(v).a2_min;
}
float& RMin(BlockValues& v) {
  return Sensor(v).r_min;
}
std::span<uint16_t> A2Max(BlockValues& v) {
  return Sensor(v).a2_max;
}
float& RMax(BlockValues& v) {
  return Sensor(v).r_max;
}

const Field kPressureCalibrationFields[] = {
    WordsField(1921, 2, &A1Max),
    FloatField(1923, &A1UMax),
    WordsField(1925, 2, &A1Zero),
};
// The instrument's second copy of A1_0: what a read takes from here
// replaces what came from 1925-1926.
const Field kZeroCodeFields[] = {WordsField(1948, 2, &A1Zero)};
const Field kTemperatureCalibrationFields[] = {
    WordsField(1984, 2, &A2Min),
    FloatField(1986, &RMin),
    WordsField(1988, 2, &A2Max),
    FloatField(1990, &RMax),
};
const Block kPressureCalibrationBlock{.name = "градуировка давления внешнего датчика",
                                      .fields = kPressureCalibrationFields,
                                      .filled_at_startup = false};
const Block kZeroCodeBlock{
    .name = "код АЦП нуля давления", .fields = kZeroCodeFields, .filled_at_startup = false};
const Block kTemperatureCalibrationBlock{.name = "градуировка температуры внешнего датчика",
                                         .fields = kTemperatureCalibrationFields,
                                         .filled_at_startup = false};
const Block* const kPressureCalibrationBlocks[] = {&kPressureCalibrationBlock};
const Block* const kZeroCodeBlocks[] = {&kZeroCodeBlock};
const Block* const kTemperatureCalibrationBlocks[] = {&kTemperatureCalibrationBlock};
const Block* const kCalibrationWriteBlocks[] = {&kPressureCalibrationBlock,
                                                &kTemperatureCalibrationBlock};

const Transaction kPressureCalibrationReadT[] = {
    {.start = 1921, .count = 6, .pause_before_ms = 100}};
const Transaction kZeroCodeReadT[] = {{.start = 1948, .count = 2, .pause_before_ms = 100}};
const Transaction kTemperatureCalibrationReadT[] = {
    {.start = 1984, .count = 8, .pause_before_ms = 100}};
// The temperature half does not go out when the pressure half failed.
const Transaction kCalibrationWriteT[] = {{.start = 1921, .count = 6, .pause_after_ms = 400},
                                          {.start = 1984, .count = 8}};
const BlockOperation kPressureCalibrationRead{kPressureCalibrationReadT,
                                              kPressureCalibrationBlocks};
const BlockOperation kZeroCodeRead{kZeroCodeReadT, kZeroCodeBlocks};
const BlockOperation kTemperatureCalibrationRead{kTemperatureCalibrationReadT,
                                                 kTemperatureCalibrationBlocks};
const BlockOperation kCalibrationWrite{kCalibrationWriteT, kCalibrationWriteBlocks};

// How the calibration fields show and take their values, in the order the
// write takes them: the ADC codes (two words, low word first) in grouped
// hexadecimal, the voltage and resistances in "%-E".
struct CalibrationValue {
  std::string_view control;
  WordsRef code = nullptr;
  FloatRef number = nullptr;
};
const CalibrationValue kCalibrationValues[] = {
    {"Edit103", &A1Zero, nullptr}, {"Edit12", &A1Max, nullptr},  {"Edit104", &A2Min, nullptr},
    {"Edit105", &A2Max, nullptr},  {"Edit13", nullptr, &A1UMax}, {"Edit14", nullptr, &RMin},
    {"Edit106", nullptr, &RMax},
};

uint32_t CodeOf(std::span<const uint16_t> words) {
  return LongFromRegisters(words[0], words[1], WordOrder::kLowerWordFirst);
}

void ShowCalibration(BlockContext& ctx) {
  for (const CalibrationValue& value : kCalibrationValues) {
    ctx.controls.SetText(value.control, value.code != nullptr
                                            ? GroupedHex(CodeOf(value.code(ctx.values)))
                                            : FormatFloatScientific(value.number(ctx.values)));
  }
}

BlockOutcome CollectCalibration(BlockContext& ctx) {
  for (const CalibrationValue& value : kCalibrationValues) {
    const std::string text = ctx.controls.Text(value.control);
    if (value.code != nullptr) {
      const std::optional<uint32_t> code = ParseHexLong(text);
      if (!code) {
        ctx.dialogs.InputError(kLongInputError);
        return BlockOutcome::kInputError;
      }
      const RegisterPair pair = LongToRegisters(*code, WordOrder::kLowerWordFirst);
      const std::span<uint16_t> words = value.code(ctx.values);
      words[0] = pair.first;
      words[1] = pair.second;
    } else {
      const std::optional<float> number =
          HeldOrTyped(text, value.number(ctx.values), &FormatFloatScientific, &ParseFloat);
      if (!number) {
        ctx.dialogs.InputError(kFloatInputError);
        return BlockOutcome::kInputError;
      }
      value.number(ctx.values) = *number;
    }
  }
  return BlockOutcome::kDone;
}

// --- what the rows cannot show ------------------------------------------------------

// " " then the names of the state bits, bit 0 named twice (as the error and
// as the sensor).
std::string StateText(uint16_t state) {
  std::string text = " ";
  if (state & 0x0001) text += "SENS_ERR  ";
  if (state & 0x0010) text += "АЦП ";
  if (state & 0x0001) text += "Сенс. ";
  if (state & 0x0002) text += "НПИ ";
  if (state & 0x0004) text += "ВПИ ";
  if (state & 0x0020) text += "PWR ";
  return text;
}

void ShowQuantity(Controls& controls, std::string_view value_panel, std::string_view state_panel,
                  uint16_t state) {
  Rgb color = kColorWhite;
  if (state & kNotProcessedBit) {
    controls.SetText(value_panel, "не обрабатывается");
    controls.SetText(state_panel, " ");
    color = kColorButtonFace;
  } else if (state != 0) {
    controls.SetText(state_panel, StateText(state));
    color = kColorYellow;
  } else {
    controls.SetText(state_panel, "Нормальное измерение");
  }
  controls.SetColor(value_panel, color);
  controls.SetColor(state_panel, color);
}

void ShowMeasured(BlockContext& ctx) {
  const ExternalSensorValues& sensor = Sensor(ctx.values);
  ShowQuantity(ctx.controls, "Panel65", "Panel74", sensor.temperature_state);
  ShowQuantity(ctx.controls, "Panel66", "Panel67", sensor.pressure_state);
  const bool exchange_failed = ExchangeFailed({.status = sensor.last_status});
  ctx.controls.SetText("Panel68", exchange_failed ? "Ошибка в обмене" : "Нормальный обмен");
  ctx.controls.SetColor("Panel68", exchange_failed ? kColorYellow : kColorButtonFace);
  // The unit of the last parameter read; a code the program does not know
  // leaves the label empty.
  ctx.controls.SetText("Label202", sensor.pressure_unit < kPressureUnitItems.size()
                                       ? kPressureUnitItems[sensor.pressure_unit]
                                       : std::string());
}

void ShowAdc(BlockContext& ctx) {
  const ExternalSensorValues& sensor = Sensor(ctx.values);
  ctx.controls.SetText("Panel69", GroupedHex(sensor.adc_a1));
  ctx.controls.SetText("Panel70", GroupedHex(sensor.adc_a2));
  ctx.controls.SetText("Panel71", GroupedHex(sensor.adc_a2_second));
  ctx.controls.SetText("Panel75", FormatWordHex(sensor.adc_error));
  const Rgb color = sensor.adc_error != 0 ? kColorYellow : kColorWhite;
  for (const char* panel : {"Panel69", "Panel70", "Panel71", "Panel72", "Panel73"}) {
    ctx.controls.SetColor(panel, color);
  }
}

// --- handlers -------------------------------------------------------------------------

struct SensorRead {
  std::span<const BlockOperation* const> reads = {};
  std::span<const Block* const> fills = {};
  void (*after_fill)(BlockContext&) = nullptr;
  std::string_view success = {};
};

// Not the block read: every transaction is made and keeps what arrived,
// the page is refreshed whatever came of it, and then the first failure is
// reported.
BlockOutcome RunSensorRead(BlockContext& ctx, const SensorRead& read) {
  ExchangeResult reported;
  for (const BlockOperation* operation : read.reads) {
    const ExchangeResult result = ReadBlock(ctx, *operation);
    Sensor(ctx.values).last_status = result.status;
    if (!ExchangeFailed(reported) && ExchangeFailed(result)) reported = result;
  }
  for (const Block* block : read.fills) FillBlock(ctx.controls, ctx.values, *block);
  if (read.after_fill != nullptr) read.after_fill(ctx);
  if (ExchangeFailed(reported)) {
    OperationReport(ctx.dialogs, reported.status, reported.exception);
    return BlockOutcome::kFailed;
  }
  // The record files take their time stamp as each line is written, so a
  // read of the sensor leaves nothing to stamp here.
  ctx.dialogs.Result(read.success);
  return BlockOutcome::kDone;
}

const BlockOperation* const kMeasuredReads[] = {&kMeasuredRead};
const BlockOperation* const kAdcReads[] = {&kAdcRead};
const BlockOperation* const kParameterReads[] = {&kParameterRead};
const BlockOperation* const kParameterWrites[] = {&kParameterWrite};
// 1948 after 1921, so that its A1_0 is the one kept.
const BlockOperation* const kCalibrationReads[] = {&kPressureCalibrationRead, &kZeroCodeRead,
                                                   &kTemperatureCalibrationRead};
const BlockOperation* const kCalibrationWrites[] = {&kCalibrationWrite};

const Block* const kBlocks[] = {&kMeasuredBlock,  &kAdcBlock,
                                &kParameterBlock, &kPressureCalibrationBlock,
                                &kZeroCodeBlock,  &kTemperatureCalibrationBlock};

const ButtonHandler kButtons[] = {
    {"Button55", &Button55Click}, {"Button56", &Button56Click}, {"Button57", &Button57Click},
    {"Button58", &Button58Click}, {"Button59", &Button59Click}, {"Button60", &Button60Click},
};

// The controls no row names, or whose kind a row would not give.
const ControlInfo kUnboundControls[] = {
    {"Panel67", ControlKind::kLabel, nullptr}, {"Panel74", ControlKind::kLabel, nullptr},
    {"Panel68", ControlKind::kLabel, nullptr}, {"Label202", ControlKind::kLabel, nullptr},
    {"Panel69", ControlKind::kLabel, nullptr}, {"Panel70", ControlKind::kLabel, nullptr},
    {"Panel71", ControlKind::kLabel, nullptr}, {"Panel75", ControlKind::kLabel, nullptr},
    {"Edit12", ControlKind::kEdit, nullptr},   {"Edit13", ControlKind::kEdit, nullptr},
    {"Edit103", ControlKind::kEdit, nullptr},  {"Edit104", ControlKind::kEdit, nullptr},
    {"Edit14", ControlKind::kEdit, nullptr},   {"Edit105", ControlKind::kEdit, nullptr},
    {"Edit106", ControlKind::kEdit, nullptr},
};

}  // namespace

BlockOutcome Button55Click(BlockContext& ctx) {
  return RunSensorRead(ctx, {.reads = kMeasuredReads,
                             .fills = kMeasuredBlocks,
                             .after_fill = &ShowMeasured,
                             .success = kSensorMeasuredReadText});
}

BlockOutcome Button56Click(BlockContext& ctx) {
  return RunSensorRead(
      ctx,
      {.reads = kParameterReads, .fills = kParameterBlocks, .success = kSensorParametersReadText});
}

BlockOutcome Button57Click(BlockContext& ctx) {
  return RunGuardedWrite(ctx, {.confirmation = kSensorParametersQuestion,
                               .success = kSensorParametersWrittenText,
                               .writes = kParameterWrites,
                               .read_state_word = false});
}

BlockOutcome Button58Click(BlockContext& ctx) {
  return RunSensorRead(ctx, {.reads = kAdcReads,
                             .fills = kAdcBlocks,
                             .after_fill = &ShowAdc,
                             .success = kSensorAdcReadText});
}

BlockOutcome Button59Click(BlockContext& ctx) {
  return RunSensorRead(ctx, {.reads = kCalibrationReads,
                             .after_fill = &ShowCalibration,
                             .success = kSensorCalibrationReadText});
}

BlockOutcome Button60Click(BlockContext& ctx) {
  return RunGuardedWrite(ctx, {.confirmation = kSensorCalibrationQuestion,
                               .success = kSensorCalibrationWrittenText,
                               .writes = kCalibrationWrites,
                               .read_state_word = false,
                               .collect = &CollectCalibration});
}

std::span<const Block* const> ExternalSensorBlocks() {
  return kBlocks;
}
std::span<const ButtonHandler> ExternalSensorButtons() {
  return kButtons;
}
std::span<const ControlInfo> ExternalSensorUnboundControls() {
  return kUnboundControls;
}

std::span<const ConfigPart> ExternalSensorConfigParts() {
  static const ConfigPart parts[] = {
      {"sensor-parameters", ConfigGroup::kSettings, &kParameterWrite},
      {"sensor-calibration", ConfigGroup::kCalibration, &kCalibrationWrite},
  };
  return parts;
}

}  // namespace qmx
