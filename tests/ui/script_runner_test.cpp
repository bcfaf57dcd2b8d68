#include "ui/script_runner.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QVBoxLayout>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "operator/dialogs.h"
#include "operator/scripted_dialogs.h"
#include "ui/exchange_gate.h"

namespace qmx {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

TEST(SplitScriptLineTest, WordsQuotesAndEscapes) {
  std::string error;
  EXPECT_THAT(*SplitScriptLine("  click   Button1 ", &error), ElementsAre("click", "Button1"));
  EXPECT_THAT(*SplitScriptLine(R"(expect-box "Ответа не было." "Ошибка в обмене.")", &error),
              ElementsAre("expect-box", "Ответа не было.", "Ошибка в обмене."));
  EXPECT_THAT(*SplitScriptLine(R"(set-text Edit1 "a \"b\" c\\d")", &error),
              ElementsAre("set-text", "Edit1", R"(a "b" c\d)"));
  EXPECT_THAT(*SplitScriptLine(R"(set-text Edit1 "")", &error),
              ElementsAre("set-text", "Edit1", ""));
  EXPECT_TRUE(SplitScriptLine("   ", &error)->empty());
  // An unquoted word keeps its backslashes and inner quotes as they are.
  EXPECT_THAT(*SplitScriptLine(R"(screenshot C:\a"b)", &error),
              ElementsAre("screenshot", R"(C:\a"b)"));

  EXPECT_FALSE(SplitScriptLine(R"(set-text Edit1 "open)", &error));
  EXPECT_THAT(error, HasSubstr("not closed"));
  EXPECT_FALSE(SplitScriptLine(R"(set-text Edit1 "a\nb")", &error));
  EXPECT_FALSE(SplitScriptLine(R"(set-text Edit1 "ends with\")", &error));
  EXPECT_FALSE(SplitScriptLine(R"(set-text Edit1 "a"b)", &error));
}

TEST(SplitScriptLineTest, QuotingGivesTheTextBack) {
  for (const std::string text : {"", "plain", "with blank", R"(q"uo\te)", "\\\"", "Да, \"Нет\""}) {
    std::string error;
    const auto words = SplitScriptLine("x " + QuoteScriptWord(text), &error);
    ASSERT_TRUE(words.has_value()) << text;
    EXPECT_THAT(*words, ElementsAre("x", text));
  }
}

TEST(ParseScriptTest, ChecksEveryLineBeforeAnythingRuns) {
  std::istringstream script(
      "  # a comment about \"Параметры обмена\": quotes in it are no words\n"
      "\n"
      "click Button1\n"
      "clik Button1\n"
      "select ComboBox1 -1\n"
      "check CheckBox1 yes\n"
      "answer maybe\n"
      "set-text Edit1 two words\n"
      "expect-color Panel1 #12345\n"
      "wait soon\n"
      "file a.prf 0\n"
      "file a.prf 2\n"
      "quit now\n"
      "tab PageControl1 1\n");
  std::vector<std::string> errors;
  const std::vector<ScriptCommand> commands = ParseScript(script, &errors);
  ASSERT_EQ(commands.size(), 3u);
  EXPECT_EQ(commands[0].line, 3);
  EXPECT_EQ(commands[1].verb, "file");
  EXPECT_THAT(commands[1].args, ElementsAre("a.prf", "2"));
  EXPECT_EQ(commands[2].line, 14);
  ASSERT_EQ(errors.size(), 9u);
  EXPECT_THAT(errors[0], HasSubstr("line 4: unknown command clik"));
  EXPECT_THAT(errors[1], HasSubstr("line 5:"));
  EXPECT_THAT(errors[4], HasSubstr("quote"));
  EXPECT_THAT(errors[8], HasSubstr("line 13:"));
}

// A small window: a button that asks before it "writes", a list whose
// program fill must not look like the operator's choice, an edit field, a
// check box, a page set, a status panel, a menu command and a disabled
// button.
class ScriptRunnerTest : public ::testing::Test {
 protected:
  ScriptRunnerTest() {
    root_.setObjectName("Form1");
    root_.setWindowTitle("QMX41_Config_V 3.2");
    auto* layout = new QVBoxLayout(&root_);
    auto add = [&](auto* widget, const char* name) {
      widget->setObjectName(name);
      layout->addWidget(widget);
      return widget;
    };
    auto* write = add(new QPushButton("Записать"), "Button1");
    label_ = add(new QLabel("-"), "Label1");
    QObject::connect(write, &QPushButton::clicked, [this] {
      if (!dialogs_.Question("Записать параметры?")) return;
      dialogs_.Result("Запись параметров успешно осуществлена.");
      label_->setText("записано");
    });
    combo_ = add(new QComboBox, "ComboBox1");
    combo_->addItems({"1200", "2400", "4800"});
    QObject::connect(combo_, &QComboBox::activated,
                     [this](int index) { activated_.push_back(index); });
    edit_ = add(new QLineEdit, "Edit1");
    QObject::connect(edit_, &QLineEdit::editingFinished,
                     [this] { label_->setText("введено " + edit_->text()); });
    check_ = add(new QCheckBox("Запись результатов"), "CheckBox1");
    QObject::connect(check_, &QCheckBox::clicked, [this] { ++check_clicks_; });
    tabs_ = add(new QTabWidget, "PageControl1");
    tabs_->addTab(new QWidget, "ИЗМЕРЕНИЕ");
    tabs_->addTab(new QWidget, "НАСТРОЙКИ РАБОТЫ");
    panel_ = add(new QLabel("Нормальный обмен"), "Panel1");
    panel_->setAutoFillBackground(true);
    QPalette palette = panel_->palette();
    palette.setColor(panel_->backgroundRole(), QColor("#ffff00"));
    panel_->setPalette(palette);
    auto* menu_command = new QAction("Прочитать профиль", &root_);
    menu_command->setObjectName("N2");
    QObject::connect(menu_command, &QAction::triggered, [this] {
      const FileDialogResult file = dialogs_.OpenFile({"", "", "", ""});
      if (file.accepted) label_->setText(QString::fromStdString(file.file_name));
    });
    add(new QPushButton("Нельзя"), "Button2")->setEnabled(false);
    grid_ = add(new QTableWidget(2, 2), "StringGrid1");
    for (int cell = 0; cell < 4; ++cell) grid_->setItem(cell / 2, cell % 2, new QTableWidgetItem);
    grid_->item(1, 0)->setFlags(Qt::ItemIsEnabled);
  }

  int Run(const std::string& script) {
    std::istringstream in(script);
    ScriptRunner runner(&root_, dialogs_, out_);
    runner.SetGate(&gate_);
    const int code = runner.Run(in);
    quit_ = runner.quit_requested();
    return code;
  }

  QWidget root_;
  QLabel* label_ = nullptr;
  QComboBox* combo_ = nullptr;
  QLineEdit* edit_ = nullptr;
  QCheckBox* check_ = nullptr;
  QTabWidget* tabs_ = nullptr;
  QLabel* panel_ = nullptr;
  QTableWidget* grid_ = nullptr;
  ScriptedDialogs dialogs_;
  ExchangeGate gate_;
  std::ostringstream out_;
  std::vector<int> activated_;
  int check_clicks_ = 0;
  bool quit_ = false;
};

TEST_F(ScriptRunnerTest, ReplaysAnOperatorProcedure) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const std::string shot = dir.filePath("form.png").toStdString();
  const int code =
      Run("answer yes\n"
          "click Button1\n"
          "expect-box \"Записать параметры?\" \"Подтвердите действие\"\n"
          "expect-box \"Запись параметров успешно осуществлена.\" \"Результат операции\"\n"
          "expect-text Label1 записано\n"
          "answer no\n"
          "click Button1\n"
          "expect-box \"Записать параметры?\" \"Подтвердите действие\"\n"
          "select ComboBox1 2\n"
          "select ComboBox1 2\n"
          "expect-text ComboBox1 4800\n"
          "set-text Edit1 \"12.5 м3/ч\"\n"
          "expect-text Label1 \"введено 12.5 м3/ч\"\n"
          "check CheckBox1 on\n"
          "check CheckBox1 on\n"
          "tab PageControl1 1\n"
          "expect-text PageControl1 \"НАСТРОЙКИ РАБОТЫ\"\n"
          "expect-color Panel1 #FFFF00\n"
          "expect-text Form1 \"QMX41_Config_V 3.2\"\n"
          "file /tmp/setup.prf\n"
          "click N2\n"
          "expect-text Label1 /tmp/setup.prf\n"
          "screenshot " +
          QuoteScriptWord(shot) +
          "\n"
          "quit\n"
          "click Button1\n");
  EXPECT_EQ(code, ScriptRunner::kExitOk) << out_.str();
  EXPECT_TRUE(quit_);
  // Each box printed once, in the form expect-box takes.
  EXPECT_THAT(out_.str(),
              HasSubstr("box \"Записать параметры?\" \"Подтвердите действие\" -> yes\n"
                        "box \"Запись параметров успешно осуществлена.\" "
                        "\"Результат операции\"\n"
                        "box \"Записать параметры?\" \"Подтвердите действие\" -> no\n"));
  EXPECT_THAT(out_.str(), HasSubstr("script: ok"));
  // The operator's choice fires activated() each time; the check box was
  // clicked once, the second "on" found it ticked already.
  EXPECT_THAT(activated_, ElementsAre(2, 2));
  EXPECT_TRUE(check_->isChecked());
  EXPECT_EQ(check_clicks_, 1);
  EXPECT_EQ(tabs_->currentIndex(), 1);
  EXPECT_EQ(dialogs_.box_count(), 3u);  // nothing ran after quit
  EXPECT_FALSE(QImage(QString::fromStdString(shot)).isNull());
}

TEST_F(ScriptRunnerTest, FailedBoxExpectationStopsTheScript) {
  const int code =
      Run("answer yes\n"
          "click Button1\n"
          "expect-box \"Записать параметры?\" \"Предупреждение\"\n"
          "click Button1\n");
  EXPECT_EQ(code, ScriptRunner::kExitFailed);
  EXPECT_THAT(out_.str(), HasSubstr("line 3: FAILED: expect-box"));
  EXPECT_THAT(out_.str(), HasSubstr("script: stopped"));
  EXPECT_EQ(dialogs_.box_count(), 2u);
}

TEST_F(ScriptRunnerTest, ExpectingABoxThatNeverCameFails) {
  EXPECT_EQ(Run("select ComboBox1 0\nexpect-box \"Ответа не было.\" \"Ошибка в обмене.\"\n"),
            ScriptRunner::kExitFailed);
  EXPECT_THAT(out_.str(), HasSubstr("no further box"));
}

TEST_F(ScriptRunnerTest, QuestionWithoutAnAnswerFailsAtOnce) {
  int test_failures = 0;
  dialogs_.SetFailureHandler([&](std::string_view) { ++test_failures; });
  EXPECT_EQ(Run("click Button1\nselect ComboBox1 1\n"), ScriptRunner::kExitFailed);
  // The runner reports the failure itself and hands the dialogs back as it
  // found them.
  EXPECT_EQ(test_failures, 0);
  dialogs_.Question("?");
  EXPECT_EQ(test_failures, 1);
  EXPECT_THAT(out_.str(), HasSubstr("line 1: FAILED: question without a scripted answer"));
  EXPECT_EQ(label_->text(), "-");  // answered No: nothing written
  EXPECT_TRUE(activated_.empty());
}

// A grid cell is typed into through the grid's editor, as the operator does.
TEST_F(ScriptRunnerTest, GridCellsAreTypedIntoAndChecked) {
  root_.show();
  int changes = 0;
  QObject::connect(grid_, &QTableWidget::itemChanged, [&changes] { ++changes; });
  EXPECT_EQ(Run("set-text StringGrid1[1,1] 0x00A3\nexpect-text StringGrid1[1,1] 0x00A3\n"),
            ScriptRunner::kExitOk)
      << out_.str();
  EXPECT_EQ(grid_->item(1, 1)->text(), "0x00A3");
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(Run("expect-text StringGrid1[1,1] 0x00A4\n"), ScriptRunner::kExitFailed);
  EXPECT_EQ(Run("set-text StringGrid1[0,1] 5\n"), ScriptRunner::kExitFailed);
  EXPECT_EQ(Run("set-text StringGrid1[5,1] 5\n"), ScriptRunner::kExitScriptError);
}

TEST_F(ScriptRunnerTest, WrongTextAndColourAreReported) {
  EXPECT_EQ(Run("expect-text Panel1 \"Ошибка в обмене\"\n"), ScriptRunner::kExitFailed);
  EXPECT_THAT(out_.str(), HasSubstr("expected \"Ошибка в обмене\", shown \"Нормальный обмен\""));
  out_.str("");
  EXPECT_EQ(Run("expect-color Panel1 #ffffff\n"), ScriptRunner::kExitFailed);
  EXPECT_THAT(out_.str(), HasSubstr("shown #ffff00"));
}

TEST_F(ScriptRunnerTest, CommandsTheWindowCannotCarryOut) {
  EXPECT_EQ(Run("click Button99\n"), ScriptRunner::kExitScriptError);
  EXPECT_EQ(Run("click Label1\n"), ScriptRunner::kExitScriptError);
  EXPECT_EQ(Run("select Edit1 0\n"), ScriptRunner::kExitScriptError);
  // The operator cannot press a disabled button, nor pick a missing item.
  EXPECT_EQ(Run("click Button2\n"), ScriptRunner::kExitFailed);
  EXPECT_EQ(Run("select ComboBox1 3\n"), ScriptRunner::kExitFailed);
  EXPECT_EQ(Run("tab PageControl1 2\n"), ScriptRunner::kExitFailed);
  EXPECT_EQ(tabs_->currentIndex(), 0);
  EXPECT_TRUE(activated_.empty());
}

TEST_F(ScriptRunnerTest, UnknownNameRunsNothing) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const std::string shot = dir.filePath("form.png").toStdString();
  dialogs_.AnswerYes();
  EXPECT_EQ(Run("click Button1\nscreenshot " + QuoteScriptWord(shot) +
                "\nexpect-text Label9 -\nset-text StringGrid1[1,2] 5\nclick N3\n"),
            ScriptRunner::kExitScriptError);
  EXPECT_THAT(out_.str(), HasSubstr("line 3: expect-text: no control Label9\nscript error: line 4: "
                                    "set-text: no cell StringGrid1[1,2]"));
  EXPECT_THAT(out_.str(), HasSubstr("line 5: click: no control N3"));
  EXPECT_EQ(dialogs_.box_count(), 0u);  // line 1's click did not happen
  EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(shot)));
}

