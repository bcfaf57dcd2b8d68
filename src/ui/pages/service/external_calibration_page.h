// The page "Градуировки" under "Внешние данные": the external sensor's ADC codes and calibration
// values.
#pragma once

#include <QWidget>

namespace qmx {

struct AppContext;

class ExternalCalibrationPage final : public QWidget {
  Q_OBJECT

 public:
  explicit ExternalCalibrationPage(AppContext& context, QWidget* parent = nullptr);
};

}  // namespace qmx
