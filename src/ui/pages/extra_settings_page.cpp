#include "ui/pages/extra_settings_page.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/pages/page_widgets.h"

namespace qmx {

ExtraSettingsPage::ExtraSettingsPage(AppContext& /*context*/, QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("TabSheet_ExtraSettings"));
  auto* page = new QGridLayout(this);

  QGroupBox* password = MakeGroup(this, "МЕНЮ ПЕРЕДНЕЙ ПАНЕЛИ ПРИБОРА");
  auto* grid = new QGridLayout(password);
  AddRow(grid, 0, 0, "ПАРОЛЬ ЭКРАННОГО МЕНЮ", MakeEdit(password, "Edit113"));
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(MakeButton(password, "BitBtn28", "ПРОЧИТАТЬ"));
  buttons->addWidget(MakeButton(password, "BitBtn29", "ЗАПИСАТЬ"));
  buttons->addStretch(1);
  grid->addLayout(buttons, 1, 0, 1, 2);
  page->addWidget(password, 0, 0);

  // The operator's restart of the instrument.
  QGroupBox* restart = MakeGroup(this, "ПЕРЕЗАПУСК ПРИБОРА");
  auto* commands = new QVBoxLayout(restart);
  commands->addWidget(MakeButton(restart, "BitBtn30", "Перезагрузка прибора"));
  page->addWidget(restart, 1, 0);
  PushToTopLeft(page);
}

}  // namespace qmx
