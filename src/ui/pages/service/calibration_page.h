// The service page "Градуировки" of the main page set (its tab is hidden in the operator layout):
// the coefficient sheet of the sensor head.
#pragma once

#include <QWidget>

namespace qmx {

struct AppContext;

class CalibrationPage final : public QWidget {
  Q_OBJECT

 public:
  explicit CalibrationPage(AppContext& context, QWidget* parent = nullptr);
};

}  // namespace qmx
