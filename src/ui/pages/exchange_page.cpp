#include "ui/pages/exchange_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

#include "ui/link_controller.h"
#include "ui/pages/page_widgets.h"

namespace qmx {

ExchangePage::ExchangePage(AppContext& context, QWidget* parent)
    : QWidget(parent), context_(context) {
  setObjectName(QStringLiteral("TabSheet_Exchange"));
  auto* grid = new QGridLayout(this);
  AddRow(grid, 0, 0, "СЕТЕВОЙ НОМЕР", MakeList(this, "ComboBox45"));
  AddRow(grid, 1, 0, "СКОРОСТЬ", MakeList(this, "ComboBox46"));
  QComboBox* parity = MakeList(this, "ComboBox47");
  AddRow(grid, 2, 0, "ПАРИТЕТ", parity);
  auto* commands = new QHBoxLayout;
  commands->addWidget(MakeButton(this, "BitBtn24", "ПРОЧИТАТЬ"));
  commands->addWidget(MakeButton(this, "BitBtn14", "ЗАПИСАТЬ"));
  grid->addLayout(commands, 3, 0, 1, 2);
  AddRow(grid, 4, 0, "ЗАВОДСКОЙ НОМЕР", MakeValueLabel(this, "Label429"));
  AddRow(grid, 5, 0, "ДАТА ИЗГОТОВЛЕНИЯ", MakeValueLabel(this, "Label431"));
  AddRow(grid, 6, 0, "ВЕРСИЯ ПО", MakeValueLabel(this, "Label433"));
  QPushButton* check = MakeButton(this, "BitBtn16", "ПРОВЕРИТЬ СВЯЗЬ");
  grid->addWidget(check, 7, 0, 1, 2);
  PushToTopLeft(grid);

  // The same blink command as "Помигать" and "Проверить связь".
  connect(check, &QPushButton::clicked, this,
          [this] { LinkController::Of(context_, this).BitBtn16Click(); });
  // The parity boxes of "Параметры обмена" show what this list sends.
  connect(parity, &QComboBox::currentIndexChanged, this, [this](int code) {
    auto* parity_on = window()->findChild<QCheckBox*>(QStringLiteral("CheckBox19"));
    auto* even = window()->findChild<QCheckBox*>(QStringLiteral("CheckBox20"));
    if (parity_on != nullptr) parity_on->setChecked(code == 1 || code == 2);
    if (even != nullptr) even->setChecked(code == 2);
  });
}

}  // namespace qmx
