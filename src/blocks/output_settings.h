// Output settings: the type of the instrument's one flow output, the scaling
// of the frequency output, a forced test frequency, the pulse output, and the
// volume still to be sent as pulses.  Shown on the engineering tabs
// "Выходы", "Частотный выход" and "Импульсный выход" and on the operator page
// "ВЫХОД" of "НАСТРОЙКИ РАБОТЫ", which share the staged values; the values
// themselves are edited on the page.
//
// Controls (filled at start-up from the staged values, except Label381):
//   tab "Выходы":
//     ComboBox6   combo  "Тип выхода"       1793 shown only, OutputTypeItems()
//   page "ВЫХОД":
//     ComboBox42  combo  "ТИП ВЫХОДА"       1793 = index + 2, OutputKindItems()
//     Edit107     edit   "РАСХОД ДЛЯ" "10000 Гц", "М КУБ /  ЧАС"  1808-1809, "%-11.4f"
//     Edit110     edit   "РАСХОД ДЛЯ 0  Гц", "М КУБ / ЧАС"       1810-1811, "%-11.4f"
//     Edit108     edit   "ЧАСТОТА ОШИБКИ", "Гц"                 1812, decimal
//     Edit109     edit   "ОБЪЕМ СООТВ." " ИМПУЛЬСУ", "М КУБ"    1824-1825, "%-11.4f"
//     Edit111     edit   "ДЛИТ. ИМП.", "МС"                     1827, decimal
//     Edit112     edit   "ПАУЗА ", "МС"                         1828, decimal
//   tab "Частотный выход", group "Принудительное задание частоты частотного выхода":
//     Edit102     edit   "Частота", "Гц"    1816, decimal
//   tab "Импульсный выход":
//     Label381    label  beside "Объем который нужно передать импульсами" (unit
//                        "метры куб"), 768-771, "%-24.4f"
// The tabs' own fields Edit1, Edit2, Edit6, Edit3, Edit4, Edit5 and the list
// ComboBox37 take no part: the values go through the page.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "blocks/block_engine.h"

namespace qmx {

const std::vector<std::string>&
OutputTypeItems();  // "уставка", "направление", "частота", "импульсный"
const std::vector<std::string>& OutputKindItems();  // "частота", "импульсный"

BlockOutcome Button12Click(BlockContext& ctx);  // read output type ("Выходы")
BlockOutcome BitBtn8Click(BlockContext& ctx);   // the same ("ВЫХОД")
BlockOutcome Button13Click(BlockContext& ctx);  // write output type
BlockOutcome BitBtn9Click(BlockContext& ctx);
BlockOutcome Button14Click(BlockContext& ctx);  // read frequency output
BlockOutcome BitBtn10Click(BlockContext& ctx);
BlockOutcome Button15Click(BlockContext& ctx);  // write frequency output
BlockOutcome BitBtn11Click(BlockContext& ctx);
BlockOutcome Button79Click(BlockContext& ctx);  // force the frequency on
BlockOutcome Button80Click(BlockContext& ctx);  // give the frequency back to the instrument
BlockOutcome Button81Click(BlockContext& ctx);  // read the forced frequency
BlockOutcome Button82Click(BlockContext& ctx);  // write the forced frequency
BlockOutcome Button16Click(BlockContext& ctx);  // read pulse output
BlockOutcome BitBtn12Click(BlockContext& ctx);
BlockOutcome Button49Click(BlockContext& ctx);  // write pulse output
BlockOutcome BitBtn13Click(BlockContext& ctx);
BlockOutcome Button92Click(BlockContext& ctx);  // read the volume still to be sent

std::span<const Block* const> OutputBlocks();
std::span<const ButtonHandler> OutputButtons();

// The parts of the instrument's configuration this page group holds.
std::span<const ConfigPart> OutputConfigParts();

}  // namespace qmx
