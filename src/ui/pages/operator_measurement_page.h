// The operator page "ИЗМЕРЕНИЕ": the measured values at a glance.
#pragma once

#include <QWidget>

namespace qmx {

struct AppContext;

class OperatorMeasurementPage final : public QWidget {
  Q_OBJECT

 public:
  explicit OperatorMeasurementPage(AppContext& context, QWidget* parent = nullptr);
};

}  // namespace qmx
