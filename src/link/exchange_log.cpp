#include "link/exchange_log.h"

#include <cstdio>
#include <string>

#include "link/exchange_status.h"
#include "storage/file_access.h"

namespace qmx {
namespace {

// One part of the trace: the file is opened for appending, written and closed
// again, so the trace survives a crash of the program and can be read or
// deleted between transactions.  A file that cannot be opened drops the
// part: the exchange must go on whatever happens to its trace.  The open
// never waits, and a name taken by a FIFO, a device or a folder is refused
// (the log tells the operator once).
class LogPart {
 public:
  explicit LogPart(AppendFile& file) : file_(file.file()) {}
  LogPart(const LogPart&) = delete;
  LogPart& operator=(const LogPart&) = delete;

  std::FILE* file() const { return file_; }

  void Text(std::string_view text) { std::fwrite(text.data(), 1, text.size(), file_); }

  // Day month year, then the time of day with `separator` between hour,
  // minute and second.
  void Time(const LocalTime& t, char separator) {
    std::fprintf(file_, "%02u %02u %02u %02u%c%02u%c%02u.%03u \r\n", t.day, t.month, t.year, t.hour,
                 separator, t.minute, separator, t.second, t.millisecond);
  }

  void Attempt(unsigned repetitions) {
    if (repetitions == 0) {
      std::fprintf(file_, "Attempt:%u\r\n", repetitions);
    } else {
      // The asterisks make repetitions stand out when scrolling a long trace.
      std::fprintf(file_, "Attempt:%u                                        *************\r\n",
                   repetitions);
    }
  }

  void Bytes(const uint8_t* bytes, size_t size) {
    for (size_t i = 0; i < size; ++i) std::fprintf(file_, " %02x", bytes[i]);
  }

 private:
  std::FILE* file_;
};

}  // namespace

std::string TraceRefusedText(const std::string& path, const std::string& cause) {
  return "Обмен не записывается в файл " + path + ": " + cause + ".";
}

// Opens the trace for one part; the operator hears of a refused name once.
bool ExchangeLog::Open(AppendFile& file) {
  const std::string& path = settings_.log_file_name;
  if (file.ok()) {
    refusals_.Written(path);
    return true;
  }
  if (file.refused() && refusals_.FirstRefusal(path) && refusal_reporter_) {
    refusal_reporter_(TraceRefusedText(path, file.cause()));
  }
  return false;
}

void ExchangeLog::ReadRequest(unsigned repetitions, const uint8_t* request, size_t size) {
  if (observer_ == nullptr && !Enabled()) return;
  const LocalTime now = clock_.LocalNow();
  if (observer_ != nullptr) {
    observer_->OnRequest(now, clock_.NowMs(), repetitions, {}, request, size);
  }
  if (!Enabled()) return;
  AppendFile file(settings_.log_file_name);
  if (!Open(file)) return;
  LogPart part(file);
  part.Text("\r\n____________________________\r\n");
  part.Time(now, '-');
  part.Attempt(repetitions);
  part.Text("Send:\r\n");
  part.Bytes(request, size);
}

void ExchangeLog::ReadAnswer(const uint8_t* answer, size_t size) {
  if (observer_ == nullptr && !Enabled()) return;
  const LocalTime now = clock_.LocalNow();
  if (observer_ != nullptr) observer_->OnAnswer(now, clock_.NowMs(), answer, size);
  if (!Enabled()) return;
  AppendFile file(settings_.log_file_name);
  if (!Open(file)) return;
  LogPart part(file);
  part.Text("\r\n");
  part.Time(now, '-');
  part.Text("Answ:\r\n");
  part.Bytes(answer, size);
}

void ExchangeLog::WriteRequest(std::string_view description, const uint8_t* request, size_t size,
                               unsigned repetitions) {
  if (observer_ == nullptr && !Enabled()) return;
  const LocalTime now = clock_.LocalNow();
  if (observer_ != nullptr) {
    observer_->OnRequest(now, clock_.NowMs(), repetitions, description, request, size);
  }
  if (!Enabled()) return;
  AppendFile file(settings_.log_file_name);
  if (!Open(file)) return;
  LogPart part(file);
  part.Text("\r\n____________________________\r\n");
  part.Time(now, '-');
  part.Text(description);
  part.Text("\r\n\r\nSend:\r\n");
  part.Bytes(request, size);
}

void ExchangeLog::WriteAnswer(unsigned repetitions, const uint8_t* answer, size_t size) {
  if (observer_ == nullptr && !Enabled()) return;
  const LocalTime now = clock_.LocalNow();
  if (observer_ != nullptr) observer_->OnAnswer(now, clock_.NowMs(), answer, size);
  if (!Enabled()) return;
  AppendFile file(settings_.log_file_name);
  if (!Open(file)) return;
  LogPart part(file);
  part.Text("\r\n\r\n");
  part.Time(now, ':');
  part.Attempt(repetitions);
  part.Text("Answ:\r\n");
  part.Bytes(answer, size);
}

void ExchangeLog::Note(std::string_view text) {
  if (!Enabled()) return;
  AppendFile file(settings_.log_file_name);
  if (!Open(file)) return;
  LogPart part(file);
  part.Text("\r\n");
  part.Text(text);
  part.Text("\r\n");
}

void ExchangeLog::Outcome(uint16_t status, uint16_t exception, int64_t started_ms) {
  // An observer attached in the middle of a transaction has no start to
  // measure from.
  if (observer_ == nullptr || started_ms < 0) return;
  observer_->OnOutcome(clock_.LocalNow(), status, exception, clock_.NowMs() - started_ms);
}

void ExchangeLog::WriteStatus(uint16_t status, uint16_t exception) {
  if (!Enabled()) return;
  AppendFile file(settings_.log_file_name);
  if (!Open(file)) return;
  LogPart part(file);
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
  std::fprintf(part.file(), "\r\nout=%x\r\n", static_cast<unsigned>(status));
  for (const auto& entry : kBitLines) {
    if ((status & entry.bit) != 0) part.Text(entry.line);
  }
  if ((status & kStatusException) != 0) {
    std::fprintf(part.file(), "modbus_err=%x\r\n", static_cast<unsigned>(exception));
  }
}

}  // namespace qmx
