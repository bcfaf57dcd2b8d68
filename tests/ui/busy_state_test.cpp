// The busy message and cursor while an exchange waits, and the keys of the
// measured-value views.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QLabel>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <string>

#include "measured_fixture.h"

namespace qmx::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

class BusyStateTest : public MeasuredWindowTest {
 protected:
  // What the status bar shows and the window's cursor, one event round into
  // whatever runs next.
  struct Seen {
    std::string message;
    Qt::CursorShape cursor = Qt::ArrowCursor;
  };
  void LookSoon(Seen& seen, std::function<void()> then = {}) {
    QTimer::singleShot(0, window_.get(), [this, &seen, then] {
      if (then) then();
      seen = {Message(), window_->cursor().shape()};
    });
  }
  std::string Message() { return window_->statusBar()->currentMessage().toStdString(); }
  void SlowAnswers() {
    sim::Fault late;
    late.kind = sim::FaultKind::kDelay;
    late.value = 300;
    meter_.AddFault(late);
  }
};

TEST_F(BusyStateTest, AReadNamesPortAddressAndLimitThenTheExchangeTimeReturns) {
  SlowAnswers();
  ShowEngineeringPage("MeasuredValue");
  window_->show();
  Seen during;
  LookSoon(during);
  Click("Button3");
  EXPECT_EQ(during.message, "Обмен с прибором: COM1, адрес 1, ожидание до 18 с");
  EXPECT_EQ(during.cursor, Qt::WaitCursor);
  EXPECT_EQ(Message(), "");
  EXPECT_NE(window_->cursor().shape(), Qt::WaitCursor);
  EXPECT_TRUE(polling_->StatusLine()->isVisible());
  EXPECT_THAT(polling_->StatusLine()->text().toStdString(), HasSubstr("Последний обмен"));
}

TEST_F(BusyStateTest, ASecondClickWhileBusyIsCountedAsWaiting) {
  SlowAnswers();
  ShowEngineeringPage("MeasuredValue");
  Seen during;
  LookSoon(during, [this] { Find<QPushButton>("Button3")->click(); });
  Click("Button3");
  EXPECT_THAT(during.message, HasSubstr("адрес 1, ожидание до 18 с, в очереди: 1"));
  EXPECT_THAT(bus_.JournalSummary(),
              ElementsAre("read 256 x49", "read 305 x2", "read 256 x49", "read 305 x2"));
  EXPECT_EQ(Message(), "");
}

TEST_F(BusyStateTest, APollCycleAloneShowsNoBusyState) {
  SlowAnswers();
  Click("BitBtn25");
  Seen during{"-", Qt::WaitCursor};
  LookSoon(during);
  polling_->Timer3Timer();
  EXPECT_EQ(during.message, "");
  EXPECT_NE(during.cursor, Qt::WaitCursor);
}

TEST_F(BusyStateTest, TheLimitShownCoversASilentRead) {
  Silence();
  const int64_t limit = ReadWaitLimitMs(context_.link.settings(), kMaxReadCount);
  const int64_t start = clock_.NowMs();
  uint16_t values[kMaxReadCount];
  uint16_t exception = 0;
  context_.link.ReadHoldingRegisters(256, kMaxReadCount, values, &exception);
  EXPECT_LE(clock_.NowMs() - start, limit);
  EXPECT_GT(clock_.NowMs() - start, limit - 100);
}

TEST_F(BusyStateTest, F5ReadsAndF6StartsAndStopsThePollOfThePageInSight) {
  window_->show();
  window_->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
  ShowEngineeringPage("Search");
  QTest::keyClick(window_.get(), Qt::Key_F5);
  EXPECT_TRUE(bus_.journal().empty());

  ShowEngineeringPage("MeasuredValue");
  EXPECT_THAT(Find<QPushButton>("Button3")->toolTip().toStdString(), HasSubstr("(F5)"));
  EXPECT_THAT(Find<QPushButton>("Button4")->toolTip().toStdString(), HasSubstr("(F6)"));
  QTest::keyClick(window_.get(), Qt::Key_F5);
  Settle();
  EXPECT_THAT(bus_.JournalSummary(), ElementsAre("read 256 x49", "read 305 x2"));
  QTest::keyClick(window_.get(), Qt::Key_F6);
  EXPECT_TRUE(Find<QPushButton>("Button5")->isEnabled());
  QTest::keyClick(window_.get(), Qt::Key_F6);
  EXPECT_TRUE(Find<QPushButton>("Button4")->isEnabled());

  window_->SetEngineeringView(false);
  EXPECT_THAT(Find<QPushButton>("BitBtn26")->toolTip().toStdString(), HasSubstr("(F6)"));
  QTest::keyClick(window_.get(), Qt::Key_F6);
  EXPECT_TRUE(context_.measurement_polling);
}

}  // namespace
}  // namespace qmx::test
