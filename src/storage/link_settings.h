// The link's own settings: what "dev.dat" and "to.dat" hold, loaded once at
// start-up into one program-wide structure that the link works from.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace qmx {

// The baud codes the operator's lists offer: 3..10 = 1200..115200; any
// other code is taken as 19200.
inline constexpr uint16_t kFirstBaudCode = 3;
inline constexpr uint16_t kLastBaudCode = 10;
inline constexpr uint16_t kDefaultBaudCode = 7;  // 19200
constexpr bool IsListedBaudCode(uint16_t code) {
  return code >= kFirstBaudCode && code <= kLastBaudCode;
}
// A code the lists offer as it is, any other as 19200.
constexpr uint16_t ListedBaudCodeOr19200(uint16_t code) {
  return IsListedBaudCode(code) ? code : kDefaultBaudCode;
}

// Program-wide line parameters.  Baud code 3..10 = 1200..115200; parity
// code 0 none, 1 odd, 2 even; address 255 = no answer checks, 0 = no
// address check.
struct LineParameters {
  uint16_t port_number = 1;
  uint16_t baud_code = 7;
  uint16_t parity_code = 0;
  uint16_t network_address = 1;
  uint16_t stop_bits = 1;   // passed along, never used: stop bits follow parity
  uint16_t timeout = 1000;  // read total constant, ms ("TimeOut")
};

// Read per-byte multiplier and read interval, ms, of one baud code.
struct TimeoutPair {
  uint16_t multiplier = 192;
  uint16_t interval = 192;
};

struct TimeoutTable {
  // Codes 3..10 (1200..115200 baud).
  std::array<TimeoutPair, 8> by_code{
      {{192, 192}, {96, 96}, {48, 48}, {24, 24}, {24, 24}, {24, 24}, {24, 24}, {24, 24}}};
  TimeoutPair fallback{192, 192};  // any other code ("DF")

  const TimeoutPair& For(uint16_t baud_code) const {
    return baud_code >= 3 && baud_code <= 10 ? by_code[baud_code - 3] : fallback;
  }
};

struct LinkSettings {
  LineParameters line;
  uint16_t retry_mask = 127;  // "read_hold_reg_err_msk": status bits that repeat
  uint16_t retry_limit = 2;   // "Reask_val": attempts in all, never 0
  uint16_t time_gap_dev = 0;  // instrument's extra gap, 0..255 ms
  uint16_t time_gap_prg = 0;  // program's extra gap added to read time-outs
  uint16_t dely = 0;          // starting answer delay shown to the operator
  uint16_t use_log_file = 1;  // exchange log written only when exactly 1
  std::string log_file_name;  // exchange log file
  // Exchange settings proposed for the instrument; they start equal to the
  // program's own line and may be changed by the profile or the operator.
  uint16_t proposed_baud_code = 7;
  uint16_t proposed_parity_code = 0;
  uint16_t proposed_address = 1;
  TimeoutTable timeouts;
};

}  // namespace qmx
