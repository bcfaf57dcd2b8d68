#include "ui/pages/extra_settings_page.h"

#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>

#include "ui/pages/page_widgets.h"

namespace qmx {

ExtraSettingsPage::ExtraSettingsPage(AppContext& /*context*/, QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("TabSheet_ExtraSettings"));
  auto* grid = new QGridLayout(this);
  AddRow(grid, 0, 0, "ПАРОЛЬ ЭКРАННОГО МЕНЮ", MakeEdit(this, "Edit113"));
  grid->addWidget(MakeButton(this, "BitBtn28", "ПРОЧИТАТЬ"), 1, 0);
  grid->addWidget(MakeButton(this, "BitBtn29", "ЗАПИСАТЬ"), 1, 1);
  // The operator's restart of the instrument.
  grid->addWidget(MakeButton(this, "BitBtn30", "Перезагрузка прибора"), 2, 0);
  PushToTopLeft(grid);
}

}  // namespace qmx
