#include "ui/pages/search_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <utility>

#include "ui/pages/page_widgets.h"

namespace qmx {

SearchPage::SearchPage(AppContext& /*context*/, QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("TabSheet_Search"));
  auto* grid = new QGridLayout(this);
  grid->addWidget(MakeCaption(this, "Скорости для поиска"), 0, 0);
  auto* rates = new QVBoxLayout;
  for (auto [name, caption] :
       {std::pair{"CheckBox23", "1200"}, std::pair{"CheckBox24", "2400"},
        std::pair{"CheckBox25", "4800"}, std::pair{"CheckBox26", "9600"},
        std::pair{"CheckBox27", "19200"}, std::pair{"CheckBox28", "38400"},
        std::pair{"CheckBox29", "57600"}, std::pair{"CheckBox30", "115200"}}) {
    rates->addWidget(MakeCheckBox(this, name, caption));
  }
  grid->addLayout(rates, 1, 0);

  grid->addWidget(MakeCaption(this, "Паритет"), 0, 1);
  auto* parities = new QVBoxLayout;
  for (auto [name, caption] : {std::pair{"CheckBox31", "нет"}, std::pair{"CheckBox32", "нечетный"},
                               std::pair{"CheckBox33", "четный"}}) {
    parities->addWidget(MakeCheckBox(this, name, caption));
  }
  parities->addStretch(1);
  grid->addLayout(parities, 1, 1);

  grid->addWidget(MakeCaption(this, "Диапазон адресов для поиска"), 0, 2);
  auto* range = new QGridLayout;
  range->addWidget(MakeCaption(this, "Начальный"), 0, 0);
  range->addWidget(MakeList(this, "ComboBox22"), 1, 0);
  range->addWidget(MakeCaption(this, "Последний"), 0, 1);
  range->addWidget(MakeList(this, "ComboBox23"), 1, 1);
  range->setRowStretch(2, 1);
  grid->addLayout(range, 1, 2);

  auto* commands = new QHBoxLayout;
  commands->addWidget(MakeButton(this, "Button41", "Начать поиск"));
  commands->addWidget(MakeButton(this, "Button42", "Остановить поиск"));
  commands->addStretch(1);
  grid->addLayout(commands, 2, 0, 1, 3);
  // The probe in progress, and beside it how far the search has got and how
  // long it may still take.
  auto* progress = new QHBoxLayout;
  progress->addWidget(MakePanel(this, "Panel38"), 2);
  auto* bar = new QProgressBar(this);
  bar->setObjectName(QStringLiteral("SearchProgress"));
  bar->setRange(0, 1);
  bar->setValue(0);
  bar->setFormat(QString());
  bar->setTextVisible(true);
  progress->addWidget(bar, 1);
  grid->addLayout(progress, 3, 0, 1, 3);

  grid->addWidget(MakeCaption(this, "Найденные приборы"), 0, 3);
  grid->addWidget(MakeListBox(this, "ListBox1"), 1, 3, 3, 1);
  grid->setColumnStretch(3, 1);
  grid->setRowStretch(4, 1);
}

}  // namespace qmx
