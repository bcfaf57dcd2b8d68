#include "blocks/measured_values.h"

#include <array>
#include <cstddef>

#include "registers/encoding.h"
#include "registers/value_formats.h"

namespace qmx {
namespace {

constexpr char kNormal[] = "Нормальное измерение";
constexpr char kNormalCutOff[] = "Нормальное измерение, отсечка";

struct BitText {
  uint16_t mask;
  const char* text;
};

// Texts of the error words that share the sensor layout, in display order.
constexpr BitText kAdc{0x0010, "АЦП "};
constexpr BitText kSensor{0x0001, "Сенс. "};
constexpr BitText kBelowRange{0x0002, "НПИ "};
constexpr BitText kAboveRange{0x0004, "ВПИ "};
constexpr BitText kNotMeasured{kErrorNotMeasured, "Не измеряется "};

// The flow's error word items after those of the state word.
constexpr BitText kFlowErrorItems[] = {
    kAdc,
    kSensor,
    kBelowRange,
    kAboveRange,
    {0x0020, "PWR "},
    {0x0040, "Float "},
    {0x0008, "EEPROM "},
    {0x0200, "PGM_EEPROM "},
    {0x0400, "BED_IZM "},
    {0x0800, "BED_SUBST "},
    {0x1000, "EMPTY_PIPE "},
    {0x2000, "NOISE_ERR "},
    {0x4000, "SENS_NO_RPL "},
    {0x8000, "SENS_TO_TECH "},
};

constexpr BitText kVolumeErrorItems[] = {
    kAdc,
    kSensor,
    kBelowRange,
    kAboveRange,
    {0x0020, "PWR "},
    {0x0040, "Float "},
    {0x0008, "EEPROM "},
    {0x0200, "PGM_EEPROM "},
    {0x0400, "BED_IZM "},
    {0x0800, "BED_SUBST "},
    {0x1000, "EMPTY_PIPE "},
    {0x2000, "NOISE_ERR "},
    kNotMeasured,
};

constexpr BitText kFlowStateItems[] = {
    {0x2000, "Обслужив. "},
    {0x4000, "Очист. электродов  "},
    {0x0001, "SENS_NO_PARAM  "},
};

constexpr BitText kQuantityItems[] = {kAdc, kSensor, kBelowRange, kAboveRange, kNotMeasured};
constexpr BitText kPressureItems[] = {kAdc, kSensor, kAboveRange, kBelowRange, kNotMeasured};

// `text` followed by the text of every set bit, in the order of `items`.
template <size_t N>
std::string ItemsText(std::string text, uint16_t word, const BitText (&items)[N]) {
  for (const BitText& item : items) {
    if (word & item.mask) text += item.text;
  }
  return text;
}

// One quantity with a value panel and a state panel.
struct QuantityView {
  const char* value_panel;
  const char* state_panel;
  bool short_format;  // temperatures: two decimals
  bool pressure_order;
};

void ShowQuantity(const QuantityView& view, float value, uint16_t error, Controls& controls) {
  const double v = value;
  controls.SetText(view.value_panel,
                   view.short_format ? FormatFloatShort(v) : FormatFloatStandard(v));
  if (error == 0) {
    controls.SetColor(view.value_panel, kColorWhite);
    controls.SetColor(view.state_panel, kColorWhite);
    controls.SetText(view.state_panel, kNormal);
    return;
  }
  const Rgb color = (error & kErrorNotMeasured) ? kColorButtonFace : kColorYellow;
  controls.SetColor(view.value_panel, color);
  controls.SetColor(view.state_panel, color);
  controls.SetText(view.state_panel, QuantityErrorText(error, view.pressure_order));
}

void ShowFlow(const MeasuredValues& values, Controls& controls) {
  const std::string flow = FormatFloatStandard(values.flow);
  controls.SetText("Panel1", flow);
  controls.SetText("Panel116", flow);
  controls.SetText("Panel114", FormatFloatStandard(values.standard_flow));
  controls.SetText("Panel2", std::to_string(values.relative_flow));
  controls.SetText("Panel3", FormatFloatShort(values.relative_flow * 100.0 / 65535.0) + " %");

  constexpr const char* kValuePanels[] = {"Panel1", "Panel116", "Panel2", "Panel3"};
  if (values.flow_in_error()) {
    for (const char* panel : kValuePanels) controls.SetColor(panel, kColorYellow);
    const std::string text = FlowStateText(values.flow_state, values.flow_error);
    controls.SetColor("Panel5", kColorYellow);
    controls.SetText("Panel5", text);
    // The compact view's state field takes the state colour like Panel5
    // does; left as it was, it would keep the colour of an earlier state.
    controls.SetColor("Memo1", kColorYellow);
    controls.SetText("Memo1", text);
    return;
  }
  for (const char* panel : kValuePanels) controls.SetColor(panel, kColorWhite);
  const bool cut_off = (values.flow_state & kFlowStateCutOff) != 0;
  const Rgb state_color = cut_off ? kColorLightGreen : kColorWhite;
  for (const char* field : {"Panel5", "Memo1"}) {
    controls.SetText(field, cut_off ? kNormalCutOff : kNormal);
    controls.SetColor(field, state_color);
  }
  if (cut_off) controls.SetColor("Panel1", kColorLightGreen);
}

void ShowVolumes(const MeasuredValues& values, Controls& controls) {
  const std::array<std::string, 4> volumes = {
      FormatDouble(values.volume_total), FormatDouble(values.volume_forward),
      FormatDouble(values.volume_reverse), FormatDouble(values.volume_modulus)};
  constexpr const char* kVolumePanels[] = {"Panel62", "Panel76", "Panel77", "Panel78"};

  if (!values.volumes_in_error()) {
    constexpr const char* kFullLabels[] = {"Label318", "Label319", "Label320", "Label321"};
    constexpr const char* kCompactLabels[] = {"Label437", "Label441", "Label443", "Label439"};
    for (size_t i = 0; i < volumes.size(); ++i) {
      controls.SetText(kFullLabels[i], volumes[i]);
      controls.SetText(kCompactLabels[i], volumes[i]);
    }
    const std::string accumulation = FormatLongDecimal(values.accumulation_time_s);
    controls.SetText("Label322", accumulation);
    controls.SetText("Label445", accumulation + " c");
    controls.SetText("Label340", FormatLongDecimal(values.operating_time_s));
    controls.SetText("Label447", FormatLongDecimal(values.operating_time_s / 86400u) + " cуток");
    for (const char* panel : kVolumePanels) controls.SetColor(panel, kColorWhite);
    for (const char* panel : {"Panel63", "Panel112", "Panel113"}) {
      controls.SetColor(panel, kColorWhite);
    }
    controls.SetText("Panel63", kNormal);
    return;
  }
  for (size_t i = 0; i < volumes.size(); ++i) {
    controls.SetText(kVolumePanels[i], volumes[i]);
    controls.SetColor(kVolumePanels[i], kColorYellow);
  }
  controls.SetColor("Panel63", kColorYellow);
  controls.SetColor("Panel112", kColorYellow);
  controls.SetColor("Panel113", kColorWhite);
  if (values.volume_error & kErrorNotMeasured) {
    controls.SetColor("Panel62", kColorButtonFace);
    controls.SetColor("Panel63", kColorButtonFace);
  }
  controls.SetText("Panel63", VolumeErrorText(values.volume_error));
}

// Sets `label` from a unit code, leaving it as it is for a code the program
// does not know, and copies the result into the other view's label.
void ShowUnit(const std::string& text, const char* label, const char* copy, Controls& controls) {
  if (!text.empty()) controls.SetText(label, text);
  controls.SetText(copy, controls.Text(label));
}

}  // namespace

void DecodeMeasuredBlock(const uint16_t* w, MeasuredValues& v) {
  auto at = [w](uint16_t reg) { return w[reg - kMeasuredBlockStart]; };
  v.flow_unit_word = at(261);
  const FloatByteOrder order = FloatByteOrderFromCode(v.float_order_code());
  auto float_at = [&](uint16_t reg) {
    return FloatFromRegisters(at(reg), at(reg + 1), order).value;
  };
  auto double_at = [&](uint16_t reg) {
    return DoubleFromRegisters(at(reg), at(reg + 1), at(reg + 2), at(reg + 3));
  };
  auto long_at = [&](uint16_t reg) {
    return LongFromRegisters(at(reg), at(reg + 1), WordOrder::kUpperWordFirst);
  };

  v.flow = float_at(256);
  v.relative_flow = at(258);
  v.flow_state = at(259);
  v.flow_error = at(260);
  v.velocity = float_at(262);
  v.velocity_error = at(264);
  v.reserved_265 = at(265);
  v.pipe_temperature = float_at(266);
  v.pipe_temperature_error = at(268);
  v.module_temperature = float_at(269);
  v.module_temperature_error = at(271);
  v.process_temperature1 = float_at(272);
  v.process_temperature1_error = at(274);
  v.process_temperature2 = float_at(275);
  v.process_temperature2_error = at(277);
  v.pressure = float_at(278);
  v.pressure_error = at(280);
  v.volume_total = double_at(281);
  v.volume_forward = double_at(285);
  v.volume_reverse = double_at(289);
  v.volume_modulus = double_at(293);
  v.volume_state = at(297);
  v.volume_error = at(298);
  v.volume_unit_word = at(299);
  v.state_word = at(300);
  v.accumulation_time_s = long_at(301);
  v.operating_time_s = long_at(303);
}

ExchangeOutcome ReadMeasuredValues(Link& link, MeasuredValues& values, uint16_t& last_status) {
  ExchangeOutcome outcome;
  std::array<uint16_t, kMeasuredBlockCount> block{};
  outcome.status = link.ReadHoldingRegisters(kMeasuredBlockStart, kMeasuredBlockCount, block.data(),
                                             &outcome.exception);
  last_status = outcome.status;
  values.current = outcome.data_taken();
  if (values.current) {
    DecodeMeasuredBlock(block.data(), values);
    values.read = true;
    values.read_at = link.clock().LocalNow();
  }

  std::array<uint16_t, kStandardFlowCount> standard{};
  uint16_t exception = 0;
  const uint16_t status = link.ReadHoldingRegisters(kStandardFlowStart, kStandardFlowCount,
                                                    standard.data(), &exception);
  values.standard_flow_status = status;
  if (ExchangeOutcome{status, exception}.data_taken()) {
    values.standard_flow = FloatFromRegisters(standard[0], standard[1]).value;
  }
  return outcome;
}

std::string FlowStateText(uint16_t state, uint16_t error) {
  return ItemsText(ItemsText(" ", state, kFlowStateItems), error, kFlowErrorItems);
}

std::string QuantityErrorText(uint16_t error, bool pressure_order) {
  return pressure_order ? ItemsText(" ", error, kPressureItems)
                        : ItemsText(" ", error, kQuantityItems);
}

std::string VolumeErrorText(uint16_t error) {
  return ItemsText(" ", error, kVolumeErrorItems);
}

std::string FlowUnitText(unsigned code) {
  switch (code) {
    case 0:
      return "м куб/сек";
    case 1:
      return "литры/сек";
    case 2:
      return "м куб/час";
    case 3:
      return "литры/час";
    default:
      return {};
  }
}

std::string VolumeUnitText(unsigned code) {
  switch (code) {
    case 0:
      return "м куб";
    case 1:
      return "литр";
    default:
      return {};
  }
}

void ShowMeasuredValues(const MeasuredValues& values, uint16_t status, Controls& controls) {
  ShowExchangeState(status, controls);
  if (!values.read) return;
  ShowUnit(FlowUnitText(values.flow_unit_code()), "Label11", "Label399", controls);
  ShowFlow(values, controls);

  const QuantityView kPressure{"Panel51", "Panel53", false, true};
  const QuantityView kPipe{"Panel4", "Panel44", true, false};
  const QuantityView kModule{"Panel56", "Panel57", true, false};
  const QuantityView kProcess1{"Panel58", "Panel59", true, false};
  const QuantityView kProcess2{"Panel60", "Panel61", true, false};
  const QuantityView kVelocity{"Panel54", "Panel55", false, false};
  ShowQuantity(kPressure, values.pressure, values.pressure_error, controls);
  ShowQuantity(kPipe, values.pipe_temperature, values.pipe_temperature_error, controls);
  ShowQuantity(kModule, values.module_temperature, values.module_temperature_error, controls);
  ShowQuantity(kProcess1, values.process_temperature1, values.process_temperature1_error, controls);
  ShowQuantity(kProcess2, values.process_temperature2, values.process_temperature2_error, controls);
  ShowQuantity(kVelocity, values.velocity, values.velocity_error, controls);

  ShowUnit(VolumeUnitText(values.volume_unit_code()), "Label47", "Label435", controls);
  ShowVolumes(values, controls);

  struct KeyPanel {
    uint16_t mask;
    const char* panel;
  };
  constexpr KeyPanel kKeyPanels[] = {
      {kKeyNextItem, "Panel7"},       {kKeyChange, "Panel8"},        {kKeyExecute, "Panel9"},
      {kKeyCancel, "Panel10"},        {kDiscreteOutput1, "Panel11"}, {kDiscreteOutput2, "Panel41"},
      {kWriteProtection, "Panel113"},
  };
  for (const KeyPanel& key : kKeyPanels) {
    controls.SetColor(key.panel, (values.state_word & key.mask) ? kColorGreen : kColorButtonFace);
  }
}

void ShowExchangeState(uint16_t status, Controls& controls) {
  if (status == 0) {
    controls.SetText("Panel6", "Нормальный обмен");
    controls.SetColor("Panel6", kColorButtonFace);
  } else {
    controls.SetText("Panel6", "Ошибка в обмене");
    controls.SetColor("Panel6", kColorYellow);
  }
}

std::span<const char* const> MeasuredValueFields() {
  static constexpr const char* kFields[] = {
      "Panel1",   "Panel116", "Panel114", "Panel2",   "Panel3",   "Panel51",  "Panel4",
      "Panel56",  "Panel58",  "Panel60",  "Panel54",  "Label318", "Label319", "Label320",
      "Label321", "Label437", "Label441", "Label443", "Label439", "Label322", "Label445",
      "Label340", "Label447", "Panel62",  "Panel76",  "Panel77",  "Panel78"};
  return kFields;
}

void ShowCounters(const ExchangeCounters& counters, Controls& controls) {
  controls.SetText("Label23", std::to_string(counters.cycles));
  controls.SetText("Label24", std::to_string(counters.measurement_errors));
  controls.SetText("Label25", std::to_string(counters.exchange_errors));
  controls.SetText("Label26", std::to_string(counters.retries));
}

}  // namespace qmx
