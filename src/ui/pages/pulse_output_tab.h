// The engineering tab "Импульсный выход" under "Настройка параметров": the pulse output.
#pragma once

#include <QWidget>

namespace qmx {

struct AppContext;

class PulseOutputTab final : public QWidget {
  Q_OBJECT

 public:
  explicit PulseOutputTab(AppContext& context, QWidget* parent = nullptr);
};

}  // namespace qmx
