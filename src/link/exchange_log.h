// Optional text trace of every request and answer on the line, appended to
// one file so a service engineer can see what went over the wire.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "link/clock.h"
#include "storage/link_settings.h"

namespace qmx {

class ExchangeLog {
 public:
  ExchangeLog(Clock& clock, const LinkSettings& settings) : clock_(clock), settings_(settings) {}

  // Written only when the "UseLogFile" switch is exactly 1.
  bool Enabled() const { return settings_.use_log_file == 1; }

  // Read transaction, per attempt.
  void ReadRequest(unsigned repetitions, const uint8_t* request, size_t size);
  void ReadAnswer(const uint8_t* answer, size_t size);
  // Write transaction, per attempt, then once when it failed.
  void WriteRequest(std::string_view description, const uint8_t* request, size_t size);
  void WriteAnswer(unsigned repetitions, const uint8_t* answer, size_t size);
  void WriteStatus(uint16_t status, uint16_t exception);
  // A line of its own about how the link handled the attempt that follows.
  void Note(std::string_view text);

 private:
  Clock& clock_;
  const LinkSettings& settings_;
};

}  // namespace qmx
