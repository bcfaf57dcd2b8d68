// The programs as a desktop installs them: the tree `cmake --install` lays
// under a prefix, the menu entry, --version, and the working directory of
// --workdir and of a start from the menu (--desktop).
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "integration/sim_process.h"

namespace qmx {
namespace {

namespace fs = std::filesystem;
using sim::test::BuiltProgram;
using sim::test::RunTool;
using sim::test::ToolResult;

bool WindowBuilt() {
  const std::string program = BuiltProgram("qmx41-config");
  return !program.empty() && access(program.c_str(), X_OK) == 0;
}

fs::path NewTempDir() {
  char dir[] = "/tmp/qmx41-install-test.XXXXXX";
  return mkdtemp(dir) == nullptr ? fs::path() : fs::path(dir);
}

// Starts the window offscreen in `dir` with a one-line "quit" script.
ToolResult StartAndQuit(const fs::path& dir, std::vector<std::string> options,
                        const std::string& env = "QMX41_UNUSED=") {
  std::ofstream(dir / "quit.script") << "quit\n";
  std::vector<std::string> argv{
      "/usr/bin/env", "QT_QPA_PLATFORM=offscreen", env, BuiltProgram("qmx41-config"), "--ports-dir",
      "ports"};
  argv.insert(argv.end(), options.begin(), options.end());
  argv.insert(argv.end(), {"--script", "quit.script"});
  return RunTool(argv, dir, 30000);
}

TEST(InstallTest, ThePrefixHoldsTheProgramsAValidMenuEntryTheIconsAndTheManPages) {
  if (!WindowBuilt()) GTEST_SKIP() << "qmx41-config not built";
  const fs::path root = NewTempDir();
  const fs::path prefix = root / "usr";
  const ToolResult install = RunTool(
      {"/usr/bin/env", "cmake", "--install", std::getenv("QMX_BINARY_DIR"), "--prefix", prefix}, "",
      120000);
  ASSERT_EQ(install.exit_code, 0) << install.output;
  for (const char* file : {"bin/qmx41-config", "bin/qmx41-modbus", "bin/qmx41-sim",
                           "share/applications/qmx41-config.desktop",
                           "share/icons/hicolor/scalable/apps/qmx41-config.svg",
                           "share/icons/hicolor/256x256/apps/qmx41-config.png",
                           "share/man/man1/qmx41-modbus.1", "share/man/man1/qmx41-sim.1"}) {
    EXPECT_TRUE(fs::is_regular_file(prefix / file)) << file;
  }
  const ToolResult valid = RunTool({"/usr/bin/env", "desktop-file-validate",
                                    prefix / "share/applications/qmx41-config.desktop"});
  EXPECT_EQ(valid.exit_code, 0) << valid.output;
  EXPECT_EQ(valid.output, "");
  // The PNG's header: 256 x 256 pixels.
  std::ifstream png(prefix / "share/icons/hicolor/256x256/apps/qmx41-config.png", std::ios::binary);
  unsigned char header[24] = {};
  png.read(reinterpret_cast<char*>(header), sizeof header);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(header) + 12, 4), "IHDR");
  EXPECT_EQ(header[18] * 256 + header[19], 256);
  EXPECT_EQ(header[22] * 256 + header[23], 256);
  fs::remove_all(root);
}

TEST(InstallTest, EveryProgramPrintsTheProjectVersion) {
  if (!WindowBuilt()) GTEST_SKIP() << "qmx41-config not built";
  std::ifstream cache(std::string(std::getenv("QMX_BINARY_DIR")) + "/CMakeCache.txt");
  const std::string key = "CMAKE_PROJECT_VERSION:STATIC=";
  std::string version;
  for (std::string line; std::getline(cache, line);) {
    if (line.rfind(key, 0) == 0) version = line.substr(key.size());
  }
  ASSERT_FALSE(version.empty());
  for (const char* name : {"qmx41-config", "qmx41-modbus", "qmx41-sim"}) {
    // No display is needed for it.
    const ToolResult result = RunTool({"/usr/bin/env", "-u", "DISPLAY", "-u", "QT_QPA_PLATFORM",
                                       BuiltProgram(name), "--version"});
    EXPECT_EQ(result.exit_code, 0) << name;
    EXPECT_EQ(result.output, std::string(name) + " " + version + "\n");
  }
}

TEST(WorkDirTest, WorkdirAndAMenuStartHoldTheSettingsFilesInsteadOfTheCurrentDirectory) {
  if (!WindowBuilt()) GTEST_SKIP() << "qmx41-config not built";
  const fs::path root = NewTempDir();
  ToolResult result = StartAndQuit(root, {"--workdir", "a/b"});
  EXPECT_EQ(result.exit_code, 0) << result.output;
  EXPECT_TRUE(fs::is_regular_file(root / "a/b/dev.dat"));
  result = StartAndQuit(root, {"--desktop"}, "XDG_DATA_HOME=" + root.string() + "/data");
  EXPECT_EQ(result.exit_code, 0) << result.output;
  EXPECT_TRUE(fs::is_regular_file(root / "data/qmx41-config/dev.dat"));
  EXPECT_FALSE(fs::exists(root / "dev.dat"));
  // A directory that cannot be made, an unknown option: exit 2.
  std::ofstream(root / "plain") << "a file\n";
  result = StartAndQuit(root, {"--workdir", "plain/sub"});
  EXPECT_EQ(result.exit_code, 2);
  EXPECT_NE(result.output.find("не удаётся создать рабочий каталог"), std::string::npos);
  EXPECT_EQ(StartAndQuit(root, {"--no-such-option"}).exit_code, 2);
  fs::remove_all(root);
}

}  // namespace
}  // namespace qmx
