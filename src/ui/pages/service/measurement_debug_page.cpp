#include "ui/pages/service/measurement_debug_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

#include "blocks/debug_reads.h"
#include "ui/pages/page_widgets.h"

namespace qmx {

MeasurementDebugPage::MeasurementDebugPage(AppContext& /*context*/, QWidget* parent)
    : QWidget(parent) {
  setObjectName(QStringLiteral("TabSheet_MeasurementDebug"));
  const DebugTabInfo& info = DebugTabOf(DebugTab::kMeasurement);
  auto* grid = new QGridLayout(this);
  grid->addWidget(MakeCaption(this, "Результаты обработки (регистры 288-305)"), 0, 0, 1, 2);
  grid->addWidget(MakeReadOnlyGrid(this, info.grid, 1 + info.count, 3, 90), 1, 0, 8, 1);
  grid->addWidget(MakeButton(this, info.single_button, "Прочитать однократно"), 1, 1);
  grid->addWidget(MakeButton(this, info.start_button, "Начать циклической опрос"), 2, 1);
  QPushButton* stop = MakeButton(this, info.stop_button, "Остановить циклический опрос");
  stop->setEnabled(false);  // nothing is polled until it is started
  grid->addWidget(stop, 3, 1);
  QCheckBox* record = MakeCheckBox(this, "CheckBox22", "Запись в файл");
  record->setToolTip(
      QStringLiteral("Дописывать строку в файл результатов обработки после "
                     "каждого чтения (если запись результатов включена)"));
  grid->addWidget(record, 4, 1);
  grid->addWidget(MakeList(this, "ComboBox34"), 5, 1);
  grid->addWidget(MakePanel(this, info.panel, kDebugNeverRead), 6, 1);
  grid->addWidget(MakeStatusPanel(this, "Panel50"), 7, 1);
  // The table takes the page's height; the buttons stay at the top.
  grid->setRowStretch(8, 1);
  grid->setColumnStretch(2, 1);
}

}  // namespace qmx
