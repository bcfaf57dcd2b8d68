#include "link/crc16.h"

#include <gtest/gtest.h>

#include <cstring>

namespace qmx {
namespace {

TEST(Crc16Test, KnownVectors) {
  const char* check = "123456789";
  EXPECT_EQ(Crc16(reinterpret_cast<const uint8_t*>(check), std::strlen(check)), 0x4B37);

  // The read request of two registers from 300 at address 1 ends in 04 3E.
  const uint8_t read_request[] = {0x01, 0x03, 0x01, 0x2C, 0x00, 0x02};
  EXPECT_EQ(Crc16(read_request, sizeof read_request), 0x3E04);

  const uint8_t write_request[] = {0x01, 0x10, 0x04, 0x16, 0x00, 0x01, 0x02, 0x00, 0x01};
  EXPECT_EQ(Crc16(write_request, sizeof write_request), 0xA620);

  // Nothing at all leaves the start value, which no zero bytes can match.
  EXPECT_EQ(Crc16(read_request, 0), 0xFFFF);
}

TEST(Crc16Test, FrameWithItsCrcChecksToZeroAndStaysZeroOverZeros) {
  // The exception answer check relies on this: a short frame followed by
  // zero bytes still compares equal with the zeros after it.
  const uint8_t frame[] = {0x01, 0x83, 0x02, 0xC0, 0xF1, 0x00, 0x00};
  EXPECT_EQ(Crc16(frame, 5), 0);
  EXPECT_EQ(Crc16(frame, 7), 0);
  EXPECT_EQ(Crc16(frame, 3), 0xF1C0);
}

}  // namespace
}  // namespace qmx
