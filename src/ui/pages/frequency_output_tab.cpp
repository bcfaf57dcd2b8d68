#include "ui/pages/frequency_output_tab.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/pages/page_widgets.h"

namespace qmx {

FrequencyOutputTab::FrequencyOutputTab(AppContext& /*context*/, QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("TabSheet_FrequencyOutput"));
  auto* page = new QVBoxLayout(this);

  // The scaling itself is edited on the operator page "ВЫХОД"; these two
  // move it between that page and the instrument.
  QGroupBox* scaling = MakeGroup(this, "Частотный выход");
  auto* grid = new QGridLayout(scaling);
  QLabel* note = MakeCaption(scaling,
                             "Расход для 10000 Гц и для 0 Гц и частота при ошибке\n"
                             "задаются на странице «ВЫХОД» раздела «НАСТРОЙКИ РАБОТЫ»:\n"
                             "«Прочитать» показывает их там, «Записать» передает их оттуда.");
  grid->addWidget(note, 0, 0, 1, 2);
  grid->addWidget(MakeButton(scaling, "Button14", "Прочитать"), 1, 0);
  grid->addWidget(MakeButton(scaling, "Button15", "Записать"), 1, 1);
  page->addWidget(scaling, 0, Qt::AlignLeft);

  QGroupBox* forced = MakeGroup(this, "Принудительное задание частоты частотного выхода");
  auto* forced_grid = new QGridLayout(forced);
  forced_grid->addWidget(MakeButton(forced, "Button79", "Включить"), 0, 0);
  forced_grid->addWidget(MakeButton(forced, "Button80", "Выключить"), 0, 1);
  AddRow(forced_grid, 1, 0, "Частота", MakeEdit(forced, "Edit102"));
  forced_grid->addWidget(MakeCaption(forced, "Гц"), 1, 2);
  forced_grid->addWidget(MakeButton(forced, "Button81", "Прочитать"), 2, 0);
  forced_grid->addWidget(MakeButton(forced, "Button82", "Записать"), 2, 1);
  page->addWidget(forced, 0, Qt::AlignLeft);
  page->addStretch(1);
}

}  // namespace qmx
