#include "ui/pages/archiving_tab.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/pages/page_widgets.h"

namespace qmx {

// The interval list shows what the page "АРХИВ" sends (the two follow each
// other); the module switch and the frame number are the tab's own.
ArchivingTab::ArchivingTab(AppContext& /*context*/, QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("TabSheet_Archiving"));
  auto* page = new QVBoxLayout(this);

  QGroupBox* interval = MakeGroup(this, "Интервал записи в архив");
  auto* interval_grid = new QGridLayout(interval);
  AddRow(interval_grid, 0, 0, "Интервал между записями в архив, сек",
         MakeList(interval, "ComboBox36"));
  interval_grid->addWidget(MakeCheckBox(interval, "CheckBox92", "Используем модуль\nархивации"), 1,
                           1);
  interval_grid->addWidget(MakeButton(interval, "Button73", "Прочитать"), 0, 2);
  interval_grid->addWidget(MakeButton(interval, "Button74", "Записать"), 0, 3);
  page->addWidget(interval, 0, Qt::AlignLeft);

  QGroupBox* frame = MakeGroup(this, "Текущий номер кадра архива");
  auto* frame_grid = new QGridLayout(frame);
  AddRow(frame_grid, 0, 0, "Номер текущего кадра", MakeEdit(frame, "Edit101"));
  frame_grid->addWidget(MakeButton(frame, "Button75", "Прочитать"), 0, 2);
  frame_grid->addWidget(MakeButton(frame, "Button76", "Записать"), 0, 3);
  page->addWidget(frame, 0, Qt::AlignLeft);
  page->addStretch(1);
}

}  // namespace qmx
