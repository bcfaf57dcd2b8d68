#include "service/adc_debug_page.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include "ui/pages/page_widgets.h"

namespace qmx {

AdcDebugPage::AdcDebugPage(AppContext& /*context*/, QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("TabSheet_AdcDebug"));
  auto* grid = new QGridLayout(this);
  grid->addWidget(MakeButton(this, "Button35", "Прочитать однократно"), 0, 0);
  grid->addWidget(MakeButton(this, "Button36", "Начать циклический опрос"), 0, 1);
  QPushButton* stop = MakeButton(this, "Button37", "Завершить циклический опрос");
  stop->setEnabled(false);  // nothing is polled until it is started
  grid->addWidget(stop, 0, 2);
  grid->addWidget(MakeList(this, "ComboBox31"), 1, 0);
  grid->addWidget(MakeStatusPanel(this, "Panel49"), 2, 0, 1, 3);
  PushToTopLeft(grid);
}

}  // namespace qmx
