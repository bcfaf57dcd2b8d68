#include "ui/pages/measurement_tab.h"

#include <QComboBox>
#include <QGridLayout>

#include "ui/pages/page_widgets.h"

namespace qmx {

MeasurementTab::MeasurementTab(AppContext& /*context*/, QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("TabSheet_Measurement"));
  auto* grid = new QGridLayout(this);
  grid->addWidget(MakeList(this, "ComboBox4"), 0, 1);
  AddRow(grid, 1, 0, "Усреднение", MakeList(this, "ComboBox5"));
  grid->addWidget(MakeList(this, "ComboBox7"), 2, 1);
  grid->addWidget(MakeList(this, "ComboBox35"), 3, 1);
  PushToTopLeft(grid);
}

}  // namespace qmx
