#include "link/exchange_log.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <string>

#include "link/exchange_status.h"
#include "storage/file_access.h"

namespace qmx {
namespace {

// One part of the trace, put together and then appended to the file in one
// write, so the trace survives a crash of the program and can be read or
// deleted between transactions.  A file that cannot be written drops the
// part: the exchange must go on whatever happens to its trace.  The open
// never waits, and a name taken by a FIFO, a device or a folder is refused
// (the log tells the operator once).
class LogPart {
 public:
  const std::string& text() const { return text_; }

  void Text(std::string_view text) { text_.append(text); }

  [[gnu::format(printf, 2, 3)]] void Format(const char* format, ...) {
    char line[160];
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    if (n > 0) text_.append(line, std::min(static_cast<size_t>(n), sizeof line - 1));
  }

  // Day month year, then the time of day with `separator` between hour,
  // minute and second.
  void Time(const LocalTime& t, char separator) {
    Format("%02u %02u %02u %02u%c%02u%c%02u.%03u \r\n", t.day, t.month, t.year, t.hour, separator,
           t.minute, separator, t.second, t.millisecond);
  }

  void Attempt(unsigned repetitions) {
    if (repetitions == 0) {
      Format("Attempt:%u\r\n", repetitions);
    } else {
      // The asterisks make repetitions stand out when scrolling a long trace.
      Format("Attempt:%u                                        *************\r\n", repetitions);
    }
  }

  void Bytes(const uint8_t* bytes, size_t size) {
    static constexpr char kDigits[] = "0123456789abcdef";
    for (size_t i = 0; i < size; ++i) {
      const char hex[3] = {' ', kDigits[bytes[i] >> 4], kDigits[bytes[i] & 0xF]};
      text_.append(hex, sizeof hex);
    }
  }

 private:
  std::string text_;
};

}  // namespace

std::string TraceRefusedText(const std::string& path, const std::string& cause) {
  return "Обмен не записывается в файл " + path + ": " + cause + ".";
}

// Appends one part to the trace; the operator hears of a refused name once.
void ExchangeLog::Write(std::string_view part) {
  const std::string& path = settings_.log_file_name;
  if (file_.AppendTold(path, part, refusals_) == KeptAppendFile::Outcome::kRefused &&
      refusal_reporter_) {
    refusal_reporter_(TraceRefusedText(path, file_.cause()));
  }
}

void ExchangeLog::ReadRequest(unsigned repetitions, const uint8_t* request, size_t size) {
  if (observer_ == nullptr && !Enabled()) return;
  const LocalTime now = clock_.LocalNow();
  if (observer_ != nullptr) {
    observer_->OnRequest(now, clock_.NowMs(), repetitions, {}, request, size);
  }
  if (!Enabled()) return;
  LogPart part;
  part.Text("\r\n____________________________\r\n");
  part.Time(now, '-');
  part.Attempt(repetitions);
  part.Text("Send:\r\n");
  part.Bytes(request, size);
  Write(part.text());
}

void ExchangeLog::ReadAnswer(const uint8_t* answer, size_t size) {
  if (observer_ == nullptr && !Enabled()) return;
  const LocalTime now = clock_.LocalNow();
  if (observer_ != nullptr) observer_->OnAnswer(now, clock_.NowMs(), answer, size);
  if (!Enabled()) return;
  LogPart part;
  part.Text("\r\n");
  part.Time(now, '-');
  part.Text("Answ:\r\n");
  part.Bytes(answer, size);
  Write(part.text());
}

void ExchangeLog::WriteRequest(std::string_view description, const uint8_t* request, size_t size,
                               unsigned repetitions) {
  if (observer_ == nullptr && !Enabled()) return;
  const LocalTime now = clock_.LocalNow();
  if (observer_ != nullptr) {
    observer_->OnRequest(now, clock_.NowMs(), repetitions, description, request, size);
  }
  if (!Enabled()) return;
  LogPart part;
  part.Text("\r\n____________________________\r\n");
  part.Time(now, '-');
  part.Text(description);
  part.Text("\r\n\r\nSend:\r\n");
  part.Bytes(request, size);
  Write(part.text());
}

void ExchangeLog::WriteAnswer(unsigned repetitions, const uint8_t* answer, size_t size) {
  if (observer_ == nullptr && !Enabled()) return;
  const LocalTime now = clock_.LocalNow();
  if (observer_ != nullptr) observer_->OnAnswer(now, clock_.NowMs(), answer, size);
  if (!Enabled()) return;
  LogPart part;
  part.Text("\r\n\r\n");
  part.Time(now, ':');
  part.Attempt(repetitions);
  part.Text("Answ:\r\n");
  part.Bytes(answer, size);
  Write(part.text());
}

void ExchangeLog::Note(std::string_view text) {
  if (!Enabled()) return;
  LogPart part;
  part.Text("\r\n");
  part.Text(text);
  part.Text("\r\n");
  Write(part.text());
}

void ExchangeLog::Outcome(uint16_t status, uint16_t exception, int64_t started_ms) {
  // An observer attached in the middle of a transaction has no start to
  // measure from.
  if (observer_ == nullptr || started_ms < 0) return;
  observer_->OnOutcome(clock_.LocalNow(), status, exception, clock_.NowMs() - started_ms);
}

void ExchangeLog::WriteStatus(uint16_t status, uint16_t exception) {
  if (!Enabled()) return;
  LogPart part;
  static constexpr struct {
    uint16_t bit;
    std::string_view line;
  } kBitLines[] = {
      {kStatusLineError, "ошибка паритета\r\n"},
      {kStatusWrongLength, "принято не сколько ожидалось\r\n"},
      {kStatusWrongAddress, "в ответе другой адрес\r\n"},
      {kStatusWrongFunction, "в ответе не номер команды\r\n"},
      {kStatusException, "прибор отвечает с ошибкой modbus_err\r\n"},
      {kStatusCrcError, "не сошлась контрольная сумма\r\n"},
      {kStatusNoAnswer, "совсем ничего не пришло\r\n"},
  };
  part.Format("\r\nout=%x\r\n", static_cast<unsigned>(status));
  for (const auto& entry : kBitLines) {
    if ((status & entry.bit) != 0) part.Text(entry.line);
  }
  if ((status & kStatusException) != 0) {
    part.Format("modbus_err=%x\r\n", static_cast<unsigned>(exception));
  }
  Write(part.text());
}

}  // namespace qmx
