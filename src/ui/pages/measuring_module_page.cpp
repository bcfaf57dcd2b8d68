#include "ui/pages/measuring_module_page.h"

namespace qmx {

MeasuringModulePage::MeasuringModulePage(AppContext& /*context*/, QWidget* parent)
    : QWidget(parent) {
  setObjectName(QStringLiteral("TabSheet_MeasuringModule"));
}

}  // namespace qmx
