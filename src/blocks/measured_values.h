// The instrument's current measurement: the block of registers 256..306, its
// decoding, and the two views that show it ("Измеренное значение" in full,
// "ИЗМЕРЕНИЕ" compact) with a state text and a background colour for every
// quantity.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "link/link.h"
#include "operator/controls.h"

namespace qmx {

// The block travels as two reads: the instrument answers the standard-
// condition flow separately, and an instrument without it must not spoil the
// rest of the block.
inline constexpr uint16_t kMeasuredBlockStart = 256;
inline constexpr uint8_t kMeasuredBlockCount = 49;  // 256..304
inline constexpr uint16_t kStandardFlowStart = 305;
inline constexpr uint8_t kStandardFlowCount = 2;

// Bits of the flow state word (register 259).
inline constexpr uint16_t kFlowStateCutOff = 0x0004;
inline constexpr uint16_t kFlowStateErrorBits = 0xFF80;
// Bit of every per-quantity error word: the instrument does not measure it.
inline constexpr uint16_t kErrorNotMeasured = 0x8000;

// Register 300: front-panel keys, discrete outputs and write protection.
inline constexpr uint16_t kKeyNextItem = 0x0002;
inline constexpr uint16_t kKeyChange = 0x0008;
inline constexpr uint16_t kKeyExecute = 0x0010;
inline constexpr uint16_t kKeyCancel = 0x0020;
inline constexpr uint16_t kDiscreteOutput1 = 0x0100;
inline constexpr uint16_t kDiscreteOutput2 = 0x0200;
inline constexpr uint16_t kWriteProtection = 0x8000;

// The outcome of one read operation as the handlers judge it.
struct ExchangeOutcome {
  uint16_t status = 0;
  uint16_t exception = 0;

  // What the operator is told about: anything but a clean exchange, a
  // success that needed a repetition included.
  bool failed() const { return status != 0 || exception != 0; }
  // The answer arrived and was taken in (possibly after a repetition).
  bool data_taken() const { return (status & 0x7FFF) == 0 && exception == 0; }
};

// One decoded measured-value block.  Floats are already 0.0 when the
// instrument sent something that is not a valid value.
struct MeasuredValues {
  float flow = 0.0f;              // 256, in the flow unit
  uint16_t relative_flow = 0;     // 258, 0..65535 = 0..100 %
  uint16_t flow_state = 0;        // 259, layout of the module's error word HI
  uint16_t flow_error = 0;        // 260, layout of the module's error word LO
  uint16_t flow_unit_word = 0;    // 261: unit code, float byte order in bits 8..9
  float velocity = 0.0f;          // 262, m/s
  uint16_t velocity_error = 0;    // 264
  uint16_t reserved_265 = 0;      // 265, kept as read
  float pipe_temperature = 0.0f;  // 266, degrees Celsius
  uint16_t pipe_temperature_error = 0;
  float module_temperature = 0.0f;  // 269
  uint16_t module_temperature_error = 0;
  float process_temperature1 = 0.0f;  // 272
  uint16_t process_temperature1_error = 0;
  float process_temperature2 = 0.0f;  // 275
  uint16_t process_temperature2_error = 0;
  float pressure = 0.0f;  // 278, kPa
  uint16_t pressure_error = 0;
  double volume_total = 0.0;         // 281
  double volume_forward = 0.0;       // 285
  double volume_reverse = 0.0;       // 289
  double volume_modulus = 0.0;       // 293
  uint16_t volume_state = 0;         // 297
  uint16_t volume_error = 0;         // 298
  uint16_t volume_unit_word = 0;     // 299, unit code in bits 0..7
  uint16_t state_word = 0;           // 300
  uint32_t accumulation_time_s = 0;  // 301
  uint32_t operating_time_s = 0;     // 303
  float standard_flow = 0.0f;        // 305, always byte order 0
  // Status of the last read of register 305; the operation reports only the
  // main block, so this is the one place a missing standard flow shows.
  uint16_t standard_flow_status = 0;
  // Whether the block has ever come in: until then the views have nothing
  // to show, and a zero flow on screen would be a lie.
  bool read = false;
  // Whether the last read of the block came in; when it did not, the values
  // above are those of `read_at`.
  bool current = false;
  LocalTime read_at;

  unsigned flow_unit_code() const { return flow_unit_word & 0xFFu; }
  unsigned float_order_code() const { return (flow_unit_word >> 8) & 0x3u; }
  unsigned volume_unit_code() const { return volume_unit_word & 0xFFu; }
  // Error words, or a state bit from 7 up; the cut-off bit alone is not one.
  bool flow_in_error() const { return flow_error != 0 || (flow_state & kFlowStateErrorBits) != 0; }
  bool volumes_in_error() const { return volume_state != 0 || volume_error != 0; }
};

// Decodes registers 256..304 (`words` holds kMeasuredBlockCount words).  The
// floats use the byte order that register 261 of the same block announces.
void DecodeMeasuredBlock(const uint16_t* words, MeasuredValues& values);

// Reads the block, then the standard-condition flow whatever the first read
// gave, with no pause between.  `last_status` becomes the first read's status.
// Values change only where their read succeeded.  The outcome is that of the
// first read.
ExchangeOutcome ReadMeasuredValues(Link& link, MeasuredValues& values, uint16_t& last_status);

// State texts: a blank, then one item per set bit in the instrument's order.
std::string FlowStateText(uint16_t state, uint16_t error);
// Velocity and temperatures; the pressure lists its limits the other way
// round ("ВПИ " before "НПИ ").
std::string QuantityErrorText(uint16_t error, bool pressure_order = false);
std::string VolumeErrorText(uint16_t error);
// "м куб/сек" ... for codes 0..3, "" for any other code.
std::string FlowUnitText(unsigned code);
// "м куб", "литр" for codes 0..1, "" for any other code.
std::string VolumeUnitText(unsigned code);

// Both views from `values`; `status` is the program's last exchange status.
// Writes only the controls named in the view's table: a failed read shown
// with the old values keeps every other control as it was.  Values never
// read leave the value and state fields as they are (empty from start-up);
// only the exchange state is shown.
void ShowMeasuredValues(const MeasuredValues& values, uint16_t status, Controls& controls);

// Panel6: "Нормальный обмен" for a clean exchange, "Ошибка в обмене" in
// yellow for anything else, a success after a repetition included.
void ShowExchangeState(uint16_t status, Controls& controls);

// The fields of both views that show a measured number.
std::span<const char* const> MeasuredValueFields();

// The four exchange counters of the poll; unsigned 16 bits, wrapping.
struct ExchangeCounters {
  uint16_t cycles = 0;
  uint16_t measurement_errors = 0;
  uint16_t exchange_errors = 0;
  uint16_t retries = 0;

  void Clear() { *this = ExchangeCounters{}; }
};

// Label23..Label26, in decimal.
void ShowCounters(const ExchangeCounters& counters, Controls& controls);

}  // namespace qmx
