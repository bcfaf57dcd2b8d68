// The operator page "ОБСЛУЖИВАНИЕ" under "НАСТРОЙКИ РАБОТЫ" (shown when the profile enables it):
// cleaning of the electrodes.
#pragma once

#include <QWidget>

namespace qmx {

struct AppContext;

class MaintenancePage final : public QWidget {
  Q_OBJECT

 public:
  explicit MaintenancePage(AppContext& context, QWidget* parent = nullptr);
};

}  // namespace qmx
