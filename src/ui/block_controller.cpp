#include "ui/block_controller.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QWidget>
#include <algorithm>
#include <span>
#include <utility>

#include "blocks/block_catalog.h"
#include "blocks/device_commands.h"
#include "blocks/exchange_parameters.h"
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

// A change of either control, the operator's or the program's, shows the
// same value in the other: the two never disagree.  Two lists follow each
// other's item; an edit field follows the other control's text, and a list
// the edit field's text (its item of that text, or its edit text).
void ShowText(QWidget* to, const QString& text) {
  if (auto* edit = qobject_cast<QLineEdit*>(to)) {
    if (edit->text() != text) edit->setText(text);
  } else if (auto* list = qobject_cast<QComboBox*>(to)) {
    if (list->currentText() == text) return;
    if (list->isEditable()) {
      list->setEditText(text);
      return;
    }
    const int index = list->findText(text);
    // A text the list has no item for (a half-typed number) leaves the list
    // without a choice, and must not come back as an empty text into the
    // field the operator is typing in.
    const QSignalBlocker quiet(index < 0 ? list : nullptr);
    list->setCurrentIndex(index);
  }
}

void Follow(QWidget* from, QWidget* to) {
  auto* from_list = qobject_cast<QComboBox*>(from);
  auto* to_list = qobject_cast<QComboBox*>(to);
  if (from_list != nullptr && to_list != nullptr) {
    QObject::connect(from_list, &QComboBox::currentIndexChanged, to_list, [to_list](int index) {
      if (to_list->currentIndex() != index) {
        to_list->setCurrentIndex(index < to_list->count() ? index : -1);
      }
    });
  } else if (from_list != nullptr) {
    QObject::connect(from_list, &QComboBox::currentTextChanged, to,
                     [to](const QString& text) { ShowText(to, text); });
  } else if (auto* edit = qobject_cast<QLineEdit*>(from)) {
    QObject::connect(edit, &QLineEdit::textChanged, to,
                     [to](const QString& text) { ShowText(to, text); });
  }
}

QString Name(std::string_view name) {
  return QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
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
    QWidget* first = window->findChild<QWidget*>(Name(twin.first));
    QWidget* second = window->findChild<QWidget*>(Name(twin.second));
    if (first == nullptr || second == nullptr) continue;
    Follow(first, second);
    Follow(second, first);
  }
  // The summary of the settings proposed for the instrument follows the
  // lists as the operator changes them (ComboBox14 through its twin).
  for (const char* name : {"ComboBox14", "ComboBox46", "ComboBox47"}) {
    auto* list = window->findChild<QComboBox*>(QString::fromLatin1(name));
    if (list == nullptr) continue;
    connect(list, &QComboBox::currentIndexChanged, this, [this] {
      if (window_ == nullptr) return;
      WidgetControls controls(window_);
      ShowListedSummary(controls, context_.blocks);
    });
  }
}

void BlockController::RunWithContext(std::function<void(BlockContext&)> work) {
  QPointer<BlockController> self(this);
  qmx::RunOperatorAction(context_.gate, [self, work = std::move(work)] {
    if (self == nullptr || self->window_ == nullptr) return;
    WidgetControls controls(self->window_);
    WindowPortSwitch port_switch(self->context_, self->window_);
    BlockContext block_context{self->context_.link, self->context_.dialogs, controls,
                               self->context_.blocks, &port_switch};
    work(block_context);
  });
}

BlockController* BlockController::Of(QWidget* window) {
  return window == nullptr ? nullptr : window->findChild<BlockController*>("BlockController");
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
  qmx::RunOperatorAction(context_.gate, std::move(action));
}

}  // namespace qmx
