// Restart, totaliser reset and operating-time reset.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "block_fixture.h"
#include "blocks/device_commands.h"
#include "operator/dialogs.h"

namespace qmx::test {
namespace {

using ::testing::ElementsAre;

constexpr char kUnlock[] = "write 1278 x2 = 1, 1";
constexpr char kLock[] = "write 1278 x2 = 0, 0";
constexpr char kRestartQuestion[] = "Работа программы прибора будет перезапущена?.";
constexpr char kTotaliserQuestion[] = "Накопленный объем будет сброшен.";
constexpr char kOperatingTimeQuestion[] = "Время наработки будет сброшено.";

using CommandTest = BlockTest;

TEST_F(CommandTest, RestartUnlocksAndSendsTheCommandOnly) {
  StartLog();
  for (auto* handler : {&Button50Click, &Button78Click, &BitBtn30Click}) {
    bus_.ClearJournal();
    dialogs_.Clear();
    clock_.Advance(5000);  // past the previous restart's silence
    Yes();
    EXPECT_EQ(handler(ctx_), BlockOutcome::kDone);
    EXPECT_THAT(Journal(), ElementsAre(kUnlock, "write 1049 x1 = 1"));
    EXPECT_GE(Gap(1), 100);
    EXPECT_THAT(dialogs_.texts(), ElementsAre(kRestartQuestion));
  }
  EXPECT_EQ(meter_.restart_count(), 3u);
  // Logged under the text set last: the unlock's.
  EXPECT_THAT(WriteDescriptions(), ElementsAre("Запись разблокировки USERLOCK CLBLOCK.",
                                               "Запись разблокировки USERLOCK CLBLOCK.",
                                               "Запись разблокировки USERLOCK CLBLOCK.",
                                               "Запись разблокировки USERLOCK CLBLOCK.",
                                               "Запись разблокировки USERLOCK CLBLOCK.",
                                               "Запись разблокировки USERLOCK CLBLOCK."));
}

TEST_F(CommandTest, RestartAnswerIsNotExamined) {
  Yes();
  FaultOnRequest(2, NoAnswer());
  EXPECT_EQ(Button78Click(ctx_), BlockOutcome::kDone);
  EXPECT_THAT(Journal(), ElementsAre(kUnlock, "write 1049 x1 = 1"));
  EXPECT_THAT(dialogs_.texts(), ElementsAre(kRestartQuestion));
}

TEST_F(CommandTest, NoAtTheQuestionSendsNothing) {
  No();
  EXPECT_EQ(BitBtn30Click(ctx_), BlockOutcome::kCancelled);
  No();
  EXPECT_EQ(Button9Click(ctx_), BlockOutcome::kCancelled);
  EXPECT_TRUE(Journal().empty());
  EXPECT_EQ(meter_.restart_count(), 0u);
}

TEST_F(CommandTest, TotaliserResetClosesTheLockAfterTheAnswer) {
  StartLog();
  for (auto* handler : {&Button9Click, &BitBtn27Click}) {
    bus_.ClearJournal();
    dialogs_.Clear();
    Yes();
    EXPECT_EQ(handler(ctx_), BlockOutcome::kDone);
    EXPECT_THAT(Journal(), ElementsAre(kUnlock, "write 1857 x1 = 1", kLock));
    EXPECT_LT(Gap(1), 50);   // the unlock goes without pauses
    EXPECT_GE(Gap(2), 400);  // the lock with them
    EXPECT_THAT(dialogs_.texts(), ElementsAre(kTotaliserQuestion));
    EXPECT_EQ(dialogs_.LastBox().caption, kCaptionConfirm);
  }
  EXPECT_THAT(
      WriteDescriptions(),
      ElementsAre(" разблокируем запись ", "IZM_FLOW_V_SUM_CLR = 1  сбросим накопленный объем",
                  "Запись USERLOCK.", " разблокируем запись ",
                  "IZM_FLOW_V_SUM_CLR = 1  сбросим накопленный объем", "Запись USERLOCK."));
  EXPECT_FALSE(meter_.unlocked());
}

TEST_F(CommandTest, ResetCountsASuccessAfterARepetitionAsSuccess) {
  link_.settings().retry_limit = 2;
  Yes();
  FaultOnRequest(1, NoAnswer());
  EXPECT_EQ(Button9Click(ctx_), BlockOutcome::kDone);
  EXPECT_THAT(Journal(), ElementsAre(kUnlock, kUnlock, "write 1857 x1 = 1", kLock));
  EXPECT_THAT(dialogs_.texts(), ElementsAre(kTotaliserQuestion));
}

TEST_F(CommandTest, FailedResetIsReportedAndTheLockClosed) {
  meter_.SetWriteProtection(true);
  Yes();
  EXPECT_EQ(BitBtn27Click(ctx_), BlockOutcome::kFailed);
  EXPECT_THAT(Journal(), ElementsAre(kUnlock, "write 1857 x1 = 1", kLock));
  EXPECT_THAT(dialogs_.texts(), ElementsAre(kTotaliserQuestion, "Неподдерживаемая функция."));
  EXPECT_FALSE(meter_.unlocked());

  // A failed unlock: the command is not sent.
  meter_.SetWriteProtection(false);
  bus_.ClearJournal();
  dialogs_.Clear();
  Yes();
  FaultOnRequest(1, NoAnswer());
  EXPECT_EQ(Button9Click(ctx_), BlockOutcome::kFailed);
  EXPECT_THAT(Journal(), ElementsAre(kUnlock, kLock));
  EXPECT_THAT(dialogs_.texts(), ElementsAre(kTotaliserQuestion, "Ответа не было."));
}

TEST_F(CommandTest, OperatingTimeResetAsksAboutProtectionFirst) {
  StartLog();
  Yes();
  EXPECT_EQ(Button85Click(ctx_), BlockOutcome::kDone);
  EXPECT_THAT(Journal(), ElementsAre("read 300 x1", kUnlock, "write 1966 x1 = 1", kLock));
  EXPECT_LT(Gap(2), 50);
  EXPECT_THAT(WriteDescriptions(), ElementsAre("USERLOCK = 1 CLBLOC =1  разблокируем запись ",
                                               "сбрасываем время накопления", "Запись USERLOCK."));
  EXPECT_THAT(dialogs_.texts(), ElementsAre(kOperatingTimeQuestion));

  // With protection on, the instrument refuses the command.
  meter_.SetWriteProtection(true);
  bus_.ClearJournal();
  dialogs_.Clear();
  Yes(2);
  EXPECT_EQ(Button85Click(ctx_), BlockOutcome::kFailed);
  EXPECT_THAT(Journal(), ElementsAre("read 300 x1", kUnlock, "write 1966 x1 = 1", kLock));
  EXPECT_THAT(dialogs_.texts(), ElementsAre("В приборе включена защита от записи.",
                                            kOperatingTimeQuestion, "Неподдерживаемая функция."));
  EXPECT_FALSE(meter_.unlocked());
}

}  // namespace
}  // namespace qmx::test
