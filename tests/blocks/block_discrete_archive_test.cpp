// Discrete flags, archive interval and module, current frame number, electrode
// cleaning time and the cleaning switch.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "block_fixture.h"
#include "blocks/discrete_archive.h"
#include "blocks/measured_values.h"
#include "operator/dialogs.h"
#include "registers/input_parsing.h"

namespace qmx::test {
namespace {

using ::testing::ElementsAre;

constexpr char kUnlock[] = "write 1278 x2 = 1, 1";
constexpr char kLock[] = "write 1278 x2 = 0, 0";
constexpr char kUnlockText[] = "Запись разблокировки USERLOCK CLBLOCK.";

class DiscreteArchiveTest : public BlockTest {
 protected:
  void ClearAll() {
    bus_.ClearJournal();
    dialogs_.Clear();
  }
  bool ShowsCleaning() const {
    return controls_.Text("Panel5").find("Очист. электродов") != std::string::npos;
  }
  void ClearFlagBoxes() {
    for (uint16_t reg : {uint16_t{1962}, uint16_t{1963}}) {
      for (int bit = 0; bit < 16; ++bit) controls_.SetChecked(FlagBox(reg, bit), false);
    }
  }
};

// Each handler: what goes over the line, the boxes the operator sees and
// the exchange-log text of its block write.
TEST_F(DiscreteArchiveTest, HandlersAsDeclared) {
  controls_.SetItemIndex("ComboBox58", 600);
  controls_.SetItemIndex("ComboBox54", 45);
  controls_.SetText("Edit101", "77");
  const struct {
    const char* name;
    BlockOutcome (*run)(BlockContext&);
    std::vector<std::string> journal;
    std::vector<std::string> texts;
    const char* logged;  // the block write's log text, "" for reads
  } cases[] = {
      {"Button68",
       &Button68Click,
       {"read 1962 x2"},
       {"Чтение дискретных параметров успешно осуществлено."},
       ""},
      {"Button69",
       &Button69Click,
       {"read 300 x1", kUnlock, "write 1962 x2 = 0, 0", kLock},
       {"Дискретные параметры будут переписаны?.",
        "Запись дискретных параметров успешно осуществлена."},
       "запись дискретных выходов "},
      {"Button73",
       &Button73Click,
       {"read 1952 x2"},
       {"Чтение интервала записи в архив успешно осуществлено."},
       ""},
      {"BitBtn22",
       &BitBtn22Click,
       {"read 1952 x2"},
       {"Чтение интервала записи в архив успешно осуществлено."},
       ""},
      // The read before has ticked CheckBox92: the instrument's 1953 is 1.
      {"Button74",
       &Button74Click,
       {"read 300 x1", kUnlock, "write 1952 x2 = 600, 1", kLock},
       {"Интервал архивации будет переписан?.", "Запись интервала архивации успешно осуществлена."},
       "интервал архивации "},
      {"BitBtn23",
       &BitBtn23Click,
       {"read 300 x1", kUnlock, "write 1952 x2 = 600, 1", kLock},
       {"Интервал архивации будет переписан?.", "Запись интервала архивации успешно осуществлена."},
       "интервал архивации "},
      {"Button75",
       &Button75Click,
       {"read 1964 x2"},
       {"Чтение текущего номера кадра успешно осуществлено."},
       ""},
      {"Button76",
       &Button76Click,
       {"read 300 x1", kUnlock, "write 1964 x2 = 0, 77", kLock},
       {"Текущий номер кадра будет переписан?.",
        "Запись текущего номера кадра успешно осуществлена."},
       "номер текущего кадра "},
      {"Button63",
       &Button63Click,
       {"read 1954 x1"},
       {"Чтение времени очистки электродов успешно осуществлено."},
       ""},
      {"BitBtn20",
       &BitBtn20Click,
       {"read 1954 x1"},
       {"Чтение времени очистки электродов успешно осуществлено."},
       ""},
      // The cleaning writes read no state word and set no log text.
      {"Button64",
       &Button64Click,
       {kUnlock, "write 1954 x1 = 45", kLock},
       {"Время очистки электродов будет переписано?.",
        "Запись времени очистки электродов успешно осуществлена."},
       kUnlockText},
      {"BitBtn21",
       &BitBtn21Click,
       {kUnlock, "write 1954 x1 = 45", kLock},
       {"Время очистки электродов будет переписано?.",
        "Запись времени очистки электродов успешно осуществлена."},
       kUnlockText},
      {"Button61",
       &Button61Click,
       {kUnlock, "write 1955 x1 = 1", kLock},
       {"Будет включена очистка электродов.", "Включена очистка электродов."},
       kUnlockText},
      {"BitBtn18",
       &BitBtn18Click,
       {kUnlock, "write 1955 x1 = 1", kLock},
       {"Будет включена очистка электродов.", "Включена очистка электродов."},
       kUnlockText},
      {"Button62",
       &Button62Click,
       {kUnlock, "write 1955 x1 = 0", kLock},
       {"Будет выключена очистка электродов.", "Выключена очистка электродов."},
       kUnlockText},
      {"BitBtn19",
       &BitBtn19Click,
       {kUnlock, "write 1955 x1 = 0", kLock},
       {"Будет выключена очистка электродов.", "Выключена очистка электродов."},
       kUnlockText},
  };
  const std::span<const ButtonHandler> registered = DiscreteArchiveButtons();
  ASSERT_EQ(registered.size(), std::size(cases));
  StartLog();
  for (size_t i = 0; i < std::size(cases); ++i) {
    const auto& c = cases[i];
    SCOPED_TRACE(c.name);
    EXPECT_EQ(registered[i].button, c.name);
    EXPECT_EQ(registered[i].run, c.run);
    ClearAll();
    const bool write = c.journal.size() > 1;
    if (write) Yes();
    const size_t logged_before = WriteDescriptions().size();
    EXPECT_EQ(c.run(ctx_), BlockOutcome::kDone);
    EXPECT_EQ(Journal(), c.journal);
    EXPECT_EQ(dialogs_.texts(), c.texts);
    if (write) {
      const std::vector<std::string> logged = WriteDescriptions();
      ASSERT_EQ(logged.size(), logged_before + 3);
      EXPECT_EQ(logged[logged_before + 1], c.logged);
    }
    // The reads put back what the instrument holds for the next case.
    if (c.journal.front() == "read 1952 x2") controls_.SetItemIndex("ComboBox58", 600);
    if (c.journal.front() == "read 1954 x1") controls_.SetItemIndex("ComboBox54", 45);
    if (c.journal.front() == "read 1964 x2") controls_.SetText("Edit101", "77");
  }
  // The pauses: 100 ms before and after a read, 400 ms after a block write
  // (and 400 ms before the lock); none after the cleaning writes.  A gap
  // also holds the time the frames take on the line.
  ClearAll();
  EXPECT_EQ(Button75Click(ctx_), BlockOutcome::kDone);
  EXPECT_EQ(Button73Click(ctx_), BlockOutcome::kDone);
  EXPECT_GE(Gap(1), 200);
  EXPECT_LT(Gap(1), 260);
  ClearAll();
  Yes();
  EXPECT_EQ(Button76Click(ctx_), BlockOutcome::kDone);
  EXPECT_GE(Gap(3), 800);
  EXPECT_LT(Gap(3), 860);
  ClearAll();
  Yes();
  EXPECT_EQ(BitBtn21Click(ctx_), BlockOutcome::kDone);
  EXPECT_GE(Gap(2), 400);
  EXPECT_LT(Gap(2), 460);
}

// Box n of each row is bit n of its register, and only that bit.
TEST_F(DiscreteArchiveTest, EachFlagBoxWritesItsOwnBit) {
  const struct {
    uint16_t reg;
    int bit;
    const char* box;
  } boxes[] = {
      {1962, 0, "CheckBox59"},  {1962, 1, "CheckBox58"},  {1962, 2, "CheckBox57"},
      {1962, 3, "CheckBox56"},  {1962, 4, "CheckBox55"},  {1962, 5, "CheckBox54"},
      {1962, 6, "CheckBox53"},  {1962, 7, "CheckBox52"},  {1962, 8, "CheckBox51"},
      {1962, 9, "CheckBox50"},  {1962, 10, "CheckBox49"}, {1962, 11, "CheckBox48"},
      {1962, 12, "CheckBox47"}, {1962, 13, "CheckBox46"}, {1962, 14, "CheckBox45"},
      {1962, 15, "CheckBox44"}, {1963, 0, "CheckBox43"},  {1963, 1, "CheckBox42"},
      {1963, 2, "CheckBox41"},  {1963, 3, "CheckBox40"},  {1963, 4, "CheckBox39"},
      {1963, 5, "CheckBox38"},  {1963, 6, "CheckBox37"},  {1963, 7, "CheckBox36"},
      {1963, 8, "CheckBox35"},  {1963, 9, "CheckBox14"},  {1963, 10, "CheckBox13"},
      {1963, 11, "CheckBox12"}, {1963, 12, "CheckBox11"}, {1963, 13, "CheckBox10"},
      {1963, 14, "CheckBox9"},  {1963, 15, "CheckBox8"},
  };
  for (const auto& b : boxes) {
    SCOPED_TRACE(b.box);
    ClearFlagBoxes();
    controls_.SetChecked(b.box, true);
    ClearAll();
    Yes();
    ASSERT_EQ(Button69Click(ctx_), BlockOutcome::kDone);
    const unsigned mask = 1u << b.bit;
    const std::string sent = "write 1962 x2 = " + std::to_string(b.reg == 1962 ? mask : 0) + ", " +
                             std::to_string(b.reg == 1963 ? mask : 0);
    EXPECT_EQ(Journal().at(2), sent);
    EXPECT_EQ(meter_.Get(b.reg), mask);

    // Read back into cleared boxes: the same one box comes up.
    ClearFlagBoxes();
    ClearAll();
    ASSERT_EQ(Button68Click(ctx_), BlockOutcome::kDone);
    for (const auto& other : boxes) {
      EXPECT_EQ(controls_.Checked(other.box), other.box == std::string(b.box)) << other.box;
    }
  }
}

TEST_F(DiscreteArchiveTest, OnlyBoxesZeroAndFifteenOfTheVolatileFlags) {
  meter_.Set(1962, 0x1234);
  meter_.Set(1963, 0x4321);
  ASSERT_EQ(Button68Click(ctx_), BlockOutcome::kDone);
  EXPECT_TRUE(controls_.Checked("CheckBox57"));  // 1962 bit 2
  EXPECT_TRUE(controls_.Checked("CheckBox9"));   // 1963 bit 14
  ClearFlagBoxes();
  controls_.SetChecked("CheckBox43", true);
  controls_.SetChecked("CheckBox8", true);
  ClearAll();
  Yes();
  EXPECT_EQ(Button69Click(ctx_), BlockOutcome::kDone);
  EXPECT_THAT(Journal(), ElementsAre("read 300 x1", kUnlock, "write 1962 x2 = 0, 32769", kLock));
  EXPECT_EQ(meter_.Get(1962), 0x0000);
  EXPECT_EQ(meter_.Get(1963), 0x8001);
}

TEST_F(DiscreteArchiveTest, ArchiveIntervalOffAndTheModuleSwitch) {
  meter_.Set(1952, 0);
  meter_.Set(1953, 7);
  EXPECT_EQ(BitBtn22Click(ctx_), BlockOutcome::kDone);
  EXPECT_EQ(controls_.Text("ComboBox58"), "выкл.");
  EXPECT_TRUE(controls_.Checked("CheckBox92"));  // any value but 0
  EXPECT_EQ(profile_.archive.frame_write_interval_sec, 0);
  EXPECT_EQ(profile_.archive.frame_write_type, 7);

  meter_.Set(1953, 0);
  meter_.Set(1952, 3600);
  EXPECT_EQ(Button73Click(ctx_), BlockOutcome::kDone);
  EXPECT_EQ(controls_.Text("ComboBox58"), "3600");
  EXPECT_FALSE(controls_.Checked("CheckBox92"));

  // "выкл." writes 0; a checked box writes 1.
  controls_.SetItemIndex("ComboBox58", 0);
  controls_.SetChecked("CheckBox92", true);
  ClearAll();
  Yes();
  EXPECT_EQ(Button74Click(ctx_), BlockOutcome::kDone);
  EXPECT_THAT(Journal(), ElementsAre("read 300 x1", kUnlock, "write 1952 x2 = 0, 1", kLock));
  EXPECT_EQ(profile_.archive.frame_write_interval_sec, 0);
  EXPECT_EQ(profile_.archive.frame_write_type, 1);
}

// A time the lists have no item for is shown as no choice, and an empty
// list stops the write before the instrument is asked anything: sent as it
// stands it would be 65535 s.
TEST_F(DiscreteArchiveTest, TimeBeyondTheListsIsNoChoiceAndIsNotWritten) {
  controls_.SetItemIndex("ComboBox58", 10);
  controls_.SetItemIndex("ComboBox54", 10);
  meter_.Set(1952, 3601);
  EXPECT_EQ(BitBtn22Click(ctx_), BlockOutcome::kDone);
  EXPECT_EQ(controls_.ItemIndex("ComboBox58"), -1);
  EXPECT_EQ(profile_.archive.frame_write_interval_sec, 3601);
  meter_.Set(1954, 4000);
  EXPECT_EQ(BitBtn20Click(ctx_), BlockOutcome::kDone);
  EXPECT_EQ(controls_.ItemIndex("ComboBox54"), -1);

  ClearAll();
  EXPECT_EQ(BitBtn23Click(ctx_), BlockOutcome::kInputError);
  EXPECT_EQ(BitBtn21Click(ctx_), BlockOutcome::kInputError);
  EXPECT_TRUE(Journal().empty());
  EXPECT_THAT(dialogs_.texts(), ElementsAre(kNoArchiveIntervalError, kTextNoWrite,
                                            kNoCleaningTimeError, kTextNoWrite));
  EXPECT_EQ(meter_.Get(1952), 3601);
  EXPECT_EQ(meter_.Get(1954), 4000);
}

TEST_F(DiscreteArchiveTest, FrameNumberIsACountInBothForms) {
  const struct {
    const char* typed;
    const char* sent;
  } cases[] = {
      {"3000000000", "write 1964 x2 = 45776, 24064"},   // 0xB2D0, 0x5E00
      {"-1294967296", "write 1964 x2 = 45776, 24064"},  // the same bits, signed
      {"4294967295", "write 1964 x2 = 65535, 65535"},
      {"-1", "write 1964 x2 = 65535, 65535"},
      {" 65536 ", "write 1964 x2 = 1, 0"},
      {"0", "write 1964 x2 = 0, 0"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    controls_.SetText("Edit101", c.typed);
    ClearAll();
    Yes();
    ASSERT_EQ(Button76Click(ctx_), BlockOutcome::kDone);
    EXPECT_THAT(Journal(), ElementsAre("read 300 x1", kUnlock, c.sent, kLock));
  }

  // Read back: shown unsigned, and what is shown writes the same bits again.
  meter_.Set(1964, 0xB2D0);
  meter_.Set(1965, 0x5E00);
  controls_.SetText("Edit101", "");
  ClearAll();
  ASSERT_EQ(Button75Click(ctx_), BlockOutcome::kDone);
  EXPECT_EQ(controls_.Text("Edit101"), "3000000000");
  EXPECT_EQ(profile_.archive.current_frame, 3000000000u);
  meter_.Set(1964, 0);
  meter_.Set(1965, 0);
  Yes();
  ASSERT_EQ(Button76Click(ctx_), BlockOutcome::kDone);
  EXPECT_EQ(meter_.Get(1964), 0xB2D0);
  EXPECT_EQ(meter_.Get(1965), 0x5E00);
}

TEST_F(DiscreteArchiveTest, FrameNumberThatIsNoNumberStopsTheWrite) {
  for (const char* typed : {"12a", "", "4294967296", "-2147483649", "1.5"}) {
    SCOPED_TRACE(typed);
    controls_.SetText("Edit101", typed);
    ClearAll();
    EXPECT_EQ(Button76Click(ctx_), BlockOutcome::kInputError);
    EXPECT_TRUE(Journal().empty());
    ASSERT_EQ(dialogs_.boxes().size(), 2U);
    EXPECT_EQ(dialogs_.boxes()[0].text, kIntegerInputError);
    EXPECT_EQ(dialogs_.boxes()[0].caption, kCaptionInputError);
    EXPECT_EQ(dialogs_.boxes()[1].text, kTextNoWrite);
    EXPECT_EQ(dialogs_.boxes()[1].caption, kCaptionMessage);
  }
}

TEST_F(DiscreteArchiveTest, CleaningTimeWriteNeverAsksAboutProtection) {
  meter_.Set(1954, 0);
  EXPECT_EQ(Button63Click(ctx_), BlockOutcome::kDone);
  EXPECT_EQ(controls_.Text("ComboBox54"), "выкл.");
  EXPECT_EQ(profile_.el_clear_time_val, 0);

  meter_.SetWriteProtection(true);
  controls_.SetItemIndex("ComboBox54", 120);
  ClearAll();
  Yes();
  // The instrument refuses, and the operator is told so; no protection
  // question came first.
  EXPECT_EQ(BitBtn21Click(ctx_), BlockOutcome::kFailed);
  EXPECT_THAT(Journal(), ElementsAre(kUnlock, "write 1954 x1 = 120", kLock));
  EXPECT_EQ(dialogs_.texts().front(), "Время очистки электродов будет переписано?.");
  EXPECT_EQ(dialogs_.texts().size(), 2U);  // the confirmation and the refusal

  meter_.SetWriteProtection(false);
  ClearAll();
  Yes();
  EXPECT_EQ(Button64Click(ctx_), BlockOutcome::kDone);
  EXPECT_EQ(meter_.Get(1954), 120);
  EXPECT_EQ(profile_.el_clear_time_val, 120);
}

// The instrument reports the cleaning in the state word of the measured
// values while it runs, and the measured-value page names it.
TEST_F(DiscreteArchiveTest, CleaningOnShowsInTheFlowStateText) {
  meter_.SetFlow(12.5, 0.0);
  MeasuredValues measured;
  uint16_t last_status = 0;
  ReadMeasuredValues(link_, measured, last_status);
  ShowMeasuredValues(measured, last_status, controls_);
  EXPECT_FALSE(ShowsCleaning());

  Yes();
  ASSERT_EQ(BitBtn18Click(ctx_), BlockOutcome::kDone);
  ReadMeasuredValues(link_, measured, last_status);
  ShowMeasuredValues(measured, last_status, controls_);
  EXPECT_EQ(measured.flow_state & 0x4000, 0x4000);
  EXPECT_TRUE(ShowsCleaning());

  Yes();
  ASSERT_EQ(BitBtn19Click(ctx_), BlockOutcome::kDone);
  ReadMeasuredValues(link_, measured, last_status);
  ShowMeasuredValues(measured, last_status, controls_);
  EXPECT_FALSE(ShowsCleaning());
}

// A read that needed a repetition, or got no answer, fills nothing and
// stages nothing.
TEST_F(DiscreteArchiveTest, ReadFailuresLeaveTheControlsAndTheStagedValues) {
  link_.settings().retry_limit = 2;
  profile_.archive.current_frame = 5;
  controls_.SetText("Edit101", "5");
  controls_.SetItemIndex("ComboBox54", 9);
  controls_.SetChecked("CheckBox59", true);
  meter_.Set(1964, 0);
  meter_.Set(1965, 99);
  meter_.Set(1954, 30);
  meter_.Set(1962, 0);

  sim::Fault silent = NoAnswer();
  silent.remaining = 2;
  meter_.AddFault(silent);
  EXPECT_EQ(Button75Click(ctx_), BlockOutcome::kFailed);
  EXPECT_THAT(Journal(), ElementsAre("read 1964 x2", "read 1964 x2"));
  EXPECT_EQ(controls_.Text("Edit101"), "5");
  EXPECT_EQ(profile_.archive.current_frame, 5u);

  ClearAll();
  link_.settings().retry_limit = 1;
  FaultOnRequest(1, NoAnswer());
  EXPECT_EQ(BitBtn20Click(ctx_), BlockOutcome::kFailed);
  EXPECT_THAT(dialogs_.texts(), ElementsAre("Ответа не было."));
  EXPECT_EQ(controls_.ItemIndex("ComboBox54"), 9);
  EXPECT_EQ(profile_.el_clear_time_val, 3600);

  ClearAll();
  FaultOnRequest(1, NoAnswer());
  EXPECT_EQ(Button68Click(ctx_), BlockOutcome::kFailed);
  EXPECT_TRUE(controls_.Checked("CheckBox59"));
}

// The staged values are the profile's: the start-up fill shows them.
TEST_F(DiscreteArchiveTest, StartUpShowsTheProfileValues) {
  profile_.archive.frame_write_interval_sec = 900;
  profile_.archive.frame_write_type = 0;
  profile_.archive.current_frame = 3000000000u;
  profile_.el_clear_time_val = 0;
  controls_.SetChecked("CheckBox92", true);
  FillBlockControls(controls_, values_);
  EXPECT_EQ(controls_.Text("ComboBox58"), "900");
  EXPECT_FALSE(controls_.Checked("CheckBox92"));
  EXPECT_EQ(controls_.Text("Edit101"), "3000000000");
  EXPECT_EQ(controls_.Text("ComboBox54"), "выкл.");
  EXPECT_EQ(OffThenSecondsItems().size(), 3601U);
  EXPECT_EQ(OffThenSecondsItems()[1], "1");
  EXPECT_EQ(OffThenSecondsItems()[3600], "3600");
  EXPECT_EQ(SecondsItems().front(), "0");
  EXPECT_EQ(SecondsItems().size(), 3601U);
}

}  // namespace
}  // namespace qmx::test
