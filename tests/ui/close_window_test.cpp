// Closing the window while an exchange waits, and a profile it cannot write.
#include <QApplication>
#include <QPushButton>
#include <QTimer>
#include <filesystem>

#include "storage/ini_file.h"
#include "window_fixture.h"

namespace qmx::test {
namespace {

TEST_F(WindowTest, CloseDuringAnExchangeEndsTheProgramAfterItAndReportsAnUnwritableProfile) {
  PlugInstrument(1);
  Start();
  window_->show();
  meter_.Set(1841, 10);
  meter_.AddFault(sim::Fault{sim::FaultKind::kDelay, 300, 0, -1, 0});
  bool refused = false;  // the close arrives while the read waits
  context_.link.SetEventPump([&] {
    if (!refused && context_.link.InTransaction()) {
      // Clicked before the close, still waiting when it comes: dropped.
      Find<QPushButton>("Button12")->click();
      refused = !window_->close();
    }
    ExchangeGate::PumpEvents();
  });
  QTimer::singleShot(0, window_.get(), [this] { Find<QPushButton>("Button10")->click(); });
  QTimer guard;  // a program that does not end fails instead of hanging
  QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(7); });
  guard.start(5000);
  EXPECT_EQ(QApplication::exec(), 0);
  context_.link.SetEventPump(ExchangeGate::LinkEventPump());
  EXPECT_TRUE(refused);
  for (const std::string& request : bus_.JournalSummary()) {
    EXPECT_NE(request, "read 1792 x2") << "the output-type read ran after the close";
  }
  // Written after the read: it holds what the read brought.
  EXPECT_EQ(IniFile(dir_.File("recent.prf")).ReadInteger("izm_to_comp", "izm_flow_v_ns", -1), 10);

  std::filesystem::remove(dir_.File("recent.prf"));
  std::filesystem::create_directory(dir_.File("recent.prf"));
  window_->show();
  window_->close();
  EXPECT_EQ(dialogs_.LastBox().caption, "Ошибка");
  EXPECT_EQ(dialogs_.LastBox().text, "Не удалось записать файл настроек " +
                                         dir_.File("recent.prf") +
                                         ": под этим именем находится папка. Изменения этого "
                                         "сеанса не сохранены.");
}

}  // namespace
}  // namespace qmx::test
