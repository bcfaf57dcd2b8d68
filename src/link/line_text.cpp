#include "link/line_text.h"

#include <array>
#include <string_view>

#include "storage/link_settings.h"

namespace qmx {
namespace {

constexpr std::array<std::string_view, 8> kBaudTexts = {"1200",  "2400",  "4800",  "9600",
                                                        "19200", "38400", "57600", "115200"};

std::string BaudText(uint16_t code, std::string_view unknown) {
  if (!IsListedBaudCode(code)) return std::string(unknown);
  return std::string(kBaudTexts[code - kFirstBaudCode]) + " ,";
}

std::string_view ParityText(uint16_t code) {
  switch (code) {
    case 1:
      return "нечетный паритет ";
    case 2:
      return "четный паритет ";
    default:
      return "без паритета ";
  }
}

}  // namespace

std::string LineSummaryText(uint16_t port_number, uint16_t baud_code, uint16_t parity_code) {
  return "COM" + std::to_string(port_number) + ", " + BaudText(baud_code, "") + " " +
         std::string(ParityText(parity_code));
}

std::string ProposedLineSummaryText(uint16_t port_number, uint16_t baud_code,
                                    uint16_t parity_code) {
  return "COM" + std::to_string(port_number) + ", " + BaudText(baud_code, "?") +
         std::string(ParityText(parity_code));
}

std::string PortFailureText(const PortFailure& failure) {
  const std::string port = "COM" + std::to_string(failure.number);
  switch (failure.fault) {
    case PortFault::kBusy:
      return "Порт " + port + " занят другой программой.";
    case PortFault::kNoPermission: {
      const std::string device = failure.device.empty() ? "" : " (" + failure.device + ")";
      return "Нет прав на порт " + port + device + ": добавьте пользователя в группу dialout.";
    }
    case PortFault::kMissing:
      return "Порт " + port + " не найден.";
    case PortFault::kNoConnection: {
      const std::string device = failure.device.empty() ? "" : " (" + failure.device + ")";
      const std::string cause = failure.cause.empty() ? "" : ": " + failure.cause;
      return "Нет соединения с " + port + device + cause + ".";
    }
    case PortFault::kNone:
    case PortFault::kOther:
      break;
  }
  return "";
}

}  // namespace qmx
