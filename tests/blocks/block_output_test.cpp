// Output settings: output type, frequency output, forced frequency, pulse
// output and the volume still to be sent as pulses.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "block_fixture.h"
#include "blocks/output_settings.h"
#include "operator/dialogs.h"
#include "registers/encoding.h"
#include "registers/input_parsing.h"

namespace qmx::test {
namespace {

using ::testing::ElementsAre;

constexpr char kUnlock[] = "write 1278 x2 = 1, 1";
constexpr char kLock[] = "write 1278 x2 = 0, 0";
constexpr char kFrequencyWritten[] = "Запись параметров частотных выходов успешно осуществлена.";

using OutputTest = BlockTest;

TEST_F(OutputTest, OutputTypeShownInBothListsWithTheShift) {
  meter_.Set(1793, 2);
  EXPECT_EQ(Button12Click(ctx_), BlockOutcome::kDone);
  EXPECT_THAT(Journal(), ElementsAre("read 1792 x2"));
  EXPECT_EQ(controls_.Text("ComboBox6"), "частота");
  EXPECT_EQ(controls_.Text("ComboBox42"), "частота");
  EXPECT_THAT(dialogs_.texts(), ElementsAre("Чтение параметров выходов успешно осуществлено."));

  meter_.Set(1793, 0);
  EXPECT_EQ(BitBtn8Click(ctx_), BlockOutcome::kDone);
  EXPECT_EQ(controls_.Text("ComboBox6"), "уставка");
  EXPECT_EQ(controls_.ItemIndex("ComboBox42"), -1);

  controls_.SetItemIndex("ComboBox6", 3);
  controls_.SetItemIndex("ComboBox42", 1);
  meter_.Set(1793, 4);
  EXPECT_EQ(Button12Click(ctx_), BlockOutcome::kDone);
  EXPECT_EQ(controls_.ItemIndex("ComboBox6"), 3);
  EXPECT_EQ(controls_.ItemIndex("ComboBox42"), 1);
}

TEST_F(OutputTest, OutputTypeWrittenFromThePageListKeeping1792) {
  meter_.Set(1792, 7);
  ASSERT_EQ(BitBtn8Click(ctx_), BlockOutcome::kDone);
  controls_.SetItemIndex("ComboBox6", 0);   // shown only
  controls_.SetItemIndex("ComboBox42", 1);  // "импульсный"
  bus_.ClearJournal();
  dialogs_.Clear();
  StartLog();
  Yes();
  EXPECT_EQ(Button13Click(ctx_), BlockOutcome::kDone);
  EXPECT_THAT(Journal(), ElementsAre("read 300 x1", kUnlock, "write 1792 x2 = 7, 3", kLock));
  EXPECT_EQ(WriteDescriptions().at(1), "тип выхода ");
  EXPECT_THAT(dialogs_.texts(), ElementsAre(kConfigurationQuestion,
                                            "Запись параметров выходов успешно осуществлена."));
  EXPECT_EQ(profile_.outputs.diskr_out_type1, 3);

  // No selection sends 1.
  controls_.SetItemIndex("ComboBox42", -1);
  bus_.ClearJournal();
  Yes();
  EXPECT_EQ(BitBtn9Click(ctx_), BlockOutcome::kDone);
  EXPECT_EQ(Journal().at(2), "write 1792 x2 = 7, 1");
}

TEST_F(OutputTest, FrequencyOutputWrite) {
  controls_.SetText("Edit107", "100");
  controls_.SetText("Edit110", "-2.5E1");
  controls_.SetText("Edit108", "70000");
  StartLog();
  Yes();
  EXPECT_EQ(Button15Click(ctx_), BlockOutcome::kDone);
  // -25.0 is 0xC1C80000; 70000 goes out as its low 16 bits.
  EXPECT_THAT(Journal(), ElementsAre("read 300 x1", kUnlock,
                                     "write 1808 x5 = 17096, 0, 49608, 0, 4464", kLock));
  EXPECT_EQ(WriteDescriptions().at(1), "параметры частотного выхода ");
  EXPECT_THAT(dialogs_.texts(), ElementsAre(kConfigurationQuestion, kFrequencyWritten));
  EXPECT_FLOAT_EQ(profile_.outputs.f_flow_v_max, 100.0F);
  EXPECT_EQ(profile_.outputs.f_flow_err, 4464);
}

TEST_F(OutputTest, FrequencyOutputRead) {
  meter_.SetFloat(1808, 70.0F);
  meter_.SetFloat(1810, 1.25F);
  meter_.Set(1812, 11000);
  EXPECT_EQ(BitBtn10Click(ctx_), BlockOutcome::kDone);
  EXPECT_THAT(Journal(), ElementsAre("read 1808 x5"));
  EXPECT_EQ(controls_.Text("Edit107"), "70.0000    ");
  EXPECT_EQ(controls_.Text("Edit110"), "1.2500     ");
  EXPECT_EQ(controls_.Text("Edit108"), "11000");
  EXPECT_THAT(dialogs_.texts(),
              ElementsAre("Чтение параметров частотных выходов успешно осуществлено."));
}

TEST_F(OutputTest, ForceOnAndOffReadNoStateWord) {
  StartLog();
  Yes();
  EXPECT_EQ(Button79Click(ctx_), BlockOutcome::kDone);
  Yes();
  EXPECT_EQ(Button80Click(ctx_), BlockOutcome::kDone);
  EXPECT_THAT(Journal(), ElementsAre(kUnlock, "write 1815 x1 = 1", kLock, kUnlock,
                                     "write 1815 x1 = 0", kLock));
  EXPECT_EQ(WriteDescriptions().at(1), "включить принудительное задание частоты ");
  EXPECT_EQ(WriteDescriptions().at(4), "внутреннеее управление частотой ");
  EXPECT_THAT(dialogs_.texts(), ElementsAre(kConfigurationQuestion, kFrequencyWritten,
                                            kConfigurationQuestion, kFrequencyWritten));
}

TEST_F(OutputTest, ForcedFrequencyWrittenAndRead) {
  StartLog();
  const struct {
    const char* text;
    const char* sent;
  } cases[] = {{"70000", "write 1816 x1 = 65535"},
               {"-1", "write 1816 x1 = 65535"},
               {"65536", "write 1816 x1 = 65535"},
               {"65535", "write 1816 x1 = 65535"},
               {"0", "write 1816 x1 = 0"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    bus_.ClearJournal();
    controls_.SetText("Edit102", c.text);
    Yes();
    EXPECT_EQ(Button82Click(ctx_), BlockOutcome::kDone);
    EXPECT_THAT(Journal(), ElementsAre("read 300 x1", kUnlock, c.sent, kLock));
  }
  EXPECT_EQ(WriteDescriptions().at(1), "задать значение частоты выдаваемой принудительно ");

  bus_.ClearJournal();
  dialogs_.Clear();
  meter_.Set(1816, 4321);
  EXPECT_EQ(Button81Click(ctx_), BlockOutcome::kDone);
  EXPECT_THAT(Journal(), ElementsAre("read 1816 x1"));
  EXPECT_EQ(controls_.Text("Edit102"), "4321");
  EXPECT_THAT(dialogs_.texts(),
              ElementsAre("Чтение параметров частотных выходов успешно осуществлено."));
}

TEST_F(OutputTest, ForcedFrequencyCollectedAfterTheUnlock) {
  controls_.SetText("Edit102", "12o0");
  Yes();
  EXPECT_EQ(Button82Click(ctx_), BlockOutcome::kInputError);
  // The letter is found only once the lock is open; it is closed again.
  EXPECT_THAT(Journal(), ElementsAre("read 300 x1", kUnlock, kLock));
  EXPECT_THAT(dialogs_.texts(),
              ElementsAre(kConfigurationQuestion, kIntegerInputError, kTextNoWrite));
  EXPECT_FALSE(meter_.unlocked());
}

TEST_F(OutputTest, PulseOutputReadAndWriteClears1826) {
  meter_.SetFloat(1824, 0.01F);
  meter_.Set(1826, 5);
  meter_.Set(1827, 50);
  meter_.Set(1828, 60);
  EXPECT_EQ(BitBtn12Click(ctx_), BlockOutcome::kDone);
  EXPECT_EQ(controls_.Text("Edit109"), "0.0100     ");
  EXPECT_EQ(controls_.Text("Edit111"), "50");
  EXPECT_EQ(controls_.Text("Edit112"), "60");
  EXPECT_EQ(values_.pulse_reserved, 5);
  EXPECT_THAT(dialogs_.texts(),
              ElementsAre("Чтение параметров импульсных выходов успешно осуществлено."));

  bus_.ClearJournal();
  dialogs_.Clear();
  StartLog();
  controls_.SetText("Edit109", "1.5");
  controls_.SetText("Edit111", "70000");
  Yes();
  EXPECT_EQ(Button49Click(ctx_), BlockOutcome::kDone);
  EXPECT_THAT(Journal(),
              ElementsAre("read 300 x1", kUnlock, "write 1824 x5 = 16320, 0, 0, 4464, 60", kLock));
  EXPECT_EQ(WriteDescriptions().at(1), "записать параметры импульсного выхода ");
  EXPECT_THAT(dialogs_.texts(),
              ElementsAre(kConfigurationQuestion,
                          "Запись параметров импульсных выходов успешно осуществлена."));
  EXPECT_EQ(values_.pulse_reserved, 5);  // kept as read
}

TEST_F(OutputTest, PulseOutputCollectedAfterTheProtectionQuestion) {
  controls_.SetText("Edit109", "1.5");
  controls_.SetText("Edit111", "50");
  controls_.SetText("Edit112", "5O");
  EXPECT_EQ(BitBtn13Click(ctx_), BlockOutcome::kInputError);
  EXPECT_THAT(Journal(), ElementsAre("read 300 x1"));
  EXPECT_THAT(dialogs_.texts(), ElementsAre(kIntegerInputError, kTextNoWrite));

  meter_.SetWriteProtection(true);
  bus_.ClearJournal();
  dialogs_.Clear();
  Yes();
  EXPECT_EQ(Button49Click(ctx_), BlockOutcome::kInputError);
  EXPECT_THAT(Journal(), ElementsAre("read 300 x1"));
  EXPECT_THAT(dialogs_.texts(), ElementsAre("В приборе включена защита от записи.",
                                            kIntegerInputError, kTextNoWrite));
}

TEST_F(OutputTest, VolumeToSendShownWithoutABox) {
  const auto words = DoubleToRegisters(1234.5);
  for (uint16_t i = 0; i < 4; ++i) meter_.Set(static_cast<uint16_t>(768 + i), words[i]);
  EXPECT_EQ(Button92Click(ctx_), BlockOutcome::kDone);
  EXPECT_THAT(Journal(), ElementsAre("read 768 x4"));
  EXPECT_EQ(controls_.Text("Label381"), "1234.5000               ");
  EXPECT_EQ(dialogs_.box_count(), 0u);

  // A failure is still reported, and the label stays.
  FaultOnRequest(1, NoAnswer());
  EXPECT_EQ(Button92Click(ctx_), BlockOutcome::kFailed);
  EXPECT_THAT(dialogs_.texts(), ElementsAre("Ответа не было."));
  EXPECT_EQ(controls_.Text("Label381"), "1234.5000               ");
}

}  // namespace
}  // namespace qmx::test
