// The instrument's real-time clock (1056-1061) and the password of its
// front-panel menu (1264).  Shown and set on the engineering tab
// "Общеприборные" and on the operator pages "ВРЕМЯ" and "ДОП. НАСТРОЙКИ" of
// "НАСТРОЙКИ РАБОТЫ", which share the staged values.
//
// Controls:
//   tab "Общеприборные":
//     ComboBox30 year (index + 2017), ComboBox29 month (index + 1),
//     ComboBox28 day (index + 1), ComboBox8 hour, ComboBox9 minute,
//     ComboBox27 second: what a clock write sends; a read leaves them alone.
//     Edit7 password, in step with Edit113 (the page's field is the one
//     written and filled).
//   page "ВРЕМЯ":
//     ComboBox53/52/51/48/49/50 (hidden) and Panel117: the clock read last,
//     "%u:%02u:%02u  %u.%02u.%04u".
//   page "ДОП. НАСТРОЙКИ":
//     Edit113 "ПАРОЛЬ ЭКРАННОГО МЕНЮ": the password, 0-9999.
#pragma once

#include <span>
#include <string>

#include "blocks/block_engine.h"

namespace qmx {

inline constexpr char kClockReadText[] = "Чтение времени и даты успешно осуществлено.";
inline constexpr char kClockWrittenText[] = "Запись времени и даты успешно осуществлена.";
inline constexpr char kClockQuestion[] = "Данные времени и даты будут переписаны?.";
inline constexpr char kPasswordReadText[] =
    "Чтение меню передней панели прибора успешно осуществлено.";
inline constexpr char kPasswordWrittenText[] = "Запись пароля экранного меню успешно осуществлена.";
inline constexpr char kPasswordQuestion[] =
    "Пароль меню передней панели прибора будет переписаны?.";
inline constexpr char kPasswordInputError[] =
    "Вводимый пароль не получается представить целым числом.";
inline constexpr char kNoSuchDateError[] = "Такой даты не существует.";
inline constexpr char kDateNotChosenError[] = "Дата и время выбраны не полностью.";
inline constexpr uint16_t kMaxMenuPassword = 9999;

BlockOutcome Button51Click(BlockContext& ctx);  // read the clock (tab)
BlockOutcome BitBtn15Click(BlockContext& ctx);  // the same ("ВРЕМЯ")
BlockOutcome Button52Click(BlockContext& ctx);  // write the clock from the tab's lists
BlockOutcome BitBtn17Click(BlockContext& ctx);  // the same ("ВРЕМЯ", hidden)
BlockOutcome BitBtn31Click(BlockContext& ctx);  // "Записать время из часов компьютера"
BlockOutcome Button53Click(BlockContext& ctx);  // read the password (tab)
BlockOutcome BitBtn28Click(BlockContext& ctx);  // the same ("ДОП. НАСТРОЙКИ")
BlockOutcome Button54Click(BlockContext& ctx);  // write the password (tab)
BlockOutcome BitBtn29Click(BlockContext& ctx);  // the same ("ДОП. НАСТРОЙКИ")

// The clock as Panel117 shows it.
std::string ClockText(const ClockValues& clock);
// Whether the date exists in the calendar (31 April, 29 February of a
// non-leap year and a month or day 0 do not).
bool DateExists(unsigned year, unsigned month, unsigned day);

std::span<const Block* const> ClockPasswordBlocks();
std::span<const ButtonHandler> ClockPasswordButtons();
std::span<const ControlInfo> ClockPasswordUnboundControls();
std::span<const ControlTwin> ClockPasswordTwins();

// The parts of the instrument's configuration this page group holds.
std::span<const ConfigPart> ClockPasswordConfigParts();

}  // namespace qmx
