#include "ui/pages/extra_settings_page.h"

namespace qmx {

ExtraSettingsPage::ExtraSettingsPage(AppContext& /*context*/, QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("TabSheet_ExtraSettings"));
}

}  // namespace qmx
