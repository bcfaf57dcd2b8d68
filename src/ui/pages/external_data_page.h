// The tab "Внешние данные" under "Настройка параметров": the pages of the external pressure and
// temperature sensor, electrode cleaning and the recalculation to standard conditions
// (PageControl3).
#pragma once

#include <QWidget>

class QTabWidget;

namespace qmx {

struct AppContext;

class ExternalDataPage final : public QWidget {
  Q_OBJECT

 public:
  explicit ExternalDataPage(AppContext& context, QWidget* parent = nullptr);

  // PageControl3; the window puts the pages into it.
  QTabWidget* Pages() const { return pages_; }

 private:
  QTabWidget* pages_;
};

}  // namespace qmx
