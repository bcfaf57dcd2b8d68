#include "link/link.h"

namespace qmx {

int64_t ReadWaitLimitMs(const LinkSettings& settings, unsigned count) {
  // The same figures the master sets for each attempt and waits between them.
  constexpr int64_t kUnlimitedReadTotalMs = 2000;
  constexpr int64_t kRetryPauseMs = 1000;
  const TimeoutPair& pair = settings.timeouts.For(settings.line.baud_code);
  const int64_t gap = settings.time_gap_prg;
  // The read asks for the whole answer and two bytes more.
  const int64_t wanted = 2 * int64_t{count} + 7;
  const int64_t multiplier = pair.multiplier + gap;
  const int64_t constant = settings.line.timeout + gap;
  const int64_t attempt_ms =
      multiplier == 0 && constant == 0 ? kUnlimitedReadTotalMs : multiplier * wanted + constant;
  const int64_t attempts = settings.retry_limit == 0 ? 1 : settings.retry_limit;
  return attempts * attempt_ms + (attempts - 1) * kRetryPauseMs;
}

Link::Link(PortProvider& ports, Clock& clock)
    : ports_(ports), clock_(clock), log_(clock, settings_) {}

}  // namespace qmx
