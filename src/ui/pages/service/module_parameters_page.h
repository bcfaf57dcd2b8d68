// The service page "Параметры из модуля измерения": what the measuring module reports about itself
// (sensor type, flow limits, cut-off, passport).
#pragma once

#include <QWidget>

namespace qmx {

struct AppContext;

class ModuleParametersPage final : public QWidget {
  Q_OBJECT

 public:
  explicit ModuleParametersPage(AppContext& context, QWidget* parent = nullptr);
};

}  // namespace qmx
