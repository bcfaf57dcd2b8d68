#include "ui/pages/electrode_cleaning_tab.h"

#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>

#include "ui/pages/page_widgets.h"

namespace qmx {

// The time field shows what the page "ОБСЛУЖИВАНИЕ" sends (the two follow
// each other).
ElectrodeCleaningTab::ElectrodeCleaningTab(AppContext& /*context*/, QWidget* parent)
    : QWidget(parent) {
  setObjectName(QStringLiteral("TabSheet_ElectrodeCleaning"));
  auto* grid = new QGridLayout(this);
  AddRow(grid, 0, 0, "Время очистки сек", MakeEdit(this, "Edit98"));
  grid->addWidget(MakeButton(this, "Button63", "Прочитать"), 0, 2);
  grid->addWidget(MakeButton(this, "Button64", "Записать"), 0, 3);
  grid->addWidget(MakeButton(this, "Button61", "Включить очистку электродов"), 1, 1);
  grid->addWidget(MakeButton(this, "Button62", "Выключить очистку электродов"), 2, 1);
  PushToTopLeft(grid);
}

}  // namespace qmx
