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
  // The status bar's message and the cursor, one event round into whatever
  // runs next (after `then`).
  void LookSoon(std::string& message, Qt::CursorShape& cursor, std::function<void()> then = {}) {
    QTimer::singleShot(0, window_.get(), [this, &message, &cursor, then] {
      if (then) then();
      message = Message();
      cursor = window_->cursor().shape();
    });
  }
  std::string Message() { return window_->statusBar()->currentMessage().toStdString(); }
  void SlowAnswers() {
    sim::Fault late{sim::FaultKind::kDelay, 300};
    meter_.AddFault(late);
  }
  std::string message_ = "-";
  Qt::CursorShape cursor_ = Qt::WaitCursor;
};

TEST_F(BusyStateTest, AReadNamesPortAddressAndLimitThenTheExchangeTimeReturns) {
  SlowAnswers();
  ShowEngineeringPage("MeasuredValue");
  window_->show();
  LookSoon(message_, cursor_);
  Click("Button3");
  EXPECT_EQ(message_, "Обмен с прибором: COM1, адрес 1, ожидание до 18 с");
  EXPECT_EQ(cursor_, Qt::WaitCursor);
  EXPECT_EQ(Message(), "");
  EXPECT_NE(window_->cursor().shape(), Qt::WaitCursor);
  EXPECT_TRUE(polling_->StatusLine()->isVisible());
  EXPECT_THAT(polling_->StatusLine()->text().toStdString(), HasSubstr("Последний обмен"));
}

TEST_F(BusyStateTest, ASecondClickWhileBusyIsCountedAsWaiting) {
  SlowAnswers();
  ShowEngineeringPage("MeasuredValue");
  LookSoon(message_, cursor_, [this] { Find<QPushButton>("Button3")->click(); });
  Click("Button3");
  EXPECT_THAT(message_, HasSubstr("адрес 1, ожидание до 18 с, в очереди: 1"));
  EXPECT_THAT(bus_.JournalSummary(),
              ElementsAre("read 256 x49", "read 305 x2", "read 256 x49", "read 305 x2"));
  EXPECT_EQ(Message(), "");
}

TEST_F(BusyStateTest, APollCycleAloneShowsNoBusyState) {
  SlowAnswers();
  Click("BitBtn25");
  LookSoon(message_, cursor_);
  polling_->Timer3Timer();
  EXPECT_EQ(message_, "");
  EXPECT_NE(cursor_, Qt::WaitCursor);
}

TEST_F(BusyStateTest, TheLimitShownCoversASilentRead) {
  Silence();
  const int64_t limit = ReadWaitLimitMs(context_.link.settings(),
                                        context_.link.settings().line.baud_code, kMaxReadCount);
  const int64_t start = clock_.NowMs();
  uint16_t values[kMaxReadCount];
  context_.link.ReadHoldingRegisters(256, kMaxReadCount, values, nullptr);
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
