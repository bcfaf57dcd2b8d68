#include "blocks/debug_reads.h"

#include <cstdio>

#include "blocks/measurement_records.h"
#include "operator/operation_report.h"

namespace qmx {
namespace {

constexpr int kPauseBeforeReadMs = 100;
constexpr uint16_t kStateWordRegister = 300;

const DebugTabInfo kMeasurementTab{.page = "TabSheet_MeasurementDebug",
                                   .start = 288,
                                   .count = 18,
                                   .grid = "MeasurementDebugGrid",
                                   .panel = "MeasurementDebugState",
                                   .single_button = "Button18",
                                   .start_button = "Button19",
                                   .stop_button = "Button20",
                                   .records = true};
const DebugTabInfo kAdcTab{.page = "TabSheet_AdcDebug",
                           .start = 512,
                           .count = 13,
                           .grid = "AdcDebugGrid",
                           .panel = "AdcDebugState",
                           .single_button = "Button35",
                           .start_button = "Button36",
                           .stop_button = "Button37",
                           .records = false};

std::string Printed(const char* format, unsigned value) {
  char text[16];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

std::string TimeText(const LocalTime& t) {
  char text[16];
  std::snprintf(text, sizeof text, "%02u:%02u:%02u", unsigned{t.hour}, unsigned{t.minute},
                unsigned{t.second});
  return text;
}

void ShowDebugWords(Controls& controls, const DebugTabInfo& info, const DebugWords& words,
                    bool failed) {
  for (size_t i = 0; i < words.words.size(); ++i) {
    const int row = static_cast<int>(i) + 1;
    controls.SetText(GridCellName(info.grid, 1, row), Printed("%04X", words.words[i]));
    controls.SetText(GridCellName(info.grid, 2, row), Printed("%u", words.words[i]));
  }
  std::string text = failed ? kDebugExchangeFailed : kDebugExchangeNormal;
  if (words.read_once) text += " · " + TimeText(words.read_at);
  controls.SetText(info.panel, text);
  controls.SetColor(info.panel, failed ? kColorYellow : kColorWhite);
}

PollCycleResult ReadDebugWords(const MeasurementContext& c, DebugState& state, DebugTab tab) {
  const DebugTabInfo& info = DebugTabOf(tab);
  DebugWords& words = state.Words(tab);
  PollCycleResult result;
  const int64_t start_ms = c.link.clock().NowMs();
  c.link.WaitMs(kPauseBeforeReadMs);
  std::vector<uint16_t> read(info.count);
  ExchangeOutcome& outcome = result.outcome;
  outcome.status =
      c.link.ReadHoldingRegisters(info.start, info.count, read.data(), &outcome.exception);
  result.exchange_ms = c.link.clock().NowMs() - start_ms;
  if (outcome.data_taken()) {
    words.words = std::move(read);
    words.read_once = true;
    words.read_at = c.link.clock().LocalNow();
  }
  ShowDebugWords(c.controls, info, words, outcome.failed());
  if (outcome.data_taken() && info.records && c.records.write_all_izm_file == 1) {
    MeasuredValues values = c.state.values;
    values.state_word = words.words[kStateWordRegister - info.start];
    RecordMeasurement(c, RecordKind::kProcessingResults, values);
  }
  return result;
}

}  // namespace

const DebugTabInfo& DebugTabOf(DebugTab tab) {
  return tab == DebugTab::kAdc ? kAdcTab : kMeasurementTab;
}

void InitDebugGrid(Controls& controls, DebugTab tab) {
  const DebugTabInfo& info = DebugTabOf(tab);
  controls.SetText(GridCellName(info.grid, 0, 0), "Регистр");
  controls.SetText(GridCellName(info.grid, 1, 0), "HEX");
  controls.SetText(GridCellName(info.grid, 2, 0), "DEC");
  for (int i = 0; i < info.count; ++i) {
    controls.SetText(GridCellName(info.grid, 0, i + 1), Printed("%u", info.start + i));
  }
  controls.SetText(info.panel, kDebugNeverRead);
}

ExchangeOutcome ReadDebugOnce(const MeasurementContext& c, DebugState& state, DebugTab tab) {
  const ExchangeOutcome outcome = ReadDebugWords(c, state, tab).outcome;
  if (outcome.failed()) OperationReport(c.dialogs, outcome.status, outcome.exception);
  return outcome;
}

PollCycleResult RunDebugPollCycle(const MeasurementContext& c, DebugState& state, DebugTab tab) {
  return ReadDebugWords(c, state, tab);
}

void ShowDebugPollButtons(Controls& controls, DebugTab tab, bool polling) {
  const DebugTabInfo& info = DebugTabOf(tab);
  controls.SetEnabled(info.single_button, !polling);
  controls.SetEnabled(info.start_button, !polling);
  controls.SetEnabled(info.stop_button, polling);
}

}  // namespace qmx
