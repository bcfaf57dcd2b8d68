// The exchange monitor in the window: the bytes it lists are the bytes the
// instrument heard and sent, a silent instrument shows as coloured lines,
// the pause holds the list, and hidden it does not watch the link at all.
#include "ui/exchange_monitor.h"

#include <QAction>
#include <QClipboard>
#include <QColor>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>

#include "window_fixture.h"

namespace qmx::test {
namespace {

QString Hex(const std::vector<uint8_t>& bytes) {
  QStringList parts;
  for (uint8_t byte : bytes) parts.append(QString::asprintf("%02X", byte));
  return parts.join(QLatin1Char(' '));
}

class ExchangeMonitorTest : public WindowTest {
 protected:
  void SetUp() override {
    PlugInstrument(1);
    Start();
    window_->show();
    Settle();
  }
  ExchangeMonitor* Monitor() { return window_->Monitor(); }
  void ToggleMonitor() {
    window_->MonitorAction()->trigger();
    Settle();
  }
  // The menu password read of "НАСТРОЙКИ ПРОГРАММЫ", one register.
  void Read() {
    bus_.ClearJournal();
    Find<QPushButton>("BitBtn28")->click();
    Settle();
    Monitor()->Flush();
  }
  // Column `column` of the lines whose second column is `kind`.
  QStringList Column(const QString& kind, int column = 2) {
    QStringList values;
    for (const QString& line : Monitor()->LineTexts()) {
      const QStringList parts = line.split(QRegularExpression(QStringLiteral("\\s{2,}")));
      if (parts.size() > column && parts[1].trimmed() == kind) values.append(parts[column]);
    }
    return values;
  }
  QColor Background(int row) {
    return Monitor()
        ->lines()
        ->data(Monitor()->lines()->index(row), Qt::BackgroundRole)
        .value<QColor>();
  }
};

TEST_F(ExchangeMonitorTest, ListsTheBytesTheInstrumentHeardAndSent) {
  EXPECT_TRUE(Monitor()->isHidden());
  EXPECT_FALSE(window_->MonitorAction()->isChecked());
  ToggleMonitor();
  ASSERT_TRUE(Monitor()->isVisible());
  Read();

  ASSERT_FALSE(bus_.journal().empty());
  QStringList requests;
  QStringList answers;
  for (const sim::JournalEntry& entry : bus_.journal()) {
    requests.append(Hex(entry.request));
    answers.append(Hex(entry.answer));
  }
  EXPECT_EQ(Column(QStringLiteral("Запрос")), requests);
  EXPECT_EQ(Column(QStringLiteral("Ответ")), answers);
  EXPECT_EQ(Column(QStringLiteral("Итог")), QStringList{QStringLiteral("0x0000: норма")});
  for (int row = 0; row < Monitor()->LineTexts().size(); ++row) {
    EXPECT_FALSE(Background(row).isValid()) << row;
  }
  // The file trace is off, the monitor still sees everything.
  EXPECT_NE(context_.link.settings().use_log_file, 1);
}

TEST_F(ExchangeMonitorTest, SilentInstrumentGivesColouredFailureLines) {
  ToggleMonitor();
  meter_.AddFault({.kind = sim::FaultKind::kNoAnswer});
  Read();

  // Both attempts went out; the repetition and everything after it stand out.
  ASSERT_EQ(bus_.journal().size(), 2u);
  EXPECT_EQ(Column(QStringLiteral("Запрос")), QStringList(2, Hex(bus_.journal().front().request)));
  EXPECT_EQ(Column(QStringLiteral("Запрос"), 3), QStringList{QStringLiteral("повтор 1")});
  EXPECT_EQ(Column(QStringLiteral("Ответ")), QStringList(2, QStringLiteral("ничего не пришло")));
  const QStringList outcome = Column(QStringLiteral("Итог"));
  ASSERT_EQ(outcome.size(), 1);
  EXPECT_TRUE(
      outcome[0].startsWith(QStringLiteral("0x806E: не та длина ответа, чужой адрес, "
                                           "не та функция, ошибка CRC, нет ответа")))
      << outcome[0].toStdString();
  const QStringList lines = Monitor()->LineTexts();
  ASSERT_EQ(lines.size(), 5);
  EXPECT_FALSE(Background(0).isValid());
  const QColor failure = Background(4);
  ASSERT_TRUE(failure.isValid());
  EXPECT_GT(failure.red(), failure.blue());
  EXPECT_EQ(Background(1), failure);
  EXPECT_TRUE(Background(2).isValid());
}

TEST_F(ExchangeMonitorTest, PauseHoldsTheListAndHiddenItWatchesNothing) {
  EXPECT_EQ(context_.link.log().observer(), nullptr);
  ToggleMonitor();
  Read();
  const QStringList before = Monitor()->LineTexts();
  ASSERT_EQ(before.size(), 3);

  Find<QPushButton>("MonitorCopy")->click();
  EXPECT_EQ(QGuiApplication::clipboard()->text(), before.join(QLatin1Char('\n')) + "\n");

  Find<QPushButton>("MonitorPause")->click();
  Read();
  EXPECT_FALSE(bus_.journal().empty());
  EXPECT_EQ(Monitor()->LineTexts(), before);
  Find<QPushButton>("MonitorPause")->click();
  Read();
  EXPECT_EQ(Monitor()->LineTexts().size(), 6);

  Find<QPushButton>("MonitorClear")->click();
  EXPECT_TRUE(Monitor()->LineTexts().isEmpty());
  ToggleMonitor();
  EXPECT_EQ(context_.link.log().observer(), nullptr);
  Read();
  EXPECT_FALSE(bus_.journal().empty());
  ToggleMonitor();
  Monitor()->Flush();
  EXPECT_TRUE(Monitor()->LineTexts().isEmpty());
}

TEST_F(ExchangeMonitorTest, WriteNamesItsOperationAndTheListKeepsTheLastLines) {
  ToggleMonitor();
  Find<QLineEdit>("Edit7")->setText("4321");
  dialogs_.AnswerYes();
  bus_.ClearJournal();
  Find<QPushButton>("Button54")->click();
  Settle();
  Monitor()->Flush();
  ASSERT_EQ(meter_.Get(1264), 4321);
  QStringList requests;
  QString password;
  for (const sim::JournalEntry& entry : bus_.journal()) {
    requests.append(Hex(entry.request));
    if (entry.Describe() == "write 1264 x1 = 4321") password = requests.back();
  }
  EXPECT_EQ(Column(QStringLiteral("Запрос")), requests);
  ASSERT_FALSE(password.isEmpty());
  EXPECT_TRUE(Monitor()->LineTexts().filter(password).value(0).endsWith(
      QStringLiteral("Записать пароль меню передней панели. ")));

  // The newest lines stay, the oldest go.
  const QStringList before = Monitor()->LineTexts();
  ASSERT_GT(before.size(), 10);
  std::vector<MonitorLines::Line> batch(1990);
  for (size_t i = 0; i < batch.size(); ++i) batch[i].text = QString::number(i);
  Monitor()->lines()->Append(batch);
  const QStringList lines = Monitor()->LineTexts();
  ASSERT_EQ(lines.size(), ExchangeMonitor::kMaxLines);
  EXPECT_EQ(lines.front(), before[before.size() - 10]);
  EXPECT_EQ(lines.back(), "1989");
}

}  // namespace
}  // namespace qmx::test
