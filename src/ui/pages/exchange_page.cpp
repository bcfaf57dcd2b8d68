#include "ui/pages/exchange_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <utility>

#include "ui/link_controller.h"
#include "ui/pages/page_widgets.h"

namespace qmx {

ExchangePage::ExchangePage(AppContext& context, QWidget* parent)
    : QWidget(parent), context_(context) {
  setObjectName(QStringLiteral("TabSheet_Exchange"));
  auto* page = new QGridLayout(this);

  // What the instrument is to answer with: sent by the write, and the
  // program's port follows.
  QGroupBox* exchange = MakeGroup(this, "ПАРАМЕТРЫ ОБМЕНА");
  auto* grid = new QGridLayout(exchange);
  AddRow(grid, 0, 0, "СЕТЕВОЙ НОМЕР", MakeList(exchange, "ComboBox45"));
  AddRow(grid, 1, 0, "СКОРОСТЬ", MakeList(exchange, "ComboBox46"));
  QComboBox* parity = MakeList(exchange, "ComboBox47");
  AddRow(grid, 2, 0, "ПАРИТЕТ", parity);
  auto* commands = new QHBoxLayout;
  commands->addWidget(MakeButton(exchange, "BitBtn14", "ЗАПИСАТЬ"));
  QPushButton* check = MakeButton(exchange, "BitBtn16", "ПРОВЕРИТЬ СВЯЗЬ");
  commands->addWidget(check);
  commands->addStretch(1);
  grid->addLayout(commands, 3, 0, 1, 2);
  page->addWidget(exchange, 0, 0);

  // What identifies the instrument, shown by the read.
  QGroupBox* instrument = MakeGroup(this, "ДАННЫЕ ПРИБОРА");
  auto* data = new QGridLayout(instrument);
  int row = 0;
  for (auto [caption, name] :
       {std::pair{"ЗАВОДСКОЙ НОМЕР", "Label429"}, std::pair{"ДАТА ИЗГОТОВЛЕНИЯ", "Label431"},
        std::pair{"ВЕРСИЯ ПО", "Label433"}}) {
    // A sunken field, so that the place of a value not read yet shows.
    QLabel* value = MakeValueLabel(instrument, name);
    value->setFrameShape(QFrame::StyledPanel);
    value->setFrameShadow(QFrame::Sunken);
    value->setMinimumWidth(value->fontMetrics().horizontalAdvance(QStringLiteral("4294967295 ")));
    AddRow(data, row++, 0, caption, value);
  }
  auto* read = new QHBoxLayout;
  read->addWidget(MakeButton(instrument, "BitBtn24", "ПРОЧИТАТЬ"));
  read->addStretch(1);
  data->addLayout(read, row, 0, 1, 2);
  page->addWidget(instrument, 1, 0);
  PushToTopLeft(page);

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
