#include "blocks/device_commands.h"

namespace qmx {
namespace {

const Field kRestartFields[] = {CommandField(1049, 1)};
const Field kTotaliserResetFields[] = {CommandField(1857, 1)};  // IZM_FLOW_V_SUM_CLR
const Field kOperatingTimeResetFields[] = {CommandField(1966, 1)};

const Block kRestartBlock{.name = "перезапуск", .fields = kRestartFields};
const Block kTotaliserResetBlock{.name = "сброс накопленного объема",
                                 .fields = kTotaliserResetFields};
const Block kOperatingTimeResetBlock{.name = "сброс времени наработки",
                                     .fields = kOperatingTimeResetFields};

const Block* const kRestartBlocks[] = {&kRestartBlock};
const Block* const kTotaliserResetBlocks[] = {&kTotaliserResetBlock};
const Block* const kOperatingTimeResetBlocks[] = {&kOperatingTimeResetBlock};

// The restart is logged under the text of the unlock just before it.
const Transaction kRestartTransactions[] = {{.start = 1049, .count = 1}};
const Transaction kTotaliserResetTransactions[] = {
    {.start = 1857,
     .count = 1,
     .description = "IZM_FLOW_V_SUM_CLR = 1  сбросим накопленный объем"}};
const Transaction kOperatingTimeResetTransactions[] = {
    {.start = 1966, .count = 1, .description = "сбрасываем время накопления"}};

const BlockOperation kRestart{kRestartTransactions, kRestartBlocks};
const BlockOperation kTotaliserReset{kTotaliserResetTransactions, kTotaliserResetBlocks};
const BlockOperation kOperatingTimeReset{kOperatingTimeResetTransactions,
                                         kOperatingTimeResetBlocks};
const BlockOperation* const kRestartWrites[] = {&kRestart};
const BlockOperation* const kTotaliserResetWrites[] = {&kTotaliserReset};
const BlockOperation* const kOperatingTimeResetWrites[] = {&kOperatingTimeReset};

// The instrument restarts at once, so its answer may never come and is not
// looked at; it comes back locked.
const GuardedWrite kRestartCommand{
    .confirmation = "Работа программы прибора будет перезапущена?.",
    .writes = kRestartWrites,
    .read_state_word = false,
    .lock = LockPolicy::kNever,
    .examine_writes = false,
};

const GuardedWrite kTotaliserResetCommand{
    .confirmation = "Накопленный объем будет сброшен.",
    .writes = kTotaliserResetWrites,
    .read_state_word = false,
    .unlock = {" разблокируем запись ", false},
};

const GuardedWrite kOperatingTimeResetCommand{
    .confirmation = "Время наработки будет сброшено.",
    .writes = kOperatingTimeResetWrites,
    .unlock = {"USERLOCK = 1 CLBLOC =1  разблокируем запись ", false},
};

const Block* const kBlocks[] = {&kRestartBlock, &kTotaliserResetBlock, &kOperatingTimeResetBlock};

const ButtonHandler kButtons[] = {
    {"Button50", &Button50Click}, {"Button78", &Button78Click}, {"BitBtn30", &BitBtn30Click},
    {"Button9", &Button9Click},   {"BitBtn27", &BitBtn27Click}, {"Button85", &Button85Click},
};

}  // namespace

BlockOutcome Button50Click(BlockContext& ctx) {
  return RunGuardedWrite(ctx, kRestartCommand);
}
BlockOutcome Button78Click(BlockContext& ctx) {
  return RunGuardedWrite(ctx, kRestartCommand);
}
BlockOutcome BitBtn30Click(BlockContext& ctx) {
  return RunGuardedWrite(ctx, kRestartCommand);
}
BlockOutcome Button9Click(BlockContext& ctx) {
  return RunGuardedWrite(ctx, kTotaliserResetCommand);
}
BlockOutcome BitBtn27Click(BlockContext& ctx) {
  return RunGuardedWrite(ctx, kTotaliserResetCommand);
}
BlockOutcome Button85Click(BlockContext& ctx) {
  return RunGuardedWrite(ctx, kOperatingTimeResetCommand);
}

std::span<const Block* const> DeviceCommandBlocks() {
  return kBlocks;
}
std::span<const ButtonHandler> DeviceCommandButtons() {
  return kButtons;
}

}  // namespace qmx
