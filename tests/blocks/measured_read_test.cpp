// The single reads of the measured-value views against the virtual instrument.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "link/exchange_status.h"
#include "measured_fixture.h"

namespace qmx::test {
namespace {

using ::testing::ElementsAre;

class MeasuredReadTest : public MeasuredTest {};

TEST_F(MeasuredReadTest, TwoReadsWithoutPauseAndTheByteOrderOfTheInstrument) {
  meter_.SetFloatByteOrder(1);
  meter_.Set(sim::reg::kFlowUnit, 2);
  meter_.Set(sim::reg::kStandardFlow, sim::FloatWords(3.25f)[0]);
  meter_.Set(sim::reg::kStandardFlow + 1, sim::FloatWords(3.25f)[1]);
  const ExchangeOutcome outcome = ReadMeasuredValues(link_, state_.values, state_.last_status);

  EXPECT_FALSE(outcome.failed());
  EXPECT_THAT(bus_.JournalSummary(), ElementsAre("read 256 x49", "read 305 x2"));
  // The second request follows the first answer at once (a 100 ms pause
  // would show here).
  EXPECT_LT(bus_.journal()[1].time_ms - bus_.journal()[0].time_ms, 100);
  EXPECT_EQ(meter_.Get(sim::reg::kFlowUnitAndOrder), 0x0102);
  EXPECT_NEAR(state_.values.flow, 12.5, 0.01);
  EXPECT_EQ(state_.values.standard_flow, 3.25f);  // always order 0
  EXPECT_EQ(state_.values.operating_time_s, meter_.flow().OperatingSeconds(clock_.NowMs()));
}

TEST_F(MeasuredReadTest, StandardFlowIsReadWhateverTheBlockGave) {
  link_.settings().retry_limit = 1;
  ReadMeasuredValues(link_, state_.values, state_.last_status);
  meter_.SetFlow(30.0, 0.0);
  meter_.SetFloat(sim::reg::kStandardFlow, 3.25f);
  sim::Fault refuse;
  refuse.kind = sim::FaultKind::kException;
  refuse.value = 4;
  refuse.remaining = 1;
  meter_.AddFault(refuse);
  bus_.ClearJournal();

  const ExchangeOutcome outcome = ReadMeasuredValues(link_, state_.values, state_.last_status);
  EXPECT_EQ(outcome.exception, 4);
  EXPECT_TRUE(outcome.status & kStatusException);
  EXPECT_EQ(state_.last_status, outcome.status);
  EXPECT_NEAR(state_.values.flow, 12.5, 0.01);  // the block is kept
  EXPECT_EQ(state_.values.standard_flow, 3.25f);
  EXPECT_THAT(bus_.JournalSummary(), ElementsAre("read 256 x49", "read 305 x2"));

  // A failed second read leaves only the standard flow as it was.  The
  // instrument hears every second request: the unheard one before the block
  // read makes the block's heard and the standard flow's unheard.
  meter_.SetFloat(sim::reg::kStandardFlow, 4.5f);
  sim::Fault every_second;
  every_second.kind = sim::FaultKind::kEverySecond;
  meter_.AddFault(every_second);
  uint16_t word = 0;
  uint16_t exception = 0;
  ASSERT_NE(link_.ReadHoldingRegisters(300, 1, &word, &exception), 0);
  const ExchangeOutcome second = ReadMeasuredValues(link_, state_.values, state_.last_status);
  EXPECT_FALSE(second.failed());
  EXPECT_EQ(state_.last_status, 0);
  EXPECT_NEAR(state_.values.flow, 30.0, 0.01);
  EXPECT_EQ(state_.values.standard_flow, 3.25f);
  EXPECT_TRUE(state_.values.standard_flow_status & kStatusNoAnswer);
}

TEST_F(MeasuredReadTest, SingleReadShowsRecordsAndReports) {
  ReadMeasuredOnce(Context());
  EXPECT_EQ(controls_.Text("Panel1"), "12.5000    ");
  EXPECT_EQ(controls_.Text("Panel6"), "Нормальный обмен");
  ASSERT_EQ(dialogs_.box_count(), 1u);
  EXPECT_EQ(dialogs_.LastBox().text, "Прочитано измеренное значение.");
  EXPECT_EQ(dialogs_.LastBox().caption, "Результат операции");
  EXPECT_EQ(dialogs_.LastBox().icon, BoxIcon::kInformation);
  EXPECT_EQ(Lines(records_.izm_file_name).size(), 1u);

  // Silence: the old values stay on show, the message replaces the success.
  meter_.SetFlow(20.0, 0.0);
  Silence();
  dialogs_.Clear();
  ReadMeasuredOnce(Context());
  EXPECT_EQ(controls_.Text("Panel1"), "12.5000    ");
  EXPECT_EQ(controls_.Text("Panel6"), "Ошибка в обмене");
  EXPECT_THAT(dialogs_.texts(), ElementsAre("Ответа не было."));
  EXPECT_EQ(Lines(records_.izm_file_name).size(), 1u);
}

TEST_F(MeasuredReadTest, ReadThatNeededARetryIsShownButNotReportedAsRead) {
  Silence(1);  // the first attempt goes unanswered, the repetition is heard
  const ExchangeOutcome outcome = ReadMeasuredOnce(Context());
  EXPECT_EQ(outcome.status, kStatusRepeated);
  EXPECT_EQ(controls_.Text("Panel1"), "12.5000    ");
  EXPECT_EQ(controls_.Text("Panel6"), "Ошибка в обмене");
  EXPECT_EQ(controls_.Color("Panel6"), kColorYellow);
  // The outcome message of a bare repetition is no box at all.
  EXPECT_EQ(dialogs_.box_count(), 0u);
  EXPECT_FALSE(std::filesystem::exists(records_.izm_file_name));
}

TEST_F(MeasuredReadTest, CompactReadMarksTheFailureInMemo1) {
  Silence(2);
  ReadMeasuredOnceCompact(Context());
  EXPECT_EQ(controls_.Text("Memo1"), "Ошибка обмена");
  EXPECT_EQ(controls_.Color("Memo1"), kColorYellow);
  EXPECT_THAT(dialogs_.texts(), ElementsAre("Ответа не было."));

  meter_.Set(sim::reg::kFlowState, kFlowStateCutOff);
  ReadMeasuredOnceCompact(Context());
  EXPECT_EQ(controls_.Text("Memo1"), "Нормальное измерение, отсечка");
  EXPECT_EQ(controls_.Color("Memo1"), kColorLightGreen);
  EXPECT_EQ(dialogs_.LastBox().text, "Прочитано измеренное значение.");
}

TEST_F(MeasuredReadTest, ResetCountersAsksFirstAndNeverTalksToTheInstrument) {
  state_.counters = {7, 6, 5, 4};
  dialogs_.AnswerNo();
  ResetCounters(Context());
  EXPECT_EQ(state_.counters.cycles, 7);
  EXPECT_EQ(controls_.Text("Label23"), "");
  dialogs_.AnswerYes();
  ResetCounters(Context());
  EXPECT_EQ(state_.counters.retries, 0);
  EXPECT_EQ(controls_.Text("Label26"), "0");
  const RecordedBox box = dialogs_.LastBox();
  EXPECT_EQ(box.text, "Счетчики циклов и ошибок будут сброшены!");
  EXPECT_EQ(box.caption, "Предупреждение");
  EXPECT_EQ(box.icon, BoxIcon::kInformation);
  EXPECT_TRUE(bus_.journal().empty());
}

TEST_F(MeasuredReadTest, LatchAndReadTheLatchedBlock) {
  ShowMeasurementPollButtons(controls_, true);
  LatchMeasuredValue(Context());
  EXPECT_EQ(meter_.latch_count(), 1u);
  EXPECT_THAT(bus_.JournalSummary(), ElementsAre("write 1047 x1 = 1"));
  EXPECT_TRUE(controls_.Find("Button3")->enabled);
  EXPECT_FALSE(controls_.Find("Button5")->enabled);
  EXPECT_EQ(dialogs_.box_count(), 0u);

  ReadLatchedValue(Context());
  EXPECT_EQ(bus_.journal().back().Describe(), "read 768 x11");
  const std::vector<uint16_t> latched = meter_.Get(sim::reg::kPulseVolume, kLatchedBlockCount);
  EXPECT_TRUE(std::equal(latched.begin(), latched.end(), state_.latched_block.begin()));
  EXPECT_EQ(dialogs_.LastBox().text, "Прочитано защелкнутое измеренное значение.");
  EXPECT_EQ(Lines(records_.izm_file_name).size(), 1u);

  // A failed latched read only reports; the display keeps what it showed.
  Silence();
  ReadLatchedValue(Context());
  EXPECT_EQ(controls_.Text("Panel6"), "Нормальный обмен");
  EXPECT_EQ(dialogs_.LastBox().text, "Ответа не было.");
}

}  // namespace
}  // namespace qmx::test
