// The buttons of "Измеренное значение", "ИЗМЕРЕНИЕ" and "Изм. модуль" in the
// window, against the virtual instrument.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <filesystem>
#include <sstream>

#include "blocks/measured_values.h"
#include "link/exchange_status.h"
#include "measured_fixture.h"
#include "sim/register_map.h"
#include "ui/script_runner.h"

namespace qmx::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

using MeasuredViewsTest = MeasuredWindowTest;

TEST_F(MeasuredViewsTest, ReadOnceFillsBothViewsWithTheirColours) {
  meter_.Set(sim::reg::kFlowUnit, 2);
  meter_.Set(sim::reg::kFlowState, kFlowStateCutOff);
  meter_.Set(sim::reg::kPipeTemperatureError, kErrorNotMeasured);
  meter_.SetKeys(kKeyChange);
  meter_.SetFlow(40.0, 0.0);
  meter_.SetFloat(sim::reg::kStandardFlow, 7.25f);
  meter_.Set(sim::reg::kRelativeFlow, 888);  // 1.355 % of full scale is 65535, not 65536
  Click("Button3");

  EXPECT_THAT(bus_.JournalSummary(), ElementsAre("read 256 x49", "read 305 x2"));
  EXPECT_EQ(Text("Label11"), "м куб/час");
  EXPECT_EQ(Text("Label399"), "м куб/час");
  EXPECT_EQ(Text("Panel1"), Text("Panel116"));
  EXPECT_EQ(Text("Panel114"), "7.2500     ");
  EXPECT_EQ(Text("Panel3"), "1.36  %");
  EXPECT_EQ(Text("Panel5"), "Нормальное измерение, отсечка");
  EXPECT_EQ(Text("Memo1"), "Нормальное измерение, отсечка");
  EXPECT_EQ(Painted("Memo1"), kColorLightGreen);
  ShowEngineeringPage("MeasuredValue");
  EXPECT_EQ(Painted("Panel1"), kColorLightGreen);
  EXPECT_EQ(Text("Panel44"), " Не измеряется ");
  EXPECT_EQ(Painted("Panel44"), kColorButtonFace);
  EXPECT_EQ(Painted("Panel8"), kColorGreen);
  EXPECT_EQ(Painted("Panel7"), kColorButtonFace);
  EXPECT_EQ(Text("Panel6"), "Нормальный обмен");
  EXPECT_THAT(dialogs_.texts(), ElementsAre("Прочитано измеренное значение."));
  EXPECT_EQ(Lines(dir_.File("izm.txt")).size(), 1u);
  EXPECT_THAT(polling_->StatusLine()->text().toStdString(), HasSubstr("Последний обмен: "));
}

TEST_F(MeasuredViewsTest, ReadOnceAfterARetryShowsTheDataAndNoSuccessBox) {
  meter_.SetFlow(40.0, 0.0);
  Silence(1);  // the first attempt goes unheard, the repetition is answered
  Click("Button3");
  EXPECT_THAT(Text("Panel1"), ::testing::StartsWith("40.0000"));
  EXPECT_EQ(Text("Panel6"), "Ошибка в обмене");
  ShowEngineeringPage("MeasuredValue");
  EXPECT_EQ(Painted("Panel6"), kColorYellow);
  EXPECT_THAT(dialogs_.texts(),
              ::testing::Not(::testing::Contains("Прочитано измеренное значение.")));
  EXPECT_FALSE(std::filesystem::exists(dir_.File("izm.txt")));  // clean reads only
}

TEST_F(MeasuredViewsTest, StatusLineLeavesOutTheTimeTheBoxWasOpen) {
  // The operator reads the success box for a minute.
  dialogs_.SetBoxObserver([&](const RecordedBox&) { clock_.Advance(60000); });
  const int64_t start_ms = clock_.NowMs();
  Click("Button3");
  ASSERT_EQ(dialogs_.box_count(), 1u);
  const std::string line = polling_->StatusLine()->text().toStdString();
  const std::string prefix = "Последний обмен: ";
  ASSERT_THAT(line, HasSubstr(prefix));
  const long shown_ms = std::stol(line.substr(line.find(prefix) + prefix.size()));
  EXPECT_GT(shown_ms, 0);  // two frames at 19200 baud take their time
  EXPECT_EQ(shown_ms, clock_.NowMs() - start_ms - 60000);
}

// Nothing read is nothing shown; a failed read leaves the last values greyed,
// with the time they were read, and Memo1 yellow where its text is.
TEST_F(MeasuredViewsTest, CompactReadStopsThePollFirst) {
  Silence(2);
  Click("BitBtn5");
  EXPECT_EQ(Text("Panel116"), "");  // not a zero flow
  clock_.SetLocalOrigin({2024, 3, 7, 9, 5, 3, 0});
  Click("BitBtn25");
  ASSERT_TRUE(context_.measurement_polling);
  dialogs_.Clear();
  bus_.ClearJournal();
  Click("BitBtn5");
  EXPECT_FALSE(context_.measurement_polling);
  EXPECT_THAT(bus_.JournalSummary(), ElementsAre("read 256 x49", "read 305 x2"));
  EXPECT_THAT(dialogs_.texts(), ElementsAre("Прочитано измеренное значение."));
  EXPECT_EQ(Painted("Memo1"), kColorWhite);
  EXPECT_LT(Paint("Panel116").second, 80);  // black digits
  const std::string flow = Text("Panel116");

  // A failure marks the compact view before the message.
  dialogs_.Clear();
  Silence();
  Click("BitBtn5");
  EXPECT_EQ(Text("Memo1"), "Ошибка обмена");
  EXPECT_EQ(Painted("Memo1"), kColorYellow);
  EXPECT_THAT(dialogs_.texts(), ElementsAre("Ответа не было."));
  EXPECT_EQ(Text("Panel116"), flow);
  EXPECT_GT(Paint("Panel116").second, 100);  // grey, not black
  EXPECT_THAT(Find<QLabel>("Label437")->toolTip().toStdString(),
              HasSubstr("Значения прочитаны 07.03.2024 09:05:"));

  // expect-color sees the painted yellow, not a colour the frame's palette
  // holds where nothing is drawn.
  auto* memo = Find<QPlainTextEdit>("Memo1");
  QPalette palette = memo->palette();
  palette.setColor(memo->backgroundRole(), QColor(0, 0, 255));
  memo->setPalette(palette);
  for (const char* colour : {"#0000FF", "#FFFF00"}) {
    std::istringstream script(std::string("expect-color Memo1 ") + colour + "\n");
    std::ostringstream out;
    EXPECT_EQ(ScriptRunner(window_.get(), dialogs_, out).Run(script),
              colour[1] == 'F' ? ScriptRunner::kExitOk : ScriptRunner::kExitFailed);
  }
}

