// The service page "Пользовательские регистры" (its tab is hidden in the operator layout): the
// instrument's eight general-purpose registers in the grid StringGrid1, read and written by the
// user-register block.  The page keeps the grid's editing rules: which cells take the editor, the
// key filter of the editor and the colour of the rows typed into.
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
