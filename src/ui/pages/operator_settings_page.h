// The operator page "НАСТРОЙКИ РАБОТЫ": the instrument's working settings, one page per group
// (PageControl5).
#pragma once

#include <QWidget>

class QTabWidget;

namespace qmx {

struct AppContext;

class OperatorSettingsPage final : public QWidget {
  Q_OBJECT

 public:
  explicit OperatorSettingsPage(AppContext& context, QWidget* parent = nullptr);

  // PageControl5; the window puts the pages into it.
  QTabWidget* Pages() const { return pages_; }

 private:
  QTabWidget* pages_;
};

}  // namespace qmx
