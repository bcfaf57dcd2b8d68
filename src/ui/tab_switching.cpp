#include "ui/tab_switching.h"

#include <QPushButton>
#include <QTabWidget>

#include "ui/main_window.h"
#include "ui/polling_controller.h"
#include "ui/startup.h"

namespace qmx {

TabSwitching::TabSwitching(MainWindow& window, PollingController& polling)
    : QObject(&window), window_(window), polling_(polling) {
  setObjectName(QStringLiteral("TabSwitching"));
  for (QTabWidget* set : {window.PageControl1(), window.PageControl5()}) {
    connect(set, &QTabWidget::currentChanged, this, &TabSwitching::StartTimer7);
  }
  // A poll whose page has gone under another ends at once, not a tick later.
  connect(window.PageControl1(), &QTabWidget::currentChanged, this,
          [this] { polling_.StopPollsOutOfSight(); });
  connect(window.PageControl2(), &QTabWidget::currentChanged, this,
          [this] { polling_.StartTimer8(); });
  connect(window.PageControl4(), &QTabWidget::currentChanged, this,
          &TabSwitching::PageControl4Change);
}

void TabSwitching::StartTimer7() {
  // Start-up owns Timer7 and is made after the window's pages.
  if (auto* startup = window_.findChild<Startup*>(QString(), Qt::FindDirectChildrenOnly)) {
    startup->StartTimer7();
  }
}

void TabSwitching::PageControl4Change(int index) {
  // Any change, back to "ИЗМЕРЕНИЕ" included: the operator left the values.
  polling_.StopOperatorMeasurementPoll();
  StartTimer7();
  if (index == 0) {
    if (auto* read = window_.findChild<QPushButton*>(QStringLiteral("BitBtn5"))) read->setFocus();
  }
}

}  // namespace qmx
