#include "ui/pages/frequency_output_tab.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "ui/pages/page_widgets.h"

namespace qmx {

FrequencyOutputTab::FrequencyOutputTab(AppContext& /*context*/, QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("TabSheet_FrequencyOutput"));
  auto* grid = new QGridLayout(this);
  // The scaling itself is edited on the operator page "ВЫХОД"; these two
  // move it between that page and the instrument.
  grid->addWidget(MakeButton(this, "Button14", "Прочитать"), 0, 0);
  grid->addWidget(MakeButton(this, "Button15", "Записать"), 0, 1);

  auto* forced =
      new QGroupBox(QStringLiteral("Принудительное задание частоты частотного выхода"), this);
  auto* forced_grid = new QGridLayout(forced);
  forced_grid->addWidget(MakeButton(forced, "Button79", "Включить"), 0, 0);
  forced_grid->addWidget(MakeButton(forced, "Button80", "Выключить"), 0, 1);
  AddRow(forced_grid, 1, 0, "Частота", MakeEdit(forced, "Edit102"));
  forced_grid->addWidget(MakeCaption(forced, "Гц"), 1, 2);
  forced_grid->addWidget(MakeButton(forced, "Button81", "Прочитать"), 2, 0);
  forced_grid->addWidget(MakeButton(forced, "Button82", "Записать"), 2, 1);
  grid->addWidget(forced, 1, 0, 1, 3);
  PushToTopLeft(grid);
}

}  // namespace qmx
