// Optional text trace of every request and answer on the line, appended to
// one file so a service engineer can see what went over the wire.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>

#include "link/clock.h"
#include "link/exchange_observer.h"
#include "storage/file_access.h"
#include "storage/link_settings.h"

namespace qmx {

// What the operator is told when the trace file's name is taken by
// something other than a regular file: "Обмен не записывается в файл
// <path>: <cause>."
std::string TraceRefusedText(const std::string& path, const std::string& cause);

class ExchangeLog {
 public:
  ExchangeLog(Clock& clock, const LinkSettings& settings) : clock_(clock), settings_(settings) {}

  // Written only when the "UseLogFile" switch is exactly 1.
  bool Enabled() const { return settings_.use_log_file == 1; }

  // Read transaction, per attempt.
  void ReadRequest(unsigned repetitions, const uint8_t* request, size_t size);
  void ReadAnswer(const uint8_t* answer, size_t size);
  // Write transaction, per attempt, then once when it failed.
  // `repetitions` only goes to the observer; the file numbers a write's
  // attempt at its answer.
  void WriteRequest(std::string_view description, const uint8_t* request, size_t size,
                    unsigned repetitions = 0);
  void WriteAnswer(unsigned repetitions, const uint8_t* answer, size_t size);
  void WriteStatus(uint16_t status, uint16_t exception);
  // A line of its own about how the link handled the attempt that follows.
  void Note(std::string_view text);

  // The parts above also go to the observer, whether the file is on or not.
  // Null detaches it; then nothing is done for it.
  void SetObserver(ExchangeObserver* observer) { observer_ = observer; }
  ExchangeObserver* observer() const { return observer_; }
  // Told, once per refused name, that the trace file's name is taken by
  // something other than a regular file (a FIFO, a device, a folder), with
  // the text of TraceRefusedText.  Such a file gets nothing and the open
  // never waits; the exchange goes on without the trace.  The
  // name is told again only after a part has been written to it in between.
  // It is called in the middle of a transaction: the window hands the text
  // on to be shown once the transaction is over.
  using RefusalReporter = std::function<void(const std::string& text)>;
  void SetRefusalReporter(RefusalReporter reporter) { refusal_reporter_ = std::move(reporter); }

  // Closes the trace file until the next part (the window does so whenever
  // it has no exchange to run).
  void ReleaseFile() { file_.Release(); }

  // Monotonic start of a transaction for its outcome; -1 while unobserved.
  int64_t TransactionStart() const { return observer_ != nullptr ? clock_.NowMs() : -1; }
  // How the transaction begun at `started_ms` ended (observer only).
  void Outcome(uint16_t status, uint16_t exception, int64_t started_ms);

 private:
  // Appends one part to the trace file (the operator told, once, when its
  // name is refused).
  void Write(std::string_view part);

  Clock& clock_;
  const LinkSettings& settings_;
  ExchangeObserver* observer_ = nullptr;
  RefusalReporter refusal_reporter_;
  RefusalNotices refusals_;
  KeptAppendFile file_;
};

}  // namespace qmx
