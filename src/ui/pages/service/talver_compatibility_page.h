// The service page "Совместимость с Тальвером" (its tab is hidden in the operator layout):
// reference values that let the instrument present itself like a Talver device.
#pragma once

#include <QWidget>

namespace qmx {

struct AppContext;

class TalverCompatibilityPage final : public QWidget {
  Q_OBJECT

 public:
  explicit TalverCompatibilityPage(AppContext& context, QWidget* parent = nullptr);
};

}  // namespace qmx
