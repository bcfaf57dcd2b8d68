// Copying a configuration from one instrument to another as an engineer
// does it at the bench: qmx41-modbus against two running qmx41-sim.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim_process.h"

namespace qmx::sim::test {
namespace {

TEST(ConfigCliTest, ReadACompareBWriteBAndBKeepsItsIdentityAndAddress) {
  SimProcess a;
  SimProcess b;
  std::string error;
  ASSERT_TRUE(a.Start({"--no-pacing"}, &error)) << error;
  ASSERT_TRUE(b.Start({"--no-pacing"}, &error)) << error;
  ASSERT_EQ(a.Command("set 1841 25"), "");
  ASSERT_EQ(a.Command("set 1952 3"), "");
  ASSERT_EQ(b.Command("set 1026 777"), "");
  const std::string file = a.work_dir() + "/a.cfg";
  const auto run = [&](SimProcess& sim, std::vector<std::string> args) {
    args.insert(args.begin(), {BuiltProgram("qmx41-modbus"), "--ports-dir", sim.ports_dir()});
    return RunTool(args, sim.work_dir());
  };

  ToolResult result = run(a, {"config", "read", file});
  ASSERT_EQ(result.exit_code, 0) << result.output;
  result = run(b, {"config", "compare", file});
  EXPECT_EQ(result.exit_code, 1) << result.output;
  EXPECT_NE(result.output.find("1841 единицы и усреднение: instrument  10, file  25"),
            std::string::npos)
      << result.output;
  EXPECT_NE(result.output.find("(identity) 1026"), std::string::npos) << result.output;

  result = run(b, {"config", "write", file, "--yes"});
  EXPECT_EQ(result.exit_code, 0) << result.output;
  result = run(b, {"config", "compare", file});
  EXPECT_EQ(result.exit_code, 0) << result.output;
  EXPECT_EQ(b.Get(1841, 1), (std::vector<unsigned>{25}));
  EXPECT_EQ(b.Get(1026, 1), (std::vector<unsigned>{777}));
  EXPECT_EQ(b.Get(1032, 1), (std::vector<unsigned>{1}));

  EXPECT_EQ(run(b, {"config", "compare"}).exit_code, 2);
  EXPECT_EQ(run(b, {"config", "compare", a.work_dir() + "/missing.cfg"}).exit_code, 2);
}

}  // namespace
}  // namespace qmx::sim::test
