#include "ui/pages/measurement_settings_page.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>

#include "ui/pages/page_widgets.h"

namespace qmx {

MeasurementSettingsPage::MeasurementSettingsPage(AppContext& /*context*/, QWidget* parent)
    : QWidget(parent) {
  setObjectName(QStringLiteral("TabSheet_MeasurementSettings"));
  auto* grid = new QGridLayout(this);
  AddRow(grid, 0, 0, "ЕДИНИЦЫ", MakeList(this, "ComboBox41"));
  AddRow(grid, 1, 0, "ЕДИНИЦЫ НАКОПЛЕННОГО ОБЪЕМА", MakeList(this, "ComboBox57"));
  AddRow(grid, 2, 0, "ТИП НАКОПЛЕННОГО ОБЪЕМА", MakeList(this, "ComboBox56"));
  AddRow(grid, 3, 0, "ОТСЕЧКА ИЗМЕРЕННОГО ЗНАЧЕНИЯ %", MakeEdit(this, "Edit114"));
  grid->addWidget(MakeButton(this, "BitBtn6", "ПРОЧИТАТЬ"), 4, 0);
  grid->addWidget(MakeButton(this, "BitBtn7", "ЗАПИСАТЬ"), 4, 1);
  PushToTopLeft(grid);
}

}  // namespace qmx
