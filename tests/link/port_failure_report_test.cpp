// A silent instrument behind a port that could not be opened: the report
// keeps its first line and names the port's trouble on the second.
#include <gtest/gtest.h>

#include <cerrno>

#include "link/exchange_status.h"
#include "link/posix_serial_port.h"
#include "operator/operation_report.h"

namespace qmx {
namespace {

TEST(PortFailureReportTest, SecondLineNamesTheCauseOfAClosedPort) {
  const std::pair<int, std::string> cases[] = {
      {EACCES, "\nНет прав на порт COM1 (/dev/ttyUSB0): добавьте пользователя в группу dialout."},
      {EBUSY, "\nПорт COM1 занят другой программой."},
      {ENOENT, "\nПорт COM1 не найден."},
      {ENOTTY, ""},  // nothing the operator can act on
  };
  for (const auto& [err, second_line] : cases) {
    const PortFailure port{PortFaultOfErrno(err), 1, "/dev/ttyUSB0", ""};
    EXPECT_EQ(OperationReportMessage(kStatusNoAnswer | kStatusWrongLength, 0, &port)->text,
              "Ответа не было." + second_line);
    // Only silence has the port for its reason.
    EXPECT_EQ(OperationReportMessage(kStatusCrcError, 0, &port)->text,
              "При приеме в ответе не сошлась контрольная сумма.");
  }
}

TEST(PortFailureReportTest, ANetworkPortNamesItsAddressAndWhyTheConnectionIsNotThere) {
  const std::pair<std::string, std::string> cases[] = {
      {"отказано", "\nНет соединения с COM20 (tcp://10.0.0.5:4001): отказано."},
      {"разорвано", "\nНет соединения с COM20 (tcp://10.0.0.5:4001): разорвано."},
      {"", "\nНет соединения с COM20 (tcp://10.0.0.5:4001)."},
  };
  for (const auto& [cause, second_line] : cases) {
    const PortFailure port{PortFault::kNoConnection, 20, "tcp://10.0.0.5:4001", cause};
    EXPECT_EQ(OperationReportMessage(kStatusNoAnswer | kStatusWrongLength, 0, &port)->text,
              "Ответа не было." + second_line);
  }
}

}  // namespace
}  // namespace qmx
