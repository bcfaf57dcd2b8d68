// The compatibility reference page "Совместимость с Тальвером": reference
// values that let the instrument present itself like another maker's
// device.  Which registers they belong to is not known to this program, so
// its two buttons talk to no instrument: they keep the page's questions and
// the flags the exchange tab looks at, and report.
//
// Controls: Edit92 "Исполнение по типу сенсора", ComboBox24 "Исполнение по
// кислороду", ComboBox25 "Климатическое исполнение", ComboBox26 "Исполнение
// по применению", Edit93 "Точность", Edit94 "Код материала", Edit95
// "Пользовательский текст"; Panel47 busy panel; Button45 "Прочитать",
// Button46 "Записать".
#pragma once

#include <span>

#include "blocks/block_engine.h"

namespace qmx {

BlockOutcome Button45Click(BlockContext& ctx);  // "Прочитать"
BlockOutcome Button46Click(BlockContext& ctx);  // "Записать"

std::span<const ButtonHandler> CompatibilityButtons();
std::span<const ControlInfo> CompatibilityControls();

}  // namespace qmx
