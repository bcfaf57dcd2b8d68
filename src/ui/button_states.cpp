#include "ui/button_states.h"

#include <QWidget>

#include "blocks/measurement_handlers.h"
#include "ui/app_context.h"
#include "ui/widget_controls.h"

namespace qmx {

ButtonStates& ButtonStates::Of(AppContext& context, QWidget* widget) {
  QWidget* window = widget->window();
  auto* states = window->findChild<ButtonStates*>(QString(), Qt::FindDirectChildrenOnly);
  if (states == nullptr) states = new ButtonStates(context, window);
  return *states;
}

ButtonStates::ButtonStates(AppContext& context, QWidget* window)
    : QObject(window), context_(context), window_(window) {
  setObjectName(QStringLiteral("ButtonStates"));
}

void ButtonStates::SetEnabled(const char* name, bool enabled) const {
  if (window_ == nullptr) return;
  if (auto* widget = window_->findChild<QWidget*>(QLatin1String(name))) widget->setEnabled(enabled);
}

void ButtonStates::SetVisible(const char* name, bool visible) const {
  if (window_ == nullptr) return;
  if (auto* widget = window_->findChild<QWidget*>(QLatin1String(name))) widget->setVisible(visible);
}

void ButtonStates::ResetAtStartUp() {
  context_.measurement_polling = false;
  context_.module_polling = false;
  for (const char* name :
       {"Button18", "Button30", "Button31", "Button26", "Button35", "Button36"}) {
    SetEnabled(name, true);
  }
  SetEnabled("Button37", false);
  SetVisible("Panel45", false);
}

void ButtonStates::StopMeasurementPollForCommand() {
  context_.measurement_polling = false;
  if (window_ == nullptr) return;
  WidgetControls controls(window_);
  ShowMeasurementPollButtons(controls, false);
}

}  // namespace qmx
