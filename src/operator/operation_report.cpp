#include "operator/operation_report.h"

#include "link/exchange_status.h"
#include "link/line_text.h"

namespace qmx {
namespace {

std::string ExceptionText(uint16_t code) {
  switch (code) {
    case 1:
      return "Неподдерживаемая функция.";
    case 2:
      return "Адрес данных выходит за допустимые границы.";
    case 3:
      return "Величина данных превышает допустимое значение.";
    case 4:
      return "Ошибка в работе адресуемого устройства.";
    default:
      return "Ошибка устройства " + std::to_string(code);
  }
}

}  // namespace

std::optional<ReportMessage> OperationReportMessage(uint16_t status, uint16_t exception,
                                                    const PortFailure* port) {
  struct Row {
    uint16_t bit;
    const char* text;
  };
  if (status & kStatusNoAnswer) {
    // "Ответа не было." alone sends the engineer to the wiring; when the
    // port itself is the reason, the box says so.
    std::string text = "Ответа не было.";
    const std::string cause = port != nullptr ? PortFailureText(*port) : std::string();
    if (!cause.empty()) text += "\n" + cause;
    return ReportMessage{text, kCaptionExchangeError};
  }
  if (status & kStatusException)
    return ReportMessage{ExceptionText(exception), kCaptionDeviceError};
  static constexpr Row kRows[] = {
      {kStatusLineError, "При приеме ответа ошибка паритета."},
      {kStatusWrongLength,
       "При приеме принято не ожидаемое число символов. Возможно, ответа просто не было."},
      {kStatusWrongAddress,
       "При приеме в ответе указан не адрес того устройства к которому обращались."},
      {kStatusCrcError, "При приеме в ответе не сошлась контрольная сумма."},
      {kStatusWrongFunction, "В ответе указан не тот номер команды."},
      // The link's refusals never come with the bits above; a handler that
      // got one has not talked to the instrument and must not go on silently.
      {kStatusRefusedBusy, kTextRefusedBusy},
      {kStatusRefusedBadCount, kTextRefusedBadCount},
  };
  for (const Row& row : kRows) {
    if (status & row.bit) return ReportMessage{row.text, kCaptionExchangeError};
  }
  return std::nullopt;
}

std::string LinkDialogs::NoAnswerCause() const {
  const PortFailure* port = link_.port_failure();
  return port != nullptr ? PortFailureText(*port) : std::string();
}

bool OperationReport(Dialogs& dialogs, uint16_t status, uint16_t exception) {
  std::optional<ReportMessage> message = OperationReportMessage(status, exception);
  if (message && (status & kStatusNoAnswer)) {
    const std::string cause = dialogs.NoAnswerCause();
    if (!cause.empty()) message->text += "\n" + cause;
  }
  if (!message) return false;
  dialogs.ShowBox(message->text, message->caption, BoxButtons::kOk, BoxIcon::kExclamation);
  return true;
}

}  // namespace qmx
