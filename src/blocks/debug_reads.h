// The two debugging tabs of the service layout: "Отладка измерения" looks at
// the instrument's processing results (registers 288-305), "Отладка АЦП" at
// the raw ADC codes and quantities of the external sensor (512-524).  Each
// tab reads its run of words once or once a second and shows every word in
// hexadecimal and in decimal, so that an engineer can follow what the
// instrument computes without a second tool on the line.
//
// The poll of a tab runs only while its tab is the visible page: a tick that
// finds another page stops it and puts its buttons at rest.
#pragma once

#include <cstdint>
#include <vector>

#include "blocks/measurement_handlers.h"

namespace qmx {

enum class DebugTab { kMeasurement, kAdc };

struct DebugTabInfo {
  const char* page;           // object name of the tab sheet
  uint16_t start;             // first register read
  uint8_t count;              // registers read
  const char* grid;           // the words: register, hexadecimal, decimal
  const char* panel;          // exchange state and the time of the last read
  const char* single_button;  // "Прочитать однократно"
  const char* start_button;   // start of the poll
  const char* stop_button;    // its end
  bool records;               // appends processing-result lines
};

const DebugTabInfo& DebugTabOf(DebugTab tab);

inline constexpr char kDebugExchangeNormal[] = "Нормальный обмен";
inline constexpr char kDebugExchangeFailed[] = "Ошибка в обмене";
inline constexpr char kDebugNeverRead[] = "Не прочитано";

// What a tab holds for the whole run: the words of the last read that came
// through, and when.
struct DebugWords {
  std::vector<uint16_t> words;
  bool read_once = false;
  LocalTime read_at;
};

struct DebugState {
  DebugWords measurement;
  DebugWords adc;
  bool measurement_polling = false;
  bool adc_polling = false;

  DebugWords& Words(DebugTab tab) { return tab == DebugTab::kAdc ? adc : measurement; }
  bool& Polling(DebugTab tab) { return tab == DebugTab::kAdc ? adc_polling : measurement_polling; }
};

// The grid's header and register column; the word columns stay empty until
// the first read.
void InitDebugGrid(Controls& controls, DebugTab tab);

// "Прочитать однократно": after the instrument's usual 100 ms pause before a
// read, one read of the tab's words; the grid and the panel show the outcome
// (the words of the last good read stay, the panel turns yellow); a failure,
// a success after a repetition included, shows the outcome message.  A good
// read of "Отладка измерения" appends a processing-results line when both
// write_file and write_all_izm_file are on: the measured values of the last
// measured-value read with the key and output bits of register 300 taken
// from the words just read (the line's other fields lie outside 288-305).
ExchangeOutcome ReadDebugOnce(const MeasurementContext& context, DebugState& state, DebugTab tab);

// One tick of a tab's poll: the same read without any box.
PollCycleResult RunDebugPollCycle(const MeasurementContext& context, DebugState& state,
                                  DebugTab tab);

// While a tab polls, its single read and start button are disabled and its
// stop button enabled; at rest the other way round.
void ShowDebugPollButtons(Controls& controls, DebugTab tab, bool polling);

}  // namespace qmx
