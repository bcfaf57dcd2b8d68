#include "ui/pages/time_page.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

#include "ui/pages/page_widgets.h"

namespace qmx {

TimePage::TimePage(AppContext& /*context*/, QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("TabSheet_Time"));
  auto* page = new QGridLayout(this);
  QGroupBox* group = MakeGroup(this, "ВРЕМЯ И ДАТА ПРИБОРА");
  auto* grid = new QGridLayout(group);
  // The clock read last is shown as one text; the lists it is also kept in
  // stay off the page.
  int column = 0;
  for (const char* name :
       {"ComboBox48", "ComboBox49", "ComboBox50", "ComboBox51", "ComboBox52", "ComboBox53"}) {
    QComboBox* list = MakeList(group, name);
    list->hide();
    grid->addWidget(list, 0, column++);
  }
  QLabel* clock = MakePanel(group, "Panel117");
  clock->setMinimumWidth(
      clock->fontMetrics().horizontalAdvance(QStringLiteral("00:00:00  00.00.0000")) +
      4 * clock->margin());
  AddRow(grid, 1, 0, "ЧАСЫ ПРИБОРА", clock);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(MakeButton(group, "BitBtn15", "ПРОЧИТАТЬ"));
  // Writing the tab's lists from here is kept off the page.
  QPushButton* write = MakeButton(group, "BitBtn17", "ЗАПИСАТЬ");
  write->hide();
  buttons->addWidget(write);
  buttons->addWidget(MakeButton(group, "BitBtn31", "Записать время из часов компьютера"));
  buttons->addStretch(1);
  grid->addLayout(buttons, 2, 0, 1, 6);
  page->addWidget(group, 0, 0);
  PushToTopLeft(page);
}

}  // namespace qmx
