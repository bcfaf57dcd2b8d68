#include "ui/pages/service/external_parameters_page.h"

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
  auto* page = new QGridLayout(this);
  QGroupBox* group = MakeGroup(this, "Параметры измерения внешнего датчика");
  auto* grid = new QGridLayout(group);
  AddRow(grid, 0, 0, "Датчик температуры", MakeList(group, "ComboBox33"));
  QComboBox* unit = MakeList(group, "ComboBox32");
  unit->addItems({QStringLiteral("Па"), QStringLiteral("кПа"), QStringLiteral("МПа")});
  AddRow(grid, 1, 0, "Единицы измерения давления", unit);
  grid->addWidget(RangeGroup(group, "Диапазон напряжения", "Edit9", "Edit11"), 2, 0, 1, 2);
  grid->addWidget(RangeGroup(group, "Диапазон давления", "Edit8", "Edit10"), 2, 2, 1, 2);
  AddRow(grid, 3, 0, "Подстройка нуля P", MakeEdit(group, "Edit15"));
  AddRow(grid, 4, 0, "Подстройка диапазона  P", MakeEdit(group, "Edit16"));
  AddRow(grid, 5, 0, "Подстройка смещения T", MakeEdit(group, "Edit96"));
  AddRow(grid, 6, 0, "Подстройка диапазона T", MakeEdit(group, "Edit97"));
  grid->addWidget(MakeCheckBox(group, "CheckBox7", "Проводить измерения"), 7, 0, 1, 2);
  grid->addWidget(MakeButton(group, "Button56", "Прочитать"), 8, 0);
  grid->addWidget(MakeButton(group, "Button57", "Записать"), 8, 1);
  page->addWidget(group, 0, 0);
  PushToTopLeft(page);
}

}  // namespace qmx
