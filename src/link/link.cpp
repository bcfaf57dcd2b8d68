#include "link/link.h"

namespace qmx {

Link::Link(PortProvider& ports, Clock& clock)
    : ports_(ports), clock_(clock), log_(clock, settings_) {}

}  // namespace qmx
