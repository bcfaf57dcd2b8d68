// The measured-value views and the measuring-module tab at work: their
// buttons, the two cyclic polls (Timer3 for the measured values, Timer12 for
// the module), the window's remaining housekeeping timers, and the status
// line that tells how long the last exchange took and, while a poll runs,
// the period the poll actually achieves.
//
// Each poll timer stops itself for the whole cycle and is armed again only
// after the cycle has ended, so cycles never overlap and the pause between
// the end of one cycle and the start of the next is the timer's interval.
#pragma once

#include <QObject>
#include <QPointer>
#include <cstdint>
#include <functional>

#include "blocks/measurement_handlers.h"

class QLabel;
class QTimer;

namespace qmx {

struct AppContext;
class MainWindow;

// A window timer named as the window's designers named it ("Timer3").
QTimer* MakeTimer(QObject* owner, const char* name, int interval_ms, bool single_shot);

inline constexpr int kMeasurementPollPauseMs = 1000;
inline constexpr int kModulePollPauseMs = 500;

class PollingController final : public QObject {
  Q_OBJECT

 public:
  PollingController(AppContext& context, MainWindow& window);

  // The poll ticks; public so that a test can run one without waiting.
  void Timer3Timer();
  void Timer12Timer();

  // Stops the measured-value poll and leaves its buttons as they are: a
  // change of operator page, "Прочитать" on "ИЗМЕРЕНИЕ", the latch buttons.
  void StopMeasurementPoll();
  // A change of operator page ends the poll started on "ИЗМЕРЕНИЕ"; the
  // engineering view's poll does not look at the operator pages.
  void StopOperatorMeasurementPoll();
  // A poll runs while the page that started it is in sight: the page on top
  // of its page set in the view shown.  Any other poll stops here, with its
  // buttons at rest.  Every tick asks, and so does every change of view.
  void StopPollsOutOfSight();
  // Timer8 once with 200 ms (a change of configuration page).
  void StartTimer8();

  // The pauses between cycles; the program keeps 1000 ms and 500 ms.  A
  // running timer is re-armed with its new pause at once.
  void SetPollPauses(int measurement_ms, int module_ms);

  QLabel* StatusLine() const { return status_line_; }

 signals:
  // The measured-value poll started, stopped, or ended a cycle, or a read
  // showed new values; also at every Timer3 tick.
  void measurementPollChanged();
  // A cycle of the measured-value poll has ended; `data_taken` when its
  // read came in (the trends take the values then).
  void measurementCycleEnded(bool data_taken);

 private:
  // `dialogs` replaces the program's boxes when given.
  MeasurementContext Context(Controls& controls, Dialogs* dialogs = nullptr);
  // Runs a handler through the gate and shows how long its exchange took.
  void RunOperatorAction(std::function<void(const MeasurementContext&)> action);
  void ShowExchangeTime(int64_t exchange_ms);
  void ShowCyclePeriod(int64_t& last_start_ms, int64_t start_ms);
  void UpdateStatusLine();
  // Values older than the last read of the block are greyed, with the time
  // they were read in their tooltip.
  void ShowValuesAge();
  bool InSight(const QWidget* page) const;
  void Focus(const char* name);
  void Connect(const char* button, void (PollingController::*handler)());

  void Button3Click();
  void Button4Click();
  void Button5Click();
  void Button6Click();
  void Button7Click();
  void Button8Click();
  void BitBtn5Click();
  void BitBtn25Click();
  void BitBtn26Click();
  void Button70Click();
  void Button71Click();
  void Button72Click();
  void Button83Click();

  AppContext& context_;
  MainWindow& window_;
  QTimer* timer3_;
  QTimer* timer12_;
  QTimer* timer8_;
  QLabel* status_line_;
  // The page whose button started the measured-value poll.
  QPointer<QWidget> measurement_poll_page_;
  QWidget* measured_value_page_;
  QWidget* operator_measurement_page_;
  QWidget* module_page_;
  int measurement_pause_ms_ = kMeasurementPollPauseMs;
  int module_pause_ms_ = kModulePollPauseMs;
  int64_t last_exchange_ms_ = -1;
  // Program clock at the start of the previous cycle of each poll; -1 when
  // the poll has not run since it was last started.
  int64_t measurement_cycle_start_ms_ = -1;
  int64_t module_cycle_start_ms_ = -1;
  int64_t cycle_period_ms_ = -1;
};

}  // namespace qmx
