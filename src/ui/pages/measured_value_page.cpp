#include "ui/pages/measured_value_page.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <utility>

#include "ui/pages/page_widgets.h"

namespace qmx {

MeasuredValuePage::MeasuredValuePage(AppContext& /*context*/, QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("TabSheet_MeasuredValue"));
  auto* grid = new QGridLayout(this);
  grid->addWidget(MakeButton(this, "Button3", "Прочитать однократно"), 0, 0);
  grid->addWidget(MakeButton(this, "Button4", "Начать циклический опрос"), 0, 1);
  QPushButton* stop = MakeButton(this, "Button5", "Завершить цикл. опрос");
  stop->setEnabled(false);  // nothing is polled until the operator starts it
  grid->addWidget(stop, 0, 2);

  // The counters of the cyclic poll, under their captions.
  int column = 0;
  for (auto [caption, name] :
       {std::pair{"Число циклов обмена", "Label23"}, std::pair{"Ошибки в измерении", "Label24"},
        std::pair{"Ошибки в обмене", "Label25"}, std::pair{"Переспросы", "Label26"}}) {
    grid->addWidget(MakeCaption(this, caption), 1, column);
    QLabel* counter = MakeValueLabel(this, name, "0");
    counter->setFrameShape(QFrame::StyledPanel);
    counter->setFrameShadow(QFrame::Sunken);
    counter->setMinimumWidth(counter->fontMetrics().horizontalAdvance(QStringLiteral("000000")));
    grid->addWidget(counter, 2, column);
    ++column;
  }
  // Shown only while a cyclic poll is busy.
  QLabel* busy = MakePanel(this, "Panel45");
  busy->hide();
  grid->addWidget(busy, 3, 0, 1, 4);
  PushToTopLeft(grid);
}

}  // namespace qmx
