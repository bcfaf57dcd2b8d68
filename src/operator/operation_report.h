// How a failed exchange is told to the operator: one box with the most
// telling cause of the status word, or the instrument's own exception code.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "link/link.h"
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
// gives nothing.  When the silence came from a port that is not open,
// `port` says why, on a second line of the same box.
std::optional<ReportMessage> OperationReportMessage(uint16_t status, uint16_t exception,
                                                    const PortFailure* port = nullptr);

// The operator's dialogs of a program that talks through `link`: they pass
// every box on unchanged, and let OperationReport tell why nobody answered
// when the link's port could not be opened.
class LinkDialogs final : public Dialogs {
 public:
  LinkDialogs(Dialogs& dialogs, const Link& link) : dialogs_(dialogs), link_(link) {}

  BoxAnswer ShowBox(std::string_view text, std::string_view caption, BoxButtons buttons,
                    BoxIcon icon) override {
    return dialogs_.ShowBox(text, caption, buttons, icon);
  }
  FileDialogResult OpenFile(const FileDialogRequest& request) override {
    return dialogs_.OpenFile(request);
  }
  FileDialogResult SaveFile(const FileDialogRequest& request) override {
    return dialogs_.SaveFile(request);
  }
  std::string NoAnswerCause() const override;

 private:
  Dialogs& dialogs_;
  const Link& link_;
};

// Shows that box (OK, exclamation icon); returns whether one was shown.
// Through LinkDialogs the port's trouble joins a report of silence.
bool OperationReport(Dialogs& dialogs, uint16_t status, uint16_t exception);

}  // namespace qmx
