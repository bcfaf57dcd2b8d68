#include "link/crc16.h"

namespace qmx {

uint16_t Crc16(const uint8_t* data, size_t n) {
  uint16_t crc = 0xFFFF;
  for (size_t i = 0; i < n; ++i) {
    crc ^= data[i];
    for (int bit = 0; bit < 8; ++bit) {
      const bool dropped = (crc & 1) != 0;
      crc >>= 1;
      if (dropped) crc ^= 0xA001;
    }
  }
  return crc;
}

}  // namespace qmx
