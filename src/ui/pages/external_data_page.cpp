#include "ui/pages/external_data_page.h"

#include <QTabWidget>
#include <QVBoxLayout>

namespace qmx {

ExternalDataPage::ExternalDataPage(AppContext& /*context*/, QWidget* parent)
    : QWidget(parent), pages_(new QTabWidget(this)) {
  setObjectName(QStringLiteral("TabSheet_ExternalData"));
  pages_->setObjectName(QStringLiteral("PageControl3"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->addWidget(pages_);
}

}  // namespace qmx
