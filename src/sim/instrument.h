// One flow meter as a Modbus RTU slave: its line settings, its registers and
// the rules it applies to writes (write lock, write protection, INIT mode),
// its commands, its running measurement and the faults it can be told to
// make.  Plain data in, bytes out: the line itself (timing, framing, several
// instruments on one pair) is the bus's business.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "link/clock.h"
#include "link/serial_port.h"
#include "sim/flow_model.h"
#include "sim/slave_frame.h"

namespace qmx::sim {

// How an instrument talks on the line.
struct InstrumentSettings {
  uint8_t address = 1;
  uint32_t baud = 19200;
  Parity parity = Parity::kNone;

  bool operator==(const InstrumentSettings&) const = default;
};

// The line an instrument in INIT mode talks on, whatever it was set to.
constexpr InstrumentSettings kInitLine{1, 19200, Parity::kNone};

enum class FaultKind : uint8_t {
  kNoAnswer,      // the request goes unheard: not executed, no answer
  kBadCrc,        // the answer's CRC is wrong
  kWrongAddress,  // the answer carries another address (its CRC fits it)
  kException,     // an exception answer with code `value`, not executed
  kTruncate,      // only the first `value` bytes of the answer are sent
  kExtraBytes,    // `value` bytes follow the answer
  kNoiseBefore,   // one stray byte goes on the line before the answer
  kDelay,         // the answer comes `value` ms late
  kGap,           // the line pauses `gap_ms` after byte `value` of the answer
  kEverySecond,   // only every second request is heard (the first is not)
  kLineError,     // the answer arrives with receive errors (parity/framing)
  kLostAnswer,    // the request is executed, its answer never arrives
};

struct Fault {
  FaultKind kind = FaultKind::kNoAnswer;
  int value = 0;
  int gap_ms = 0;
  // Requests still to be affected; -1 until cleared.
  int remaining = -1;
  // Requests this fault has seen (for kEverySecond).
  int seen = 0;
  // Requests (of those it applies to) let through untouched before it acts:
  // "after N" hits only the (N + 1)th request from now.
  int skip = 0;
  // Only requests that write this register (a write whose range covers it);
  // -1: every request.  Others pass untouched and do not count.
  int on_write = -1;
};

// "noanswer", "crc", "address", "exception 4", "truncate 5", "extra 2",
// "noise", "delay 3000", "gap 3 50", "everysecond", "lineerror", "lost", each
// with " on-write R" when it hits only writes of register R, " after N" when
// it lets N requests pass first, and " xN" when it lasts for N requests.
std::string DescribeFault(const Fault& fault);

// What happened to a request.
enum class Outcome : uint8_t {
  kAnswered,      // a normal answer went out (possibly spoilt by faults)
  kException,     // an exception answer went out
  kBroadcast,     // a broadcast write: executed, never answered
  kSilent,        // heard, but a fault kept the instrument quiet
  kRestarting,    // arrived while the instrument was restarting
  kLineMismatch,  // nobody listens at this baud rate and parity
  kBadCrc,        // the frame's CRC is wrong: noise to every instrument
  kNoInstrument,  // no instrument has this address
  kMalformed,     // too short to be a request
};
const char* OutcomeName(Outcome outcome);

// What one instrument puts on the line for one request.
struct Reply {
  Outcome outcome = Outcome::kSilent;
  uint8_t exception = 0;
  std::vector<uint8_t> bytes;  // empty = nothing sent
  int64_t delay_ms = 0;        // extra wait before the first byte
  size_t gap_after = 0;        // bytes sent before a pause (0 = none)
  int64_t gap_ms = 0;
  bool line_error = false;
  std::string faults;  // the faults that acted, for the journal
};

class Instrument {
 public:
  explicit Instrument(Clock& clock, const InstrumentSettings& settings = {});

  // --- the line --------------------------------------------------------------
  // The settings in registers 1032..1034.
  InstrumentSettings configured_line() const;
  // What it listens and talks with now: the configured line, or the INIT
  // line while in INIT mode.
  InstrumentSettings active_line() const;
  // Changes the configured line (the front-panel menu, for the tests).
  void SetLine(const InstrumentSettings& settings);
  // Whether a request made with `line` reaches it as a request and not as
  // noise.  Stop bits do not matter: a receiver checks only the first.
  bool Hears(const LineConfig& line) const;
  bool Restarting(int64_t now_ms) const { return now_ms < silent_until_ms_; }

