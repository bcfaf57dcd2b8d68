// Every parameter block the window drives, its buttons and the controls it
// needs, in one place: the window creates the controls from
// BlockControlList(), connects each button of BlockButtons() to its handler
// (through the exchange gate) and, at start-up once the profile is loaded,
// calls FillBlockControls.
#pragma once

#include <span>
#include <vector>

#include "blocks/block_engine.h"
#include "operator/controls.h"

namespace qmx {

std::span<const Block* const> AllBlocks();
std::span<const ButtonHandler> BlockButtons();
// The instrument's configuration, part by part, in the order of the pages.
std::span<const ConfigPart> ConfigurationParts();
// Pairs of controls the window keeps in step.
std::span<const ControlTwin> BlockTwins();

// Each control once, with its kind and, for lists, its items.
std::vector<ControlInfo> BlockControlList();

// Start-up: shows the staged values of every block that keeps settings
// (the profile's among them).  Blocks that only show what the instrument
// reports keep their texts until they are first read.
void FillBlockControls(Controls& controls, BlockValues& values);

// Gives a MapControls the lists of BlockControlList(), for running the
// handlers without a window.
void AddBlockControls(MapControls& controls);

}  // namespace qmx
