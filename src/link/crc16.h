// The Modbus RTU frame check.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qmx {

// CRC-16 of the first `n` bytes as Modbus RTU defines it (polynomial 0xA001,
// reflected, start 0xFFFF).  It travels low byte first, so a whole frame with
// its CRC appended checks to 0.
uint16_t Crc16(const uint8_t* data, size_t n);

}  // namespace qmx
