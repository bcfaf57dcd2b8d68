// The operator page "ВРЕМЯ" under "НАСТРОЙКИ РАБОТЫ": the instrument's clock.
#pragma once

#include <QWidget>

namespace qmx {

struct AppContext;

class TimePage final : public QWidget {
  Q_OBJECT

 public:
  explicit TimePage(AppContext& context, QWidget* parent = nullptr);
};

}  // namespace qmx
