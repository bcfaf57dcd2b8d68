#include "ui/pages/maintenance_page.h"

#include <QComboBox>
#include <QGridLayout>

#include "ui/pages/page_widgets.h"

namespace qmx {

MaintenancePage::MaintenancePage(AppContext& /*context*/, QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("TabSheet_Maintenance"));
  auto* grid = new QGridLayout(this);
  AddRow(grid, 0, 0, "МАКС ВРЕМЯ ОЧИСТКИ", MakeList(this, "ComboBox54"));
  PushToTopLeft(grid);
}

}  // namespace qmx
