// The measuring module: its parameter page, the error-analysis mask written
// from the check boxes of "Изм. модуль" and the switch of the module's line.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "block_fixture.h"
#include "blocks/module_parameters.h"

namespace qmx::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr char kStateRead[] = "read 300 x1";
constexpr char kUnlock[] = "write 1278 x2 = 1, 1";
constexpr char kLock[] = "write 1278 x2 = 0, 0";

class ModuleTest : public BlockTest {
 protected:
  void Restart() {
    bus_.ClearJournal();
    dialogs_.Clear();
  }
  // Every box of the mask unticked, then only `boxes` ticked.
  void TickOnly(std::initializer_list<const char*> boxes) {
    for (int n = 60; n <= 91; ++n) controls_.SetChecked("CheckBox" + std::to_string(n), false);
    for (const char* box : boxes) controls_.SetChecked(box, true);
  }
};

TEST_F(ModuleTest, ParameterPageShowsEachRegisterInItsForm) {
  meter_.Set(1280, 0x000A);
  meter_.SetFloat(1282, 80.0f);
  meter_.Set(1284, 80);
  meter_.SetFloat(1286, 180.5f);
  meter_.SetFloat(1288, 0.9f);
  meter_.SetFloat(1298, 1.5f);
  meter_.SetFloat(1300, 0.25f);
  meter_.SetFloat(1302, 12.0f);
  meter_.SetFloat(1304, 0.5f);
  const uint16_t passport[] = {41, 7, 65535, 3, 0x0117, 15, 11, 2024};
  for (uint16_t i = 0; i < 8; ++i) meter_.Set(static_cast<uint16_t>(1322 + i), passport[i]);

  EXPECT_EQ(Button65Click(ctx_), BlockOutcome::kDone);
  EXPECT_THAT(Journal(), ElementsAre("read 1280 x42", "read 1957 x4", "read 1322 x8"));
  EXPECT_THAT(dialogs_.texts(), ElementsAre(kModuleParametersReadText));
  const struct {
    const char* label;
    const char* text;
  } cases[] = {
      {"Label249", "000A"},        {"Label386", "80.0000    "}, {"Label337", "80"},
      {"Label252", "180.5000   "}, {"Label253", "0.9000     "}, {"Label262", "1.5000     "},
      {"Label263", "0.2500     "}, {"Label265", "12.0000    "}, {"Label264", "0.5000     "},
      {"Label365", "41"},          {"Label367", "7"},           {"Label369", "65535"},
      {"Label371", "3"},           {"Label373", "0117"},        {"Label383", "1."},
      {"Label384", "23"},          {"Label375", "15"},          {"Label377", "11"},
      {"Label379", "2024"},
  };
  for (const auto& c : cases) EXPECT_EQ(controls_.Text(c.label), c.text) << c.label;
}

// A read that needed a repetition is not taken: no success box, and the page
// and the staged record stay as the read before left them.
TEST_F(ModuleTest, ParameterReadAfterARepetitionOrAFailureLeavesThePage) {
  meter_.Set(1326, 0x0102);
  ASSERT_EQ(Button65Click(ctx_), BlockOutcome::kDone);
  ASSERT_EQ(controls_.Text("Label384"), "2");
  meter_.Set(1326, 0x0309);
  meter_.Set(1280, 0x00AB);

  link_.settings().retry_limit = 2;
  Restart();
  FaultOnRequest(3, NoAnswer());
  EXPECT_EQ(Button65Click(ctx_), BlockOutcome::kFailed);
  EXPECT_THAT(Journal(),
              ElementsAre("read 1280 x42", "read 1957 x4", "read 1322 x8", "read 1322 x8"));
  EXPECT_THAT(dialogs_.texts(), IsEmpty());
  EXPECT_EQ(controls_.Text("Label373"), "0102");
  EXPECT_EQ(controls_.Text("Label383"), "1.");
  EXPECT_EQ(controls_.Text("Label384"), "2");
  EXPECT_EQ(controls_.Text("Label249"), "000A");

  link_.settings().retry_limit = 1;
  Restart();
  FaultOnRequest(1, NoAnswer());
  EXPECT_EQ(Button65Click(ctx_), BlockOutcome::kFailed);
  EXPECT_THAT(dialogs_.texts(), ElementsAre("Ответа не было."));
  EXPECT_EQ(controls_.Text("Label373"), "0102");

  Restart();
  EXPECT_EQ(Button65Click(ctx_), BlockOutcome::kDone);
  EXPECT_EQ(controls_.Text("Label249"), "00AB");
  EXPECT_EQ(controls_.Text("Label383"), "3.");
  EXPECT_EQ(controls_.Text("Label384"), "9");
}