TEST_F(ScriptRunnerTest, AScreenshotOfAnotherWindowNeedsThatWindowOpen) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const std::string shot = dir.filePath("other.png").toStdString();
  EXPECT_EQ(Run("screenshot " + QuoteScriptWord(shot) + " OtherWindow\n"),
            ScriptRunner::kExitFailed);
  EXPECT_THAT(out_.str(), HasSubstr("no window OtherWindow is open"));
  QWidget other;
  other.setObjectName(QStringLiteral("OtherWindow"));
  other.resize(120, 80);
  other.show();
  EXPECT_EQ(Run("screenshot " + QuoteScriptWord(shot) + " OtherWindow\n"), ScriptRunner::kExitOk);
  EXPECT_EQ(QImage(QString::fromStdString(shot)).size(), QSize(120, 80));
}

TEST(ReadScriptFileTest, OnlyARegularFileOfAtMost16MiB) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const std::string small = dir.filePath("small.txt").toStdString();
  const std::string large = dir.filePath("large.txt").toStdString();
  std::ofstream(small) << "click Button1\n";
  std::ofstream(large) << "";
  std::filesystem::resize_file(large, kMaxScriptFileBytes + 1);
  std::string text;
  std::string error;
  EXPECT_EQ(ReadScriptFile(small, &text, &error), ScriptRunner::kExitOk) << error;
  EXPECT_EQ(text, "click Button1\n");
  for (const std::string& path : {dir.path().toStdString(), std::string("/dev/null"), large}) {
    EXPECT_EQ(ReadScriptFile(path, &text, &error), ScriptRunner::kExitScriptError) << path;
  }
  EXPECT_THAT(error, HasSubstr("large.txt: larger than 16 MiB"));
}