  // Handles a CRC-checked request addressed to it (or broadcast) at `now_ms`.
  Reply Handle(const SlaveRequest& request, int64_t now_ms);

  // --- registers (control side: no rules apply) ------------------------------
  // The value the line would read now.
  uint16_t Get(uint16_t address);
  std::vector<uint16_t> Get(uint16_t start, unsigned count);
  // Sets a register.  A live register keeps the value until ClearOverride;
  // 300 sets the keys and the protection switch; 1048 the INIT switch; the
  // clock sets the clock offset; 1032..1034 the line.
  void Set(uint16_t address, uint16_t value);
  void SetFloat(uint16_t address, float value);  // byte order 0
  void ClearOverride(uint16_t address);
  void ClearOverrides();

  // --- switches and settings -------------------------------------------------
  void SetWriteProtection(bool on) { protection_ = on; }
  bool write_protection() const { return protection_; }
  void SetInitMode(bool on) { init_mode_ = on; }
  bool init_mode() const { return init_mode_; }
  // Both lock registers 1278..1279 hold 1.
  bool unlocked() const;
  // Exception code for a write refused by the lock or the protection.
  void SetRefusalCode(uint8_t code) { refusal_code_ = code; }
  uint8_t refusal_code() const { return refusal_code_; }
  void SetRestartSilenceMs(int64_t ms) { restart_silence_ms_ = ms; }
  int64_t restart_silence_ms() const { return restart_silence_ms_; }

  // --- measurement -----------------------------------------------------------
  void SetFlow(double set_m3h, double ripple = 0.03) { flow_.SetFlow(set_m3h, ripple); }
  // Float byte-order code 0..3 of the measured-value block (register 261).
  void SetFloatByteOrder(unsigned code) { float_order_ = code & 3; }
  unsigned float_byte_order() const { return float_order_; }
  // Front-panel keys and discrete outputs: the bits of register 300 but 15.
  void SetKeys(uint16_t bits) { keys_ = bits & 0x7FFF; }
  FlowModel& flow() { return flow_; }

  // --- faults ----------------------------------------------------------------
  void AddFault(const Fault& fault) { faults_.push_back(fault); }
  void ClearFaults() { faults_.clear(); }
  const std::vector<Fault>& faults() const { return faults_; }

  // --- what it did -----------------------------------------------------------
  unsigned blink_count() const { return blink_count_; }
  unsigned latch_count() const { return latch_count_; }
  unsigned restart_count() const { return restart_count_; }

 private:
  bool Execute(const SlaveRequest& request, int64_t now_ms, Reply* reply);
  uint8_t CheckWrite(const SlaveRequest& request) const;
  void ApplyWrite(const SlaveRequest& request, int64_t now_ms);
  void RunCommand(uint16_t address, uint16_t value, int64_t now_ms);
  void WriteClock(const uint16_t* fields);
  void Render(int64_t now_ms);
  void RenderClock();
  FlowSettings CurrentFlowSettings() const;
  float ConfigFloat(uint16_t address) const;
  // Two registers, low word first (the external sensor's ADC codes).
  uint32_t LongLowFirst(uint16_t address) const;
  void Latch(int64_t now_ms);
  // Faults of this request; returns false when one keeps it unheard.
  bool ConsumeFaults(const SlaveRequest& request, std::vector<Fault>* acting);

  Clock& clock_;
  std::vector<uint16_t> regs_;
  std::map<uint16_t, uint16_t> overrides_;
  FlowModel flow_;
  bool protection_ = false;
  bool init_mode_ = false;
  uint8_t refusal_code_ = kExceptionIllegalFunction;
  int64_t restart_silence_ms_ = 2000;
  int64_t silent_until_ms_ = 0;
  unsigned float_order_ = 0;
  uint16_t keys_ = 0;
  int64_t clock_offset_s_ = 0;
  int64_t cleaning_since_ms_ = 0;
  std::vector<uint16_t> latched_;
  std::vector<Fault> faults_;
  unsigned blink_count_ = 0;
  unsigned latch_count_ = 0;
  unsigned restart_count_ = 0;
};

}  // namespace qmx::sim
