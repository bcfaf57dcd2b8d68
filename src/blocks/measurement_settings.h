// Measurement settings: the units of flow and volume, the number of averaged
// measurements, the totaliser on the instrument's display, the time-stamp
// correction and the cut-off.  Shown in two places that share the staged
// values: the engineering tab "Измерение" (Button10, Button11 for the units
// block, Button66, Button67 for the cut-off) and the operator page
// "ИЗМЕРЕНИЕ" of "НАСТРОЙКИ РАБОТЫ" (BitBtn6, BitBtn7 for both at once).
//
// Controls (all filled at start-up from the staged values, except the three
// labels, which show what the instrument reports):
//   page "ИЗМЕРЕНИЕ":
//     ComboBox41  combo  "ЕДИНИЦЫ"                       1840, FlowUnitItems()
//     ComboBox57  combo  "ЕДИНИЦЫ НАКОПЛЕННОГО ОБЪЕМА"   1856, VolumeUnitItems()
//     ComboBox56  combo  "ТИП НАКОПЛЕННОГО ОБЪЕМА"       1956, DisplayedTotalItems()
//     Edit114     edit   "ОТСЕЧКА ИЗМЕРЕННОГО ЗНАЧЕНИЯ %" 1957-1958, "%-5.2f"
//   tab "Измерение":
//     ComboBox5   combo  "Усреднение"                    1841, AveragingItems()
//     CheckBox6   check  "Временная коррекция по метке времени" 1874
//     Label271    label  below "Гистерезис отсечки %"    1300-1301, "%-11.4f"
//     Label273    label  below "Минимум отсечки %"       1304-1305
//     Label275    label  below "Максимум отсечки %"      1302-1303
//     ComboBox4 (FlowUnitItems()), ComboBox7 (VolumeUnitItems()) and
//     ComboBox35 (DisplayedTotalItems()) show 1840, 1856 and 1956 and are
//     twins of the page's lists, which both places send; Edit99 is laid
//     out and never set or read.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "blocks/block_engine.h"

namespace qmx {

const std::vector<std::string>& FlowUnitItems();        // "м куб/сек" ... "л/час"
const std::vector<std::string>& VolumeUnitItems();      // "метры куб.", "литры"
const std::vector<std::string>& DisplayedTotalItems();  // "Суммарный объем" ...
const std::vector<std::string>& AveragingItems();       // "  0" ... "100"

// Units and averaging: 1840, 1841, 1856, 1874, 1956.
const Block& MeasurementUnitsBlock();

BlockOutcome Button10Click(BlockContext& ctx);  // read units and averaging
BlockOutcome Button11Click(BlockContext& ctx);  // write them, 1874 included
BlockOutcome Button66Click(BlockContext& ctx);  // read module parameters and cut-off
BlockOutcome Button67Click(BlockContext& ctx);  // write the cut-off
BlockOutcome BitBtn6Click(BlockContext& ctx);   // read units, then module parameters and cut-off
BlockOutcome BitBtn7Click(BlockContext& ctx);   // write the cut-off, then the units but 1874

std::span<const Block* const> MeasurementBlocks();
std::span<const ButtonHandler> MeasurementButtons();
// Lists laid out with items but driven by no block.
std::span<const ControlInfo> MeasurementUnboundControls();
std::span<const ControlTwin> MeasurementTwins();

// The parts of the instrument's configuration this page group holds.
std::span<const ConfigPart> MeasurementConfigParts();

}  // namespace qmx
