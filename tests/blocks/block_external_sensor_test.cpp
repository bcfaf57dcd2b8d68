// The external sensor's pages: its readouts, measurement parameters and
// calibration, read from and written to the virtual instrument.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "block_fixture.h"
#include "blocks/external_sensor.h"
#include "operator/dialogs.h"
#include "registers/input_parsing.h"

namespace qmx::test {
namespace {

using ::testing::_;
using ::testing::ElementsAre;

constexpr char kNoAnswer[] = "Ответа не было.";

class ExternalSensorTest : public BlockTest {
 protected:
  void SetWords(uint16_t reg, std::vector<uint16_t> words) {
    for (size_t i = 0; i < words.size(); ++i) meter_.Set(static_cast<uint16_t>(reg + i), words[i]);
  }
  void Restart() {
    bus_.ClearJournal();
    dialogs_.Clear();
  }
};

// Every value of the four reads: the registers it comes from, the field that
// shows it and how.
TEST_F(ExternalSensorTest, ReadsShowEachRegisterInItsField) {
  const struct {
    uint16_t reg;
    std::vector<uint16_t> words;
    const char* control;
    const char* text;
  } fields[] = {
      {525, {0x43CE, 0x4000}, "Panel66", "412.5000   "},
      {529, {0x41A0, 0x0000}, "Panel65", "20.0000    "},
      {512, {0x0012, 0x3456}, "Panel69", "12 ' 3456"},
      {514, {0x0000, 0xFFFF}, "Panel70", "FFFF"},
      {516, {0x0001, 0x0000}, "Panel71", "1 ' 0000"},
      {518, {0x00A0}, "Panel75", "00A0"},
      {519, {0x3FC0, 0x0000}, "Panel72", "1.5000     "},
      {522, {0x42D6, 0x0000}, "Panel73", "107.0000   "},
      {1930, {2}, "ComboBox32", "МПа"},
      {1931, {0x3F80, 0x0000}, "Edit9", "1.0000     "},
      {1933, {0x4000, 0x0000}, "Edit8", "2.0000     "},
      {1935, {0x4040, 0x0000}, "Edit11", "3.0000     "},
      {1937, {0x4080, 0x0000}, "Edit10", "4.0000     "},
      {1939, {0x40A0, 0x0000}, "Edit15", "5.0000     "},
      {1941, {0x40C0, 0x0000}, "Edit16", "6.0000     "},
      {1943, {0x40E0, 0x0000}, "Edit96", "7.0000     "},
      {1945, {0x4100, 0x0000}, "Edit97", "8.0000     "},
      {1921, {0x5678, 0x1234}, "Edit12", "1234 ' 5678"},
      {1923, {0x4020, 0x0000}, "Edit13", "2.500000E+00"},
      {1948, {0xCDEF, 0x0001}, "Edit103", "1 ' CDEF"},
      {1984, {0x1000, 0x0003}, "Edit104", "3 ' 1000"},
      {1986, {0x42C8, 0x0000}, "Edit14", "1.000000E+02"},
      {1988, {0x2000, 0x0005}, "Edit105", "5 ' 2000"},
      {1990, {0x430A, 0x8000}, "Edit106", "1.385000E+02"},
  };
  for (const auto& f : fields) SetWords(f.reg, f.words);
  meter_.Set(1947, 1);
  EXPECT_EQ(Button55Click(ctx_), BlockOutcome::kDone);
  EXPECT_EQ(Button56Click(ctx_), BlockOutcome::kDone);
  EXPECT_EQ(Button58Click(ctx_), BlockOutcome::kDone);
  EXPECT_EQ(Button59Click(ctx_), BlockOutcome::kDone);
  EXPECT_THAT(Journal(), ElementsAre("read 525 x7", "read 1930 x18", "read 512 x13", "read 1921 x6",
                                     "read 1948 x2", "read 1984 x8"));
  EXPECT_THAT(dialogs_.texts(), ElementsAre(kSensorMeasuredReadText, kSensorParametersReadText,
                                            kSensorAdcReadText, kSensorCalibrationReadText));
  for (const auto& f : fields) EXPECT_EQ(controls_.Text(f.control), f.text) << f.control;
  EXPECT_TRUE(controls_.Checked("CheckBox7"));
}

TEST_F(ExternalSensorTest, WritesSendWhatTheFieldsHoldAndStopAtAFailedHalf) {
  ASSERT_EQ(Button56Click(ctx_), BlockOutcome::kDone);
  ASSERT_EQ(Button59Click(ctx_), BlockOutcome::kDone);
  controls_.SetItemIndex("ComboBox32", 2);
  controls_.SetChecked("CheckBox7", false);
  controls_.SetText("Edit8", "2.5");
  controls_.SetText("Edit12", "ff'ff'ff");
  controls_.SetText("Edit13", "2.5");
  controls_.SetText("Edit103", "1 ' 0000");
  Restart();
  Yes(2);
  EXPECT_EQ(Button57Click(ctx_), BlockOutcome::kDone);
  EXPECT_EQ(Button60Click(ctx_), BlockOutcome::kDone);
  EXPECT_THAT(dialogs_.texts(),
              ElementsAre(kSensorParametersQuestion, kSensorParametersWrittenText,
                          kSensorCalibrationQuestion, kSensorCalibrationWrittenText));
  // Unlock, block, lock twice: no state word is read for either write.
  ASSERT_EQ(Journal().size(), 7u);
  EXPECT_EQ(Journal().front(), "write 1278 x2 = 1, 1");
  EXPECT_GE(Gap(5), 400);  // between the two halves of the calibration
  EXPECT_THAT(meter_.Get(1921, 6), ElementsAre(0xFFFF, 0x00FF, 0x4020, 0x0000, 0x0000, 0x0001));
  EXPECT_THAT(meter_.Get(1930, 5), ElementsAre(2, _, _, 0x4020, 0x0000));
  EXPECT_EQ(meter_.Get(1947), 0);

  // A1_0 comes back from its second place as it was written.
  controls_.SetText("Edit103", "");
  ASSERT_EQ(Button59Click(ctx_), BlockOutcome::kDone);
  EXPECT_EQ(controls_.Text("Edit103"), "1 ' 0000");

  // The first half unanswered: the second is not sent.
  Restart();
  FaultOnRequest(2, NoAnswer());
  Yes();
  EXPECT_EQ(Button60Click(ctx_), BlockOutcome::kFailed);
  EXPECT_THAT(dialogs_.texts(), ElementsAre(kSensorCalibrationQuestion, kNoAnswer));
  for (const std::string& line : Journal()) EXPECT_EQ(line.find("1984"), std::string::npos);
}

TEST_F(ExternalSensorTest, AUnitCodeThePageDoesNotKnowIsNeverWrittenAsAnother) {
  meter_.Set(1930, 1);
  ASSERT_EQ(Button56Click(ctx_), BlockOutcome::kDone);
  EXPECT_EQ(controls_.ItemIndex("ComboBox32"), 1);
  meter_.Set(1930, 3);
  ASSERT_EQ(Button56Click(ctx_), BlockOutcome::kDone);
  EXPECT_EQ(controls_.ItemIndex("ComboBox32"), -1);
  bus_.ClearJournal();
  dialogs_.Clear();
  EXPECT_EQ(Button57Click(ctx_), BlockOutcome::kInputError);
  EXPECT_TRUE(Journal().empty());
  EXPECT_EQ(dialogs_.boxes().at(0).caption, kCaptionInputError);
}

TEST_F(ExternalSensorTest, FieldThatDoesNotConvertStopsTheWriteBeforeAnyExchange) {
  ASSERT_EQ(Button56Click(ctx_), BlockOutcome::kDone);
  ASSERT_EQ(Button59Click(ctx_), BlockOutcome::kDone);
  Restart();
  controls_.SetText("Edit97", "12,5");
  EXPECT_EQ(Button57Click(ctx_), BlockOutcome::kInputError);
  controls_.SetText("Edit106", "abc");
  EXPECT_EQ(Button60Click(ctx_), BlockOutcome::kInputError);
  controls_.SetText("Edit105", " ' ' ");  // the codes are taken before the floats
  EXPECT_EQ(Button60Click(ctx_), BlockOutcome::kInputError);
  EXPECT_THAT(dialogs_.texts(), ElementsAre(kFloatInputError, kTextNoWrite, kFloatInputError,
                                            kTextNoWrite, kLongInputError, kTextNoWrite));
  EXPECT_TRUE(Journal().empty());
}

// The calibration read makes all three reads; what arrived is kept and shown,
// and the first read that failed is what the operator is told.
TEST_F(ExternalSensorTest, CalibrationReadReportsItsFirstFailureAndShowsWhatArrived) {
  ASSERT_EQ(Button59Click(ctx_), BlockOutcome::kDone);
  SetWords(1921, {0x0001, 0x0000});
  SetWords(1925, {0x3333, 0x0000});
  SetWords(1984, {0x0004, 0x0000});
  Restart();
  FaultOnRequest(1, NoAnswer());
  EXPECT_EQ(Button59Click(ctx_), BlockOutcome::kFailed);
  EXPECT_THAT(dialogs_.texts(), ElementsAre(kNoAnswer));
  EXPECT_EQ(controls_.Text("Edit12"), "AB ' CDEF");  // as before: 1921 did not arrive
  EXPECT_EQ(controls_.Text("Edit104"), "4");

  // Read 2 fails: A1_0 is the one 1925 just gave.
  Restart();
  FaultOnRequest(2, NoAnswer());
  EXPECT_EQ(Button59Click(ctx_), BlockOutcome::kFailed);
  EXPECT_THAT(dialogs_.texts(), ElementsAre(kNoAnswer));
  EXPECT_EQ(controls_.Text("Edit12"), "1");
  EXPECT_EQ(controls_.Text("Edit103"), "3333");
}

TEST_F(ExternalSensorTest, PanelsShowStateWordsExchangeUnitAndAdcError) {
  const struct {
    uint16_t state;
    const char* value;
    const char* text;
    Rgb color;
  } cases[] = {
      {0x0000, "20.0000    ", "Нормальное измерение", kColorWhite},
      {0x0001, "20.0000    ", " SENS_ERR  Сенс. ", kColorYellow},
      {0x0036, "20.0000    ", " АЦП НПИ ВПИ PWR ", kColorYellow},
      {0x8000, "не обрабатывается", " ", kColorButtonFace},
  };
  meter_.Set(1930, 1);
  ASSERT_EQ(Button56Click(ctx_), BlockOutcome::kDone);
  SetWords(529, {0x41A0, 0x0000});
  meter_.Set(528, 0x0010);
  for (const auto& c : cases) {
    meter_.Set(531, c.state);
    ASSERT_EQ(Button55Click(ctx_), BlockOutcome::kDone);
    EXPECT_EQ(controls_.Text("Panel65"), c.value) << c.state;
    EXPECT_EQ(controls_.Text("Panel74"), c.text) << c.state;
    EXPECT_EQ(controls_.Color("Panel65"), c.color) << c.state;
    EXPECT_EQ(controls_.Color("Panel74"), c.color) << c.state;
  }
  EXPECT_EQ(controls_.Text("Panel67"), " АЦП ");
  EXPECT_EQ(controls_.Text("Panel68"), "Нормальный обмен");
  EXPECT_EQ(controls_.Text("Label202"), "кПа");

  // A unit code beyond the list: no unit, the list as it was.
  meter_.Set(1930, 7);
  ASSERT_EQ(Button56Click(ctx_), BlockOutcome::kDone);
  ASSERT_EQ(Button55Click(ctx_), BlockOutcome::kDone);
  EXPECT_EQ(controls_.Text("Label202"), "");

  meter_.Set(518, 0x0012);
  ASSERT_EQ(Button58Click(ctx_), BlockOutcome::kDone);
  EXPECT_EQ(controls_.Text("Panel75"), "0012");
  for (const char* panel : {"Panel69", "Panel70", "Panel71", "Panel72", "Panel73"}) {
    EXPECT_EQ(controls_.Color(panel), kColorYellow) << panel;
  }

  // A failed read shows the values of the last read and the exchange error
  // before the message.
  SetWords(529, {0x4200, 0x0000});
  meter_.Set(531, 0);
  std::string exchange_shown;
  dialogs_.SetBoxObserver([&](const RecordedBox&) { exchange_shown = controls_.Text("Panel68"); });
  Restart();
  FaultOnRequest(1, NoAnswer());
  EXPECT_EQ(Button55Click(ctx_), BlockOutcome::kFailed);
  EXPECT_EQ(exchange_shown, "Ошибка в обмене");
  EXPECT_EQ(controls_.Text("Panel65"), "не обрабатывается");

  // A repetition: the values came, the exchange was normal, the read is done.
  link_.settings().retry_limit = 2;
  Restart();
  FaultOnRequest(1, NoAnswer());
  EXPECT_EQ(Button55Click(ctx_), BlockOutcome::kDone);
  EXPECT_THAT(dialogs_.texts(), ElementsAre(kSensorMeasuredReadText));
  EXPECT_EQ(controls_.Text("Panel65"), "32.0000    ");
  EXPECT_EQ(controls_.Text("Panel68"), "Нормальный обмен");
}

}  // namespace
}  // namespace qmx::test
