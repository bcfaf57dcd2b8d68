// The flow meter's holding registers as the instrument serves them: which
// numbers exist, what kind each one is (live measurement, configuration,
// command, lock, user register, read-only), their factory values, and the
// instrument's own conversions of values into register words.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace qmx::sim {

enum class RegisterKind : uint8_t {
  kLive,         // computed from the running measurement; read only
  kReadOnly,     // stored, never written over the line
  kConfig,       // configuration: needs the write lock open and no protection
  kCommand,      // a write makes the instrument act; needs the write lock open
  kFreeCommand,  // a command the program sends without unlocking (blink, latch)
  kLock,         // USERLOCK / CLBLOCK
  kUser,         // general-purpose user registers, always writable
};

// Registers the instrument's own logic refers to.
namespace reg {
constexpr uint16_t kModuleFlow = 0;
constexpr uint16_t kModuleErrorHi = 2;
constexpr uint16_t kModuleErrorLo = 3;
constexpr uint16_t kMeasuredFirst = 256;
constexpr uint16_t kFlow = 256;
constexpr uint16_t kRelativeFlow = 258;
constexpr uint16_t kFlowState = 259;
constexpr uint16_t kFlowError = 260;
constexpr uint16_t kFlowUnitAndOrder = 261;
constexpr uint16_t kVelocity = 262;
constexpr uint16_t kVelocityError = 264;
constexpr uint16_t kPipeTemperature = 266;
constexpr uint16_t kPipeTemperatureError = 268;
constexpr uint16_t kModuleTemperature = 269;
constexpr uint16_t kModuleTemperatureError = 271;
constexpr uint16_t kProcessTemperature1 = 272;
constexpr uint16_t kProcessTemperature1Error = 274;
constexpr uint16_t kProcessTemperature2 = 275;
constexpr uint16_t kProcessTemperature2Error = 277;
constexpr uint16_t kPressure = 278;
constexpr uint16_t kPressureError = 280;
constexpr uint16_t kVolumeTotal = 281;
constexpr uint16_t kVolumeForward = 285;
constexpr uint16_t kVolumeReverse = 289;
constexpr uint16_t kVolumeModulus = 293;
constexpr uint16_t kVolumeState = 297;
constexpr uint16_t kVolumeError = 298;
constexpr uint16_t kVolumeUnit = 299;
constexpr uint16_t kStateWord = 300;
constexpr uint16_t kAccumulationTime = 301;
constexpr uint16_t kOperatingTime = 303;
constexpr uint16_t kStandardFlow = 305;
constexpr uint16_t kMeasuredLast = 306;
constexpr uint16_t kSensorAdcA1 = 512;
constexpr uint16_t kSensorAdcA2 = 514;
constexpr uint16_t kSensorAdcA2Second = 516;
constexpr uint16_t kSensorAdcError = 518;
constexpr uint16_t kSensorVoltage = 519;
constexpr uint16_t kSensorResistance = 522;
constexpr uint16_t kSensorPressure = 525;
constexpr uint16_t kSensorPressureState = 528;
constexpr uint16_t kSensorTemperature = 529;
constexpr uint16_t kSensorTemperatureState = 531;
constexpr uint16_t kPulseVolume = 768;
constexpr uint16_t kLatchedFlow = 772;
constexpr uint16_t kLatchedFlowState = 774;
constexpr uint16_t kLatchedFlowError = 775;
constexpr uint16_t kRawErrorHi = 776;
constexpr uint16_t kRawErrorLo = 777;
constexpr uint16_t kLatchedStateWord = 778;
constexpr uint16_t kModel = 1024;
constexpr uint16_t kNetworkAddress = 1032;
constexpr uint16_t kBaudCode = 1033;
constexpr uint16_t kParity = 1034;
constexpr uint16_t kBlink = 1046;
constexpr uint16_t kLatch = 1047;
constexpr uint16_t kInitFlag = 1048;
constexpr uint16_t kRestart = 1049;
constexpr uint16_t kClockYear = 1056;
constexpr uint16_t kClockSecond = 1061;
constexpr uint16_t kChecksum = 1150;
constexpr uint16_t kChecksumReference = 1151;
constexpr uint16_t kIdentityCheck = 1152;
constexpr uint16_t kMenuPassword = 1264;
constexpr uint16_t kUserLock = 1278;
constexpr uint16_t kCalibrationLock = 1279;
constexpr uint16_t kPipeDiameter = 1282;
constexpr uint16_t kMaxFlow = 1286;
constexpr uint16_t kOutputType = 1793;
constexpr uint16_t kPulseVolumePerPulse = 1824;
constexpr uint16_t kPulseLength = 1827;
constexpr uint16_t kPulsePause = 1828;
constexpr uint16_t kFlowUnit = 1840;
constexpr uint16_t kAveraging = 1841;
constexpr uint16_t kVolumeUnitSetting = 1856;
constexpr uint16_t kTotaliserReset = 1857;
constexpr uint16_t kSensorPressureUnit = 1930;
constexpr uint16_t kSensorMeasuring = 1947;
constexpr uint16_t kArchiveInterval = 1952;
constexpr uint16_t kCleaningTime = 1954;
constexpr uint16_t kCleaning = 1955;
constexpr uint16_t kDisplayedTotal = 1956;
constexpr uint16_t kCutOff = 1957;
constexpr uint16_t kOperatingTimeReset = 1966;
constexpr uint16_t kUserFirst = 65528;
}  // namespace reg

// Kind of a register, or nothing when the instrument has no such register
// (a request touching it is answered with exception 2).
std::optional<RegisterKind> KindOf(uint16_t address);

// True when every register of start..start+count-1 exists.
bool RangeExists(uint16_t start, unsigned count);

// One named range of the map, for listings and the control channel's help.
struct RegisterRange {
  uint16_t first;
  uint16_t last;
  RegisterKind kind;
  const char* name;
};
const std::vector<RegisterRange>& RegisterRanges();

// The factory state of the stored registers (live ones read 0 here).
std::vector<uint16_t> FactoryRegisters();

// Baud rate of an exchange-parameter baud code; codes the instrument does
// not know run at 19200, as the program assumes.
uint32_t BaudOfCode(uint16_t code);
// The code of a baud rate, or nothing for a rate outside the table.
std::optional<uint16_t> CodeOfBaud(uint32_t baud);

// Conversions into register words, in the instrument's own terms.
// `byte_order` is the float byte-order code 0..3 announced in register 261.
std::array<uint16_t, 2> FloatWords(float value, unsigned byte_order = 0);
float FloatFromWords(uint16_t first, uint16_t second);  // byte order 0
std::array<uint16_t, 4> DoubleWords(double value);
std::array<uint16_t, 2> LongWordsHighFirst(uint32_t value);
std::array<uint16_t, 2> LongWordsLowFirst(uint32_t value);

}  // namespace qmx::sim
