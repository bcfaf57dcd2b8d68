// The engineering tab "Дискр." under "Настройка параметров": the two sets of sixteen discrete
// flags.
#pragma once

#include <QWidget>

namespace qmx {

struct AppContext;

class DiscreteTab final : public QWidget {
  Q_OBJECT

 public:
  explicit DiscreteTab(AppContext& context, QWidget* parent = nullptr);
};

}  // namespace qmx
