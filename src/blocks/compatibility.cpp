#include "blocks/compatibility.h"

#include "blocks/exchange_parameters.h"

namespace qmx {
namespace {

constexpr char kPanel[] = "Panel47";

// The busy panel flashes as it would around a real exchange.
void FlashBusyPanel(Controls& controls, std::string_view text) {
  ShowBusyPanel(controls, kPanel, text);
  HideBusyPanel(controls, kPanel);
}

const ButtonHandler kButtons[] = {{"Button45", &Button45Click}, {"Button46", &Button46Click}};

const ControlInfo kControls[] = {
    {"Edit92", ControlKind::kEdit, nullptr},
    {"ComboBox24", ControlKind::kComboBox, nullptr},
    {"ComboBox25", ControlKind::kComboBox, nullptr},
    {"ComboBox26", ControlKind::kComboBox, nullptr},
    {"Edit93", ControlKind::kEdit, nullptr},
    {"Edit94", ControlKind::kEdit, nullptr},
    {"Edit95", ControlKind::kEdit, nullptr},
    {"Panel47", ControlKind::kLabel, nullptr},
};

}  // namespace

BlockOutcome Button45Click(BlockContext& ctx) {
  ctx.values.exchange.compatibility_not_read = false;
  FlashBusyPanel(ctx.controls, "Идет чтение");
  ctx.dialogs.Result("Чтение дополнительных параметров закладки успешно осуществлено.");
  return BlockOutcome::kDone;
}

BlockOutcome Button46Click(BlockContext& ctx) {
  ExchangeState& state = ctx.values.exchange;
  if (state.compatibility_not_read) {
    state.settings_never_read = false;
    if (!ctx.dialogs.Question(kSettingsNeverReadQuestion)) return BlockOutcome::kCancelled;
  }
  state.configuration_read_once = true;
  if (!ctx.dialogs.Question("Данные будут переписаны?.")) return BlockOutcome::kCancelled;
  state.compatibility_not_read = false;
  FlashBusyPanel(ctx.controls, "Идет запись");
  ctx.dialogs.Result("Запись параметров успешно осуществлена.");
  return BlockOutcome::kDone;
}

std::span<const ButtonHandler> CompatibilityButtons() {
  return kButtons;
}
std::span<const ControlInfo> CompatibilityControls() {
  return kControls;
}

}  // namespace qmx
