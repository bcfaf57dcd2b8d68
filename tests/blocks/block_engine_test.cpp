// The two procedures every configuration page follows, seen through real
// handlers: what goes over the line, in which order and with which pauses,
// and what the operator is asked and told.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "block_fixture.h"
#include "blocks/measurement_settings.h"
#include "blocks/output_settings.h"
#include "link/exchange_status.h"
#include "operator/dialogs.h"
#include "registers/input_parsing.h"

namespace qmx::test {
namespace {

using ::testing::ElementsAre;

constexpr char kUnlock[] = "write 1278 x2 = 1, 1";
constexpr char kLock[] = "write 1278 x2 = 0, 0";
constexpr char kStateRead[] = "read 300 x1";
constexpr char kWrittenText[] = "Запись параметров измерения успешно осуществлена.";

class GuardedWriteTest : public BlockTest {
 protected:
  // The tab's units block as the operator set it.
  void SetUnits() {
    controls_.SetItemIndex("ComboBox41", 2);
    controls_.SetItemIndex("ComboBox5", 10);
    controls_.SetItemIndex("ComboBox57", 1);
    controls_.SetChecked("CheckBox6", true);
    controls_.SetItemIndex("ComboBox56", 3);
  }
};

TEST_F(GuardedWriteTest, FullSequenceLocksOnceAndReports) {
  StartLog();
  SetUnits();
  Yes();
  EXPECT_EQ(Button11Click(ctx_), BlockOutcome::kDone);

  EXPECT_THAT(Journal(),
              ElementsAre(kStateRead, kUnlock, "write 1840 x2 = 2, 10", "write 1856 x1 = 1",
                          "write 1874 x1 = 1", "write 1956 x1 = 3", kLock));
  EXPECT_THAT(WriteDescriptions(),
              ElementsAre("Запись разблокировки USERLOCK CLBLOCK.", "единицы и число усреднений ",
                          "единицы суммы ", "разрешение коррекции по временной метке ",
                          "тип отображаемой на экране суммы ", "Запись USERLOCK."));
  ASSERT_EQ(dialogs_.box_count(), 2u);
  EXPECT_EQ(dialogs_.boxes()[0].text, kConfigurationQuestion);
  EXPECT_EQ(dialogs_.boxes()[0].caption, kCaptionConfirm);
  EXPECT_EQ(dialogs_.boxes()[1].text, kWrittenText);
  EXPECT_EQ(dialogs_.boxes()[1].caption, kCaptionResult);
  EXPECT_FALSE(meter_.unlocked());
  EXPECT_EQ(meter_.Get(1841), 10);
  // The staged record is the profile's.
  EXPECT_EQ(profile_.measurement.izm_flow_v_unit, 2);
  EXPECT_EQ(profile_.measurement.time_stamp_val_corr_en, 1);
}

TEST_F(GuardedWriteTest, PausesBetweenTransactions) {
  SetUnits();
  Yes();
  ASSERT_EQ(Button11Click(ctx_), BlockOutcome::kDone);
  ASSERT_EQ(bus_.journal().size(), 7u);
  // Before each request: the state read's 100 ms after, then the 400 ms
  // before the unlock; the 100 ms after it; 400 ms after each block write
  // but the last; 400 ms before the lock.  A transaction itself takes
  // some tens of milliseconds at 19200 Bd (a read waits out the interval
  // time-out after the answer).
  const int64_t pauses[] = {0, 500, 100, 400, 400, 400, 400};
  for (size_t i = 1; i < 7; ++i) {
    EXPECT_GE(Gap(i), pauses[i]) << Entry(i).Describe();
    EXPECT_LT(Gap(i), pauses[i] + 50) << Entry(i).Describe();
  }
  // 100 ms before the state read, 100 ms after the lock.
  EXPECT_GE(Entry(0).time_ms, 100);
  EXPECT_LT(Entry(0).time_ms, 130);
  EXPECT_GE(clock_.NowMs() - Entry(6).time_ms, 100);
}

TEST_F(GuardedWriteTest, ProtectionQuestionYesStillSends) {
  meter_.SetWriteProtection(true);
  controls_.SetText("Edit114", "2");
  Yes(2);
  EXPECT_EQ(Button67Click(ctx_), BlockOutcome::kFailed);

  // The program leaves the refusal to the instrument and reports it.
  EXPECT_THAT(Journal(), ElementsAre(kStateRead, kUnlock, "write 1957 x2 = 16384, 0", kLock));
  EXPECT_THAT(dialogs_.texts(),
              ElementsAre("В приборе включена защита от записи.",
                          "Данные отсечки будут переписаны?.", "Неподдерживаемая функция."));
  EXPECT_EQ(dialogs_.boxes()[0].caption, kCaptionWarning);
  EXPECT_EQ(values_.state_word & 0x8000, 0x8000);
  EXPECT_FALSE(meter_.unlocked());
}

TEST_F(GuardedWriteTest, NoEndsTheHandler) {
  meter_.SetWriteProtection(true);
  controls_.SetText("Edit114", "2");
  No();
  EXPECT_EQ(Button67Click(ctx_), BlockOutcome::kCancelled);
  EXPECT_THAT(Journal(), ElementsAre(kStateRead));

  meter_.SetWriteProtection(false);
  bus_.ClearJournal();
  dialogs_.Clear();
  No();
  EXPECT_EQ(Button67Click(ctx_), BlockOutcome::kCancelled);
  EXPECT_THAT(Journal(), ElementsAre(kStateRead));
  EXPECT_THAT(dialogs_.texts(), ElementsAre("Данные отсечки будут переписаны?."));
}

TEST_F(GuardedWriteTest, LettersStopTheWriteBeforeTheStateRead) {
  controls_.SetText("Edit114", "1.5a");
  EXPECT_EQ(Button67Click(ctx_), BlockOutcome::kInputError);
  EXPECT_TRUE(Journal().empty());
  ASSERT_EQ(dialogs_.box_count(), 2u);
  EXPECT_EQ(dialogs_.boxes()[0].text, kFloatInputError);
  EXPECT_EQ(dialogs_.boxes()[0].caption, kCaptionInputError);
  EXPECT_EQ(dialogs_.boxes()[1].text, kTextNoWrite);
  EXPECT_EQ(dialogs_.boxes()[1].caption, kCaptionMessage);

  // The integer fields have their own wording.
  dialogs_.Clear();
  controls_.SetText("Edit107", "100");
  controls_.SetText("Edit110", "0");
  controls_.SetText("Edit108", "12,5");
  EXPECT_EQ(Button15Click(ctx_), BlockOutcome::kInputError);
  EXPECT_TRUE(Journal().empty());
  EXPECT_THAT(dialogs_.texts(), ElementsAre(kIntegerInputError, kTextNoWrite));
}

TEST_F(GuardedWriteTest, FailedBlockWriteIsReportedThenTheLockIsClosed) {
  SetUnits();
  controls_.SetItemIndex("ComboBox41", -1);  // no selection: 65535, which the instrument refuses
  Yes();
  EXPECT_EQ(Button11Click(ctx_), BlockOutcome::kFailed);

  EXPECT_THAT(Journal(), ElementsAre(kStateRead, kUnlock, "write 1840 x2 = 65535, 10", kLock));
  EXPECT_THAT(dialogs_.texts(), ElementsAre(kConfigurationQuestion,
                                            "Величина данных превышает допустимое значение."));
  EXPECT_FALSE(meter_.unlocked());
}

TEST_F(GuardedWriteTest, UnlockWithoutAnswerIsFollowedByALockAttempt) {
  Yes();
  FaultOnRequest(1, NoAnswer());  // Button79 reads no state word: the unlock
  EXPECT_EQ(Button79Click(ctx_), BlockOutcome::kFailed);
  EXPECT_THAT(Journal(), ElementsAre(kUnlock, kLock));
  EXPECT_THAT(dialogs_.texts(), ElementsAre(kConfigurationQuestion, "Ответа не было."));
}

TEST_F(GuardedWriteTest, SuccessAfterARepetitionIsASuccess) {
  // The write got through on its second attempt: the instrument executed
  // it, so the handler goes on to the lock and the success box.
  link_.settings().retry_limit = 2;
  SetUnits();
  Yes();
  FaultOnRequest(3, NoAnswer());
  EXPECT_EQ(Button11Click(ctx_), BlockOutcome::kDone);
  EXPECT_THAT(Journal(),
              ElementsAre(kStateRead, kUnlock, "write 1840 x2 = 2, 10", "write 1840 x2 = 2, 10",
                          "write 1856 x1 = 1", "write 1874 x1 = 1", "write 1956 x1 = 3", kLock));
  EXPECT_EQ(dialogs_.texts().size(), 2u);
  EXPECT_EQ(dialogs_.LastBox().caption, kCaptionResult);
}

class BlockReadTest : public BlockTest {
 protected:
  // Every control of the measurement page and tab set to something a read
  // would change.
  void MarkControls() {
    controls_.SetItemIndex("ComboBox41", 0);
    controls_.SetItemIndex("ComboBox5", 0);
    controls_.SetItemIndex("ComboBox57", 1);
    controls_.SetChecked("CheckBox6", true);
    controls_.SetItemIndex("ComboBox56", 2);
    for (const char* name : {"Edit114", "Label271", "Label273", "Label275"}) {
      controls_.SetText(name, "x");
    }
  }
  void ExpectControlsMarked() {
    EXPECT_EQ(controls_.ItemIndex("ComboBox41"), 0);
    EXPECT_EQ(controls_.ItemIndex("ComboBox5"), 0);
    EXPECT_EQ(controls_.ItemIndex("ComboBox57"), 1);
    EXPECT_TRUE(controls_.Checked("CheckBox6"));
    EXPECT_EQ(controls_.ItemIndex("ComboBox56"), 2);
    for (const char* name : {"Edit114", "Label271", "Label273", "Label275"}) {
      EXPECT_EQ(controls_.Text(name), "x") << name;
    }
  }
};

TEST_F(BlockReadTest, FailureOfTheSecondReadLeavesEveryControlAsItWas) {
  MarkControls();
  sim::Fault refused;
  refused.kind = sim::FaultKind::kException;
  refused.value = 2;
  refused.remaining = 1;
  FaultOnRequest(6, refused);  // read 1957 x4, after the units and the module block
  EXPECT_EQ(BitBtn6Click(ctx_), BlockOutcome::kFailed);
  EXPECT_THAT(Journal(), ElementsAre("read 1840 x2", "read 1856 x1", "read 1874 x1", "read 1956 x1",
                                     "read 1280 x42", "read 1957 x4"));
  EXPECT_THAT(dialogs_.texts(), ElementsAre("Адрес данных выходит за допустимые границы."));
  EXPECT_EQ(dialogs_.LastBox().caption, "Устройство сообщает об ошибке");
  ExpectControlsMarked();
  // Nothing of the failed operation was staged.
  EXPECT_EQ(values_.module_parameters.words[0], 0);
}

TEST_F(BlockReadTest, SuccessAfterARepetitionFillsThePage) {
  link_.settings().retry_limit = 2;
  MarkControls();
  meter_.Set(1840, 2);
  FaultOnRequest(1, NoAnswer());
  EXPECT_EQ(Button10Click(ctx_), BlockOutcome::kDone);
  EXPECT_THAT(Journal(), ElementsAre("read 1840 x2", "read 1840 x2", "read 1856 x1", "read 1874 x1",
                                     "read 1956 x1"));
  EXPECT_EQ(dialogs_.box_count(), 1u);
  EXPECT_EQ(dialogs_.LastBox().caption, kCaptionResult);
  EXPECT_NE(controls_.ItemIndex("ComboBox41"), 0);
}

TEST_F(BlockReadTest, PausesAroundReads) {
  ASSERT_EQ(Button10Click(ctx_), BlockOutcome::kDone);
  ASSERT_EQ(bus_.journal().size(), 4u);
  EXPECT_GE(Entry(0).time_ms, 100);
  EXPECT_LT(Entry(0).time_ms, 120);
  const int64_t pauses[] = {0, 100, 100, 0};  // 1874 and 1956 back to back
  for (size_t i = 1; i < 4; ++i) {
    EXPECT_GE(Gap(i), pauses[i]) << Entry(i).Describe();
    EXPECT_LT(Gap(i), pauses[i] + 50) << Entry(i).Describe();
  }
  EXPECT_GE(clock_.NowMs() - Entry(3).time_ms, 100);
}

}  // namespace
}  // namespace qmx::test
