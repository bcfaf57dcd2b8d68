#include "service/measurement_debug_page.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include "ui/pages/page_widgets.h"

namespace qmx {

MeasurementDebugPage::MeasurementDebugPage(AppContext& /*context*/, QWidget* parent)
    : QWidget(parent) {
  setObjectName(QStringLiteral("TabSheet_MeasurementDebug"));
  auto* grid = new QGridLayout(this);
  grid->addWidget(MakeButton(this, "Button18", "Прочитать однократно"), 0, 0);
  grid->addWidget(MakeList(this, "ComboBox34"), 1, 0);
  grid->addWidget(MakeStatusPanel(this, "Panel50"), 2, 0, 1, 2);
  PushToTopLeft(grid);
}

}  // namespace qmx
