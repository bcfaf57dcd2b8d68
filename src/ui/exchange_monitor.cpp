#include "ui/exchange_monitor.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QColor>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QListView>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

#include "link/exchange_status.h"
#include "link/link.h"

namespace qmx {
namespace {

constexpr char kSettingsKey[] = "ExchangeMonitor/visible";
// Light enough for the black text on any style.
const QColor kFailureBackground(255, 215, 215);
const QColor kWarningBackground(255, 244, 190);

// Two blanks separate the columns; the bytes among themselves have one.
constexpr char kColumnGap[] = "  ";

QString TimeText(const LocalTime& t) {
  return QString::asprintf("%02u:%02u:%02u.%03u", t.hour, t.minute, t.second, t.millisecond);
}

QString HexText(const std::vector<uint8_t>& bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  QString text;
  text.reserve(static_cast<qsizetype>(bytes.size() * 3));
  for (uint8_t byte : bytes) {
    if (!text.isEmpty()) text += QLatin1Char(' ');
    text += QLatin1Char(kDigits[byte >> 4]);
    text += QLatin1Char(kDigits[byte & 0x0F]);
  }
  return text;
}

QPushButton* NewButton(QWidget* parent, const char* name, const char* text) {
  auto* button = new QPushButton(QString::fromUtf8(text), parent);
  button->setObjectName(QLatin1String(name));
  return button;
}

}  // namespace

int MonitorLines::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(lines_.size());
}

QVariant MonitorLines::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= static_cast<int>(lines_.size())) return {};
  const Line& line = lines_[static_cast<size_t>(index.row())];
  switch (role) {
    case Qt::DisplayRole:
      return line.text;
    case Qt::BackgroundRole:
      if (line.mark == Mark::kFailure) return kFailureBackground;
      if (line.mark == Mark::kWarning) return kWarningBackground;
      return {};
    case Qt::ForegroundRole:
      if (line.mark != Mark::kNone) return QColor(Qt::black);
      return {};
    default:
      return {};
  }
}

void MonitorLines::Append(std::vector<Line> lines) {
  if (lines.empty()) return;
  const size_t limit = static_cast<size_t>(limit_);
  if (lines.size() >= limit) {
    // A batch larger than the panel replaces everything.
    beginResetModel();
    lines_.assign(std::make_move_iterator(lines.end() - static_cast<ptrdiff_t>(limit)),
                  std::make_move_iterator(lines.end()));
    endResetModel();
    return;
  }
  const size_t total = lines_.size() + lines.size();
  if (total > limit) {
    const int drop = static_cast<int>(total - limit);
    beginRemoveRows(QModelIndex(), 0, drop - 1);
    lines_.erase(lines_.begin(), lines_.begin() + drop);
    endRemoveRows();
  }
  const int first = static_cast<int>(lines_.size());
  beginInsertRows(QModelIndex(), first, first + static_cast<int>(lines.size()) - 1);
  for (Line& line : lines) lines_.push_back(std::move(line));
  endInsertRows();
}

void MonitorLines::Clear() {
  beginResetModel();
  lines_.clear();
  endResetModel();
}

