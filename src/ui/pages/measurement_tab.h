// The engineering tab "Измерение" under "Настройка параметров": units, averaging and cut-off of
// the measurement.
#pragma once

#include <QWidget>

namespace qmx {

struct AppContext;

class MeasurementTab final : public QWidget {
  Q_OBJECT

 public:
  explicit MeasurementTab(AppContext& context, QWidget* parent = nullptr);
};

}  // namespace qmx
