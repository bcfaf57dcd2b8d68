#include "service/recalculation_page.h"

namespace qmx {

RecalculationPage::RecalculationPage(AppContext& /*context*/, QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("TabSheet_Recalculation"));
}

}  // namespace qmx
