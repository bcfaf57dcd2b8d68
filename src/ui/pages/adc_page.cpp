#include "ui/pages/adc_page.h"

#include <QComboBox>
#include <QGridLayout>

#include "ui/pages/page_widgets.h"

namespace qmx {

AdcPage::AdcPage(AppContext& /*context*/, QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("TabSheet_Adc"));
  auto* grid = new QGridLayout(this);
  grid->addWidget(MakeList(this, "ComboBox10"), 0, 0);
  PushToTopLeft(grid);
}

}  // namespace qmx
