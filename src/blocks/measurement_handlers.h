// What the buttons and poll ticks of the measured-value views and the
// measuring-module tab do with the instrument and the controls.  The window
// adds what is its own business around each call: stopping a poll, enabling
// its timers, moving the focus, and running the call through the exchange
// gate.
//
// Counting rule of the poll:
//   exchange cycles      +1 per cycle;
//   exchange errors      +1 when the status has a bit of 0x7FFF (no answer,
//                        a spoilt answer, an exception, a refused request);
//   retries              +1 when the status has 0x8000 (a repetition made);
//   measurement errors   +1 when the block was read (possibly after a
//                        repetition) and the flow it reports is in its error
//                        state: an error word or a state bit from 7 up set.
//                        Cut-off is not an error; a failed read says nothing
//                        about the measurement and is not counted here.
#pragma once

#include <array>
#include <cstdint>

#include "blocks/measured_values.h"
#include "blocks/measurement_records.h"
#include "blocks/module_data.h"
#include "link/link.h"
#include "operator/controls.h"
#include "operator/dialogs.h"
#include "storage/profile.h"

namespace qmx {

inline constexpr uint16_t kLatchCommand = 1047;
inline constexpr uint16_t kLatchedBlockStart = 768;
inline constexpr uint8_t kLatchedBlockCount = 11;

// What the views keep for the whole run.  `last_status` is the program's
// last exchange status: other reads that mark the exchange state (register
// 300, the INIT flag) store theirs here too.
struct MeasurementState {
  MeasuredValues values;
  ExchangeCounters counters;
  ModuleData module;
  ErrorEnables enables;
  // The latched block as the instrument sent it.  Its layout is not known
  // well enough to show it as measured values, so it is only kept.
  std::array<uint16_t, kLatchedBlockCount> latched_block{};
  uint16_t last_status = 0;
  // Record files refused for the run's records and told to the operator.
  RecordRefusals record_refusals;
};

struct MeasurementContext {
  Link& link;
  Dialogs& dialogs;
  Controls& controls;
  MeasurementState& state;
  const RecordFiles& records;  // write_file and the file names
};

// The record line of `kind` for `values`, or the module's line, written as
// WriteMeasurementRecord writes it.  A record file whose name is taken by
// something other than a regular file is named to the operator in an error
// box the first time (RecordRefusals); the reading goes on either way.
void RecordMeasurement(const MeasurementContext& context, RecordKind kind,
                       const MeasuredValues& values);
void RecordModule(const MeasurementContext& context);

struct PollCycleResult {
  ExchangeOutcome outcome;
  // Time the reads of the cycle took on the link's clock (for the status
  // line of the window).
  int64_t exchange_ms = 0;
};

// "Прочитать однократно" (Button3Click).  Any failure, a success after a
// repetition included, shows the values as they stand and the outcome
// message instead of the success box; recording follows success only.
ExchangeOutcome ReadMeasuredOnce(const MeasurementContext& context);

// "Прочитать" on "ИЗМЕРЕНИЕ" (BitBtn5Click after the poll is stopped): as
// ReadMeasuredOnce, and a failure also puts "Ошибка обмена" in yellow into
// Memo1 before the message.
ExchangeOutcome ReadMeasuredOnceCompact(const MeasurementContext& context);

// "Сброс счетчиков" (Button8Click): asks, then clears and shows the counters.
// No device access.
void ResetCounters(const MeasurementContext& context);

// "Защелкнуть значение" (Button6Click after the poll is stopped): frees the
// single-read and start buttons, then writes the latch command.
ExchangeOutcome LatchMeasuredValue(const MeasurementContext& context);

// "Прочитать защелкнутое" (Button7Click after the poll is stopped): frees the
// buttons as above, reads the latched block and keeps it, shows the views,
// records and reports like ReadMeasuredOnce.  A failed read (a repetition
// included) only reports: the display keeps what it showed.
ExchangeOutcome ReadLatchedValue(const MeasurementContext& context);

// One cycle of the measured-value poll (the body of Timer3's tick while the
// poll runs): read; on a clean exchange show both views, otherwise put
// "Ошибка обмена" in yellow into Memo1 and "Ошибка в обмене" into Panel6 and
// keep the values as they were; count; show the counters; record when
// recording is on, after failed reads too.  Never opens a box.
PollCycleResult RunMeasurementPollCycle(const MeasurementContext& context);

// "Прочитать" on "Изм. модуль" (Button70Click): read, show (also after a
// failure), then the outcome message, or the record line and the success box.
ExchangeOutcome ReadModuleOnce(const MeasurementContext& context);

// One cycle of the module poll (Timer12's tick while it runs): read, show,
// record when recording is on.  Counts nothing and never opens a box.
PollCycleResult RunModulePollCycle(const MeasurementContext& context);

// "Прочитать разрешения ошибок" (Button83Click).  The enables are settings,
// not a measurement, so no record line is written for them.
ExchangeOutcome ReadErrorEnablesOnce(const MeasurementContext& context);

// The buttons of the measured-value poll on "Измеренное значение": while it
// runs, "Прочитать однократно" (Button3) and "Начать циклический опрос"
// (Button4) are disabled and "Завершить цикл. опрос" (Button5) enabled.
void ShowMeasurementPollButtons(Controls& controls, bool polling);
// The module poll's buttons: Button70, Button71 against Button72.
void ShowModulePollButtons(Controls& controls, bool polling);

}  // namespace qmx
