// The engineering page "Настройка параметров": the instrument's configuration, one tab per group
// of parameters (PageControl2).
#pragma once

#include <QWidget>

class QTabWidget;

namespace qmx {

struct AppContext;

class ParameterSettingsPage final : public QWidget {
  Q_OBJECT

 public:
  explicit ParameterSettingsPage(AppContext& context, QWidget* parent = nullptr);

  // PageControl2; the window puts the pages into it.
  QTabWidget* Pages() const { return pages_; }

 private:
  QTabWidget* pages_;
};

}  // namespace qmx
