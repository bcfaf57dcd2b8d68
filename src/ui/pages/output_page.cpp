#include "ui/pages/output_page.h"

#include <QComboBox>
#include <QGridLayout>

#include "ui/pages/page_widgets.h"

namespace qmx {

OutputPage::OutputPage(AppContext& /*context*/, QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("TabSheet_Output"));
  auto* grid = new QGridLayout(this);
  AddRow(grid, 0, 0, "ТИП ВЫХОДА", MakeList(this, "ComboBox42"));
  PushToTopLeft(grid);
}

}  // namespace qmx
