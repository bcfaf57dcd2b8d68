#include "service/calibration_page.h"

namespace qmx {

CalibrationPage::CalibrationPage(AppContext& /*context*/, QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("TabSheet_Calibration"));
}

}  // namespace qmx
