#include "ui/block_controller.h"

#include <QComboBox>
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
#include "ui/link_controller.h"
#include "ui/widget_controls.h"

namespace qmx {
namespace {

bool IsDeviceCommand(BlockOutcome (*handler)(BlockContext&)) {
  const std::span<const ButtonHandler> commands = DeviceCommandButtons();
  return std::any_of(commands.begin(), commands.end(),
                     [handler](const ButtonHandler& command) { return command.run == handler; });
}

// The window's way of moving the program's port: the link controller opens
// it (with the port error box) and fills the link controls.
class WindowPortSwitch final : public PortSwitch {
 public:
  WindowPortSwitch(AppContext& context, QWidget* window) : context_(context), window_(window) {}
  bool Reopen() override {
    if (window_ == nullptr) return false;
    return LinkController::Of(context_, window_).OpenPort(1);
  }
  void ShowLine() override {
    if (window_ != nullptr) LinkController::Of(context_, window_).FillLineControls();
  }

 private:
  AppContext& context_;
  QPointer<QWidget> window_;
};

// A change of either list, the operator's or the program's, selects the
// same item in the other: the two never show different values.
void ConnectTwin(QComboBox* first, QComboBox* second) {
  const auto follow = [](QComboBox* to) {
    return [to](int index) {
      if (to->currentIndex() != index) to->setCurrentIndex(index < to->count() ? index : -1);
    };
  };
  QObject::connect(first, &QComboBox::currentIndexChanged, second, follow(second));
  QObject::connect(second, &QComboBox::currentIndexChanged, first, follow(first));
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
  for (const ControlTwin& twin : BlockTwins()) {
    auto* first = window->findChild<QComboBox*>(
        QString::fromLatin1(twin.first.data(), static_cast<qsizetype>(twin.first.size())));
    auto* second = window->findChild<QComboBox*>(
        QString::fromLatin1(twin.second.data(), static_cast<qsizetype>(twin.second.size())));
    if (first != nullptr && second != nullptr) ConnectTwin(first, second);
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
    WindowPortSwitch port_switch(context, self->window_);
    BlockContext block_context{context.link, context.dialogs, controls, context.blocks,
                               &port_switch};
    handler(block_context);
  };
  if (context_.gate != nullptr) {
    context_.gate->RunOperatorAction(std::move(action));
  } else {
    action();
  }
}

}  // namespace qmx
