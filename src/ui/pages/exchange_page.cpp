#include "ui/pages/exchange_page.h"

#include <QComboBox>
#include <QGridLayout>
#include <QPushButton>

#include "ui/link_controller.h"
#include "ui/pages/page_widgets.h"

namespace qmx {

ExchangePage::ExchangePage(AppContext& context, QWidget* parent)
    : QWidget(parent), context_(context) {
  setObjectName(QStringLiteral("TabSheet_Exchange"));
  auto* grid = new QGridLayout(this);
  AddRow(grid, 0, 0, "СЕТЕВОЙ НОМЕР", MakeList(this, "ComboBox45"));
  AddRow(grid, 1, 0, "СКОРОСТЬ", MakeList(this, "ComboBox46"));
  AddRow(grid, 2, 0, "ПАРИТЕТ", MakeList(this, "ComboBox47"));
  QPushButton* check = MakeButton(this, "BitBtn16", "ПРОВЕРИТЬ СВЯЗЬ");
  grid->addWidget(check, 3, 0, 1, 2);
  PushToTopLeft(grid);

  // The same blink command as "Помигать" and "Проверить связь".
  connect(check, &QPushButton::clicked, this,
          [this] { LinkController::Of(context_, this).BitBtn16Click(); });
}

}  // namespace qmx
