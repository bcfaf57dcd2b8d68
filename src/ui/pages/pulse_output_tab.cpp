#include "ui/pages/pulse_output_tab.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/pages/page_widgets.h"

namespace qmx {

PulseOutputTab::PulseOutputTab(AppContext& /*context*/, QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("TabSheet_PulseOutput"));
  auto* page = new QVBoxLayout(this);

  // The pulse settings are edited on the operator page "ВЫХОД".
  QGroupBox* pulses = MakeGroup(this, "Импульсный выход");
  auto* grid = new QGridLayout(pulses);
  QLabel* note = MakeCaption(pulses,
                             "Объем на импульс, длительность импульса и паузу задают\n"
                             "на странице «ВЫХОД» раздела «НАСТРОЙКИ РАБОТЫ»:\n"
                             "«Прочитать» показывает их там, «Записать» передает их оттуда.");
  grid->addWidget(note, 0, 0, 1, 2);
  grid->addWidget(MakeButton(pulses, "Button16", "Прочитать"), 1, 0);
  grid->addWidget(MakeButton(pulses, "Button49", "Записать"), 1, 1);
  page->addWidget(pulses, 0, Qt::AlignLeft);

  QGroupBox* remaining = MakeGroup(this, "Объем к передаче импульсами");
  auto* remaining_grid = new QGridLayout(remaining);
  QLabel* volume = MakeValueLabel(remaining, "Label381");
  volume->setFrameShape(QFrame::StyledPanel);
  volume->setFrameShadow(QFrame::Sunken);
  volume->setMinimumWidth(
      volume->fontMetrics().horizontalAdvance(QStringLiteral("000000000000000000000000")));
  AddRow(remaining_grid, 0, 0, "Объем который нужно передать импульсами", volume);
  remaining_grid->addWidget(MakeCaption(remaining, "метры куб"), 0, 2);
  remaining_grid->addWidget(MakeButton(remaining, "Button92", "Прочитать"), 0, 3);
  page->addWidget(remaining, 0, Qt::AlignLeft);
  page->addStretch(1);
}

}  // namespace qmx
