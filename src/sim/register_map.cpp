#include "sim/register_map.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace qmx::sim {
namespace {

using K = RegisterKind;

// Sorted and without overlaps; the single-register entries split the wider
// ranges where a command or a read-only value sits among settings.
const std::vector<RegisterRange> kRanges = {
    {0, 3, K::kLive, "measuring-module data"},
    {256, 306, K::kLive, "measured values"},
    {512, 531, K::kLive, "external sensor readouts"},
    {768, 778, K::kLive, "volume to send as pulses, latched values, raw error words"},
    {1024, 1031, K::kConfig, "identity"},
    {1032, 1034, K::kConfig, "exchange parameters"},
    {1046, 1046, K::kFreeCommand, "blink"},
    {1047, 1047, K::kFreeCommand, "latch"},
    {1048, 1048, K::kReadOnly, "INIT flag"},
    {1049, 1049, K::kCommand, "restart"},
    {1050, 1051, K::kConfig, "byte gap"},
    {1056, 1061, K::kConfig, "clock"},
    {1072, 1072, K::kConfig, "measuring-module link"},
    {1150, 1150, K::kReadOnly, "program checksum"},
    {1151, 1151, K::kConfig, "reference checksum"},
    {1152, 1154, K::kReadOnly, "identity check"},
    {1264, 1264, K::kConfig, "menu password"},
    {1278, 1279, K::kLock, "USERLOCK, CLBLOCK"},
    {1280, 1329, K::kReadOnly, "measuring-module parameters"},
    {1792, 1828, K::kConfig, "outputs"},
    {1840, 1856, K::kConfig, "measurement settings"},
    {1857, 1857, K::kCommand, "totaliser reset"},
    {1858, 1874, K::kConfig, "measurement settings"},
    {1921, 1949, K::kConfig, "external sensor parameters and calibration"},
    {1952, 1954, K::kConfig, "archive, cleaning time"},
    {1955, 1955, K::kCommand, "electrode cleaning"},
    {1956, 1965, K::kConfig, "display total, cut-off, discrete flags, archive frame"},
    {1966, 1966, K::kCommand, "operating-time reset"},
    {1967, 1970, K::kConfig, "error-analysis mask"},
    {1984, 1991, K::kConfig, "external sensor calibration"},
    {1994, 2057, K::kConfig, "recalculation program"},
    {65528, 65535, K::kUser, "user registers"},
};

const RegisterRange* FindRange(uint16_t address) {
  auto it = std::upper_bound(kRanges.begin(), kRanges.end(), address,
                             [](uint16_t a, const RegisterRange& r) { return a < r.first; });
  if (it == kRanges.begin()) return nullptr;
  --it;
  return address <= it->last ? &*it : nullptr;
}

void PutFloat(std::vector<uint16_t>& regs, uint16_t at, float value) {
  const auto w = FloatWords(value);
  regs[at] = w[0];
  regs[at + 1] = w[1];
}

void PutLowFirst(std::vector<uint16_t>& regs, uint16_t at, uint32_t value) {
  const auto w = LongWordsLowFirst(value);
  regs[at] = w[0];
  regs[at + 1] = w[1];
}

void PutHighFirst(std::vector<uint16_t>& regs, uint16_t at, uint32_t value) {
  const auto w = LongWordsHighFirst(value);
  regs[at] = w[0];
  regs[at + 1] = w[1];
}

constexpr std::array<uint32_t, 11> kBaudByCode = {110,  300,   600,   1200,  2400,  4800,
                                                  9600, 19200, 38400, 57600, 115200};

}  // namespace

std::optional<RegisterKind> KindOf(uint16_t address) {
  const RegisterRange* range = FindRange(address);
  if (range == nullptr) return std::nullopt;
  return range->kind;
}

bool RangeExists(uint16_t start, unsigned count) {
  if (count == 0 || unsigned{start} + count > 65536u) return false;
  for (unsigned a = start; a < unsigned{start} + count; ++a) {
    if (!KindOf(static_cast<uint16_t>(a))) return false;
  }
  return true;
}

const std::vector<RegisterRange>& RegisterRanges() {
  return kRanges;
}

