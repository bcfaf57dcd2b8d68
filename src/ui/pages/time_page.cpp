#include "ui/pages/time_page.h"

#include <QComboBox>
#include <QGridLayout>

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
  PushToTopLeft(grid);
}

}  // namespace qmx
