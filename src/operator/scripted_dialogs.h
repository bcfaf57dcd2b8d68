// The operator dialogs without a screen: every box and file dialog is
// recorded, questions are answered from a queue the test (or an acceptance
// script) fills beforehand, file dialogs likewise.  Whatever the script did
// not foresee is answered the harmless way (No, Cancel) and recorded as a
// failure, so a handler that asks one question too many is caught instead of
// writing to the instrument.
//
// Typical use in a handler test:
//
//   ScriptedDialogs dialogs;
//   dialogs.SetFailureHandler([](std::string_view m) { ADD_FAILURE() << m; });
//   dialogs.AnswerYes();
//   ... press the button ...
//   EXPECT_EQ(dialogs.LastBox().text, "...успешно осуществлена.");
#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "operator/dialogs.h"

namespace qmx {

struct RecordedBox {
  std::string text;
  std::string caption;
  BoxButtons buttons = BoxButtons::kOk;
  BoxIcon icon = BoxIcon::kNone;
  BoxAnswer answer = BoxAnswer::kOk;  // what the box returned
  bool expected = true;               // false: it also stands in failures()

  bool is_question() const { return buttons == BoxButtons::kYesNo; }
};

struct RecordedFileDialog {
  bool save = false;  // SaveFile, else OpenFile
  FileDialogRequest request;
  FileDialogResult result;
  bool expected = true;
};

// "Подтвердите действие" / yes-no / exclamation: "Text" -> yes
std::string DescribeBox(const RecordedBox& box);

class ScriptedDialogs final : public Dialogs {
 public:
  using FailureHandler = std::function<void(std::string_view message)>;
  using BoxObserver = std::function<void(const RecordedBox& box)>;

  BoxAnswer ShowBox(std::string_view text, std::string_view caption, BoxButtons buttons,
                    BoxIcon icon) override;
  FileDialogResult OpenFile(const FileDialogRequest& request) override;
  FileDialogResult SaveFile(const FileDialogRequest& request) override;

  // --- the script --------------------------------------------------------------
  // Answers for the next questions (Yes/No boxes), in order.  OK boxes take
  // no answer.
  void AnswerYes(int times = 1);
  void AnswerNo(int times = 1);
  // The next file dialog (open or save) is confirmed with `file_name` and
  // leaves the filter at `filter_index` (1-based).
  void AcceptFile(std::string file_name, int filter_index = 1);
  // The next file dialog is cancelled: it returns its preset file name.
  void CancelFile();
  // From now on any box or file dialog is a failure (answered No / Cancel).
  void ExpectNoBoxes() { no_boxes_ = true; }
  void AllowBoxes() { no_boxes_ = false; }
  // Answers and file replies queued but not yet used.
  size_t pending_answers() const { return answers_.size(); }
  size_t pending_files() const { return files_.size(); }
  void DropPendingAnswers() {
    answers_.clear();
    files_.clear();
  }

  // --- what happened -----------------------------------------------------------
  const std::vector<RecordedBox>& boxes() const { return boxes_; }
  const std::vector<RecordedFileDialog>& file_dialogs() const { return file_dialogs_; }
  // The texts of all boxes, in order (handy with ElementsAre).
  std::vector<std::string> texts() const;
  // The most recent box; a default (empty) one when none was shown.
  RecordedBox LastBox() const { return boxes_.empty() ? RecordedBox{} : boxes_.back(); }
  size_t box_count() const { return boxes_.size(); }
  // One line per unexpected box or file dialog.
  const std::vector<std::string>& failures() const { return failures_; }
  bool ok() const { return failures_.empty(); }
  // Forgets boxes, file dialogs and failures; queued answers stay.
  void Clear();
  // Clear() plus the queues and the no-boxes mode: as freshly made.
  void Reset();

  // Called at once for every failure (tests make it ADD_FAILURE, the script
  // runner stops on it).
  void SetFailureHandler(FailureHandler handler) { on_failure_ = std::move(handler); }
  const FailureHandler& failure_handler() const { return on_failure_; }
  // Called for every box after it is recorded.
  void SetBoxObserver(BoxObserver observer) { on_box_ = std::move(observer); }
  const BoxObserver& box_observer() const { return on_box_; }

 private:
  struct FileReply {
    bool accept = false;
    std::string file_name;
    int filter_index = 1;
  };

  FileDialogResult FileDialog(bool save, const FileDialogRequest& request);
  void Fail(std::string message);

  std::deque<BoxAnswer> answers_;
  std::deque<FileReply> files_;
  bool no_boxes_ = false;
  std::vector<RecordedBox> boxes_;
  std::vector<RecordedFileDialog> file_dialogs_;
  std::vector<std::string> failures_;
  FailureHandler on_failure_;
  BoxObserver on_box_;
};

}  // namespace qmx
