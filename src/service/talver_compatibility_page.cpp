#include "service/talver_compatibility_page.h"

#include <QGridLayout>
#include <QLabel>

#include "ui/pages/page_widgets.h"

namespace qmx {

TalverCompatibilityPage::TalverCompatibilityPage(AppContext& /*context*/, QWidget* parent)
    : QWidget(parent) {
  setObjectName(QStringLiteral("TabSheet_TalverCompatibility"));
  auto* grid = new QGridLayout(this);
  grid->addWidget(MakeCaption(this,
                              "Параметры используемые для совместимости с Тальвером (носят "
                              "справочный характер)"),
                  0, 0);
  grid->addWidget(MakeStatusPanel(this, "Panel47"), 1, 0);
  PushToTopLeft(grid);
}

}  // namespace qmx
