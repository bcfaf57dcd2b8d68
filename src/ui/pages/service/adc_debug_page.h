// The service page "Отладка АЦП" (its tab is hidden in the operator layout): single and cyclic
// reading of the converter's codes.
#pragma once

#include <QWidget>

namespace qmx {

struct AppContext;

class AdcDebugPage final : public QWidget {
  Q_OBJECT

 public:
  explicit AdcDebugPage(AppContext& context, QWidget* parent = nullptr);
};

}  // namespace qmx
