// The measuring module's parameter block (registers 1280-1321 and 1322-1329),
// read together with the cut-off (1957-1960): the cut-off's limits lie in
// it, and the instrument's own module page and the measurement tab both show
// parts of it from the one staged record.
#pragma once

#include "blocks/block_engine.h"

namespace qmx {

const Block& ModuleParameterBlock();
const Block& CutOffBlock();
// Read 1280 x42, then 1957 x4, then 1322 x8, storing into both blocks.
const BlockOperation& ModuleParametersAndCutOffRead();

}  // namespace qmx
