#include "ui/pages/measurement_settings_page.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

#include "ui/pages/page_widgets.h"

namespace qmx {

MeasurementSettingsPage::MeasurementSettingsPage(AppContext& /*context*/, QWidget* parent)
    : QWidget(parent) {
  setObjectName(QStringLiteral("TabSheet_MeasurementSettings"));
  auto* page = new QGridLayout(this);
  // The units, the totaliser shown and the cut-off go to the instrument together.
  QGroupBox* group = MakeGroup(this, "ПАРАМЕТРЫ ИЗМЕРЕНИЯ");
  auto* grid = new QGridLayout(group);
  AddRow(grid, 0, 0, "ЕДИНИЦЫ", MakeList(group, "ComboBox41"));
  AddRow(grid, 1, 0, "ЕДИНИЦЫ НАКОПЛЕННОГО ОБЪЕМА", MakeList(group, "ComboBox57"));
  AddRow(grid, 2, 0, "ТИП НАКОПЛЕННОГО ОБЪЕМА", MakeList(group, "ComboBox56"));
  AddRow(grid, 3, 0, "ОТСЕЧКА ИЗМЕРЕННОГО ЗНАЧЕНИЯ %", MakeEdit(group, "Edit114"));
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(MakeButton(group, "BitBtn6", "ПРОЧИТАТЬ"));
  buttons->addWidget(MakeButton(group, "BitBtn7", "ЗАПИСАТЬ"));
  buttons->addStretch(1);
  grid->addLayout(buttons, 4, 0, 1, 2);
  page->addWidget(group, 0, 0);
  PushToTopLeft(page);
}

}  // namespace qmx
