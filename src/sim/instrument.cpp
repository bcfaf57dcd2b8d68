#include "sim/instrument.h"

#include <algorithm>
#include <cmath>
#include <ctime>

#include "sim/register_map.h"

namespace qmx::sim {
namespace {

constexpr uint16_t kCutOffBit = 0x0004;      // flow state: below the cut-off
constexpr uint16_t kCleaningBit = 0x4000;    // flow state: cleaning the electrodes
constexpr uint16_t kNotMeasured = 0x8000;    // error words: quantity not measured
constexpr uint16_t kProtectionBit = 0x8000;  // register 300: write protection on
// 1 = the measuring module is on the service connector.
constexpr uint16_t kModuleLinkRegister = 1072;
constexpr uint8_t kNoiseByte = 0xFF;
constexpr uint8_t kExtraByte = 0x00;

// Upper limits of settings the instrument checks (all start at 0).
const std::map<uint16_t, uint16_t> kUpperLimits = {
    {1072, 1},    {1264, 9999}, {1793, 3},    {1815, 1}, {1840, 3},
    {1841, 100},  {1856, 1},    {1874, 1},    {1930, 2}, {1947, 1},
    {1952, 3600}, {1953, 1},    {1954, 3600}, {1955, 1}, {1956, 3},
};

Parity ParityOfCode(uint16_t code) {
  switch (code) {
    case 1:
      return Parity::kOdd;
    case 2:
      return Parity::kEven;
    default:
      return Parity::kNone;
  }
}

uint16_t CodeOfParity(Parity parity) {
  switch (parity) {
    case Parity::kOdd:
      return 1;
    case Parity::kEven:
      return 2;
    default:
      return 0;
  }
}

// Whether a value fits the field at `address`; an impossible calendar date
// such as 31 February is left to the clock's own rollover.
bool ValueAllowed(uint16_t address, uint16_t value) {
  switch (address) {
    case reg::kNetworkAddress:
      return value >= 1 && value <= 247;
    case reg::kBaudCode:
      return value >= 3 && value <= 10;
    case reg::kParity:
      return value <= 2;
    case reg::kClockYear:
      return value >= 2000 && value <= 2099;
    case reg::kClockYear + 1:
      return value >= 1 && value <= 12;
    case reg::kClockYear + 2:
      return value >= 1 && value <= 31;
    case reg::kClockYear + 3:
      return value <= 23;
    case reg::kClockYear + 4:
    case reg::kClockYear + 5:
      return value <= 59;
    default:
      break;
  }
  auto it = kUpperLimits.find(address);
  return it == kUpperLimits.end() || value <= it->second;
}

// Seconds of a civil date and time, counted as if it were UTC; only
// differences between two such counts are ever used.
int64_t CivilSeconds(unsigned year, unsigned month, unsigned day, unsigned hour, unsigned minute,
                     unsigned second) {
  std::tm tm{};
  tm.tm_year = static_cast<int>(year) - 1900;
  tm.tm_mon = static_cast<int>(month) - 1;
  tm.tm_mday = static_cast<int>(day);
  tm.tm_hour = static_cast<int>(hour);
  tm.tm_min = static_cast<int>(minute);
  tm.tm_sec = static_cast<int>(second);
  return static_cast<int64_t>(timegm(&tm));
}

double FlowInUnit(double m3h, uint16_t unit) {
  switch (unit) {
    case 0:
      return m3h / 3600.0;
    case 1:
      return m3h / 3.6;
    case 3:
      return m3h * 1000.0;
    default:
      return m3h;
  }
}

double PressureInUnit(double kpa, uint16_t unit) {
  switch (unit) {
    case 0:
      return kpa * 1000.0;
    case 2:
      return kpa / 1000.0;
    default:
      return kpa;
  }
}

void Put2(std::vector<uint16_t>& regs, uint16_t at, const std::array<uint16_t, 2>& w) {
  regs[at] = w[0];
  regs[at + 1] = w[1];
}

void Put4(std::vector<uint16_t>& regs, uint16_t at, const std::array<uint16_t, 4>& w) {
  for (int i = 0; i < 4; ++i) regs[at + i] = w[i];
}

// Spoils a finished answer as the acting faults say.
void SpoilAnswer(const std::vector<Fault>& acting, Reply* reply) {
  for (const Fault& f : acting) {
    std::vector<uint8_t>& b = reply->bytes;
    switch (f.kind) {
      case FaultKind::kBadCrc:
        if (!b.empty()) b.back() ^= 0x5A;
        break;
      case FaultKind::kWrongAddress:
        if (b.size() >= 3) {
          b.resize(b.size() - 2);
          b[0] = static_cast<uint8_t>(b[0] + 1);
          AppendSlaveCrc(b);
        }
        break;
      case FaultKind::kTruncate:
        if (f.value >= 0 && static_cast<size_t>(f.value) < b.size()) b.resize(f.value);
        break;
      case FaultKind::kExtraBytes:
        b.insert(b.end(), static_cast<size_t>(std::max(f.value, 0)), kExtraByte);
        break;
      case FaultKind::kNoiseBefore:
        b.insert(b.begin(), kNoiseByte);
        break;
      case FaultKind::kDelay:
        reply->delay_ms += std::max(f.value, 0);
        break;
      case FaultKind::kGap:
        reply->gap_after = static_cast<size_t>(std::max(f.value, 0));
        reply->gap_ms = std::max(f.gap_ms, 0);
        break;
      case FaultKind::kLineError:
        reply->line_error = true;
        break;
      case FaultKind::kLostAnswer:
        b.clear();
        break;
      default:
        break;
    }
  }
}

}  // namespace

std::string DescribeFault(const Fault& fault) {
  std::string text;
  switch (fault.kind) {
    case FaultKind::kNoAnswer:
      text = "noanswer";
      break;
    case FaultKind::kBadCrc:
      text = "crc";
      break;
    case FaultKind::kWrongAddress:
      text = "address";
      break;
    case FaultKind::kException:
      text = "exception " + std::to_string(fault.value);
      break;
    case FaultKind::kTruncate:
      text = "truncate " + std::to_string(fault.value);
      break;
    case FaultKind::kExtraBytes:
      text = "extra " + std::to_string(fault.value);
      break;
    case FaultKind::kNoiseBefore:
      text = "noise";
      break;
    case FaultKind::kDelay:
      text = "delay " + std::to_string(fault.value);
      break;
    case FaultKind::kGap:
      text = "gap " + std::to_string(fault.value) + " " + std::to_string(fault.gap_ms);
      break;
    case FaultKind::kEverySecond:
      text = "everysecond";
      break;
    case FaultKind::kLineError:
      text = "lineerror";
      break;
    case FaultKind::kLostAnswer:
      text = "lost";
      break;
  }
  if (fault.on_write >= 0) text += " on-write " + std::to_string(fault.on_write);
  if (fault.skip > 0) text += " after " + std::to_string(fault.skip);
  if (fault.remaining >= 0) text += " x" + std::to_string(fault.remaining);
  return text;
}

const char* OutcomeName(Outcome outcome) {
  switch (outcome) {
    case Outcome::kAnswered:
      return "answered";
    case Outcome::kException:
      return "exception";
    case Outcome::kBroadcast:
      return "broadcast";
    case Outcome::kSilent:
      return "silent";
    case Outcome::kRestarting:
      return "restarting";
    case Outcome::kLineMismatch:
      return "line-mismatch";
    case Outcome::kBadCrc:
      return "bad-crc";
    case Outcome::kNoInstrument:
      return "no-instrument";
    case Outcome::kMalformed:
      return "malformed";
  }
  return "?";
}

Instrument::Instrument(Clock& clock, const InstrumentSettings& settings)
    : clock_(clock), regs_(FactoryRegisters()), flow_(clock.NowMs()), latched_(7, 0) {
  SetLine(settings);
}

InstrumentSettings Instrument::configured_line() const {
  return InstrumentSettings{static_cast<uint8_t>(regs_[reg::kNetworkAddress]),
                            BaudOfCode(regs_[reg::kBaudCode]), ParityOfCode(regs_[reg::kParity])};
}

InstrumentSettings Instrument::active_line() const {
  return init_mode_ ? kInitLine : configured_line();
}

void Instrument::SetLine(const InstrumentSettings& settings) {
  regs_[reg::kNetworkAddress] = settings.address;
  regs_[reg::kBaudCode] = CodeOfBaud(settings.baud).value_or(7);
  regs_[reg::kParity] = CodeOfParity(settings.parity);
}

bool Instrument::Hears(const LineConfig& line) const {
  const InstrumentSettings active = active_line();
  return line.baud == active.baud && line.parity == active.parity;
}

bool Instrument::unlocked() const {
  return regs_[reg::kUserLock] == 1 && regs_[reg::kCalibrationLock] == 1;
}

bool Instrument::ConsumeFaults(const SlaveRequest& request, std::vector<Fault>* acting) {
  bool heard = true;
  for (Fault& f : faults_) {
    if (f.on_write >= 0 &&
        (request.function != kFunctionWriteMultiple || f.on_write < request.start ||
         f.on_write >= request.start + static_cast<int>(request.values.size()))) {
      continue;
    }
    if (f.skip > 0) {
      --f.skip;
      continue;
    }
    ++f.seen;
    bool acts = true;
    if (f.kind == FaultKind::kNoAnswer) {
      heard = false;
    } else if (f.kind == FaultKind::kEverySecond) {
      acts = f.seen % 2 == 1;
      if (acts) heard = false;
    }
    if (acts) acting->push_back(f);
    if (f.remaining > 0) --f.remaining;
  }
  std::erase_if(faults_, [](const Fault& f) { return f.remaining == 0; });
  return heard;
}

Reply Instrument::Handle(const SlaveRequest& request, int64_t now_ms) {
  Reply reply;
  if (request.address == 0) {
    // Broadcast: a write is carried out, nothing is ever answered.
    reply.outcome = Outcome::kBroadcast;
    if (request.function == kFunctionWriteMultiple && request.structural_exception == 0 &&
        CheckWrite(request) == 0) {
      ApplyWrite(request, now_ms);
    }
    return reply;
  }

  std::vector<Fault> acting;
  const bool heard = ConsumeFaults(request, &acting);
  for (const Fault& f : acting) {
    if (!reply.faults.empty()) reply.faults += ", ";
    Fault shown = f;
    shown.remaining = -1;
    reply.faults += DescribeFault(shown);
  }
  if (!heard) {
    reply.outcome = Outcome::kSilent;
    return reply;
  }

  bool answered_by_fault = false;
  for (const Fault& f : acting) {
    if (f.kind == FaultKind::kException) {
      reply.outcome = Outcome::kException;
      reply.exception = static_cast<uint8_t>(f.value);
      reply.bytes = ExceptionAnswer(request.address, request.function, reply.exception);
      answered_by_fault = true;
      break;
    }
  }
  if (!answered_by_fault) Execute(request, now_ms, &reply);
  SpoilAnswer(acting, &reply);
  return reply;
}

bool Instrument::Execute(const SlaveRequest& request, int64_t now_ms, Reply* reply) {
  uint8_t code = request.structural_exception;
  if (code == 0 && request.function == kFunctionReadHolding) {
    if (!RangeExists(request.start, request.count)) {
      code = kExceptionIllegalAddress;
    } else {
      Render(now_ms);
      std::vector<uint16_t> values(regs_.begin() + request.start,
                                   regs_.begin() + request.start + request.count);
      reply->outcome = Outcome::kAnswered;
      reply->bytes = ReadAnswer(request.address, values);
      return true;
    }
  } else if (code == 0) {
    code = CheckWrite(request);
    if (code == 0) {
      ApplyWrite(request, now_ms);
      reply->outcome = Outcome::kAnswered;
      reply->bytes = WriteAnswer(request.address, request.start, request.count);
      return true;
    }
  }
  reply->outcome = Outcome::kException;
  reply->exception = code;
  reply->bytes = ExceptionAnswer(request.address, request.function, code);
  return false;
}

uint8_t Instrument::CheckWrite(const SlaveRequest& request) const {
  if (!RangeExists(request.start, request.count)) return kExceptionIllegalAddress;
  bool needs_unlock = false;
  bool protectable = false;
  for (unsigned i = 0; i < request.count; ++i) {
    const uint16_t address = static_cast<uint16_t>(request.start + i);
    switch (*KindOf(address)) {
      case RegisterKind::kLive:
      case RegisterKind::kReadOnly:
        return kExceptionIllegalAddress;
      case RegisterKind::kConfig:
        needs_unlock = true;
        protectable = true;
        break;
      case RegisterKind::kCommand:
        needs_unlock = true;
        // A restart changes nothing the protection guards.
        if (address != reg::kRestart) protectable = true;
        break;
      default:
        break;
    }
  }
  if (needs_unlock && !unlocked()) return refusal_code_;
  if (protectable && protection_) return refusal_code_;
  for (unsigned i = 0; i < request.count; ++i) {
    if (!ValueAllowed(static_cast<uint16_t>(request.start + i), request.values[i])) {
      return kExceptionIllegalValue;
    }
  }
  return 0;
}

void Instrument::ApplyWrite(const SlaveRequest& request, int64_t now_ms) {
  // The totalisers run with the old settings up to this moment.
  flow_.Advance(now_ms, CurrentFlowSettings());
  const unsigned first = request.start;
  const unsigned end = first + request.count;
  const bool touches_clock = first <= reg::kClockSecond && end > reg::kClockYear;
  if (touches_clock) RenderClock();
  for (unsigned i = 0; i < request.count; ++i) regs_[first + i] = request.values[i];
  if (touches_clock) WriteClock(&regs_[reg::kClockYear]);
  // A1_0 of the external sensor is one value the instrument hands out at
  // two places: a write of 1925-1926 shows at 1948-1949 too.
  for (unsigned a = std::max(first, 1925u); a < std::min(end, 1927u); ++a) regs_[a + 23] = regs_[a];
  for (unsigned a = first; a < end; ++a) {
    const auto kind = KindOf(static_cast<uint16_t>(a));
    if (kind == RegisterKind::kCommand || kind == RegisterKind::kFreeCommand) {
      RunCommand(static_cast<uint16_t>(a), regs_[a], now_ms);
    }
  }
}

void Instrument::RunCommand(uint16_t address, uint16_t value, int64_t now_ms) {
  if (address == reg::kCleaning) {
    // A switch rather than a one-shot command: it reads back as set.
    if (value == 1) cleaning_since_ms_ = now_ms;
    return;
  }
  regs_[address] = 0;
  if (value == 0) return;
  switch (address) {
    case reg::kBlink:
      ++blink_count_;
      break;
    case reg::kLatch:
      Latch(now_ms);
      break;
    case reg::kRestart:
      ++restart_count_;
      silent_until_ms_ = now_ms + restart_silence_ms_;
      regs_[reg::kUserLock] = 0;
      regs_[reg::kCalibrationLock] = 0;
      break;
    case reg::kTotaliserReset:
      flow_.Advance(now_ms, CurrentFlowSettings());
      flow_.ResetTotals(now_ms);
      break;
    case reg::kOperatingTimeReset:
      flow_.ResetOperatingTime(now_ms);
      break;
    default:
      break;
  }
}

void Instrument::Latch(int64_t now_ms) {
  ++latch_count_;
  Render(now_ms);
  const uint16_t unit = regs_[reg::kFlowUnit];
  const double raw = flow_.RawFlowAt(now_ms);
  const double flow = FlowModel::IsCut(raw, CurrentFlowSettings()) ? 0.0 : raw;
  const auto words = FloatWords(static_cast<float>(FlowInUnit(flow, unit)));
  latched_[0] = words[0];
  latched_[1] = words[1];
  latched_[2] = regs_[reg::kFlowState];
  latched_[3] = regs_[reg::kFlowError];
  latched_[6] = regs_[reg::kStateWord];
}

void Instrument::WriteClock(const uint16_t* f) {
  const LocalTime host = clock_.LocalNow();
  clock_offset_s_ =
      CivilSeconds(f[0], f[1], f[2], f[3], f[4], f[5]) -
      CivilSeconds(host.year, host.month, host.day, host.hour, host.minute, host.second);
}

void Instrument::RenderClock() {
  const LocalTime host = clock_.LocalNow();
  const time_t t = static_cast<time_t>(
      CivilSeconds(host.year, host.month, host.day, host.hour, host.minute, host.second) +
      clock_offset_s_);
  std::tm tm{};
  gmtime_r(&t, &tm);
  regs_[reg::kClockYear] = static_cast<uint16_t>(tm.tm_year + 1900);
  regs_[reg::kClockYear + 1] = static_cast<uint16_t>(tm.tm_mon + 1);
  regs_[reg::kClockYear + 2] = static_cast<uint16_t>(tm.tm_mday);
  regs_[reg::kClockYear + 3] = static_cast<uint16_t>(tm.tm_hour);
  regs_[reg::kClockYear + 4] = static_cast<uint16_t>(tm.tm_min);
  regs_[reg::kClockYear + 5] = static_cast<uint16_t>(tm.tm_sec);
}

float Instrument::ConfigFloat(uint16_t address) const {
  return FloatFromWords(regs_[address], regs_[address + 1]);
}

uint32_t Instrument::LongLowFirst(uint16_t address) const {
  return static_cast<uint32_t>(regs_[address + 1]) << 16 | regs_[address];
}

FlowSettings Instrument::CurrentFlowSettings() const {
  FlowSettings s;
  s.max_flow_m3h = ConfigFloat(reg::kMaxFlow);
  s.cutoff_percent = ConfigFloat(reg::kCutOff);
  s.pulse_output = regs_[reg::kOutputType] == 3;
  s.volume_per_pulse_m3 = ConfigFloat(reg::kPulseVolumePerPulse);
  s.pulse_period_s = (regs_[reg::kPulseLength] + regs_[reg::kPulsePause]) / 1000.0;
  return s;
}

void Instrument::Render(int64_t now_ms) {
  const FlowSettings settings = CurrentFlowSettings();
  flow_.Advance(now_ms, settings);
  auto apply_overrides = [this] {
    for (const auto& [address, value] : overrides_) regs_[address] = value;
  };

  // The measured-value block.
  const double raw = flow_.RawFlowAt(now_ms);
  const bool cut = FlowModel::IsCut(raw, settings);
  const double flow = cut ? 0.0 : raw;
  const uint16_t unit = regs_[reg::kFlowUnit];
  const unsigned order = float_order_;
  auto put_float = [&](uint16_t at, double v) {
    Put2(regs_, at, FloatWords(static_cast<float>(v), order));
  };

  put_float(reg::kFlow, FlowInUnit(flow, unit));
  const double relative =
      settings.max_flow_m3h > 0 ? std::fabs(flow) / settings.max_flow_m3h * 65535.0 : 0.0;
  regs_[reg::kRelativeFlow] = static_cast<uint16_t>(std::min(relative, 65535.0));
  const bool cleaning = regs_[reg::kCleaning] == 1 &&
                        now_ms - cleaning_since_ms_ < int64_t{regs_[reg::kCleaningTime]} * 1000;
  regs_[reg::kFlowState] =
      static_cast<uint16_t>((cut ? kCutOffBit : 0) | (cleaning ? kCleaningBit : 0));
  regs_[reg::kFlowError] = 0;
  regs_[reg::kFlowUnitAndOrder] = static_cast<uint16_t>((order << 8) | (unit & 0xFF));
  const double diameter_m = ConfigFloat(reg::kPipeDiameter) / 1000.0;
  const double area = 3.14159265358979 * diameter_m * diameter_m / 4.0;
  put_float(reg::kVelocity, area > 0 ? flow / 3600.0 / area : 0.0);
  regs_[reg::kVelocityError] = 0;
  regs_[265] = 0;
  put_float(reg::kPipeTemperature, FlowModel::PipeTemperatureAt(now_ms));
  regs_[reg::kPipeTemperatureError] = 0;
  put_float(reg::kModuleTemperature, FlowModel::ModuleTemperatureAt(now_ms));
  regs_[reg::kModuleTemperatureError] = 0;
  const bool sensor_on = regs_[reg::kSensorMeasuring] == 1;
  const double process_t = FlowModel::ProcessTemperatureAt(now_ms);
  const double pressure = FlowModel::PressureAt(now_ms);
  put_float(reg::kProcessTemperature1, sensor_on ? process_t : 0.0);
  regs_[reg::kProcessTemperature1Error] = sensor_on ? 0 : kNotMeasured;
  put_float(reg::kProcessTemperature2, 0.0);
  regs_[reg::kProcessTemperature2Error] = kNotMeasured;
  put_float(reg::kPressure, sensor_on ? pressure : 0.0);
  regs_[reg::kPressureError] = sensor_on ? 0 : kNotMeasured;

  const double volume_scale = regs_[reg::kVolumeUnitSetting] == 1 ? 1000.0 : 1.0;
  const double forward = flow_.forward_m3() * volume_scale;
  const double reverse = flow_.reverse_m3() * volume_scale;
  Put4(regs_, reg::kVolumeTotal, DoubleWords(forward - reverse));
  Put4(regs_, reg::kVolumeForward, DoubleWords(forward));
  Put4(regs_, reg::kVolumeReverse, DoubleWords(reverse));
  Put4(regs_, reg::kVolumeModulus, DoubleWords(forward + reverse));
  regs_[reg::kVolumeState] = 0;
  regs_[reg::kVolumeError] = 0;
  regs_[reg::kVolumeUnit] = regs_[reg::kVolumeUnitSetting] & 0xFF;
  regs_[reg::kStateWord] = static_cast<uint16_t>(keys_ | (protection_ ? kProtectionBit : 0));
  Put2(regs_, reg::kAccumulationTime, LongWordsHighFirst(flow_.AccumulationSeconds(now_ms)));
  Put2(regs_, reg::kOperatingTime, LongWordsHighFirst(flow_.OperatingSeconds(now_ms)));
  // Standard conditions: 101.325 kPa and 20 degrees Celsius.
  const double standard =
      sensor_on ? flow * (pressure / 101.325) * (293.15 / (process_t + 273.15)) : flow;
  Put2(regs_, reg::kStandardFlow, FloatWords(static_cast<float>(FlowInUnit(standard, unit))));
  apply_overrides();

  // What follows the block: the module's own view and the raw error words.
  // A module handed to the service connector (1072 = 1) no longer talks to
  // the instrument, whose copy of its data stays as last heard.
  if (regs_[kModuleLinkRegister] != 1) {
    Put2(regs_, reg::kModuleFlow, FloatWords(static_cast<float>(raw)));
    regs_[reg::kModuleErrorHi] = regs_[reg::kFlowState];
    regs_[reg::kModuleErrorLo] = regs_[reg::kFlowError];
  }
  regs_[reg::kRawErrorHi] = regs_[reg::kFlowState];
  regs_[reg::kRawErrorLo] = regs_[reg::kFlowError];
  Put4(regs_, reg::kPulseVolume, DoubleWords(flow_.pulse_backlog_m3()));
  for (int i : {0, 1, 2, 3, 6}) regs_[reg::kLatchedFlow + i] = latched_[i];

  // The external sensor module.
  const uint16_t sensor_state = sensor_on ? 0 : kNotMeasured;
  // Its converter runs whether or not the instrument processes what it
  // gives, so the codes can be calibrated with the measurement off.
  const SensorReadout adc = SensorReadoutAt(
      now_ms, PressureInUnit(pressure, regs_[reg::kSensorPressureUnit]), process_t,
      {ConfigFloat(1931), ConfigFloat(1933), ConfigFloat(1935), ConfigFloat(1937),
       LongLowFirst(1925), LongLowFirst(1921), ConfigFloat(1923), LongLowFirst(1984),
       ConfigFloat(1986), LongLowFirst(1988), ConfigFloat(1990)});
  Put2(regs_, reg::kSensorAdcA1, LongWordsHighFirst(adc.a1));
  Put2(regs_, reg::kSensorAdcA2, LongWordsHighFirst(adc.a2));
  Put2(regs_, reg::kSensorAdcA2Second, LongWordsHighFirst(adc.a2));
  regs_[reg::kSensorAdcError] = 0;
  Put2(regs_, reg::kSensorVoltage, FloatWords(static_cast<float>(adc.voltage)));
  regs_[521] = 0;
  Put2(regs_, reg::kSensorResistance, FloatWords(static_cast<float>(adc.resistance)));
  regs_[524] = 0;
  Put2(regs_, reg::kSensorPressure,
       FloatWords(
           sensor_on ? static_cast<float>(PressureInUnit(pressure, regs_[reg::kSensorPressureUnit]))
                     : 0.0f));
  regs_[527] = 0;
  regs_[reg::kSensorPressureState] = sensor_state;
  Put2(regs_, reg::kSensorTemperature,
       FloatWords(sensor_on ? static_cast<float>(process_t) : 0.0f));
  regs_[reg::kSensorTemperatureState] = sensor_state;

  regs_[reg::kInitFlag] = init_mode_ ? 1 : 0;
  RenderClock();
  apply_overrides();
}

uint16_t Instrument::Get(uint16_t address) {
  return Get(address, 1)[0];
}

std::vector<uint16_t> Instrument::Get(uint16_t start, unsigned count) {
  Render(clock_.NowMs());
  std::vector<uint16_t> values;
  for (unsigned i = 0; i < count && start + i < regs_.size(); ++i)
    values.push_back(regs_[start + i]);
  return values;
}

void Instrument::Set(uint16_t address, uint16_t value) {
  if (address == reg::kStateWord) {
    SetKeys(value);
    protection_ = (value & kProtectionBit) != 0;
    return;
  }
  if (address == reg::kInitFlag) {
    init_mode_ = value != 0;
    return;
  }
  if (address >= reg::kClockYear && address <= reg::kClockSecond) {
    RenderClock();
    regs_[address] = value;
    WriteClock(&regs_[reg::kClockYear]);
    return;
  }
  if (KindOf(address) == RegisterKind::kLive) {
    overrides_[address] = value;
    return;
  }
  regs_[address] = value;
}

void Instrument::SetFloat(uint16_t address, float value) {
  const auto w = FloatWords(value);
  Set(address, w[0]);
  Set(static_cast<uint16_t>(address + 1), w[1]);
}

void Instrument::ClearOverride(uint16_t address) {
  overrides_.erase(address);
}
void Instrument::ClearOverrides() {
  overrides_.clear();
}

}  // namespace qmx::sim
