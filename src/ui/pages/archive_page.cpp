#include "ui/pages/archive_page.h"

#include <QComboBox>
#include <QGridLayout>
#include <QPushButton>

#include "ui/pages/page_widgets.h"

namespace qmx {

ArchivePage::ArchivePage(AppContext& /*context*/, QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("TabSheet_Archive"));
  auto* grid = new QGridLayout(this);
  AddRow(grid, 0, 0, "ИНТЕРВАЛ ВРЕМЕНИ МЕЖДУ ЗАПИСЯМИ В АРХИВ", MakeList(this, "ComboBox58"));
  grid->addWidget(MakeButton(this, "BitBtn22", "ПРОЧИТАТЬ"), 0, 2);
  grid->addWidget(MakeButton(this, "BitBtn23", "ЗАПИСАТЬ"), 0, 3);
  PushToTopLeft(grid);
}

}  // namespace qmx
