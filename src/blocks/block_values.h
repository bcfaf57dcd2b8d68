// The staged values of the instrument's parameter blocks: one program-wide
// record per block, shared by every page that shows the block.  A read fills
// a record from the instrument and the pages from the record; a write fills
// the record from the pages and sends the record.
//
// The blocks whose values the settings profile keeps ("izm_to_comp" and
// "output") have no record of their own: their staged record is the
// profile's MeasurementValues and OutputValues.  So a profile load changes
// what the write buttons send without touching the instrument, a block read
// changes what the next profile save writes, and there is no second copy to
// keep in step.  Everything else a block reads or writes and the profile does
// not keep lives here.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "storage/link_settings.h"
#include "storage/profile.h"
#include "storage/recalc_program.h"

namespace qmx {

// Registers 1957-1960: the cut-off of the measured value and the float after
// it, which the instrument hands out with the cut-off and the program keeps
// but never shows or writes.
struct CutOffValues {
  float cut_off = 0.0F;            // 1957-1958, per cent
  std::array<uint16_t, 2> kept{};  // 1959-1960, as read
};

// The measuring module's parameters, registers 1280-1321 and 1322-1329, kept
// word for word as read: the measurement tab shows three of its floats, the
// module page shows the rest.
struct ModuleParameterValues {
  static constexpr uint16_t kFirst = 1280;
  static constexpr size_t kCount = 50;
  std::array<uint16_t, kCount> words{};
};

// The exchange block's own state beside the staged settings.
struct ExchangeState {
  // 1032-1034 as the last exchange write sent them: the port follows these,
  // not what the lists show by the time the answer is in.
  std::array<uint16_t, 3> sent{};
  uint16_t init_flag = 0;  // 1048 as last read
  // The last exchange write got no intact answer, yet the instrument was
  // found answering at the settings it sent.
  bool found_after_lost_answer = false;
  std::array<uint16_t, 3> identity_check{};  // 1152-1154 as last read
  // "Записать все на закладке" asks before writing settings the program has
  // never read, and before writing a configuration never read from the
  // instrument.  Which handlers set and clear them is the exchange block's.
  bool settings_never_read = true;
  bool configuration_read_once = false;
  // The compatibility page's reference values have not been read.
  bool compatibility_not_read = true;
};

// The instrument's clock, registers 1056-1061.  The year is a 16-bit value;
// month, day, hour, minute and second are kept as bytes (a read keeps the
// low byte of each register, a write sends the byte zero-extended).
struct ClockValues {
  uint16_t year = 2017;
  uint16_t month = 1;
  uint16_t day = 1;
  uint16_t hour = 0;
  uint16_t minute = 0;
  uint16_t second = 0;
};

// The program memory's checksum the instrument computes (1150) and the
// reference it compares it with (1151, pgmcsacnt1), as last read.
struct CodeIntegrityValues {
  uint16_t computed = 0;
  uint16_t reference = 0;
};

// The external pressure and temperature sensor as last read: its readouts
// (525-531 and 512-524), its measurement parameters (1930-1947) and its
// calibration (1921-1926 and 1984-1991).  The ADC codes of the calibration
// are kept as the instrument's two words, low word first; A1_0 is one value
// that the instrument hands out both at 1925-1926 and at 1948-1949.
struct ExternalSensorValues {
  float pressure = 0.0F;  // 525-526, in the unit of 1930
  uint16_t kept_527 = 0;
  uint16_t pressure_state = 0;     // 528
  float temperature = 0.0F;        // 529-530, degrees Celsius
  uint16_t temperature_state = 0;  // 531
  uint32_t adc_a1 = 0;             // 512-513, upper word first
  uint32_t adc_a2 = 0;             // 514-515
  uint32_t adc_a2_second = 0;      // 516-517
  uint16_t adc_error = 0;          // 518, ADC_ERR
  float voltage = 0.0F;            // 519-520, V
  uint16_t kept_521 = 0;
  float resistance = 0.0F;  // 522-523, ohm
  uint16_t kept_524 = 0;
  uint16_t pressure_unit = 0;         // 1930: 0 Pa, 1 kPa, 2 MPa
  std::array<float, 8> ranges{};      // 1931-1946, eight floats in register order
  uint16_t measuring = 0;             // 1947: 1 = on
  std::array<uint16_t, 2> a1_max{};   // 1921-1922
  float a1_umax = 0.0F;               // 1923-1924, V
  std::array<uint16_t, 2> a1_zero{};  // 1925-1926 (1948-1949)
  std::array<uint16_t, 2> a2_min{};   // 1984-1985
  float r_min = 0.0F;                 // 1986-1987, ohm
  std::array<uint16_t, 2> a2_max{};   // 1988-1989
  float r_max = 0.0F;                 // 1990-1991, ohm
  // The status of the sensor's last read transaction ("Состояние обмена").
  uint16_t last_status = 0;
};

struct BlockValues {
  BlockValues(ProfileValues& profile_values, LinkSettings& link_settings)
      : profile(profile_values), link(link_settings) {}
  BlockValues(const BlockValues&) = delete;
  BlockValues& operator=(const BlockValues&) = delete;

  // Measurement settings (1840, 1841, 1856, 1874, 1956) in
  // profile.measurement; output type, frequency and pulse output (1792,
  // 1793, 1808-1812, 1824-1825, 1827, 1828) in profile.outputs.
  ProfileValues& profile;
  // The exchange settings proposed for the instrument (1032-1034), its byte
  // gap (1051) and reply delay: the link's settings, which the settings
  // files and the profile keep.
  LinkSettings& link;
  ExchangeState exchange;

  CutOffValues cut_off;
  ModuleParameterValues module_parameters;
  uint16_t forced_frequency = 0;       // 1816, Hz
  uint16_t pulse_reserved = 0;         // 1826: kept from the last read, always sent as 0
  double volume_to_send = 0.0;         // 768-771, m3 still to go out as pulses
  CodeIntegrityValues code_integrity;  // 1150-1151
  // 1962 "Запоминаемые" and 1963 "Незапоминаемые": the discrete flags.
  std::array<uint16_t, 2> discrete_flags{};
  ClockValues clock;           // 1056-1061
  uint16_t menu_password = 0;  // 1264, 0-9999
  ExternalSensorValues external_sensor;
  // 1994-2057: the instrument's recalculation to standard conditions, as
  // last read, loaded from a file or taken from its page.
  RecalcProgram recalc_program;

  // The instrument's state word (300) as the last guarded write found it.
  uint16_t state_word = 0;
  // The exchange-log text of the last write the blocks made; a write
  // without a text of its own is logged under it.
  std::string last_description;
};

}  // namespace qmx
