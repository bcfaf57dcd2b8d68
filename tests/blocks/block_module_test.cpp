// The measuring module: its parameter page, the error-analysis mask sent
// from the boxes of "Изм. модуль" and the switch of the module's line.
#include <gmock/gmock.h>

#include "block_fixture.h"
#include "blocks/module_parameters.h"

namespace qmx::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

using ModuleTest = BlockTest;

TEST_F(ModuleTest, ParameterPageShowsEachRegisterInItsForm) {
  meter_.Set(1280, 0x000A);
  const struct {
    uint16_t reg;
    float value;
  } floats[] = {{1282, 80.0f}, {1286, 180.5f}, {1288, 0.9f}, {1298, 1.5f},
                {1300, 0.25f}, {1302, 12.0f},  {1304, 0.5f}};
  for (const auto& f : floats) meter_.SetFloat(f.reg, f.value);
  const uint16_t words[] = {80, 41, 7, 65535, 3, 0x0117, 15, 11, 2024};
  const uint16_t regs[] = {1284, 1322, 1323, 1324, 1325, 1326, 1327, 1328, 1329};
  for (int i = 0; i < 9; ++i) meter_.Set(regs[i], words[i]);

  EXPECT_EQ(Button65Click(ctx_), BlockOutcome::kDone);
  EXPECT_THAT(Journal(), ElementsAre("read 1280 x42", "read 1957 x4", "read 1322 x8"));
  EXPECT_THAT(dialogs_.texts(), ElementsAre(kModuleParametersReadText));
  const std::pair<const char*, const char*> shown[] = {
      {"Label249", "000A"},        {"Label386", "80.0000    "}, {"Label337", "80"},
      {"Label252", "180.5000   "}, {"Label253", "0.9000     "}, {"Label262", "1.5000     "},
      {"Label263", "0.2500     "}, {"Label265", "12.0000    "}, {"Label264", "0.5000     "},
      {"Label365", "41"},          {"Label367", "7"},           {"Label369", "65535"},
      {"Label371", "3"},           {"Label373", "0117"},        {"Label383", "1."},
      {"Label384", "23"},          {"Label375", "15"},          {"Label377", "11"},
      {"Label379", "2024"}};
  for (const auto& [label, text] : shown) EXPECT_EQ(controls_.Text(label), text) << label;
}

// A read that needed a repetition is not taken: no success box, the page
// stays as the read before left it.
TEST_F(ModuleTest, ParameterReadAfterARepetitionFillsThePage) {
  meter_.Set(1280, 0x000A);
  meter_.Set(1326, 0x0102);
  ASSERT_EQ(Button65Click(ctx_), BlockOutcome::kDone);
  meter_.Set(1326, 0x0309);
  meter_.Set(1280, 0x00AB);
  link_.settings().retry_limit = 2;
  bus_.ClearJournal();
  dialogs_.Clear();
  FaultOnRequest(3, NoAnswer());
  EXPECT_EQ(Button65Click(ctx_), BlockOutcome::kDone);
  EXPECT_EQ(Journal().size(), 4u);
  EXPECT_THAT(dialogs_.texts(), ElementsAre(kModuleParametersReadText));
  const std::pair<const char*, const char*> shown[] = {
      {"Label249", "00AB"}, {"Label373", "0309"}, {"Label383", "3."}, {"Label384", "9"}};
  for (const auto& [label, text] : shown) EXPECT_EQ(controls_.Text(label), text) << label;
}

// Both words start from nothing: only the ticked boxes reach the
// instrument, and the lock is closed after the write.
TEST_F(ModuleTest, MaskBitsFollowTheirBoxes) {
  const struct {
    const char* box;
    const char* write;
  } cases[] = {{"CheckBox75", "write 1969 x2 = 0, 1"},      // "SENS_ERR", 1970 bit 0
               {"CheckBox76", "write 1969 x2 = 32768, 0"},  // "NOT_RDY", 1969 bit 15
               {"CheckBox89", "write 1969 x2 = 4, 0"}};     // "CUT", 1969 bit 2
  for (const auto& c : cases) {
    for (int n = 60; n <= 91; ++n) controls_.SetChecked("CheckBox" + std::to_string(n), false);
    controls_.SetChecked(c.box, true);
    bus_.ClearJournal();
    Yes();
    EXPECT_EQ(Button84Click(ctx_), BlockOutcome::kDone);
    EXPECT_THAT(Journal(), ElementsAre("read 300 x1", "write 1278 x2 = 1, 1", c.write,
                                       "write 1278 x2 = 0, 0"));
    EXPECT_EQ(meter_.Get(1278), 0);
  }
  EXPECT_EQ(dialogs_.LastBox().text, kErrorMaskWrittenText);
}

// The lock stays open after the switch; a module on the service connector
// leaves the instrument's copy of its flow still.
TEST_F(ModuleTest, ModuleLineSwitchLeavesTheLockOpen) {
  Yes();
  EXPECT_EQ(Button86Click(ctx_), BlockOutcome::kDone);
  EXPECT_THAT(Journal(), ElementsAre("read 300 x1", "write 1278 x2 = 1, 1", "write 1072 x1 = 1"));
  EXPECT_THAT(dialogs_.texts(), ElementsAre(kModuleToConnectorQuestion, kModuleToConnectorText));
  EXPECT_EQ(meter_.Get(1279), 1);
  const std::vector<uint16_t> frozen = meter_.Get(0, 2);
  meter_.SetFlow(30.0, 0.0);
  clock_.Advance(5000);
  EXPECT_EQ(meter_.Get(0, 2), frozen);

  Yes();
  EXPECT_EQ(Button87Click(ctx_), BlockOutcome::kDone);
  EXPECT_EQ(dialogs_.LastBox().text, kModuleToInstrumentText);
  EXPECT_EQ(meter_.Get(1072), 0);
  EXPECT_EQ(meter_.Get(1278), 1);
  EXPECT_NE(meter_.Get(0, 2), frozen);
}

}  // namespace
}  // namespace qmx::test
