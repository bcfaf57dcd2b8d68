// Settings that give a read no time limit ("TimeOut" = 0 with a zero
// multiplier): the read still ends, with the answer when one comes and after
// the default 2000 ms when none does.  The scripted port fails the test
// (instead of hanging) when a read could never return.
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "link_fixture.h"
#include "storage/settings_files.h"

namespace qmx::test {
namespace {

class ReadLimitTest : public LinkTest {
 protected:
  ReadLimitTest() {
    char name[] = "/tmp/qmx_read_limit_XXXXXX";
    dir_ = mkdtemp(name) != nullptr ? name : "";
  }
  ~ReadLimitTest() override {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }

  // The settings files of a start-up in `dir_`.
  void LoadFiles(const std::string& dev_dat, const std::string& to_dat) {
    std::ofstream(dir_ + "/dev.dat") << dev_dat;
    std::ofstream(dir_ + "/to.dat") << to_dat;
    LoadLinkSettings(link_.settings(), dir_);
    LoadTimeouts(link_.settings().timeouts, dir_);
  }

  uint16_t Read(uint16_t* values) {
    uint16_t exception = 0;
    return link_.ReadHoldingRegisters(300, 2, values, &exception);
  }
  int64_t LastReadMs() const {
    return port_->reads().back().end_ms - port_->reads().back().start_ms;
  }

  std::string dir_;
};

TEST_F(ReadLimitTest, ZeroTimeOutAndZeroPairEndWithTheAnswerOrAfterTheDefaultTotal) {
  LoadFiles("[SETTINGS]\nReask_val=1\nTimeOut=0\n[LOG]\nUseLogFile=0\n",
            "[TIME_OUTS]\nRTTM19200=0\nRIT19200=0\n");
  ASSERT_EQ(link_.line().timeout, 0);

  // An answering instrument: nothing but the total can end the read of two
  // bytes more than the answer.
  port_->Script(Reply(ReadAnswer(1, {0x1234, 0x5678})).Paced(1));
  uint16_t values[2] = {};
  EXPECT_EQ(Read(values), 0);
  EXPECT_EQ(values[0], 0x1234);
  EXPECT_EQ(values[1], 0x5678);
  EXPECT_EQ(LastReadMs(), 2000);

  // A silent one: every missing-answer bit, after 2000 ms.
  port_->Script(Silence());
  EXPECT_EQ(Read(values), 0x006E);
  EXPECT_EQ(LastReadMs(), 2000);

  // The write's read of its eight answer bytes is limited the same way.
  port_->Script(Silence());
  const uint16_t one = 1;
  uint16_t exception = 0;
  EXPECT_EQ(link_.WriteMultipleRegisters(1046, 1, &one, &exception, "Команда на мигание."), 0x006E);
  EXPECT_EQ(LastReadMs(), 2000);
}

TEST_F(ReadLimitTest, OnlyTheMissingTotalIsSupplied) {
  LoadFiles("[SETTINGS]\nReask_val=1\nTimeOut=0\n[LOG]\nUseLogFile=0\n",
            "[TIME_OUTS]\nRTTM19200=0\n");
  uint16_t values[2] = {};

  // The interval (24 ms) still ends a read right after the answer...
  port_->Script(Reply(ReadAnswer(1, {7, 8})));
  EXPECT_EQ(Read(values), 0);
  EXPECT_EQ(LastReadMs(), 24);
  // ...and the default total ends the wait for a silent instrument.
  port_->Script(Silence());
  EXPECT_EQ(Read(values), 0x006E);
  EXPECT_EQ(LastReadMs(), 2000);

  // The program's gap is a limit of its own: 5 ms for each of the 11 bytes
  // asked for, plus 5.
  link_.settings().time_gap_prg = 5;
  port_->Script(Silence());
  EXPECT_EQ(Read(values), 0x006E);
  EXPECT_EQ(LastReadMs(), 60);
}

TEST_F(ReadLimitTest, TheExchangeLogNotesTheSuppliedLimit) {
  LoadFiles(
      "[SETTINGS]\nReask_val=1\nTimeOut=0\n[LOG]\nUseLogFile=1\nLogFileName=" + dir_ + "/COM.txt\n",
      "[TIME_OUTS]\nRTTM19200=0\nRIT19200=0\n");
  auto log_text = [this] {
    std::ifstream in(dir_ + "/COM.txt", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  const std::string note =
      "\r\nНастройки TimeOut и RTTM не ограничивают ожидание ответа: ждём не дольше 2000 мс\r\n";
  port_->Script(Silence());
  uint16_t values[2] = {};
  Read(values);
  const std::string first = log_text();
  EXPECT_EQ(first.find(note), 0U) << first;

  // A configured limit is left without a note.
  link_.line().timeout = 100;
  port_->Script(Silence());
  Read(values);
  EXPECT_EQ(log_text().find(note, 1), std::string::npos);
}

}  // namespace
}  // namespace qmx::test
