#include "ui/busy_indicator.h"

#include <QMainWindow>
#include <QStatusBar>
#include <QTimer>

#include "link/exchange_status.h"
#include "link/link.h"
#include "link/port_naming.h"
#include "ui/app_context.h"
#include "ui/exchange_gate.h"

namespace qmx {
namespace {

constexpr int kRefreshMs = 250;

}  // namespace

std::string BusyText(const LinkSettings& settings, size_t queued) {
  const int64_t limit_s =
      (ReadWaitLimitMs(settings, settings.line.baud_code, kMaxReadCount) + 999) / 1000;
  std::string text = "Обмен с прибором: " + PortName(settings.line.port_number) + ", адрес " +
                     std::to_string(settings.line.network_address) + ", ожидание до " +
                     std::to_string(limit_s) + " с";
  if (queued > 0) text += ", в очереди: " + std::to_string(queued);
  return text;
}

BusyIndicator::BusyIndicator(AppContext& context, QMainWindow& window)
    : QObject(&window), context_(context), window_(window), refresh_(new QTimer(this)) {
  setObjectName(QStringLiteral("BusyIndicator"));
  refresh_->setInterval(kRefreshMs);
  connect(refresh_, &QTimer::timeout, this, &BusyIndicator::Update);
  if (context_.gate != nullptr) {
    connect(context_.gate, &ExchangeGate::activityChanged, this, &BusyIndicator::Update);
  }
}

void BusyIndicator::Update() {
  const ExchangeGate* gate = context_.gate;
  const bool announce =
      gate != nullptr && gate->Busy() && (!gate->RunningTimerAction() || gate->queued() > 0);
  if (announce) {
    Show(QString::fromStdString(BusyText(context_.link.settings(), gate->queued())));
  } else {
    Hide();
  }
}

void BusyIndicator::Show(const QString& text) {
  QStatusBar* bar = window_.statusBar();
  if (bar->currentMessage() != text) bar->showMessage(text);
  shown_ = text;
  if (!cursor_set_) {
    window_.setCursor(Qt::WaitCursor);
    cursor_set_ = true;
  }
  if (!refresh_->isActive()) refresh_->start();
}

void BusyIndicator::Hide() {
  refresh_->stop();
  // Only our own message goes; one put up meanwhile by someone else stays.
  if (!shown_.isEmpty() && window_.statusBar()->currentMessage() == shown_) {
    window_.statusBar()->clearMessage();
  }
  shown_.clear();
  if (cursor_set_) {
    window_.unsetCursor();
    cursor_set_ = false;
  }
}

}  // namespace qmx
