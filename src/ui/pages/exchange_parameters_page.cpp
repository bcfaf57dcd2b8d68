#include "ui/pages/exchange_parameters_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
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

// A caption for a control that shares its grid cell with others.
QLabel* Caption(QWidget* parent, const char* text, QWidget* control) {
  QLabel* caption = MakeCaption(parent, text);
  caption->setBuddy(control);
  return caption;
}

}  // namespace

ExchangeParametersPage::ExchangeParametersPage(AppContext& context, QWidget* parent)
    : QWidget(parent), context_(context) {
  setObjectName(QStringLiteral("TabSheet_ExchangeParameters"));
  auto* page = new QGridLayout(this);

  // The new network number, baud rate and parity: a write sends the operator
  // page's lists, which these follow.
  QGroupBox* line = MakeGroup(this, "Новые параметры обмена модуля");
  auto* line_grid = new QGridLayout(line);
  int row = 0;
  AddRow(line_grid, row++, 0, "Новый номер модуля", MakeList(line, "ComboBox15"));
  AddRow(line_grid, row++, 0, "Новая скорость обмена", MakeList(line, "ComboBox14"));
  // Parity proposed for the instrument: on / even, and its summary.
  auto* parity = new QHBoxLayout;
  QCheckBox* parity_on = MakeCheckBox(line, "CheckBox19", "");
  QCheckBox* even = MakeCheckBox(line, "CheckBox20", "");
  parity->addWidget(parity_on);
  parity->addWidget(Caption(line, "используется", parity_on));
  parity->addWidget(even);
  parity->addWidget(Caption(line, "четный", even));
  parity->addStretch(1);
  line_grid->addWidget(MakeCaption(line, "Паритет"), row, 0);
  line_grid->addLayout(parity, row++, 1);
  AddRow(line_grid, row++, 0, "Новые настройки связи", MakeValueLabel(line, "Label208"));
  line_grid->addLayout(Buttons(line, {{"Button25", "Записать"}}), row++, 1);
  page->addWidget(line, 0, 0);

  QGroupBox* model = MakeGroup(this, "Код модели и версии ПО");
  auto* model_grid = new QGridLayout(model);
  row = 0;
  AddRow(model_grid, row++, 0, "Код модели", MakeEdit(model, "Edit87"));
  AddRow(model_grid, row++, 0, "Версия конструктива", MakeEdit(model, "Edit89"));
  AddRow(model_grid, row++, 0, "Версия ПО", MakeEdit(model, "Edit88"));
  model_grid->addLayout(Buttons(model, {{"Button28", "Прочитать"}, {"Button29", "Записать"}}),
                        row++, 1);
  page->addWidget(model, 0, 1);

  QGroupBox* passport = MakeGroup(this, "Заводской номер и дата изготовления");
  auto* passport_grid = new QGridLayout(passport);
  row = 0;
  // Factory number: one 32-bit field, or its two words ("длинный" cleared).
  auto* number = new QHBoxLayout;
  number->addWidget(MakeEdit(passport, "Edit100"));
  for (auto [hint, name] : {std::pair{"Старшее слово заводского номера", "Edit90"},
                            std::pair{"Младшее слово заводского номера", "Edit91"}}) {
    QLineEdit* word = MakeEdit(passport, name);
    word->setToolTip(QString::fromUtf8(hint));
    number->addWidget(word);
  }
  QCheckBox* long_entry = MakeCheckBox(passport, "CheckBox34", "длинный");
  long_entry->hide();
  number->addWidget(long_entry);
  passport_grid->addWidget(MakeCaption(passport, "Заводской номер"), row, 0);
  passport_grid->addLayout(number, row++, 1);
  auto* date = new QHBoxLayout;
  for (auto [caption, name] : {std::pair{"число", "ComboBox17"}, std::pair{"месяц", "ComboBox18"},
                               std::pair{"год", "ComboBox19"}}) {
    QComboBox* part = MakeList(passport, name);
    date->addWidget(Caption(passport, caption, part));
    date->addWidget(part);
  }
  date->addStretch(1);
  passport_grid->addWidget(MakeCaption(passport, "Дата изготовления"), row, 0);
  passport_grid->addLayout(date, row++, 1);
  passport_grid->addLayout(Buttons(passport, {{"Button26", "Прочитать"}, {"Button27", "Записать"}}),
                           row++, 1);
  page->addWidget(passport, 1, 1);

  QGroupBox* gap = MakeGroup(this, "Дополнительный временной зазор между байтами");
  auto* gap_grid = new QGridLayout(gap);
  row = 0;
  AddRow(gap_grid, row++, 0, "Дополнительный временной зазор в приборе в мс",
         MakeList(gap, "ComboBox20", true));
  AddRow(gap_grid, row++, 0, "Дополнительный временной зазор в программе в мс",
         MakeList(gap, "ComboBox21", true));
  // The byte-gap commands are kept off the page.
  QHBoxLayout* gap_commands = Buttons(gap, {{"Button30", "Прочитать"}, {"Button31", "Записать"}});
  for (int i = 0; i < gap_commands->count(); ++i) {
    if (QWidget* button = gap_commands->itemAt(i)->widget()) button->hide();
  }
  gap_grid->addLayout(gap_commands, row++, 1);

  // The float byte order and the reply delay belong to the program's own
  // settings; their controls are kept off the page.
  QLabel* order_caption = MakeCaption(gap, "Порядок байт в измеренном значении");
  QComboBox* order = MakeList(gap, "ComboBox16");
  QPushButton* order_read = MakeButton(gap, "Button24", "Прочитать");
  QLabel* delay_caption = MakeCaption(gap, "Задержка перед ответом мс");
  QLineEdit* delay = MakeEdit(gap, "Edit86");
  for (QWidget* hidden :
       std::initializer_list<QWidget*>{order_caption, order, order_read, delay_caption, delay}) {
    hidden->hide();
  }
  gap_grid->addWidget(order_caption, row, 0);
  gap_grid->addWidget(order, row, 1);
  gap_grid->addWidget(order_read, row++, 2);
  gap_grid->addWidget(delay_caption, row, 0);
  gap_grid->addWidget(delay, row++, 1);
  page->addWidget(gap, 1, 0);

  QGroupBox* all = MakeGroup(this, "Все параметры закладки");
  auto* all_row = new QVBoxLayout(all);
  all_row->addLayout(Buttons(
      all, {{"Button32", "Прочитать все на закладке"}, {"Button33", "Записать все на закладке"}}));
  all_row->addWidget(MakeStatusPanel(all, "Panel46", "Идет обмен с прибором"));
  page->addWidget(all, 2, 0, 1, 2);
  page->setRowStretch(3, 1);
  page->setColumnStretch(2, 1);

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
