#include "ui/pages/parameter_settings_page.h"

#include <QTabWidget>
#include <QVBoxLayout>

namespace qmx {

ParameterSettingsPage::ParameterSettingsPage(AppContext& /*context*/, QWidget* parent)
    : QWidget(parent), pages_(new QTabWidget(this)) {
  setObjectName(QStringLiteral("TabSheet_ParameterSettings"));
  pages_->setObjectName(QStringLiteral("PageControl2"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->addWidget(pages_);
}

}  // namespace qmx
