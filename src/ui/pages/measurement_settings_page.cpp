#include "ui/pages/measurement_settings_page.h"

#include <QComboBox>
#include <QGridLayout>

#include "ui/pages/page_widgets.h"

namespace qmx {

MeasurementSettingsPage::MeasurementSettingsPage(AppContext& /*context*/, QWidget* parent)
    : QWidget(parent) {
  setObjectName(QStringLiteral("TabSheet_MeasurementSettings"));
  auto* grid = new QGridLayout(this);
  AddRow(grid, 0, 0, "ЕДИНИЦЫ", MakeList(this, "ComboBox41"));
  AddRow(grid, 1, 0, "ЕДИНИЦЫ НАКОПЛЕННОГО ОБЪЕМА", MakeList(this, "ComboBox57"));
  AddRow(grid, 2, 0, "ТИП НАКОПЛЕННОГО ОБЪЕМА", MakeList(this, "ComboBox56"));
  PushToTopLeft(grid);
}

}  // namespace qmx
