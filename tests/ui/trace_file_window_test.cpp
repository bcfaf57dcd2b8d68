// The exchange trace in the window: the file takes every part of an
// operation's exchanges and is closed again once the operation is over, so
// that the operator can move it or take out the disk it is on.
#include <QPushButton>
#include <filesystem>
#include <string>

#include "window_fixture.h"

namespace qmx::test {
namespace {

// How many of the program's descriptors lead to the file at `path`.
int DescriptorsOn(const std::string& path) {
  namespace fs = std::filesystem;
  int count = 0;
  for (const auto& entry : fs::directory_iterator("/proc/self/fd")) {
    std::error_code error;
    count += fs::read_symlink(entry.path(), error) == fs::canonical(path) ? 1 : 0;
  }
  return count;
}

class TraceFileWindowTest : public WindowTest {};

TEST_F(TraceFileWindowTest, AnOperationsPartsAreInTheFileAndTheFileIsClosedAfterIt) {
  PlugInstrument(1);
  Start();
  context_.link.settings().use_log_file = 1;
  context_.link.settings().log_file_name = dir_.File("COM.txt");
  meter_.Set(1264, 808);
  Find<QPushButton>("BitBtn28")->click();
  Settle();
  // The request and its answer (808 = 03 28).
  const std::string trace = ReadText(dir_.File("COM.txt"));
  EXPECT_NE(trace.find("Send:"), std::string::npos);
  EXPECT_NE(trace.find("Answ:\r\n 01 03 02 03 28"), std::string::npos) << trace;
  EXPECT_EQ(DescriptorsOn(dir_.File("COM.txt")), 0);
}

}  // namespace
}  // namespace qmx::test