TEST_F(ScriptRunnerTest, MalformedScriptRunsNothing) {
  dialogs_.AnswerYes();
  EXPECT_EQ(Run("click Button1\nset-text Edit1 \"open\n"), ScriptRunner::kExitScriptError);
  EXPECT_THAT(out_.str(), HasSubstr("line 2"));
  EXPECT_EQ(dialogs_.box_count(), 0u);
}

TEST_F(ScriptRunnerTest, BoxesFromBeforeTheScriptArePrintedAndCanBeChecked) {
  dialogs_.PortError();
  EXPECT_EQ(Run("expect-box \"Невозможно открыть последовательный порт\" Ошибка\n"),
            ScriptRunner::kExitOk);
  EXPECT_THAT(out_.str(), HasSubstr("box \"Невозможно открыть последовательный порт\""));
}

TEST_F(ScriptRunnerTest, WaitKeepsTheWindowRunning) {
  QTimer::singleShot(20, [this] { label_->setText("tick"); });
  EXPECT_EQ(Run("expect-text Label1 -\nwait 80\nexpect-text Label1 tick\n"), ScriptRunner::kExitOk)
      << out_.str();
}

TEST_F(ScriptRunnerTest, NextCommandSeesTheOutcomeOfQueuedActions) {
  // The button's handler runs through the gate; a second click arrives while
  // it waits on the line and is queued; the script's next command must see
  // what that second click did.
  auto* read = new QPushButton("Прочитать", &root_);
  read->setObjectName("Button3");
  int runs = 0;
  QObject::connect(read, &QPushButton::clicked, [&] {
    gate_.RunOperatorAction([&] {
      if (++runs == 1) QTimer::singleShot(5, read, [read] { read->click(); });
      QElapsedTimer elapsed;
      elapsed.start();
      while (elapsed.elapsed() < 30) ExchangeGate::PumpEvents();
      label_->setText(QString::number(runs));
    });
  });
  EXPECT_EQ(Run("click Button3\nexpect-text Label1 2\n"), ScriptRunner::kExitOk) << out_.str();
}

}  // namespace
}  // namespace qmx
