// The external pressure and temperature sensor (tab "Внешние данные"): its
// readouts, its measurement parameters and its calibration values.
//
// Controls:
//   page "Измеренное значение":
//     Panel66 pressure, Panel67 its state; Panel65 temperature, Panel74 its
//     state; Panel68 "Состояние обмена"; Label202 the pressure unit.
//   page "Параметры измерения" (1930-1947):
//     ComboBox32 unit, Edit9/Edit8 lower bounds of voltage and pressure,
//     Edit11/Edit10 upper bounds, Edit15/Edit16 zero and span of the pressure,
//     Edit96/Edit97 offset and span of the temperature, CheckBox7 measuring.
//   page "Градуировки":
//     ADC codes and measured quantities (512-524): Panel69 A1, Panel70 A2,
//     Panel71 the second A2 (hidden), Panel75 ADC_ERR, Panel72 U, Panel73 R.
//     Calibration (1921-1926, 1948-1949, 1984-1991): Edit12 A1_MAX, Edit13
//     A1_UMAX, Edit103 A1_0, Edit104 A2_MIN, Edit14 R_MIN, Edit105 A2_MAX,
//     Edit106 R_MAX.  The codes in hexadecimal (" ' " before the last four
//     digits), the floats in "%-E".
//
// Unlike the parameter blocks, every read of the sensor keeps what did
// arrive: a transaction that needed a repetition is stored and shown and
// still reported (OperationReport says nothing for a repetition alone, but
// the success box is not shown), and the page is refreshed from the staged
// values after a failure too, so it shows the last values that arrived.
#pragma once

#include <span>

#include "blocks/block_engine.h"

namespace qmx {

inline constexpr char kSensorMeasuredReadText[] = "Прочитано измеренное значение внешнего датчика.";
inline constexpr char kSensorParametersReadText[] = "Прочитаны градуировки внешнего датчика.";
inline constexpr char kSensorAdcReadText[] = "Прочитаны коды АЦП внешнего датчика.";
inline constexpr char kSensorCalibrationReadText[] = "Прочитаны градуировки внешнего датчика.";
inline constexpr char kSensorParametersQuestion[] = "Данные параметров АЦП будут переписаны?.";
inline constexpr char kSensorParametersWrittenText[] =
    "Запись параметров АЦП успешно осуществлена.";
inline constexpr char kSensorCalibrationQuestion[] = "Данные градуировки АЦП будут переписаны?.";
inline constexpr char kSensorCalibrationWrittenText[] =
    "Запись градуировки АЦП успешно осуществлена.";

BlockOutcome Button55Click(BlockContext& ctx);  // "Прочитать однократно": pressure, temperature
BlockOutcome Button56Click(BlockContext& ctx);  // read the measurement parameters
BlockOutcome Button57Click(BlockContext& ctx);  // write them
BlockOutcome Button58Click(BlockContext& ctx);  // read the ADC codes and quantities
BlockOutcome Button59Click(BlockContext& ctx);  // read the calibration
BlockOutcome Button60Click(BlockContext& ctx);  // write it

std::span<const Block* const> ExternalSensorBlocks();
std::span<const ButtonHandler> ExternalSensorButtons();
std::span<const ControlInfo> ExternalSensorUnboundControls();

// The parts of the instrument's configuration this page group holds.
std::span<const ConfigPart> ExternalSensorConfigParts();

}  // namespace qmx
