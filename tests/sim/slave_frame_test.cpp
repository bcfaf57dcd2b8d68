// The instrument's own frame rules and register-word conversions, checked
// against the worked examples of the protocol and of the register map.
#include "sim/slave_frame.h"

#include <gtest/gtest.h>

#include <vector>

#include "sim/register_map.h"

namespace qmx::sim {
namespace {

TEST(SlaveFrameTest, CrcOfKnownRequests) {
  const std::vector<uint8_t> read{0x01, 0x03, 0x01, 0x2C, 0x00, 0x02};
  EXPECT_EQ(SlaveCrc(read.data(), read.size()), 0x3E04);  // on the wire: 04 3E
  const std::vector<uint8_t> blink{0x01, 0x10, 0x04, 0x16, 0x00, 0x01, 0x02, 0x00, 0x01};
  EXPECT_EQ(SlaveCrc(blink.data(), blink.size()), 0xA620);  // on the wire: 20 A6
  std::vector<uint8_t> framed = read;
  AppendSlaveCrc(framed);
  EXPECT_EQ(framed, (std::vector<uint8_t>{0x01, 0x03, 0x01, 0x2C, 0x00, 0x02, 0x04, 0x3E}));
  EXPECT_TRUE(SlaveCrcMatches(framed.data(), framed.size()));
  framed[3] ^= 1;
  EXPECT_FALSE(SlaveCrcMatches(framed.data(), framed.size()));
}

TEST(SlaveFrameTest, RequestLengthFromTheFirstBytes) {
  const uint8_t read[] = {0x01, 0x03};
  EXPECT_EQ(RequestLength(read, 1), 0u);
  EXPECT_EQ(RequestLength(read, 2), 8u);
  const uint8_t write[] = {0x01, 0x10, 0x04, 0x16, 0x00, 0x02, 0x04};
  EXPECT_EQ(RequestLength(write, 6), 0u);
  EXPECT_EQ(RequestLength(write, 7), 13u);
  const uint8_t other[] = {0x01, 0x06};
  EXPECT_EQ(RequestLength(other, 2), kLengthBySilence);
}

std::vector<uint8_t> Framed(std::vector<uint8_t> body) {
  AppendSlaveCrc(body);
  return body;
}

uint8_t StructuralException(const std::vector<uint8_t>& frame) {
  auto request = DecodeRequest(frame.data(), frame.size());
  return request ? request->structural_exception : 0xFF;
}

TEST(SlaveFrameTest, StructuralDefectsAreIllegalValue) {
  EXPECT_EQ(StructuralException(Framed({1, 3, 0, 0, 0, 125})), 0);
  EXPECT_EQ(StructuralException(Framed({1, 3, 0, 0, 0, 126})), kExceptionIllegalValue);
  EXPECT_EQ(StructuralException(Framed({1, 3, 0, 0, 0, 0})), kExceptionIllegalValue);
  // A count above 255 travels in the high byte too.
  EXPECT_EQ(StructuralException(Framed({1, 3, 0, 0, 1, 0})), kExceptionIllegalValue);
  EXPECT_EQ(StructuralException(Framed({1, 16, 0, 0, 0, 1, 2, 0, 7})), 0);
  EXPECT_EQ(StructuralException(Framed({1, 16, 0, 0, 0, 2, 2, 0, 7})), kExceptionIllegalValue);
  EXPECT_EQ(StructuralException(Framed({1, 16, 0, 0, 0, 0, 0})), kExceptionIllegalValue);
  EXPECT_EQ(StructuralException(Framed({1, 6, 0, 0, 0, 1})), kExceptionIllegalFunction);

  std::vector<uint8_t> big{1, 16, 0, 0, 0, 124, 248};
  big.resize(7 + 248, 0);
  EXPECT_EQ(StructuralException(Framed(big)), kExceptionIllegalValue);
}

TEST(SlaveFrameTest, DecodesWrittenValuesHighByteFirst) {
  auto request = DecodeRequest(Framed({5, 16, 0x04, 0xFE, 0, 2, 4, 0, 1, 0x12, 0x34}).data(), 13);
  ASSERT_TRUE(request);
  EXPECT_EQ(request->address, 5);
  EXPECT_EQ(request->start, 1278);
  EXPECT_EQ(request->values, (std::vector<uint16_t>{1, 0x1234}));
}

TEST(SlaveFrameTest, Answers) {
  EXPECT_EQ(ReadAnswer(1, {0x8000}), Framed({1, 3, 2, 0x80, 0x00}));
  EXPECT_EQ(WriteAnswer(1, 1046, 1), Framed({1, 16, 0x04, 0x16, 0, 1}));
  EXPECT_EQ(ExceptionAnswer(1, 3, 2), Framed({1, 0x83, 2}));
}

TEST(RegisterMapTest, FloatByteOrdersOfTheWorkedExample) {
  using W = std::array<uint16_t, 2>;
  EXPECT_EQ(FloatWords(1.5f, 0), (W{0x3FC0, 0x0000}));
  EXPECT_EQ(FloatWords(1.5f, 1), (W{0x0000, 0x3FC0}));
  EXPECT_EQ(FloatWords(1.5f, 2), (W{0xC03F, 0x0000}));
  EXPECT_EQ(FloatWords(1.5f, 3), (W{0x0000, 0xC03F}));
  EXPECT_EQ(FloatFromWords(0x4B18, 0x9680), 10000000.0f);
}

TEST(RegisterMapTest, LongAndDoubleWordOrders) {
  using W2 = std::array<uint16_t, 2>;
  EXPECT_EQ(LongWordsHighFirst(0x12345678), (W2{0x1234, 0x5678}));
  EXPECT_EQ(LongWordsLowFirst(0x12345678), (W2{0x5678, 0x1234}));
  EXPECT_EQ(DoubleWords(1.0), (std::array<uint16_t, 4>{0x3FF0, 0, 0, 0}));
}

TEST(RegisterMapTest, EveryBlockOfTheProgramExists) {
  // start, count of every block read the program makes.
  const std::vector<std::pair<uint16_t, unsigned>> blocks = {
      {0, 4},     {256, 49}, {305, 2},  {288, 18}, {512, 13},  {525, 7},  {768, 4},  {768, 11},
      {776, 2},   {1024, 8}, {1025, 2}, {1027, 5}, {1029, 3},  {1032, 3}, {1046, 1}, {1048, 1},
      {1051, 1},  {1056, 6}, {1072, 1}, {1150, 2}, {1152, 3},  {1264, 1}, {1278, 2}, {1280, 42},
      {1302, 1},  {1322, 8}, {1792, 2}, {1808, 5}, {1815, 1},  {1816, 1}, {1824, 5}, {1840, 2},
      {1856, 1},  {1857, 1}, {1874, 1}, {1921, 6}, {1930, 18}, {1948, 2}, {1952, 2}, {1954, 1},
      {1955, 1},  {1956, 1}, {1957, 4}, {1962, 2}, {1964, 2},  {1966, 1}, {1969, 2}, {1984, 8},
      {1994, 64}, {65528, 8}};
  for (const auto& [start, count] : blocks) {
    EXPECT_TRUE(RangeExists(start, count)) << start << " x" << count;
  }
  EXPECT_FALSE(RangeExists(4, 1));
  EXPECT_FALSE(RangeExists(306, 2));  // runs past the measured block
  EXPECT_FALSE(RangeExists(65535, 2));
}

TEST(RegisterMapTest, KindsThatDecideTheWriteRules) {
  EXPECT_EQ(KindOf(reg::kBlink), RegisterKind::kFreeCommand);
  EXPECT_EQ(KindOf(reg::kLatch), RegisterKind::kFreeCommand);
  EXPECT_EQ(KindOf(reg::kRestart), RegisterKind::kCommand);
  EXPECT_EQ(KindOf(reg::kTotaliserReset), RegisterKind::kCommand);
  EXPECT_EQ(KindOf(reg::kOperatingTimeReset), RegisterKind::kCommand);
  EXPECT_EQ(KindOf(reg::kUserLock), RegisterKind::kLock);
  EXPECT_EQ(KindOf(65535), RegisterKind::kUser);
  EXPECT_EQ(KindOf(reg::kInitFlag), RegisterKind::kReadOnly);
  EXPECT_EQ(KindOf(1153), RegisterKind::kReadOnly);
  EXPECT_EQ(KindOf(reg::kStateWord), RegisterKind::kLive);
  EXPECT_EQ(KindOf(1841), RegisterKind::kConfig);
}

TEST(RegisterMapTest, FactoryIdentityCheckAndLine) {
  const auto r = FactoryRegisters();
  EXPECT_EQ(r[1152], 1);
  EXPECT_EQ(r[1153], 6);
  EXPECT_EQ(r[1154], 0);
  EXPECT_EQ(r[reg::kNetworkAddress], 1);
  EXPECT_EQ(r[reg::kBaudCode], 7);
  EXPECT_EQ(r[reg::kParity], 0);
  EXPECT_EQ(BaudOfCode(10), 115200u);
  EXPECT_EQ(BaudOfCode(11), 19200u);
  EXPECT_EQ(CodeOfBaud(9600), 6);
  EXPECT_FALSE(CodeOfBaud(14400));
}

}  // namespace
}  // namespace qmx::sim
