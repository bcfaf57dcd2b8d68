// One exchange with the instrument at a time, in a window that keeps taking
// clicks while it waits.
//
// A transaction processes window events while it waits for the answer, so a
// click or a timer tick can arrive in the middle of a handler that talks to
// the instrument.  Every such handler runs through the gate:
//  - an operator action runs at once when the gate is free; otherwise it
//    waits its turn and runs as soon as the work in progress has ended and
//    its stack has unwound (actions waiting run in arrival order, one after
//    the other, never inside another and never dropped, but when the window
//    closes);
//  - a timer tick finding the gate busy is skipped, as a polling cycle that
//    found the line in use would be.
// Anything that touches the port (open, close, re-open on a changed line
// parameter) goes through the gate as well: a port pulled from under a
// waiting read would leave the transaction reading nothing.
//
// Inside an action call the work directly: an action handed to the gate from
// within another action is queued behind it, not run in its middle.  Process
// window events only through the link's pump (Link::PumpEvents), which the
// program sets to PumpEvents() below.
#pragma once

#include <QObject>
#include <cstddef>
#include <deque>
#include <functional>

#include "link/clock.h"

namespace qmx {

class ExchangeGate final : public QObject {
  Q_OBJECT

 public:
  explicit ExchangeGate(QObject* parent = nullptr);

  void RunOperatorAction(std::function<void()> action);
  // Runs `action` now and returns true, or returns false when busy.
  bool TryRunTimerAction(std::function<void()> action);
  // Forgets the actions still waiting (the window is closing: what the
  // operator clicked before the close must not reach the instrument after
  // it); the one running ends as usual.
  void DropQueued();

  // True from the start of an action until the last queued one has ended.
  bool Busy() const { return running_ || !queue_.empty(); }
  // True only while an action is actually running.
  bool Running() const { return running_; }
  size_t queued() const { return queue_.size(); }
  // True while the action running came from a timer tick (a poll cycle).
  bool RunningTimerAction() const { return running_ && timer_action_; }

  // One round of pending window events, never longer than kPumpSliceMs: the
  // link calls it between the slices of every wait.
  static void PumpEvents();
  static constexpr int kPumpSliceMs = 5;
  // PumpEvents as the link's event pump (Link::SetEventPump).
  static EventPump LinkEventPump() { return &ExchangeGate::PumpEvents; }

 signals:
  void busyChanged(bool busy);
  // Any change of what runs or waits: an action started or ended, one queued.
  void activityChanged();

 private:
  void Run(std::function<void()>& action, bool timer_action = false);
  void RunNextQueued();
  void ScheduleNext();
  void NotifyBusy();

  std::deque<std::function<void()>> queue_;
  bool running_ = false;
  bool next_scheduled_ = false;
  bool reported_busy_ = false;
  bool timer_action_ = false;
};

// `action` through `gate`, or at once when the window has no gate (tools and
// tests that drive a page directly).
void RunOperatorAction(ExchangeGate* gate, std::function<void()> action);

}  // namespace qmx
