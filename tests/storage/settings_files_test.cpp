#include "storage/settings_files.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "storage/ini_file.h"

namespace qmx {
namespace {

namespace fs = std::filesystem;

class TempDir {
 public:
  TempDir() {
    char name[] = "/tmp/qmx_storage_XXXXXX";
    path_ = mkdtemp(name) ? name : "";
  }
  ~TempDir() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  std::string File(const std::string& name) const { return path_ + "/" + name; }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void Put(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// Makes every write past `bytes` fail with EFBIG, as a full disk would;
// unlike permission bits this stops root too.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &saved_);
    old_handler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = saved_;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, old_handler_);
  }

 private:
  rlimit saved_{};
  void (*old_handler_)(int) = nullptr;
};

TEST(IniFileTest, FindsKeysWithoutCaseAndPreservesEverythingElse) {
  TempDir dir;
  const std::string path = dir.File("dev.dat");
  Put(path,
      "orphan=before any section\n; operator's note\n[Settings]\n  TimeOut = 2000  \n"
      "Name=\"quoted text\"\nExtra=keep\n\n; about the next section\n[Unknown]\nx=1\n");
  IniFile ini(path);
  EXPECT_EQ(ini.ReadInteger("SETTINGS", "timeout", 0), 2000);
  EXPECT_EQ(ini.ReadRawString("Settings", "TimeOut", ""), " 2000  ");
  EXPECT_EQ(ini.ReadString("Settings", "Name", ""), "quoted text");
  EXPECT_EQ(ini.ReadString("Settings", "orphan", "none"), "none");
  EXPECT_EQ(ini.ReadString("Missing", "x", "dflt"), "dflt");

  EXPECT_TRUE(ini.WriteInteger("SETTINGS", "TIMEOUT", 500));
  EXPECT_TRUE(ini.WriteString("settings", "Added", "v"));
  EXPECT_TRUE(ini.WriteString("LOG", "UseLogFile", "1"));
  EXPECT_EQ(Slurp(path),
            "orphan=before any section\n; operator's note\n[Settings]\n  TimeOut =500\n"
            "Name=\"quoted text\"\nExtra=keep\nAdded=v\n\n; about the next section\n[Unknown]\n"
            "x=1\n[LOG]\nUseLogFile=1\n");

  // Trailing blanks of fixed-width number texts survive; a present empty
  // value is not a missing one.
  EXPECT_TRUE(ini.WriteString("MEAS", "CUT", "1.50 "));
  EXPECT_TRUE(ini.WriteString("MEAS", "Empty", ""));
  IniFile other(path);  // no cache: another object sees the writes at once
  EXPECT_EQ(other.ReadRawString("MEAS", "CUT", ""), "1.50 ");
  EXPECT_EQ(other.ReadString("MEAS", "CUT", ""), "1.50");
  EXPECT_EQ(other.ReadString("MEAS", "Empty", "dflt"), "");

  // What would add lines or sections when read back is refused.
  const std::string written = Slurp(path);
  EXPECT_FALSE(ini.WriteString("MEAS", "CUT", "1\n[LOG]"));
  EXPECT_FALSE(ini.WriteString("MEAS", "A=B", "1"));
  EXPECT_FALSE(ini.WriteString("ME]AS", "A", "1"));
  EXPECT_EQ(Slurp(path), written);
}

TEST(IniFileTest, WindowsFileKeepsBomAndCrlf) {
  TempDir dir;
  const std::string path = dir.File("to.dat");
  Put(path, "\xEF\xBB\xBF[TIME_OUTS]\r\nRTTM1200=192\r\nRIT1200=96");
  IniFile ini(path);
  EXPECT_EQ(ini.ReadInteger("TIME_OUTS", "RTTM1200", 0), 192);
  EXPECT_EQ(ini.ReadInteger("TIME_OUTS", "RIT1200", 0), 96);
  EXPECT_TRUE(ini.WriteInteger("TIME_OUTS", "RTTM1200", 10));
  EXPECT_TRUE(ini.WriteInteger("TIME_OUTS", "RITDF", -5));
  EXPECT_TRUE(ini.WriteString("Другой", "ключ", "значение"));
  EXPECT_EQ(Slurp(path),
            "\xEF\xBB\xBF[TIME_OUTS]\r\nRTTM1200=10\r\nRIT1200=96\r\nRITDF=-5\r\n"
            "[Другой]\r\nключ=значение\r\n");
  EXPECT_EQ(ini.ReadString("Другой", "ключ", ""), "значение");
}

TEST(IniFileTest, IntegersReadLikeDelphi) {
  // clang-format off
  const std::pair<const char*, int32_t> valid[] = {
      {"0", 0}, {"+17", 17}, {"-1", -1}, {"007", 7}, {"$1F", 31}, {"0x1f", 31},
      {"0XFFFF", 65535}, {"-$10", -16}, {"$FFFFFFFF", -1}, {"2147483647", INT32_MAX},
      {"-2147483648", INT32_MIN}};
  // clang-format on
  for (const auto& [text, value] : valid) EXPECT_EQ(ParseIniInteger(text), value) << text;
  for (const char* text :
       {"2147483648", "$100000000", "", "-", "$", "0x", "12a", "1 2", "1.0", "x1F", "--1"}) {
    EXPECT_FALSE(ParseIniInteger(text).has_value()) << '"' << text << '"';
  }
  TempDir dir;
  Put(dir.File("n.ini"), "[S]\nblanks=  42 \t\nbad=4O\n");
  IniFile ini(dir.File("n.ini"));
  EXPECT_EQ(ini.ReadInteger("S", "blanks", -9), 42);
  EXPECT_EQ(ini.ReadInteger("S", "bad", -9), -9);
  EXPECT_EQ(ini.ReadInteger("S", "missing", -9), -9);
}

TEST(IniFileTest, DamagedFileReadsAndSurvivesWrites) {
  TempDir dir;
  const std::string path = dir.File("dev.dat");
  const std::string huge(size_t{1} << 20, 'g');
  const std::string before = std::string("\x01\x02 garbage\n[DEVICE\nno equals sign\n") +
                             std::string("nul\0here=1\n", 11) + huge + "\n" +
                             "[DEVICE]\nNetAdrr=5\n" + huge + "=huge key\n" + "Tail=x";
  Put(path, before);
  IniFile ini(path);
  EXPECT_EQ(ini.ReadInteger("DEVICE", "NetAdrr", 0), 5);
  EXPECT_TRUE(ini.WriteInteger("DEVICE", "New", 1));
  EXPECT_TRUE(ini.WriteInteger("DEVICE", "Tail", 2));
  EXPECT_EQ(Slurp(path), before.substr(0, before.size() - 1) + "2\nNew=1\n");

  // Paths that cannot be read are never replaced.
  const std::string as_dir = dir.File("dir.dat");
  const std::string fifo = dir.File("fifo.dat");
  const std::string utf16 = dir.File("utf16.dat");
  const std::string utf16_bytes("\xFF\xFE[\0S\0]\0", 8);
  ASSERT_EQ(mkdir(as_dir.c_str(), 0755), 0);
  ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
  Put(utf16, utf16_bytes);
  for (const std::string& unusable : {as_dir, fifo, utf16}) {
    EXPECT_EQ(IniFile(unusable).ReadInteger("S", "k", 3), 3) << unusable;
    EXPECT_FALSE(IniFile(unusable).WriteInteger("S", "k", 4)) << unusable;
  }
  EXPECT_TRUE(fs::is_directory(as_dir));
  EXPECT_TRUE(fs::is_fifo(fifo));
  EXPECT_EQ(Slurp(utf16), utf16_bytes);
  if (geteuid() != 0) {  // root reads through permission bits
    chmod(path.c_str(), 0);
    EXPECT_EQ(ini.ReadInteger("DEVICE", "NetAdrr", 0), 0);
    EXPECT_FALSE(ini.WriteInteger("DEVICE", "NetAdrr", 4));
    chmod(path.c_str(), 0600);
    EXPECT_EQ(ini.ReadInteger("DEVICE", "NetAdrr", 0), 5);
  }
}

TEST(IniFileTest, ReplacementIsAtomicAndKeepsPermissions) {
  TempDir dir;
  const std::string path = dir.File("dev.dat");
  Put(path, "[S]\nk=1\n");
  chmod(path.c_str(), 0640);
  struct stat before {};
  stat(path.c_str(), &before);
  IniFile ini(path);
  ASSERT_TRUE(ini.WriteInteger("S", "k", 2));
  struct stat after {};
  stat(path.c_str(), &after);
  EXPECT_NE(after.st_ino, before.st_ino);  // renamed into place, not rewritten
  EXPECT_EQ(after.st_mode & 07777, 0640u);

  // Through a symbolic link the shared file changes and the link stays.
  const std::string link = dir.File("link.dat");
  ASSERT_EQ(symlink(path.c_str(), link.c_str()), 0);
  EXPECT_TRUE(IniFile(link).WriteInteger("S", "k", 3));
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(Slurp(path), "[S]\nk=3\n");

  {
    FileSizeLimit full_disk(4);
    EXPECT_FALSE(ini.WriteString("S", "k", "a longer value than the limit"));
  }
  EXPECT_FALSE(IniFile(path + "/inner.dat").WriteInteger("S", "k", 1));
  if (geteuid() != 0) {  // root writes through permission bits
    chmod(dir.path().c_str(), 0555);
    EXPECT_FALSE(ini.WriteInteger("S", "k", 5));
    chmod(dir.path().c_str(), 0755);
  }
  EXPECT_EQ(Slurp(path), "[S]\nk=3\n");
  // ...and leave no temporary files behind.
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir.path())) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"dev.dat", "link.dat"}));
}

