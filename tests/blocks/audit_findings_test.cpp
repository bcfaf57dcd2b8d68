// Reads that stage only whole results, the state word's own status rule, and
// a guarded write against an instrument that never answers.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "block_fixture.h"
#include "blocks/device_commands.h"
#include "blocks/measurement_settings.h"
#include "blocks/output_settings.h"

namespace qmx::test {
namespace {

using ::testing::ElementsAre;

using AuditFindingsTest = BlockTest;

TEST_F(AuditFindingsTest, MeasurementPageReadKeepsTheStagedUnitsWhenTheCutOffReadFails) {
  // The units read succeeds, the cut-off read after it is refused: the
  // profile must keep the units it had, not the ones half read.
  profile_.measurement.izm_flow_v_unit = 1;
  profile_.measurement.izm_flow_v_dsum_type = 1;
  meter_.Set(1840, 3);
  meter_.Set(1956, 2);
  sim::Fault refused;
  refused.kind = sim::FaultKind::kException;
  refused.value = 2;
  refused.remaining = 1;
  FaultOnRequest(6, refused);  // read 1957 x4
  EXPECT_EQ(BitBtn6Click(ctx_), BlockOutcome::kFailed);
  EXPECT_EQ(profile_.measurement.izm_flow_v_unit, 1);
  EXPECT_EQ(profile_.measurement.izm_flow_v_dsum_type, 1);

  // Once both reads succeed the units are staged.
  dialogs_.Clear();
  EXPECT_EQ(BitBtn6Click(ctx_), BlockOutcome::kDone);
  EXPECT_EQ(profile_.measurement.izm_flow_v_unit, 3);
  EXPECT_EQ(profile_.measurement.izm_flow_v_dsum_type, 2);
}

TEST_F(AuditFindingsTest, OperatingTimeResetStopsOnAStateWordThatNeededARepetition) {
  // The reset itself counts a repetition as success, its state-word read
  // does not: the handler stops there, silently, before any question.
  link_.settings().retry_limit = 2;
  FaultOnRequest(1, NoAnswer());
  EXPECT_EQ(Button85Click(ctx_), BlockOutcome::kFailed);
  EXPECT_THAT(Journal(), ElementsAre("read 300 x1", "read 300 x1"));
  EXPECT_EQ(dialogs_.box_count(), 0u);
  EXPECT_EQ(meter_.Get(1966), 0);
}

TEST_F(AuditFindingsTest, SilentInstrumentGivesOneNoAnswerBoxAndAQuietLock) {
  sim::Fault silent = NoAnswer();
  silent.remaining = -1;
  meter_.AddFault(silent);
  Yes();
  EXPECT_EQ(Button79Click(ctx_), BlockOutcome::kFailed);
  EXPECT_THAT(Journal(), ElementsAre("write 1278 x2 = 1, 1", "write 1278 x2 = 0, 0"));
  ASSERT_EQ(dialogs_.box_count(), 2u);
  EXPECT_EQ(dialogs_.boxes()[0].caption, kCaptionConfirm);
  EXPECT_EQ(dialogs_.LastBox().text, "Ответа не было.");
  EXPECT_EQ(dialogs_.LastBox().caption, "Ошибка в обмене.");
}

}  // namespace
}  // namespace qmx::test
