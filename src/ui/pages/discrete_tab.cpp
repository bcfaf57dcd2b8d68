#include "ui/pages/discrete_tab.h"

namespace qmx {

DiscreteTab::DiscreteTab(AppContext& /*context*/, QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("TabSheet_Discrete"));
}

}  // namespace qmx
