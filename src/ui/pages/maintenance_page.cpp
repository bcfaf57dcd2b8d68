#include "ui/pages/maintenance_page.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/pages/page_widgets.h"

namespace qmx {

MaintenancePage::MaintenancePage(AppContext& /*context*/, QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("TabSheet_Maintenance"));
  auto* page = new QGridLayout(this);

  QGroupBox* time = MakeGroup(this, "ВРЕМЯ ОЧИСТКИ ЭЛЕКТРОДОВ");
  auto* grid = new QGridLayout(time);
  AddRow(grid, 0, 0, "МАКС ВРЕМЯ ОЧИСТКИ", MakeList(time, "ComboBox54"));
  grid->addWidget(MakeCaption(time, "СЕК"), 0, 2);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(MakeButton(time, "BitBtn20", "ПРОЧИТАТЬ"));
  buttons->addWidget(MakeButton(time, "BitBtn21", "ЗАПИСАТЬ"));
  buttons->addStretch(1);
  grid->addLayout(buttons, 1, 0, 1, 3);
  page->addWidget(time, 0, 0);

  // The commands: they send no field of the page.
  QGroupBox* cleaning = MakeGroup(this, "ОЧИСТКА ЭЛЕКТРОДОВ");
  auto* commands = new QVBoxLayout(cleaning);
  commands->addWidget(MakeButton(cleaning, "BitBtn18", "ВКЛЮЧИТЬ ОЧИСТКУ ЭЛЕКТРОДОВ"));
  commands->addWidget(MakeButton(cleaning, "BitBtn19", "ВЫКЛЮЧИТЬ ОЧИСТКУ ЭЛЕКТРОДОВ"));
  page->addWidget(cleaning, 1, 0);
  PushToTopLeft(page);
}

}  // namespace qmx
