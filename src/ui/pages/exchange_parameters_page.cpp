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

#include "blocks/exchange_parameters.h"
#include "ui/app_context.h"
#include "ui/pages/page_widgets.h"
#include "ui/widget_controls.h"

namespace qmx {
namespace {

QHBoxLayout* Buttons(QWidget* page,
                     std::initializer_list<std::pair<const char*, const char*>> list) {
  auto* row = new QHBoxLayout;
  for (auto [name, caption] : list) row->addWidget(MakeButton(page, name, caption));
  row->addStretch(1);
  return row;
}

}  // namespace

ExchangeParametersPage::ExchangeParametersPage(AppContext& context, QWidget* parent)
    : QWidget(parent), context_(context) {
  setObjectName(QStringLiteral("TabSheet_ExchangeParameters"));
  auto* grid = new QGridLayout(this);
  int row = 0;
  AddRow(grid, row++, 0, "Новый номер модуля", MakeList(this, "ComboBox15"));
  AddRow(grid, row++, 0, "Новая скорость обмена", MakeList(this, "ComboBox14"));

  // Parity proposed for the instrument: on / even, and its summary.
  auto* parity = new QHBoxLayout;
  QCheckBox* parity_on = MakeCheckBox(this, "CheckBox19", "");
  QCheckBox* even = MakeCheckBox(this, "CheckBox20", "");
  parity->addWidget(parity_on);
  parity->addWidget(even);
  parity->addWidget(MakeValueLabel(this, "Label208"), 1);
  grid->addWidget(MakeCaption(this, "Паритет"), row, 0);
  grid->addLayout(parity, row++, 1);
  grid->addLayout(Buttons(this, {{"Button25", "Записать"}}), row++, 1);

  AddRow(grid, row++, 0, "Код модели", MakeEdit(this, "Edit87"));
  AddRow(grid, row++, 0, "Версия конструктива", MakeEdit(this, "Edit89"));
  AddRow(grid, row++, 0, "Версия ПО", MakeEdit(this, "Edit88"));
  grid->addLayout(Buttons(this, {{"Button28", "Прочитать"}, {"Button29", "Записать"}}), row++, 1);

  // Factory number: one 32-bit field, or its two words ("длинный" cleared).
  auto* number = new QHBoxLayout;
  for (const char* name : {"Edit100", "Edit90", "Edit91"}) number->addWidget(MakeEdit(this, name));
  QCheckBox* long_entry = MakeCheckBox(this, "CheckBox34", "длинный");
  long_entry->hide();
  number->addWidget(long_entry);
  grid->addWidget(MakeCaption(this, "Заводской номер"), row, 0);
  grid->addLayout(number, row++, 1);

  // Date of manufacture: day, month, year.
  auto* date = new QHBoxLayout;
  for (const char* name : {"ComboBox17", "ComboBox18", "ComboBox19"}) {
    date->addWidget(MakeList(this, name));
  }
  date->addStretch(1);
  grid->addWidget(MakeCaption(this, "Дата изготовления"), row, 0);
  grid->addLayout(date, row++, 1);
  grid->addLayout(Buttons(this, {{"Button26", "Прочитать"}, {"Button27", "Записать"}}), row++, 1);

  AddRow(grid, row++, 0, "Дополнительный временной зазор в приборе в мс",
         MakeList(this, "ComboBox20", true));
  AddRow(grid, row++, 0, "Дополнительный временной зазор в программе в мс",
         MakeList(this, "ComboBox21", true));
  // The byte-gap commands are kept off the page.
  QHBoxLayout* gap_commands = Buttons(this, {{"Button30", "Прочитать"}, {"Button31", "Записать"}});
  for (int i = 0; i < gap_commands->count(); ++i) {
    if (QWidget* button = gap_commands->itemAt(i)->widget()) button->hide();
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

  grid->addLayout(Buttons(this, {{"Button32", "Прочитать все на закладке"},
                                 {"Button33", "Записать все на закладке"}}),
                  row++, 0, 1, 3);
  grid->addWidget(MakeStatusPanel(this, "Panel46", "Идет обмен с прибором"), row++, 0, 1, 3);
  PushToTopLeft(grid);

  // No exchange here: the boxes change the staged parity at once, as the
  // operator sees it; the lists are collected when a write runs.
  const auto parity_clicked = [this](bool even_box) {
    WidgetControls controls(window());
    ParityBoxClicked(controls, context_.blocks, even_box);
  };
  connect(parity_on, &QCheckBox::clicked, this, [parity_clicked] { parity_clicked(false); });
  connect(even, &QCheckBox::clicked, this, [parity_clicked] { parity_clicked(true); });
  connect(long_entry, &QCheckBox::clicked, this, [this] {
    WidgetControls controls(window());
    CheckBox34Click(controls, context_.dialogs, context_.blocks);
  });
}

}  // namespace qmx