TEST_F(MeasuredViewsTest, LatchStopsThePollAndFreesTheStartButtons) {
  Click("Button4");
  ASSERT_TRUE(context_.measurement_polling);
  ASSERT_FALSE(Find<QPushButton>("Button3")->isEnabled());
  Click("Button6");
  EXPECT_FALSE(context_.measurement_polling);
  EXPECT_TRUE(Find<QPushButton>("Button3")->isEnabled());
  EXPECT_TRUE(Find<QPushButton>("Button4")->isEnabled());
  EXPECT_FALSE(Find<QPushButton>("Button5")->isEnabled());
  EXPECT_THAT(bus_.JournalSummary(), ElementsAre("write 1047 x1 = 1"));
}

TEST_F(MeasuredViewsTest, CounterResetAsksFirst) {
  context_.measurement.counters.cycles = 7;
  context_.measurement.counters.retries = 2;
  dialogs_.AnswerNo();
  Click("Button8");
  EXPECT_EQ(context_.measurement.counters.cycles, 7);
  dialogs_.AnswerYes();
  Click("Button8");
  EXPECT_EQ(context_.measurement.counters.cycles, 0);
  EXPECT_EQ(Text("Label23"), "0");
  EXPECT_EQ(Text("Label26"), "0");
  EXPECT_TRUE(bus_.journal().empty());
}

TEST_F(MeasuredViewsTest, ModuleCellsShowTheErrorBitsAndTheEnables) {
  // Captions are there from start-up; each check box lies in its bit's panel.
  EXPECT_EQ(Text("Panel80"), "SENS_ERR");
  EXPECT_EQ(Text("Panel111"), "NOT_RDY");
  EXPECT_EQ(Find<QCheckBox>("CheckBox60")->parentWidget()->objectName(), "Panel95");
  EXPECT_EQ(Find<QCheckBox>("CheckBox91")->parentWidget()->objectName(), "Panel96");

  meter_.Set(sim::reg::kModuleErrorLo, 0x1001);
  meter_.Set(sim::reg::kModuleErrorHi, 0x0004);
  meter_.Set(sim::reg::kRawErrorHi, 0x00AB);
  ShowEngineeringPage("MeasuringModule");
  Click("Button70");
  EXPECT_THAT(bus_.JournalSummary(), ElementsAre("read 0 x4", "read 776 x2"));
  for (int bit = 0; bit < 16; ++bit) {
    const std::string lo = "Panel" + std::to_string(80 + bit);
    const bool set = bit == 0 || bit == 12;
    EXPECT_EQ(Painted(lo.c_str()), set ? kColorYellow : kColorButtonFace) << lo;
  }
  EXPECT_EQ(Painted("Panel98"), kColorYellow);  // "CUT"
  EXPECT_EQ(Painted("Panel96"), kColorButtonFace);
  EXPECT_EQ(Text("Label390"), "0x00AB");
  EXPECT_THAT(dialogs_.texts(), ElementsAre("Прочитано измеренное значение."));
  EXPECT_EQ(Lines(dir_.File("izm_modul.txt")).size(), 1u);

  meter_.Set(1969, 0x0001);
  meter_.Set(1970, 0x8000);
  Click("Button83");
  for (int box = 60; box <= 91; ++box) {
    const std::string name = "CheckBox" + std::to_string(box);
    EXPECT_EQ(Find<QCheckBox>(name.c_str())->isChecked(), box == 60 || box == 91) << name;
  }
}

}  // namespace
}  // namespace qmx::test

namespace qmx::test {
namespace {

// "Запись результатов " shows the profile's switch from start-up on and
// turns the record file off and on again.
TEST_F(MeasuredViewsTest, RecordSwitchFollowsAndSetsTheProfile) {
  auto* records = window_->findChild<QCheckBox*>(QStringLiteral("CheckBox5"));
  ASSERT_NE(records, nullptr);
  EXPECT_EQ(records->isChecked(), context_.profile.records.write_file == 1);
  ASSERT_TRUE(records->isChecked());

  records->click();
  EXPECT_EQ(context_.profile.records.write_file, 0);
  Click("Button3");
  EXPECT_FALSE(std::filesystem::exists(dir_.File("izm.txt")));

  records->click();
  EXPECT_EQ(context_.profile.records.write_file, 1);
  dialogs_.Clear();
  Click("Button3");
  EXPECT_EQ(Lines(dir_.File("izm.txt")).size(), 1u);
}

}  // namespace
}  // namespace qmx::test
