// "Монитор обмена": a dockable panel that lists every request and answer on
// the line with its time, its bytes in hexadecimal and the outcome of each
// transaction (status bits, exception, duration).  It watches the link only
// while it is on screen; hidden, the link does nothing for it.  What arrives
// is only copied during the exchange and turned into lines by a 100 ms timer,
// so a transaction never waits for the panel.
#pragma once

#include <QAbstractListModel>
#include <QDockWidget>
#include <QStringList>
#include <QTimer>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "link/exchange_observer.h"

class QListView;
class QPushButton;

namespace qmx {

class Link;

// The panel's lines, the oldest dropped beyond the limit.  A failed exchange
// is drawn on light red, a repetition or a success after one on light yellow.
class MonitorLines final : public QAbstractListModel {
  Q_OBJECT

 public:
  enum class Mark : uint8_t { kNone, kWarning, kFailure };
  struct Line {
    QString text;
    Mark mark = Mark::kNone;
  };

  explicit MonitorLines(int limit, QObject* parent = nullptr)
      : QAbstractListModel(parent), limit_(limit) {}

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;

  void Append(std::vector<Line> lines);
  void Clear();
  const std::deque<Line>& lines() const { return lines_; }

 private:
  int limit_;
  std::deque<Line> lines_;
};

class ExchangeMonitor final : public QDockWidget, public ExchangeObserver {
  Q_OBJECT

 public:
  static constexpr int kMaxLines = 2000;
  static constexpr int kFlushIntervalMs = 100;

  ExchangeMonitor(Link& link, QWidget* parent = nullptr);
  ~ExchangeMonitor() override;

  // Turns what arrived since the last time into lines (the timer does this).
  void Flush();
  QStringList LineTexts() const;
  MonitorLines* lines() const { return model_; }
  // Selected lines, or all of them when none is selected, one a line.
  QString CopyText() const;

  // The program's own start: shows the panel as the operator last left it
  // and remembers every later change.  Windows made for other purposes
  // (tests, the bench) stay hidden and remember nothing.
  void RestoreAndRememberVisibility();

  // ExchangeObserver: called in the middle of a transaction; only copies.
  void OnRequest(const LocalTime& at, int64_t at_ms, unsigned repetitions,
                 std::string_view description, const uint8_t* bytes, size_t size) override;
  void OnAnswer(const LocalTime& at, int64_t at_ms, const uint8_t* bytes, size_t size) override;
  void OnOutcome(const LocalTime& at, uint16_t status, uint16_t exception,
                 int64_t duration_ms) override;

 private:
  enum class Kind : uint8_t { kRequest, kAnswer, kOutcome };
  struct Event {
    Kind kind = Kind::kRequest;
    LocalTime at;
    int64_t at_ms = 0;
    unsigned repetitions = 0;
    uint16_t status = 0;
    uint16_t exception = 0;
    int64_t duration_ms = 0;
    std::string description;
    std::vector<uint8_t> bytes;
  };

  void Watch(bool on);
  void FlushBetweenTransactions();
  void Queue(Event event);
  MonitorLines::Line Format(const Event& event);
  void Copy();

  Link& link_;
  MonitorLines* model_;
  QListView* view_;
  QPushButton* pause_;
  QTimer flush_timer_;
  // Copied from the link, not yet shown; never more than a panel full.
  std::deque<Event> pending_;
  // When the last request shown went out, for the delay of its answer.
  int64_t request_ms_ = -1;
  // Timer runs that found a transaction on the line and waited for its end.
  int deferred_ = 0;
};

}  // namespace qmx
