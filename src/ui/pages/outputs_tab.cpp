#include "ui/pages/outputs_tab.h"

#include <QComboBox>
#include <QGridLayout>

#include "ui/pages/page_widgets.h"

namespace qmx {

OutputsTab::OutputsTab(AppContext& /*context*/, QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("TabSheet_Outputs"));
  auto* grid = new QGridLayout(this);
  AddRow(grid, 0, 0, "Тип выхода", MakeList(this, "ComboBox6"));
  PushToTopLeft(grid);
}

}  // namespace qmx
