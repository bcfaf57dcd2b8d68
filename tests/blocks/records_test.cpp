#include <gtest/gtest.h>
#include <locale.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "blocks/measurement_records.h"
#include "link/clock.h"

namespace qmx {
namespace {

class RecordsTest : public ::testing::Test {
 protected:
  RecordsTest() {
    char pattern[] = "/tmp/qmx-records-XXXXXX";
    if (mkdtemp(pattern) != nullptr) dir_ = pattern;
    files_.izm_file_name = dir_ + "/izm.txt";
    files_.izm_modul_file_name = dir_ + "/izm_modul.txt";
    files_.all_izm_file_name = dir_ + "/all_izm.txt";
  }
  ~RecordsTest() override { std::filesystem::remove_all(dir_); }

  static std::string Read(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  std::string dir_;
  RecordFiles files_;
  VirtualClock clock_{{2031, 12, 31, 23, 59, 59, 0}};
};

TEST_F(RecordsTest, LinesKeepTheirFormatWhateverTheDesktopLocale) {
  // A desktop with a comma decimal point must not leak into the files.
  const char* applied = setlocale(LC_NUMERIC, "ru_RU.UTF-8");
  MeasuredValues v;
  v.flow = -0.5f;
  v.relative_flow = 65535;
  v.flow_error = 0xBEEF;
  v.pipe_temperature = -3.25f;
  v.state_word = 0xFFFF;
  const LocalTime t{2031, 1, 2, 3, 4, 5, 0};
  EXPECT_EQ(MeasurementRecordLine(t, v),
            "02 01 2031 03 04 05  IZM_FLOW_V=    -0.5000 IZM_FLOW_V_OTN=65535 "
            "IZM_FLOW_V_ERR_HI=0000  IZM_FLOW_V_ERR_LO=beef IZM_TEMP=      -3.25  "
            "IZM_TEMP_ERR=0000 IZM_P_KPA=       0.00 IZM_P_KPA_ERR=0000 IZM_FLOW_VEL=       0.00 "
            "IZM_FLOW_VEL_ERR=0000 IZM_BT=00ff REL_FLAGS=007f \n");
  ModuleData m;
  m.flow = 1234567.0f;
  m.error_hi = 0x00AB;
  m.error_lo = 0x1001;
  EXPECT_EQ(ModuleRecordLine(t, m),
            "02 01 2031 03 04 05  IZM_FLOW_V=1234567.0000 IZM_FLOW_V_ERR_HI=00ab  "
            "IZM_FLOW_V_ERR_LO=1001 \n");
  if (applied != nullptr) setlocale(LC_NUMERIC, "C");
}

TEST_F(RecordsTest, EachKindAppendsToItsOwnFileWithItsOwnStamp) {
  MeasuredValues v;
  ModuleData m;
  EXPECT_TRUE(WriteMeasurementRecord(files_, RecordKind::kMeasurement, clock_, v));
  clock_.Advance(1000);  // into the next year
  EXPECT_TRUE(WriteMeasurementRecord(files_, RecordKind::kMeasurement, clock_, v));
  EXPECT_TRUE(WriteMeasurementRecord(files_, RecordKind::kProcessingResults, clock_, v));
  EXPECT_TRUE(WriteMeasurementRecord(files_, clock_, m));
  const LocalTime before{2031, 12, 31, 23, 59, 59, 0};
  EXPECT_EQ(Read(files_.izm_file_name),
            MeasurementRecordLine(before, v) + MeasurementRecordLine(clock_.LocalNow(), v));
  EXPECT_EQ(Read(files_.all_izm_file_name), MeasurementRecordLine(clock_.LocalNow(), v));
  EXPECT_EQ(Read(files_.izm_modul_file_name), ModuleRecordLine(clock_.LocalNow(), m));
}

TEST_F(RecordsTest, RecordingOffTouchesNothingAndAMissingFolderFails) {
  MeasuredValues v;
  for (uint16_t off : {0, 2}) {
    files_.write_file = off;
    EXPECT_TRUE(WriteMeasurementRecord(files_, RecordKind::kMeasurement, clock_, v));
    EXPECT_TRUE(WriteMeasurementRecord(files_, clock_, ModuleData{}));
  }
  EXPECT_TRUE(std::filesystem::is_empty(dir_));
  files_.write_file = 1;
  files_.izm_file_name = dir_ + "/no/such/folder.txt";
  EXPECT_FALSE(WriteMeasurementRecord(files_, RecordKind::kMeasurement, clock_, v));
  EXPECT_TRUE(std::filesystem::is_empty(dir_));
}

}  // namespace
}  // namespace qmx
