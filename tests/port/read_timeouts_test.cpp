// Read time-outs and transfer on a real pseudo-terminal: the instrument's
// answers end by the gap after the last byte or by the total time, and the
// window keeps breathing while the program waits.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <numeric>
#include <sstream>
#include <thread>
#include <vector>

#include "link/posix_serial_port.h"
#include "port/port_test_util.h"
#include "support/pty_pair.h"

namespace qmx {
namespace {

using test::CpuMs;
using test::MonotonicMs;
using test::PtyPair;

// Real time on a shared machine: generous, but tight enough to tell the
// interval from the total time-out.
constexpr double kToleranceMs = 15;

void SleepMs(int ms) {
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// Collects the mismatches of one timed run; empty when all held.
class Outcome {
 public:
  template <typename T>
  void Equal(const char* what, const T& actual, const T& expected) {
    if (!(actual == expected)) Note(what, actual, expected);
  }
  void Near(const char* what, double actual, double expected) {
    if (actual < expected - kToleranceMs || actual > expected + kToleranceMs) {
      Note(what, actual, expected);
    }
  }
  void Below(const char* what, double actual, double limit) {
    if (!(actual < limit))
      text_ << what << " = " << actual << ", must stay below " << limit << "\n";
  }
  std::string text() const { return text_.str(); }

 private:
  template <typename T>
  void Note(const char* what, const T& actual, const T& expected) {
    text_ << what << " = " << actual << ", expected " << expected << "\n";
  }
  std::ostringstream text_;
};

// A stalled machine can delay any single run by a hundred milliseconds; a
// wrong time-out rule fails every run.  So a timed scenario gets three tries.
template <typename Scenario>
void ExpectTimely(Scenario scenario) {
  std::string failures;
  for (int attempt = 1; attempt <= 3; ++attempt) {
    Outcome outcome;
    scenario(outcome);
    if (outcome.text().empty()) return;
    failures += "run " + std::to_string(attempt) + ":\n" + outcome.text();
  }
  ADD_FAILURE() << failures;
}

class PortReadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pty_.ok());
    std::string error;
    port_ = PosixSerialPort::OpenPath(pty_.slave_path(), LineConfig{}, &error);
    ASSERT_NE(port_, nullptr) << error;
  }

  // Reads `size` bytes and notes how long the read took.
  size_t TimedRead(size_t size, const EventPump* pump = nullptr) {
    buffer_.assign(size, 0);
    const double start = MonotonicMs();
    const size_t got = port_->Read(buffer_.data(), size, pump);
    elapsed_ms_ = MonotonicMs() - start;
    return got;
  }

  PtyPair pty_;
  std::unique_ptr<PosixSerialPort> port_;
  std::vector<uint8_t> buffer_;
  double elapsed_ms_ = 0;
};

TEST_F(PortReadTest, CompleteAnswerEndsTheReadAtOnce) {
  port_->SetTimeouts({100, 24, 1000});
  const std::vector<uint8_t> answer = {0x01, 0x03, 0x04, 0x00, 0x0A, 0x00, 0x0B, 0xDA};
  ExpectTimely([&](Outcome& out) {
    port_->Purge();
    ASSERT_TRUE(pty_.Send(answer));
    out.Equal("count", TimedRead(answer.size()), answer.size());
    out.Equal("bytes", buffer_ == answer, true);
    out.Below("elapsed ms", elapsed_ms_, 10);
  });
}

TEST_F(PortReadTest, GapLongerThanIntervalEndsTheReadWithWhatCame) {
  // Gaps shorter than the interval do not end the read; the interval is
  // counted again from each byte.
  port_->SetTimeouts({40, 0, 1000});
  ExpectTimely([&](Outcome& out) {
    port_->Purge();
    std::thread peer([this] {
      pty_.Send({1, 2, 3});
      SleepMs(25);
      pty_.Send({4, 5});
    });
    const size_t got = TimedRead(10);
    peer.join();
    out.Equal("count", got, size_t{5});
    out.Equal("bytes",
              std::vector<uint8_t>(buffer_.begin(), buffer_.begin() + 5) ==
                  std::vector<uint8_t>{1, 2, 3, 4, 5},
              true);
    out.Near("elapsed ms", elapsed_ms_, 25 + 40);
  });
}

