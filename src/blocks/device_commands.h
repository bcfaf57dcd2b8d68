// One-register commands that make the instrument act: restart, totaliser
// reset and operating-time reset.  Each writes 1 to its register between an
// unlock and (for the resets) a lock; the restart leaves the lock alone, as
// the instrument comes back from it locked.  The resets close the lock after
// the command's answer, so the instrument is not left open to any other
// master on the bus.
#pragma once

#include <span>

#include "blocks/block_engine.h"

namespace qmx {

BlockOutcome Button50Click(BlockContext& ctx);  // "Сброс": restart
BlockOutcome Button78Click(BlockContext& ctx);  // "Перезапуск": restart
BlockOutcome BitBtn30Click(BlockContext& ctx);  // "Перезагрузка прибора": restart
BlockOutcome Button9Click(BlockContext& ctx);   // "Сбросить накопл. объем"
BlockOutcome BitBtn27Click(BlockContext& ctx);  // "Сброс накопленного объема"
BlockOutcome Button85Click(BlockContext& ctx);  // "Сброс времени наработки"

std::span<const Block* const> DeviceCommandBlocks();
std::span<const ButtonHandler> DeviceCommandButtons();

}  // namespace qmx
