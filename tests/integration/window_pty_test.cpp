// The real program over a pseudo-terminal: qmx41-sim with its instruments,
// qmx41-config replaying what an operator does.  The device search (with
// short read time-outs, so that a silent address costs a fraction of a
// second) and the exchange write that moves instrument and program to new
// line settings.
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

// Runs qmx41-config in a working directory of its own beside the
// instrument, with `script` and short read time-outs.
ToolResult RunScript(SimProcess& sim, const std::string& script) {
  const std::string program = BuiltProgram("qmx41-config");
  const std::string work = sim.work_dir() + "/work";
  std::filesystem::create_directories(work);
  Write(work + "/dev.dat",
        "[COM_SETTINGS]\nNumber=1\nSettings=19200,N,8,1\n[DEVICE]\nNetAdrr=1\n"
        "[SETTINGS]\nTimeOut=50\nReask_val=1\n[LOG]\nUseLogFile=0\n");
  std::string timeouts = "[TIME_OUTS]\n";
  for (const char* rate : {"1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200"}) {
    timeouts += std::string("RTTM") + rate + "=1\nRIT" + rate + "=5\n";
  }
  Write(work + "/to.dat", timeouts + "RTTMDF=1\nRITDF=5\n");
  Write(work + "/operator.script", script);
  return RunTool({"/usr/bin/env", "QT_QPA_PLATFORM=offscreen", program, "--ports-dir",
                  sim.ports_dir(), "--script", work + "/operator.script"},
                 work, 30000);
}

bool ProgramBuilt() {
  const std::string program = BuiltProgram("qmx41-config");
  return !program.empty() && access(program.c_str(), X_OK) == 0;
}

TEST(SearchPtyTest, TheWindowFindsTwoInstrumentsOnOneLineAndSwitchesToOne) {
  if (!ProgramBuilt()) GTEST_SKIP() << "qmx41-config not built";
  SimProcess sim;
  std::string error;
  ASSERT_TRUE(sim.Start({"--instrument", "address=1,baud=19200,parity=none", "--instrument",
                         "address=2,baud=9600,parity=even"},
                        &error))
      << error;
  // The creation set of the profile searches all three parities: the
  // operator takes odd parity off.
  const std::string script =
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
      "expect-box \"Прочитано измеренное значение.\" \"Результат операции\"\n";
  sim.Command("clear-journal");

  const ToolResult run = RunScript(sim, script);
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

// The journal lines that contain `what`.
std::vector<std::string> Lines(const std::string& journal, const std::string& what) {
  std::vector<std::string> found;
  std::istringstream in(journal);
  std::string line;
  while (std::getline(in, line)) {
    if (line.find(what) != std::string::npos) found.push_back(line);
  }
  return found;
}

// "ОБМЕН": new address, rate and parity written; the program follows the
// instrument and the next read reaches it with no change of the link by
// hand.  In INIT mode both stay where they were and the operator is warned.
TEST(ExchangeWritePtyTest, TheProgramFollowsTheInstrumentUnlessItIsInInitMode) {
  if (!ProgramBuilt()) GTEST_SKIP() << "qmx41-config not built";
  for (const bool init : {false, true}) {
    SCOPED_TRACE(init ? "INIT mode" : "normal mode");
    SimProcess sim;
    std::string error;
    ASSERT_TRUE(sim.Start({"--instrument", "address=1,baud=19200,parity=none"}, &error)) << error;
    if (init) sim.Command("init on");
    std::string script =
        "tab PageControl4 1\ntab PageControl5 2\n"
        "select ComboBox45 5\nselect ComboBox46 3\nselect ComboBox47 2\n"
        "answer yes\nclick BitBtn14\n"
        "expect-box \"Данные конфигурации будут переписаны?.\" \"Подтвердите действие\"\n"
        "expect-box \"Запись параметров обмена прибора успешно осуществлена.\" "
        "\"Результат операции\"\n";
    if (init) {
      script +=
          "expect-box \"Прибор находится в INIT режиме. Будьте внимательны при выборе параметров "
          "обмена.\" \"Предупреждение.\"\n";
    }
    script +=
        "click Button3\n"
        "expect-box \"Прочитано измеренное значение.\" \"Результат операции\"\n";
    sim.Command("clear-journal");
    const ToolResult run = RunScript(sim, script);
    ASSERT_EQ(run.exit_code, 0) << run.output;

    const std::string journal = sim.Command("journal");
    const std::string line = init ? "19200 none @1: " : "9600 even @5: ";
    const std::vector<std::string> write = Lines(journal, "write 1032 x3 = 5, 6, 2");
    ASSERT_EQ(write.size(), 1u) << journal;
    EXPECT_NE(write[0].find("19200 none @1: "), std::string::npos) << write[0];
    const std::vector<std::string> locks = Lines(journal, "write 1278 x2 = 0, 0");
    ASSERT_FALSE(locks.empty()) << journal;
    EXPECT_NE(locks.back().find(line), std::string::npos) << locks.back();
    EXPECT_NE(locks.back().find("answered"), std::string::npos) << locks.back();
    const std::vector<std::string> reads = Lines(journal, "read 256 x49");
    ASSERT_FALSE(reads.empty()) << journal;
    EXPECT_NE(reads.back().find(line + "read 256 x49 | answered"), std::string::npos)
        << reads.back();
    EXPECT_EQ(sim.Get(1278, 2), (std::vector<unsigned>{0, 0}));
  }
}

}  // namespace
}  // namespace qmx
