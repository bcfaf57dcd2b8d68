// qmx41-modbus against the running qmx41-sim: what it prints and how it
// exits for the special addresses, a repetition, a range past the last
// register and an exception; the instrument's journal shows what went out.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim_process.h"

namespace qmx::sim::test {
namespace {

size_t Count(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

TEST(CliExitCodesTest, StatusesAndExitCodes) {
  SimProcess sim;
  std::string error;
  ASSERT_TRUE(sim.Start({}, &error)) << error;
  // Three attempts allowed, so a broadcast is sent once only because it is one.
  const std::vector<std::string> line{BuiltProgram("qmx41-modbus"),
                                      "--ports-dir",
                                      sim.ports_dir(),
                                      "--port",
                                      "1",
                                      "--baud",
                                      "19200",
                                      "--parity",
                                      "none",
                                      "--timeout",
                                      "100",
                                      "--retries",
                                      "3"};
  auto run = [&](std::vector<std::string> rest) {
    std::vector<std::string> argv = line;
    argv.insert(argv.end(), rest.begin(), rest.end());
    return RunTool(argv, sim.work_dir());
  };

  const ToolResult unchecked = run({"--address", "255", "read", "300", "1"});
  EXPECT_EQ(unchecked.exit_code, 3) << unchecked.output;
  EXPECT_NE(unchecked.output.find("answer not checked"), std::string::npos) << unchecked.output;
  EXPECT_EQ(unchecked.output.find("success"), std::string::npos) << unchecked.output;

  ASSERT_EQ(sim.Command("clear-journal"), "");
  const ToolResult broadcast = run({"--address", "0", "write", "65528", "0x4321"});
  EXPECT_EQ(broadcast.exit_code, 0) << broadcast.output;
  EXPECT_NE(broadcast.output.find("broadcast: no answer expected"), std::string::npos)
      << broadcast.output;
  EXPECT_EQ(Count(sim.Command("journal"), "broadcast"), 1u) << sim.Command("journal");
  EXPECT_EQ(sim.Get(65528, 1), (std::vector<unsigned>{0x4321}));

  ASSERT_EQ(sim.Command("fault noanswer x1"), "");
  const ToolResult repeated = run({"read", "65528", "1"});
  EXPECT_EQ(repeated.exit_code, 0) << repeated.output;
  EXPECT_NE(repeated.output.find("65528: 17185  0x4321"), std::string::npos) << repeated.output;
  EXPECT_NE(repeated.output.find("status 0x8000 (success after a repetition)"), std::string::npos)
      << repeated.output;

  ASSERT_EQ(sim.Command("clear-journal"), "");
  const ToolResult past_end = run({"write", "65535", "1", "2"});
  EXPECT_EQ(past_end.exit_code, 2) << past_end.output;
  EXPECT_EQ(run({"read", "65500", "40"}).exit_code, 2);
  EXPECT_EQ(sim.Command("journal"), "");

  ASSERT_EQ(sim.Command("fault exception 6 x1"), "");
  const ToolResult busy = run({"--retries", "1", "read", "300", "1"});
  EXPECT_EQ(busy.exit_code, 1) << busy.output;
  EXPECT_NE(busy.output.find("exception code 6: slave device busy"), std::string::npos)
      << busy.output;
}

}  // namespace
}  // namespace qmx::sim::test
