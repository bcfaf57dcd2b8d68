#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "link/crc16.h"
#include "link/exchange_status.h"
#include "link_fixture.h"

namespace qmx::test {
namespace {

using Bytes = std::vector<uint8_t>;

const Bytes kReadRequest{0x01, 0x03, 0x01, 0x2C, 0x00, 0x02, 0x04, 0x3E};
const Bytes kWriteRequest{0x01, 0x10, 0x04, 0x16, 0x00, 0x01, 0x02, 0x00, 0x01, 0x20, 0xA6};

// Default time-outs at 19200 baud with TimeOut 2000: total time-out of the
// read of two registers (11 bytes asked) and of a write answer (8 bytes).
constexpr int64_t kReadTotalMs = 24 * 11 + 2000;
constexpr int64_t kWriteTotalMs = 24 * 8 + 2000;

class ModbusMasterTest : public LinkTest {
 protected:
  uint16_t ReadTwo(std::array<uint16_t, 2>& values, uint16_t& exception) {
    return link_.ReadHoldingRegisters(300, 2, values.data(), &exception);
  }
  uint16_t WriteOne(uint16_t& exception) {
    const uint16_t value = 1;
    return link_.WriteMultipleRegisters(1046, 1, &value, &exception, "Команда на мигание.");
  }
  static Bytes WriteAnswer() { return WithCrc({0x01, 0x10, 0x04, 0x16, 0x00, 0x01}); }
};

TEST_F(ModbusMasterTest, ReadSendsRequestAndDecodesGoodAnswer) {
  port_->Script(Reply(ReadAnswer(1, {0x1234, 0xABCD})));
  std::array<uint16_t, 2> values{};
  uint16_t exception = 99;
  EXPECT_EQ(ReadTwo(values, exception), 0);
  EXPECT_EQ(exception, 0);
  EXPECT_EQ(values[0], 0x1234);
  EXPECT_EQ(values[1], 0xABCD);

  ASSERT_EQ(port_->writes().size(), 1u);
  EXPECT_EQ(port_->writes()[0].bytes, kReadRequest);
  // Two bytes more than the answer: the read ends by the interval after the
  // last byte.
  ASSERT_EQ(port_->reads().size(), 1u);
  EXPECT_EQ(port_->reads()[0].requested, 11u);
  EXPECT_EQ(port_->reads()[0].received, 9u);
  EXPECT_EQ(clock_.NowMs(), 24);
  const std::vector<std::string> calls{"purge",  "timeouts", "errors", "write",
                                       "errors", "read",     "errors"};
  EXPECT_EQ(port_->calls(), calls);
}

TEST_F(ModbusMasterTest, WriteSendsRequestAndReadsExactlyEightBytes) {
  port_->Script(Reply(WriteAnswer()));
  uint16_t exception = 99;
  EXPECT_EQ(WriteOne(exception), 0);
  EXPECT_EQ(exception, 0);
  ASSERT_EQ(port_->writes().size(), 1u);
  EXPECT_EQ(port_->writes()[0].bytes, kWriteRequest);
  ASSERT_EQ(port_->reads().size(), 1u);
  EXPECT_EQ(port_->reads()[0].requested, 8u);
  // The count completes the read: no waiting for the interval.
  EXPECT_EQ(clock_.NowMs(), 0);
  const std::vector<std::string> calls{"purge",  "timeouts", "errors", "write",
                                       "errors", "read",     "errors"};
  EXPECT_EQ(port_->calls(), calls);
}

TEST_F(ModbusMasterTest, WriteIgnoresEchoedStartAndCount) {
  port_->Script(Reply(WithCrc({0x01, 0x10, 0x00, 0x00, 0x00, 0x07})));
  uint16_t exception = 0;
  EXPECT_EQ(WriteOne(exception), 0);
}

TEST_F(ModbusMasterTest, WrongCrcIsRepeatedOneSecondLater) {
  Bytes damaged = ReadAnswer(1, {5, 6});
  damaged.back() ^= 0x01;

  link_.settings().retry_limit = 1;
  port_->Script(Reply(damaged));
  std::array<uint16_t, 2> values{};
  uint16_t exception = 0;
  EXPECT_EQ(ReadTwo(values, exception), kStatusCrcError);
  EXPECT_EQ(port_->writes().size(), 1u);

  link_.settings().retry_limit = 2;
  const int64_t start = clock_.NowMs();
  port_->Script(Reply(damaged));
  port_->Script(Reply(ReadAnswer(1, {7, 8})));
  EXPECT_EQ(ReadTwo(values, exception), kStatusRepeated);
  EXPECT_EQ(values[0], 7);
  EXPECT_EQ(values[1], 8);
  ASSERT_EQ(port_->writes().size(), 3u);
  EXPECT_EQ(port_->writes()[2].bytes, kReadRequest);
  EXPECT_EQ(port_->writes()[1].at_ms, start);
  EXPECT_EQ(port_->writes()[2].at_ms, port_->reads()[1].end_ms + 1000);
}

TEST_F(ModbusMasterTest, NoAnswerSetsEveryMissingAnswerBitAndTakesTwoTimeouts) {
  std::array<uint16_t, 2> values{0xAAAA, 0xBBBB};
  uint16_t exception = 0;
  link_.settings().retry_limit = 1;
  EXPECT_EQ(ReadTwo(values, exception), 0x006E);
  EXPECT_EQ(clock_.NowMs(), kReadTotalMs);

  const int64_t start = clock_.NowMs();
  link_.settings().retry_limit = 2;
  EXPECT_EQ(ReadTwo(values, exception), 0x806E);
  EXPECT_EQ(clock_.NowMs() - start, kReadTotalMs + 1000 + kReadTotalMs);
  // Nothing came, so zeros are what the caller gets.
  EXPECT_EQ(values[0], 0);
  EXPECT_EQ(values[1], 0);

  const int64_t write_start = clock_.NowMs();
  EXPECT_EQ(WriteOne(exception), 0x806E);
  EXPECT_EQ(clock_.NowMs() - write_start, kWriteTotalMs + 1000 + kWriteTotalMs);
  EXPECT_EQ(port_->writes().size(), 5u);
}

TEST_F(ModbusMasterTest, ExceptionAnswerReturnsItsCode) {
  link_.settings().retry_limit = 1;
  port_->Script(Reply(WithCrc({0x01, 0x83, 0x02})));
  std::array<uint16_t, 2> values{};
  uint16_t exception = 0;
  EXPECT_EQ(ReadTwo(values, exception), 0x001A);
  EXPECT_EQ(exception, 2);

  link_.settings().retry_limit = 2;
  port_->Script(Reply(WithCrc({0x01, 0x83, 0x02})));
  port_->Script(Reply(WithCrc({0x01, 0x83, 0x02})));
  EXPECT_EQ(ReadTwo(values, exception), 0x801A);
  EXPECT_EQ(exception, 2);

  // Only the last attempt's exception counts.
  port_->Script(Reply(WithCrc({0x01, 0x83, 0x02})));
  port_->Script(Reply(ReadAnswer(1, {1, 2})));
  EXPECT_EQ(ReadTwo(values, exception), kStatusRepeated);
  EXPECT_EQ(exception, 0);

  port_->Script(Reply(WithCrc({0x01, 0x90, 0x03})));
  port_->Script(Reply(WithCrc({0x01, 0x90, 0x04})));
  EXPECT_EQ(WriteOne(exception), 0x801A);
  EXPECT_EQ(exception, 4);
}

TEST_F(ModbusMasterTest, RetryLimitAndMask) {
  std::array<uint16_t, 2> values{};
  uint16_t exception = 0;
  for (uint16_t limit : {0, 1}) {
    link_.settings().retry_limit = limit;
    const size_t before = port_->writes().size();
    EXPECT_EQ(ReadTwo(values, exception), 0x006E) << "limit " << limit;
    EXPECT_EQ(WriteOne(exception), 0x006E) << "limit " << limit;
    EXPECT_EQ(port_->writes().size() - before, 2u) << "limit " << limit;
  }

  // Three attempts in all, two repetitions.
  link_.settings().retry_limit = 3;
  size_t before = port_->writes().size();
  EXPECT_EQ(ReadTwo(values, exception), 0x806E);
  EXPECT_EQ(port_->writes().size() - before, 3u);

  // Only the bits in the mask repeat.
  link_.settings().retry_limit = 2;
  link_.settings().retry_mask = kStatusNoAnswer;
  Bytes damaged = ReadAnswer(1, {5, 6});
  damaged.back() ^= 0x01;
  port_->Script(Reply(damaged));
  before = port_->writes().size();
  EXPECT_EQ(ReadTwo(values, exception), kStatusCrcError);
  EXPECT_EQ(port_->writes().size() - before, 1u);
  EXPECT_EQ(ReadTwo(values, exception), 0x806E);
  EXPECT_EQ(port_->writes().size() - before, 3u);
}

TEST_F(ModbusMasterTest, Address255SendsAndReadsButNeverJudges) {
  link_.line().network_address = 255;
  port_->Script(Reply({0x07, 0x99, 0x00}));
  std::array<uint16_t, 2> values{0xBEEF, 0xBEEF};
  uint16_t exception = 99;
  EXPECT_EQ(ReadTwo(values, exception), 0);
  EXPECT_EQ(exception, 0);
  EXPECT_EQ(values[0], 0xBEEF);
  EXPECT_EQ(values[1], 0xBEEF);
  ASSERT_EQ(port_->writes().size(), 1u);
  EXPECT_EQ(port_->writes()[0].bytes[0], 0xFF);
  EXPECT_EQ(port_->reads().size(), 1u);

  // Even silence is no reason to try again.
  EXPECT_EQ(WriteOne(exception), 0);
  EXPECT_EQ(port_->writes().size(), 2u);
  EXPECT_EQ(port_->calls().back(), "errors");
}

TEST_F(ModbusMasterTest, Address0AcceptsAnyAnswerAddress) {
  link_.line().network_address = 0;
  port_->Script(Reply(ReadAnswer(5, {1, 2})));
  std::array<uint16_t, 2> values{};
  uint16_t exception = 0;
  EXPECT_EQ(ReadTwo(values, exception), 0);
  EXPECT_EQ(port_->writes()[0].bytes[0], 0x00);
  EXPECT_EQ(values[1], 2);

  link_.settings().retry_limit = 1;
  EXPECT_EQ(ReadTwo(values, exception), 0x006A);

  // Any other address must answer itself.
  link_.line().network_address = 1;
  port_->Script(Reply(ReadAnswer(5, {1, 2})));
  EXPECT_EQ(ReadTwo(values, exception), kStatusWrongAddress);
}

TEST_F(ModbusMasterTest, LineErrorsCountOnlyWithParityAndAfterTheRead) {
  link_.settings().retry_limit = 1;
  std::array<uint16_t, 2> values{};
  uint16_t exception = 0;

  port_->Script(Reply(ReadAnswer(1, {1, 2})).Errors(kLineErrorFraming));
  EXPECT_EQ(ReadTwo(values, exception), 0);

  link_.line().parity_code = 1;
  port_->Script(Reply(ReadAnswer(1, {1, 2})).Errors(kLineErrorParity));
  EXPECT_EQ(ReadTwo(values, exception), kStatusLineError);
  port_->Script(Reply(WriteAnswer()).Errors(kLineErrorOverrun));
  EXPECT_EQ(WriteOne(exception), kStatusLineError);

  // Errors from before the request are cleared before the answer is read.
  port_->InjectLineErrors(kLineErrorBreak);
  port_->Script(Reply(ReadAnswer(1, {1, 2})));
  EXPECT_EQ(ReadTwo(values, exception), 0);
}

TEST_F(ModbusMasterTest, TimeoutsFollowBaudCodeAndProgramGap) {
  link_.settings().retry_limit = 1;
  link_.settings().time_gap_prg = 5;
  link_.settings().timeouts.by_code[0] = {190, 170};  // 1200 baud
  link_.settings().timeouts.fallback = {60, 50};
  link_.line().baud_code = 3;
  std::array<uint16_t, 2> values{};
  uint16_t exception = 0;

  EXPECT_EQ(ReadTwo(values, exception), 0x006E);
  ASSERT_EQ(port_->timeouts().size(), 1u);
  EXPECT_EQ(port_->timeouts()[0].multiplier_ms, 195u);
  EXPECT_EQ(port_->timeouts()[0].interval_ms, 175u);
  EXPECT_EQ(port_->timeouts()[0].constant_ms, 2005u);
  EXPECT_EQ(clock_.NowMs(), 195 * 11 + 2005);

  link_.line().baud_code = 11;
  EXPECT_EQ(WriteOne(exception), 0x006E);
  ASSERT_EQ(port_->timeouts().size(), 2u);
  EXPECT_EQ(port_->timeouts()[1].multiplier_ms, 65u);
  EXPECT_EQ(port_->timeouts()[1].interval_ms, 55u);
  EXPECT_EQ(port_->timeouts()[1].constant_ms, 2005u);
}

TEST_F(ModbusMasterTest, SettingsWithoutATotalTimeOutStillEndTheRead) {
  // TimeOut = 0 and the 19200 pair at 0 (the port fails a read that never ends).
  link_.settings().retry_limit = 1;
  link_.line().timeout = 0;
  link_.settings().timeouts.by_code[7 - 3] = {0, 0};
  std::array<uint16_t, 2> values{};
  uint16_t exception = 0;
  port_->Script(Reply(ReadAnswer(1, {0x1234, 0x5678})));
  EXPECT_EQ(ReadTwo(values, exception), 0);
  EXPECT_EQ(values[1], 0x5678);
  port_->Script(Silence());
  EXPECT_EQ(ReadTwo(values, exception), 0x006E);
  EXPECT_EQ(port_->reads().back().end_ms - port_->reads().back().start_ms, 2000);
}

TEST_F(ModbusMasterTest, ValuesAreCopiedWhateverTheStatus) {
  link_.settings().retry_limit = 1;
  // Three registers answered, but a pause longer than the interval cuts the
  // answer after the first register.
  port_->Script(Reply(ReadAnswer(1, {0x1234, 0x5678, 0x9ABC})).Paced(1).Gap(5, 30));
  std::array<uint16_t, 3> values{0xFFFF, 0xFFFF, 0xFFFF};
  uint16_t exception = 0;
  EXPECT_EQ(link_.ReadHoldingRegisters(300, 3, values.data(), &exception),
            kStatusWrongLength | kStatusCrcError);
  EXPECT_EQ(values[0], 0x1234);
  EXPECT_EQ(values[1], 0);
  EXPECT_EQ(values[2], 0);
  ASSERT_EQ(port_->reads().size(), 1u);
  EXPECT_EQ(port_->reads()[0].received, 5u);
  EXPECT_EQ(port_->reads()[0].end_ms, 4 + 24);

  // A whole answer from the wrong address still hands its values over.  The
  // rest of the cut answer is left to arrive and be purged first.
  clock_.Advance(100);
  port_->Script(Reply(ReadAnswer(2, {0x1111, 0x2222, 0x3333})));
  EXPECT_EQ(link_.ReadHoldingRegisters(300, 3, values.data(), &exception), kStatusWrongAddress);
  EXPECT_EQ(values[2], 0x3333);
}

TEST_F(ModbusMasterTest, ReadPumpsWhileWaitingWriteAttemptDoesNot) {
  int in_read = 0;
  int outside = 0;
  link_.SetEventPump([&] { (port_->in_read() ? in_read : outside)++; });
  link_.settings().retry_limit = 1;
  std::array<uint16_t, 2> values{};
  uint16_t exception = 0;

  EXPECT_EQ(ReadTwo(values, exception), 0x006E);
  // Every slice of the 2264 ms wait lets events through.
  EXPECT_GE(in_read, kReadTotalMs / 10);
  EXPECT_GT(outside, 0);
  EXPECT_TRUE(port_->reads()[0].pumped);

  in_read = outside = 0;
  EXPECT_EQ(WriteOne(exception), 0x006E);
  EXPECT_EQ(in_read + outside, 0);
  EXPECT_FALSE(port_->reads()[1].pumped);

  // A repeated write lets events through in its pause only.
  link_.settings().retry_limit = 2;
  int64_t first_pump = -1;
  int64_t last_pump = -1;
  link_.SetEventPump([&] {
    if (first_pump < 0) first_pump = clock_.NowMs();
    last_pump = clock_.NowMs();
  });
  const int64_t start = clock_.NowMs();
  EXPECT_EQ(WriteOne(exception), 0x806E);
  EXPECT_EQ(first_pump, start + kWriteTotalMs);
  EXPECT_LT(last_pump, start + kWriteTotalMs + 1000);
}

TEST_F(ModbusMasterTest, TransactionFromInsideThePumpIsRefused) {
  std::vector<uint16_t> nested;
  uint16_t nested_exception = 99;
  link_.SetEventPump([&] {
    if (!nested.empty()) return;
    EXPECT_TRUE(link_.InTransaction());
    std::array<uint16_t, 2> values{0xBEEF, 0xBEEF};
    nested.push_back(link_.ReadHoldingRegisters(0, 2, values.data(), &nested_exception));
    const uint16_t one = 1;
    nested.push_back(link_.WriteMultipleRegisters(0, 1, &one, &nested_exception, "x"));
    EXPECT_EQ(values[0], 0xBEEF);
  });
  port_->Script(Reply(ReadAnswer(1, {1, 2})));
  std::array<uint16_t, 2> values{};
  uint16_t exception = 0;
  EXPECT_EQ(ReadTwo(values, exception), 0);
  EXPECT_EQ(nested, (std::vector<uint16_t>{kStatusRefusedBusy, kStatusRefusedBusy}));
  EXPECT_EQ(nested_exception, 0);
  EXPECT_EQ(port_->writes().size(), 1u);
  EXPECT_EQ(port_->reads().size(), 1u);
  EXPECT_FALSE(link_.InTransaction());

  // Refused from the pause of a repeated write as well.
  nested.clear();
  EXPECT_EQ(WriteOne(exception), 0x806E);
  EXPECT_EQ(nested, (std::vector<uint16_t>{kStatusRefusedBusy, kStatusRefusedBusy}));
  EXPECT_EQ(port_->writes().size(), 3u);

  // Every way out frees the link: the unchecked address returns early.
  link_.SetEventPump(nullptr);
  link_.line().network_address = 255;
  EXPECT_EQ(ReadTwo(values, exception), 0);
  EXPECT_FALSE(link_.InTransaction());
}

TEST_F(ModbusMasterTest, RegisterCountsThatDoNotFitAreRefused) {
  std::vector<uint16_t> values(256, 0x4242);
  uint16_t exception = 99;
  EXPECT_EQ(link_.ReadHoldingRegisters(0, 0, values.data(), &exception), kStatusRefusedBadCount);
  EXPECT_EQ(exception, 0);
  EXPECT_EQ(link_.ReadHoldingRegisters(0, 125, values.data(), &exception), kStatusRefusedBadCount);
  EXPECT_EQ(link_.WriteMultipleRegisters(0, 0, values.data(), &exception, "x"),
            kStatusRefusedBadCount);
  EXPECT_EQ(link_.WriteMultipleRegisters(0, 124, values.data(), &exception, "x"),
            kStatusRefusedBadCount);
  EXPECT_TRUE(port_->calls().empty());
  EXPECT_EQ(values[0], 0x4242);

  // The largest counts fill the 256-byte frames to 255 bytes.
  std::vector<uint16_t> big(124);
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<uint16_t>(0x0100 + i);
  port_->Script(Reply(ReadAnswer(1, big)));
  EXPECT_EQ(link_.ReadHoldingRegisters(0, 124, values.data(), &exception), 0);
  EXPECT_EQ(port_->reads().back().requested, 255u);
  EXPECT_EQ(values[123], 0x0100 + 123);
  EXPECT_EQ(values[124], 0x4242);

  port_->Script(Reply(WithCrc({0x01, 0x10, 0x00, 0x00, 0x00, 0x7B})));
  EXPECT_EQ(link_.WriteMultipleRegisters(0, 123, big.data(), &exception, "x"), 0);
  const Bytes& request = port_->writes().back().bytes;
  ASSERT_EQ(request.size(), 255u);
  EXPECT_EQ(request[5], 123);
  EXPECT_EQ(request[6], 246);
  EXPECT_EQ(request[251], 0x01);
  EXPECT_EQ(request[252], 122);
  EXPECT_EQ(Crc16(request.data(), request.size()), 0);
}

TEST(ModbusMasterNoPortTest, TransactionsOnAPortThatFailedToOpenReportNothingReceived) {
  VirtualClock clock;
  NoPortProvider provider;
  Link link(provider, clock);
  link.line().timeout = 2000;
  link.settings().use_log_file = 0;
  std::array<uint16_t, 2> values{0xAAAA, 0xAAAA};
  uint16_t exception = 0;
  EXPECT_EQ(link.ReadHoldingRegisters(300, 2, values.data(), &exception), 0x806E);
  EXPECT_EQ(values[0], 0);
  // Only the pause between attempts takes time without a port.
  EXPECT_EQ(clock.NowMs(), 1000);
  const uint16_t one = 1;
  EXPECT_EQ(link.WriteMultipleRegisters(1046, 1, &one, &exception, "x"), 0x806E);
}

}  // namespace
}  // namespace qmx::test

namespace qmx::test {
namespace {

// A handler that runs in the wait of a read (the operator picks another
// port) must not free the port under the read in progress.
TEST_F(LinkTest, PortCannotBeReopenedOrClosedDuringATransaction) {
  std::vector<bool> open_results;
  link_.SetEventPump([&] {
    if (!link_.InTransaction()) return;
    link_.ClosePort();
    open_results.push_back(link_.OpenPort(2, 7, 8, 0, 1, 2000, 1).ok);
  });
  port_->Script(Reply(ReadAnswer(1, {7, 8})));
  std::array<uint16_t, 2> values{};
  uint16_t exception = 0;
  EXPECT_EQ(link_.ReadHoldingRegisters(300, 2, values.data(), &exception), 0);
  EXPECT_EQ(values[1], 8);
  ASSERT_FALSE(open_results.empty());
  for (bool ok : open_results) EXPECT_FALSE(ok);
  EXPECT_TRUE(link_.IsOpen());
}

}  // namespace
}  // namespace qmx::test
