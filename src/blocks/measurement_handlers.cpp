#include "blocks/measurement_handlers.h"

#include "blocks/measurement_records.h"
#include "link/exchange_status.h"
#include "operator/operation_report.h"

namespace qmx {
namespace {

constexpr char kTextMeasuredRead[] = "Прочитано измеренное значение.";
constexpr char kTextLatchedRead[] = "Прочитано защелкнутое измеренное значение.";
constexpr char kTextEnablesRead[] = "Прочитано разрешение анализа ошибок.";
constexpr char kTextExchangeFailed[] = "Ошибка обмена";

void MarkExchangeFailed(Controls& controls) {
  controls.SetText("Memo1", kTextExchangeFailed);
  controls.SetColor("Memo1", kColorYellow);
}

// The common end of the single reads of measured values: the display always,
// then either the outcome message or the record line and the success box.
void FinishMeasuredRead(const MeasurementContext& c, ExchangeOutcome outcome, bool compact,
                        const char* success_text) {
  ShowMeasuredValues(c.state.values, c.state.last_status, c.controls);
  if (outcome.failed()) {
    if (compact) MarkExchangeFailed(c.controls);
    OperationReport(c.dialogs, outcome.status, outcome.exception);
    return;
  }
  RecordMeasurement(c, RecordKind::kMeasurement, c.state.values);
  c.dialogs.Result(success_text);
}

void TellRecordRefusal(const MeasurementContext& c) {
  std::string& news = c.state.record_refusals.news;
  if (news.empty()) return;
  const std::string text = std::move(news);
  news.clear();
  c.dialogs.ShowBox(text, kCaptionError, BoxButtons::kOk, BoxIcon::kError);
}

}  // namespace

void RecordMeasurement(const MeasurementContext& c, RecordKind kind, const MeasuredValues& values) {
  WriteMeasurementRecord(c.records, kind, c.link.clock(), values, &c.state.record_refusals);
  TellRecordRefusal(c);
}

void RecordModule(const MeasurementContext& c) {
  WriteMeasurementRecord(c.records, c.link.clock(), c.state.module, &c.state.record_refusals);
  TellRecordRefusal(c);
}

ExchangeOutcome ReadMeasuredOnce(const MeasurementContext& c) {
  const ExchangeOutcome outcome = ReadMeasuredValues(c.link, c.state.values, c.state.last_status);
  FinishMeasuredRead(c, outcome, false, kTextMeasuredRead);
  return outcome;
}

ExchangeOutcome ReadMeasuredOnceCompact(const MeasurementContext& c) {
  const ExchangeOutcome outcome = ReadMeasuredValues(c.link, c.state.values, c.state.last_status);
  // On success Memo1 keeps the state colour the display gave it; the
  // exchange-error yellow is gone with the new text.
  FinishMeasuredRead(c, outcome, true, kTextMeasuredRead);
  return outcome;
}

void ResetCounters(const MeasurementContext& c) {
  const BoxAnswer answer =
      c.dialogs.ShowBox("Счетчики циклов и ошибок будут сброшены!", kCaptionWarning,
                        BoxButtons::kYesNo, BoxIcon::kInformation);
  if (answer != BoxAnswer::kYes) return;
  c.state.counters.Clear();
  ShowCounters(c.state.counters, c.controls);
}

ExchangeOutcome LatchMeasuredValue(const MeasurementContext& c) {
  ShowMeasurementPollButtons(c.controls, false);
  const uint16_t one = 1;
  ExchangeOutcome outcome;
  outcome.status =
      c.link.WriteMultipleRegisters(kLatchCommand, 1, &one, &outcome.exception, "Записать LATCH");
  if (outcome.failed()) OperationReport(c.dialogs, outcome.status, outcome.exception);
  return outcome;
}

ExchangeOutcome ReadLatchedValue(const MeasurementContext& c) {
  ShowMeasurementPollButtons(c.controls, false);
  std::array<uint16_t, kLatchedBlockCount> block{};
  ExchangeOutcome outcome;
  outcome.status = c.link.ReadHoldingRegisters(kLatchedBlockStart, kLatchedBlockCount, block.data(),
                                               &outcome.exception);
  c.state.last_status = outcome.status;
  if (outcome.failed()) {
    // The display keeps what it showed: nothing new came in to show.
    OperationReport(c.dialogs, outcome.status, outcome.exception);
    return outcome;
  }
  c.state.latched_block = block;
  FinishMeasuredRead(c, outcome, false, kTextLatchedRead);
  return outcome;
}

PollCycleResult RunMeasurementPollCycle(const MeasurementContext& c) {
  PollCycleResult result;
  const int64_t start_ms = c.link.clock().NowMs();
  result.outcome = ReadMeasuredValues(c.link, c.state.values, c.state.last_status);
  result.exchange_ms = c.link.clock().NowMs() - start_ms;
  const ExchangeOutcome& outcome = result.outcome;

  if (outcome.failed()) {
    // The values stay as they were, but the exchange state must not go on
    // telling of a normal exchange.
    MarkExchangeFailed(c.controls);
    ShowExchangeState(c.state.last_status, c.controls);
  } else {
    ShowMeasuredValues(c.state.values, c.state.last_status, c.controls);
  }

  ExchangeCounters& counters = c.state.counters;
  ++counters.cycles;
  if (outcome.status & 0x7FFF) ++counters.exchange_errors;
  if (outcome.status & kStatusRepeated) ++counters.retries;
  if (outcome.data_taken() && c.state.values.flow_in_error()) ++counters.measurement_errors;
  ShowCounters(counters, c.controls);

  RecordMeasurement(c, RecordKind::kMeasurement, c.state.values);
  return result;
}

ExchangeOutcome ReadModuleOnce(const MeasurementContext& c) {
  const ExchangeOutcome outcome = ReadModuleData(c.link, c.state.module, c.state.last_status);
  ShowModuleData(c.state.module, c.controls);
  if (outcome.failed()) {
    OperationReport(c.dialogs, outcome.status, outcome.exception);
    return outcome;
  }
  RecordModule(c);
  c.dialogs.Result(kTextMeasuredRead);
  return outcome;
}

PollCycleResult RunModulePollCycle(const MeasurementContext& c) {
  PollCycleResult result;
  const int64_t start_ms = c.link.clock().NowMs();
  result.outcome = ReadModuleData(c.link, c.state.module, c.state.last_status);
  result.exchange_ms = c.link.clock().NowMs() - start_ms;
  ShowModuleData(c.state.module, c.controls);
  RecordModule(c);
  return result;
}

ExchangeOutcome ReadErrorEnablesOnce(const MeasurementContext& c) {
  const ExchangeOutcome outcome = ReadErrorEnables(c.link, c.state.enables, c.state.last_status);
  if (outcome.failed()) {
    OperationReport(c.dialogs, outcome.status, outcome.exception);
    return outcome;
  }
  ShowErrorEnables(c.state.enables, c.controls);
  c.dialogs.Result(kTextEnablesRead);
  return outcome;
}

void ShowMeasurementPollButtons(Controls& controls, bool polling) {
  controls.SetEnabled("Button3", !polling);
  controls.SetEnabled("Button4", !polling);
  controls.SetEnabled("Button5", polling);
}

void ShowModulePollButtons(Controls& controls, bool polling) {
  controls.SetEnabled("Button70", !polling);
  controls.SetEnabled("Button71", !polling);
  controls.SetEnabled("Button72", polling);
}

}  // namespace qmx