TEST(SettingsFilesTest, FirstStartCreatesDevDat) {
  TempDir dir;
  LinkSettings settings;
  LoadLinkSettings(settings, dir.path());
  const std::string expected =
      "[COM_SETTINGS]\nNumber=1\nSettings=19200,N,8,1\nDELY=0\n[DEVICE]\nNetAdrr=1\n"
      "[SETTINGS]\nTimeOut=2000\nTimeGapDev=0\nTimeGapPrg=0\nReask_val=2\n"
      "read_hold_reg_err_msk=127\n[LOG]\nUseLogFile=0\nLogFileName=" +
      dir.path() + "/COM.txt\n";
  EXPECT_EQ(Slurp(dir.File("dev.dat")), expected);
  EXPECT_EQ(settings.line.timeout, 2000);
  EXPECT_EQ(settings.retry_limit, 2);
  EXPECT_EQ(settings.use_log_file, 0);
  EXPECT_EQ(settings.log_file_name, dir.path() + "/COM.txt");

  LoadLinkSettings(settings, dir.path());  // a second start changes nothing
  EXPECT_EQ(Slurp(dir.File("dev.dat")), expected);
}

TEST(SettingsFilesTest, LineSettingsText) {
  struct Case {
    const char* text;
    uint16_t baud;
    uint16_t parity;
  };
  const Case cases[] = {{"9600,E,8,1", 6, 2}, {"115200", 10, 0},    {"19200,O,8,1", 7, 1},
                        {"9600,E,O", 6, 1},   {"1200,N,8,2", 3, 0}, {"57600,e,8,1", 9, 0},
                        {"", 7, 0},           {"garbage", 7, 0}};
  for (const Case& c : cases) {
    uint16_t baud = 0;
    uint16_t parity = 9;
    ParseLineSettingsText(c.text, &baud, &parity);
    EXPECT_EQ(baud, c.baud) << c.text;
    EXPECT_EQ(parity, c.parity) << c.text;
  }
}

