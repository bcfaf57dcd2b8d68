#include "ui/exchange_gate.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <utility>

namespace qmx {

ExchangeGate::ExchangeGate(QObject* parent) : QObject(parent) {}

void ExchangeGate::RunOperatorAction(std::function<void()> action) {
  if (!action) return;
  // Behind the queue as well: a click must not overtake one still waiting.
  if (Busy()) {
    queue_.push_back(std::move(action));
    NotifyBusy();
    return;
  }
  Run(action);
  ScheduleNext();
}

bool ExchangeGate::TryRunTimerAction(std::function<void()> action) {
  if (Busy()) return false;
  if (action) {
    Run(action, true);
    // A click that came during the tick waits no longer than the tick.
    ScheduleNext();
  }
  return true;
}

void ExchangeGate::Run(std::function<void()>& action, bool timer_action) {
  // Cleared on the way out even if the action throws, so the gate can never
  // stay shut for the rest of the run.
  struct Running {
    explicit Running(bool& flag) : flag_(flag) { flag_ = true; }
    ~Running() { flag_ = false; }
    bool& flag_;
  };
  timer_action_ = timer_action;
  {
    Running running(running_);
    NotifyBusy();
    action();
  }
  NotifyBusy();
}

void ExchangeGate::ScheduleNext() {
  if (queue_.empty() || next_scheduled_) return;
  next_scheduled_ = true;
  // A zero-delay timer: the next action starts from the event loop, after
  // the stack of the one that ended (and of whatever pumped it) has unwound.
  QTimer::singleShot(0, this, &ExchangeGate::RunNextQueued);
}

void ExchangeGate::RunNextQueued() {
  next_scheduled_ = false;
  if (running_ || queue_.empty()) return;
  std::function<void()> action = std::move(queue_.front());
  queue_.pop_front();
  Run(action);
  ScheduleNext();
}

void ExchangeGate::DropQueued() {
  if (queue_.empty()) return;
  queue_.clear();
  NotifyBusy();
}

void ExchangeGate::NotifyBusy() {
  emit activityChanged();
  const bool busy = Busy();
  if (busy == reported_busy_) return;
  reported_busy_ = busy;
  emit busyChanged(busy);
}

void RunOperatorAction(ExchangeGate* gate, std::function<void()> action) {
  if (gate != nullptr) {
    gate->RunOperatorAction(std::move(action));
  } else if (action) {
    action();
  }
}

void ExchangeGate::PumpEvents() {
  QCoreApplication::processEvents(QEventLoop::AllEvents, kPumpSliceMs);
}

}  // namespace qmx
