// Cycles of the measured-value poll: counting, display and records.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "link/exchange_status.h"
#include "measured_fixture.h"
#include "support/no_wait.h"

namespace qmx::test {
namespace {

using ::testing::StartsWith;

class MeasuredPollTest : public MeasuredTest {
 protected:
  MeasuredPollTest() { dialogs_.ExpectNoBoxes(); }
};

TEST_F(MeasuredPollTest, TenCyclesWithTheInstrumentSilent) {
  Silence();
  for (int i = 0; i < 10; ++i) RunMeasurementPollCycle(Context());
  EXPECT_EQ(state_.counters.cycles, 10);
  EXPECT_EQ(state_.counters.exchange_errors, 10);
  EXPECT_EQ(state_.counters.retries, 10);  // two attempts each
  EXPECT_EQ(state_.counters.measurement_errors, 0);
  EXPECT_EQ(controls_.Text("Label23"), "10");
  EXPECT_EQ(controls_.Text("Label25"), "10");
  EXPECT_EQ(controls_.Text("Memo1"), "Ошибка обмена");
  EXPECT_EQ(controls_.Color("Memo1"), kColorYellow);
  EXPECT_EQ(controls_.Text("Panel1"), "");  // never refreshed
  EXPECT_EQ(Lines(records_.izm_file_name).size(), 10u);
}

TEST_F(MeasuredPollTest, CycleAfterOneRetryCountsTheRetryOnly) {
  Silence(1);
  const PollCycleResult result = RunMeasurementPollCycle(Context());
  EXPECT_EQ(result.outcome.status, kStatusRepeated);
  EXPECT_GE(result.exchange_ms, 1000);  // the pause before the repetition
  EXPECT_EQ(state_.counters.cycles, 1);
  EXPECT_EQ(state_.counters.retries, 1);
  EXPECT_EQ(state_.counters.exchange_errors, 0);
  EXPECT_EQ(controls_.Text("Panel1"), "");
  EXPECT_EQ(controls_.Text("Memo1"), "Ошибка обмена");
  // The values did arrive and go into the record.
  EXPECT_NEAR(state_.values.flow, 12.5, 0.01);
  ASSERT_EQ(Lines(records_.izm_file_name).size(), 1u);
  EXPECT_THAT(Lines(records_.izm_file_name)[0], ::testing::HasSubstr("IZM_FLOW_V=    12.5000 "));
}

TEST_F(MeasuredPollTest, CleanCycleShowsAndCountsMeasurementErrors) {
  RunMeasurementPollCycle(Context());
  EXPECT_EQ(controls_.Text("Panel1"), "12.5000    ");
  EXPECT_EQ(controls_.Text("Memo1"), "Нормальное измерение");
  EXPECT_EQ(controls_.Color("Memo1"), kColorWhite);

  meter_.Set(sim::reg::kFlowState, kFlowStateCutOff);  // cut-off is no error
  RunMeasurementPollCycle(Context());
  EXPECT_EQ(state_.counters.measurement_errors, 0);
  meter_.Set(sim::reg::kFlowError, 0x1000);
  RunMeasurementPollCycle(Context());
  RunMeasurementPollCycle(Context());
  EXPECT_EQ(state_.counters.measurement_errors, 2);
  EXPECT_EQ(controls_.Text("Label24"), "2");
  EXPECT_EQ(controls_.Color("Memo1"), kColorYellow);
  // A failed read says nothing about the measurement.
  link_.settings().retry_limit = 1;
  Silence(1);
  RunMeasurementPollCycle(Context());
  EXPECT_EQ(state_.counters.measurement_errors, 2);
  EXPECT_EQ(state_.counters.exchange_errors, 1);
}

TEST_F(MeasuredPollTest, RecordLineAtAFixedTime) {
  clock_.SetLocalOrigin({2024, 3, 7, 9, 5, 3, 0});
  meter_.Set(sim::reg::kFlowState, 0x0004);
  meter_.Set(sim::reg::kFlowError, 0xab00);
  meter_.Set(sim::reg::kRelativeFlow, 42);
  meter_.SetFloat(sim::reg::kPipeTemperature, 21.5f);
  meter_.SetFloat(sim::reg::kPressure, 250.25f);
  meter_.Set(sim::reg::kPressureError, 0x8000);
  meter_.SetFloat(sim::reg::kVelocity, 1.75f);
  meter_.Set(sim::reg::kVelocityError, 0x0004);
  meter_.Set(sim::reg::kStateWord, 0x8312);
  RunMeasurementPollCycle(Context());
  const std::vector<std::string> lines = Lines(records_.izm_file_name);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0],
            "07 03 2024 09 05 03  IZM_FLOW_V=    12.5000 IZM_FLOW_V_OTN=00042 "
            "IZM_FLOW_V_ERR_HI=0004  IZM_FLOW_V_ERR_LO=ab00 IZM_TEMP=      21.50  "
            "IZM_TEMP_ERR=0000 IZM_P_KPA=     250.25 IZM_P_KPA_ERR=8000 IZM_FLOW_VEL=       1.75 "
            "IZM_FLOW_VEL_ERR=0004 IZM_BT=0012 REL_FLAGS=0003 ");
}

TEST_F(MeasuredPollTest, AnUnwritableRecordFileDoesNotStopThePoll) {
  records_.izm_file_name = dir_ + "/missing/izm.txt";
  RunMeasurementPollCycle(Context());
  RunMeasurementPollCycle(Context());
  EXPECT_EQ(controls_.Text("Label23"), "2");
  EXPECT_TRUE(std::filesystem::is_empty(dir_));
}

TEST_F(MeasuredPollTest, RecordFilesThatAreFifosAreNamedOnceEachAndThePollGoesOn) {
  dialogs_.AllowBoxes();
  const std::string measurement = dir_ + "/izm.fifo";
  const std::string module = dir_ + "/izm_modul.fifo";
  ASSERT_TRUE(MakeFifo(measurement));
  ASSERT_TRUE(MakeFifo(module));
  records_.izm_file_name = measurement;
  records_.izm_modul_file_name = module;
  ASSERT_TRUE(ReturnsWithoutWaiting({measurement, module}, [this] {
    for (int i = 0; i < 3; ++i) {
      RunMeasurementPollCycle(Context());
      RunModulePollCycle(Context());
    }
  }));
  EXPECT_EQ(controls_.Text("Label23"), "3");
  const std::string kCause = ": под этим именем находится не обычный файл.";
  EXPECT_EQ(dialogs_.texts(),
            (std::vector<std::string>{
                "Результаты измерений не записываются в файл " + measurement + kCause,
                "Результаты измерений не записываются в файл " + module + kCause}));
  for (const RecordedBox& box : dialogs_.boxes()) EXPECT_EQ(box.caption, "Ошибка");

  // A single read records as well: the file was named already, only the
  // read's own box follows.
  dialogs_.Clear();
  ReadMeasuredOnce(Context());
  EXPECT_EQ(dialogs_.texts(), std::vector<std::string>{"Прочитано измеренное значение."});

  // Once a line has gone to a regular file under the name, a FIFO put there
  // again is named again.
  std::filesystem::remove(measurement);
  RunMeasurementPollCycle(Context());
  EXPECT_EQ(Lines(measurement).size(), 1U);
  std::filesystem::remove(measurement);
  ASSERT_TRUE(MakeFifo(measurement));
  RunMeasurementPollCycle(Context());
  ASSERT_EQ(dialogs_.box_count(), 2U);
  EXPECT_EQ(dialogs_.LastBox().text,
            "Результаты измерений не записываются в файл " + measurement + kCause);
}

}  // namespace
}  // namespace qmx::test
