#include "service/external_calibration_page.h"

namespace qmx {

ExternalCalibrationPage::ExternalCalibrationPage(AppContext& /*context*/, QWidget* parent)
    : QWidget(parent) {
  setObjectName(QStringLiteral("TabSheet_ExternalCalibration"));
}

}  // namespace qmx
