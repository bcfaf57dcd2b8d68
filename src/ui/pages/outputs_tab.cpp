#include "ui/pages/outputs_tab.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/pages/page_widgets.h"

namespace qmx {

OutputsTab::OutputsTab(AppContext& /*context*/, QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("TabSheet_Outputs"));
  auto* page = new QVBoxLayout(this);
  QGroupBox* type = MakeGroup(this, "Тип выхода");
  auto* grid = new QGridLayout(type);
  // Shows the type only: a write takes it from the operator page's list.
  AddRow(grid, 0, 0, "Тип выхода", MakeList(type, "ComboBox6"));
  QLabel* note = MakeCaption(type,
                             "«Записать» передает тип, выбранный на странице «ВЫХОД»\n"
                             "раздела «НАСТРОЙКИ РАБОТЫ» (частотный или импульсный).");
  grid->addWidget(note, 1, 0, 1, 2);
  grid->addWidget(MakeButton(type, "Button12", "Прочитать"), 2, 0);
  grid->addWidget(MakeButton(type, "Button13", "Записать"), 2, 1);
  page->addWidget(type, 0, Qt::AlignLeft);
  page->addStretch(1);
}

}  // namespace qmx
