// Code integrity: the checksum the instrument computes over its program
// memory (1150) and the reference it compares it with (1151, pgmcsacnt1),
// on the page "Целостность кода".  The service engineer reads both and can
// make the current checksum the instrument's new reference.
//
// Controls: Panel39 the computed checksum ("Нет данных" until the first
// read), Panel40 the reference ("-" until then), both as four upper-case
// hexadecimal digits; Button43 "Прочитать", Button44 "Переписать".
#pragma once

#include <span>

#include "blocks/block_engine.h"

namespace qmx {

BlockOutcome Button43Click(BlockContext& ctx);  // read both values
BlockOutcome Button44Click(BlockContext& ctx);  // the computed checksum becomes the reference

std::span<const Block* const> CodeIntegrityBlocks();
std::span<const ButtonHandler> CodeIntegrityButtons();
std::span<const ControlInfo> CodeIntegrityControls();

// The parts of the instrument's configuration this page group holds.
std::span<const ConfigPart> CodeIntegrityConfigParts();

}  // namespace qmx
