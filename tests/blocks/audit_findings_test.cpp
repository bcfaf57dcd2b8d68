// A read of two blocks that stages nothing unless both came, the state
// word's own status rule, and a guarded write to a silent instrument.
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
  meter_.Set(1840, 3);
  FaultOnRequest(6, sim::Fault{sim::FaultKind::kException, 2, 0, 1});  // read 1957 x4
  EXPECT_EQ(BitBtn6Click(ctx_), BlockOutcome::kFailed);
  EXPECT_EQ(profile_.measurement.izm_flow_v_unit, 0);  // what the profile would save
}

TEST_F(AuditFindingsTest, OperatingTimeResetGoesOnAfterAStateWordThatNeededARepetition) {
  link_.settings().retry_limit = 2;
  FaultOnRequest(1, NoAnswer());
  Yes();
  EXPECT_EQ(Button85Click(ctx_), BlockOutcome::kDone);
  EXPECT_THAT(Journal(), ElementsAre("read 300 x1", "read 300 x1", "write 1278 x2 = 1, 1",
                                     "write 1966 x1 = 1", "write 1278 x2 = 0, 0"));
}

TEST_F(AuditFindingsTest, SilentInstrumentGivesOneNoAnswerBoxAndAQuietLock) {
  meter_.AddFault(sim::Fault{sim::FaultKind::kNoAnswer, 0, 0, -1});
  Yes();
  EXPECT_EQ(Button79Click(ctx_), BlockOutcome::kFailed);
  EXPECT_THAT(Journal(), ElementsAre("write 1278 x2 = 1, 1", "write 1278 x2 = 0, 0"));
  EXPECT_THAT(dialogs_.texts(), ElementsAre(kConfigurationQuestion, "Ответа не было."));
  EXPECT_EQ(dialogs_.LastBox().caption, "Ошибка в обмене.");
}

}  // namespace
}  // namespace qmx::test
