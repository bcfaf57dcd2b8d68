#include "service/external_measured_value_page.h"

namespace qmx {

ExternalMeasuredValuePage::ExternalMeasuredValuePage(AppContext& /*context*/, QWidget* parent)
    : QWidget(parent) {
  setObjectName(QStringLiteral("TabSheet_ExternalMeasuredValue"));
}

}  // namespace qmx
