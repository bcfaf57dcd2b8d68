// Code integrity: the checksums 1150-1151 as read, and the computed one made
// the instrument's reference.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "block_fixture.h"
#include "blocks/code_integrity.h"
#include "operator/dialogs.h"

namespace qmx::test {
namespace {

using ::testing::ElementsAre;

constexpr char kUnlock[] = "write 1278 x2 = 1, 1";
constexpr char kLock[] = "write 1278 x2 = 0, 0";
constexpr char kReadText[] =
    "Контрольная сумма программной памяти и значение для сравнения прочитаны из прибора.";
constexpr char kQuestion[] =
    "Контрольная сумма прочитается из прибора будет записана в него, как значение для "
    "сравнения.";
constexpr char kRewritten[] =
    "Контрольная сумма прочитанная из прибора записана в него как значение для сравнения.";

class IntegrityTest : public BlockTest {
 protected:
  IntegrityTest() {
    // The page's texts before the first read.
    controls_.SetText("Panel39", "Нет данных");
    controls_.SetText("Panel40", "-");
    meter_.Set(1150, 0x3A7F);
    meter_.Set(1151, 0x1200);
  }
  static sim::Fault Exception(int code) {
    sim::Fault fault;
    fault.kind = sim::FaultKind::kException;
    fault.value = code;
    fault.remaining = 1;
    return fault;
  }
};

TEST_F(IntegrityTest, DeclarationRegistersAndTexts) {
  const struct {
    uint16_t computed;
    uint16_t reference;
    const char* shown_computed;
    const char* shown_reference;
  } cases[] = {{0x3A7F, 0x1200, "3A7F", "1200"},
               {0x0000, 0x000F, "0000", "000F"},
               {0xFFFF, 0x0abc, "FFFF", "0ABC"}};
  for (const auto& c : cases) {
    meter_.Set(1150, c.computed);
    meter_.Set(1151, c.reference);
    bus_.ClearJournal();
    dialogs_.Clear();
    EXPECT_EQ(Button43Click(ctx_), BlockOutcome::kDone);
    EXPECT_THAT(Journal(), ElementsAre("read 1150 x2"));
    EXPECT_EQ(controls_.Text("Panel39"), c.shown_computed);
    EXPECT_EQ(controls_.Text("Panel40"), c.shown_reference);
    ASSERT_EQ(dialogs_.boxes().size(), 1u);
    EXPECT_EQ(dialogs_.LastBox().text, kReadText);
    EXPECT_EQ(dialogs_.LastBox().caption, kCaptionResult);
  }
}

TEST_F(IntegrityTest, RewriteSendsTheComputedChecksumToTheReference) {
  StartLog();
  Yes();
  EXPECT_EQ(Button44Click(ctx_), BlockOutcome::kDone);
  // 0x3A7F = 14975; no state word is read.
  EXPECT_THAT(Journal(), ElementsAre("read 1150 x2", kUnlock, "write 1151 x1 = 14975", kLock));
  EXPECT_EQ(WriteDescriptions().at(1), "Записать pgmcsacnt1.");
  EXPECT_EQ(meter_.Get(1151), 0x3A7F);
  EXPECT_THAT(dialogs_.texts(), ElementsAre(kQuestion, kRewritten));
  EXPECT_EQ(dialogs_.boxes().front().caption, "Подтвердите действие");
  EXPECT_EQ(dialogs_.LastBox().caption, kCaptionResult);
  // The panels show what was read before the write.
  EXPECT_EQ(controls_.Text("Panel39"), "3A7F");
  EXPECT_EQ(controls_.Text("Panel40"), "1200");
  // The unlock with its pauses (400 ms before, 100 ms after), then 100 ms
  // more before the write.
  EXPECT_GE(Gap(1), 400);
  EXPECT_GE(Gap(2), 200);
  EXPECT_LT(Gap(2), 250);
  EXPECT_EQ(meter_.Get(1278), 0);

  // The next read shows the new reference.
  dialogs_.Clear();
  EXPECT_EQ(Button43Click(ctx_), BlockOutcome::kDone);
  EXPECT_EQ(controls_.Text("Panel40"), "3A7F");
}

TEST_F(IntegrityTest, NoSendsNothing) {
  No();
  EXPECT_EQ(Button44Click(ctx_), BlockOutcome::kCancelled);
  EXPECT_TRUE(Journal().empty());
  EXPECT_THAT(dialogs_.texts(), ElementsAre(kQuestion));
  EXPECT_EQ(controls_.Text("Panel39"), "Нет данных");
}

TEST_F(IntegrityTest, FailedReadKeepsThePanels) {
  FaultOnRequest(1, NoAnswer());
  EXPECT_EQ(Button43Click(ctx_), BlockOutcome::kFailed);
  EXPECT_THAT(dialogs_.texts(), ElementsAre("Ответа не было."));
  EXPECT_EQ(controls_.Text("Panel39"), "Нет данных");
  EXPECT_EQ(controls_.Text("Panel40"), "-");

  // A read that took a repetition arrived: shown, and said so.
  link_.settings().retry_limit = 2;
  dialogs_.Clear();
  FaultOnRequest(1, NoAnswer());
  EXPECT_EQ(Button43Click(ctx_), BlockOutcome::kDone);
  EXPECT_THAT(dialogs_.texts(), ElementsAre(kReadText));
  EXPECT_NE(controls_.Text("Panel39"), "Нет данных");
}

TEST_F(IntegrityTest, RewriteStopsWhenTheReadFails) {
  Yes();
  FaultOnRequest(1, NoAnswer());
  EXPECT_EQ(Button44Click(ctx_), BlockOutcome::kFailed);
  EXPECT_THAT(Journal(), ElementsAre("read 1150 x2"));
  EXPECT_THAT(dialogs_.texts(), ElementsAre(kQuestion, "Ответа не было."));
  EXPECT_EQ(meter_.Get(1151), 0x1200);
}

TEST_F(IntegrityTest, WriteAfterARepetitionIsRewritten) {
  link_.settings().retry_limit = 2;
  Yes();
  FaultOnRequest(3, NoAnswer());
  EXPECT_EQ(Button44Click(ctx_), BlockOutcome::kDone);
  EXPECT_THAT(Journal(), ElementsAre("read 1150 x2", kUnlock, "write 1151 x1 = 14975",
                                     "write 1151 x1 = 14975", kLock));
  EXPECT_EQ(meter_.Get(1151), 0x3A7F);
  EXPECT_EQ(meter_.Get(1278), 0);
  EXPECT_THAT(dialogs_.texts(), ElementsAre(kQuestion, kRewritten));
}

TEST_F(IntegrityTest, RefusedWriteIsReportedAndTheLockClosed) {
  meter_.SetWriteProtection(true);
  Yes();
  EXPECT_EQ(Button44Click(ctx_), BlockOutcome::kFailed);
  EXPECT_THAT(Journal(), ElementsAre("read 1150 x2", kUnlock, "write 1151 x1 = 14975", kLock));
  EXPECT_THAT(dialogs_.texts(), ElementsAre(kQuestion, "Неподдерживаемая функция."));
  EXPECT_EQ(meter_.Get(1151), 0x1200);
  // The instrument is not left writable.
  EXPECT_EQ(meter_.Get(1278), 0);
  EXPECT_EQ(meter_.Get(1279), 0);
}

TEST_F(IntegrityTest, FailedUnlockStopsBeforeTheWrite) {
  Yes();
  FaultOnRequest(2, Exception(4));
  EXPECT_EQ(Button44Click(ctx_), BlockOutcome::kFailed);
  EXPECT_EQ(Journal().at(0), "read 1150 x2");
  EXPECT_EQ(Journal().at(1), kUnlock);
  for (const std::string& line : Journal()) EXPECT_NE(line, "write 1151 x1 = 14975");
  EXPECT_THAT(dialogs_.texts(), ElementsAre(kQuestion, "Ошибка в работе адресуемого устройства."));
  EXPECT_EQ(meter_.Get(1151), 0x1200);
}

}  // namespace
}  // namespace qmx::test
