// The engineering tab "Общеприборные" under "Настройка параметров": the instrument's clock and its
// front-panel menu password.
#pragma once

#include <QWidget>

namespace qmx {

struct AppContext;

class GeneralTab final : public QWidget {
  Q_OBJECT

 public:
  explicit GeneralTab(AppContext& context, QWidget* parent = nullptr);
};

}  // namespace qmx
