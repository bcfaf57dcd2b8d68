#include "ui/pages/service/talver_compatibility_page.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "ui/pages/page_widgets.h"

namespace qmx {

TalverCompatibilityPage::TalverCompatibilityPage(AppContext& /*context*/, QWidget* parent)
    : QWidget(parent) {
  setObjectName(QStringLiteral("TabSheet_TalverCompatibility"));
  auto* grid = new QGridLayout(this);
  grid->addWidget(MakeCaption(this,
                              "Параметры используемые для совместимости с Тальвером (носят "
                              "справочный характер)"),
                  0, 0, 1, 2);
  AddRow(grid, 1, 0, "Исполнение по типу сенсора", MakeEdit(this, "Edit92"));
  AddRow(grid, 2, 0, "Исполнение по кислороду", MakeList(this, "ComboBox24", true));
  AddRow(grid, 3, 0, "Климатическое исполнение", MakeList(this, "ComboBox25", true));
  AddRow(grid, 4, 0, "Исполнение по применению", MakeList(this, "ComboBox26", true));
  AddRow(grid, 5, 0, "Точность", MakeEdit(this, "Edit93"));
  AddRow(grid, 6, 0, "Код материала", MakeEdit(this, "Edit94"));
  AddRow(grid, 7, 0, "Пользовательский текст", MakeEdit(this, "Edit95"));
  auto* commands = new QHBoxLayout;
  commands->addWidget(MakeButton(this, "Button45", "Прочитать"));
  commands->addWidget(MakeButton(this, "Button46", "Записать"));
  commands->addStretch(1);
  grid->addLayout(commands, 8, 0, 1, 2);
  grid->addWidget(MakeStatusPanel(this, "Panel47"), 9, 0, 1, 2);
  PushToTopLeft(grid);
}

}  // namespace qmx
