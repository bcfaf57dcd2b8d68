#include "service/external_parameters_page.h"

#include <QComboBox>
#include <QGridLayout>

#include "ui/pages/page_widgets.h"

namespace qmx {

ExternalParametersPage::ExternalParametersPage(AppContext& /*context*/, QWidget* parent)
    : QWidget(parent) {
  setObjectName(QStringLiteral("TabSheet_ExternalParameters"));
  auto* grid = new QGridLayout(this);
  grid->addWidget(MakeList(this, "ComboBox33"), 0, 0);
  PushToTopLeft(grid);
}

}  // namespace qmx