// Both words start from nothing: only the ticked boxes reach the instrument,
// whatever it held before.  The lock is closed after the write.
TEST_F(ModuleTest, MaskBitsFollowTheirBoxes) {
  StartLog();
  const struct {
    std::vector<const char*> boxes;
    uint16_t hi;  // 1969
    uint16_t lo;  // 1970
  } cases[] = {
      {{"CheckBox75"}, 0x0000, 0x0001},  // "SENS_ERR", bit 0 of 1970
      {{"CheckBox76"}, 0x8000, 0x0000},  // "NOT_RDY", bit 15 of 1969
      {{"CheckBox91", "CheckBox60"}, 0x0001, 0x8000},
      {{"CheckBox89", "CheckBox63"}, 0x0004, 0x1000},  // "CUT", "EMPTY_PIPE"
      {{}, 0x0000, 0x0000},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.hi * 65536 + c.lo);
    meter_.Set(1969, 0x3E04);
    meter_.Set(1970, 0x3E7F);
    TickOnly({});
    for (const char* box : c.boxes) controls_.SetChecked(box, true);
    Restart();
    Yes();
    EXPECT_EQ(Button84Click(ctx_), BlockOutcome::kDone);
    const std::string write =
        "write 1969 x2 = " + std::to_string(c.hi) + ", " + std::to_string(c.lo);
    EXPECT_THAT(Journal(), ElementsAre(kStateRead, kUnlock, write, kLock));
    EXPECT_THAT(dialogs_.texts(), ElementsAre(kErrorMaskQuestion, kErrorMaskWrittenText));
    EXPECT_EQ(meter_.Get(1969), c.hi);
    EXPECT_EQ(meter_.Get(1970), c.lo);
    EXPECT_EQ(meter_.Get(1278), 0);
    EXPECT_EQ(meter_.Get(1279), 0);
  }
  EXPECT_EQ(WriteDescriptions()[1], "запись маски анализа ошибок от модуля измерения");

  // No at the confirmation: nothing after the state word.
  TickOnly({"CheckBox75"});
  Restart();
  No();
  EXPECT_EQ(Button84Click(ctx_), BlockOutcome::kCancelled);
  EXPECT_THAT(Journal(), ElementsAre(kStateRead));
  EXPECT_EQ(meter_.Get(1970), 0);
}

// The module's line is switched behind the protection question and the
// confirmation; the lock stays open afterwards, on success and on failure.
TEST_F(ModuleTest, ModuleLineSwitchLeavesTheLockOpen) {
  StartLog();
  Yes();
  EXPECT_EQ(Button86Click(ctx_), BlockOutcome::kDone);
  EXPECT_THAT(Journal(), ElementsAre(kStateRead, kUnlock, "write 1072 x1 = 1"));
  EXPECT_THAT(dialogs_.texts(), ElementsAre(kModuleToConnectorQuestion, kModuleToConnectorText));
  EXPECT_EQ(meter_.Get(1072), 1);
  EXPECT_EQ(meter_.Get(1278), 1);
  EXPECT_EQ(meter_.Get(1279), 1);
  EXPECT_EQ(WriteDescriptions().back(),
            "запись разрешения связи модуля измерения с технологическим разъемом");

  // The module no longer talks to the instrument: its flow stays as it was.
  const std::vector<uint16_t> frozen = meter_.Get(0, 2);
  meter_.SetFlow(30.0, 0.0);
  clock_.Advance(5000);
  EXPECT_EQ(meter_.Get(0, 2), frozen);

  Restart();
  Yes();
  EXPECT_EQ(Button87Click(ctx_), BlockOutcome::kDone);
  EXPECT_THAT(Journal(), ElementsAre(kStateRead, kUnlock, "write 1072 x1 = 0"));
  EXPECT_THAT(dialogs_.texts(), ElementsAre(kModuleToInstrumentQuestion, kModuleToInstrumentText));
  EXPECT_EQ(meter_.Get(1072), 0);
  EXPECT_EQ(meter_.Get(1278), 1);
  EXPECT_NE(meter_.Get(0, 2), frozen);

  // With write protection on: the question, and the instrument's refusal
  // reported, never claimed as a switch.
  meter_.SetWriteProtection(true);
  Restart();
  Yes(2);
  EXPECT_EQ(Button86Click(ctx_), BlockOutcome::kFailed);
  ASSERT_EQ(dialogs_.texts().size(), 3u);
  EXPECT_EQ(dialogs_.texts()[0], "В приборе включена защита от записи.");
  EXPECT_EQ(dialogs_.texts()[1], kModuleToConnectorQuestion);
  EXPECT_EQ(dialogs_.LastBox().caption, "Устройство сообщает об ошибке");
  EXPECT_EQ(meter_.Get(1072), 0);

  // No at the confirmation: nothing after the state word.
  meter_.SetWriteProtection(false);
  Restart();
  No();
  EXPECT_EQ(Button87Click(ctx_), BlockOutcome::kCancelled);
  EXPECT_THAT(Journal(), ElementsAre(kStateRead));
}

}  // namespace
}  // namespace qmx::test
