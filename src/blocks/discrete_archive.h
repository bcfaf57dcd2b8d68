// Discrete flags, the archive and the cleaning of the electrodes: three small
// groups of instrument settings.
//
// Controls:
//   tab "Дискр." (flags shown as numbered boxes, box n = bit n):
//     "Запоминаемые"   1962: bit 0 CheckBox59, bit 1 CheckBox58, ... bit 15 CheckBox44
//     "Незапоминаемые" 1963: bits 0-8 CheckBox43 ... CheckBox35 (descending),
//                            bits 9-15 CheckBox14 ... CheckBox8 (descending)
//   tab "Архивация":
//     ComboBox36  0 .. 3600, the twin of ComboBox58 (item index = seconds in both)
//     CheckBox92  "Используем модуль" "архивации"   1953, checked when not 0
//     Edit101     "Номер текущего кадра"            1964-1965, upper word first
//   page "АРХИВ":
//     ComboBox58  "ИНТЕРВАЛ ВРЕМЕНИ МЕЖДУ ЗАПИСЯМИ В АРХИВ"  1952 = item index
//   tab "Очистка электродов":
//     Edit98      "Время очистки сек", the twin of ComboBox54 (by text)
//   page "ОБСЛУЖИВАНИЕ":
//     ComboBox54  "МАКС ВРЕМЯ ОЧИСТКИ"  1954 = item index
//
// The archive interval, the archive module switch, the current frame and the
// cleaning time are staged in the profile (ArchiveValues, el_clear_time_val):
// a profile load changes what the write buttons send, a read what the next
// profile save keeps.  The flags are staged here.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "blocks/block_engine.h"

namespace qmx {

// "выкл." then "1" ... "3600": ComboBox58 and ComboBox54.
const std::vector<std::string>& OffThenSecondsItems();
// "0" ... "3600": ComboBox36.
const std::vector<std::string>& SecondsItems();

// The box of bit `bit` (0-15) of the flag word `reg` (1962 or 1963).
std::string_view FlagBox(uint16_t reg, int bit);

inline constexpr char kNoArchiveIntervalError[] = "Не выбран интервал архивации.";
inline constexpr char kNoCleaningTimeError[] = "Не выбрано время очистки электродов.";

BlockOutcome Button68Click(BlockContext& ctx);  // read the discrete flags
BlockOutcome Button69Click(BlockContext& ctx);  // write them
BlockOutcome Button73Click(BlockContext& ctx);  // read the archive interval ("Архивация")
BlockOutcome BitBtn22Click(BlockContext& ctx);  // the same ("АРХИВ")
BlockOutcome Button74Click(BlockContext& ctx);  // write the archive interval
BlockOutcome BitBtn23Click(BlockContext& ctx);
BlockOutcome Button75Click(BlockContext& ctx);  // read the current frame number
BlockOutcome Button76Click(BlockContext& ctx);  // write it
BlockOutcome Button63Click(BlockContext& ctx);  // read the cleaning time ("Очистка электродов")
BlockOutcome BitBtn20Click(BlockContext& ctx);  // the same ("ОБСЛУЖИВАНИЕ")
BlockOutcome Button64Click(BlockContext& ctx);  // write the cleaning time
BlockOutcome BitBtn21Click(BlockContext& ctx);
BlockOutcome Button61Click(BlockContext& ctx);  // cleaning on
BlockOutcome BitBtn18Click(BlockContext& ctx);
BlockOutcome Button62Click(BlockContext& ctx);  // cleaning off
BlockOutcome BitBtn19Click(BlockContext& ctx);

std::span<const Block* const> DiscreteArchiveBlocks();
std::span<const ButtonHandler> DiscreteArchiveButtons();
std::span<const ControlInfo> DiscreteArchiveUnboundControls();
std::span<const ControlTwin> DiscreteArchiveTwins();

// The parts of the instrument's configuration this page group holds.
std::span<const ConfigPart> DiscreteArchiveConfigParts();

}  // namespace qmx
