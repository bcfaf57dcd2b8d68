#include "ui/pages/archiving_tab.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>

#include "ui/pages/page_widgets.h"

namespace qmx {

// The interval list shows what the page "АРХИВ" sends (the two follow each
// other); the module switch and the frame number are the tab's own.
ArchivingTab::ArchivingTab(AppContext& /*context*/, QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("TabSheet_Archiving"));
  auto* grid = new QGridLayout(this);
  AddRow(grid, 0, 0, "Интервал между записями в архив, сек", MakeList(this, "ComboBox36"));
  grid->addWidget(MakeCheckBox(this, "CheckBox92", "Используем модуль\nархивации"), 1, 1);
  grid->addWidget(MakeButton(this, "Button73", "Прочитать"), 0, 2);
  grid->addWidget(MakeButton(this, "Button74", "Записать"), 0, 3);
  AddRow(grid, 2, 0, "Номер текущего кадра", MakeEdit(this, "Edit101"));
  grid->addWidget(MakeButton(this, "Button75", "Прочитать"), 2, 2);
  grid->addWidget(MakeButton(this, "Button76", "Записать"), 2, 3);
  PushToTopLeft(grid);
}

}  // namespace qmx
