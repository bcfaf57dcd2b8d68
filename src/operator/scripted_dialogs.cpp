#include "operator/scripted_dialogs.h"

#include <utility>

namespace qmx {
namespace {

const char* AnswerName(BoxAnswer answer) {
  switch (answer) {
    case BoxAnswer::kYes:
      return "yes";
    case BoxAnswer::kNo:
      return "no";
    case BoxAnswer::kOk:
      break;
  }
  return "ok";
}

const char* IconName(BoxIcon icon) {
  switch (icon) {
    case BoxIcon::kInformation:
      return "information";
    case BoxIcon::kExclamation:
      return "exclamation";
    case BoxIcon::kError:
      return "error";
    case BoxIcon::kNone:
      break;
  }
  return "no icon";
}

std::string DescribeFileDialog(bool save, const FileDialogRequest& request) {
  std::string text = save ? "save dialog" : "open dialog";
  if (!request.title.empty()) text += " \"" + request.title + "\"";
  text += " preset \"" + request.file_name + "\"";
  return text;
}

}  // namespace

std::string DescribeBox(const RecordedBox& box) {
  std::string text = "\"" + box.caption + "\" / ";
  text += box.is_question() ? "yes-no" : "ok";
  text += " / ";
  text += IconName(box.icon);
  text += ": \"" + box.text + "\" -> ";
  text += AnswerName(box.answer);
  return text;
}

BoxAnswer ScriptedDialogs::ShowBox(std::string_view text, std::string_view caption,
                                   BoxButtons buttons, BoxIcon icon) {
  RecordedBox box;
  box.text = std::string(text);
  box.caption = std::string(caption);
  box.buttons = buttons;
  box.icon = icon;
  std::string problem;
  if (buttons == BoxButtons::kYesNo) {
    if (no_boxes_) {
      problem = "unexpected question";
    } else if (answers_.empty()) {
      problem = "question without a scripted answer";
    } else {
      box.answer = answers_.front();
      answers_.pop_front();
    }
    // No is the answer that never leads to a write.
    if (!problem.empty()) box.answer = BoxAnswer::kNo;
  } else {
    box.answer = BoxAnswer::kOk;
    if (no_boxes_) problem = "unexpected box";
  }
  box.expected = problem.empty();
  boxes_.push_back(box);
  if (on_box_) on_box_(boxes_.back());
  if (!problem.empty()) Fail(problem + ": " + DescribeBox(box));
  return box.answer;
}

FileDialogResult ScriptedDialogs::OpenFile(const FileDialogRequest& request) {
  return FileDialog(false, request);
}

FileDialogResult ScriptedDialogs::SaveFile(const FileDialogRequest& request) {
  return FileDialog(true, request);
}

FileDialogResult ScriptedDialogs::FileDialog(bool save, const FileDialogRequest& request) {
  RecordedFileDialog record;
  record.save = save;
  record.request = request;
  // A cancelled dialog still hands back the name it was preset with.
  record.result.file_name = request.file_name;
  std::string problem;
  if (no_boxes_) {
    problem = "unexpected file dialog";
  } else if (files_.empty()) {
    problem = "file dialog without a scripted reply";
  } else {
    const FileReply reply = std::move(files_.front());
    files_.pop_front();
    if (reply.accept) {
      record.result.accepted = true;
      record.result.file_name = reply.file_name;
      record.result.filter_index = reply.filter_index;
    }
  }
  record.expected = problem.empty();
  file_dialogs_.push_back(record);
  if (!problem.empty()) Fail(problem + ": " + DescribeFileDialog(save, request));
  return record.result;
}

void ScriptedDialogs::AnswerYes(int times) {
  for (int i = 0; i < times; ++i) answers_.push_back(BoxAnswer::kYes);
}

void ScriptedDialogs::AnswerNo(int times) {
  for (int i = 0; i < times; ++i) answers_.push_back(BoxAnswer::kNo);
}

void ScriptedDialogs::AcceptFile(std::string file_name, int filter_index) {
  files_.push_back(FileReply{true, std::move(file_name), filter_index});
}

void ScriptedDialogs::CancelFile() {
  files_.push_back(FileReply{});
}

std::vector<std::string> ScriptedDialogs::texts() const {
  std::vector<std::string> result;
  result.reserve(boxes_.size());
  for (const RecordedBox& box : boxes_) result.push_back(box.text);
  return result;
}

void ScriptedDialogs::Clear() {
  boxes_.clear();
  file_dialogs_.clear();
  failures_.clear();
}

void ScriptedDialogs::Reset() {
  Clear();
  DropPendingAnswers();
  no_boxes_ = false;
}

void ScriptedDialogs::Fail(std::string message) {
  failures_.push_back(std::move(message));
  if (on_failure_) on_failure_(failures_.back());
}

}  // namespace qmx
