#include "ui/pages/archive_page.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>

#include "ui/pages/page_widgets.h"

namespace qmx {

ArchivePage::ArchivePage(AppContext& /*context*/, QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("TabSheet_Archive"));
  auto* page = new QGridLayout(this);
  QGroupBox* group = MakeGroup(this, "ИНТЕРВАЛ АРХИВАЦИИ");
  auto* grid = new QGridLayout(group);
  AddRow(grid, 0, 0, "ИНТЕРВАЛ ВРЕМЕНИ МЕЖДУ ЗАПИСЯМИ В АРХИВ", MakeList(group, "ComboBox58"));
  grid->addWidget(MakeCaption(group, "СЕК"), 0, 2);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(MakeButton(group, "BitBtn22", "ПРОЧИТАТЬ"));
  buttons->addWidget(MakeButton(group, "BitBtn23", "ЗАПИСАТЬ"));
  buttons->addStretch(1);
  grid->addLayout(buttons, 1, 0, 1, 3);
  page->addWidget(group, 0, 0);
  PushToTopLeft(page);
}

}  // namespace qmx
