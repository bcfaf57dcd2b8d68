// The debugging tabs "Отладка измерения" and "Отладка АЦП" at work: their
// single reads, their once-a-second polls (Timer6 and Timer5) and the check
// box that switches the processing-results record on and off.  A poll runs
// only while its tab is the visible page of the main page set; the first
// tick after the tab is left stops it and puts its buttons at rest.
#pragma once

#include <QObject>

#include "blocks/debug_reads.h"

class QTimer;

namespace qmx {

struct AppContext;
class MainWindow;

inline constexpr int kDebugPollPauseMs = 1000;

class DebugPollController final : public QObject {
  Q_OBJECT

 public:
  DebugPollController(AppContext& context, MainWindow& window);

  // The ticks; public so that a test can run one without waiting.
  void Timer5Timer() { Tick(DebugTab::kAdc); }
  void Timer6Timer() { Tick(DebugTab::kMeasurement); }

  const DebugState& state() const { return state_; }

 private:
  void Tick(DebugTab tab);
  void ReadOnce(DebugTab tab);
  void StartPoll(DebugTab tab);
  void StopPoll(DebugTab tab);
  QTimer* TimerOf(DebugTab tab) const;
  void ConnectButton(const char* name, DebugTab tab,
                     void (DebugPollController::*handler)(DebugTab));
  MeasurementContext Context(Controls& controls) const;

  AppContext& context_;
  MainWindow& window_;
  QTimer* timer5_;
  QTimer* timer6_;
  DebugState state_;
};

}  // namespace qmx
