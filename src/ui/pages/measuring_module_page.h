// The engineering page "Изм. модуль": the raw data of the instrument's measuring module and the
// errors the instrument analyses.
#pragma once

#include <QWidget>

namespace qmx {

struct AppContext;

class MeasuringModulePage final : public QWidget {
  Q_OBJECT

 public:
  explicit MeasuringModulePage(AppContext& context, QWidget* parent = nullptr);
};

}  // namespace qmx