TEST(SettingsFilesTest, ValuesAreCutToSixteenBitsCorrectedAndWrittenBack) {
  struct Case {
    const char* key;
    const char* in_file;
    uint16_t LinkSettings::*field;  // null: the network address
    uint16_t expected;
  };
  // clang-format off
  const Case cases[] = {
      {"NetAdrr", "300", nullptr, 1}, {"NetAdrr", "255", nullptr, 255},
      {"NetAdrr", "65537", nullptr, 1}, {"NetAdrr", "65536", nullptr, 1},
      {"NetAdrr", "$20", nullptr, 32}, {"NetAdrr", "-1", nullptr, 1},
      {"Reask_val", "0", &LinkSettings::retry_limit, 1},
      {"Reask_val", "65536", &LinkSettings::retry_limit, 1},
      {"Reask_val", "-1", &LinkSettings::retry_limit, 2},
      {"TimeGapDev", "300", &LinkSettings::time_gap_dev, 255},
      {"TimeGapDev", "256", &LinkSettings::time_gap_dev, 255},
      {"TimeGapPrg", "255", &LinkSettings::time_gap_prg, 255},
      {"TimeGapPrg", "-5", &LinkSettings::time_gap_prg, 0},
      {"TimeGapDev", "$FFFFFFFF", &LinkSettings::time_gap_dev, 0},
      {"read_hold_reg_err_msk", "junk", &LinkSettings::retry_mask, 127}};
  // clang-format on
  for (const Case& c : cases) {
    TempDir dir;
    const std::string section = c.field ? "SETTINGS" : "DEVICE";
    Put(dir.File("dev.dat"), "[" + section + "]\n" + c.key + "=" + c.in_file + "\n");
    LinkSettings settings;
    LoadLinkSettings(settings, dir.path());
    EXPECT_EQ(c.field ? settings.*c.field : settings.line.network_address, c.expected)
        << c.key << "=" << c.in_file;
    EXPECT_EQ(IniFile(dir.File("dev.dat")).ReadRawString(section, c.key, ""),
              std::to_string(c.expected))
        << c.key << "=" << c.in_file;
  }
}