ExchangeMonitor::ExchangeMonitor(Link& link, QWidget* parent)
    : QDockWidget(QStringLiteral("Монитор обмена"), parent), link_(link) {
  setObjectName(QStringLiteral("ExchangeMonitor"));
  toggleViewAction()->setObjectName(QStringLiteral("ExchangeMonitorAction"));

  auto* body = new QWidget(this);
  auto* layout = new QVBoxLayout(body);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->setSpacing(2);
  auto* buttons = new QHBoxLayout;
  pause_ = NewButton(body, "MonitorPause", "Пауза");
  pause_->setCheckable(true);
  QPushButton* clear = NewButton(body, "MonitorClear", "Очистить");
  QPushButton* copy = NewButton(body, "MonitorCopy", "Копировать");
  buttons->addWidget(pause_);
  buttons->addWidget(clear);
  buttons->addWidget(copy);
  buttons->addStretch(1);
  layout->addLayout(buttons);

  model_ = new MonitorLines(kMaxLines, this);
  view_ = new QListView(body);
  view_->setObjectName(QStringLiteral("MonitorLines"));
  view_->setModel(model_);
  view_->setUniformItemSizes(true);
  view_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  view_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  layout->addWidget(view_, 1);
  setWidget(body);

  flush_timer_.setSingleShot(true);
  flush_timer_.setInterval(kFlushIntervalMs);
  connect(&flush_timer_, &QTimer::timeout, this, &ExchangeMonitor::FlushBetweenTransactions);
  // What was already copied is still shown; nothing new comes in.
  connect(pause_, &QPushButton::toggled, this, [this](bool paused) {
    if (paused) Flush();
  });
  connect(clear, &QPushButton::clicked, this, [this] {
    pending_.clear();
    model_->Clear();
  });
  connect(copy, &QPushButton::clicked, this, &ExchangeMonitor::Copy);
  // Watches the link exactly while it is on screen (a tab behind another
  // dock, or closed, it is not).
  connect(this, &QDockWidget::visibilityChanged, this, &ExchangeMonitor::Watch);
  hide();
}

ExchangeMonitor::~ExchangeMonitor() {
  // The dock's own teardown must not call back into this half-gone object.
  disconnect(this, &QDockWidget::visibilityChanged, this, nullptr);
  Watch(false);
}

void ExchangeMonitor::Watch(bool on) {
  if (on) {
    link_.SetExchangeObserver(this);
  } else if (link_.log().observer() == this) {
    link_.SetExchangeObserver(nullptr);
  }
}

void ExchangeMonitor::RestoreAndRememberVisibility() {
  QSettings settings(QStringLiteral("qmx41-config"), QStringLiteral("qmx41-config"));
  setVisible(settings.value(QLatin1String(kSettingsKey), false).toBool());
  // Closing the window hides no dock explicitly, so the state at the end is
  // the operator's last choice.
  connect(toggleViewAction(), &QAction::toggled, this, [](bool shown) {
    QSettings(QStringLiteral("qmx41-config"), QStringLiteral("qmx41-config"))
        .setValue(QLatin1String(kSettingsKey), shown);
  });
}

void ExchangeMonitor::Queue(Event event) {
  if (pause_->isChecked()) return;
  if (pending_.size() >= static_cast<size_t>(kMaxLines)) pending_.pop_front();
  pending_.push_back(std::move(event));
  if (!flush_timer_.isActive()) flush_timer_.start();
}

void ExchangeMonitor::OnRequest(const LocalTime& at, int64_t at_ms, unsigned repetitions,
                                std::string_view description, const uint8_t* bytes, size_t size) {
  Event event;
  event.kind = Kind::kRequest;
  event.at = at;
  event.at_ms = at_ms;
  event.repetitions = repetitions;
  event.description.assign(description);
  event.bytes.assign(bytes, bytes + size);
  Queue(std::move(event));
}

void ExchangeMonitor::OnAnswer(const LocalTime& at, int64_t at_ms, const uint8_t* bytes,
                               size_t size) {
  Event event;
  event.kind = Kind::kAnswer;
  event.at = at;
  event.at_ms = at_ms;
  event.bytes.assign(bytes, bytes + size);
  Queue(std::move(event));
}

void ExchangeMonitor::OnOutcome(const LocalTime& at, uint16_t status, uint16_t exception,
                                int64_t duration_ms) {
  Event event;
  event.kind = Kind::kOutcome;
  event.at = at;
  event.status = status;
  event.exception = exception;
  event.duration_ms = duration_ms;
  Queue(std::move(event));
}

