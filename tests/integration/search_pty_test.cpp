// The device search of the real program over a pseudo-terminal: qmx41-sim
// with instruments at different rates, parities and addresses on one line,
// qmx41-config replaying what an operator does on the page "Поиск", short
// read time-outs so that a silent address costs a fraction of a second.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "integration/sim_process.h"

namespace qmx {
namespace {

using sim::test::BuiltProgram;
using sim::test::RunTool;
using sim::test::SimProcess;
using sim::test::ToolResult;

void Write(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// The journal lines of the block reads, "9600 even @2: read 256 x49 | ...".
std::vector<std::string> BlockReads(const std::string& journal) {
  std::vector<std::string> reads;
  std::istringstream in(journal);
  std::string line;
  while (std::getline(in, line)) {
    if (line.find("read 256 x49") != std::string::npos) reads.push_back(line);
  }
  return reads;
}

TEST(SearchPtyTest, TheWindowFindsTwoInstrumentsOnOneLineAndSwitchesToOne) {
  const std::string program = BuiltProgram("qmx41-config");
  if (program.empty() || access(program.c_str(), X_OK) != 0) {
    GTEST_SKIP() << "qmx41-config not built";
  }
  SimProcess sim;
  std::string error;
  ASSERT_TRUE(sim.Start({"--instrument", "address=1,baud=19200,parity=none", "--instrument",
                         "address=2,baud=9600,parity=even"},
                        &error))
      << error;

  const std::string work = sim.work_dir() + "/work";
  std::filesystem::create_directory(work);
  Write(work + "/dev.dat",
        "[COM_SETTINGS]\nNumber=1\nSettings=19200,N,8,1\n[DEVICE]\nNetAdrr=1\n"
        "[SETTINGS]\nTimeOut=50\nReask_val=1\n[LOG]\nUseLogFile=0\n");
  std::string timeouts = "[TIME_OUTS]\n";
  for (const char* rate : {"1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200"}) {
    timeouts += std::string("RTTM") + rate + "=1\nRIT" + rate + "=5\n";
  }
  Write(work + "/to.dat", timeouts + "RTTMDF=1\nRITDF=5\n");
  // The creation set of the profile searches all three parities: the
  // operator takes odd parity off.
  Write(work + "/search.script",
        "check CheckBox26 on\ncheck CheckBox27 on\ncheck CheckBox31 on\ncheck CheckBox32 off\n"
        "check CheckBox33 on\n"
        "select ComboBox22 1\nselect ComboBox23 2\n"
        "click Button41\n"
        "expect-box \"Процедура поиска завершена.\" \"Ход поиска\"\n"
        "expect-count ListBox1 2\n"
        "expect-item ListBox1 0 \"Скорость 9600  чет. пар. Сет. номер 2\"\n"
        "expect-item ListBox1 1 \"Скорость 19200  без парит. Сет. номер 1\"\n"
        "select ListBox1 0\n"
        "click Button3\n"
        "expect-box \"Прочитано измеренное значение.\" \"Результат операции\"\n");
  sim.Command("clear-journal");

  const ToolResult run =
      RunTool({"/usr/bin/env", "QT_QPA_PLATFORM=offscreen", program, "--ports-dir", sim.ports_dir(),
               "--script", work + "/search.script"},
              work, 30000);
  ASSERT_EQ(run.exit_code, 0) << run.output;

  // Eight probes in the search's order, then the operator's read on the
  // line of the instrument picked from the list.
  const std::vector<std::string> reads = BlockReads(sim.Command("journal"));
  ASSERT_EQ(reads.size(), 9u) << sim.Command("journal");
  const std::vector<std::string> wanted = {"9600 none @1",  "9600 even @1",  "9600 none @2",
                                           "9600 even @2",  "19200 none @1", "19200 even @1",
                                           "19200 none @2", "19200 even @2", "9600 even @2"};
  const std::vector<std::string>& probes = reads;
  for (size_t i = 0; i < wanted.size(); ++i) {
    EXPECT_NE(probes[i].find(wanted[i] + ":"), std::string::npos) << i << ": " << probes[i];
  }
  EXPECT_NE(probes.back().find("answered by #2"), std::string::npos) << probes.back();
}

}  // namespace
}  // namespace qmx
