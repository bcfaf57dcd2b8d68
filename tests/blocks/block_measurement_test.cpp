// Measurement settings: the units block on the tab and the page, the cut-off
// with the module parameters, and the profile values they share.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "block_fixture.h"
#include "blocks/measurement_settings.h"
#include "operator/dialogs.h"
#include "registers/input_parsing.h"

namespace qmx::test {
namespace {

using ::testing::ElementsAre;

constexpr char kUnlock[] = "write 1278 x2 = 1, 1";
constexpr char kLock[] = "write 1278 x2 = 0, 0";
constexpr char kReadText[] = "Чтение параметров измерения успешно осуществлено.";
constexpr char kWriteText[] = "Запись параметров измерения успешно осуществлена.";

using MeasurementTest = BlockTest;

TEST_F(MeasurementTest, TabReadFillsBothPlacesAndTheProfile) {
  // The largest value each list takes.
  meter_.Set(1840, 3);
  meter_.Set(1841, 100);
  meter_.Set(1856, 1);
  meter_.Set(1874, 1);
  meter_.Set(1956, 3);
  EXPECT_EQ(Button10Click(ctx_), BlockOutcome::kDone);

  EXPECT_THAT(Journal(),
              ElementsAre("read 1840 x2", "read 1856 x1", "read 1874 x1", "read 1956 x1"));
  EXPECT_EQ(controls_.Text("ComboBox41"), "л/час");
  EXPECT_EQ(controls_.Text("ComboBox5"), "100");
  EXPECT_EQ(controls_.Text("ComboBox57"), "литры");
  EXPECT_TRUE(controls_.Checked("CheckBox6"));
  EXPECT_EQ(controls_.Text("ComboBox56"), "Объем суммарный по модулю");
  EXPECT_THAT(dialogs_.texts(), ElementsAre(kReadText));
  EXPECT_EQ(dialogs_.LastBox().caption, kCaptionResult);
  EXPECT_EQ(profile_.measurement.izm_flow_v_ns, 100);
  EXPECT_EQ(profile_.measurement.izm_flow_v_dsum_type, 3);
}

TEST_F(MeasurementTest, OutOfRangeValuesLeaveTheListsAsTheyWere) {
  controls_.SetItemIndex("ComboBox41", 2);
  controls_.SetItemIndex("ComboBox5", 7);
  controls_.SetItemIndex("ComboBox57", 1);
  controls_.SetItemIndex("ComboBox56", 1);
  controls_.SetChecked("CheckBox6", true);
  meter_.Set(1840, 4);
  meter_.Set(1841, 101);
  meter_.Set(1856, 2);
  meter_.Set(1956, 4);
  meter_.Set(1874, 2);  // only 1 means on
  EXPECT_EQ(Button10Click(ctx_), BlockOutcome::kDone);
  EXPECT_EQ(controls_.ItemIndex("ComboBox41"), 2);
  EXPECT_EQ(controls_.ItemIndex("ComboBox5"), 7);
  EXPECT_EQ(controls_.ItemIndex("ComboBox57"), 1);
  EXPECT_EQ(controls_.ItemIndex("ComboBox56"), 1);
  EXPECT_FALSE(controls_.Checked("CheckBox6"));
}

TEST_F(MeasurementTest, TimeStampCorrectionIsWrittenOnlyFromTheTab) {
  controls_.SetItemIndex("ComboBox41", 3);
  controls_.SetItemIndex("ComboBox5", 20);
  controls_.SetItemIndex("ComboBox57", 1);
  controls_.SetItemIndex("ComboBox56", 2);
  controls_.SetChecked("CheckBox6", true);
  controls_.SetText("Edit114", "1.5");
  StartLog();
  Yes();
  EXPECT_EQ(BitBtn7Click(ctx_), BlockOutcome::kDone);

  EXPECT_THAT(Journal(), ElementsAre("read 300 x1", kUnlock, "write 1957 x2 = 16320, 0",
                                     "write 1840 x2 = 3, 20", "write 1856 x1 = 1",
                                     "write 1956 x1 = 2", kLock));
  EXPECT_THAT(WriteDescriptions(),
              ElementsAre("Запись разблокировки USERLOCK CLBLOCK.", "величина отсечки ",
                          "единицы и число усреднений ", "единицы суммы ",
                          "тип отображаемой на экране суммы ", "Запись USERLOCK."));
  EXPECT_THAT(dialogs_.texts(), ElementsAre(kConfigurationQuestion, kWriteText));
  EXPECT_EQ(meter_.Get(1874), 0);
  EXPECT_EQ(profile_.measurement.time_stamp_val_corr_en, 0);  // not taken either

  bus_.ClearJournal();
  Yes();
  EXPECT_EQ(Button11Click(ctx_), BlockOutcome::kDone);
  EXPECT_THAT(Journal(),
              ElementsAre("read 300 x1", kUnlock, "write 1840 x2 = 3, 20", "write 1856 x1 = 1",
                          "write 1874 x1 = 1", "write 1956 x1 = 2", kLock));
  EXPECT_EQ(meter_.Get(1874), 1);
}

TEST_F(MeasurementTest, PageWriteStopsWhenTheCutOffIsRefused) {
  meter_.SetWriteProtection(true);
  controls_.SetItemIndex("ComboBox41", 1);
  controls_.SetItemIndex("ComboBox57", 0);
  controls_.SetItemIndex("ComboBox56", 0);
  controls_.SetItemIndex("ComboBox5", 0);
  controls_.SetText("Edit114", "3");
  Yes(2);
  EXPECT_EQ(BitBtn7Click(ctx_), BlockOutcome::kFailed);
  EXPECT_THAT(Journal(), ElementsAre("read 300 x1", kUnlock, "write 1957 x2 = 16448, 0", kLock));
  EXPECT_THAT(dialogs_.texts(), ElementsAre("В приборе включена защита от записи.",
                                            kConfigurationQuestion, "Неподдерживаемая функция."));
}

TEST_F(MeasurementTest, CutOffInputErrorOnThePageSendsNothing) {
  controls_.SetItemIndex("ComboBox41", 1);
  controls_.SetText("Edit114", "один");
  EXPECT_EQ(BitBtn7Click(ctx_), BlockOutcome::kInputError);
  EXPECT_TRUE(Journal().empty());
  EXPECT_THAT(dialogs_.texts(), ElementsAre(kFloatInputError, kTextNoWrite));
}

TEST_F(MeasurementTest, CutOffReadShowsTheModuleLimitsAndStagesTheModuleBlock) {
  EXPECT_EQ(Button66Click(ctx_), BlockOutcome::kDone);
  EXPECT_THAT(Journal(), ElementsAre("read 1280 x42", "read 1957 x4", "read 1322 x8"));
  EXPECT_GE(Gap(1), 100);  // between the module block and the cut-off
  EXPECT_LT(Gap(2), 100);  // the cut-off and the module's passport back to back
  EXPECT_EQ(controls_.Text("Edit114"), "1.00 ");
  EXPECT_EQ(controls_.Text("Label271"), "0.2000     ");  // hysteresis, 1300
  EXPECT_EQ(controls_.Text("Label273"), "0.0000     ");  // minimum, 1304
  EXPECT_EQ(controls_.Text("Label275"), "10.0000    ");  // maximum, 1302
  EXPECT_THAT(dialogs_.texts(), ElementsAre("Чтение параметров отсечки успешно осуществлено."));
  // The module page's record: first and last words of both runs.
  EXPECT_EQ(values_.module_parameters.words[0], 0x000A);
  EXPECT_EQ(values_.module_parameters.words[41], meter_.Get(1321));
  EXPECT_EQ(values_.module_parameters.words[42], 41);
  EXPECT_EQ(values_.module_parameters.words[49], 2021);
  // 1959-1960 kept as read.
  EXPECT_EQ(values_.cut_off.kept[0], meter_.Get(1959));
  EXPECT_EQ(values_.cut_off.kept[1], meter_.Get(1960));
  EXPECT_FLOAT_EQ(values_.cut_off.cut_off, 1.0F);
}

TEST_F(MeasurementTest, PageReadFillsUnitsAndCutOff) {
  meter_.Set(1840, 0);
  meter_.SetFloat(1957, 12.345F);
  EXPECT_EQ(BitBtn6Click(ctx_), BlockOutcome::kDone);
  EXPECT_THAT(Journal(), ElementsAre("read 1840 x2", "read 1856 x1", "read 1874 x1", "read 1956 x1",
                                     "read 1280 x42", "read 1957 x4", "read 1322 x8"));
  EXPECT_EQ(controls_.Text("ComboBox41"), "м куб/сек");
  EXPECT_EQ(controls_.Text("ComboBox5"), " 10");
  EXPECT_EQ(controls_.Text("Edit114"), "12.35");
  EXPECT_THAT(dialogs_.texts(), ElementsAre(kReadText));
}

TEST_F(MeasurementTest, WriteButtonsSendWhatTheProfileLoaded) {
  profile_.measurement.izm_flow_v_unit = 1;
  profile_.measurement.izm_flow_v_ns = 5;
  profile_.measurement.izm_flow_v_sum_unit = 1;
  profile_.measurement.time_stamp_val_corr_en = 1;
  profile_.measurement.izm_flow_v_dsum_type = 2;
  FillBlockControls(controls_, values_);
  EXPECT_EQ(controls_.Text("ComboBox41"), "л/сек");
  EXPECT_TRUE(controls_.Checked("CheckBox6"));
  Yes();
  ASSERT_EQ(Button11Click(ctx_), BlockOutcome::kDone);
  EXPECT_THAT(Journal(),
              ElementsAre("read 300 x1", kUnlock, "write 1840 x2 = 1, 5", "write 1856 x1 = 1",
                          "write 1874 x1 = 1", "write 1956 x1 = 2", kLock));
}

}  // namespace
}  // namespace qmx::test
