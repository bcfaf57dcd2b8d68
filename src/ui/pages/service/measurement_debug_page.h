// The service page "Отладка измерения" (its tab is hidden in the operator layout): the
// instrument's processing results, read once or cyclically.
#pragma once

#include <QWidget>

namespace qmx {

struct AppContext;

class MeasurementDebugPage final : public QWidget {
  Q_OBJECT

 public:
  explicit MeasurementDebugPage(AppContext& context, QWidget* parent = nullptr);
};

}  // namespace qmx
