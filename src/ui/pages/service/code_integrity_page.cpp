#include "ui/pages/service/code_integrity_page.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

#include "ui/pages/page_widgets.h"

namespace qmx {

CodeIntegrityPage::CodeIntegrityPage(AppContext& /*context*/, QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("TabSheet_CodeIntegrity"));
  auto* grid = new QGridLayout(this);
  grid->addWidget(MakeCaption(this, "Подсчитанная в приборе контрольная сумма"), 0, 0);
  grid->addWidget(MakePanel(this, "Panel39", "Нет данных"), 1, 0);
  grid->addWidget(MakeCaption(this, "Контрольная сумма для сравнения (храниться в приборе)"), 2, 0);
  grid->addWidget(MakePanel(this, "Panel40", "-"), 3, 0);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(MakeButton(this, "Button43", "Прочитать"));
  buttons->addWidget(MakeButton(this, "Button44", "Переписать"));
  buttons->addStretch(1);
  grid->addLayout(buttons, 4, 0);
  PushToTopLeft(grid);
}

}  // namespace qmx
