#include "ui/pages/archiving_tab.h"

#include <QComboBox>
#include <QGridLayout>

#include "ui/pages/page_widgets.h"

namespace qmx {

ArchivingTab::ArchivingTab(AppContext& /*context*/, QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("TabSheet_Archiving"));
  auto* grid = new QGridLayout(this);
  grid->addWidget(MakeList(this, "ComboBox36"), 0, 0);
  PushToTopLeft(grid);
}

}  // namespace qmx
