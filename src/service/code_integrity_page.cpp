#include "service/code_integrity_page.h"

namespace qmx {

CodeIntegrityPage::CodeIntegrityPage(AppContext& /*context*/, QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("TabSheet_CodeIntegrity"));
}

}  // namespace qmx
