// Settings files with values that make no sense, and a profile that cannot
// be written: what the program takes, and what it says.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "storage/ini_file.h"
#include "storage/profile.h"
#include "storage/settings_files.h"

namespace qmx {
namespace {

namespace fs = std::filesystem;

class FileFailuresTest : public ::testing::Test {
 protected:
  FileFailuresTest() {
    char name[] = "/tmp/qmx_file_failures_XXXXXX";
    dir_ = mkdtemp(name) != nullptr ? name : "";
  }
  ~FileFailuresTest() override {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }
  std::string File(const std::string& name) const { return dir_ + "/" + name; }
  std::string Text(const std::string& name) const {
    std::ifstream in(File(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  std::string dir_;
};

TEST_F(FileFailuresTest, NegativeValuesAreTakenAsTheirDefaultsAndWrittenBack) {
  std::ofstream(File("dev.dat"))
      << "[COM_SETTINGS]\nNumber=-3\nDELY=-1\n[DEVICE]\nNetAdrr=-7\n"
         "[SETTINGS]\nTimeOut=-5\nTimeGapDev=-1\nTimeGapPrg=$FFFFFFFF\n"
         "Reask_val=-2\nread_hold_reg_err_msk=-1\n[LOG]\nUseLogFile=-1\n";
  std::ofstream(File("to.dat")) << "[TIME_OUTS]\nRTTM19200=-24\nRIT1200=-1\nRITDF=-192\n";
  LinkSettings settings;
  LoadLinkSettings(settings, dir_);
  LoadTimeouts(settings.timeouts, dir_);

  EXPECT_EQ(settings.line.timeout, 2000);
  EXPECT_EQ(settings.time_gap_prg, 0);
  EXPECT_EQ(settings.line.port_number, 1);
  EXPECT_EQ(settings.retry_limit, 2);
  EXPECT_EQ(settings.timeouts.For(7).multiplier, 24);
  EXPECT_EQ(settings.timeouts.For(3).interval, 192);
  EXPECT_EQ(settings.timeouts.For(0).interval, 192);
  // The files show the values in use.
  const std::string dev = Text("dev.dat");
  for (const char* line :
       {"Number=1\n", "DELY=0\n", "NetAdrr=1\n", "TimeOut=2000\n", "TimeGapDev=0\n",
        "TimeGapPrg=0\n", "Reask_val=2\n", "read_hold_reg_err_msk=127\n", "UseLogFile=1\n"}) {
    EXPECT_NE(dev.find(line), std::string::npos) << line << " in\n" << dev;
  }
  const std::string to = Text("to.dat");
  for (const char* line : {"RTTM19200=24\n", "RIT1200=192\n", "RITDF=192\n"}) {
    EXPECT_NE(to.find(line), std::string::npos) << line << " in\n" << to;
  }
  EXPECT_EQ(to.find('-'), std::string::npos) << to;
}

TEST_F(FileFailuresTest, AProfileThatCannotBeWrittenSaysWhy) {
  ProfileValues values;
  LinkSettings link;
  std::string cause;
  // A directory where the profile should be.
  fs::remove(File("recent.prf"));
  fs::create_directory(File("recent.prf"));
  EXPECT_FALSE(SaveProfile(values, link, File("recent.prf"), &cause));
  EXPECT_EQ(ProfileNotSavedText(File("recent.prf"), cause),
            "Не удалось записать файл настроек " + File("recent.prf") +
                ": под этим именем находится папка. Изменения этого сеанса не сохранены.");

  // The working directory removed under the running program.
  EXPECT_FALSE(SaveProfile(values, link, File("gone/recent.prf"), &cause));
  EXPECT_EQ(cause, "папка " + File("gone") + " не существует");
}

}  // namespace
}  // namespace qmx
