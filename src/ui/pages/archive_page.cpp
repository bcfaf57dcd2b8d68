#include "ui/pages/archive_page.h"

#include <QComboBox>
#include <QGridLayout>

#include "ui/pages/page_widgets.h"

namespace qmx {

ArchivePage::ArchivePage(AppContext& /*context*/, QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("TabSheet_Archive"));
  auto* grid = new QGridLayout(this);
  AddRow(grid, 0, 0, "ИНТЕРВАЛ ВРЕМЕНИ МЕЖДУ ЗАПИСЯМИ В АРХИВ", MakeList(this, "ComboBox58"));
  PushToTopLeft(grid);
}

}  // namespace qmx
