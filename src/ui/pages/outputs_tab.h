// The engineering tab "Выходы" under "Настройка параметров": the type of the instrument's flow
// output.
#pragma once

#include <QWidget>

namespace qmx {

struct AppContext;

class OutputsTab final : public QWidget {
  Q_OBJECT

 public:
  explicit OutputsTab(AppContext& context, QWidget* parent = nullptr);
};

}  // namespace qmx
