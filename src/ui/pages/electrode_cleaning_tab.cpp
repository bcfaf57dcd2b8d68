#include "ui/pages/electrode_cleaning_tab.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/pages/page_widgets.h"

namespace qmx {

// The time field shows what the page "ОБСЛУЖИВАНИЕ" sends (the two follow
// each other).
ElectrodeCleaningTab::ElectrodeCleaningTab(AppContext& /*context*/, QWidget* parent)
    : QWidget(parent) {
  setObjectName(QStringLiteral("TabSheet_ElectrodeCleaning"));
  auto* page = new QVBoxLayout(this);

  QGroupBox* time = MakeGroup(this, "Время очистки электродов");
  auto* grid = new QGridLayout(time);
  AddRow(grid, 0, 0, "Время очистки сек", MakeEdit(time, "Edit98"));
  grid->addWidget(MakeButton(time, "Button63", "Прочитать"), 0, 2);
  grid->addWidget(MakeButton(time, "Button64", "Записать"), 0, 3);
  page->addWidget(time, 0, Qt::AlignLeft);

  QGroupBox* commands = MakeGroup(this, "Очистка электродов");
  auto* row = new QHBoxLayout(commands);
  row->addWidget(MakeButton(commands, "Button61", "Включить очистку электродов"));
  row->addWidget(MakeButton(commands, "Button62", "Выключить очистку электродов"));
  page->addWidget(commands, 0, Qt::AlignLeft);
  page->addStretch(1);
}

}  // namespace qmx
