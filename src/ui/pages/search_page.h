// The engineering page "Поиск" (its tab is hidden in the operator layout): which baud rates,
// parities and addresses the search of the line tries, and the instruments it found.
#pragma once

#include <QWidget>

namespace qmx {

struct AppContext;

class SearchPage final : public QWidget {
  Q_OBJECT

 public:
  explicit SearchPage(AppContext& context, QWidget* parent = nullptr);
};

}  // namespace qmx
