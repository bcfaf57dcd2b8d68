#include "ui/pages/maintenance_page.h"

#include <QComboBox>
#include <QGridLayout>
#include <QPushButton>

#include "ui/pages/page_widgets.h"

namespace qmx {

MaintenancePage::MaintenancePage(AppContext& /*context*/, QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("TabSheet_Maintenance"));
  auto* grid = new QGridLayout(this);
  AddRow(grid, 0, 0, "МАКС ВРЕМЯ ОЧИСТКИ", MakeList(this, "ComboBox54"));
  grid->addWidget(MakeButton(this, "BitBtn20", "ПРОЧИТАТЬ"), 0, 2);
  grid->addWidget(MakeButton(this, "BitBtn21", "ЗАПИСАТЬ"), 0, 3);
  grid->addWidget(MakeButton(this, "BitBtn18", "ВКЛЮЧИТЬ ОЧИСТКУ ЭЛЕКТРОДОВ"), 1, 0, 1, 4);
  grid->addWidget(MakeButton(this, "BitBtn19", "ВЫКЛЮЧИТЬ ОЧИСТКУ ЭЛЕКТРОДОВ"), 2, 0, 1, 4);
  PushToTopLeft(grid);
}

}  // namespace qmx
