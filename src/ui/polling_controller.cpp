#include "ui/polling_controller.h"

#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <string>
#include <string_view>
#include <utility>

#include "blocks/module_data.h"
#include "ui/app_context.h"
#include "ui/exchange_gate.h"
#include "ui/main_window.h"
#include "ui/pages/page_widgets.h"
#include "ui/widget_controls.h"

namespace qmx {
namespace {

constexpr int kHousekeepingMs = 1000;
constexpr int kTimer2Ms = 500;
constexpr int kTimer8StartMs = 200;

// Passes every box on and keeps the time the operator spent in them, so that
// the time shown for an exchange is the line's and not the reader's.
class TimedDialogs final : public Dialogs {
 public:
  TimedDialogs(Dialogs& dialogs, Clock& clock) : dialogs_(dialogs), clock_(clock) {}

  BoxAnswer ShowBox(std::string_view text, std::string_view caption, BoxButtons buttons,
                    BoxIcon icon) override {
    const int64_t start_ms = clock_.NowMs();
    const BoxAnswer answer = dialogs_.ShowBox(text, caption, buttons, icon);
    spent_ms_ += clock_.NowMs() - start_ms;
    return answer;
  }
  FileDialogResult OpenFile(const FileDialogRequest& request) override {
    const int64_t start_ms = clock_.NowMs();
    FileDialogResult result = dialogs_.OpenFile(request);
    spent_ms_ += clock_.NowMs() - start_ms;
    return result;
  }
  FileDialogResult SaveFile(const FileDialogRequest& request) override {
    const int64_t start_ms = clock_.NowMs();
    FileDialogResult result = dialogs_.SaveFile(request);
    spent_ms_ += clock_.NowMs() - start_ms;
    return result;
  }

  std::string NoAnswerCause() const override { return dialogs_.NoAnswerCause(); }

  int64_t spent_ms() const { return spent_ms_; }

