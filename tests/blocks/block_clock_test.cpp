// The instrument's clock and the front-panel menu password: reads and writes
// from the tab "Общеприборные" and the pages "ВРЕМЯ" and "ДОП. НАСТРОЙКИ".
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "block_fixture.h"
#include "blocks/clock_password.h"
#include "operator/dialogs.h"
#include "registers/input_parsing.h"

namespace qmx::test {
namespace {

using ::testing::AnyOf;
using ::testing::ElementsAre;

constexpr char kStateRead[] = "read 300 x1";
constexpr char kUnlock[] = "write 1278 x2 = 1, 1";
constexpr char kLock[] = "write 1278 x2 = 0, 0";
constexpr char kNoAnswer[] = "Ответа не было.";

class ClockTest : public BlockTest {
 protected:
  // The instrument's clock, register by register (the simulator's clock runs
  // on from it).
  void SetMeterClock(uint16_t year, uint16_t month, uint16_t day, uint16_t hour, uint16_t minute,
                     uint16_t second) {
    const uint16_t values[] = {year, month, day, hour, minute, second};
    for (uint16_t i = 0; i < 6; ++i) meter_.Set(static_cast<uint16_t>(1056 + i), values[i]);
  }
  // The tab's lists: what a write from the lists sends.
  void ChooseOnTab(int year, int month, int day, int hour, int minute, int second) {
    controls_.SetItemIndex("ComboBox30", year - 2017);
    controls_.SetItemIndex("ComboBox29", month - 1);
    controls_.SetItemIndex("ComboBox28", day - 1);
    controls_.SetItemIndex("ComboBox8", hour);
    controls_.SetItemIndex("ComboBox9", minute);
    controls_.SetItemIndex("ComboBox27", second);
  }
  std::vector<std::string> PageLists() {
    std::vector<std::string> texts;
    for (const char* name :
         {"ComboBox48", "ComboBox49", "ComboBox50", "ComboBox51", "ComboBox52", "ComboBox53"}) {
      texts.push_back(controls_.Text(name));
    }
    return texts;
  }
  void Restart() {
    bus_.ClearJournal();
    dialogs_.Clear();
  }
};

// Every handler of the two blocks: what goes over the line, the texts the
// operator sees and the exchange-log text of the block write.
TEST_F(ClockTest, EveryHandlerItsTransactionsAndTexts) {
  StartLog();
  ChooseOnTab(2021, 4, 3, 7, 5, 9);
  meter_.Set(1264, 1234);  // what the reads bring into Edit113, the writes send
  const struct {
    const char* name;
    BlockOutcome (*run)(BlockContext&);
    int answers;
    std::vector<std::string> journal;
    std::vector<std::string> texts;
    const char* description;  // of the block write; "" for reads
  } cases[] = {
      {"Button51", &Button51Click, 0, {"read 1056 x6"}, {kClockReadText}, ""},
      {"BitBtn15", &BitBtn15Click, 0, {"read 1056 x6"}, {kClockReadText}, ""},
      {"Button52",
       &Button52Click,
       1,
       {kStateRead, kUnlock, "write 1056 x6 = 2021, 4, 3, 7, 5, 9", kLock},
       {kClockQuestion, kClockWrittenText},
       "Записать время и дату. "},
      {"BitBtn17",
       &BitBtn17Click,
       1,
       {kStateRead, kUnlock, "write 1056 x6 = 2021, 4, 3, 7, 5, 9", kLock},
       {kClockQuestion, kClockWrittenText},
       "Записать время и дату. "},
      {"Button53", &Button53Click, 0, {"read 1264 x1"}, {kPasswordReadText}, ""},
      {"BitBtn28", &BitBtn28Click, 0, {"read 1264 x1"}, {kPasswordReadText}, ""},
      {"Button54",
       &Button54Click,
       1,
       {kStateRead, kUnlock, "write 1264 x1 = 1234", kLock},
       {kPasswordQuestion, kPasswordWrittenText},
       "Записать пароль меню передней панели. "},
      {"BitBtn29",
       &BitBtn29Click,
       1,
       {kStateRead, kUnlock, "write 1264 x1 = 1234", kLock},
       {kPasswordQuestion, kPasswordWrittenText},
       "Записать пароль меню передней панели. "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Restart();
    const size_t logged = WriteDescriptions().size();
    if (c.answers > 0) Yes(c.answers);
    EXPECT_EQ(c.run(ctx_), BlockOutcome::kDone);
    EXPECT_EQ(Journal(), c.journal);
    EXPECT_EQ(dialogs_.texts(), c.texts);
    if (*c.description != '\0') {
      const std::vector<std::string> texts = WriteDescriptions();
      ASSERT_EQ(texts.size(), logged + 3);
      EXPECT_EQ(texts[logged + 1], c.description);
    }
  }
  // Registers and pauses: 100 ms before a read, 400 ms before a write.
  Restart();
  EXPECT_EQ(Button51Click(ctx_), BlockOutcome::kDone);
  EXPECT_GE(Entry(0).time_ms, 100);
  Restart();
  Yes();
  EXPECT_EQ(Button54Click(ctx_), BlockOutcome::kDone);
  EXPECT_GE(Gap(2), 400);
}

TEST_F(ClockTest, ReadShowsThePanelAndThePageListsNotTheTab) {
  ChooseOnTab(2030, 12, 31, 23, 59, 58);
  SetMeterClock(2021, 4, 3, 7, 5, 9);
  EXPECT_EQ(BitBtn15Click(ctx_), BlockOutcome::kDone);
  EXPECT_EQ(controls_.Text("Panel117"), "7:05:09  3.04.2021");
  EXPECT_THAT(PageLists(), ElementsAre("7", "5", "9", "3", "4", "2021"));
  // The tab keeps what the operator chose there.
  EXPECT_EQ(controls_.Text("ComboBox30"), "2030");
  EXPECT_EQ(controls_.Text("ComboBox28"), "31");
  EXPECT_EQ(controls_.Text("ComboBox27"), "58");

  SetMeterClock(2019, 11, 28, 17, 45, 30);
  EXPECT_EQ(Button51Click(ctx_), BlockOutcome::kDone);
  EXPECT_EQ(controls_.Text("Panel117"), "17:45:30  28.11.2019");
  EXPECT_THAT(PageLists(), ElementsAre("17", "45", "30", "28", "11", "2019"));
}

TEST_F(ClockTest, YearBeyondTheListClearsThePageYearButThePanelShowsIt) {
  SetMeterClock(2021, 4, 3, 7, 5, 9);
  ASSERT_EQ(BitBtn15Click(ctx_), BlockOutcome::kDone);
  ASSERT_EQ(controls_.Text("ComboBox53"), "2021");
  SetMeterClock(2100, 1, 2, 3, 4, 5);
  EXPECT_EQ(BitBtn15Click(ctx_), BlockOutcome::kDone);
  EXPECT_EQ(controls_.ItemIndex("ComboBox53"), -1);
  EXPECT_EQ(controls_.Text("Panel117"), "3:04:05  2.01.2100");
  EXPECT_EQ(controls_.Text("ComboBox52"), "1");
}

TEST_F(ClockTest, ReadThatNeededARepetitionCountsAsARead) {
  link_.settings().retry_limit = 2;
  SetMeterClock(2022, 6, 15, 10, 20, 30);
  FaultOnRequest(1, NoAnswer());
  EXPECT_EQ(Button51Click(ctx_), BlockOutcome::kDone);
  EXPECT_THAT(Journal(), ElementsAre("read 1056 x6", "read 1056 x6"));
  EXPECT_THAT(dialogs_.texts(), ElementsAre(kClockReadText));
  EXPECT_EQ(controls_.Text("Panel117").substr(0, 5), "10:20");

  Restart();
  meter_.Set(1264, 4321);
  FaultOnRequest(1, NoAnswer());
  EXPECT_EQ(BitBtn28Click(ctx_), BlockOutcome::kDone);
  EXPECT_THAT(dialogs_.texts(), ElementsAre(kPasswordReadText));
  EXPECT_EQ(controls_.Text("Edit113"), "4321");
}

TEST_F(ClockTest, FailedReadsLeaveTheDisplayAsItWas) {
  controls_.SetText("Panel117", "прежнее");
  controls_.SetText("Edit113", "77");
  FaultOnRequest(1, NoAnswer());
  EXPECT_EQ(BitBtn15Click(ctx_), BlockOutcome::kFailed);
  FaultOnRequest(1, NoAnswer());
  EXPECT_EQ(Button53Click(ctx_), BlockOutcome::kFailed);
  EXPECT_THAT(dialogs_.texts(), ElementsAre(kNoAnswer, kNoAnswer));
  EXPECT_EQ(controls_.Text("Panel117"), "прежнее");
  EXPECT_EQ(controls_.Text("Edit113"), "77");
}

TEST_F(ClockTest, WrittenClockIsWhatTheInstrumentThenReads) {
  ChooseOnTab(2024, 2, 29, 13, 0, 0);
  Yes();
  ASSERT_EQ(Button52Click(ctx_), BlockOutcome::kDone);
  Restart();
  ASSERT_EQ(BitBtn15Click(ctx_), BlockOutcome::kDone);
  // Under a second of virtual time has passed.
  EXPECT_THAT(controls_.Text("Panel117"), AnyOf("13:00:00  29.02.2024", "13:00:01  29.02.2024"));
}

TEST_F(ClockTest, DateThatDoesNotExistIsRefusedBeforeAnythingIsSent) {
  const struct {
    int year, month, day;
  } refused[] = {{2023, 2, 29}, {2024, 2, 30}, {2021, 2, 31},  {2021, 4, 31},
                 {2021, 6, 31}, {2021, 9, 31}, {2021, 11, 31}, {2100 - 1, 2, 29}};
  for (const auto& d : refused) {
    SCOPED_TRACE(std::to_string(d.day) + "." + std::to_string(d.month) + "." +
                 std::to_string(d.year));
    Restart();
    ChooseOnTab(d.year, d.month, d.day, 12, 0, 0);
    EXPECT_EQ(Button52Click(ctx_), BlockOutcome::kInputError);
    EXPECT_TRUE(Journal().empty());
    ASSERT_EQ(dialogs_.box_count(), 2u);
    EXPECT_EQ(dialogs_.boxes()[0].text, kNoSuchDateError);
    EXPECT_EQ(dialogs_.boxes()[0].caption, kCaptionInputError);
    EXPECT_EQ(dialogs_.boxes()[1].text, kWriteAbandonedText);
  }
  // The last day of each month and a leap day go out.
  const struct {
    int year, month, day;
  } accepted[] = {{2024, 2, 29}, {2023, 2, 28}, {2021, 4, 30}, {2021, 12, 31}, {2017, 1, 1}};
  for (const auto& d : accepted) {
    Restart();
    ChooseOnTab(d.year, d.month, d.day, 12, 0, 0);
    Yes();
    EXPECT_EQ(BitBtn17Click(ctx_), BlockOutcome::kDone);
    EXPECT_EQ(Journal().at(2), "write 1056 x6 = " + std::to_string(d.year) + ", " +
                                   std::to_string(d.month) + ", " + std::to_string(d.day) +
                                   ", 12, 0, 0");
  }
}

TEST_F(ClockTest, ListWithoutAChoiceIsAnInputError) {
  ChooseOnTab(2021, 4, 3, 7, 5, 9);
  controls_.SetItemIndex("ComboBox9", -1);
  EXPECT_EQ(Button52Click(ctx_), BlockOutcome::kInputError);
  EXPECT_TRUE(Journal().empty());
  EXPECT_THAT(dialogs_.texts(), ElementsAre(kDateNotChosenError, kWriteAbandonedText));
}

TEST_F(ClockTest, ComputerTimeIsTakenAfterTheUnlockAndReadBack) {
  // 14:05:07.500: the state word and the unlock with their pauses take more
  // than half a second, so the time after the unlock is in the next second.
  clock_.SetLocalOrigin({2025, 3, 6, 14, 5, 7, 500});
  SetMeterClock(2019, 1, 1, 0, 0, 0);
  Yes();
  EXPECT_EQ(BitBtn31Click(ctx_), BlockOutcome::kDone);
  EXPECT_THAT(Journal(),
              ElementsAre(kStateRead, kUnlock, "write 1056 x6 = 2025, 3, 6, 14, 5, 8", kLock));
  EXPECT_THAT(dialogs_.texts(), ElementsAre(kClockQuestion, kClockWrittenText));

  // A read now shows the computer's time.
  Restart();
  ASSERT_EQ(BitBtn15Click(ctx_), BlockOutcome::kDone);
  const LocalTime now = clock_.LocalNow();
  char expected[64];
  std::snprintf(expected, sizeof expected, "%u:%02u:%02u  %u.%02u.%04u", now.hour, now.minute,
                now.second, now.day, now.month, now.year);
  EXPECT_EQ(controls_.Text("Panel117"), expected);
  EXPECT_EQ(controls_.Text("Panel117"), "14:05:09  6.03.2025");
}

TEST_F(ClockTest, ComputerTimeAcrossMidnightOfTheNewYear) {
  clock_.SetLocalOrigin({2025, 12, 31, 23, 59, 59, 400});
  Yes();
  EXPECT_EQ(BitBtn31Click(ctx_), BlockOutcome::kDone);
  EXPECT_EQ(Journal().at(2), "write 1056 x6 = 2026, 1, 1, 0, 0, 0");
}

TEST_F(ClockTest, ComputerTimeAsksTheConfirmationBeforeTheProtectionQuestion) {
  meter_.SetWriteProtection(true);
  Yes(2);
  EXPECT_EQ(BitBtn31Click(ctx_), BlockOutcome::kFailed);  // the instrument refuses
  ASSERT_GE(dialogs_.box_count(), 2u);
  EXPECT_EQ(dialogs_.boxes()[0].text, kClockQuestion);
  EXPECT_EQ(dialogs_.boxes()[0].caption, kCaptionConfirm);
  EXPECT_EQ(dialogs_.boxes()[1].text, kProtectionQuestion);

  // No to the confirmation: nothing goes over the line at all.
  Restart();
  No();
  EXPECT_EQ(BitBtn31Click(ctx_), BlockOutcome::kCancelled);
  EXPECT_TRUE(Journal().empty());

  // No to the protection question: only the state word was read.
  Restart();
  Yes();
  No();
  EXPECT_EQ(BitBtn31Click(ctx_), BlockOutcome::kCancelled);
  EXPECT_THAT(Journal(), ElementsAre(kStateRead));

  // The list write asks the other way round.
  Restart();
  ChooseOnTab(2021, 4, 3, 7, 5, 9);
  No();
  EXPECT_EQ(Button52Click(ctx_), BlockOutcome::kCancelled);
  EXPECT_THAT(dialogs_.texts(), ElementsAre(kProtectionQuestion));
}

TEST_F(ClockTest, PasswordCeilingAppliesToTheWholeNumberTyped) {
  const struct {
    const char* typed;
    uint16_t sent;
  } cases[] = {
      {"0", 0},        {"1234", 1234},   {"9999", 9999},       {"10000", 9999},
      {"65535", 9999}, {"65536", 9999},  // low 16 bits 0
      {"70000", 9999},                   // low 16 bits 4464
      {"-1", 9999},    {"-65536", 9999}, {"2147483647", 9999}, {"99999999999999", 9999},
      {" 42 ", 42},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    Restart();
    controls_.SetText("Edit113", c.typed);
    Yes();
    EXPECT_EQ(BitBtn29Click(ctx_), BlockOutcome::kDone);
    EXPECT_EQ(Journal().at(2), "write 1264 x1 = " + std::to_string(c.sent));
    // The field shows what was sent, without a read.
    EXPECT_EQ(controls_.Text("Edit113"), std::to_string(c.sent));
    // The instrument holds it, and a read shows it.
    controls_.SetText("Edit113", "");
    EXPECT_EQ(Button53Click(ctx_), BlockOutcome::kDone);
    EXPECT_EQ(controls_.Text("Edit113"), std::to_string(c.sent));
  }
}

TEST_F(ClockTest, PasswordThatIsNotANumberIsNotWritten) {
  meter_.Set(1264, 555);
  for (const char* typed : {"", "12a", "1.5", "--1", "пароль"}) {
    SCOPED_TRACE(typed);
    Restart();
    controls_.SetText("Edit113", typed);
    EXPECT_EQ(Button54Click(ctx_), BlockOutcome::kInputError);
    EXPECT_TRUE(Journal().empty());
    ASSERT_EQ(dialogs_.box_count(), 2u);
    EXPECT_EQ(dialogs_.boxes()[0].text, kPasswordInputError);
    EXPECT_EQ(dialogs_.boxes()[0].caption, kCaptionInputError);
    EXPECT_EQ(dialogs_.boxes()[1].text, kWriteAbandonedText);
  }
  EXPECT_EQ(meter_.Get(1264), 555);
}

TEST_F(ClockTest, FailedBlockWriteIsReportedAndTheLockClosed) {
  controls_.SetText("Edit113", "1");
  Yes();
  FaultOnRequest(3, NoAnswer());
  EXPECT_EQ(Button54Click(ctx_), BlockOutcome::kFailed);
  EXPECT_THAT(Journal(), ElementsAre(kStateRead, kUnlock, "write 1264 x1 = 1", kLock));
  EXPECT_THAT(dialogs_.texts(), ElementsAre(kPasswordQuestion, kNoAnswer));
  EXPECT_FALSE(meter_.unlocked());
}

TEST(ClockCalendar, DatesThatExist) {
  EXPECT_TRUE(DateExists(2000, 2, 29));
  EXPECT_FALSE(DateExists(2100, 2, 29));
  EXPECT_TRUE(DateExists(2096, 2, 29));
  EXPECT_FALSE(DateExists(2021, 0, 1));
  EXPECT_FALSE(DateExists(2021, 13, 1));
  EXPECT_FALSE(DateExists(2021, 1, 0));
  EXPECT_TRUE(DateExists(2021, 1, 31));
  EXPECT_FALSE(DateExists(2021, 1, 32));
}

}  // namespace
}  // namespace qmx::test
