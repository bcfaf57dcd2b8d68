#include "operator/scripted_dialogs.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qmx {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

TEST(ScriptedDialogsTest, QuestionsTakeTheScriptedAnswersInOrder) {
  ScriptedDialogs dialogs;
  dialogs.AnswerYes();
  dialogs.AnswerNo();
  dialogs.AnswerYes();
  EXPECT_TRUE(dialogs.Question("Записать?"));
  // An OK box between questions takes no answer from the queue.
  dialogs.Result("Запись успешно осуществлена.");
  EXPECT_FALSE(dialogs.WarningQuestion("В приборе включена защита от записи."));
  EXPECT_EQ(dialogs.pending_answers(), 1u);
  EXPECT_TRUE(dialogs.Question("Ещё?"));
  EXPECT_EQ(dialogs.pending_answers(), 0u);
  EXPECT_TRUE(dialogs.ok());

  ASSERT_EQ(dialogs.box_count(), 4u);
  const RecordedBox& first = dialogs.boxes()[0];
  EXPECT_EQ(first.caption, kCaptionConfirm);
  EXPECT_EQ(first.buttons, BoxButtons::kYesNo);
  EXPECT_EQ(first.icon, BoxIcon::kExclamation);
  EXPECT_EQ(first.answer, BoxAnswer::kYes);
  EXPECT_EQ(dialogs.boxes()[1].answer, BoxAnswer::kOk);
  EXPECT_EQ(dialogs.boxes()[1].icon, BoxIcon::kInformation);
  EXPECT_EQ(dialogs.boxes()[2].caption, kCaptionWarning);
  EXPECT_EQ(dialogs.boxes()[2].answer, BoxAnswer::kNo);
}

TEST(ScriptedDialogsTest, UnansweredQuestionIsAFailureAnsweredNo) {
  ScriptedDialogs dialogs;
  std::vector<std::string> reported;
  dialogs.SetFailureHandler([&](std::string_view m) { reported.emplace_back(m); });
  EXPECT_FALSE(dialogs.Question("Записать параметры?"));
  EXPECT_EQ(dialogs.LastBox().answer, BoxAnswer::kNo);
  EXPECT_FALSE(dialogs.LastBox().expected);
  ASSERT_EQ(dialogs.failures().size(), 1u);
  EXPECT_THAT(dialogs.failures()[0], HasSubstr("Записать параметры?"));
  EXPECT_THAT(dialogs.failures()[0], HasSubstr(kCaptionConfirm));
  EXPECT_EQ(reported, dialogs.failures());
  EXPECT_FALSE(dialogs.ok());
}

TEST(ScriptedDialogsTest, NoBoxesModeRefusesEveryBoxAndDialog) {
  ScriptedDialogs dialogs;
  dialogs.AnswerYes();
  dialogs.AcceptFile("a.prf");
  dialogs.ExpectNoBoxes();
  dialogs.Result("Чтение успешно осуществлено.");
  // Even a scripted answer is not used: the question itself is unexpected.
  EXPECT_FALSE(dialogs.Question("Записать?"));
  const FileDialogResult file = dialogs.SaveFile({"", "", "recent.prf", ""});
  EXPECT_FALSE(file.accepted);
  EXPECT_EQ(file.file_name, "recent.prf");
  EXPECT_EQ(dialogs.failures().size(), 3u);
  EXPECT_EQ(dialogs.pending_answers(), 1u);
  EXPECT_EQ(dialogs.pending_files(), 1u);

  dialogs.AllowBoxes();
  dialogs.Clear();
  EXPECT_TRUE(dialogs.Question("Записать?"));
  EXPECT_TRUE(dialogs.ok());
  EXPECT_EQ(dialogs.box_count(), 1u);
}

TEST(ScriptedDialogsTest, FileDialogsAnswerFromTheirOwnQueue) {
  ScriptedDialogs dialogs;
  dialogs.AcceptFile("/tmp/setup", 2);
  dialogs.CancelFile();
  const FileDialogRequest request{"Сохранять в файл с именем",
                                  "Текстовый файл (рекомендуется)|*.txt|Все файлы|*.*", "izm.txt",
                                  ""};
  const FileDialogResult saved = dialogs.SaveFile(request);
  EXPECT_TRUE(saved.accepted);
  EXPECT_EQ(saved.file_name, "/tmp/setup");
  EXPECT_EQ(saved.filter_index, 2);
  const FileDialogResult cancelled = dialogs.OpenFile(request);
  EXPECT_FALSE(cancelled.accepted);
  EXPECT_EQ(cancelled.file_name, "izm.txt");  // the preset comes back
  EXPECT_EQ(cancelled.filter_index, 1);
  // A third dialog has no reply: cancelled and a failure.
  EXPECT_FALSE(dialogs.OpenFile(request).accepted);
  EXPECT_EQ(dialogs.failures().size(), 1u);

  ASSERT_EQ(dialogs.file_dialogs().size(), 3u);
  EXPECT_TRUE(dialogs.file_dialogs()[0].save);
  EXPECT_FALSE(dialogs.file_dialogs()[1].save);
  EXPECT_EQ(dialogs.file_dialogs()[0].request.title, "Сохранять в файл с именем");
  EXPECT_FALSE(dialogs.file_dialogs()[2].expected);
  // File replies never answer questions, nor answers file dialogs.
  EXPECT_TRUE(dialogs.boxes().empty());
}

TEST(ScriptedDialogsTest, ObserverSeesEachBoxBeforeItsFailure) {
  ScriptedDialogs dialogs;
  std::vector<std::string> events;
  dialogs.SetBoxObserver([&](const RecordedBox& box) { events.push_back("box " + box.text); });
  dialogs.SetFailureHandler([&](std::string_view) { events.push_back("failure"); });
  dialogs.Result("a");
  dialogs.Question("b");
  EXPECT_THAT(events, ElementsAre("box a", "box b", "failure"));
}

TEST(ScriptedDialogsTest, ResetForgetsEverything) {
  ScriptedDialogs dialogs;
  dialogs.AnswerYes(3);
  dialogs.CancelFile();
  dialogs.ExpectNoBoxes();
  dialogs.Result("x");
  EXPECT_EQ(dialogs.LastBox().text, "x");
  dialogs.Reset();
  EXPECT_EQ(dialogs.box_count(), 0u);
  EXPECT_TRUE(dialogs.ok());
  EXPECT_EQ(dialogs.pending_answers(), 0u);
  EXPECT_EQ(dialogs.pending_files(), 0u);
  EXPECT_EQ(dialogs.LastBox().text, "");
  dialogs.Result("y");  // boxes are allowed again
  EXPECT_TRUE(dialogs.ok());
}

}  // namespace
}  // namespace qmx
