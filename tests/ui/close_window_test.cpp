// Closing the window: a close asked for while an exchange waits ends the
// program only after the exchange, with the profile written then; a profile
// that cannot be written is reported.
#include <QApplication>
#include <QPushButton>
#include <QTimer>
#include <filesystem>

#include "storage/ini_file.h"
#include "window_fixture.h"

namespace qmx::test {
namespace {

class CloseWindowTest : public WindowTest {
 protected:
  void SetUp() override {
    PlugInstrument(1);
    Start();
    window_->show();
    Settle();
  }
};

TEST_F(CloseWindowTest, CloseDuringAnExchangeEndsTheProgramOnceTheExchangeIsOver) {
  meter_.Set(1841, 10);
  meter_.AddFault(sim::Fault{sim::FaultKind::kDelay, 300, 0, -1, 0});
  std::filesystem::remove(dir_.File("recent.prf"));
  bool asked_during_exchange = false;
  bool written_at_once = true;
  // The operator closes the window while the read waits for its answer:
  // the close arrives through the events processed during the wait.
  context_.link.SetEventPump([&] {
    if (context_.link.InTransaction() && !asked_during_exchange) {
      asked_during_exchange = true;
      window_->close();
      written_at_once = std::filesystem::exists(dir_.File("recent.prf"));
    }
    ExchangeGate::PumpEvents();
  });
  // The profile is written only once the line is quiet.
  bool exchange_at_save = true;
  QObject::connect(window_.get(), &MainWindow::closing,
                   [&] { exchange_at_save = context_.link.InTransaction() || gate_.Busy(); });
  QTimer::singleShot(0, window_.get(), [this] { Find<QPushButton>("Button10")->click(); });
  // Should the program not end, the guard ends the loop with another code.
  QTimer guard;
  guard.setSingleShot(true);
  QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(7); });
  guard.start(5000);
  EXPECT_EQ(QApplication::exec(), 0);
  context_.link.SetEventPump(ExchangeGate::LinkEventPump());

  EXPECT_TRUE(asked_during_exchange);
  EXPECT_FALSE(written_at_once);
  EXPECT_FALSE(window_->isVisible());
  // The read ran to its end and its values reached the profile.
  EXPECT_EQ(dialogs_.LastBox().text, "Чтение параметров измерения успешно осуществлено.");
  EXPECT_EQ(IniFile(dir_.File("recent.prf")).ReadInteger("izm_to_comp", "izm_flow_v_ns", -1), 10);
  EXPECT_FALSE(exchange_at_save);
}

TEST_F(CloseWindowTest, AProfileThatCannotBeWrittenAtCloseIsReported) {
  std::filesystem::remove(dir_.File("recent.prf"));
  std::filesystem::create_directory(dir_.File("recent.prf"));
  EXPECT_TRUE(window_->close());

  ASSERT_EQ(dialogs_.box_count(), 1U);
  const RecordedBox box = dialogs_.LastBox();
  EXPECT_EQ(box.text, "Не удалось записать файл настроек " + dir_.File("recent.prf") +
                          ": под этим именем находится папка. Изменения этого сеанса не "
                          "сохранены.");
  EXPECT_EQ(box.caption, "Ошибка");
  EXPECT_EQ(box.icon, BoxIcon::kError);
}

}  // namespace
}  // namespace qmx::test
