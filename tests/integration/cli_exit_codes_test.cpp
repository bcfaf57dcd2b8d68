// qmx41-modbus against the running qmx41-sim: what it prints and how it
// exits; the instrument's journal shows what went out.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim_process.h"

namespace qmx::sim::test {
namespace {

TEST(CliExitCodesTest, StatusesAndExitCodes) {
  SimProcess sim;
  std::string error;
  ASSERT_TRUE(sim.Start({}, &error)) << error;
  // The line of dev.dat's defaults (COM1, 19200, no parity, two attempts).
  auto expect = [&](std::vector<std::string> args, int code, const std::string& printed) {
    args.insert(args.begin(),
                {BuiltProgram("qmx41-modbus"), "--ports-dir", sim.ports_dir(), "--timeout", "100"});
    const ToolResult result = RunTool(args, sim.work_dir());
    EXPECT_EQ(result.exit_code, code) << result.output;
    EXPECT_NE(result.output.find(printed), std::string::npos) << result.output;
  };
  auto journal = [&] { return sim.Command("journal"); };

  expect({"--address", "255", "read", "300", "1"}, 3, "address 255: answer not checked");
  ASSERT_EQ(sim.Command("clear-journal"), "");
  expect({"--address", "0", "write", "65528", "0x4321"}, 0, "broadcast: no answer expected");
  EXPECT_EQ(journal().find("broadcast"), journal().rfind("broadcast")) << journal();
  EXPECT_EQ(sim.Get(65528, 1), (std::vector<unsigned>{0x4321}));

  ASSERT_EQ(sim.Command("fault noanswer x1"), "");
  expect({"read", "65528", "1"}, 0,
         "65528: 17185  0x4321\nstatus 0x8000 (success after a repetition)\n");

  ASSERT_EQ(sim.Command("clear-journal"), "");
  expect({"write", "65535", "1", "2"}, 2, "registers 65535..65536 go past 65535");
  expect({"read", "65500", "40"}, 2, "past 65535");
  EXPECT_EQ(journal(), "");

  ASSERT_EQ(sim.Command("fault exception 6 x1"), "");
  expect({"--retries", "1", "read", "300", "1"}, 1, "exception code 6: slave device busy");
}

}  // namespace
}  // namespace qmx::sim::test
