// The operator page "ИЗМЕРЕНИЕ": the measured values at a glance.  Every
// value stands right-aligned beside its unit, the flow in large type that
// grows with the page, and a line under the buttons tells whether the poll
// runs and when the values last came in.
#pragma once

#include <QWidget>

class QLabel;

namespace qmx {

struct AppContext;

class OperatorMeasurementPage final : public QWidget {
  Q_OBJECT

 public:
  explicit OperatorMeasurementPage(AppContext& context, QWidget* parent = nullptr);

  // "Опрос идёт · 12:03:15" (the time of the last read that came in) while
  // the measured values are polled, "Опрос остановлен" otherwise; the volume
  // unit repeated on every volume row.  Called after every display of the
  // measured values and every start or stop of the poll.
  void ShowPollState();

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  // The flow digits follow the page's size, within bounds.
  void ScaleFlow();

  AppContext& context_;
  QLabel* flow_ = nullptr;
  QLabel* volume_unit_ = nullptr;  // Label435, filled from the unit code
  QList<QLabel*> volume_unit_copies_;
  QLabel* poll_state_ = nullptr;
};

}  // namespace qmx
