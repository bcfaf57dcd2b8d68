#include "blocks/module_data.h"

#include "registers/encoding.h"
#include "registers/value_formats.h"

namespace qmx {

// Cell n of LO sits in Panel(80 + n) with CheckBox(75 - n), cell n of HI in
// Panel(96 + n) with CheckBox(91 - n).
const std::array<ModuleBitCell, 16> kModuleLoCells = {{
    {"Panel80", "CheckBox75", "SENS_ERR"},
    {"Panel81", "CheckBox74", "UDLD"},
    {"Panel82", "CheckBox73", "OVLD"},
    {"Panel83", "CheckBox72", "EEPROM_ERR"},
    {"Panel84", "CheckBox71", "ADC_ERR"},
    {"Panel85", "CheckBox70", "PWRBAD"},
    {"Panel86", "CheckBox69", "NUMERR"},
    {"Panel87", "CheckBox68", ""},
    {"Panel88", "CheckBox67", ""},
    {"Panel89", "CheckBox66", "PGM_EEPROM"},
    {"Panel90", "CheckBox65", "BAD_IZM"},
    {"Panel91", "CheckBox64", "BAD_SUBST"},
    {"Panel92", "CheckBox63", "EMPTY_PIPE"},
    {"Panel93", "CheckBox62", "NOISE_ERR"},
    {"Panel94", "CheckBox61", "WAS_READ"},
    {"Panel95", "CheckBox60", "NOT_USE"},
}};

const std::array<ModuleBitCell, 16> kModuleHiCells = {{
    {"Panel96", "CheckBox91", ""},
    {"Panel97", "CheckBox90", ""},
    {"Panel98", "CheckBox89", "CUT"},
    {"Panel99", "CheckBox88", ""},
    {"Panel100", "CheckBox87", ""},
    {"Panel101", "CheckBox86", ""},
    {"Panel102", "CheckBox85", ""},
    {"Panel103", "CheckBox84", "SIGNAL_WEAK"},
    {"Panel104", "CheckBox83", "SIGNAL_STRONG"},
    {"Panel105", "CheckBox82", "INTERF"},
    {"Panel106", "CheckBox81", "SENS1_CUT"},
    {"Panel107", "CheckBox80", "SENS2_CUT"},
    {"Panel108", "CheckBox79", "SYST_ERR"},
    {"Panel109", "CheckBox78", "SERV"},
    {"Panel110", "CheckBox77", "EL_CLR"},
    {"Panel111", "CheckBox76", "NOT_RDY"},
}};

namespace {

void PaintCells(const std::array<ModuleBitCell, 16>& cells, uint16_t word, Controls& controls) {
  for (unsigned bit = 0; bit < cells.size(); ++bit) {
    controls.SetColor(cells[bit].panel, (word >> bit) & 1u ? kColorYellow : kColorButtonFace);
  }
}

void TickCells(const std::array<ModuleBitCell, 16>& cells, uint16_t word, Controls& controls) {
  for (unsigned bit = 0; bit < cells.size(); ++bit) {
    controls.SetChecked(cells[bit].check_box, ((word >> bit) & 1u) != 0);
  }
}

}  // namespace

void InitModuleBitCells(Controls& controls) {
  for (const auto* cells : {&kModuleLoCells, &kModuleHiCells}) {
    for (const ModuleBitCell& cell : *cells) {
      controls.SetText(cell.panel, cell.caption);
      controls.SetColor(cell.panel, kColorButtonFace);
    }
  }
}

ExchangeOutcome ReadModuleData(Link& link, ModuleData& data, uint16_t& last_status) {
  std::array<uint16_t, kModuleDataCount> words{};
  ExchangeOutcome first;
  first.status =
      link.ReadHoldingRegisters(kModuleDataStart, kModuleDataCount, words.data(), &first.exception);
  if (first.data_taken()) {
    data.flow = FloatFromRegisters(words[0], words[1]).value;
    data.error_hi = words[2];
    data.error_lo = words[3];
  }

  std::array<uint16_t, kRawErrorCount> raw{};
  ExchangeOutcome second;
  second.status =
      link.ReadHoldingRegisters(kRawErrorStart, kRawErrorCount, raw.data(), &second.exception);
  if (second.data_taken()) {
    data.raw_error_hi = raw[0];
    data.raw_error_lo = raw[1];
  }

  const ExchangeOutcome outcome{static_cast<uint16_t>(first.status | second.status),
                                first.exception != 0 ? first.exception : second.exception};
  last_status = outcome.status;
  return outcome;
}

void ShowModuleData(const ModuleData& data, Controls& controls) {
  controls.SetText("Panel79", FormatFloatStandard(data.flow));
  controls.SetText("Label390", "0x" + FormatWordHex(data.raw_error_hi));
  controls.SetText("Label392", "0x" + FormatWordHex(data.raw_error_lo));
  PaintCells(kModuleLoCells, data.error_lo, controls);
  PaintCells(kModuleHiCells, data.error_hi, controls);
}

ExchangeOutcome ReadErrorEnables(Link& link, ErrorEnables& enables, uint16_t& last_status) {
  std::array<uint16_t, kErrorEnablesCount> words{};
  ExchangeOutcome outcome;
  outcome.status = link.ReadHoldingRegisters(kErrorEnablesStart, kErrorEnablesCount, words.data(),
                                             &outcome.exception);
  last_status = outcome.status;
  if (outcome.data_taken()) {
    enables.hi = words[0];
    enables.lo = words[1];
  }
  return outcome;
}

void ShowErrorEnables(const ErrorEnables& enables, Controls& controls) {
  TickCells(kModuleLoCells, enables.lo, controls);
  TickCells(kModuleHiCells, enables.hi, controls);
}

}  // namespace qmx
