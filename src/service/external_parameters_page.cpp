#include "service/external_parameters_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "ui/pages/page_widgets.h"

namespace qmx {
namespace {

// A range: its lower and upper bound one under the other.
QGroupBox* RangeGroup(QWidget* parent, const char* title, const char* lower, const char* upper) {
  auto* group = new QGroupBox(QString::fromUtf8(title), parent);
  auto* grid = new QGridLayout(group);
  AddRow(grid, 0, 0, "Нижняя граница", MakeEdit(group, lower));
  AddRow(grid, 1, 0, "Верхняя граница", MakeEdit(group, upper));
  return group;
}

}  // namespace

ExternalParametersPage::ExternalParametersPage(AppContext& /*context*/, QWidget* parent)
    : QWidget(parent) {
  setObjectName(QStringLiteral("TabSheet_ExternalParameters"));
  auto* grid = new QGridLayout(this);
  grid->addWidget(MakeList(this, "ComboBox33"), 0, 0);
  QComboBox* unit = MakeList(this, "ComboBox32");
  unit->addItems({QStringLiteral("Па"), QStringLiteral("кПа"), QStringLiteral("МПа")});
  AddRow(grid, 1, 0, "Единицы измерения давления", unit);
  grid->addWidget(RangeGroup(this, "Диапазон напряжения", "Edit9", "Edit11"), 2, 0, 1, 2);
  grid->addWidget(RangeGroup(this, "Диапазон давления", "Edit8", "Edit10"), 2, 2, 1, 2);
  AddRow(grid, 3, 0, "Подстройка нуля P", MakeEdit(this, "Edit15"));
  AddRow(grid, 4, 0, "Подстройка диапазона  P", MakeEdit(this, "Edit16"));
  AddRow(grid, 5, 0, "Подстройка смещения T", MakeEdit(this, "Edit96"));
  AddRow(grid, 6, 0, "Подстройка диапазона T", MakeEdit(this, "Edit97"));
  grid->addWidget(MakeCheckBox(this, "CheckBox7", "Проводить измерения"), 7, 0, 1, 2);
  grid->addWidget(MakeButton(this, "Button56", "Прочитать"), 8, 0);
  grid->addWidget(MakeButton(this, "Button57", "Записать"), 8, 1);
  PushToTopLeft(grid);
}

}  // namespace qmx
