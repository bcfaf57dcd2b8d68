#include "ui/pages/discrete_tab.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <string>

#include "blocks/discrete_archive.h"
#include "ui/pages/page_widgets.h"

namespace qmx {
namespace {

// One row of sixteen boxes captioned with their bit numbers, bit 0 first.
void AddFlagRow(QGridLayout* grid, int row, const char* caption, uint16_t reg) {
  QWidget* page = grid->parentWidget();
  grid->addWidget(MakeCaption(page, caption), row, 0, 1, 16);
  for (int bit = 0; bit < 16; ++bit) {
    const std::string name(FlagBox(reg, bit));
    const std::string number = std::to_string(bit);
    grid->addWidget(MakeCheckBox(page, name.c_str(), number.c_str()), row + 1, bit);
  }
}

}  // namespace

DiscreteTab::DiscreteTab(AppContext& /*context*/, QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("TabSheet_Discrete"));
  auto* page = new QVBoxLayout(this);
  QGroupBox* flags = MakeGroup(this, "Дискретные параметры");
  auto* grid = new QGridLayout(flags);
  AddFlagRow(grid, 0, "Запоминаемые", 1962);
  AddFlagRow(grid, 2, "Незапоминаемые", 1963);
  grid->addWidget(MakeButton(flags, "Button68", "Прочитать"), 4, 0, 1, 4);
  grid->addWidget(MakeButton(flags, "Button69", "Записать"), 4, 4, 1, 4);
  page->addWidget(flags, 0, Qt::AlignLeft);
  page->addStretch(1);
}

}  // namespace qmx
