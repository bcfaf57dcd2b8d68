// A noisy line: a request whose first attempt is lost and whose repetition
// comes through has been executed by the instrument, so the operator must
// see exactly what a clean line shows.  Then the sequences that a lost
// answer can break: the exchange write whose answer never comes, the
// closing lock without an answer, the module-link write that fails.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>

#include "block_fixture.h"
#include "blocks/block_catalog.h"
#include "blocks/exchange_parameters.h"
#include "blocks/module_parameters.h"

namespace qmx::test {
namespace {

using ::testing::ElementsAre;

constexpr char kUnlock[] = "write 1278 x2 = 1, 1";

// A fault on the writes of register `reg` only: it lets `skip` of them
// pass, then hits `times` (-1: every one); `value` is the exception code.
sim::Fault OnWrite(sim::FaultKind kind, uint16_t reg, int times, int skip = 0, int value = 0) {
  sim::Fault fault;
  fault.kind = kind;
  fault.on_write = reg;
  fault.skip = skip;
  fault.remaining = times;
  fault.value = value;
  return fault;
}
constexpr char kLock[] = "write 1278 x2 = 0, 0";

// A fresh instrument for each run of a handler; every question answered Yes.
struct Bench : InstrumentBench {
  Bench() {
    link.settings().retry_limit = 2;
    dialogs.SetFailureHandler({});
    dialogs.AnswerYes(20);
  }
  // Runs the handler, the instrument losing the first attempt of request
  // `lost` (1-based; 0: nothing lost).
  BlockOutcome Run(const ButtonHandler& handler, int lost) {
    if (lost > 0) {
      sim::Fault fault;
      fault.kind = sim::FaultKind::kNoAnswer;
      fault.skip = lost - 1;
      fault.remaining = 1;
      meter.AddFault(fault);
    }
    return handler.run(ctx);
  }
};

// The journal with each run of equal requests as one: a repetition of a
// request that was lost looks like the request.
std::vector<std::string> Requests(const sim::Bus& bus) {
  std::vector<std::string> requests;
  for (const std::string& line : bus.JournalSummary()) {
    if (requests.empty() || requests.back() != line) requests.push_back(line);
  }
  return requests;
}

// The clock write takes the computer's time, which the repetition's second
// moves on; its texts and outcome still must not change.
const std::set<std::string_view> kTimeTaken = {"BitBtn31", "Button52"};

TEST(NoisyLineTest, AnyRequestThatTookARepetitionLeavesEveryHandlerAsOnACleanLine) {
  int runs = 0;
  for (const ButtonHandler& handler : BlockButtons()) {
    Bench clean;
    const BlockOutcome outcome = clean.Run(handler, 0);
    const size_t requests = clean.bus.journal().size();
    for (size_t lost = 1; lost <= requests; ++lost) {
      Bench noisy;
      SCOPED_TRACE(std::string(handler.button) + ", request " + std::to_string(lost) + " of " +
                   std::to_string(requests) + " repeated");
      EXPECT_EQ(noisy.Run(handler, static_cast<int>(lost)), outcome);
      EXPECT_EQ(noisy.dialogs.texts(), clean.dialogs.texts());
      EXPECT_EQ(noisy.bus.journal().size(), requests + 1);
      if (!kTimeTaken.contains(handler.button)) {
        EXPECT_EQ(Requests(noisy.bus), Requests(clean.bus));
      }
      EXPECT_EQ(noisy.meter.unlocked(), clean.meter.unlocked());
      ++runs;
    }
  }
  EXPECT_GT(runs, 100);  // the catalog's handlers do reach the instrument
}

class ExchangeWriteFaultTest : public BlockTest {
 protected:
  ExchangeWriteFaultTest() {
    ShowExchangeValues(controls_, values_);
    controls_.SetItemIndex("ComboBox19", 0);
    controls_.SetItemIndex("ComboBox45", 7);
    controls_.SetItemIndex("ComboBox46", 3);  // 9600
    controls_.SetItemIndex("ComboBox47", 2);  // even
    link_.settings().retry_limit = 2;
  }
  // The answers of the next `attempts` writes of `reg` are lost, though
  // the instrument executes them.
  void LoseWriteAnswers(uint16_t reg, int attempts, int skip = 0) {
    meter_.AddFault(OnWrite(sim::FaultKind::kLostAnswer, reg, attempts, skip));
  }
  const sim::JournalEntry& Last() const { return bus_.journal().back(); }
};

TEST_F(ExchangeWriteFaultTest, AWriteWhoseAnswersAreAllLostLooksForTheInstrumentAtTheNewLine) {
  // Executed, every answer lost: the instrument answers at 7, 9600, even.
  LoseWriteAnswers(1032, 2);
  Yes();
  EXPECT_EQ(BitBtn14Click(ctx_), BlockOutcome::kDone);
  EXPECT_THAT(Journal(),
              ElementsAre("read 300 x1", "read 1048 x1", kUnlock, "write 1032 x3 = 7, 6, 2",
                          "write 1032 x3 = 7, 6, 2", "read 1032 x3", kLock));
  EXPECT_EQ(Entry(5).line.baud, 9600u);
  EXPECT_EQ(Entry(5).outcome, sim::Outcome::kAnswered);
  EXPECT_EQ(Last().address, 7);
  EXPECT_FALSE(meter_.unlocked());
  EXPECT_EQ(link_.line().network_address, 7);
  EXPECT_THAT(
      dialogs_.texts(),
      ElementsAre(kConfigurationQuestion, "Запись параметров обмена прибора успешно осуществлена.",
                  kFoundAfterLostAnswerText));
}

TEST_F(ExchangeWriteFaultTest, AWriteNeverHeardIsReportedAndLockedOnTheOldLine) {
  meter_.AddFault(OnWrite(sim::FaultKind::kNoAnswer, 1032, 2));
  Yes();
  EXPECT_EQ(BitBtn14Click(ctx_), BlockOutcome::kFailed);
  EXPECT_THAT(Journal(),
              ElementsAre("read 300 x1", "read 1048 x1", kUnlock, "write 1032 x3 = 7, 6, 2",
                          "write 1032 x3 = 7, 6, 2", "read 1032 x3", "read 1032 x3", kLock));
  // The search at the new line found nobody; the lock went out on the old.
  EXPECT_EQ(Entry(5).line.baud, 9600u);
  EXPECT_EQ(Last().line.baud, 19200u);
  EXPECT_EQ(Last().address, 1);
  EXPECT_FALSE(meter_.unlocked());
  EXPECT_EQ(link_.line().network_address, 1);
  EXPECT_THAT(dialogs_.texts(), ElementsAre(kConfigurationQuestion, "Ответа не было."));

  // An exception answer is known not to have been taken: nothing to look for.
  bus_.ClearJournal();
  dialogs_.Clear();
  link_.settings().retry_limit = 1;
  meter_.AddFault(OnWrite(sim::FaultKind::kException, 1032, 1, 0, 4));
  Yes();
  EXPECT_EQ(BitBtn14Click(ctx_), BlockOutcome::kFailed);
  EXPECT_THAT(Journal(), ElementsAre("read 300 x1", "read 1048 x1", kUnlock,
                                     "write 1032 x3 = 7, 6, 2", kLock));
}

TEST_F(ExchangeWriteFaultTest, ALockWithoutAnAnswerIsReportedAfterTheSuccess) {
  // Both attempts of the lock on the new line lost (not even heard).
  meter_.AddFault(OnWrite(sim::FaultKind::kNoAnswer, 1278, 2, 1));
  Yes();
  EXPECT_EQ(BitBtn14Click(ctx_), BlockOutcome::kDone);
  EXPECT_TRUE(meter_.unlocked());
  EXPECT_EQ(link_.line().network_address, 7);  // the program did follow it
  ASSERT_EQ(dialogs_.box_count(), 3u);
  EXPECT_EQ(dialogs_.boxes()[1].text, "Запись параметров обмена прибора успешно осуществлена.");
  EXPECT_EQ(dialogs_.boxes()[2].text, kLockNotRestoredText);
  EXPECT_EQ(dialogs_.boxes()[2].caption, kCaptionWarning);
}

TEST_F(BlockTest, TheModuleLinkWriteClosesTheLockOnlyAfterAFailure) {
  Yes();
  EXPECT_EQ(Button86Click(ctx_), BlockOutcome::kDone);
  EXPECT_TRUE(meter_.unlocked());  // left open for the service connector

  bus_.ClearJournal();
  dialogs_.Clear();
  meter_.AddFault(OnWrite(sim::FaultKind::kException, 1072, 1, 0, 2));
  Yes();
  EXPECT_EQ(Button87Click(ctx_), BlockOutcome::kFailed);
  EXPECT_THAT(Journal(), ElementsAre("read 300 x1", kUnlock, "write 1072 x1 = 0", kLock));
  EXPECT_FALSE(meter_.unlocked());
}

}  // namespace
}  // namespace qmx::test
