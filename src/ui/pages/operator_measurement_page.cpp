#include "ui/pages/operator_measurement_page.h"

#include <QFont>
#include <QGridLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <utility>

#include "ui/pages/page_widgets.h"

namespace qmx {

OperatorMeasurementPage::OperatorMeasurementPage(AppContext& /*context*/, QWidget* parent)
    : QWidget(parent) {
  setObjectName(QStringLiteral("TabSheet_OperatorMeasurement"));
  auto* grid = new QGridLayout(this);

  // The flow in large type: the operator reads it from a distance.
  QLabel* flow = MakePanel(this, "Panel116");
  QFont big = flow->font();
  big.setPointSize(big.pointSize() * 2);
  flow->setFont(big);
  grid->addWidget(MakeCaption(this, "Расход"), 0, 0);
  grid->addWidget(flow, 0, 1, 1, 2);
  grid->addWidget(MakeValueLabel(this, "Label399", "UNIT"), 0, 3);

  auto* state = new QPlainTextEdit(this);
  state->setObjectName(QStringLiteral("Memo1"));
  state->setReadOnly(true);
  state->setAutoFillBackground(true);
  state->setMaximumHeight(state->fontMetrics().height() * 3);
  grid->addWidget(state, 1, 0, 1, 4);

  int row = 2;
  for (auto [caption, name] :
       {std::pair{"Суммарный", "Label437"}, std::pair{"Прямой", "Label441"},
        std::pair{"Обратный", "Label443"}, std::pair{"Модуль", "Label439"}}) {
    AddRow(grid, row, 0, caption, MakeValueLabel(this, name));
    ++row;
  }
  grid->addWidget(MakeValueLabel(this, "Label435", "UNIT"), 2, 2);
  AddRow(grid, row++, 0, "Время накопления", MakeValueLabel(this, "Label445"));
  AddRow(grid, row++, 0, "Время наработки", MakeValueLabel(this, "Label447"));

  grid->addWidget(MakeButton(this, "BitBtn5", "Прочитать"), row, 0);
  grid->addWidget(MakeButton(this, "BitBtn25", "Циклическое чтение"), row, 1);
  grid->addWidget(MakeButton(this, "BitBtn26", "Остановить чтение"), row, 2);
  grid->addWidget(MakeButton(this, "BitBtn27", "Сброс накопленного объема"), row, 3);
  PushToTopLeft(grid);
}

}  // namespace qmx
