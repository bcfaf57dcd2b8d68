#include "service/module_parameters_page.h"

namespace qmx {

ModuleParametersPage::ModuleParametersPage(AppContext& /*context*/, QWidget* parent)
    : QWidget(parent) {
  setObjectName(QStringLiteral("TabSheet_ModuleParameters"));
}

}  // namespace qmx