TEST(SettingsFilesTest, ReadsOperatorsValues) {
  TempDir dir;
  Put(dir.File("dev.dat"),
      "\xEF\xBB\xBF[COM_SETTINGS]\r\nNumber=3\r\nSettings=9600,E,8,1\r\nDELY=15\r\n"
      "[DEVICE]\r\nNetAdrr=17\r\n[SETTINGS]\r\nTimeOut=-5\r\n"
      "[LOG]\r\nUseLogFile=1\r\nLogFileName=/var/log/qmx.txt\r\n");
  LinkSettings settings;
  LoadLinkSettings(settings, dir.path());
  EXPECT_EQ(settings.line.port_number, 3);
  EXPECT_EQ(settings.line.baud_code, 6);
  EXPECT_EQ(settings.line.parity_code, 2);
  EXPECT_EQ(settings.line.network_address, 17);
  EXPECT_EQ(settings.line.timeout, 2000);
  EXPECT_EQ(settings.dely, 15);
  EXPECT_EQ(settings.use_log_file, 1);
  EXPECT_EQ(settings.log_file_name, "/var/log/qmx.txt");
  EXPECT_EQ(settings.proposed_baud_code, 6);
  EXPECT_EQ(settings.proposed_parity_code, 2);
  EXPECT_EQ(settings.proposed_address, 17);
  const std::string text = Slurp(dir.File("dev.dat"));
  EXPECT_NE(text.find("[SETTINGS]\r\nTimeOut=2000\r\nReask_val=2\r\nread_hold_reg_err_msk=127\r\n"
                      "TimeGapDev=0\r\nTimeGapPrg=0\r\n[LOG]"),
            std::string::npos)
      << text;
}

