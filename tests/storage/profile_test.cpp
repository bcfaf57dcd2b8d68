#include "storage/profile.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <clocale>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "storage/ini_file.h"
#include "support/no_wait.h"

namespace qmx {
namespace {

namespace fs = std::filesystem;

using KeySets = std::map<std::string, std::set<std::string>>;

class ProfileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/qmx_profile_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    path_ = dir_ + "/recent.prf";
  }
  void TearDown() override {
    std::error_code error;
    fs::remove_all(dir_, error);
  }

  void WriteFile(const std::string& text) { std::ofstream(path_, std::ios::binary) << text; }

  std::string ReadFile() const {
    std::ifstream in(path_, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  // Section name -> key names, exactly as the file spells them.
  KeySets Keys() const {
    KeySets keys;
    std::istringstream in(ReadFile());
    std::string line;
    std::string section;
    while (std::getline(in, line)) {
      if (line.empty()) continue;
      if (line.front() == '[') {
        section = line.substr(1, line.find(']') - 1);
        keys[section];
      } else if (const size_t eq = line.find('='); eq != std::string::npos) {
        EXPECT_TRUE(keys[section].insert(line.substr(0, eq)).second) << "twice: " << line;
      }
    }
    return keys;
  }

  std::string Raw(const char* section, const char* key) const {
    return IniFile(path_).ReadRawString(section, key, "<missing>");
  }
  int32_t Int(const char* section, const char* key) const {
    return IniFile(path_).ReadInteger(section, key, -12345);
  }

  void Load() { LoadProfile(values_, link_, path_, dir_); }

  std::string dir_;
  std::string path_;
  ProfileValues values_;
  LinkSettings link_;
};

TEST_F(ProfileTest, FirstLoadCreatesTheCreationSetAndCompletesTheLoadList) {
  Load();

  const KeySets expected = {
      {"TAB",
       {"num", "ArchTabEn", "ElClearTabEn", "ActivePageIndex1", "ActivePageIndex2",
        "ActivePageIndex4", "ActivePageIndex5"}},
      {"Definition", {"txt0", "txt1", "txt2", "txt3"}},
      {"TX", {"INTERVAL"}},
      {"SET_0", {"SET_0_N", "SET_0_VAL"}},
      {"SET_DIAP", {"SET_DIAP_N", "SET_DIAP_VAL"}},
      {"Seach",
       {"1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200", "beg", "end",
        "parity_non", "parity_odd", "parity_ev"}},
      {"NEW_DAT",
       {"LONG_NUM", "NUM_HI", "NUM_LO", "MODEL", "SOFT_NEW", "HARD_NEW", "YEAR_NEW", "MONTH_NEW",
        "DAY_NEW"}},
      {"IZM",
       {"izm_file_name", "izm_modul_file_name", "all_izm_file_name", "write_file",
        "write_all_izm_file"}},
      {"PATH", {"all_izm_dir", "com_dir", "izm_dir"}},
      {"izm_to_comp",
       {"izm_flow_v_dsum_type", "izm_flow_v_unit", "izm_flow_v_sum_unit", "izm_flow_v_ns",
        "time_stamp_val_corr_en"}},
      {"output",
       {"diskr_out_type0", "diskr_out_type1", "f_flow_err", "pulse_activ_min_t",
        "pulse_passive_min_t", "f_flow_v_min", "f_flow_v_max", "flow_v_for_pulse"}},
      {"USR", {"usr_txt"}},
      {"NEW_COMM", {"NET_NUM", "NET_SPD", "NET_PAR", "NET_DELY", "NET_FLTYPE"}},
      {"el_clear", {"time_val"}},
      {"frame_write", {"frame_write_interval_sec", "frame_write_type"}},
      {"err_msk", {"izm_flow_v_err_hi_msk", "izm_flow_v_err_lo_msk"}},
  };
  // No USR_REG_HOLD (read without write-back), nothing of ADC, IND, MTR,
  // PATH/adc_dir or TAB/ActivePageIndex (saved only).
  EXPECT_EQ(Keys(), expected);

  // The creation values win over the read defaults where they differ.
  EXPECT_EQ(values_.search.baud, (std::array<uint16_t, 8>{0, 0, 0, 1, 1, 0, 0, 0}));
  EXPECT_EQ(values_.search.beg, 1);
  EXPECT_EQ(values_.search.end, 3);
  EXPECT_EQ(values_.search.parity_non, 1);
  EXPECT_EQ(values_.search.parity_odd, 1);
  EXPECT_EQ(values_.search.parity_ev, 1);
  EXPECT_EQ(values_.passport.model, 10);
  EXPECT_EQ(values_.passport.day_new, 15);
  EXPECT_EQ(values_.passport.long_num, 1);
  EXPECT_EQ(Int("Seach", "38400"), 0);
  EXPECT_EQ(Int("NEW_DAT", "DAY_NEW"), 15);
  EXPECT_EQ(Raw("SET_DIAP", "SET_DIAP_VAL"), "250.0");
  EXPECT_EQ(Raw("Definition", "txt0"), "Flowmeter 0.0.0");
  EXPECT_EQ(Raw("Definition", "txt3"), "");

  // Defaults of keys the creation set lacks, written back.
  EXPECT_EQ(values_.records.izm_file_name, dir_ + "/izm.txt");
  EXPECT_EQ(values_.records.izm_modul_file_name, dir_ + "/izm_modul.txt");
  EXPECT_EQ(values_.records.all_izm_file_name, dir_ + "/all_izm.txt");
  EXPECT_EQ(Raw("PATH", "com_dir"), dir_);
  EXPECT_EQ(values_.usr_txt, "КЮР 20MB");
  EXPECT_EQ(Raw("USR", "usr_txt"), "КЮР 20MB");
  EXPECT_EQ(values_.outputs.f_flow_err, 11000);
  EXPECT_EQ(values_.outputs.diskr_out_type1, 1);
  EXPECT_FLOAT_EQ(values_.outputs.f_flow_v_max, 10.0F);
  EXPECT_EQ(Raw("output", "f_flow_v_min"), "0.00 ");
  EXPECT_EQ(Raw("output", "f_flow_v_max"), "10.00");
  EXPECT_EQ(Raw("output", "flow_v_for_pulse"), "1.0000     ");
  EXPECT_EQ(values_.el_clear_time_val, 3600);
  EXPECT_EQ(link_.proposed_baud_code, 7);
  EXPECT_EQ(Int("TAB", "ActivePageIndex5"), 0);
}

TEST_F(ProfileTest, ExistingProfileWithoutKeysTakesReadDefaultsAndIsNotGivenTheCreationSet) {
  WriteFile("[Other]\nkeep=me\n");
  Load();

  EXPECT_EQ(values_.search.baud, (std::array<uint16_t, 8>{0, 0, 0, 0, 1, 1, 1, 1}));
  EXPECT_EQ(values_.search.end, 5);
  EXPECT_EQ(values_.search.parity_non, 0);
  EXPECT_EQ(values_.search.parity_odd, 0);
  EXPECT_EQ(values_.search.parity_ev, 1);
  EXPECT_EQ(values_.passport.model, 0);
  EXPECT_EQ(values_.passport.day_new, 1);
  EXPECT_EQ(Int("Seach", "38400"), 1);
  EXPECT_EQ(Int("Seach", "9600"), 0);
  EXPECT_EQ(Int("NEW_DAT", "MODEL"), 0);

  const KeySets keys = Keys();
  for (const char* section : {"SET_0", "SET_DIAP", "Definition"}) {
    EXPECT_EQ(keys.count(section), 0U) << section;
  }
  EXPECT_EQ(keys.at("TAB").count("num"), 0U);
  EXPECT_EQ(Raw("Other", "keep"), "me");
}

TEST_F(ProfileTest, IntegersAreCutTo16BitsAndWrittenBackAsTaken) {
  WriteFile(
      "[NEW_DAT]\nMODEL=70000\nNUM_LO=-1\n"
      "[output]\nf_flow_err=65536\npulse_activ_min_t=abc\n"
      "[NEW_COMM]\nNET_DELY=25\nNET_SPD=9\nNET_NUM=17\nNET_PAR=2\nNET_FLTYPE=3\n"
      "[el_clear]\ntime_val=5000\n");
  link_.dely = 7;  // what "dev.dat" started it with
  Load();

  EXPECT_EQ(values_.passport.model, 4464);
  EXPECT_EQ(Int("NEW_DAT", "MODEL"), 4464);
  EXPECT_EQ(values_.passport.num_lo, 0xFFFF);
  EXPECT_EQ(Int("NEW_DAT", "NUM_LO"), 65535);
  EXPECT_EQ(values_.outputs.f_flow_err, 0);
  EXPECT_EQ(Int("output", "f_flow_err"), 0);
  EXPECT_EQ(values_.outputs.pulse_activ_min_t, 100);
  EXPECT_EQ(Int("output", "pulse_activ_min_t"), 100);

  // The profile's exchange proposal replaces what "dev.dat" gave.
  EXPECT_EQ(link_.dely, 25);
  EXPECT_EQ(link_.proposed_baud_code, 9);
  EXPECT_EQ(link_.proposed_address, 17);
  EXPECT_EQ(link_.proposed_parity_code, 2);
  EXPECT_EQ(values_.net_fltype, 3);

  EXPECT_EQ(values_.el_clear_time_val, 3600);
  EXPECT_EQ(Int("el_clear", "time_val"), 3600);
}

TEST_F(ProfileTest, ElectrodeCleaningTimeIsLimitedAfterTheCut) {
  for (const auto& [stored, expected] :
       std::vector<std::pair<const char*, int>>{{"3600", 3600}, {"3601", 3600}, {"65636", 100}}) {
    WriteFile(std::string("[el_clear]\ntime_val=") + stored + "\n");
    Load();
    EXPECT_EQ(values_.el_clear_time_val, expected) << stored;
    EXPECT_EQ(Int("el_clear", "time_val"), expected) << stored;
  }
}

TEST_F(ProfileTest, FloatTextsAreScannedAndWrittenBackInTheirForms) {
  WriteFile("[output]\nf_flow_v_min=1.5\nf_flow_v_max=abc\nflow_v_for_pulse=1.5E2\n");
  Load();

  EXPECT_FLOAT_EQ(values_.outputs.f_flow_v_min, 1.5F);
  EXPECT_EQ(values_.outputs.f_flow_v_max, 0.0F);
  EXPECT_FLOAT_EQ(values_.outputs.flow_v_for_pulse, 150.0F);
  EXPECT_EQ(Raw("output", "f_flow_v_min"), "1.50 ");
  EXPECT_EQ(Raw("output", "f_flow_v_max"), "0.00 ");
  EXPECT_EQ(Raw("output", "flow_v_for_pulse"), "150.0000   ");
  EXPECT_NE(ReadFile().find("f_flow_v_max=0.00 \n"), std::string::npos);

  // A save uses the standard form for all three.
  ASSERT_TRUE(SaveProfile(values_, link_, path_));
  EXPECT_EQ(Raw("output", "f_flow_v_min"), "1.5000     ");
  EXPECT_EQ(Raw("output", "f_flow_v_max"), "0.0000     ");
  EXPECT_EQ(Raw("output", "flow_v_for_pulse"), "150.0000   ");
}

TEST_F(ProfileTest, PageIndexOutsideItsTabSetOpensNoPageAndWritesMinusOne) {
  WriteFile(
      "[TAB]\nActivePageIndex1=99\nActivePageIndex2=7\nActivePageIndex4=3\n"
      "ActivePageIndex5=-5\nArchTabEn=1\n");
  Load();

  EXPECT_EQ(values_.pages.main, kNoActivePage);
  EXPECT_EQ(values_.pages.settings, 7);
  EXPECT_EQ(values_.pages.operator_set, kNoActivePage);
  EXPECT_EQ(values_.pages.work, kNoActivePage);
  EXPECT_EQ(values_.pages.arch_tab_en, 1);
  EXPECT_EQ(values_.pages.el_clear_tab_en, 0);
  EXPECT_EQ(Int("TAB", "ActivePageIndex1"), -1);
  EXPECT_EQ(Int("TAB", "ActivePageIndex2"), 7);
  EXPECT_EQ(Int("TAB", "ActivePageIndex4"), -1);
  EXPECT_EQ(Int("TAB", "ActivePageIndex5"), -1);

  // A hidden page of the main set is a valid choice.
  WriteFile("[TAB]\nActivePageIndex1=12\nActivePageIndex4=2\n");
  Load();
  EXPECT_EQ(values_.pages.main, 12);
  EXPECT_EQ(values_.pages.operator_set, 2);
  EXPECT_EQ(Int("TAB", "ActivePageIndex1"), 12);
}

TEST_F(ProfileTest, UserRegistersAreTakenAsStoredAndOnlySaved) {
  WriteFile("[USR_REG_HOLD]\nreg_3=0x1234\nreg_15=70000\n");
  values_.user_registers.changed.fill(true);
  values_.user_registers.words.fill(9);
  Load();

  EXPECT_EQ(values_.user_registers.words[3], 0x1234);
  EXPECT_EQ(values_.user_registers.words[15], 4464);
  EXPECT_EQ(values_.user_registers.words[0], 0);
  for (bool changed : values_.user_registers.changed) EXPECT_FALSE(changed);
  // Untouched by the load: the text stays as typed and no key is added.
  EXPECT_EQ(Raw("USR_REG_HOLD", "reg_3"), "0x1234");
  EXPECT_EQ(Keys().at("USR_REG_HOLD"), (std::set<std::string>{"reg_3", "reg_15"}));

  ASSERT_TRUE(SaveProfile(values_, link_, path_));
  EXPECT_EQ(Keys().at("USR_REG_HOLD").size(), 16U);
  EXPECT_EQ(Int("USR_REG_HOLD", "reg_3"), 0x1234);
  EXPECT_EQ(Int("USR_REG_HOLD", "reg_15"), 4464);
  EXPECT_EQ(Int("USR_REG_HOLD", "reg_7"), 0);
}

TEST_F(ProfileTest, SavedValuesLoadBack) {
  ProfileValues saved;
  saved.pages = {3, 5, 1, 6, 2, 1, 1};
  saved.search = {{1, 0, 1, 0, 1, 0, 1, 0}, 10, 20, 1, 0, 0};
  saved.net_fltype = 2;
  saved.passport = {0, 0x00AB, 0xCDEF, 41, 7, 3, 2021, 12, 31};
  saved.measurement = {1, 2, 3, 4, 1};
  saved.outputs = {2, 3, 5000, 20, 30, -1.25F, 123.5F, 0.001F};
  saved.el_clear_time_val = 600;
  saved.archive = {60, 0, 77};
  saved.error_mask = {0xFFFF, 0x8001};
  for (int i = 0; i < kUserRegisterTableSize; ++i) saved.user_registers.words[i] = 0x1000 + i;
  saved.records = {"/x/izm.log", "/x/modul.log", "/x/all.log", 0, 0, "/x/adc.txt", 0};
  saved.paths = {"/a", "/c", "/i"};
  saved.tx_interval = 25;
  LinkSettings link;
  link.proposed_address = 247;
  link.proposed_baud_code = 10;
  link.proposed_parity_code = 1;
  link.dely = 40;
  ASSERT_TRUE(SaveProfile(saved, link, path_));

  Load();
  EXPECT_EQ(values_.pages.main, 3);
  EXPECT_EQ(values_.pages.settings, 5);
  EXPECT_EQ(values_.pages.operator_set, 1);
  EXPECT_EQ(values_.pages.work, 6);
  EXPECT_EQ(values_.search.baud, saved.search.baud);
  EXPECT_EQ(values_.search.beg, 10);
  EXPECT_EQ(values_.search.end, 20);
  EXPECT_EQ(values_.search.parity_non, 1);
  EXPECT_EQ(values_.search.parity_ev, 0);
  EXPECT_EQ(values_.net_fltype, 2);
  EXPECT_EQ(values_.passport.long_num, 0);
  EXPECT_EQ(values_.passport.num_hi, 0x00AB);
  EXPECT_EQ(values_.passport.num_lo, 0xCDEF);
  EXPECT_EQ(values_.passport.model, 41);
  EXPECT_EQ(values_.passport.year_new, 2021);
  EXPECT_EQ(values_.passport.day_new, 31);
  EXPECT_EQ(values_.measurement.izm_flow_v_ns, 4);
  EXPECT_EQ(values_.measurement.time_stamp_val_corr_en, 1);
  EXPECT_EQ(values_.outputs.f_flow_err, 5000);
  EXPECT_EQ(values_.outputs.pulse_passive_min_t, 30);
  EXPECT_FLOAT_EQ(values_.outputs.f_flow_v_min, -1.25F);
  EXPECT_FLOAT_EQ(values_.outputs.f_flow_v_max, 123.5F);
  // Four decimals in the file: 0.001 survives, finer detail would not.
  EXPECT_FLOAT_EQ(values_.outputs.flow_v_for_pulse, 0.001F);
  EXPECT_EQ(values_.el_clear_time_val, 600);
  EXPECT_EQ(values_.archive.frame_write_interval_sec, 60);
  EXPECT_EQ(values_.archive.frame_write_type, 0);
  EXPECT_EQ(values_.error_mask.izm_flow_v_err_hi_msk, 0xFFFF);
  EXPECT_EQ(values_.error_mask.izm_flow_v_err_lo_msk, 0x8001);
  EXPECT_EQ(values_.user_registers.words, saved.user_registers.words);
  EXPECT_EQ(values_.records.izm_file_name, "/x/izm.log");
  EXPECT_EQ(values_.records.all_izm_file_name, "/x/all.log");
  EXPECT_EQ(values_.records.write_file, 0);
  EXPECT_EQ(values_.records.write_all_izm_file, 0);
  EXPECT_EQ(values_.paths.all_izm_dir, "/a");
  EXPECT_EQ(values_.paths.com_dir, "/c");
  EXPECT_EQ(values_.paths.izm_dir, "/i");
  EXPECT_EQ(values_.tx_interval, 25);
  EXPECT_EQ(link_.proposed_address, 247);
  EXPECT_EQ(link_.proposed_baud_code, 10);
  EXPECT_EQ(link_.proposed_parity_code, 1);
  EXPECT_EQ(link_.dely, 40);

  // Not saved, so a fresh file gives them their defaults; the frame number
  // always starts from 0.
  EXPECT_EQ(values_.records.izm_modul_file_name, dir_ + "/izm_modul.txt");
  EXPECT_EQ(values_.pages.arch_tab_en, 0);
  EXPECT_EQ(values_.pages.el_clear_tab_en, 0);
  EXPECT_EQ(values_.archive.current_frame, 0U);
}

TEST_F(ProfileTest, SaveWritesTheSaveOnlyKeysAndLeavesUnknownKeys) {
  WriteFile("[SET_0]\nSET_0_N=32\n[Mine]\nnote=kept\n[IZM]\nizm_modul_file_name=/m.txt\n");
  values_.pages.main = 4;
  values_.pages.main_tab_index = 2;
  values_.paths.izm_dir = "/records";
  values_.records.adc_name = "/records/adc.txt";
  values_.usr_txt = "changed";
  ASSERT_TRUE(SaveProfile(values_, link_, path_));

  EXPECT_EQ(Int("TAB", "num"), 2);
  EXPECT_EQ(Int("TAB", "ActivePageIndex"), 4);
  EXPECT_EQ(Int("TAB", "ActivePageIndex1"), 4);
  EXPECT_EQ(Int("ADC", "write_file"), 0);
  EXPECT_EQ(Raw("ADC", "adc_name"), "/records/adc.txt");
  EXPECT_EQ(Raw("PATH", "adc_dir"), "/records");
  EXPECT_EQ(Int("IND", "point"), 0);
  EXPECT_EQ(Keys().at("MTR"),
            (std::set<std::string>{"msenstype", "mox", "mcl", "mdest", "mprecis", "mmat", "mdat"}));
  EXPECT_EQ(Int("MTR", "mmat"), 0);
  EXPECT_EQ(Raw("MTR", "mdat"), "");
  EXPECT_EQ(Raw("Definition", "txt1"), "19200");

  const KeySets keys = Keys();
  EXPECT_EQ(keys.count("USR"), 0U);
  EXPECT_EQ(keys.at("TAB").count("ArchTabEn"), 0U);
  EXPECT_EQ(Raw("IZM", "izm_modul_file_name"), "/m.txt");
  EXPECT_EQ(Raw("Mine", "note"), "kept");
  EXPECT_EQ(Int("SET_0", "SET_0_N"), 32);
}

TEST_F(ProfileTest, SaveMakesAReadOnlyProfileWritable) {
  WriteFile("[TX]\nINTERVAL=1\n");
  ASSERT_EQ(chmod(path_.c_str(), 0444), 0);
  values_.tx_interval = 30;
  ASSERT_TRUE(SaveProfile(values_, link_, path_));
  EXPECT_EQ(Int("TX", "INTERVAL"), 30);
  EXPECT_NE(fs::status(path_).permissions() & fs::perms::owner_write, fs::perms::none);
}

TEST_F(ProfileTest, MissingWorkingDirectoryIsCreatedForTheRecords) {
  const std::string work = dir_ + "/work";
  LoadProfile(values_, link_, path_, work);
  EXPECT_TRUE(fs::is_directory(work));
  EXPECT_EQ(values_.records.izm_file_name, work + "/izm.txt");
  EXPECT_EQ(values_.paths.izm_dir, work);
  EXPECT_EQ(DefaultProfilePath(work), work + "/recent.prf");
}

TEST_F(ProfileTest, NumbersUseADotUnderACommaLocale) {
  const std::string previous = std::setlocale(LC_ALL, nullptr);
  if (std::setlocale(LC_ALL, "ru_RU.UTF-8") == nullptr) GTEST_SKIP() << "no ru_RU.UTF-8";
  WriteFile("[output]\nf_flow_v_max=12.5\nflow_v_for_pulse=2,5\n");
  Load();
  const float f_flow_v_max = values_.outputs.f_flow_v_max;
  const float flow_v_for_pulse = values_.outputs.flow_v_for_pulse;
  const std::string loaded_text = Raw("output", "f_flow_v_max");
  const bool saved = SaveProfile(values_, link_, path_);
  const std::string saved_text = Raw("output", "f_flow_v_max");
  std::setlocale(LC_ALL, previous.c_str());

  EXPECT_FLOAT_EQ(f_flow_v_max, 12.5F);
  EXPECT_FLOAT_EQ(flow_v_for_pulse, 2.0F);  // the scan stops at the comma
  EXPECT_EQ(loaded_text, "12.50");
  EXPECT_TRUE(saved);
  EXPECT_EQ(saved_text, "12.5000    ");
}

// UTF-16 little-endian of an ASCII text, as Notepad's "Unicode" saves it.
std::string Utf16(const std::string& ascii, bool with_mark) {
  std::string bytes = with_mark ? "\xFF\xFE" : "";
  for (const char c : ascii) {
    bytes.push_back(c);
    bytes.push_back('\0');
  }
  return bytes;
}

TEST_F(ProfileTest, OnlyTextHoldingAProfileSectionCanBeLoaded) {
  const std::string kNotText = "файл не текстовый (возможно, он записан в кодировке UTF-16)";
  const std::string kNoSection = "в файле нет ни одного раздела профиля настроек";
  const struct {
    const char* what;
    std::string bytes;
    std::string cause;
  } cases[] = {
      {"UTF-16 with its mark", Utf16("[Seach]\r\nbeg=4\r\n", true), kNotText},
      {"UTF-16 without a mark", Utf16("[Seach]\r\nbeg=4\r\n", false), kNotText},
      {"NUL bytes after a section", std::string("[TAB]\nnum=0\n\0\0", 14), kNotText},
      {"a recalculation program", "[PGM_OP_COD]\nop_0=0xa3\n", kNoSection},
      {"notes", "просто заметки\nbeg=4\n", kNoSection},
      {"an empty file", "", kNoSection},
      {"one section", "[Seach]\nbeg=4\n", ""},
      {"a section without keys", "[TAB]\n", ""},
      {"another spelling, mark, CRLF", "\xEF\xBB\xBF[ seach ]\r\nbeg=4\r\n", ""},
      {"a Windows code page", "[USR]\nusr_txt=\xCA\xDE\xD0 20MB\n", ""},
  };
  for (const auto& c : cases) {
    WriteFile(c.bytes);
    EXPECT_EQ(ProfileUnreadableCause(path_), c.cause) << c.what;
  }
}

TEST_F(ProfileTest, ANameTakenByAFolderOrAFifoCannotBeLoadedAndAMissingOneCan) {
  EXPECT_EQ(ProfileUnreadableCause(path_), "");
  EXPECT_FALSE(fs::exists(path_));
  EXPECT_EQ(ProfileUnreadableCause(dir_), "под этим именем находится папка");
  const std::string fifo = dir_ + "/fifo.prf";
  ASSERT_TRUE(test::MakeFifo(fifo));
  std::string cause;
  ASSERT_TRUE(test::ReturnsWithoutWaiting(fifo, [&] { cause = ProfileUnreadableCause(fifo); }));
  EXPECT_EQ(cause, "под этим именем находится не обычный файл");
  if (geteuid() != 0) {  // root reads through permission bits
    WriteFile("[Seach]\nbeg=4\n");
    ASSERT_EQ(chmod(path_.c_str(), 0), 0);
    EXPECT_EQ(ProfileUnreadableCause(path_), "нет прав на чтение");
  }
}

}  // namespace
}  // namespace qmx