std::vector<uint16_t> FactoryRegisters() {
  std::vector<uint16_t> r(65536, 0);
  // Identity: model, factory number (upper word first), versions, date.
  r[1024] = 41;
  PutHighFirst(r, 1025, 2103417);
  r[1027] = 3;
  r[1028] = 215;
  r[1029] = 14;
  r[1030] = 6;
  r[1031] = 2021;
  // Exchange parameters are written by the instrument from its line.
  r[reg::kNetworkAddress] = 1;
  r[reg::kBaudCode] = 7;
  r[reg::kParity] = 0;
  r[1051] = 0;  // byte gap
  r[1072] = 0;  // module talks to the instrument
  r[reg::kChecksum] = 0x3A7F;
  r[reg::kChecksumReference] = 0x3A7F;
  r[1152] = 1;
  r[1153] = 6;
  r[1154] = 0;
  r[reg::kMenuPassword] = 0;
  // Measuring-module parameters: a DN50 sensor.
  r[1280] = 0x000A;
  r[1281] = 1;
  PutFloat(r, 1282, 50.0f);
  r[1284] = 50;
  PutFloat(r, 1286, 70.0f);
  PutFloat(r, 1288, 0.35f);
  PutFloat(r, 1298, 1.0f);
  PutFloat(r, 1300, 0.2f);
  PutFloat(r, 1302, 10.0f);
  PutFloat(r, 1304, 0.0f);
  r[1322] = 41;
  r[1323] = 32;
  r[1324] = 6265;
  r[1325] = 2;
  r[1326] = 0x0102;
  r[1327] = 2;
  r[1328] = 6;
  r[1329] = 2021;
  // Outputs: frequency output scaled to the sensor's maximum flow.
  r[1792] = 0;
  r[reg::kOutputType] = 2;
  PutFloat(r, 1808, 70.0f);
  PutFloat(r, 1810, 0.0f);
  r[1812] = 0;
  r[1815] = 0;
  r[1816] = 1000;
  PutFloat(r, reg::kPulseVolumePerPulse, 0.01f);
  r[1826] = 0;
  r[reg::kPulseLength] = 50;
  r[reg::kPulsePause] = 50;
  // Measurement settings: m3/h, ten averaged measurements, cubic metres.
  r[reg::kFlowUnit] = 2;
  r[reg::kAveraging] = 10;
  r[reg::kVolumeUnitSetting] = 0;
  r[1874] = 0;
  r[reg::kDisplayedTotal] = 0;
  PutFloat(r, reg::kCutOff, 1.0f);
  PutFloat(r, 1959, 0.2f);
  // External sensor: kPa, 0..5 V for 0..1600 kPa, measuring.
  PutLowFirst(r, 1921, 0x00ABCDEF);
  PutFloat(r, 1923, 5.0f);
  PutLowFirst(r, 1925, 0x00012345);
  r[reg::kSensorPressureUnit] = 1;
  PutFloat(r, 1931, 0.0f);
  PutFloat(r, 1933, 0.0f);
  PutFloat(r, 1935, 5.0f);
  PutFloat(r, 1937, 1600.0f);
  PutFloat(r, 1939, 0.0f);
  PutFloat(r, 1941, 1.0f);
  PutFloat(r, 1943, 0.0f);
  PutFloat(r, 1945, 1.0f);
  r[reg::kSensorMeasuring] = 1;
  PutLowFirst(r, 1948, 0x00012345);
  PutLowFirst(r, 1984, 0x00031000);
  PutFloat(r, 1986, 100.0f);
  PutLowFirst(r, 1988, 0x00052000);
  PutFloat(r, 1990, 138.5f);
  // Archive every ten minutes into the archive module; cleaning up to 30 s.
  r[reg::kArchiveInterval] = 600;
  r[1953] = 1;
  r[reg::kCleaningTime] = 30;
  PutHighFirst(r, 1964, 1234);
  r[1969] = 0x3E04;
  r[1970] = 0x3E7F;
  // Recalculation program: the flow brought to 101.325 kPa and 293.15 K from
  // the sensor's pressure and temperature (codes load, multiply, divide,
  // add, store, end; the operand in the low byte), with 273.15 K and the
  // expansion coefficient 0.00366099 1/K among the constants.
  const uint16_t program[] = {0x0110, 0x0111, 0x0302, 0x0100, 0x0404,
                              0x0103, 0x0202, 0x0401, 0x0520, 0x00FF};
  size_t at = 1994;
  for (uint16_t code : program) r[at++] = code;
  PutFloat(r, 2026, 101.325f);
  PutFloat(r, 2028, 293.15f);
  PutFloat(r, 2030, 273.15f);
  PutFloat(r, 2032, 0.00366099f);
  PutFloat(r, 2034, 2.5f);
  return r;
}

uint32_t BaudOfCode(uint16_t code) {
  return code < kBaudByCode.size() ? kBaudByCode[code] : 19200;
}

std::optional<uint16_t> CodeOfBaud(uint32_t baud) {
  for (uint16_t code = 0; code < kBaudByCode.size(); ++code) {
    if (kBaudByCode[code] == baud) return code;
  }
  return std::nullopt;
}

std::array<uint16_t, 2> FloatWords(float value, unsigned byte_order) {
  const uint32_t bits = std::bit_cast<uint32_t>(value);
  const uint8_t b3 = static_cast<uint8_t>(bits >> 24);
  const uint8_t b2 = static_cast<uint8_t>(bits >> 16);
  const uint8_t b1 = static_cast<uint8_t>(bits >> 8);
  const uint8_t b0 = static_cast<uint8_t>(bits);
  auto word = [](uint8_t high, uint8_t low) { return static_cast<uint16_t>(high << 8 | low); };
  switch (byte_order & 3) {
    case 1:
      return {word(b1, b0), word(b3, b2)};
    case 2:
      return {word(b2, b3), word(b0, b1)};
    case 3:
      return {word(b0, b1), word(b2, b3)};
    default:
      return {word(b3, b2), word(b1, b0)};
  }
}

float FloatFromWords(uint16_t first, uint16_t second) {
  return std::bit_cast<float>(static_cast<uint32_t>(first) << 16 | second);
}

std::array<uint16_t, 4> DoubleWords(double value) {
  const uint64_t bits = std::bit_cast<uint64_t>(value);
  return {static_cast<uint16_t>(bits >> 48), static_cast<uint16_t>(bits >> 32),
          static_cast<uint16_t>(bits >> 16), static_cast<uint16_t>(bits)};
}

std::array<uint16_t, 2> LongWordsHighFirst(uint32_t value) {
  return {static_cast<uint16_t>(value >> 16), static_cast<uint16_t>(value)};
}

std::array<uint16_t, 2> LongWordsLowFirst(uint32_t value) {
  return {static_cast<uint16_t>(value), static_cast<uint16_t>(value >> 16)};
}

}  // namespace qmx::sim
