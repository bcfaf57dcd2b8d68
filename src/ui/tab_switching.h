// What a change of page does beyond highlighting the new tab (the page sets
// do that themselves): the one-shot repaint timers, the end of a poll whose
// page has left the screen or of the operator's poll whenever the operator
// pages change, and the focus.
#pragma once

#include <QObject>

namespace qmx {

class MainWindow;
class PollingController;

class TabSwitching final : public QObject {
  Q_OBJECT

 public:
  TabSwitching(MainWindow& window, PollingController& polling);

 private:
  void StartTimer7();
  void PageControl4Change(int index);

  MainWindow& window_;
  PollingController& polling_;
};

}  // namespace qmx
