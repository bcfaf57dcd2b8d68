#include "ui/pages/general_tab.h"

#include <QComboBox>
#include <QGridLayout>
#include <QPushButton>
#include <utility>

#include "ui/pages/page_widgets.h"

namespace qmx {

GeneralTab::GeneralTab(AppContext& /*context*/, QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("TabSheet_General"));
  auto* grid = new QGridLayout(this);
  int row = 0;
  for (auto [caption, name] :
       {std::pair{"Год", "ComboBox30"}, std::pair{"Месяц", "ComboBox29"},
        std::pair{"Число", "ComboBox28"}, std::pair{"Час", "ComboBox8"},
        std::pair{"Минута", "ComboBox9"}, std::pair{"Секунда", "ComboBox27"}}) {
    AddRow(grid, row++, 0, caption, MakeList(this, name));
  }
  // The instrument's restart sits with its general settings.
  grid->addWidget(MakeButton(this, "Button50", "Сброс"), row++, 1);
  PushToTopLeft(grid);
}

}  // namespace qmx
