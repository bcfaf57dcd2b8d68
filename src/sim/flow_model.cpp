#include "sim/flow_model.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace qmx::sim {
namespace {

// Integration step: fine enough that the totaliser of a steady flow is
// exact and a wandering one is within a part per million.
constexpr int64_t kStepMs = 100;

double Wave(int64_t ms, double period_s) {
  return std::sin(2.0 * std::numbers::pi * static_cast<double>(ms) / (period_s * 1000.0));
}

// -3..3 counts, the same for the same moment and channel.
int AdcNoise(int64_t ms, uint32_t channel) {
  uint32_t x = (static_cast<uint32_t>(ms / 50) * 2654435761u) ^ (channel * 40503u);
  x ^= x >> 15;
  x *= 2246822519u;
  x ^= x >> 13;
  return static_cast<int>(x % 7) - 3;
}

// The code `share` of the way from `zero` to `full`, with noise.
uint32_t Code(double share, uint32_t zero, uint32_t full, int noise) {
  const double code = zero + share * (static_cast<double>(full) - zero) + noise;
  return static_cast<uint32_t>(std::llround(std::clamp(code, 0.0, 4294967295.0)));
}

double Share(double value, double low, double high) {
  return high != low ? (value - low) / (high - low) : 0.0;
}

uint32_t Seconds(int64_t now_ms, int64_t origin_ms, uint32_t base_s) {
  const int64_t elapsed = now_ms > origin_ms ? (now_ms - origin_ms) / 1000 : 0;
  return static_cast<uint32_t>(base_s + elapsed);
}

}  // namespace

FlowModel::FlowModel(int64_t now_ms)
    : integrated_to_ms_(now_ms), accumulation_origin_ms_(now_ms), operating_origin_ms_(now_ms) {}

void FlowModel::SetFlow(double set_m3h, double ripple) {
  set_m3h_ = set_m3h;
  ripple_ = std::clamp(ripple, 0.0, 0.5);
}

double FlowModel::RawFlowAt(int64_t ms) const {
  // Two slow waves of unrelated periods: smooth, never periodic to the eye.
  double set = set_m3h_;
  if (step_period_ms_ > 0 && (ms / step_period_ms_) % 2 == 1) set += step_m3h_;
  return set * (1.0 + ripple_ * (0.75 * Wave(ms, 20.0) + 0.25 * Wave(ms, 3.7)));
}

bool FlowModel::IsCut(double flow_m3h, const FlowSettings& settings) {
  if (settings.max_flow_m3h <= 0.0) return false;
  return std::fabs(flow_m3h) * 100.0 / settings.max_flow_m3h < settings.cutoff_percent;
}

void FlowModel::Advance(int64_t now_ms, const FlowSettings& settings) {
  while (integrated_to_ms_ < now_ms) {
    const int64_t step = std::min(kStepMs, now_ms - integrated_to_ms_);
    const double flow = RawFlowAt(integrated_to_ms_ + step / 2);
    const double volume = IsCut(flow, settings) ? 0.0 : flow * static_cast<double>(step) / 3.6e6;
    if (volume >= 0) {
      forward_m3_ += volume;
    } else {
      reverse_m3_ -= volume;
    }
    if (settings.pulse_output) {
      // The output sends pulses as fast as pulse length and pause allow;
      // what it cannot send yet waits in the backlog.
      pulse_backlog_m3_ += std::fabs(volume);
      const double drain = settings.pulse_period_s > 0.0
                               ? settings.volume_per_pulse_m3 * static_cast<double>(step) /
                                     (settings.pulse_period_s * 1000.0)
                               : pulse_backlog_m3_;
      pulse_backlog_m3_ = std::max(0.0, pulse_backlog_m3_ - drain);
    } else {
      pulse_backlog_m3_ = 0.0;
    }
    integrated_to_ms_ += step;
  }
}

void FlowModel::SetTotals(double forward_m3, double reverse_m3) {
  forward_m3_ = forward_m3;
  reverse_m3_ = reverse_m3;
}

void FlowModel::ResetTotals(int64_t now_ms) {
  forward_m3_ = 0.0;
  reverse_m3_ = 0.0;
  accumulation_origin_ms_ = now_ms;
  accumulation_base_s_ = 0;
}

void FlowModel::ResetOperatingTime(int64_t now_ms) {
  operating_origin_ms_ = now_ms;
  operating_base_s_ = 0;
}

uint32_t FlowModel::AccumulationSeconds(int64_t now_ms) const {
  return Seconds(now_ms, accumulation_origin_ms_, accumulation_base_s_);
}

uint32_t FlowModel::OperatingSeconds(int64_t now_ms) const {
  return Seconds(now_ms, operating_origin_ms_, operating_base_s_);
}

double FlowModel::PipeTemperatureAt(int64_t ms) {
  return 21.3 + 0.4 * Wave(ms, 300.0);
}
double FlowModel::ModuleTemperatureAt(int64_t ms) {
  return 34.0 + 0.2 * Wave(ms, 420.0);
}
double FlowModel::ProcessTemperatureAt(int64_t ms) {
  return 18.7 + 0.3 * Wave(ms, 240.0);
}
double FlowModel::PressureAt(int64_t ms) {
  return 412.0 + 3.0 * Wave(ms, 45.0);
}

SensorReadout SensorReadoutAt(int64_t ms, double pressure, double temperature_c,
                              const SensorCalibration& c) {
  SensorReadout out;
  const double voltage = c.voltage_low + Share(pressure, c.pressure_low, c.pressure_high) *
                                             (c.voltage_high - c.voltage_low);
  out.a1 = Code(c.a1_umax != 0.0 ? voltage / c.a1_umax : 0.0, c.a1_zero, c.a1_max, AdcNoise(ms, 1));
  out.voltage = Share(out.a1, c.a1_zero, c.a1_max) * c.a1_umax;
  const double resistance = 100.0 * (1.0 + 0.00385 * temperature_c);
  out.a2 = Code(Share(resistance, c.r_min, c.r_max), c.a2_min, c.a2_max, AdcNoise(ms, 2));
  out.resistance = c.r_min + Share(out.a2, c.a2_min, c.a2_max) * (c.r_max - c.r_min);
  return out;
}

}  // namespace qmx::sim