TEST_F(PortReadTest, SilentPeerEndsTheReadAtMultiplierTimesCountPlusConstant) {
  // The interval only runs once a byte has come, so a 20 ms interval does
  // not cut a silent wait short.
  port_->SetTimeouts({20, 5, 100});
  ExpectTimely([&](Outcome& out) {
    const double cpu_before = CpuMs();
    out.Equal("count", TimedRead(10), size_t{0});
    out.Near("elapsed ms", elapsed_ms_, 5 * 10 + 100);
    out.Below("CPU ms spent waiting", CpuMs() - cpu_before, 30);
  });
}

TEST_F(PortReadTest, TotalTimeOutCountsFromTheStartOfTheRead) {
  // A trickle that never pauses longer than the interval still ends at the
  // total time-out, with the bytes that made it.
  port_->SetTimeouts({50, 0, 90});
  ExpectTimely([&](Outcome& out) {
    port_->Purge();
    std::thread peer([this] {
      for (uint8_t i = 0; i < 8; ++i) {
        pty_.Send({i});
        SleepMs(20);
      }
    });
    const size_t got = TimedRead(20);
    peer.join();
    out.Equal("count in 4..6", got >= 4 && got <= 6, true);
    out.Near("elapsed ms", elapsed_ms_, 90);
  });
}

// Sends `count` bytes (0, 1, 2, ...) at the character time of 19200 baud
// 8N2, as an instrument's UART would, pausing `pause_ms` after byte
// `pause_after`.  Returns the time the last byte before the pause (or the
// last byte of all) was handed to the line.
double SendPaced(PtyPair& pty, size_t count, size_t pause_after = 0, int pause_ms = 0) {
  using Clock = std::chrono::steady_clock;
  const auto char_time = std::chrono::microseconds(573);
  auto next = Clock::now();
  double stamp = 0;
  for (size_t i = 0; i < count; ++i) {
    if (pause_ms > 0 && i == pause_after) {
      stamp = MonotonicMs();
      SleepMs(pause_ms);
      next = Clock::now();
    }
    std::this_thread::sleep_until(next);
    pty.Send({static_cast<uint8_t>(i)});
    next += char_time;
  }
  return pause_ms > 0 ? stamp : MonotonicMs();
}

TEST_F(PortReadTest, StreamingAnswerComesWholeInFewWaitsAndEndsOneIntervalAfterItsLastByte) {
  // A 49-register answer (103 bytes) read as the master reads it, two bytes
  // more than expected.  The bytes gather between reads, so the program does
  // not wake up for every one of them; the last nap is short, so the read
  // ends one interval after the last byte and at most one nap later.
  port_->SetTimeouts({24, 24, 2000});
  ExpectTimely([&](Outcome& out) {
    port_->Purge();
    double last_sent = 0;
    std::thread peer([&] { last_sent = SendPaced(pty_, 103); });
    const size_t got = TimedRead(105);
    const double ended = MonotonicMs();
    peer.join();
    out.Equal("count", got, size_t{103});
    bool in_order = true;
    for (size_t i = 0; i < got; ++i) in_order = in_order && buffer_[i] == static_cast<uint8_t>(i);
    out.Equal("bytes in order", in_order, true);
    out.Below("ms from the last byte to the end of the read", ended - last_sent, 24 + 8);
    // The 59 ms of the answer in naps of half the interval, the first byte's
    // wait and the interval after the last: about nine.
    out.Below("waits", static_cast<double>(port_->last_read_waits()), 12);
  });
}

