#include "blocks/block_catalog.h"

#include <algorithm>

#include "blocks/clock_password.h"
#include "blocks/code_integrity.h"
#include "blocks/compatibility.h"
#include "blocks/device_commands.h"
#include "blocks/discrete_archive.h"
#include "blocks/exchange_parameters.h"
#include "blocks/external_sensor.h"
#include "blocks/measurement_settings.h"
#include "blocks/module_parameters.h"
#include "blocks/output_settings.h"
#include "blocks/recalculation.h"
#include "blocks/user_registers.h"

namespace qmx {
namespace {

template <typename T>
void Append(std::vector<T>& to, std::span<const T> from) {
  to.insert(to.end(), from.begin(), from.end());
}

ControlKind KindOf(const ControlRow& row) {
  if (row.items != nullptr) return ControlKind::kComboBox;
  if (row.show == Show::kChecked || row.take == Take::kChecked || row.show == Show::kBit ||
      row.take == Take::kBit) {
    return ControlKind::kCheckBox;
  }
  return row.take == Take::kNone ? ControlKind::kLabel : ControlKind::kEdit;
}

}  // namespace

std::span<const Block* const> AllBlocks() {
  static const std::vector<const Block*> blocks = [] {
    std::vector<const Block*> all;
    Append(all, MeasurementBlocks());
    Append(all, OutputBlocks());
    Append(all, DeviceCommandBlocks());
    Append(all, ExchangeBlocks());
    Append(all, UserRegisterBlocks());
    Append(all, CodeIntegrityBlocks());
    Append(all, DiscreteArchiveBlocks());
    Append(all, ClockPasswordBlocks());
    Append(all, ExternalSensorBlocks());
    Append(all, RecalculationBlocks());
    Append(all, ModuleBlocks());
    return all;
  }();
  return blocks;
}

std::span<const ConfigPart> ConfigurationParts() {
  static const std::vector<ConfigPart> parts = [] {
    std::vector<ConfigPart> all;
    Append(all, ExchangeConfigParts());
    Append(all, CodeIntegrityConfigParts());
    Append(all, MeasurementConfigParts());
    Append(all, OutputConfigParts());
    Append(all, DiscreteArchiveConfigParts());
    Append(all, ClockPasswordConfigParts());
    Append(all, ExternalSensorConfigParts());
    Append(all, ModuleConfigParts());
    Append(all, RecalculationConfigParts());
    Append(all, UserRegisterConfigParts());
    return all;
  }();
  return parts;
}

std::span<const ButtonHandler> BlockButtons() {
  static const std::vector<ButtonHandler> buttons = [] {
    std::vector<ButtonHandler> all;
    Append(all, MeasurementButtons());
    Append(all, OutputButtons());
    Append(all, DeviceCommandButtons());
    Append(all, ExchangeButtons());
    Append(all, CompatibilityButtons());
    Append(all, UserRegisterButtons());
    Append(all, CodeIntegrityButtons());
    Append(all, DiscreteArchiveButtons());
    Append(all, ClockPasswordButtons());
    Append(all, ExternalSensorButtons());
    Append(all, RecalculationButtons());
    Append(all, ModuleButtons());
    return all;
  }();
  return buttons;
}

std::vector<ControlInfo> BlockControlList() {
  std::vector<ControlInfo> list;
  const auto add = [&list](const ControlInfo& info) {
    const bool known = std::any_of(list.begin(), list.end(),
                                   [&](const ControlInfo& s) { return s.name == info.name; });
    if (!known) list.push_back(info);
  };
  // Controls named here first: their kind is not the one a row would give.
  for (const ControlInfo& info : MeasurementUnboundControls()) add(info);
  for (const ControlInfo& info : ExchangeUnboundControls()) add(info);
  for (const ControlInfo& info : CompatibilityControls()) add(info);
  for (const ControlInfo& info : CodeIntegrityControls()) add(info);
  for (const ControlInfo& info : DiscreteArchiveUnboundControls()) add(info);
  for (const ControlInfo& info : ClockPasswordUnboundControls()) add(info);
  for (const ControlInfo& info : ExternalSensorUnboundControls()) add(info);
  for (const ControlInfo& info : ModuleUnboundControls()) add(info);
  for (const Block* block : AllBlocks()) {
    for (const ControlRow& row : block->rows) add({row.control, KindOf(row), row.items});
  }
  return list;
}

std::span<const ControlTwin> BlockTwins() {
  static const std::vector<ControlTwin> twins = [] {
    std::vector<ControlTwin> all;
    Append(all, MeasurementTwins());
    Append(all, ExchangeTwins());
    Append(all, DiscreteArchiveTwins());
    Append(all, ClockPasswordTwins());
    return all;
  }();
  return twins;
}

void FillBlockControls(Controls& controls, BlockValues& values) {
  for (const Block* block : AllBlocks()) {
    if (block->filled_at_startup) FillBlock(controls, values, *block);
  }
  // The user-register grid shows its cells in hexadecimal, which no row does.
  ShowUserRegisters(controls, values.profile.user_registers);
  ShowRecalcProgram(controls, values.recalc_program);
}

void AddBlockControls(MapControls& controls) {
  for (const ControlInfo& info : BlockControlList()) {
    if (info.items != nullptr) {
      controls.SetItems(info.name, *info.items);
    } else {
      controls.SetText(info.name, "");
    }
  }
}

}  // namespace qmx
