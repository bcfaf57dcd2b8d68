#include "ui/pages/service/adc_debug_page.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include "blocks/debug_reads.h"
#include "ui/pages/page_widgets.h"

namespace qmx {

AdcDebugPage::AdcDebugPage(AppContext& /*context*/, QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("TabSheet_AdcDebug"));
  const DebugTabInfo& info = DebugTabOf(DebugTab::kAdc);
  auto* grid = new QGridLayout(this);
  grid->addWidget(MakeCaption(this, "Коды АЦП внешнего датчика (регистры 512-524)"), 0, 0, 1, 2);
  grid->addWidget(MakeReadOnlyGrid(this, info.grid, 1 + info.count, 3, 90), 1, 0, 7, 1);
  grid->addWidget(MakeButton(this, info.single_button, "Прочитать однократно"), 1, 1);
  grid->addWidget(MakeButton(this, info.start_button, "Начать циклический опрос"), 2, 1);
  QPushButton* stop = MakeButton(this, info.stop_button, "Завершить циклический опрос");
  stop->setEnabled(false);  // nothing is polled until it is started
  grid->addWidget(stop, 3, 1);
  grid->addWidget(MakeList(this, "ComboBox31"), 4, 1);
  grid->addWidget(MakePanel(this, info.panel, kDebugNeverRead), 5, 1);
  grid->addWidget(MakeStatusPanel(this, "Panel49"), 6, 1);
  // The table takes the page's height; the buttons stay at the top.
  grid->setRowStretch(7, 1);
  grid->setColumnStretch(2, 1);
}

}  // namespace qmx