TEST(SettingsFilesTest, UnwritableDirectoryStillLoads) {
  TempDir dir;
  Put(dir.File("plain"), "");
  LinkSettings settings;
  settings.retry_limit = 9;
  LoadLinkSettings(settings, dir.File("plain"));  // nowhere to create the file
  EXPECT_EQ(settings.retry_limit, 2);
  EXPECT_EQ(settings.line.timeout, 2000);
  EXPECT_EQ(settings.use_log_file, 1);  // the read default, not the creation value

  // The file's values serve, corrected, while every write-back fails.
  const std::string original = "[DEVICE]\nNetAdrr=300\n[SETTINGS]\nTimeOut=700\n";
  Put(dir.File("dev.dat"), original);
  {
    FileSizeLimit full_disk(1);
    LoadLinkSettings(settings, dir.path());
  }
  EXPECT_EQ(settings.line.network_address, 1);
  EXPECT_EQ(settings.line.timeout, 700);
  EXPECT_EQ(Slurp(dir.File("dev.dat")), original);
  if (geteuid() != 0) {
    chmod(dir.path().c_str(), 0555);
    LoadLinkSettings(settings, dir.path());
    chmod(dir.path().c_str(), 0755);
    EXPECT_EQ(settings.line.timeout, 700);
    EXPECT_EQ(Slurp(dir.File("dev.dat")), original);
  }
}

TEST(SettingsFilesTest, TimeoutsCreatedInOrderAndRead) {
  TempDir dir;
  TimeoutTable table;
  table.by_code[0].multiplier = 1;
  LoadTimeouts(table, dir.path());
  EXPECT_EQ(Slurp(dir.File("to.dat")),
            "[TIME_OUTS]\nRTTM1200=192\nRTTM2400=96\nRTTM4800=48\nRTTM9600=24\nRTTM19200=24\n"
            "RTTM38400=24\nRTTM57600=24\nRTTM115200=24\nRTTMDF=192\n"
            "RIT1200=192\nRIT2400=96\nRIT4800=48\nRIT9600=24\nRIT19200=24\n"
            "RIT38400=24\nRIT57600=24\nRIT115200=24\nRITDF=192\n");
  EXPECT_EQ(table.For(3).multiplier, 192);

  Put(dir.File("to.dat"),
      "[time_outs]\nrttm9600=50\nRIT9600=-24\nRIT115200=7\nRITDF=300\nRTTMDF=70000\n");
  LoadTimeouts(table, dir.path());
  EXPECT_EQ(table.For(6).multiplier, 50);
  EXPECT_EQ(table.For(6).interval, 24);
  EXPECT_EQ(table.For(10).interval, 7);
  EXPECT_EQ(table.For(11).interval, 300);
  EXPECT_EQ(table.For(0).multiplier, 70000 - 65536);
  EXPECT_EQ(IniFile(dir.File("to.dat")).ReadInteger("TIME_OUTS", "RIT1200", 0), 192);
  EXPECT_EQ(IniFile(dir.File("to.dat")).ReadInteger("TIME_OUTS", "RIT9600", 0), 24);
}

TEST(SettingsFilesTest, DefaultDirectoryIsTheCurrentOne) {
  EXPECT_EQ(JoinPath("/a/b", "dev.dat"), "/a/b/dev.dat");
  EXPECT_EQ(JoinPath("", "dev.dat"), "dev.dat");

  TempDir dir;
  const std::string saved = CurrentDirectory();
  ASSERT_EQ(chdir(dir.path().c_str()), 0);
  EXPECT_EQ(CurrentDirectory(), dir.path());
  LinkSettings settings;
  TimeoutTable table;
  LoadLinkSettings(settings);
  LoadTimeouts(table);
  ASSERT_EQ(chdir(saved.c_str()), 0);
  EXPECT_TRUE(fs::exists(dir.File("dev.dat")));
  EXPECT_TRUE(fs::exists(dir.File("to.dat")));
  EXPECT_EQ(settings.log_file_name, dir.path() + "/COM.txt");
}

}  // namespace
}  // namespace qmx
