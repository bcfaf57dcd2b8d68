#include "service/user_registers_page.h"

#include <QGridLayout>
#include <QLabel>

#include "ui/pages/page_widgets.h"

namespace qmx {

UserRegistersPage::UserRegistersPage(AppContext& /*context*/, QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("TabSheet_UserRegisters"));
  auto* grid = new QGridLayout(this);
  grid->addWidget(MakeStatusPanel(this, "Panel48"), 0, 0);
  PushToTopLeft(grid);
}

}  // namespace qmx
