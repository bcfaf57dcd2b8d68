// The operator page "ИЗМЕРЕНИЕ" under "НАСТРОЙКИ РАБОТЫ": units, totaliser and cut-off of the
// measurement.
#pragma once

#include <QWidget>

namespace qmx {

struct AppContext;

class MeasurementSettingsPage final : public QWidget {
  Q_OBJECT

 public:
  explicit MeasurementSettingsPage(AppContext& context, QWidget* parent = nullptr);
};

}  // namespace qmx
