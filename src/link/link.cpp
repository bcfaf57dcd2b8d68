#include "link/link.h"

namespace qmx {

ReadTimeouts AttemptReadTimeouts(const LinkSettings& settings, uint16_t baud_code, bool* limited) {
  const TimeoutPair& pair = settings.timeouts.For(baud_code);
  ReadTimeouts timeouts;
  timeouts.interval_ms = uint32_t{pair.interval} + settings.time_gap_prg;
  timeouts.multiplier_ms = uint32_t{pair.multiplier} + settings.time_gap_prg;
  timeouts.constant_ms = uint32_t{settings.line.timeout} + settings.time_gap_prg;
  const bool unlimited = timeouts.multiplier_ms == 0 && timeouts.constant_ms == 0;
  if (unlimited) timeouts.constant_ms = kDefaultReadTotalMs;
  if (limited != nullptr) *limited = unlimited;
  return timeouts;
}

int64_t ReadWaitLimitMs(const LinkSettings& settings, uint16_t baud_code, unsigned count) {
  const ReadTimeouts timeouts = AttemptReadTimeouts(settings, baud_code);
  // The master asks for two bytes more than a good answer holds; on a silent
  // line the whole total time-out runs out.
  const int64_t wanted = 2 * int64_t{count} + 5 + 2;
  const int64_t attempt_ms = int64_t{timeouts.multiplier_ms} * wanted + timeouts.constant_ms;
  constexpr uint16_t kSilentStatus = kStatusWrongLength | kStatusWrongAddress |
                                     kStatusWrongFunction | kStatusCrcError | kStatusNoAnswer;
  const bool repeats = (settings.retry_mask & kSilentStatus) != 0;
  const int64_t attempts = repeats && settings.retry_limit > 1 ? settings.retry_limit : 1;
  return attempts * attempt_ms + (attempts - 1) * kRetryPauseMs;
}

Link::Link(PortProvider& ports, Clock& clock)
    : ports_(ports), clock_(clock), log_(clock, settings_) {}

}  // namespace qmx
