#include "ui/pages/service/external_measured_value_page.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include "ui/pages/page_widgets.h"

namespace qmx {

ExternalMeasuredValuePage::ExternalMeasuredValuePage(AppContext& /*context*/, QWidget* parent)
    : QWidget(parent) {
  setObjectName(QStringLiteral("TabSheet_ExternalMeasuredValue"));
  auto* page = new QGridLayout(this);
  QGroupBox* group = MakeGroup(this, "Измеренное значение внешнего датчика");
  auto* grid = new QGridLayout(group);
  // Each quantity: its value, then the state of its measurement.
  AddRow(grid, 0, 0, "Давление", MakePanel(group, "Panel66"));
  grid->addWidget(MakeValueLabel(group, "Label202"), 0, 2);
  grid->addWidget(MakeCaption(group, "Состояние"), 1, 0);
  grid->addWidget(MakePanel(group, "Panel67"), 1, 1, 1, 2);
  AddRow(grid, 2, 0, "Температура", MakePanel(group, "Panel65"));
  grid->addWidget(MakeCaption(group, "Состояние"), 3, 0);
  grid->addWidget(MakePanel(group, "Panel74"), 3, 1, 1, 2);
  AddRow(grid, 4, 0, "Состояние обмена", MakePanel(group, "Panel68"));
  grid->addWidget(MakeButton(group, "Button55", "Прочитать однократно"), 5, 1);
  page->addWidget(group, 0, 0);
  PushToTopLeft(page);
}

}  // namespace qmx
