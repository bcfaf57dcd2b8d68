// The user-register grid in the window: which cells take the editor, the
// keys the editor lets through, the aqua rows, and what the buttons do with
// what was typed.
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

#include "window_fixture.h"

namespace qmx::test {
namespace {

constexpr int kUserRegistersTab = 10;
const QColor kAqua(0x00, 0xFF, 0xFF);
const QColor kWhite(0xFF, 0xFF, 0xFF);

class UserRegistersWindowTest : public WindowTest {
 protected:
  void SetUp() override {
    PlugInstrument(1);
    Start();
    window_->SetEngineeringView(true);
    window_->PageControl1()->setTabVisible(kUserRegistersTab, true);
    window_->PageControl1()->setCurrentIndex(kUserRegistersTab);
    window_->show();
    Settle();
    grid_ = Find<QTableWidget>("StringGrid1");
  }

  // Opens the editor on row `row` of column 1 with `text` in it, the cursor
  // at its end.
  QLineEdit* Edit(int row, const QString& text) {
    grid_->setCurrentCell(row, 1);
    grid_->editItem(grid_->item(row, 1));
    Settle();
    auto* editor = grid_->findChild<QLineEdit*>();
    EXPECT_NE(editor, nullptr);
    if (editor != nullptr) {
      editor->setText(text);
      editor->deselect();
      editor->end(false);
    }
    return editor;
  }
  void Key(QLineEdit* editor, const QString& text, int key = Qt::Key_unknown) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(editor, &press);
    Settle();
  }
  void Enter(QLineEdit* editor) { Key(editor, QStringLiteral("\r"), Qt::Key_Return); }
  QColor Background(int row) const { return grid_->item(row, 1)->background().color(); }
  QString CellText(int row) const { return grid_->item(row, 1)->text(); }

  QTableWidget* grid_ = nullptr;
};

TEST_F(UserRegistersWindowTest, GridShape) {
  ASSERT_NE(grid_, nullptr);
  EXPECT_EQ(grid_->rowCount(), 9);
  EXPECT_EQ(grid_->columnCount(), 5);
  EXPECT_EQ(grid_->toolTip(), QStringLiteral("Значения пользовательских регистров в HEX виде."));
  for (int row = 0; row < grid_->rowCount(); ++row) {
    for (int column = 0; column < grid_->columnCount(); ++column) {
      const bool editable = column == 1 && row >= 1;
      const Qt::ItemFlags flags = grid_->item(row, column)->flags();
      EXPECT_EQ(flags.testFlag(Qt::ItemIsSelectable), editable) << row << "," << column;
      EXPECT_EQ(flags.testFlag(Qt::ItemIsEditable), editable) << row << "," << column;
    }
  }
  // Start-up shows the profile's values, four digits each, unmarked.
  for (int row = 1; row <= 8; ++row) {
    EXPECT_EQ(CellText(row), QStringLiteral("0000")) << row;
    EXPECT_EQ(Background(row), kWhite) << row;
  }
  EXPECT_EQ(Find<QPushButton>("Button47")->text(), QStringLiteral("Прочитать"));
  EXPECT_EQ(Find<QPushButton>("Button48")->text(), QStringLiteral("Записать"));
}

TEST_F(UserRegistersWindowTest, RussianLetterEntersItsHexDigitAndPaintsTheRow) {
  QLineEdit* editor = Edit(3, QString());
  ASSERT_NE(editor, nullptr);
  Key(editor, QStringLiteral("ф"));
  EXPECT_EQ(editor->text(), QStringLiteral("A"));
  Key(editor, QStringLiteral("g"));
  Key(editor, QStringLiteral("в"));
  EXPECT_EQ(editor->text(), QStringLiteral("AD"));
  EXPECT_EQ(Background(3), kAqua);
  EXPECT_EQ(Background(4), kWhite);
  Enter(editor);
  EXPECT_EQ(CellText(3), QStringLiteral("AD"));

  // "g" alone enters nothing and leaves the row white.
  editor = Edit(5, QStringLiteral("12"));
  ASSERT_NE(editor, nullptr);
  Key(editor, QStringLiteral("g"));
  EXPECT_EQ(editor->text(), QStringLiteral("12"));
  EXPECT_EQ(Background(5), kWhite);
  Enter(editor);

  // A fifth digit is refused, the row marked all the same.
  editor = Edit(6, QStringLiteral("1234"));
  ASSERT_NE(editor, nullptr);
  Key(editor, QStringLiteral("5"));
  EXPECT_EQ(editor->text(), QStringLiteral("1234"));
  EXPECT_EQ(Background(6), kAqua);
  Enter(editor);

  // The write sends what the grid holds and clears the marks.
  Find<QPushButton>("Button48")->click();
  Settle();
  EXPECT_EQ(meter_.Get(65530), 0x00AD);
  EXPECT_EQ(meter_.Get(65532), 0x0012);
  EXPECT_EQ(meter_.Get(65533), 0x1234);
  EXPECT_EQ(CellText(3), QStringLiteral("00AD"));
  for (int row = 1; row <= 8; ++row) EXPECT_EQ(Background(row), kWhite) << row;
  ASSERT_FALSE(dialogs_.boxes().empty());
  EXPECT_EQ(dialogs_.LastBox().text, "Запись пользовательских регистров успешно осуществлено.");
  EXPECT_TRUE(Find<QLabel>("Panel48")->isHidden());
}

TEST_F(UserRegistersWindowTest, ReadShowsTheInstrumentsRegisters) {
  meter_.Set(65528, 0x00A3);
  meter_.Set(65535, 0xBEEF);
  Find<QPushButton>("Button47")->click();
  Settle();
  EXPECT_EQ(CellText(1), QStringLiteral("00A3"));
  EXPECT_EQ(CellText(8), QStringLiteral("BEEF"));
  EXPECT_EQ(dialogs_.LastBox().text, "Чтение пользовательских регистров успешно осуществлено.");
}

}  // namespace
}  // namespace qmx::test
