// The link's port layer against a recording provider: what an open asks of
// the port and in which order, the time-outs an open leaves, enumeration.
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "link/link.h"

namespace qmx {
namespace {

struct Journal {
  std::vector<std::string> events;
  std::vector<LineConfig> configs;
  std::vector<ReadTimeouts> timeouts;
  std::vector<uint16_t> opened;
  int open_ports = 0;
  int most_open_at_once = 0;
};

class RecordingPort final : public SerialPort {
 public:
  explicit RecordingPort(Journal& journal) : journal_(journal) {
    journal_.most_open_at_once = std::max(journal_.most_open_at_once, ++journal_.open_ports);
  }
  ~RecordingPort() override {
    --journal_.open_ports;
    journal_.events.push_back("close");
  }
  bool Configure(const LineConfig&) override {
    journal_.events.push_back("configure");
    return true;
  }
  void SetTimeouts(const ReadTimeouts& timeouts) override {
    journal_.events.push_back("timeouts");
    journal_.timeouts.push_back(timeouts);
  }
  void Purge() override { journal_.events.push_back("purge"); }
  void SetBufferSizes(size_t in, size_t out) override {
    journal_.events.push_back("buffers " + std::to_string(in) + " " + std::to_string(out));
  }
  uint32_t ClearErrors() override { return 0; }
  size_t Write(const uint8_t*, size_t) override { return 0; }
  size_t Read(uint8_t*, size_t, const EventPump*) override { return 0; }
  void SetRts(bool on) override { journal_.events.push_back(on ? "rts on" : "rts off"); }
  void SetDtr(bool on) override { journal_.events.push_back(on ? "dtr on" : "dtr off"); }

 private:
  Journal& journal_;
};

class RecordingProvider final : public PortProvider {
 public:
  explicit RecordingProvider(Journal& journal) : journal_(journal) {}
  std::set<uint16_t> present = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};

  std::unique_ptr<SerialPort> Open(uint16_t number, const LineConfig& config,
                                   std::string* error) override {
    journal_.opened.push_back(number);
    journal_.configs.push_back(config);
    journal_.events.push_back("open " + std::to_string(number));
    if (!present.contains(number)) {
      if (error != nullptr) *error = "COM" + std::to_string(number) + ": no such port";
      return nullptr;
    }
    return std::make_unique<RecordingPort>(journal_);
  }
  std::string DevicePath(uint16_t) override { return ""; }

