#include "ui/pages/operator_measurement_page.h"

namespace qmx {

OperatorMeasurementPage::OperatorMeasurementPage(AppContext& /*context*/, QWidget* parent)
    : QWidget(parent) {
  setObjectName(QStringLiteral("TabSheet_OperatorMeasurement"));
}

}  // namespace qmx
