#include "ui/pages/exchange_parameters_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <initializer_list>
#include <utility>

#include "ui/pages/page_widgets.h"

namespace qmx {

ExchangeParametersPage::ExchangeParametersPage(AppContext& /*context*/, QWidget* parent)
    : QWidget(parent) {
  setObjectName(QStringLiteral("TabSheet_ExchangeParameters"));
  auto* grid = new QGridLayout(this);
  int row = 0;
  AddRow(grid, row++, 0, "Новый номер модуля", MakeList(this, "ComboBox15"));
  grid->addWidget(MakeList(this, "ComboBox14"), row++, 1);

  // Parity proposed for the instrument: on / even, and its summary.
  auto* parity = new QHBoxLayout;
  parity->addWidget(MakeCheckBox(this, "CheckBox19", ""));
  parity->addWidget(MakeCheckBox(this, "CheckBox20", ""));
  parity->addWidget(MakeValueLabel(this, "Label208"), 1);
  grid->addLayout(parity, row++, 1);

  // Date of manufacture: day, month, year.
  auto* date = new QHBoxLayout;
  for (const char* name : {"ComboBox17", "ComboBox18", "ComboBox19"}) {
    date->addWidget(MakeList(this, name));
  }
  date->addStretch(1);
  grid->addLayout(date, row++, 1);
  grid->addWidget(MakeButton(this, "Button26", "Прочитать"), row++, 1);

  AddRow(grid, row++, 0, "Дополнительный временной зазор в приборе в мс",
         MakeList(this, "ComboBox20", true));
  grid->addWidget(MakeList(this, "ComboBox21", true), row++, 1);
  // The byte-gap commands are kept off the page.
  auto* gap_commands = new QHBoxLayout;
  for (auto [name, caption] :
       {std::pair{"Button30", "Прочитать"}, std::pair{"Button31", "Записать"}}) {
    QPushButton* button = MakeButton(this, name, caption);
    button->hide();
    gap_commands->addWidget(button);
  }
  grid->addLayout(gap_commands, row++, 1);

  // The float byte order and the reply delay belong to the program's own
  // settings; their controls are kept off the page.
  QLabel* order_caption = MakeCaption(this, "Порядок байт в измеренном значении");
  QComboBox* order = MakeList(this, "ComboBox16");
  QPushButton* order_read = MakeButton(this, "Button24", "Прочитать");
  QLabel* delay_caption = MakeCaption(this, "Задержка перед ответом мс");
  QLineEdit* delay = MakeEdit(this, "Edit86");
  for (QWidget* hidden :
       std::initializer_list<QWidget*>{order_caption, order, order_read, delay_caption, delay}) {
    hidden->hide();
  }
  grid->addWidget(order_caption, row, 0);
  grid->addWidget(order, row, 1);
  grid->addWidget(order_read, row++, 2);
  grid->addWidget(delay_caption, row, 0);
  grid->addWidget(delay, row++, 1);

  grid->addWidget(MakeStatusPanel(this, "Panel46", "Идет обмен с прибором"), row++, 0, 1, 3);
  PushToTopLeft(grid);
}

}  // namespace qmx
