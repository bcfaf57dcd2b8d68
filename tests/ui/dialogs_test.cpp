#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>

#include "ui/qt_dialogs.h"

namespace qmx {
namespace {

// Runs `handle` on the modal dialog as soon as it is up (the call that shows
// it only returns after the dialog is closed).  Whatever is still up after
// five seconds is closed, so a test that goes wrong fails instead of hanging;
// the timers die with the test.
class ModalTest : public ::testing::Test {
 protected:
  void OnModal(std::function<void(QWidget*)> handle) {
    auto* poll = new QTimer(&guard_);
    poll->setInterval(5);
    QObject::connect(poll, &QTimer::timeout, &guard_, [poll, handle] {
      QWidget* modal = QApplication::activeModalWidget();
      if (modal == nullptr || !modal->isVisible()) return;
      poll->stop();
      handle(modal);
    });
    poll->start();
    QTimer::singleShot(5000, &guard_, [] {
      if (QWidget* modal = QApplication::activeModalWidget()) {
        ADD_FAILURE() << "the dialog was still up";
        modal->close();
      }
    });
  }

  QObject guard_;
};

using QtDialogsTest = ModalTest;

TEST(QtNameFiltersTest, PipeFilterBecomesQtFilters) {
  EXPECT_EQ(QtNameFilters("Текстовый файл (рекомендуется)|*.txt|Все файлы|*.*"),
            QStringList({"Текстовый файл (рекомендуется) (*.txt)", "Все файлы (*.*)"}));
  EXPECT_EQ(QtNameFilters("программа|*.pgm"), QStringList({"программа (*.pgm)"}));
  EXPECT_EQ(QtNameFilters("Журналы|*.txt;*.log"), QStringList({"Журналы (*.txt *.log)"}));
  EXPECT_TRUE(QtNameFilters("").isEmpty());
  // A description without its pattern still gives a usable filter.
  EXPECT_EQ(QtNameFilters("Все"), QStringList({"Все (*)"}));
}

struct BoxCase {
  BoxButtons buttons;
  BoxIcon icon;
  QMessageBox::Icon qt_icon;
  QMessageBox::StandardButton press;
  BoxAnswer answer;
};

TEST_F(QtDialogsTest, BoxShowsTextCaptionIconAndButtons) {
  const BoxCase cases[] = {
      {BoxButtons::kYesNo, BoxIcon::kExclamation, QMessageBox::Warning, QMessageBox::Yes,
       BoxAnswer::kYes},
      {BoxButtons::kYesNo, BoxIcon::kExclamation, QMessageBox::Warning, QMessageBox::No,
       BoxAnswer::kNo},
      {BoxButtons::kOk, BoxIcon::kInformation, QMessageBox::Information, QMessageBox::Ok,
       BoxAnswer::kOk},
      {BoxButtons::kOk, BoxIcon::kError, QMessageBox::Critical, QMessageBox::Ok, BoxAnswer::kOk},
  };
  QtDialogs dialogs;
  for (const BoxCase& c : cases) {
    bool seen = false;
    OnModal([&](QWidget* modal) {
      auto* box = qobject_cast<QMessageBox*>(modal);
      ASSERT_NE(box, nullptr);
      seen = true;
      EXPECT_EQ(box->text(), "Записать <данные>?");
      EXPECT_EQ(box->windowTitle(), "Подтвердите действие");
      EXPECT_EQ(box->icon(), c.qt_icon);
      EXPECT_EQ(box->standardButtons(), c.buttons == BoxButtons::kYesNo
                                            ? QMessageBox::Yes | QMessageBox::No
                                            : QMessageBox::StandardButtons(QMessageBox::Ok));
      box->button(c.press)->click();
    });
    EXPECT_EQ(dialogs.ShowBox("Записать <данные>?", "Подтвердите действие", c.buttons, c.icon),
              c.answer);
    EXPECT_TRUE(seen);
  }
}

TEST_F(QtDialogsTest, ClosingAQuestionAnswersNo) {
  QtDialogs dialogs;
  OnModal([](QWidget* modal) { modal->close(); });
  EXPECT_FALSE(dialogs.Question("Записать?"));
}

TEST_F(QtDialogsTest, SaveDialogTakesTheChosenNameAndFilterIndex) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString chosen = QDir(dir.path()).filePath("измерения.log");
  QtDialogs dialogs;
  OnModal([&](QWidget* modal) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), "Сохранять в файл с именем");
    EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
    EXPECT_EQ(dialog->nameFilters().size(), 2);
    EXPECT_EQ(dialog->selectedNameFilter(), "Текстовый файл (рекомендуется) (*.txt)");
    dialog->selectNameFilter("Все файлы (*.*)");
    dialog->selectFile(chosen);
    static_cast<QDialog*>(dialog)->accept();  // as the dialog's own button does
  });
  const FileDialogResult result = dialogs.SaveFile(
      {"Сохранять в файл с именем", "Текстовый файл (рекомендуется)|*.txt|Все файлы|*.*", "izm.txt",
       dir.path().toStdString()});
  EXPECT_TRUE(result.accepted);
  EXPECT_EQ(QString::fromStdString(result.file_name), chosen);
  EXPECT_EQ(result.filter_index, 2);
}

TEST_F(QtDialogsTest, CancelledOpenDialogGivesBackThePreset) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  QtDialogs dialogs;
  OnModal([](QWidget* modal) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptOpen);
    dialog->reject();
  });
  const FileDialogResult result =
      dialogs.OpenFile({"", "программа|*.pgm", "prog.pgm", dir.path().toStdString()});
  EXPECT_FALSE(result.accepted);
  EXPECT_EQ(result.file_name, "prog.pgm");
  EXPECT_EQ(result.filter_index, 1);
}

TEST_F(QtDialogsTest, OpenDialogWithoutFilterConfirmsAnExistingFile) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString existing = QDir(dir.path()).filePath("setup.prf");
  QFile file(existing);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.close();
  QtDialogs dialogs;
  OnModal([&](QWidget* modal) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    dialog->selectFile(existing);
    static_cast<QDialog*>(dialog)->accept();  // as the dialog's own button does
  });
  const FileDialogResult result = dialogs.OpenFile({"", "", "", dir.path().toStdString()});
  EXPECT_TRUE(result.accepted);
  EXPECT_EQ(QString::fromStdString(result.file_name), existing);
  EXPECT_EQ(result.filter_index, 1);  // no filter counts as the first
}

}  // namespace
}  // namespace qmx
