// The measuring module's own view of the flow (tab "Изм. модуль"): its flow
// value, its two error words shown bit by bit under their names, the raw
// error words, and the 32 error-analysis enable bits that decide which of
// those errors the instrument evaluates.
#pragma once

#include <array>
#include <cstdint>

#include "blocks/measured_values.h"
#include "link/link.h"
#include "operator/controls.h"

namespace qmx {

inline constexpr uint16_t kModuleDataStart = 0;
inline constexpr uint8_t kModuleDataCount = 4;
inline constexpr uint16_t kRawErrorStart = 776;
inline constexpr uint8_t kRawErrorCount = 2;
inline constexpr uint16_t kErrorEnablesStart = 1969;  // enable HI, then enable LO
inline constexpr uint8_t kErrorEnablesCount = 2;

struct ModuleData {
  float flow = 0.0f;  // m3/h
  uint16_t error_hi = 0;
  uint16_t error_lo = 0;
  uint16_t raw_error_hi = 0;
  uint16_t raw_error_lo = 0;
};

struct ErrorEnables {
  uint16_t hi = 0;  // register 1969
  uint16_t lo = 0;  // register 1970
};

// One bit of an error word on the tab: its panel (caption = bit name, yellow
// while the bit is set) and the check box inside it showing the enable bit.
struct ModuleBitCell {
  const char* panel;
  const char* check_box;
  const char* caption;  // "" for a bit without a name
};

// Cells of bit 0..15 of error word LO (register 3, enable register 1970) and
// HI (register 2, enable register 1969).
extern const std::array<ModuleBitCell, 16> kModuleLoCells;
extern const std::array<ModuleBitCell, 16> kModuleHiCells;

// Start-up state of the 32 cells: captions and the button-face colour.
void InitModuleBitCells(Controls& controls);

// Reads the module's flow and error words, then the raw error words whatever
// the first read gave; each part changes only when its read succeeded.  The
// outcome is failed when either read failed (statuses combined, the first
// exception code that came): module data that did not arrive must not be
// reported as read because the raw words did.  `last_status` becomes the
// combined status.
ExchangeOutcome ReadModuleData(Link& link, ModuleData& data, uint16_t& last_status);
void ShowModuleData(const ModuleData& data, Controls& controls);

// Reads registers 1969..1970; `enables` changes only on success.
ExchangeOutcome ReadErrorEnables(Link& link, ErrorEnables& enables, uint16_t& last_status);
// Ticks the 32 check boxes from the enable bits.
void ShowErrorEnables(const ErrorEnables& enables, Controls& controls);

}  // namespace qmx
