// The exchange trace in the window: the file takes every part of an
// operation's exchanges and is closed again once the operation is over, so
// that the operator can move it or take out the disk it is on.
#include <unistd.h>

#include <QPushButton>
#include <filesystem>
#include <string>

#include "window_fixture.h"

namespace qmx::test {
namespace {

// How many of the program's descriptors lead to the file at `path`.
int DescriptorsOn(const std::string& path) {
  namespace fs = std::filesystem;
  const fs::path target = fs::canonical(path);
  int count = 0;
  for (const auto& entry : fs::directory_iterator("/proc/self/fd")) {
    std::error_code error;
    if (fs::read_symlink(entry.path(), error) == target) ++count;
  }
  return count;
}

class TraceFileWindowTest : public WindowTest {};

TEST_F(TraceFileWindowTest, AnOperationsPartsAreAllInTheFileAndTheFileIsClosedAfterIt) {
  PlugInstrument(1);
  Start();
  context_.link.settings().use_log_file = 1;
  context_.link.settings().log_file_name = dir_.File("COM.txt");
  meter_.Set(1264, 808);
  for (int round = 1; round <= 2; ++round) {
    SCOPED_TRACE(round);
    Find<QPushButton>("BitBtn28")->click();
    Settle();
    // The operation's request and its answer (808 = 03 28).
    const std::string trace = ReadText(dir_.File("COM.txt"));
    EXPECT_NE(trace.find("Send:"), std::string::npos);
    EXPECT_NE(trace.find("Answ:\r\n 01 03 02 03 28"), std::string::npos) << trace;
    EXPECT_EQ(DescriptorsOn(dir_.File("COM.txt")), 0);
    // Moved aside between operations: the next one starts a new file.
    std::filesystem::rename(dir_.File("COM.txt"), dir_.File("old.txt"));
  }
  EXPECT_NE(ReadText(dir_.File("old.txt")).find("Answ:"), std::string::npos);
  EXPECT_EQ(ReadText(dir_.File("old.txt")).find("Send:"),
            ReadText(dir_.File("old.txt")).rfind("Send:"));  // the second round's went to COM.txt
}

}  // namespace
}  // namespace qmx::test
