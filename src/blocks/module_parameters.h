// The instrument's measuring module: its parameter block (registers
// 1280-1321 and 1322-1329), read together with the cut-off (1957-1960), the
// mask of the module errors the instrument analyses (1969-1970) and the
// switch that hands the module's line to the service connector (1072).
//
// The parameter block has one staged record: the measurement tab shows the
// cut-off's limits from it, the page "Параметры из модуля измерения" the
// rest.
//
// Controls:
//   page "Параметры из модуля измерения" (labels, filled by Button65 only;
//   until its first successful read they keep their design texts):
//     Label249 sensor type (1280), "%04X"
//     Label386 pipe diameter, mm (1282-1283), "%-11.4f"
//     Label337 nominal diameter DN, mm (1284), decimal
//     Label252, Label253 max and min volumetric flow, m3/h (1286, 1288)
//     Label262 cut-off, Label263 its hysteresis, Label265 its maximum,
//     Label264 its minimum, per cent (1298, 1300, 1302, 1304)
//     Label365 model, Label367/Label369 sensor number high/low word,
//     Label371 hardware version (1322-1325), decimal
//     Label373 software version (1326), "%04X"; Label383 its high byte and
//     ".", Label384 its low byte, decimal
//     Label375/Label377/Label379 day, month, year of manufacture (1327-1329)
//   tab "Изм. модуль":
//     CheckBox76..CheckBox91 bits 15..0 of 1969, CheckBox60..CheckBox75
//     bits 15..0 of 1970 (the cells of module_data.h): what Button84 sends.
//     The enables read ticks them; nothing else does.
#pragma once

#include <span>

#include "blocks/block_engine.h"

namespace qmx {

inline constexpr char kModuleParametersReadText[] =
    "Чтение параметров модуля измерения успешно осуществлено.";
inline constexpr char kErrorMaskQuestion[] = "Разрешение анализа ошибок будет переписано?.";
inline constexpr char kErrorMaskWrittenText[] = "Запись разрешения ошибок успешно осуществлена.";
inline constexpr char kModuleToConnectorQuestion[] =
    "Подключить измерительный модуль к технологич. разъему?.";
inline constexpr char kModuleToConnectorText[] =
    "Включена связь технологического разъема с изм. модулем.";
inline constexpr char kModuleToInstrumentQuestion[] = "Подключить измерительный модуль к прибору?.";
inline constexpr char kModuleToInstrumentText[] = "Включена связь прибора с изм. модулем.";

const Block& ModuleParameterBlock();
const Block& CutOffBlock();
// Read 1280 x42, then 1957 x4, then 1322 x8, storing into both blocks.
const BlockOperation& ModuleParametersAndCutOffRead();

BlockOutcome Button65Click(BlockContext& ctx);  // "Прочитать" on the module parameter page
BlockOutcome Button84Click(BlockContext& ctx);  // "Записать разрешения ошибок"
BlockOutcome Button86Click(BlockContext& ctx);  // "Изм. модуль к техн. разъему"
BlockOutcome Button87Click(BlockContext& ctx);  // "Изм. модуль к прибору"

std::span<const Block* const> ModuleBlocks();
std::span<const ButtonHandler> ModuleButtons();
std::span<const ControlInfo> ModuleUnboundControls();

// The parts of the instrument's configuration this page group holds.
std::span<const ConfigPart> ModuleConfigParts();

}  // namespace qmx
