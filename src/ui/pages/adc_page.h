// The engineering page "АЦП" (its tab is hidden in the operator layout): the settings of the
// instrument's analogue-to-digital converter.
#pragma once

#include <QWidget>

namespace qmx {

struct AppContext;

class AdcPage final : public QWidget {
  Q_OBJECT

 public:
  explicit AdcPage(AppContext& context, QWidget* parent = nullptr);
};

}  // namespace qmx
