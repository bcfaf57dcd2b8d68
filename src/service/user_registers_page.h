// The service page "Пользовательские регистры" (its tab is hidden in the operator layout): the
// instrument's eight general-purpose registers.
#pragma once

#include <QWidget>

namespace qmx {

struct AppContext;

class UserRegistersPage final : public QWidget {
  Q_OBJECT

 public:
  explicit UserRegistersPage(AppContext& context, QWidget* parent = nullptr);
};

}  // namespace qmx
