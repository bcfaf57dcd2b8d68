#include "ui/pages/measurement_tab.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <utility>

#include "ui/pages/page_widgets.h"

namespace qmx {
namespace {

// The cut-off limits come from the measuring module and are only shown.
QLabel* MakeReadOnlyValue(QWidget* parent, const char* name) {
  QLabel* value = MakeValueLabel(parent, name);
  value->setFrameShape(QFrame::StyledPanel);
  value->setFrameShadow(QFrame::Sunken);
  value->setMinimumWidth(value->fontMetrics().horizontalAdvance(QStringLiteral("0000000.0000")));
  return value;
}

}  // namespace

MeasurementTab::MeasurementTab(AppContext& /*context*/, QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("TabSheet_Measurement"));
  auto* grid = new QGridLayout(this);
  // The unit lists here only repeat the operator page's: the page's lists
  // are the ones that are read and written.
  grid->addWidget(MakeList(this, "ComboBox4"), 0, 1);
  AddRow(grid, 1, 0, "Усреднение", MakeList(this, "ComboBox5"));
  grid->addWidget(MakeList(this, "ComboBox7"), 2, 1);
  grid->addWidget(MakeList(this, "ComboBox35"), 3, 1);
  grid->addWidget(MakeCheckBox(this, "CheckBox6", "Временная коррекция по метке времени"), 4, 0, 1,
                  2);
  grid->addWidget(MakeButton(this, "Button10", "Прочитать"), 5, 0);
  grid->addWidget(MakeButton(this, "Button11", "Записать"), 5, 1);

  grid->addWidget(MakeEdit(this, "Edit99"), 0, 3);
  int column = 3;
  for (auto [caption, name] :
       {std::pair{"Гистерезис отсечки %", "Label271"}, std::pair{"Минимум отсечки %", "Label273"},
        std::pair{"Максимум отсечки %", "Label275"}}) {
    grid->addWidget(MakeCaption(this, caption), 1, column);
    grid->addWidget(MakeReadOnlyValue(this, name), 2, column);
    ++column;
  }
  grid->addWidget(MakeButton(this, "Button66", "Прочитать "), 5, 3);
  grid->addWidget(MakeButton(this, "Button67", "Записать"), 5, 4);
  PushToTopLeft(grid);
}

}  // namespace qmx
