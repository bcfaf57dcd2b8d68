// The two cyclic polls in the window: Timer3 for the measured values and
// Timer12 for the measuring module, their stops and the status line.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <functional>
#include <string>
#include <vector>

#include "measured_fixture.h"
#include "sim/register_map.h"
#include "ui/exchange_gate.h"

namespace qmx::test {
namespace {

using ::testing::Contains;
using ::testing::Each;
using ::testing::HasSubstr;

class MeasuredPollingTest : public MeasuredWindowTest {
 protected:
  QTimer* Timer(const char* name) { return Find<QTimer>(name); }

  // Runs the event loop (real time) until `done` holds or `limit_ms` pass.
  bool RunUntil(const std::function<bool()>& done, int limit_ms = 3000) {
    QElapsedTimer elapsed;
    elapsed.start();
    while (!done() && elapsed.elapsed() < limit_ms) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return done();
  }
};

TEST_F(MeasuredPollingTest, ACycleRunsWithItsTimerStoppedAndReArmsAfterwards) {
  // The answers come late, so the link waits and pumps events in the cycle.
  sim::Fault late;
  late.kind = sim::FaultKind::kDelay;
  late.value = 50;
  meter_.AddFault(late);
  std::vector<bool> timer_active_during_cycle;
  QTimer* timer3 = Timer("Timer3");
  context_.link.SetEventPump([&] {
    timer_active_during_cycle.push_back(timer3->isActive());
    ExchangeGate::PumpEvents();
  });
  EXPECT_FALSE(timer3->isActive());  // an idle window sleeps

  Click("BitBtn25");
  polling_->Timer3Timer();
  ASSERT_FALSE(timer_active_during_cycle.empty());
  EXPECT_THAT(timer_active_during_cycle, Each(false));
  EXPECT_TRUE(timer3->isActive());
  EXPECT_EQ(timer3->interval(), kMeasurementPollPauseMs);
  EXPECT_GT(timer3->remainingTime(), kMeasurementPollPauseMs - 100);
  EXPECT_EQ(context_.measurement.counters.cycles, 1);
}

// Nothing ticks in an idle window: each poll's timer runs from its start to
// the first tick after its stop; what else is armed is a one-shot of the
// start-up or of the last change of page.
TEST_F(MeasuredPollingTest, AnIdleWindowHasNoTimerThatWakesIt) {
  const auto repeating = [&] {
    std::vector<std::string> names;
    for (const QTimer* timer : window_->findChildren<QTimer*>()) {
      const QString name = timer->objectName();
      const bool one_shot = name == "Timer4" || name == "Timer7" || name == "Timer8" ||
                            name == "Timer9" || name == "Timer10";
      if (timer->isActive() && !one_shot) names.push_back(name.toStdString());
    }
    return names;
  };
  EXPECT_THAT(repeating(), ::testing::IsEmpty());
  QTimer* timer3 = Timer("Timer3");
  Click("BitBtn25");
  EXPECT_TRUE(timer3->isActive());
  polling_->Timer3Timer();
  EXPECT_TRUE(timer3->isActive());
  Click("BitBtn26");
  polling_->Timer3Timer();
  EXPECT_FALSE(timer3->isActive());
  EXPECT_EQ(context_.measurement.counters.cycles, 1);
  EXPECT_THAT(repeating(), ::testing::IsEmpty());
}

TEST_F(MeasuredPollingTest, TimerDrivenCyclesFollowOneAnotherWithoutOverlap) {
  polling_->SetPollPauses(5, 5);
  ShowEngineeringPage("MeasuredValue");
  Click("Button4");
  EXPECT_FALSE(Find<QPushButton>("Button3")->isEnabled());
  EXPECT_FALSE(Find<QPushButton>("Button4")->isEnabled());
  EXPECT_TRUE(Find<QPushButton>("Button5")->isEnabled());
  ASSERT_TRUE(RunUntil([&] { return context_.measurement.counters.cycles >= 3; }));
  Click("Button5");
  const uint16_t cycles = context_.measurement.counters.cycles;
  EXPECT_TRUE(Find<QPushButton>("Button3")->isEnabled());
  EXPECT_FALSE(Find<QPushButton>("Button5")->isEnabled());

  // Every cycle is the block and then the standard flow, never interleaved.
  const std::vector<std::string> journal = bus_.JournalSummary();
  ASSERT_EQ(journal.size(), 2u * cycles);
  for (size_t i = 0; i < journal.size(); i += 2) {
    EXPECT_EQ(journal[i], "read 256 x49") << i;
    EXPECT_EQ(journal[i + 1], "read 305 x2") << i;
  }
  EXPECT_EQ(Text("Label23"), std::to_string(cycles));
  EXPECT_EQ(Lines(dir_.File("izm.txt")).size(), cycles);

  // Stopped: the timer keeps ticking but no cycle runs.
  RunUntil([] { return false; }, 100);
  EXPECT_EQ(context_.measurement.counters.cycles, cycles);
}

TEST_F(MeasuredPollingTest, TenCyclesWithTheInstrumentSilent) {
  dialogs_.ExpectNoBoxes();
  Silence();
  Click("BitBtn25");
  for (int i = 0; i < 10; ++i) polling_->Timer3Timer();

  const ExchangeCounters& counters = context_.measurement.counters;
  EXPECT_EQ(counters.cycles, 10);
  EXPECT_EQ(counters.exchange_errors, 10);
  EXPECT_EQ(counters.measurement_errors, 0);
  EXPECT_EQ(Text("Label23"), "10");
  EXPECT_EQ(Text("Label25"), "10");
  EXPECT_EQ(Text("Memo1"), "Ошибка обмена");
  EXPECT_EQ(Painted("Memo1"), kColorYellow);
  EXPECT_EQ(Lines(dir_.File("izm.txt")).size(), 10u);
  EXPECT_TRUE(context_.measurement_polling);  // errors never stop the poll
  ShowEngineeringPage("MeasuredValue");
  EXPECT_EQ(Text("Panel6"), "Ошибка в обмене");
  EXPECT_EQ(Painted("Panel6"), kColorYellow);
}

TEST_F(MeasuredPollingTest, ACycleAfterOneRetryCountsTheRetryOnly) {
  Click("BitBtn25");
  polling_->Timer3Timer();
  const std::string flow = Text("Panel116");
  meter_.SetFlow(40.0, 0.0);
  Silence(1);
  polling_->Timer3Timer();
  const ExchangeCounters& counters = context_.measurement.counters;
  EXPECT_EQ(counters.cycles, 2);
  EXPECT_EQ(counters.retries, 1);
  EXPECT_EQ(counters.exchange_errors, 0);
  EXPECT_EQ(Text("Memo1"), "Ошибка обмена");
  EXPECT_EQ(Text("Panel116"), flow);  // the display is not refreshed
}

TEST_F(MeasuredPollingTest, AnyChangeOfTheOperatorPagesStopsThePoll) {
  QTabWidget* operator_pages = window_->PageControl4();
  ASSERT_EQ(operator_pages->currentIndex(), 0);
  Click("BitBtn25");
  operator_pages->setCurrentIndex(1);  // "НАСТРОЙКИ РАБОТЫ"
  EXPECT_FALSE(context_.measurement_polling);

  // Back on "ИЗМЕРЕНИЕ" the poll stays off as well.
  Click("BitBtn25");
  operator_pages->setCurrentIndex(0);
  EXPECT_FALSE(context_.measurement_polling);
  polling_->Timer3Timer();
  EXPECT_TRUE(bus_.journal().empty());
}

// The engineering poll follows its own page, not the hidden operator pages.
TEST_F(MeasuredPollingTest, EngineeringPollRunsWhileItsPageIsInSight) {
  window_->PageControl4()->setCurrentIndex(1);
  ShowEngineeringPage("MeasuredValue");
  Click("Button4");
  polling_->Timer3Timer();
  EXPECT_EQ(context_.measurement.counters.cycles, 1);
  window_->SetEngineeringView(false);
  EXPECT_TRUE(Find<QPushButton>("Button4")->isEnabled());
  polling_->Timer3Timer();
  EXPECT_EQ(context_.measurement.counters.cycles, 1);
}

TEST_F(MeasuredPollingTest, PageChangesArmTheirOneShotTimers) {
  QTimer* timer7 = Timer("Timer7");
  QTimer* timer8 = Timer("Timer8");
  for (QTabWidget* set : {window_->PageControl1(), window_->PageControl5()}) {
    timer7->stop();
    set->setCurrentIndex(1);
    EXPECT_TRUE(timer7->isActive()) << set->objectName().toStdString();
    EXPECT_EQ(timer7->interval(), 200);
  }
  timer7->stop();
  timer8->stop();
  window_->PageControl3()->setCurrentIndex(1);
  EXPECT_FALSE(timer7->isActive());
  EXPECT_FALSE(timer8->isActive());
  window_->PageControl2()->setCurrentIndex(1);
  EXPECT_TRUE(timer8->isActive());
  EXPECT_EQ(timer8->interval(), 200);
  EXPECT_FALSE(timer7->isActive());
}

TEST_F(MeasuredPollingTest, ModulePollRunsOnlyOnItsPage) {
  ShowEngineeringPage("MeasuringModule");
  Click("Button71");
  QTimer* timer12 = Timer("Timer12");
  EXPECT_TRUE(timer12->isActive());
  EXPECT_FALSE(Find<QPushButton>("Button70")->isEnabled());
  meter_.Set(sim::reg::kModuleErrorLo, 0x0002);
  polling_->Timer12Timer();
  EXPECT_EQ(Painted("Panel81"), kColorYellow);  // "UDLD"
  EXPECT_EQ(Lines(dir_.File("izm_modul.txt")).size(), 1u);
  EXPECT_EQ(timer12->interval(), kModulePollPauseMs);
  EXPECT_EQ(context_.measurement.counters.cycles, 0);  // this poll counts nothing

  // Another page: the next tick ends the poll and frees its buttons.
  ShowMainPage("MeasuredValue");
  bus_.ClearJournal();
  polling_->Timer12Timer();
  EXPECT_FALSE(context_.module_polling);
  EXPECT_TRUE(bus_.journal().empty());
  EXPECT_TRUE(Find<QPushButton>("Button70")->isEnabled());
  EXPECT_TRUE(Find<QPushButton>("Button71")->isEnabled());
  EXPECT_FALSE(Find<QPushButton>("Button72")->isEnabled());
  EXPECT_FALSE(timer12->isActive());  // the poll is over: no more ticks

  // Out of the engineering view it stops at once and writes no more lines.
  ShowMainPage("MeasuringModule");
  Click("Button71");
  window_->SetEngineeringView(false);
  EXPECT_TRUE(Find<QPushButton>("Button71")->isEnabled());
  polling_->Timer12Timer();
  EXPECT_EQ(Lines(dir_.File("izm_modul.txt")).size(), 1u);
}

// The USB converter is pulled out during the poll and plugged back in: the
// cycles in between fail and a read says the port is missing; the first
// cycle after it reads the instrument again, without "Обновить".
TEST_F(MeasuredPollingTest, AConverterPluggedBackInServesTheNextCycleByItself) {
  Click("BitBtn25");
  polling_->Timer3Timer();
  const ExchangeCounters& counters = context_.measurement.counters;
  ASSERT_EQ(counters.exchange_errors, 0);
  const std::string flow = Text("Panel116");

  ports_.ports().Detach(1);
  polling_->Timer3Timer();
  polling_->Timer3Timer();
  EXPECT_EQ(counters.exchange_errors, 2);
  EXPECT_EQ(Text("Memo1"), "Ошибка обмена");
  EXPECT_TRUE(dialogs_.boxes().empty());  // the poll shows no boxes
  Click("BitBtn5");                       // a read of its own stops the poll
  EXPECT_EQ(dialogs_.texts(), std::vector<std::string>{"Ответа не было.\nПорт COM1 не найден."});

  dialogs_.Clear();
  dialogs_.ExpectNoBoxes();
  bus_.ClearJournal();
  meter_.SetFlow(40.0, 0.0);
  PlugInstrument(1);
  Click("BitBtn25");
  polling_->Timer3Timer();
  EXPECT_EQ(counters.exchange_errors, 2);  // the cycles while it was away, no more
  EXPECT_EQ(bus_.JournalSummary(), (std::vector<std::string>{"read 256 x49", "read 305 x2"}));
  EXPECT_NE(Text("Panel116"), flow);
  EXPECT_NE(Text("Memo1"), "Ошибка обмена");
}

TEST_F(MeasuredPollingTest, StatusLineShowsTheExchangeTimeAndThePollPeriod) {
  Silence();
  Click("BitBtn25");
  polling_->Timer3Timer();
  const std::string first = polling_->StatusLine()->text().toStdString();
  // A silent instrument costs a read time-out per attempt.
  const std::string prefix = "Последний обмен: ";
  ASSERT_THAT(first, HasSubstr(prefix));
  const long exchange_ms = std::stol(first.substr(first.find(prefix) + prefix.size()));
  EXPECT_GT(exchange_ms, 0);
  EXPECT_THAT(first, ::testing::Not(HasSubstr("Период опроса")));

  polling_->Timer3Timer();
  EXPECT_THAT(polling_->StatusLine()->text().toStdString(), HasSubstr("Период опроса: "));
  Click("BitBtn26");
  EXPECT_THAT(polling_->StatusLine()->text().toStdString(),
              ::testing::Not(HasSubstr("Период опроса")));
}

}  // namespace
}  // namespace qmx::test

namespace qmx::test {
namespace {

// Coming back to "ИЗМЕРЕНИЕ" puts the focus on its "Прочитать".
TEST_F(MeasuredPollingTest, BackOnTheMeasurementPageReadHasTheFocus) {
  window_->show();
  QApplication::setActiveWindow(window_.get());
  if (!window_->isActiveWindow()) GTEST_SKIP() << "no active window on this platform";
  QTabWidget* operator_pages = window_->PageControl4();
  operator_pages->setCurrentIndex(1);
  operator_pages->setCurrentIndex(0);
  QApplication::processEvents();
  EXPECT_TRUE(Find<QPushButton>("BitBtn5")->hasFocus());
}

}  // namespace
}  // namespace qmx::test