TEST_F(PortReadTest, PauseLongerThanTheIntervalInsideAStreamingAnswerEndsTheRead) {
  // The batching must not hide a broken answer: what came before the pause
  // is all the read returns, one interval (and at most half an interval of
  // nap) after the pause began.  With a short interval the pause is only a
  // little longer than it, and it begins at several points of the naps.
  static constexpr struct {
    uint32_t interval_ms;
    int pause_ms;
    size_t pause_after[3];
  } kCases[] = {
      {24, 60, {60, 60, 60}},
      {4, 6, {50, 55, 61}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE("interval " + std::to_string(c.interval_ms) + " ms");
    port_->SetTimeouts({c.interval_ms, 24, 2000});
    ExpectTimely([&](Outcome& out) {
      for (const size_t after : c.pause_after) {
        port_->Purge();
        double pause_began = 0;
        std::thread peer([&] { pause_began = SendPaced(pty_, 103, after, c.pause_ms); });
        const size_t got = TimedRead(105);
        const double ended = MonotonicMs();
        peer.join();
        SleepMs(5);
        port_->Purge();
        const double interval = c.interval_ms;
        out.Equal("count", got, after);
        out.Below("ms from the pause to the end of the read", ended - pause_began,
                  interval + interval / 2 + 8);
        out.Equal("the read waited the interval", ended - pause_began >= interval - 1, true);
      }
    });
  }
}

TEST_F(PortReadTest, ZeroLimitsWaitForTheFullCount) {
  port_->SetTimeouts({0, 0, 0});
  std::thread peer([this] {
    pty_.Send({7});
    SleepMs(60);
    pty_.Send({8, 9});
  });
  const size_t got = TimedRead(3);
  peer.join();
  EXPECT_EQ(got, 3u);
  EXPECT_GE(elapsed_ms_, 55);
}

TEST_F(PortReadTest, PumpRunsBetweenShortSlicesWhileWaiting) {
  port_->SetTimeouts({0, 0, 100});
  ExpectTimely([&](Outcome& out) {
    std::vector<double> calls;
    const EventPump pump = [&calls] { calls.push_back(MonotonicMs()); };
    const double start = MonotonicMs();
    out.Equal("count", TimedRead(8, &pump), size_t{0});
    // About one call per 10 ms slice; many more would mean spinning.
    out.Equal("pump calls in 8..40", calls.size() >= 8 && calls.size() <= 40, true);
    double longest_gap = calls.empty() ? elapsed_ms_ : calls.front() - start;
    for (size_t i = 1; i < calls.size(); ++i) {
      longest_gap = std::max(longest_gap, calls[i] - calls[i - 1]);
    }
    out.Below("longest ms without pumping", longest_gap, 10 + kToleranceMs);
  });
}

TEST_F(PortReadTest, EveryByteValuePassesUnchangedBothWays) {
  // Raw line: no CR/LF translation, no flow-control characters swallowed, no
  // eighth bit stripped.
  std::vector<uint8_t> all(256);
  std::iota(all.begin(), all.end(), 0);
  port_->SetTimeouts({50, 0, 500});

  ASSERT_TRUE(pty_.Send(all));
  EXPECT_EQ(TimedRead(all.size()), all.size());
  EXPECT_EQ(buffer_, all);

  EXPECT_EQ(port_->Write(all.data(), all.size()), all.size());
  EXPECT_EQ(pty_.Receive(all.size(), 200), all);
}

TEST_F(PortReadTest, PurgeDiscardsWhatWaitsInTheReceiveBuffer) {
  ASSERT_TRUE(pty_.Send({0x55, 0xAA, 0x55}));
  SleepMs(5);
  port_->Purge();
  port_->SetTimeouts({0, 0, 30});
  EXPECT_EQ(TimedRead(3), 0u);
}

TEST_F(PortReadTest, VanishedDeviceEndsTheReadAndLaterCallsReturnNothing) {
  port_->SetTimeouts({0, 0, 500});
  std::thread peer([this] {
    SleepMs(30);
    pty_.CloseMaster();
  });
  const size_t got = TimedRead(8);
  peer.join();
  EXPECT_EQ(got, 0u);
  EXPECT_LT(elapsed_ms_, 500 - 100) << "the loss must end the wait before the time-out";
  EXPECT_TRUE(port_->vanished());

  // Later transactions fail at once, without spinning.
  ExpectTimely([&](Outcome& out) {
    int pumped = 0;
    const EventPump pump = [&pumped] { ++pumped; };
    const double start = MonotonicMs();
    const double cpu_before = CpuMs();
    for (int i = 0; i < 100; ++i) out.Equal("count", TimedRead(8, &pump), size_t{0});
    out.Below("ms for 100 reads", MonotonicMs() - start, 20);
    out.Below("CPU ms for 100 reads", CpuMs() - cpu_before, 20);
  });
  const uint8_t request[8] = {0x01, 0x03, 0x01, 0x2C, 0x00, 0x02, 0x04, 0x3E};
  EXPECT_EQ(port_->Write(request, sizeof request), 0u);
  EXPECT_EQ(port_->ClearErrors(), 0u);
  port_->Purge();
}

}  // namespace
}  // namespace qmx
