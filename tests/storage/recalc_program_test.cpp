#include "storage/recalc_program.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <clocale>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "storage/ini_file.h"

namespace qmx {
namespace {

class RecalcProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/qmx_recalc_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    path_ = dir_ + "/program.pgm";
  }
  void TearDown() override {
    std::error_code error;
    std::filesystem::remove_all(dir_, error);
  }

  void WriteFile(const std::string& text) { std::ofstream(path_, std::ios::binary) << text; }
  std::string FileText() const {
    std::ostringstream text;
    text << std::ifstream(path_, std::ios::binary).rdbuf();
    return text.str();
  }
  std::string Raw(const char* section, const std::string& key) const {
    return IniFile(path_).ReadRawString(section, key, "<missing>");
  }

  std::string dir_;
  std::string path_;
  RecalcProgram program_;
};

TEST_F(RecalcProgramTest, LoadTakesWhatTheFileHoldsAndRewritesNothing) {
  const struct {
    bool code;
    int index;
    const char* text;
    double value;
  } cases[] = {{true, 0, "0xa3", 0x00A3},
               {true, 3, "a3", 0x00A3},
               {true, 4, "zz", 0},
               {true, 6, "12345", 0x2345},
               {false, 0, "2.5", 2.5},
               {false, 2, "abc", 0.0},
               {false, 5, "1e30", 1e30},  // a single float holds it
               {false, 7, "-2e7", -2e7},
               {false, 8, "1e-50", 1e-50},  // below the smallest single: it arrives as 0
               {false, 6, "0.00366099", 0.00366099}};
  const auto section = [](bool code) { return code ? "PGM_OP_COD" : "PGM_CONST"; };
  const auto key = [](bool code, int i) { return (code ? "op_" : "const_") + std::to_string(i); };
  for (const auto& c : cases)
    IniFile(path_).WriteString(section(c.code), key(c.code, c.index), c.text);
  program_.op.fill(0x5555);
  program_.constants.fill(7.0);
  EXPECT_EQ(LoadRecalcProgram(program_, path_), RecalcFileStatus::kLoaded);
  for (const auto& c : cases) {
    EXPECT_EQ(c.code ? program_.op[c.index] : program_.constants[c.index], c.value) << c.text;
    EXPECT_EQ(Raw(section(c.code), key(c.code, c.index)), c.text);
  }
  // Missing keys give 0 and are added.
  EXPECT_EQ(program_.op[31], 0);
  EXPECT_EQ(program_.constants[15], 0.0);
  EXPECT_EQ(Raw("PGM_OP_COD", "op_31"), "0x0000");
  EXPECT_EQ(Raw("PGM_CONST", "const_15"), "0");
}

TEST_F(RecalcProgramTest, FileThatCannotBeReadOrHoldsNoProgramChangesNothing) {
  program_.op[1] = 0x1234;
  const RecalcProgram held = program_;
  EXPECT_EQ(LoadRecalcProgram(program_, path_), RecalcFileStatus::kNotOpened);
  EXPECT_FALSE(std::filesystem::exists(path_));
  EXPECT_EQ(LoadRecalcProgram(program_, dir_), RecalcFileStatus::kNotOpened);
  const std::string profile = "[TAB]\nnum=0\n[PGM_CONST]\nother=1\n";
  WriteFile(profile);
  EXPECT_EQ(LoadRecalcProgram(program_, path_), RecalcFileStatus::kNoProgram);
  EXPECT_EQ(FileText(), profile);
  EXPECT_EQ(program_, held);
}

