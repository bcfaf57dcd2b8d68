// How a failed exchange is told to the operator: one box with the most
// telling cause of the status word, or the instrument's own exception code.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "operator/dialogs.h"

namespace qmx {

inline constexpr char kCaptionExchangeError[] = "Ошибка в обмене.";
inline constexpr char kCaptionDeviceError[] = "Устройство сообщает об ошибке";

// The link's own refusals: nothing went on the line.
inline constexpr char kTextRefusedBusy[] =
    "Обмен с прибором не выполнен: идет другой обмен. Повторите действие.";
inline constexpr char kTextRefusedBadCount[] =
    "Обмен с прибором не выполнен: недопустимое число регистров в запросе.";

struct ReportMessage {
  std::string text;
  std::string caption;
};

// The box OperationReport shows for `status` and `exception`, if any.
// Silence wins over everything it drags along (length, address...), then the
// instrument's exception, then line error, length, address, CRC, function.
// A status with none of these bits (0, or only the repetition mark 0x8000)
// gives nothing.
std::optional<ReportMessage> OperationReportMessage(uint16_t status, uint16_t exception);

// Shows that box (OK, exclamation icon); returns whether one was shown.
bool OperationReport(Dialogs& dialogs, uint16_t status, uint16_t exception);

}  // namespace qmx
