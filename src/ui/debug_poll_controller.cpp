#include "ui/debug_poll_controller.h"

#include <QCheckBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

#include "ui/app_context.h"
#include "ui/exchange_gate.h"
#include "ui/main_window.h"
#include "ui/polling_controller.h"
#include "ui/widget_controls.h"

namespace qmx {
DebugPollController::DebugPollController(AppContext& context, MainWindow& window)
    : QObject(&window),
      context_(context),
      window_(window),
      timer5_(MakeTimer(this, "Timer5", kDebugPollPauseMs, true)),
      timer6_(MakeTimer(this, "Timer6", kDebugPollPauseMs, true)) {
  setObjectName(QStringLiteral("DebugPollController"));
  connect(timer5_, &QTimer::timeout, this, &DebugPollController::Timer5Timer);
  connect(timer6_, &QTimer::timeout, this, &DebugPollController::Timer6Timer);
  // Each ticks while its poll runs (StartPoll arms it); an idle window sleeps.

  ConnectButton("Button18", DebugTab::kMeasurement, &DebugPollController::ReadOnce);
  ConnectButton("Button19", DebugTab::kMeasurement, &DebugPollController::StartPoll);
  ConnectButton("Button20", DebugTab::kMeasurement, &DebugPollController::StopPoll);
  ConnectButton("Button35", DebugTab::kAdc, &DebugPollController::ReadOnce);
  ConnectButton("Button36", DebugTab::kAdc, &DebugPollController::StartPoll);
  ConnectButton("Button37", DebugTab::kAdc, &DebugPollController::StopPoll);

  if (auto* record = window.findChild<QCheckBox*>(QStringLiteral("CheckBox22"))) {
    record->setChecked(context_.profile.records.write_all_izm_file == 1);
    connect(record, &QCheckBox::toggled, this, [this](bool checked) {
      context_.profile.records.write_all_izm_file = checked ? 1 : 0;
    });
  }

  WidgetControls controls(&window_);
  for (DebugTab tab : {DebugTab::kMeasurement, DebugTab::kAdc}) {
    InitDebugGrid(controls, tab);
    ShowDebugPollButtons(controls, tab, false);
  }
}

void DebugPollController::ConnectButton(const char* name, DebugTab tab,
                                        void (DebugPollController::*handler)(DebugTab)) {
  if (auto* button = window_.findChild<QPushButton*>(QLatin1String(name))) {
    connect(button, &QPushButton::clicked, this, [this, tab, handler] { (this->*handler)(tab); });
  }
}

MeasurementContext DebugPollController::Context(Controls& controls) const {
  return MeasurementContext{context_.link, context_.dialogs, controls, context_.measurement,
                            context_.profile.records};
}

QTimer* DebugPollController::TimerOf(DebugTab tab) const {
  return tab == DebugTab::kAdc ? timer5_ : timer6_;
}

void DebugPollController::Tick(DebugTab tab) {
  QTimer* timer = TimerOf(tab);
  timer->stop();
  QTabWidget* main_pages = window_.PageControl1();
  const QWidget* page = main_pages != nullptr ? main_pages->currentWidget() : nullptr;
  // Visible to the operator: the engineering view shown and the tab on top.
  const bool visible = page != nullptr &&
                       page->objectName() == QLatin1String(DebugTabOf(tab).page) &&
                       page->isVisibleTo(&window_);
  if (!visible && state_.Polling(tab)) {
    state_.Polling(tab) = false;
    WidgetControls controls(&window_);
    ShowDebugPollButtons(controls, tab, false);
  }
  if (state_.Polling(tab) && context_.gate != nullptr) {
    context_.gate->TryRunTimerAction([this, tab] {
      WidgetControls controls(&window_);
      RunDebugPollCycle(Context(controls), state_, tab);
    });
  }
  if (state_.Polling(tab)) timer->start(kDebugPollPauseMs);
}

void DebugPollController::ReadOnce(DebugTab tab) {
  RunOperatorAction(context_.gate, [this, tab] {
    WidgetControls controls(&window_);
    ReadDebugOnce(Context(controls), state_, tab);
  });
}

void DebugPollController::StartPoll(DebugTab tab) {
  state_.Polling(tab) = true;
  WidgetControls controls(&window_);
  ShowDebugPollButtons(controls, tab, true);
  QTimer* timer = TimerOf(tab);
  if (!timer->isActive()) timer->start(kDebugPollPauseMs);
  if (auto* stop = window_.findChild<QPushButton*>(QLatin1String(DebugTabOf(tab).stop_button))) {
    stop->setFocus();
  }
}

void DebugPollController::StopPoll(DebugTab tab) {
  state_.Polling(tab) = false;
  WidgetControls controls(&window_);
  ShowDebugPollButtons(controls, tab, false);
}

}  // namespace qmx
