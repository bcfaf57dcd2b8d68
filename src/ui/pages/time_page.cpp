#include "ui/pages/time_page.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include "ui/pages/page_widgets.h"

namespace qmx {

TimePage::TimePage(AppContext& /*context*/, QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("TabSheet_Time"));
  // The clock read last is shown as one text; the lists it is also kept in
  // stay off the page.
  auto* grid = new QGridLayout(this);
  int column = 0;
  for (const char* name :
       {"ComboBox48", "ComboBox49", "ComboBox50", "ComboBox51", "ComboBox52", "ComboBox53"}) {
    QComboBox* list = MakeList(this, name);
    list->hide();
    grid->addWidget(list, 0, column++);
  }
  grid->addWidget(MakePanel(this, "Panel117"), 1, 0, 1, 3);
  grid->addWidget(MakeButton(this, "BitBtn15", "ПРОЧИТАТЬ"), 2, 0);
  // Writing the tab's lists from here is kept off the page.
  QPushButton* write = MakeButton(this, "BitBtn17", "ЗАПИСАТЬ");
  write->hide();
  grid->addWidget(write, 2, 1);
  grid->addWidget(MakeButton(this, "BitBtn31", "Записать время из часов компьютера"), 3, 0, 1, 3);
  PushToTopLeft(grid);
}

}  // namespace qmx
