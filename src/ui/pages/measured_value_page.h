// The engineering page "Измеренное значение": single and cyclic reading of the measured values and
// the exchange counters of the cyclic poll.
#pragma once

#include <QWidget>

namespace qmx {

struct AppContext;

class MeasuredValuePage final : public QWidget {
  Q_OBJECT

 public:
  explicit MeasuredValuePage(AppContext& context, QWidget* parent = nullptr);
};

}  // namespace qmx