 private:
  Journal& journal_;
};

class LinkPortTest : public ::testing::Test {
 protected:
  Journal journal_;
  RecordingProvider provider_{journal_};
  VirtualClock clock_;
  Link link_{provider_, clock_};
};

TEST_F(LinkPortTest, OpenClosesTheOldHandleThenSetsLineTimeoutsPurgeAndBuffers) {
  ASSERT_TRUE(link_.OpenPort(2, 3, 8, 1, 1, 1500, 1).ok);
  ASSERT_TRUE(link_.OpenPort(5, 10, 8, 0, 1, 2000, 1).ok);
  EXPECT_EQ(journal_.events, (std::vector<std::string>{
                                 "open 2", "timeouts", "purge", "buffers 1024 1024",  //
                                 "close", "open 5", "timeouts", "purge", "buffers 1024 1024"}));
  EXPECT_EQ(journal_.most_open_at_once, 1);

  const LineConfig& odd = journal_.configs[0];
  EXPECT_EQ(odd.baud, 1200u);
  EXPECT_EQ(odd.parity, Parity::kOdd);
  EXPECT_EQ(odd.stop_bits, 1);
  EXPECT_EQ(odd.byte_size, 8);
  const LineConfig& none = journal_.configs[1];
  EXPECT_EQ(none.baud, 115200u);
  EXPECT_EQ(none.parity, Parity::kNone);
  EXPECT_EQ(none.stop_bits, 2);  // whatever the stop-bits argument says

  ASSERT_EQ(journal_.timeouts.size(), 2u);
  EXPECT_EQ(journal_.timeouts[0].interval_ms, 192u);
  EXPECT_EQ(journal_.timeouts[0].multiplier_ms, 192u);
  EXPECT_EQ(journal_.timeouts[0].constant_ms, 1500u);
  EXPECT_EQ(journal_.timeouts[1].interval_ms, 24u);
  EXPECT_EQ(journal_.timeouts[1].multiplier_ms, 24u);
  EXPECT_EQ(journal_.timeouts[1].constant_ms, 2000u);
}

TEST_F(LinkPortTest, UnknownBaudCodeOpensAt19200KeepingTheLastOpensTimeouts) {
  // Before any open there is nothing to keep.
  ASSERT_TRUE(link_.OpenPort(1, 11, 8, 0, 1, 1000, 1).ok);
  ASSERT_TRUE(link_.OpenPort(1, 2, 8, 0, 1, 1000, 1).ok);    // 600 baud: 384
  ASSERT_FALSE(link_.OpenPort(99, 5, 8, 0, 1, 1000, 1).ok);  // failed: sets nothing
  ASSERT_TRUE(link_.OpenPort(1, 200, 8, 2, 1, 700, 1).ok);

  EXPECT_EQ(journal_.configs[0].baud, 19200u);
  EXPECT_EQ(journal_.configs[3].baud, 19200u);
  EXPECT_EQ(journal_.configs[3].parity, Parity::kEven);
  ASSERT_EQ(journal_.timeouts.size(), 3u);
  EXPECT_EQ(journal_.timeouts[0].interval_ms, 0u);
  EXPECT_EQ(journal_.timeouts[0].multiplier_ms, 0u);
  EXPECT_EQ(journal_.timeouts[2].interval_ms, 384u);
  EXPECT_EQ(journal_.timeouts[2].multiplier_ms, 384u);
  EXPECT_EQ(journal_.timeouts[2].constant_ms, 700u);
}

TEST_F(LinkPortTest, ByteSizeOutsideFiveToEightBecomesEight) {
  for (uint16_t size : {4, 5, 7, 8, 9, 0}) link_.OpenPort(1, 7, size, 0, 1, 1000, 0);
  std::vector<int> sizes;
  for (const LineConfig& config : journal_.configs) sizes.push_back(config.byte_size);
  EXPECT_EQ(sizes, (std::vector<int>{8, 5, 7, 8, 8, 8}));
}

TEST_F(LinkPortTest, OpenCurrentPortUsesTheLineParametersAndByteSize8) {
  link_.line() = LineParameters{7, 4, 2, 17, 1, 2500};
  ASSERT_TRUE(link_.OpenCurrentPort(1).ok);
  EXPECT_EQ(journal_.opened, std::vector<uint16_t>{7});
  EXPECT_EQ(journal_.configs[0].baud, 2400u);
  EXPECT_EQ(journal_.configs[0].parity, Parity::kEven);
  EXPECT_EQ(journal_.configs[0].byte_size, 8);
  EXPECT_EQ(journal_.timeouts[0].constant_ms, 2500u);
}

TEST_F(LinkPortTest, ModemLineOperationClearsRtsThenSetsDtr) {
  link_.ClearRtsSetDtr();  // no port: nothing to do, nothing breaks
  EXPECT_TRUE(journal_.events.empty());
  ASSERT_TRUE(link_.OpenPort(1, 7, 8, 0, 1, 1000, 0).ok);
  journal_.events.clear();
  link_.ClearRtsSetDtr();
  EXPECT_EQ(journal_.events, (std::vector<std::string>{"rts off", "dtr on"}));
}

TEST_F(LinkPortTest, EnumerationTriesEveryNumberOnceInOrderAndClosesAtOnce) {
  provider_.present = {1, 3, 7};
  EXPECT_EQ(link_.EnumeratePorts(), 3);
  EXPECT_EQ(link_.found_ports(), (std::vector<uint16_t>{1, 3, 7}));
  ASSERT_EQ(journal_.opened.size(), 255u);
  for (size_t i = 0; i < journal_.opened.size(); ++i) EXPECT_EQ(journal_.opened[i], i + 1);
  EXPECT_EQ(journal_.open_ports, 0);
  EXPECT_EQ(journal_.most_open_at_once, 1);

  // A second run starts from an empty table.
  provider_.present = {255};
  EXPECT_EQ(link_.EnumeratePorts(), 1);
  EXPECT_EQ(link_.found_ports(), (std::vector<uint16_t>{255}));
  provider_.present = {};
  EXPECT_EQ(link_.EnumeratePorts(), 0);
  EXPECT_TRUE(link_.found_ports().empty());
}

}  // namespace
}  // namespace qmx
