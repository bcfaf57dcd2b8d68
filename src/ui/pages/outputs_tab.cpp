#include "ui/pages/outputs_tab.h"

#include <QComboBox>
#include <QGridLayout>
#include <QPushButton>

#include "ui/pages/page_widgets.h"

namespace qmx {

OutputsTab::OutputsTab(AppContext& /*context*/, QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("TabSheet_Outputs"));
  auto* grid = new QGridLayout(this);
  // Shows the type only: a write takes it from the operator page's list.
  AddRow(grid, 0, 0, "Тип выхода", MakeList(this, "ComboBox6"));
  grid->addWidget(MakeButton(this, "Button12", "Прочитать"), 1, 0);
  grid->addWidget(MakeButton(this, "Button13", "Записать"), 1, 1);
  PushToTopLeft(grid);
}

}  // namespace qmx
