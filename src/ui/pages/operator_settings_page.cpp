#include "ui/pages/operator_settings_page.h"

#include <QTabWidget>
#include <QVBoxLayout>

namespace qmx {

OperatorSettingsPage::OperatorSettingsPage(AppContext& /*context*/, QWidget* parent)
    : QWidget(parent), pages_(new QTabWidget(this)) {
  setObjectName(QStringLiteral("TabSheet_OperatorSettings"));
  pages_->setObjectName(QStringLiteral("PageControl5"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->addWidget(pages_);
}

}  // namespace qmx
