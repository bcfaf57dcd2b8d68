// Which buttons may be pressed in which state of the program.  The poll
// flags (kept with the program-wide values) and the buttons that start and
// stop the polls change together, so handlers ask this one object to change
// state instead of enabling buttons themselves.
//
// Buttons are found by name in the window; one that a page does not have
// is simply left out.
#pragma once

#include <QObject>
#include <QPointer>

class QWidget;

namespace qmx {

struct AppContext;

class ButtonStates final : public QObject {
  Q_OBJECT

 public:
  // The button states of the window `widget` lies in, made on first use.
  static ButtonStates& Of(AppContext& context, QWidget* widget);

  ButtonStates(AppContext& context, QWidget* window);

  // Start-up: every poll off, the read and start buttons of the debug and
  // exchange tabs enabled, "Завершить циклический опрос" disabled, the
  // poll's busy panel hidden.
  void ResetAtStartUp();
  // Before a device command or the INIT line: the measured-value poll stops
  // and its buttons return to rest ("Прочитать однократно" and "Начать
  // циклический опрос" enabled, "Завершить цикл. опрос" disabled).
  void StopMeasurementPollForCommand();

 private:
  void SetEnabled(const char* name, bool enabled) const;
  void SetVisible(const char* name, bool visible) const;

  AppContext& context_;
  QPointer<QWidget> window_;
};

}  // namespace qmx