// "12:00:01.250  Запрос  01 03 01 2C 00 02 04 3E  повтор 1  Команда на мигание."
// "12:00:01.275  Ответ   01 03 04 00 00 00 01 3B F3  25 мс"
// "12:00:01.275  Итог    0x0000: норма  25 мс"
MonitorLines::Line ExchangeMonitor::Format(const Event& event) {
  const QString gap = QLatin1String(kColumnGap);
  MonitorLines::Line line;
  line.text = TimeText(event.at) + gap;
  switch (event.kind) {
    case Kind::kRequest:
      request_ms_ = event.at_ms;
      line.text += QStringLiteral("Запрос") + gap + HexText(event.bytes);
      if (event.repetitions > 0) {
        line.text += gap + QStringLiteral("повтор %1").arg(event.repetitions);
        line.mark = MonitorLines::Mark::kWarning;
      }
      if (!event.description.empty()) {
        line.text += gap + QString::fromStdString(event.description);
      }
      break;
    case Kind::kAnswer:
      line.text += QStringLiteral("Ответ ") + gap;
      if (event.bytes.empty()) {
        line.text += QStringLiteral("ничего не пришло");
        line.mark = MonitorLines::Mark::kFailure;
      } else {
        line.text += HexText(event.bytes);
      }
      if (request_ms_ >= 0)
        line.text += gap + QStringLiteral("%1 мс").arg(event.at_ms - request_ms_);
      break;
    case Kind::kOutcome:
      line.text += QStringLiteral("Итог  ") + gap +
                   QString::fromStdString(DescribeExchangeStatus(event.status, event.exception)) +
                   gap + QStringLiteral("%1 мс").arg(event.duration_ms);
      if ((event.status & ~kStatusRepeated) != 0) {
        line.mark = MonitorLines::Mark::kFailure;
      } else if (event.status != 0) {
        line.mark = MonitorLines::Mark::kWarning;
      }
      request_ms_ = -1;
      break;
  }
  return line;
}

void ExchangeMonitor::FlushBetweenTransactions() {
  // The link lets the timer run while it waits for an answer; the lines (and
  // the painting they cause) then wait for the end of the transaction, so
  // that the answer is never read late because of them.  A second's worth of
  // back-to-back transactions is shown all the same.
  constexpr int kMostDeferrals = 10;
  if (link_.InTransaction() && ++deferred_ < kMostDeferrals) {
    flush_timer_.start();
    return;
  }
  deferred_ = 0;
  Flush();
}

void ExchangeMonitor::Flush() {
  flush_timer_.stop();
  if (pending_.empty()) return;
  std::vector<MonitorLines::Line> lines;
  lines.reserve(pending_.size());
  for (const Event& event : pending_) lines.push_back(Format(event));
  pending_.clear();
  // Follows the newest line unless the operator scrolled back to read.
  QScrollBar* bar = view_->verticalScrollBar();
  const bool at_end = bar->value() == bar->maximum();
  model_->Append(std::move(lines));
  if (at_end) view_->scrollToBottom();
}

QStringList ExchangeMonitor::LineTexts() const {
  QStringList texts;
  texts.reserve(static_cast<qsizetype>(model_->lines().size()));
  for (const MonitorLines::Line& line : model_->lines()) texts.append(line.text);
  return texts;
}

QString ExchangeMonitor::CopyText() const {
  QModelIndexList selected = view_->selectionModel()->selectedRows();
  if (selected.isEmpty()) {
    QString text;
    for (const MonitorLines::Line& line : model_->lines()) text += line.text + QLatin1Char('\n');
    return text;
  }
  std::sort(selected.begin(), selected.end());
  QString text;
  for (const QModelIndex& index : selected) {
    text += model_->lines()[static_cast<size_t>(index.row())].text + QLatin1Char('\n');
  }
  return text;
}

void ExchangeMonitor::Copy() {
  Flush();
  QApplication::clipboard()->setText(CopyText());
}

}  // namespace qmx
