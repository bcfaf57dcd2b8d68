#include "ui/pages/extra_settings_page.h"

#include <QGridLayout>
#include <QPushButton>

#include "ui/pages/page_widgets.h"

namespace qmx {

ExtraSettingsPage::ExtraSettingsPage(AppContext& /*context*/, QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("TabSheet_ExtraSettings"));
  auto* grid = new QGridLayout(this);
  // The operator's restart of the instrument.
  grid->addWidget(MakeButton(this, "BitBtn30", "Перезагрузка прибора"), 0, 0);
  PushToTopLeft(grid);
}

}  // namespace qmx
