#include "storage/recalc_program.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <clocale>
#include <filesystem>
#include <fstream>
#include <string>

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
  std::string Raw(const char* section, const std::string& key) const {
    return IniFile(path_).ReadRawString(section, key, "<missing>");
  }

  std::string dir_;
  std::string path_;
  RecalcProgram program_;
};

TEST_F(RecalcProgramTest, CodesAreHexWithOrWithoutPrefixAndAreNormalised) {
  WriteFile(
      "[PGM_OP_COD]\nop_0=0xa3\nop_3=a3\nop_4=zz\nop_5=0X1F\nop_6=12345\nop_7=-1\n"
      "op_8=0x\nop_9=3g\n");
  program_.op.fill(0x5555);
  LoadRecalcProgram(program_, path_);

  EXPECT_EQ(program_.op[0], 0x00A3);
  EXPECT_EQ(program_.op[3], 0x00A3);
  EXPECT_EQ(program_.op[4], 0);
  EXPECT_EQ(program_.op[5], 0x001F);
  EXPECT_EQ(program_.op[6], 0x2345);  // low 16 bits
  EXPECT_EQ(program_.op[7], 0);       // a sign is not a hex digit
  EXPECT_EQ(program_.op[8], 0);
  EXPECT_EQ(program_.op[9], 3);
  EXPECT_EQ(program_.op[31], 0);  // missing: "0.0" scans as 0
  EXPECT_EQ(Raw("PGM_OP_COD", "op_3"), "0x00a3");
  EXPECT_EQ(Raw("PGM_OP_COD", "op_5"), "0x001f");
  EXPECT_EQ(Raw("PGM_OP_COD", "op_4"), "0x0000");
  EXPECT_EQ(Raw("PGM_OP_COD", "op_31"), "0x0000");
}

TEST_F(RecalcProgramTest, ConstantsAreDoublesWrittenBackAsSingleFloats) {
  WriteFile(
      "[PGM_CONST]\nconst_0=2.5\nconst_1=1.5E2\nconst_2=abc\nconst_3=0.1\nconst_4=-3.25e-1\n"
      "const_5=1e300\n");
  LoadRecalcProgram(program_, path_);

  EXPECT_EQ(program_.constants[0], 2.5);
  EXPECT_EQ(program_.constants[1], 150.0);
  EXPECT_EQ(program_.constants[2], 0.0);
  EXPECT_EQ(program_.constants[3], 0.1);  // kept as the double read
  EXPECT_EQ(program_.constants[4], -0.325);
  EXPECT_EQ(program_.constants[5], 1e300);
  EXPECT_EQ(program_.constants[15], 0.0);
  EXPECT_EQ(Raw("PGM_CONST", "const_0"), "2.5000     ");
  EXPECT_EQ(Raw("PGM_CONST", "const_1"), "150.0000   ");
  EXPECT_EQ(Raw("PGM_CONST", "const_2"), "0.0000     ");
  EXPECT_EQ(Raw("PGM_CONST", "const_3"), "0.1000     ");
  EXPECT_EQ(Raw("PGM_CONST", "const_4"), "-0.3250    ");
  // Beyond the single range the instrument would get an infinity.
  EXPECT_EQ(Raw("PGM_CONST", "const_5"), "inf        ");
  EXPECT_EQ(Raw("PGM_CONST", "const_15"), "0.0000     ");
}

TEST_F(RecalcProgramTest, MissingFileIsCreatedWithEveryKey) {
  program_.constants.fill(7.0);
  LoadRecalcProgram(program_, path_);
  EXPECT_EQ(program_.op, (std::array<uint16_t, kRecalcOpCount>{}));
  EXPECT_EQ(program_.constants, (std::array<double, kRecalcConstCount>{}));
  for (int i = 0; i < kRecalcOpCount; ++i) {
    EXPECT_EQ(Raw("PGM_OP_COD", "op_" + std::to_string(i)), "0x0000") << i;
  }
  for (int i = 0; i < kRecalcConstCount; ++i) {
    EXPECT_EQ(Raw("PGM_CONST", "const_" + std::to_string(i)), "0.0000     ") << i;
  }
}

TEST_F(RecalcProgramTest, ConstantsUseADotUnderACommaLocale) {
  const std::string previous = std::setlocale(LC_ALL, nullptr);
  if (std::setlocale(LC_ALL, "ru_RU.UTF-8") == nullptr) GTEST_SKIP() << "no ru_RU.UTF-8";
  WriteFile("[PGM_CONST]\nconst_0=1.5E2\n");
  LoadRecalcProgram(program_, path_);
  const std::string text = Raw("PGM_CONST", "const_0");
  std::setlocale(LC_ALL, previous.c_str());
  EXPECT_EQ(program_.constants[0], 150.0);
  EXPECT_EQ(text, "150.0000   ");
}

}  // namespace
}  // namespace qmx
