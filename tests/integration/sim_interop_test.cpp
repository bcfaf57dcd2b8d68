// The running qmx41-sim against masters that are not ours (mbpoll) and
// against our own command-line tool: the values decode as the instrument's
// state says.
#include <gtest/gtest.h>

#include <bit>
#include <cstdio>
#include <map>
#include <sstream>

#include "sim_process.h"

namespace qmx::sim::test {
namespace {

// Register values from mbpoll's "[256]: \t16800" lines.
std::map<unsigned, unsigned> MbpollValues(const std::string& output) {
  std::map<unsigned, unsigned> values;
  std::istringstream in(output);
  std::string line;
  while (std::getline(in, line)) {
    unsigned reg = 0;
    unsigned value = 0;
    if (std::sscanf(line.c_str(), "[%u]: %u", &reg, &value) == 2) values[reg] = value;
  }
  return values;
}

float FloatOf(unsigned first, unsigned second) {
  return std::bit_cast<float>(static_cast<uint32_t>(first << 16 | second));
}

class SimInteropTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(sim_.Start({}, &error)) << error;
    ASSERT_EQ(sim_.Command("flow 20 0"), "");
  }

  // mbpoll as the instrument's line wants it: 19200, no parity, two stop
  // bits, register numbers as sent (-0).
  // Values to write come after the device.
  ToolResult Mbpoll(std::vector<std::string> args, std::vector<std::string> values = {}) {
    std::vector<std::string> argv{"/usr/bin/mbpoll",
                                  "-m",
                                  "rtu",
                                  "-a",
                                  "1",
                                  "-b",
                                  "19200",
                                  "-P",
                                  "none",
                                  "-s",
                                  "2",
                                  "-0",
                                  "-1",
                                  "-o",
                                  "1"};
    argv.insert(argv.end(), args.begin(), args.end());
    argv.push_back(sim_.device());
    argv.insert(argv.end(), values.begin(), values.end());
    return RunTool(argv);
  }

  SimProcess sim_;
};

TEST_F(SimInteropTest, MbpollReadsTheMeasuredBlock) {
  ASSERT_EQ(sim_.Command("protect on"), "");
  ASSERT_EQ(sim_.Command("keys 0x0100"), "");
  const ToolResult block = Mbpoll({"-t", "4", "-r", "256", "-c", "49"});
  ASSERT_EQ(block.exit_code, 0) << block.output;
  auto v = MbpollValues(block.output);
  ASSERT_EQ(v.size(), 49u) << block.output;
  EXPECT_FLOAT_EQ(FloatOf(v[256], v[257]), 20.0f);
  EXPECT_EQ(v[261], 2u);
  EXPECT_EQ(v[300], 0x8100u);
  // What does not move with time reads the same through the control channel.
  const auto state = sim_.Get(259, 3);
  EXPECT_EQ(state, (std::vector<unsigned>{v[259], v[260], v[261]}));

  const ToolResult standard = Mbpoll({"-t", "4", "-r", "305", "-c", "2"});
  ASSERT_EQ(standard.exit_code, 0) << standard.output;
  v = MbpollValues(standard.output);
  ASSERT_EQ(v.size(), 2u);
  EXPECT_GT(FloatOf(v[305], v[306]), 20.0f);  // 412 kPa, cooler than 20 degrees

  const std::string journal = sim_.Command("journal");
  EXPECT_NE(journal.find("read 256 x49 | answered"), std::string::npos) << journal;
  EXPECT_NE(journal.find("read 305 x2 | answered"), std::string::npos) << journal;
}

TEST_F(SimInteropTest, MbpollWritesUserRegisters) {
  // Two values make mbpoll use function 16, the only write the instrument
  // knows; one value would be function 6.
  const ToolResult wrote = Mbpoll({"-t", "4", "-r", "65534"}, {"4660", "43981"});
  ASSERT_EQ(wrote.exit_code, 0) << wrote.output;
  EXPECT_EQ(sim_.Get(65534, 2), (std::vector<unsigned>{4660, 43981}));

  const ToolResult single = Mbpoll({"-t", "4", "-r", "65528"}, {"1"});
  EXPECT_NE(single.exit_code, 0);
  EXPECT_NE(sim_.Command("journal 1").find("function 6 | exception 1"), std::string::npos);
}

TEST_F(SimInteropTest, MbpollAtAnotherParityHearsNothing) {
  const ToolResult even = RunTool({"/usr/bin/mbpoll", "-m", "rtu", "-a", "1", "-b", "19200", "-P",
                                   "even", "-0", "-1", "-o", "0.3", "-r", "300", sim_.device()});
  EXPECT_NE(even.exit_code, 0);
  EXPECT_TRUE(MbpollValues(even.output).empty());
  EXPECT_NE(sim_.Command("journal 1").find("line-mismatch"), std::string::npos);
}

TEST_F(SimInteropTest, OurToolReadsAndWrites) {
  const std::string tool = BuiltProgram("qmx41-modbus");
  const std::vector<std::string> line{
      tool,    "--ports-dir", sim_.ports_dir(), "--port",    "1", "--baud",
      "19200", "--parity",    "none",           "--retries", "1"};
  auto with = [&](std::vector<std::string> rest) {
    std::vector<std::string> argv = line;
    argv.insert(argv.end(), rest.begin(), rest.end());
    return RunTool(argv, sim_.work_dir());
  };
  const ToolResult read = with({"read", "256", "49"});
  ASSERT_EQ(read.exit_code, 0) << read.output;
  unsigned first = 0;
  unsigned second = 0;
  std::istringstream in(read.output);
  std::string text;
  while (std::getline(in, text)) {
    unsigned reg = 0;
    unsigned value = 0;
    if (std::sscanf(text.c_str(), " %u: %u", &reg, &value) == 2) {
      if (reg == 256) first = value;
      if (reg == 257) second = value;
    }
  }
  EXPECT_FLOAT_EQ(FloatOf(first, second), 20.0f);
  EXPECT_EQ(with({"read", "305", "2"}).exit_code, 0);

  const ToolResult wrote = with({"write", "65528", "0x1234"});
  ASSERT_EQ(wrote.exit_code, 0) << wrote.output;
  EXPECT_EQ(sim_.Get(65528, 1), (std::vector<unsigned>{0x1234}));
  // Configuration stays locked to a plain write.
  const ToolResult refused = with({"write", "1841", "50"});
  EXPECT_NE(refused.exit_code, 0);
  EXPECT_NE(refused.output.find("exception code 1"), std::string::npos) << refused.output;
}

}  // namespace
}  // namespace qmx::sim::test
