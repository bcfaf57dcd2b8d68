#include "blocks/measured_values.h"

#include <gtest/gtest.h>

#include <array>

#include "sim/register_map.h"

namespace qmx {
namespace {

using Block = std::array<uint16_t, kMeasuredBlockCount>;

template <size_t N>
void Put(Block& block, uint16_t reg, const std::array<uint16_t, N>& words) {
  for (size_t i = 0; i < N; ++i) block[reg - kMeasuredBlockStart + i] = words[i];
}

TEST(MeasuredDecodeTest, FloatsFollowTheByteOrderOfRegister261) {
  for (unsigned code = 0; code < 4; ++code) {
    SCOPED_TRACE(code);
    Block block{};
    block[261 - kMeasuredBlockStart] = static_cast<uint16_t>(code << 8 | 2);
    Put(block, 256, sim::FloatWords(1.5f, code));
    Put(block, 278, sim::FloatWords(-250.25f, code));
    MeasuredValues v;
    DecodeMeasuredBlock(block.data(), v);
    EXPECT_EQ(v.flow, 1.5f);
    EXPECT_EQ(v.pressure, -250.25f);
    EXPECT_EQ(v.flow_unit_code(), 2u);
  }
}

TEST(MeasuredDecodeTest, DoublesLongsAndInvalidFloats) {
  Block block{};
  Put(block, 281, sim::DoubleWords(-1234.5625));
  Put(block, 293, sim::DoubleWords(1e12));
  Put(block, 301, std::array<uint16_t, 2>{0x1234, 0x5678});
  Put(block, 266, std::array<uint16_t, 2>{0x7FC0, 0x0000});  // NaN
  MeasuredValues v;
  v.pipe_temperature = 20.0f;
  DecodeMeasuredBlock(block.data(), v);
  EXPECT_EQ(v.volume_total, -1234.5625);
  EXPECT_EQ(v.volume_modulus, 1e12);
  EXPECT_EQ(v.accumulation_time_s, 0x12345678u);
  EXPECT_EQ(v.pipe_temperature, 0.0f);
}

TEST(MeasuredTextTest, FlowStateItemsInTheirOrder) {
  EXPECT_EQ(FlowStateText(0x2000, 0), " Обслужив. ");
  EXPECT_EQ(FlowStateText(0x0001, 0x1000), " SENS_NO_PARAM  EMPTY_PIPE ");
  EXPECT_EQ(FlowStateText(0x6001, 0xFFFF),
            " Обслужив. Очист. электродов  SENS_NO_PARAM  АЦП Сенс. НПИ ВПИ PWR Float EEPROM "
            "PGM_EEPROM BED_IZM BED_SUBST EMPTY_PIPE NOISE_ERR SENS_NO_RPL SENS_TO_TECH ");
  // Bits the program has no name for still make the error state.
  EXPECT_EQ(FlowStateText(0x0080, 0x0100), " ");
}

TEST(MeasuredTextTest, QuantityAndVolumeItems) {
  EXPECT_EQ(QuantityErrorText(0x0006, true), " ВПИ НПИ ");
  EXPECT_EQ(QuantityErrorText(0x0006), " НПИ ВПИ ");
  EXPECT_EQ(QuantityErrorText(0x8011), " АЦП Сенс. Не измеряется ");
  EXPECT_EQ(VolumeErrorText(0xFFFF),
            " АЦП Сенс. НПИ ВПИ PWR Float EEPROM PGM_EEPROM BED_IZM BED_SUBST EMPTY_PIPE "
            "NOISE_ERR Не измеряется ");
}

class ShowTest : public ::testing::Test {
 protected:
  ShowTest() { v_.read = true; }
  void Show(uint16_t status = 0) { ShowMeasuredValues(v_, status, c_); }
  MeasuredValues v_;
  MapControls c_;
};

TEST_F(ShowTest, NormalFlowAndCutOff) {
  v_.flow = 12.5f;
  v_.relative_flow = 65535;
  Show();
  EXPECT_EQ(c_.Text("Panel1"), "12.5000    ");
  EXPECT_EQ(c_.Text("Panel2"), "65535");
  EXPECT_EQ(c_.Text("Panel3"), "100.00 %");
  EXPECT_EQ(c_.Text("Memo1"), "Нормальное измерение");

  v_.flow_state = kFlowStateCutOff | 0x0001;  // SENS_NO_PARAM alone is no error
  Show();
  for (const char* name : {"Panel5", "Memo1"}) {
    EXPECT_EQ(c_.Text(name), "Нормальное измерение, отсечка") << name;
    EXPECT_EQ(c_.Color(name), kColorLightGreen) << name;
  }
  EXPECT_EQ(c_.Color("Panel1"), kColorLightGreen);
  EXPECT_EQ(c_.Color("Panel116"), kColorWhite);
  EXPECT_EQ(c_.Color("Panel2"), kColorWhite);
}

TEST_F(ShowTest, FlowErrorStateHidesTheCutOffAndColoursTheCompactField) {
  v_.flow_state = kFlowStateCutOff;
  Show();
  v_.flow_state = 0x2000 | kFlowStateCutOff;
  Show();
  for (const char* name : {"Panel1", "Panel116", "Panel2", "Panel3", "Panel5", "Memo1"}) {
    EXPECT_EQ(c_.Color(name), kColorYellow) << name;
  }
  EXPECT_EQ(c_.Text("Panel5"), " Обслужив. ");
  EXPECT_EQ(c_.Text("Memo1"), " Обслужив. ");
}

TEST_F(ShowTest, QuantitiesInErrorAndNotMeasured) {
  v_.pressure = 250.25f;
  v_.pressure_error = 0x0006;
  v_.pipe_temperature = 21.5f;
  v_.process_temperature2_error = kErrorNotMeasured;
  Show();
  EXPECT_EQ(c_.Text("Panel51"), "250.2500   ");
  EXPECT_EQ(c_.Text("Panel53"), " ВПИ НПИ ");
  EXPECT_EQ(c_.Color("Panel51"), kColorYellow);
  EXPECT_EQ(c_.Text("Panel4"), "21.50");
  EXPECT_EQ(c_.Text("Panel44"), "Нормальное измерение");
  EXPECT_EQ(c_.Text("Panel61"), " Не измеряется ");
  EXPECT_EQ(c_.Color("Panel60"), kColorButtonFace);
  EXPECT_EQ(c_.Color("Panel61"), kColorButtonFace);
}

TEST_F(ShowTest, UnitsKeepTheirTextOnUnknownCodes) {
  c_.SetText("Label11", "UNIT");
  c_.SetText("Label47", "UNIT");
  v_.flow_unit_word = 0x0107;
  v_.volume_unit_word = 0x0002;
  Show();
  EXPECT_EQ(c_.Text("Label11"), "UNIT");
  EXPECT_EQ(c_.Text("Label399"), "UNIT");
  EXPECT_EQ(c_.Text("Label435"), "UNIT");
  v_.flow_unit_word = 0x0102;
  v_.volume_unit_word = 0x0001;
  Show();
  EXPECT_EQ(c_.Text("Label399"), "м куб/час");
  EXPECT_EQ(c_.Text("Label435"), "литр");
}

TEST_F(ShowTest, VolumesTimesAndTheirErrorState) {
  v_.volume_forward = 1523.4567;
  v_.accumulation_time_s = 1209600;
  v_.operating_time_s = 172800;
  Show();
  EXPECT_EQ(c_.Text("Label319"), "1523.4567               ");
  EXPECT_EQ(c_.Text("Label445"), "1209600 c");
  EXPECT_EQ(c_.Text("Label340"), "172800");
  EXPECT_EQ(c_.Text("Label447"), "2 cуток");
  EXPECT_EQ(c_.Text("Panel63"), "Нормальное измерение");
  v_.operating_time_s = 86399;
  Show();
  EXPECT_EQ(c_.Text("Label447"), "0 cуток");

  // In the error state the values go into the panels; labels stay.
  v_.volume_forward = 7.0;
  v_.operating_time_s = 900000;
  v_.volume_error = 0x8001;
  Show();
  EXPECT_EQ(c_.Text("Panel76"), "7.0000                  ");
  EXPECT_EQ(c_.Text("Label441"), "1523.4567               ");
  EXPECT_EQ(c_.Text("Label447"), "0 cуток");
  EXPECT_EQ(c_.Text("Panel63"), " Сенс. Не измеряется ");
  EXPECT_EQ(c_.Color("Panel62"), kColorButtonFace);
  EXPECT_EQ(c_.Color("Panel63"), kColorButtonFace);
  EXPECT_EQ(c_.Color("Panel76"), kColorYellow);
}

TEST_F(ShowTest, ExchangeStateAndKeys) {
  v_.state_word = kKeyNextItem | kDiscreteOutput1 | kWriteProtection;
  Show(0x8000);
  EXPECT_EQ(c_.Text("Panel6"), "Ошибка в обмене");
  EXPECT_EQ(c_.Color("Panel6"), kColorYellow);
  for (const char* on : {"Panel7", "Panel11", "Panel113"})
    EXPECT_EQ(c_.Color(on), kColorGreen) << on;
  for (const char* off : {"Panel8", "Panel9", "Panel10", "Panel41"}) {
    EXPECT_EQ(c_.Color(off), kColorButtonFace) << off;
  }
  v_.state_word = 0;
  Show(0);
  EXPECT_EQ(c_.Text("Panel6"), "Нормальный обмен");
  EXPECT_EQ(c_.Color("Panel6"), kColorButtonFace);
  EXPECT_EQ(c_.Color("Panel113"), kColorButtonFace);
}

}  // namespace
}  // namespace qmx