 private:
  Dialogs& dialogs_;
  Clock& clock_;
  int64_t spent_ms_ = 0;
};

}  // namespace

QTimer* MakeTimer(QObject* owner, const char* name, int interval_ms, bool single_shot) {
  auto* timer = new QTimer(owner);
  timer->setObjectName(QLatin1String(name));
  timer->setInterval(interval_ms);
  timer->setSingleShot(single_shot);
  return timer;
}

PollingController::PollingController(AppContext& context, MainWindow& window)
    : QObject(&window),
      context_(context),
      window_(window),
      timer3_(MakeTimer(this, "Timer3", kMeasurementPollPauseMs, true)),
      timer12_(MakeTimer(this, "Timer12", kModulePollPauseMs, true)),
      timer8_(MakeTimer(this, "Timer8", kHousekeepingMs, true)),
      status_line_(new QLabel(&window)),
      measured_value_page_(window.findChild<QWidget*>(QStringLiteral("TabSheet_MeasuredValue"))),
      operator_measurement_page_(
          window.findChild<QWidget*>(QStringLiteral("TabSheet_OperatorMeasurement"))),
      module_page_(window.findChild<QWidget*>(QStringLiteral("TabSheet_MeasuringModule"))) {
  setObjectName(QStringLiteral("PollingController"));
  connect(timer3_, &QTimer::timeout, this, &PollingController::Timer3Timer);
  connect(timer12_, &QTimer::timeout, this, &PollingController::Timer12Timer);
  // Timer3 and Timer12 tick while their poll runs: a tick with the poll off
  // would do nothing but wake an idle window every second, so the start
  // buttons arm them and a tick that finds the poll off stops.

  // The window's other timers.  The event loop already keeps the window
  // alive (Timer2, which would only process pending messages) and Timer1 has
  // no effect: both stay stopped, so that an idle window sleeps.  The link
  // waits on its own clock (Timer8, Timer9), so they only keep their designed
  // rhythm.  The debug tabs' Timer5 and Timer6 belong to their own controller.
  MakeTimer(this, "Timer1", kHousekeepingMs, false);
  MakeTimer(this, "Timer2", kTimer2Ms, false);
  MakeTimer(this, "Timer4", kHousekeepingMs, true)->start();
  timer8_->start();
  MakeTimer(this, "Timer9", kHousekeepingMs, true)->start();

  status_line_->setObjectName(QStringLiteral("ExchangeStatusLine"));
  window.statusBar()->addWidget(InSteadyCell(status_line_), 1);

  Connect("Button3", &PollingController::Button3Click);
  Connect("Button4", &PollingController::Button4Click);
  Connect("Button5", &PollingController::Button5Click);
  Connect("Button6", &PollingController::Button6Click);
  Connect("Button7", &PollingController::Button7Click);
  Connect("Button8", &PollingController::Button8Click);
  Connect("BitBtn5", &PollingController::BitBtn5Click);
  Connect("BitBtn25", &PollingController::BitBtn25Click);
  Connect("BitBtn26", &PollingController::BitBtn26Click);
  Connect("Button70", &PollingController::Button70Click);
  Connect("Button71", &PollingController::Button71Click);
  Connect("Button72", &PollingController::Button72Click);
  Connect("Button83", &PollingController::Button83Click);

  // Switching between the operator and the engineering view hides every
  // page of the other one.
  connect(&window, &MainWindow::engineeringViewChanged, this,
          &PollingController::StopPollsOutOfSight);

  WidgetControls controls(&window_);
  InitModuleBitCells(controls);
}

void PollingController::Connect(const char* button, void (PollingController::*handler)()) {
  if (auto* widget = window_.findChild<QPushButton*>(QLatin1String(button))) {
    connect(widget, &QPushButton::clicked, this, handler);
  }
}

MeasurementContext PollingController::Context(Controls& controls, Dialogs* dialogs) {
  return MeasurementContext{context_.link, dialogs != nullptr ? *dialogs : context_.dialogs,
                            controls, context_.measurement, context_.profile.records};
}

void PollingController::SetPollPauses(int measurement_ms, int module_ms) {
  measurement_pause_ms_ = measurement_ms;
  module_pause_ms_ = module_ms;
  if (timer3_->isActive()) timer3_->start(measurement_pause_ms_);
  if (timer12_->isActive()) timer12_->start(module_pause_ms_);
}

void PollingController::StartTimer8() {
  timer8_->start(kTimer8StartMs);
}

void PollingController::Focus(const char* name) {
  if (auto* widget = window_.findChild<QWidget*>(QLatin1String(name))) widget->setFocus();
}

void PollingController::RunOperatorAction(std::function<void(const MeasurementContext&)> action) {
  auto run = [this, action = std::move(action)] {
    const int64_t start_ms = context_.clock.NowMs();
    WidgetControls controls(&window_);
    TimedDialogs dialogs(context_.dialogs, context_.clock);
    action(Context(controls, &dialogs));
    ShowValuesAge();
    ShowExchangeTime(context_.clock.NowMs() - start_ms - dialogs.spent_ms());
  };
  qmx::RunOperatorAction(context_.gate, run);
}

void PollingController::ShowExchangeTime(int64_t exchange_ms) {
  last_exchange_ms_ = exchange_ms;
  UpdateStatusLine();
}

void PollingController::ShowCyclePeriod(int64_t& last_start_ms, int64_t start_ms) {
  if (last_start_ms >= 0) cycle_period_ms_ = start_ms - last_start_ms;
  last_start_ms = start_ms;
}

void PollingController::UpdateStatusLine() {
  std::string text;
  if (last_exchange_ms_ >= 0) {
    text = "Последний обмен: " + std::to_string(last_exchange_ms_) + " мс";
  }
  if ((context_.measurement_polling || context_.module_polling) && cycle_period_ms_ >= 0) {
    text += "   Период опроса: " + std::to_string(cycle_period_ms_) + " мс";
  }
  status_line_->setText(QString::fromStdString(text));
  emit measurementPollChanged();
}

void PollingController::ShowValuesAge() {
  const MeasuredValues& values = context_.measurement.values;
  const bool stale = values.read && !values.current;
  QString hint;
  if (stale) {
    const LocalTime& t = values.read_at;
    hint = QString::asprintf("Значения прочитаны %02u.%02u.%04u %02u:%02u:%02u", t.day, t.month,
                             t.year, t.hour, t.minute, t.second);
  }
  const WidgetControls controls(&window_);
  for (const char* name : MeasuredValueFields()) {
    if (QWidget* field = controls.Find(name)) {
      // A disabled field draws its text grey and still shows its tooltip.
      field->setEnabled(!stale);
      field->setToolTip(hint);
    }
  }
}

bool PollingController::InSight(const QWidget* page) const {
  return page != nullptr && page->isVisibleTo(&window_);
}

void PollingController::StopMeasurementPoll() {
  context_.measurement_polling = false;
  measurement_poll_page_ = nullptr;
  measurement_cycle_start_ms_ = -1;
  UpdateStatusLine();
}

void PollingController::StopOperatorMeasurementPoll() {
  if (measurement_poll_page_ == operator_measurement_page_) StopMeasurementPoll();
}

void PollingController::StopPollsOutOfSight() {
  WidgetControls controls(&window_);
  if (context_.measurement_polling && !InSight(measurement_poll_page_)) {
    StopMeasurementPoll();
    ShowMeasurementPollButtons(controls, false);
  }
  if (context_.module_polling && !InSight(module_page_)) {
    context_.module_polling = false;
    module_cycle_start_ms_ = -1;
    ShowModulePollButtons(controls, false);
    UpdateStatusLine();
  }
}

void PollingController::Timer3Timer() {
  timer3_->stop();
  StopPollsOutOfSight();
  if (context_.measurement_polling && context_.gate != nullptr) {
    context_.gate->TryRunTimerAction([this] {
      const int64_t start_ms = context_.clock.NowMs();
      ShowCyclePeriod(measurement_cycle_start_ms_, start_ms);
      WidgetControls controls(&window_);
      const PollCycleResult result = RunMeasurementPollCycle(Context(controls));
      ShowValuesAge();
      ShowExchangeTime(result.exchange_ms);
      emit measurementCycleEnded(result.outcome.data_taken());
    });
  }
  if (context_.measurement_polling) timer3_->start(measurement_pause_ms_);
  emit measurementPollChanged();
}

void PollingController::Timer12Timer() {
  timer12_->stop();
  StopPollsOutOfSight();
  if (context_.module_polling && context_.gate != nullptr) {
    context_.gate->TryRunTimerAction([this] {
      ShowCyclePeriod(module_cycle_start_ms_, context_.clock.NowMs());
      WidgetControls controls(&window_);
      ShowExchangeTime(RunModulePollCycle(Context(controls)).exchange_ms);
    });
  }
  if (context_.module_polling) timer12_->start(module_pause_ms_);
}

void PollingController::Button3Click() {
  RunOperatorAction([](const MeasurementContext& c) { ReadMeasuredOnce(c); });
}

void PollingController::Button4Click() {
  context_.measurement_polling = true;
  measurement_poll_page_ = measured_value_page_;
  measurement_cycle_start_ms_ = -1;
  WidgetControls controls(&window_);
  ShowMeasurementPollButtons(controls, true);
  if (!timer3_->isActive()) timer3_->start(measurement_pause_ms_);
  Focus("Button5");
}

void PollingController::Button5Click() {
  StopMeasurementPoll();
  WidgetControls controls(&window_);
  ShowMeasurementPollButtons(controls, false);
  Focus("Button3");
}

void PollingController::Button6Click() {
  StopMeasurementPoll();
  RunOperatorAction([](const MeasurementContext& c) { LatchMeasuredValue(c); });
}

void PollingController::Button7Click() {
  StopMeasurementPoll();
  RunOperatorAction([](const MeasurementContext& c) { ReadLatchedValue(c); });
}

void PollingController::Button8Click() {
  // Counts as having looked at the instrument before "Записать все на закладке".
  context_.blocks.exchange.configuration_read_once = true;
  // Through the gate all the same: counters cleared in the middle of a poll
  // cycle would be counted on by the cycle's end.
  RunOperatorAction([](const MeasurementContext& c) { ResetCounters(c); });
}

void PollingController::BitBtn5Click() {
  StopMeasurementPoll();
  RunOperatorAction([](const MeasurementContext& c) { ReadMeasuredOnceCompact(c); });
}

void PollingController::BitBtn25Click() {
  context_.measurement_polling = true;
  measurement_poll_page_ = operator_measurement_page_;
  measurement_cycle_start_ms_ = -1;
  if (!timer3_->isActive()) timer3_->start(measurement_pause_ms_);
  emit measurementPollChanged();
  Focus("BitBtn26");
}

void PollingController::BitBtn26Click() {
  StopMeasurementPoll();
  Focus("BitBtn5");
}

void PollingController::Button70Click() {
  RunOperatorAction([](const MeasurementContext& c) { ReadModuleOnce(c); });
}

void PollingController::Button71Click() {
  context_.module_polling = true;
  module_cycle_start_ms_ = -1;
  WidgetControls controls(&window_);
  ShowModulePollButtons(controls, true);
  timer12_->start(module_pause_ms_);
  Focus("Button72");
}

void PollingController::Button72Click() {
  context_.module_polling = false;
  module_cycle_start_ms_ = -1;
  WidgetControls controls(&window_);
  ShowModulePollButtons(controls, false);
  UpdateStatusLine();
  Focus("Button71");
}

void PollingController::Button83Click() {
  RunOperatorAction([](const MeasurementContext& c) { ReadErrorEnablesOnce(c); });
}

}  // namespace qmx
