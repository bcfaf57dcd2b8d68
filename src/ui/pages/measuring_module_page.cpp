#include "ui/pages/measuring_module_page.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <string>

#include "blocks/module_data.h"
#include "ui/pages/page_widgets.h"

namespace qmx {
namespace {

// One bit of an error word: the panel carries the bit's name (written at
// start-up) to the right of the check box of its enable bit.
QLabel* MakeBitCell(QWidget* page, const ModuleBitCell& cell) {
  QLabel* panel = MakePanel(page, cell.panel);
  panel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  panel->setMargin(1);
  auto* box = new QCheckBox(panel);
  box->setObjectName(QLatin1String(cell.check_box));
  panel->setIndent(box->sizeHint().width() + 4);
  auto* layout = new QHBoxLayout(panel);
  layout->setContentsMargins(2, 0, 0, 0);
  layout->addWidget(box);
  layout->addStretch(1);
  panel->setMinimumWidth(panel->indent() +
                         panel->fontMetrics().horizontalAdvance(QStringLiteral("SIGNAL_STRONG ")));
  return panel;
}

}  // namespace

MeasuringModulePage::MeasuringModulePage(AppContext& /*context*/, QWidget* parent)
    : QWidget(parent) {
  setObjectName(QStringLiteral("TabSheet_MeasuringModule"));
  auto* grid = new QGridLayout(this);
  // Thirty-two cells one above the other: packed close, so that the whole
  // tab shows on a 1280x720 screen.
  grid->setVerticalSpacing(2);
  grid->addWidget(MakeCaption(this, "Данные из измерительного модуля"), 0, 0, 1, 4);
  AddRow(grid, 1, 0, "Расход", MakePanel(this, "Panel79"));
  grid->addWidget(MakeCaption(this, "м3/час"), 1, 2);

  // LO word on the left, HI on the right; bit 15 at the top as the
  // instrument's documentation draws the words.
  grid->addWidget(MakeCaption(this, "LO"), 2, 0);
  grid->addWidget(MakeCaption(this, "HI"), 2, 1);
  for (int bit = 15; bit >= 0; --bit) {
    const int row = 3 + (15 - bit);
    grid->addWidget(MakeBitCell(this, kModuleLoCells[bit]), row, 0);
    grid->addWidget(MakeBitCell(this, kModuleHiCells[bit]), row, 1);
  }

  grid->addWidget(MakeCaption(this, "Сырые ошибки"), 2, 2, 1, 2);
  AddRow(grid, 3, 2, "HI", MakeValueLabel(this, "Label390", "0x0000"));
  AddRow(grid, 4, 2, "LO", MakeValueLabel(this, "Label392", "0x0000"));
  // The buttons in a column of their own beside the bit rows, so that they
  // do not stretch the rows of the cells.
  auto* buttons = new QVBoxLayout;
  buttons->addWidget(MakeButton(this, "Button70", "Прочитать"));
  buttons->addWidget(MakeButton(this, "Button71", "Циклическое чтение"));
  QPushButton* stop = MakeButton(this, "Button72", "Остановить цикл. чтен.");
  stop->setEnabled(false);
  buttons->addWidget(stop);
  buttons->addSpacing(12);
  buttons->addWidget(MakeButton(this, "Button83", "Прочитать разрешения ошибок"));
  buttons->addWidget(MakeButton(this, "Button84", "Записать разрешения ошибок"));
  // Where the module talks: to the service connector or to the instrument.
  buttons->addSpacing(12);
  buttons->addWidget(MakeButton(this, "Button86", "Изм. модуль к техн. разъему"));
  buttons->addWidget(MakeButton(this, "Button87", "Изм. модуль к прибору"));
  buttons->addStretch(1);
  grid->addLayout(buttons, 6, 2, 13, 2);
  PushToTopLeft(grid);
}

}  // namespace qmx
