#include "ui/pages/pulse_output_tab.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include "ui/pages/page_widgets.h"

namespace qmx {

PulseOutputTab::PulseOutputTab(AppContext& /*context*/, QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("TabSheet_PulseOutput"));
  auto* grid = new QGridLayout(this);
  // The pulse settings are edited on the operator page "ВЫХОД".
  grid->addWidget(MakeButton(this, "Button16", "Прочитать"), 0, 0);
  grid->addWidget(MakeButton(this, "Button49", "Записать"), 0, 1);

  QLabel* volume = MakeValueLabel(this, "Label381");
  volume->setFrameShape(QFrame::StyledPanel);
  volume->setFrameShadow(QFrame::Sunken);
  volume->setMinimumWidth(
      volume->fontMetrics().horizontalAdvance(QStringLiteral("000000000000000000000000")));
  AddRow(grid, 1, 0, "Объем который нужно передать импульсами", volume);
  grid->addWidget(MakeCaption(this, "метры куб"), 1, 2);
  grid->addWidget(MakeButton(this, "Button92", "Прочитать"), 1, 3);
  PushToTopLeft(grid);
}

}  // namespace qmx
