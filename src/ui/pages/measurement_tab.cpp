#include "ui/pages/measurement_tab.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
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
  auto* page = new QHBoxLayout(this);

  // The unit lists here follow the operator page's: a write sends the page's
  // lists, which always show the same choice.
  QGroupBox* units = MakeGroup(this, "Единицы измерения и усреднение");
  auto* units_grid = new QGridLayout(units);
  AddRow(units_grid, 0, 0, "Единицы мгновенного расхода", MakeList(units, "ComboBox4"));
  AddRow(units_grid, 1, 0, "Усреднение", MakeList(units, "ComboBox5"));
  AddRow(units_grid, 2, 0, "Единицы накопленного объема", MakeList(units, "ComboBox7"));
  QComboBox* shown_total = MakeList(units, "ComboBox35");
  shown_total->setMinimumContentsLength(25);  // "Объем суммарный по модулю" in full
  AddRow(units_grid, 3, 0, "Накопленный объем на экране прибора", shown_total);
  units_grid->addWidget(MakeCheckBox(units, "CheckBox6", "Временная коррекция по метке времени"), 4,
                        0, 1, 2);
  units_grid->addWidget(MakeButton(units, "Button10", "Прочитать"), 5, 0);
  units_grid->addWidget(MakeButton(units, "Button11", "Записать"), 5, 1);
  page->addWidget(units, 0, Qt::AlignTop);

  // The cut-off itself is typed on the operator page "ИЗМЕРЕНИЕ"; this
  // block reads it there together with its limits and writes it from there.
  QGroupBox* cut_off = MakeGroup(this, "Отсечка");
  auto* cut_off_grid = new QGridLayout(cut_off);
  cut_off_grid->addWidget(MakeCaption(cut_off, "Резервное поле (в прибор не передается)"), 0, 0, 1,
                          2);
  cut_off_grid->addWidget(MakeEdit(cut_off, "Edit99"), 0, 2);
  int column = 0;
  for (auto [caption, name] :
       {std::pair{"Гистерезис отсечки %", "Label271"}, std::pair{"Минимум отсечки %", "Label273"},
        std::pair{"Максимум отсечки %", "Label275"}}) {
    cut_off_grid->addWidget(MakeCaption(cut_off, caption), 1, column);
    cut_off_grid->addWidget(MakeReadOnlyValue(cut_off, name), 2, column);
    ++column;
  }
  cut_off_grid->addWidget(MakeCaption(cut_off,
                                      "Значение отсечки задается на странице «ИЗМЕРЕНИЕ»\n"
                                      "раздела «НАСТРОЙКИ РАБОТЫ»: «Прочитать» показывает\n"
                                      "его там, а пределы отсечки из модуля измерения здесь;\n"
                                      "«Записать» передает значение с той страницы."),
                          3, 0, 1, 3);
  cut_off_grid->addWidget(MakeButton(cut_off, "Button66", "Прочитать "), 4, 0);
  cut_off_grid->addWidget(MakeButton(cut_off, "Button67", "Записать"), 4, 1);
  page->addWidget(cut_off, 0, Qt::AlignTop);
  page->addStretch(1);
}

}  // namespace qmx
