// The measuring-module tab: bit cells, enables, and its reads against the
// virtual instrument.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "blocks/module_data.h"
#include "link/exchange_status.h"
#include "measured_fixture.h"

namespace qmx::test {
namespace {

using ::testing::ElementsAre;

TEST(ModuleCellsTest, ErrorBitsLightTheirNamedCells) {
  MapControls c;
  InitModuleBitCells(c);
  EXPECT_EQ(c.Text("Panel98"), "CUT");
  EXPECT_EQ(c.Text("Panel87"), "");
  EXPECT_EQ(c.Color("Panel111"), kColorButtonFace);

  ModuleData data;
  data.flow = 8.25f;
  data.error_lo = 0x1001;
  data.error_hi = 0x8000;
  data.raw_error_hi = 0x00AB;
  data.raw_error_lo = 0xFFFF;
  ShowModuleData(data, c);
  EXPECT_EQ(c.Text("Panel79"), "8.2500     ");
  EXPECT_EQ(c.Text("Label390"), "0x00AB");
  EXPECT_EQ(c.Text("Label392"), "0xFFFF");
  for (const ModuleBitCell& cell : kModuleLoCells) {
    const bool lit =
        cell.caption == std::string("SENS_ERR") || cell.caption == std::string("EMPTY_PIPE");
    EXPECT_EQ(c.Color(cell.panel), lit ? kColorYellow : kColorButtonFace) << cell.panel;
  }
  for (const ModuleBitCell& cell : kModuleHiCells) {
    const bool lit = cell.caption == std::string("NOT_RDY");
    EXPECT_EQ(c.Color(cell.panel), lit ? kColorYellow : kColorButtonFace) << cell.panel;
  }

  ShowErrorEnables({0x0001, 0x8000}, c);
  for (const ModuleBitCell& cell : kModuleLoCells) {
    EXPECT_EQ(c.Checked(cell.check_box), cell.check_box == std::string("CheckBox60"))
        << cell.check_box;
  }
  for (const ModuleBitCell& cell : kModuleHiCells) {
    EXPECT_EQ(c.Checked(cell.check_box), cell.check_box == std::string("CheckBox91"))
        << cell.check_box;
  }
}

class ModuleReadTest : public MeasuredTest {
 protected:
  ModuleReadTest() {
    meter_.Set(sim::reg::kModuleErrorHi, 0x2000);
    meter_.Set(sim::reg::kModuleErrorLo, 0x0004);
    meter_.Set(sim::reg::kRawErrorHi, 0x00AB);
    meter_.Set(sim::reg::kRawErrorLo, 0x0102);
  }
};

TEST_F(ModuleReadTest, SingleReadShowsRecordsAndReports) {
  ReadModuleOnce(Context());
  EXPECT_THAT(bus_.JournalSummary(), ElementsAre("read 0 x4", "read 776 x2"));
  EXPECT_EQ(state_.module.error_hi, 0x2000);
  EXPECT_EQ(controls_.Text("Label390"), "0x00AB");
  EXPECT_EQ(controls_.Color("Panel109"), kColorYellow);  // SERV
  EXPECT_EQ(controls_.Color("Panel82"), kColorYellow);   // OVLD
  EXPECT_THAT(dialogs_.texts(), ElementsAre("Прочитано измеренное значение."));
  const std::vector<std::string> lines = Lines(records_.izm_modul_file_name);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_THAT(lines[0], ::testing::EndsWith("IZM_FLOW_V_ERR_HI=2000  IZM_FLOW_V_ERR_LO=0004 "));
}

TEST_F(ModuleReadTest, FirstReadFailingIsAFailureEvenWhenTheRawWordsArrive) {
  ReadModuleOnce(Context());
  meter_.Set(sim::reg::kModuleErrorHi, 0);
  meter_.Set(sim::reg::kRawErrorHi, 0x0001);
  link_.settings().retry_limit = 1;
  Silence(1);
  dialogs_.Clear();
  const ExchangeOutcome outcome = ReadModuleOnce(Context());
  EXPECT_TRUE(outcome.failed());
  EXPECT_EQ(state_.last_status, outcome.status);
  EXPECT_EQ(state_.module.error_hi, 0x2000);  // kept
  EXPECT_EQ(controls_.Text("Label390"), "0x0001");
  EXPECT_THAT(dialogs_.texts(), ElementsAre("Ответа не было."));
  EXPECT_EQ(Lines(records_.izm_modul_file_name).size(), 1u);
}

TEST_F(ModuleReadTest, PollCycleRecordsAfterFailuresWithoutBoxes) {
  dialogs_.ExpectNoBoxes();
  RunModulePollCycle(Context());
  Silence();
  RunModulePollCycle(Context());
  EXPECT_EQ(Lines(records_.izm_modul_file_name).size(), 2u);
  EXPECT_EQ(state_.counters.cycles, 0);
  EXPECT_FALSE(std::filesystem::exists(records_.izm_file_name));
}

TEST_F(ModuleReadTest, ErrorEnablesAreReadIntoTheCheckBoxes) {
  meter_.Set(1969, 0x0004);
  meter_.Set(1970, 0x8001);
  ReadErrorEnablesOnce(Context());
  EXPECT_THAT(bus_.JournalSummary(), ElementsAre("read 1969 x2"));
  EXPECT_TRUE(controls_.Checked("CheckBox89"));  // HI bit 2, CUT
  EXPECT_TRUE(controls_.Checked("CheckBox60"));  // LO bit 15
  EXPECT_TRUE(controls_.Checked("CheckBox75"));  // LO bit 0
  EXPECT_FALSE(controls_.Checked("CheckBox74"));
  EXPECT_THAT(dialogs_.texts(), ElementsAre("Прочитано разрешение анализа ошибок."));
  EXPECT_FALSE(std::filesystem::exists(records_.izm_file_name));

  // A failed read leaves what the operator ticked.
  controls_.SetChecked("CheckBox74", true);
  Silence();
  ReadErrorEnablesOnce(Context());
  EXPECT_TRUE(controls_.Checked("CheckBox74"));
  EXPECT_EQ(dialogs_.LastBox().text, "Ответа не было.");
}

}  // namespace
}  // namespace qmx::test
