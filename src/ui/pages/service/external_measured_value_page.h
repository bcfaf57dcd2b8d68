// The page "Измеренное значение" under "Внешние данные": pressure and temperature of the external
// sensor.
#pragma once

#include <QWidget>

namespace qmx {

struct AppContext;

class ExternalMeasuredValuePage final : public QWidget {
  Q_OBJECT

 public:
  explicit ExternalMeasuredValuePage(AppContext& context, QWidget* parent = nullptr);
};

}  // namespace qmx
