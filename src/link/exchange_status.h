// Outcome of one Modbus transaction: a 16-bit set of flags, 0 = success.
#pragma once

#include <cstdint>

namespace qmx {

constexpr uint16_t kStatusLineError = 0x0001;      // receive error with parity on
constexpr uint16_t kStatusWrongLength = 0x0002;    // not the expected byte count
constexpr uint16_t kStatusWrongAddress = 0x0004;   // answer from another address
constexpr uint16_t kStatusWrongFunction = 0x0008;  // not the function asked
constexpr uint16_t kStatusException = 0x0010;      // Modbus exception answer
constexpr uint16_t kStatusCrcError = 0x0020;       // CRC does not match
constexpr uint16_t kStatusNoAnswer = 0x0040;       // nothing received at all
constexpr uint16_t kStatusRepeated = 0x8000;       // at least one repetition made

// Requests the link refuses before anything goes on the wire.  They never
// combine with the bits above.
constexpr uint16_t kStatusRefusedBusy = 0x0100;      // another transaction is in progress
constexpr uint16_t kStatusRefusedBadCount = 0x0200;  // register count out of range

// Largest register counts a transaction may carry (256-byte frames).
constexpr unsigned kMaxReadCount = 124;
constexpr unsigned kMaxWriteCount = 123;

}  // namespace qmx