TEST_F(RecalcProgramTest, SaveThenLoadGivesTheSameProgram) {
  for (int i = 0; i < kRecalcOpCount; ++i) program_.op[i] = static_cast<uint16_t>(0x0F0F * i);
  const double constants[] = {0.00366099, 273.15, 1e-7, 4e-7f, -0.1f, 3.4028234663852886e38};
  for (int i = 0; i < 6; ++i) program_.constants[i] = constants[i];
  WriteFile("[PGM_CONST]\nconst_0=9\nnote=x\n");
  ASSERT_TRUE(SaveRecalcProgram(program_, path_));
  EXPECT_EQ(Raw("PGM_OP_COD", "op_11"), "0xa5a5");
  EXPECT_EQ(Raw("PGM_CONST", "const_0"), "0.00366099");
  EXPECT_EQ(Raw("PGM_CONST", "note"), "x");
  RecalcProgram loaded;
  ASSERT_EQ(LoadRecalcProgram(loaded, path_), RecalcFileStatus::kLoaded);
  // What reaches the instrument: the codes and each constant as a single
  // float (a single read from it is saved as its shortest single text).
  EXPECT_EQ(loaded.op, program_.op);
  for (int i = 0; i < kRecalcConstCount; ++i) {
    EXPECT_EQ(static_cast<float>(loaded.constants[i]), static_cast<float>(program_.constants[i]))
        << i;
  }
  EXPECT_EQ(Raw("PGM_CONST", "const_4"), "-0.1");
  EXPECT_FALSE(SaveRecalcProgram(program_, dir_ + "/no/such/dir.pgm"));
}

TEST_F(RecalcProgramTest, NumbersUseADotUnderACommaLocale) {
  const std::string previous = std::setlocale(LC_ALL, nullptr);
  if (std::setlocale(LC_ALL, "ru_RU.UTF-8") == nullptr) GTEST_SKIP() << "no ru_RU.UTF-8";
  program_.constants[0] = 2.5;
  const bool saved = SaveRecalcProgram(program_, path_);
  const std::string text = Raw("PGM_CONST", "const_0");
  WriteFile("[PGM_CONST]\nconst_0=1.5E2\n");
  LoadRecalcProgram(program_, path_);
  std::setlocale(LC_ALL, previous.c_str());
  EXPECT_TRUE(saved);
  EXPECT_EQ(text, "2.5");
  EXPECT_EQ(program_.constants[0], 150.0);
}

TEST_F(RecalcProgramTest, ConstantsTheInstrumentCannotHoldRefuseTheWholeFileByKey) {
  const struct {
    const char* text;
    bool refused;
  } cases[] = {{"1e308", true},      {"nan", true},      {"-inf", true},      {"INF", true},
               {"1e400", true},      {"-3.5e38", true},  {"3.5E38xyz", true}, {"2e7", false},
               {"1e30", false},      {"-3.4e38", false}, {"1e-400", false},   {"abc", false},
               {"0.00366099", false}};
  for (const auto& c : cases) {
    // The constant sits among good keys of both sections.
    std::ostringstream text;
    text << "[PGM_OP_COD]\nop_0=0xa3\n[PGM_CONST]\nconst_0=2.5\nconst_3=" << c.text
         << "\nconst_9=" << c.text << "\n";
    const std::string file = text.str();
    WriteFile(file);
    program_ = RecalcProgram{};
    program_.constants[0] = 7.0;
    const RecalcProgram held = program_;
    std::vector<std::string> refused;
    const RecalcFileStatus status = LoadRecalcProgram(program_, path_, &refused);
    if (c.refused) {
      EXPECT_EQ(status, RecalcFileStatus::kRefusedConstants) << c.text;
      EXPECT_EQ(refused, (std::vector<std::string>{"const_3", "const_9"})) << c.text;
      EXPECT_EQ(program_, held) << c.text;
      // Not even the missing keys are added.
      EXPECT_EQ(FileText(), file) << c.text;
    } else {
      EXPECT_EQ(status, RecalcFileStatus::kLoaded) << c.text;
      EXPECT_TRUE(refused.empty()) << c.text;
      EXPECT_EQ(program_.op[0], 0xA3) << c.text;
      EXPECT_EQ(program_.constants[0], 2.5) << c.text;
      EXPECT_EQ(program_.constants[3], program_.constants[9]) << c.text;
      EXPECT_TRUE(std::isfinite(program_.constants[3])) << c.text;
    }
  }
}

}  // namespace
}  // namespace qmx
