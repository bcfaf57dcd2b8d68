// A silent instrument behind a port that could not be opened: the report
// keeps its first line and names the port's trouble on the second.
#include <gtest/gtest.h>

#include <cerrno>
#include <memory>
#include <string>

#include "link/exchange_status.h"
#include "link/link.h"
#include "link/posix_serial_port.h"
#include "operator/operation_report.h"
#include "operator/scripted_dialogs.h"

namespace qmx {
namespace {

// A provider whose every open fails for one errno, as the device would.
class RefusingProvider final : public PortProvider, public PortInspector {
 public:
  int err = EACCES;
  std::unique_ptr<SerialPort> Open(uint16_t, const LineConfig&, std::string*) override {
    fault_ = PortFaultOfErrno(err);
    return nullptr;
  }
  std::string DevicePath(uint16_t) override { return "/dev/ttyUSB0"; }
  PortFault Probe(uint16_t) override { return PortFaultOfErrno(err); }
  PortFault last_open_fault() const override { return fault_; }

 private:
  PortFault fault_ = PortFault::kNone;
};

TEST(PortFailureReportTest, SecondLineNamesTheCauseOfAClosedPort) {
  RefusingProvider provider;
  VirtualClock clock;
  Link link(provider, clock);
  ScriptedDialogs scripted;
  LinkDialogs dialogs(scripted, link);
  const uint16_t silent = kStatusNoAnswer | kStatusWrongLength | kStatusRepeated;

  struct Case {
    int err;
    const char* second_line;
  };
  const Case cases[] = {
      {EACCES, "\nНет прав на порт COM1 (/dev/ttyUSB0): добавьте пользователя в группу dialout."},
      {EPERM, "\nНет прав на порт COM1 (/dev/ttyUSB0): добавьте пользователя в группу dialout."},
      {EBUSY, "\nПорт COM1 занят другой программой."},
      {ENOENT, "\nПорт COM1 не найден."},
      {ENOTTY, ""},  // nothing the operator can do about it here
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.err);
    provider.err = c.err;
    EXPECT_FALSE(link.OpenPort(1, 7, 8, 0, 1, 1000, 0).ok);
    ASSERT_TRUE(OperationReport(dialogs, silent, 0));
    EXPECT_EQ(scripted.LastBox().text, std::string("Ответа не было.") + c.second_line);
    EXPECT_EQ(scripted.LastBox().caption, "Ошибка в обмене.");
  }
  // Only silence has the port as its reason; and the bare dialogs know no
  // link, so they report as before.
  ASSERT_TRUE(OperationReport(dialogs, kStatusCrcError, 0));
  EXPECT_EQ(scripted.LastBox().text, "При приеме в ответе не сошлась контрольная сумма.");
  ASSERT_TRUE(OperationReport(scripted, silent, 0));
  EXPECT_EQ(scripted.LastBox().text, "Ответа не было.");
  EXPECT_EQ(scripted.box_count(), 7U);
}

}  // namespace
}  // namespace qmx
