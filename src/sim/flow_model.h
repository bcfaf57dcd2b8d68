// The physics behind the measured values: a flow that wanders smoothly
// around its set value, the temperatures and pressure of the pipe, the
// totalisers it fills and the time counters.  Time is the instrument's
// millisecond clock; everything is a function of it, so tests in virtual
// time see exactly reproducible values.
#pragma once

#include <cstdint>

namespace qmx::sim {

// What the model needs from the instrument's configuration.
struct FlowSettings {
  double max_flow_m3h = 70.0;   // 100 % of the relative flow
  double cutoff_percent = 1.0;  // below this share of the maximum: no flow
  bool pulse_output = false;    // output type "pulse"
  double volume_per_pulse_m3 = 0.01;
  double pulse_period_s = 0.1;  // pulse plus pause
};

// The external sensor's calibration as the instrument holds it (1921-1926,
// 1931-1938, 1984-1991): pressures in the unit of 1930.
struct SensorCalibration {
  double voltage_low = 0.0;
  double pressure_low = 0.0;
  double voltage_high = 0.0;
  double pressure_high = 0.0;
  uint32_t a1_zero = 0;  // ADC code at pressure zero
  uint32_t a1_max = 0;   // ADC code at the upper pressure point
  double a1_umax = 0.0;  // bridge voltage there, V
  uint32_t a2_min = 0;   // ADC codes and resistances of the temperature points
  double r_min = 0.0;
  uint32_t a2_max = 0;
  double r_max = 0.0;
};

// What the sensor's converter gives: a few counts of noise around the codes
// the calibration points put on the pressure and the temperature, and the
// voltage and resistance it derives from those codes.
struct SensorReadout {
  uint32_t a1 = 0;
  uint32_t a2 = 0;
  double voltage = 0.0;     // V
  double resistance = 0.0;  // ohm
};

// `pressure` in the unit of the calibration; a platinum resistor with 100
// ohm at 0 degrees Celsius.
SensorReadout SensorReadoutAt(int64_t ms, double pressure, double temperature_c,
                              const SensorCalibration& calibration);

class FlowModel {
 public:
  explicit FlowModel(int64_t now_ms = 0);

  // Set value in m3/h (negative = reverse flow) and the relative size of
  // the slow wander around it (0 = perfectly steady).
  void SetFlow(double set_m3h, double ripple);
  double set_flow() const { return set_m3h_; }
  // A step of `step_m3h` added to the set value for every second period of
  // `period_ms` (a pump that starts and stops), so that a trend has
  // something to show; a period of 0 turns it off (the default).
  void SetSteps(double step_m3h, int64_t period_ms) {
    step_m3h_ = step_m3h;
    step_period_ms_ = period_ms > 0 ? period_ms : 0;
  }
  double ripple() const { return ripple_; }

  // Flow at a moment, m3/h, before the cut-off.
  double RawFlowAt(int64_t ms) const;
  // True when the flow at `ms` lies below the cut-off.
  static bool IsCut(double flow_m3h, const FlowSettings& settings);

  // Integrates the totalisers and the pulse backlog up to `now_ms`.  Time
  // never runs backwards for the model: an earlier moment is ignored.
  void Advance(int64_t now_ms, const FlowSettings& settings);

  double forward_m3() const { return forward_m3_; }
  double reverse_m3() const { return reverse_m3_; }
  double pulse_backlog_m3() const { return pulse_backlog_m3_; }
  void SetTotals(double forward_m3, double reverse_m3);

  void ResetTotals(int64_t now_ms);
  void ResetOperatingTime(int64_t now_ms);
  uint32_t AccumulationSeconds(int64_t now_ms) const;
  uint32_t OperatingSeconds(int64_t now_ms) const;

  // Process conditions, degrees Celsius and kPa.
  static double PipeTemperatureAt(int64_t ms);
  static double ModuleTemperatureAt(int64_t ms);
  static double ProcessTemperatureAt(int64_t ms);
  static double PressureAt(int64_t ms);

 private:
  double set_m3h_ = 12.5;
  double ripple_ = 0.03;
  double step_m3h_ = 0.0;
  int64_t step_period_ms_ = 0;
  double forward_m3_ = 1523.4567;
  double reverse_m3_ = 12.25;
  double pulse_backlog_m3_ = 0.0;
  int64_t integrated_to_ms_;
  // The counters count whole seconds from their origin, starting at a base.
  int64_t accumulation_origin_ms_;
  uint32_t accumulation_base_s_ = 1209600;  // two weeks since the last reset
  int64_t operating_origin_ms_;
  uint32_t operating_base_s_ = 2592000;  // thirty days in service
};

}  // namespace qmx::sim
