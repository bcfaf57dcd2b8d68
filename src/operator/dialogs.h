// Every message the operator sees goes through this one interface: the
// window shows real message boxes, tests and acceptance scripts answer from a
// script and keep a record of every box.
#pragma once

#include <string>
#include <string_view>

namespace qmx {

enum class BoxIcon { kNone, kInformation, kExclamation, kError };
enum class BoxButtons { kOk, kYesNo };
enum class BoxAnswer { kOk, kYes, kNo };

// The fixed captions and texts shared by many operations.
inline constexpr char kCaptionConfirm[] = "Подтвердите действие";
inline constexpr char kCaptionWarning[] = "Предупреждение";
inline constexpr char kCaptionResult[] = "Результат операции";
inline constexpr char kCaptionInputError[] = "Ошибка ввода";
inline constexpr char kCaptionMessage[] = "Сообщение";
inline constexpr char kCaptionNotice[] = "Предупреждение.";
inline constexpr char kCaptionError[] = "Ошибка";
inline constexpr char kCaptionPortError[] = "Ошибка";
inline constexpr char kTextNoWrite[] = "Запись данных не будет производиться.";
inline constexpr char kTextPortError[] = "Невозможно открыть последовательный порт";

struct FileDialogRequest {
  std::string title;  // "" = the toolkit's own title
  std::string filter;  // "Текстовый файл (рекомендуется)|*.txt|Все файлы|*.*", "" = none
  std::string file_name;  // preset name
  std::string directory;  // starting directory, "" = current
};

struct FileDialogResult {
  bool accepted = false;
  std::string file_name;  // the chosen name; the preset when cancelled
  int filter_index = 1;   // 1-based, as the operator left it
};

class Dialogs {
 public:
  virtual ~Dialogs() = default;

  // A modal box; Yes/No boxes answer kYes or kNo, OK boxes kOk.
  virtual BoxAnswer ShowBox(std::string_view text, std::string_view caption, BoxButtons buttons,
                            BoxIcon icon) = 0;
  virtual FileDialogResult OpenFile(const FileDialogRequest& request) = 0;
  virtual FileDialogResult SaveFile(const FileDialogRequest& request) = 0;
  // Why nobody can have answered, when the program knows (the port could
  // not be opened): a second line for the report of silence.  Dialogs that
  // wrap others pass it on.
  virtual std::string NoAnswerCause() const { return {}; }

  // Confirmation before a write or command; false ends the handler.
  bool Question(std::string_view text) {
    return ShowBox(text, kCaptionConfirm, BoxButtons::kYesNo, BoxIcon::kExclamation) ==
           BoxAnswer::kYes;
  }
  bool WarningQuestion(std::string_view text) {
    return ShowBox(text, kCaptionWarning, BoxButtons::kYesNo, BoxIcon::kExclamation) ==
           BoxAnswer::kYes;
  }
  void Result(std::string_view text) {
    ShowBox(text, kCaptionResult, BoxButtons::kOk, BoxIcon::kInformation);
  }
  // A field that cannot be converted, then "nothing will be written".
  void InputError(std::string_view text, bool with_follow_up = true) {
    ShowBox(text, kCaptionInputError, BoxButtons::kOk, BoxIcon::kExclamation);
    if (with_follow_up)
      ShowBox(kTextNoWrite, kCaptionMessage, BoxButtons::kOk, BoxIcon::kInformation);
  }
  void Notice(std::string_view text) {
    ShowBox(text, kCaptionNotice, BoxButtons::kOk, BoxIcon::kInformation);
  }
  void PortError() { ShowBox(kTextPortError, kCaptionPortError, BoxButtons::kOk, BoxIcon::kError); }
};

}  // namespace qmx
