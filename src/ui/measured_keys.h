// Keys of the measured-value views: F5 reads once, F6 starts the poll or
// stops it, on whichever measured-value page is in sight ("Измеренное
// значение" of the engineering view, "ИЗМЕРЕНИЕ" of the operator view).  A
// key presses the page's own button, so it does exactly what the button
// does and nothing while the button is off; with neither page in sight the
// keys do nothing.  The buttons' tooltips name their keys.
#pragma once

#include <QObject>

class QMainWindow;
class QPushButton;

namespace qmx {

struct AppContext;

class MeasuredKeys final : public QObject {
  Q_OBJECT

 public:
  MeasuredKeys(AppContext& context, QMainWindow& window);

 private:
  struct PageButtons {
    QPushButton* read = nullptr;
    QPushButton* start = nullptr;
    QPushButton* stop = nullptr;
  };
  // The buttons of the measured-value page in sight; all null when none is.
  PageButtons Visible() const;
  void ReadOnce();
  void StartOrStop();

  AppContext& context_;
  QMainWindow& window_;
};

}  // namespace qmx
