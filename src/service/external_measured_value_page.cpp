#include "service/external_measured_value_page.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include "ui/pages/page_widgets.h"

namespace qmx {

ExternalMeasuredValuePage::ExternalMeasuredValuePage(AppContext& /*context*/, QWidget* parent)
    : QWidget(parent) {
  setObjectName(QStringLiteral("TabSheet_ExternalMeasuredValue"));
  auto* grid = new QGridLayout(this);
  // Each quantity: its value, then the state of its measurement.
  AddRow(grid, 0, 0, "Давление", MakePanel(this, "Panel66"));
  grid->addWidget(MakeValueLabel(this, "Label202"), 0, 2);
  grid->addWidget(MakePanel(this, "Panel67"), 1, 1, 1, 2);
  AddRow(grid, 2, 0, "Температура", MakePanel(this, "Panel65"));
  grid->addWidget(MakePanel(this, "Panel74"), 3, 1, 1, 2);
  AddRow(grid, 4, 0, "Состояние обмена", MakePanel(this, "Panel68"));
  grid->addWidget(MakeButton(this, "Button55", "Прочитать однократно"), 5, 1);
  PushToTopLeft(grid);
}

}  // namespace qmx
