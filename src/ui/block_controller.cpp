#include "ui/block_controller.h"

#include <QPushButton>
#include <QWidget>
#include <algorithm>
#include <span>
#include <utility>

#include "blocks/block_catalog.h"
#include "blocks/device_commands.h"
#include "ui/app_context.h"
#include "ui/button_states.h"
#include "ui/exchange_gate.h"
#include "ui/widget_controls.h"

namespace qmx {
namespace {

bool IsDeviceCommand(BlockOutcome (*handler)(BlockContext&)) {
  const std::span<const ButtonHandler> commands = DeviceCommandButtons();
  return std::any_of(commands.begin(), commands.end(),
                     [handler](const ButtonHandler& command) { return command.run == handler; });
}

}  // namespace

BlockController::BlockController(AppContext& context, QWidget* window)
    : QObject(window), context_(context), window_(window) {
  setObjectName(QStringLiteral("BlockController"));
  for (const ButtonHandler& entry : BlockButtons()) {
    const QString name =
        QString::fromLatin1(entry.button.data(), static_cast<qsizetype>(entry.button.size()));
    auto* button = window->findChild<QPushButton*>(name);
    if (button == nullptr) continue;
    auto* handler = entry.run;
    connect(button, &QPushButton::clicked, this, [this, handler] { Run(handler); });
    ++connected_;
  }
}

void BlockController::Run(BlockOutcome (*handler)(BlockContext&)) {
  QPointer<BlockController> self(this);
  auto action = [self, handler] {
    // The window may have gone while the action waited its turn.
    if (self == nullptr || self->window_ == nullptr) return;
    // A command makes the instrument restart or clear what the poll shows:
    // the poll stops and its buttons return to rest, as before the blink.
    // The block reads and writes leave the poll running.
    if (IsDeviceCommand(handler)) {
      ButtonStates::Of(self->context_, self->window_).StopMeasurementPollForCommand();
    }
    WidgetControls controls(self->window_);
    AppContext& context = self->context_;
    BlockContext block_context{context.link, context.dialogs, controls, context.blocks};
    handler(block_context);
  };
  if (context_.gate != nullptr) {
    context_.gate->RunOperatorAction(std::move(action));
  } else {
    action();
  }
}

}  // namespace qmx
