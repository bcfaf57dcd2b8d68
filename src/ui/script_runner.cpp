#include "ui/script_runner.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QEventLoop>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <map>
#include <set>

#include "operator/controls.h"
#include "ui/exchange_gate.h"
#include "ui/widget_controls.h"

namespace qmx {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::optional<int> ParseNumber(const std::string& text) {
  int value = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (ec != std::errc() || ptr != end || value < 0) return std::nullopt;
  return value;
}

bool IsColour(const std::string& text) {
  if (text.size() != 7 || text[0] != '#') return false;
  for (size_t i = 1; i < text.size(); ++i) {
    const char c = text[i];
    const bool hex = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    if (!hex) return false;
  }
  return true;
}

// Argument counts and checks of every verb.
struct VerbRule {
  size_t min_args;
  size_t max_args;
  // Checks the arguments; returns "" when they are fine.
  std::string (*check)(const std::vector<std::string>& args);
};

std::string NoCheck(const std::vector<std::string>&) {
  return "";
}
std::string IndexCheck(const std::vector<std::string>& args) {
  return ParseNumber(args[1]) ? "" : "INDEX must be a number from 0: " + args[1];
}
std::string CountCheck(const std::vector<std::string>& args) {
  return ParseNumber(args[1]) ? "" : "COUNT must be a number from 0: " + args[1];
}
std::string OnOffCheck(const std::vector<std::string>& args) {
  return args[1] == "on" || args[1] == "off" ? "" : "expected on or off: " + args[1];
}
std::string YesNoCheck(const std::vector<std::string>& args) {
  return args[0] == "yes" || args[0] == "no" ? "" : "expected yes or no: " + args[0];
}
std::string FileCheck(const std::vector<std::string>& args) {
  if (args.size() < 2) return "";
  const std::optional<int> index = ParseNumber(args[1]);
  return index && *index >= 1 ? "" : "the filter INDEX counts from 1: " + args[1];
}
std::string ColourCheck(const std::vector<std::string>& args) {
  return IsColour(args[1]) ? "" : "expected a colour #RRGGBB: " + args[1];
}
std::string MsCheck(const std::vector<std::string>& args) {
  return ParseNumber(args[0]) ? "" : "MS must be a number from 0: " + args[0];
}

const std::map<std::string, VerbRule, std::less<>>& VerbRules() {
  static const std::map<std::string, VerbRule, std::less<>> rules = {
      {"click", {1, 1, NoCheck}},
      {"select", {2, 2, IndexCheck}},
      {"set-text", {2, 2, NoCheck}},
      {"check", {2, 2, OnOffCheck}},
      {"tab", {2, 2, IndexCheck}},
      {"answer", {1, 1, YesNoCheck}},
      {"file", {1, 2, FileCheck}},
      {"file-cancel", {0, 0, NoCheck}},
      {"expect-box", {2, 2, NoCheck}},
      {"expect-text", {2, 2, NoCheck}},
      {"expect-color", {2, 2, ColourCheck}},
      {"expect-item", {3, 3, IndexCheck}},
      {"expect-count", {2, 2, CountCheck}},
      {"wait", {1, 1, MsCheck}},
      {"screenshot", {1, 2, NoCheck}},
      {"quit", {0, 0, NoCheck}},
  };
  return rules;
}

// The verbs whose first argument names a control.
bool NamesControl(const std::string& verb) {
  static const std::set<std::string, std::less<>> verbs = {
      "click",       "select",       "set-text",    "check",       "tab",
      "expect-text", "expect-color", "expect-item", "expect-count"};
  return verbs.contains(verb);
}

std::string Utf8(const QString& text) {
  return text.toStdString();
}
QString FromUtf8(const std::string& text) {
  return QString::fromStdString(text);
}

// What the control shows as its text, if it has one.
std::optional<QString> ControlText(QWidget* widget) {
  if (auto* label = qobject_cast<QLabel*>(widget)) return label->text();
  if (auto* edit = qobject_cast<QLineEdit*>(widget)) return edit->text();
  if (auto* button = qobject_cast<QAbstractButton*>(widget)) return button->text();
  if (auto* combo = qobject_cast<QComboBox*>(widget)) return combo->currentText();
  if (auto* memo = qobject_cast<QPlainTextEdit*>(widget)) return memo->toPlainText();
  if (auto* group = qobject_cast<QGroupBox*>(widget)) return group->title();
  if (auto* tabs = qobject_cast<QTabWidget*>(widget)) return tabs->tabText(tabs->currentIndex());
  if (auto* list = qobject_cast<QListWidget*>(widget)) {
    return list->currentItem() != nullptr ? list->currentItem()->text() : QString();
  }
  if (widget->isWindow()) return widget->windowTitle();
  return std::nullopt;
}

}  // namespace

std::optional<std::vector<std::string>> SplitScriptLine(std::string_view line, std::string* error) {
  std::vector<std::string> words;
  size_t i = 0;
  while (true) {
    while (i < line.size() && IsBlank(line[i])) ++i;
    if (i >= line.size()) break;
    std::string word;
    if (line[i] == '"') {
      ++i;
      bool closed = false;
      while (i < line.size()) {
        const char c = line[i++];
        if (c == '"') {
          closed = true;
          break;
        }
        if (c == '\\') {
          if (i >= line.size() || (line[i] != '"' && line[i] != '\\')) {
            if (error != nullptr) *error = "only \\\" and \\\\ may follow a backslash";
            return std::nullopt;
          }
          word += line[i++];
          continue;
        }
        word += c;
      }
      if (!closed) {
        if (error != nullptr) *error = "the quote is not closed";
        return std::nullopt;
      }
      if (i < line.size() && !IsBlank(line[i])) {
        if (error != nullptr) *error = "a blank must follow a closing quote";
        return std::nullopt;
      }
    } else {
      while (i < line.size() && !IsBlank(line[i])) word += line[i++];
    }
    words.push_back(std::move(word));
  }
  return words;
}

std::string QuoteScriptWord(std::string_view text) {
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') quoted += '\\';
    quoted += c;
  }
  quoted += '"';
  return quoted;
}

std::vector<ScriptCommand> ParseScript(std::istream& script, std::vector<std::string>* errors) {
  std::vector<ScriptCommand> commands;
  std::string line;
  int number = 0;
  auto error = [&](const std::string& message) {
    if (errors != nullptr) errors->push_back("line " + std::to_string(number) + ": " + message);
  };
  while (std::getline(script, line)) {
    ++number;
    // A comment is free text: quotes in it are not words.
    const size_t first = line.find_first_not_of(" \t\r");
    if (first != std::string::npos && line[first] == '#') continue;
    std::string problem;
    const std::optional<std::vector<std::string>> words = SplitScriptLine(line, &problem);
    if (!words) {
      error(problem);
      continue;
    }
    if (words->empty() || (*words)[0].starts_with('#')) continue;
    ScriptCommand command{number, (*words)[0], {words->begin() + 1, words->end()}};
    const auto rule = VerbRules().find(command.verb);
    if (rule == VerbRules().end()) {
      error("unknown command " + command.verb);
      continue;
    }
    const VerbRule& r = rule->second;
    if (command.args.size() < r.min_args || command.args.size() > r.max_args) {
      error(command.verb + " takes " + std::to_string(r.min_args) +
            (r.max_args != r.min_args ? " or " + std::to_string(r.max_args) : "") +
            " argument(s), got " + std::to_string(command.args.size()) +
            " (quote a text with blanks)");
      continue;
    }
    problem = r.check(command.args);
    if (!problem.empty()) {
      error(command.verb + ": " + problem);
      continue;
    }
    commands.push_back(std::move(command));
  }
  return commands;
}

int ReadScriptFile(const std::string& path, std::string* text, std::string* error) {
  // Opened without blocking, so a pipe with no writer does not hang the
  // check; the checks look at what was opened, not at the name again.
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    *error = "cannot read " + path + ": " + std::strerror(errno);
    return ScriptRunner::kExitScriptError;
  }
  struct stat info {};
  std::string problem;
  if (fstat(fd, &info) != 0) {
    problem = std::strerror(errno);
  } else if (!S_ISREG(info.st_mode)) {
    problem = S_ISDIR(info.st_mode) ? "a directory" : "not a regular file";
  } else if (static_cast<uintmax_t>(info.st_size) > kMaxScriptFileBytes) {
    problem = "larger than " + std::to_string(kMaxScriptFileBytes >> 20) + " MiB";
  }
  text->clear();
  // A file that grows while it is read is cut off at the limit plus one
  // byte, and refused.
  char buffer[65536];
  while (problem.empty()) {
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) problem = std::strerror(errno);
    if (n <= 0) break;
    text->append(buffer, static_cast<size_t>(n));
    if (text->size() > kMaxScriptFileBytes) {
      problem = "larger than " + std::to_string(kMaxScriptFileBytes >> 20) + " MiB";
    }
  }
  close(fd);
  if (problem.empty()) return ScriptRunner::kExitOk;
  text->clear();
  *error = "cannot read " + path + ": " + problem;
  return ScriptRunner::kExitScriptError;
}

ScriptRunner::ScriptRunner(QWidget* root, ScriptedDialogs& dialogs, std::ostream& out)
    : root_(root), dialogs_(dialogs), out_(out) {}

void ScriptRunner::PrintBox(const RecordedBox& box) {
  out_ << "box " << QuoteScriptWord(box.text) << ' ' << QuoteScriptWord(box.caption);
  if (box.is_question()) out_ << " -> " << (box.answer == BoxAnswer::kYes ? "yes" : "no");
  out_ << '\n';
  out_.flush();
}

int ScriptRunner::Run(std::istream& script) {
  std::vector<std::string> errors;
  const std::vector<ScriptCommand> commands = ParseScript(script, &errors);
  if (!errors.empty()) {
    for (const std::string& error : errors) out_ << "script error: " << error << '\n';
    out_.flush();
    return kExitScriptError;
  }
  // A name that is not there stops the script before it has done anything.
  for (const ScriptCommand& command : commands) {
    const std::string missing = MissingControl(command);
    if (!missing.empty())
      errors.push_back("line " + std::to_string(command.line) + ": " + command.verb + ": " +
                       missing);
  }
  if (!errors.empty()) {
    for (const std::string& error : errors) out_ << "script error: " << error << '\n';
    out_.flush();
    return kExitScriptError;
  }

  unexpected_box_ = false;
  quit_ = false;
  // Boxes shown before the script started (at start-up) are part of the run.
  for (const RecordedBox& box : dialogs_.boxes()) PrintBox(box);
  for (const std::string& failure : dialogs_.failures()) out_ << "FAILED: " << failure << '\n';
  if (!dialogs_.ok()) return kExitFailed;

  // The runner's own reporting for the length of the run; whoever watched
  // the dialogs before (a test) gets them back afterwards.
  const ScriptedDialogs::BoxObserver previous_observer = dialogs_.box_observer();
  const ScriptedDialogs::FailureHandler previous_handler = dialogs_.failure_handler();
  int current_line = 0;
  dialogs_.SetBoxObserver([this, &previous_observer](const RecordedBox& box) {
    PrintBox(box);
    if (previous_observer) previous_observer(box);
  });
  dialogs_.SetFailureHandler([this, &current_line](std::string_view message) {
    unexpected_box_ = true;
    out_ << "line " << current_line << ": FAILED: " << message << '\n';
    out_.flush();
  });

  int code = kExitOk;
  for (const ScriptCommand& command : commands) {
    current_line = command.line;
    code = Execute(command);
    if (code == kExitOk) Settle();
    if (code == kExitOk && unexpected_box_) code = kExitFailed;
    if (code != kExitOk || quit_) break;
  }
  dialogs_.SetBoxObserver(previous_observer);
  dialogs_.SetFailureHandler(previous_handler);

  if (code == kExitOk && dialogs_.pending_answers() > 0) {
    out_ << "note: " << dialogs_.pending_answers() << " answer(s) left unused\n";
  }
  out_ << (code == kExitOk ? "script: ok" : "script: stopped") << '\n';
  out_.flush();
  return code;
}

int ScriptRunner::Fail(const ScriptCommand& command, const std::string& message, int code) {
  out_ << "line " << command.line << ": " << (code == kExitFailed ? "FAILED: " : "error: ")
       << command.verb << ": " << message << '\n';
  out_.flush();
  return code;
}

std::string ScriptRunner::MissingControl(const ScriptCommand& command) const {
  if (!NamesControl(command.verb)) return "";
  const std::string& name = command.args[0];
  if (root_ == nullptr) return "the window is gone";
  auto named = [this](std::string_view object_name) -> QWidget* {
    const QString wanted = FromUtf8(std::string(object_name));
    if (root_->objectName() == wanted) return root_;
    return root_->findChild<QWidget*>(wanted);
  };
  if (const std::optional<GridCell> cell = ParseGridCellName(name)) {
    const auto* grid = qobject_cast<const QTableWidget*>(named(cell->grid));
    if (grid == nullptr) return "no grid " + std::string(cell->grid);
    if (cell->row >= grid->rowCount() || cell->column >= grid->columnCount()) {
      return "no cell " + name + ", the grid has " + std::to_string(grid->columnCount()) +
             " columns and " + std::to_string(grid->rowCount()) + " rows";
    }
    return "";
  }
  if (named(name) != nullptr) return "";
  // Menu commands are actions, not widgets.
  if (command.verb == "click" && root_->findChild<QAction*>(FromUtf8(name)) != nullptr) return "";
  return "no control " + name;
}

QWidget* ScriptRunner::Find(const ScriptCommand& command, const std::string& name) {
  if (root_ == nullptr) return nullptr;
  const QString object_name = FromUtf8(name);
  if (root_->objectName() == object_name) return root_;
  const QList<QWidget*> found = root_->findChildren<QWidget*>(object_name);
  if (found.size() > 1) {
    out_ << "line " << command.line << ": note: " << found.size() << " controls are named " << name
         << "; the first is used\n";
  }
  return found.isEmpty() ? nullptr : found.front();
}

// A cell of a grid, "StringGrid3[1,2]": its text is checked, or typed in
// through the grid's own editor as the operator types it.
int ScriptRunner::ExecuteOnCell(const ScriptCommand& command, const GridCell& cell) {
  const std::string& name = command.args[0];
  auto* grid = qobject_cast<QTableWidget*>(Find(command, std::string(cell.grid)));
  QTableWidgetItem* item = grid != nullptr ? grid->item(cell.row, cell.column) : nullptr;
  if (item == nullptr) return Fail(command, "no control " + name, kExitScriptError);
  if (command.verb == "expect-text") {
    if (Utf8(item->text()) != command.args[1]) {
      return Fail(command, name + ": expected " + QuoteScriptWord(command.args[1]) + ", shown " +
                               QuoteScriptWord(Utf8(item->text())));
    }
    return kExitOk;
  }
  if (command.verb != "set-text") {
    return Fail(command, command.verb + " does not apply to a grid cell", kExitScriptError);
  }
  if (!grid->isEnabled() || !(item->flags() & Qt::ItemIsEditable)) {
    return Fail(command, name + " is read-only");
  }
  grid->setCurrentItem(item);
  grid->editItem(item);
  QLineEdit* editor = nullptr;
  for (QLineEdit* child : grid->viewport()->findChildren<QLineEdit*>()) {
    if (child->isVisibleTo(grid)) editor = child;
  }
  if (editor == nullptr) {
    item->setText(FromUtf8(command.args[1]));
    return kExitOk;
  }
  const QString text = FromUtf8(command.args[1]);
  editor->setText(text);
  emit editor->textEdited(text);
  emit grid->itemDelegate()->commitData(editor);
  emit grid->itemDelegate()->closeEditor(editor);
  return kExitOk;
}

int ScriptRunner::Execute(const ScriptCommand& command) {
  const std::string& verb = command.verb;
  const std::vector<std::string>& args = command.args;

  if (verb == "answer") {
    args[0] == "yes" ? dialogs_.AnswerYes() : dialogs_.AnswerNo();
    return kExitOk;
  }
  if (verb == "file") {
    dialogs_.AcceptFile(args[0], args.size() > 1 ? *ParseNumber(args[1]) : 1);
    return kExitOk;
  }
  if (verb == "file-cancel") {
    dialogs_.CancelFile();
    return kExitOk;
  }
  if (verb == "quit") {
    quit_ = true;
    return kExitOk;
  }
  if (verb == "wait") {
    QEventLoop loop;
    QTimer::singleShot(*ParseNumber(args[0]), &loop, &QEventLoop::quit);
    loop.exec();
    return kExitOk;
  }
  if (verb == "expect-box") {
    const std::vector<RecordedBox>& boxes = dialogs_.boxes();
    const std::string wanted = QuoteScriptWord(args[0]) + ' ' + QuoteScriptWord(args[1]);
    if (checked_boxes_ >= boxes.size()) {
      return Fail(command, "expected box " + wanted + ", no further box was shown");
    }
    const RecordedBox& box = boxes[checked_boxes_++];
    if (box.text != args[0] || box.caption != args[1]) {
      return Fail(command, "expected box " + wanted + ", shown " + QuoteScriptWord(box.text) + ' ' +
                               QuoteScriptWord(box.caption));
    }
    return kExitOk;
  }
  if (verb == "screenshot") {
    if (root_ == nullptr) return Fail(command, "the window is gone", kExitScriptError);
    // A second word names another window of the program that is open (a
    // record file's chart, "RecordChartWindow"), or a control whose window
    // is taken (a dialog).
    QWidget* shown = root_->window();
    if (args.size() == 2) {
      shown = nullptr;
      for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->isVisible() && top->objectName() == FromUtf8(args[1])) shown = top;
      }
      if (shown == nullptr) {
        if (QWidget* named = Find(command, args[1])) shown = named->window();
      }
      if (shown == nullptr) return Fail(command, "no window " + args[1] + " is open");
    }
    if (!shown->grab().save(FromUtf8(args[0]), "PNG")) {
      return Fail(command, "cannot write " + args[0], kExitScriptError);
    }
    return kExitOk;
  }

  const std::string& name = args[0];
  if (verb == "click") {
    if (QWidget* widget = Find(command, name)) {
      auto* button = qobject_cast<QAbstractButton*>(widget);
      if (button == nullptr) return Fail(command, name + " is not a button", kExitScriptError);
      if (!button->isEnabled()) return Fail(command, name + " is disabled");
      button->click();
      return kExitOk;
    }
    // Menu commands are actions, not widgets.
    QAction* action = root_ != nullptr ? root_->findChild<QAction*>(FromUtf8(name)) : nullptr;
    if (action == nullptr) return Fail(command, "no control " + name, kExitScriptError);
    if (!action->isEnabled()) return Fail(command, name + " is disabled");
    action->trigger();
    return kExitOk;
  }

  if (const std::optional<GridCell> cell = ParseGridCellName(name)) {
    return ExecuteOnCell(command, *cell);
  }

  QWidget* widget = Find(command, name);
  if (widget == nullptr) return Fail(command, "no control " + name, kExitScriptError);

  if (verb == "expect-text") {
    const std::optional<QString> text = ControlText(widget);
    if (!text) return Fail(command, name + " shows no text", kExitScriptError);
    if (Utf8(*text) != args[1]) {
      return Fail(command, name + ": expected " + QuoteScriptWord(args[1]) + ", shown " +
                               QuoteScriptWord(Utf8(*text)));
    }
    return kExitOk;
  }
  if (verb == "expect-item" || verb == "expect-count") {
    QStringList items;
    if (auto* list = qobject_cast<QListWidget*>(widget)) {
      for (int i = 0; i < list->count(); ++i) items << list->item(i)->text();
    } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
      for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i);
    } else {
      return Fail(command, name + " is not a list", kExitScriptError);
    }
    if (verb == "expect-count") {
      const int wanted = *ParseNumber(args[1]);
      if (items.size() != wanted) {
        return Fail(command, name + ": expected " + args[1] + " line(s), shown " +
                                 std::to_string(items.size()));
      }
      return kExitOk;
    }
    const int index = *ParseNumber(args[1]);
    if (index >= items.size()) {
      return Fail(command,
                  name + ": no line " + args[1] + ", it has " + std::to_string(items.size()));
    }
    if (Utf8(items[index]) != args[2]) {
      return Fail(command, name + " line " + args[1] + ": expected " + QuoteScriptWord(args[2]) +
                               ", shown " + QuoteScriptWord(Utf8(items[index])));
    }
    return kExitOk;
  }
  if (verb == "expect-color") {
    // What is painted, not what the palette says: a colour set where it is
    // never drawn is no colour the operator sees.
    const QColor painted = PaintedColor(widget);
    if (!painted.isValid()) return Fail(command, name + " paints nothing");
    const QString shown = painted.name(QColor::HexRgb);
    if (shown.compare(FromUtf8(args[1]), Qt::CaseInsensitive) != 0) {
      return Fail(command, name + ": expected colour " + args[1] + ", shown " + Utf8(shown));
    }
    return kExitOk;
  }

  // The rest act as the operator would: not on a disabled control.
  if (!widget->isEnabled()) return Fail(command, name + " is disabled");

  if (verb == "select") {
    const int index = *ParseNumber(args[1]);
    if (auto* combo = qobject_cast<QComboBox*>(widget)) {
      if (index >= combo->count()) {
        return Fail(command, name + " has " + std::to_string(combo->count()) + " items");
      }
      // The page code reacts to activated(): the operator's choice, never the
      // program's own fill of the list.
      combo->setCurrentIndex(index);
      emit combo->activated(index);
      emit combo->textActivated(combo->itemText(index));
      return kExitOk;
    }
    if (auto* list = qobject_cast<QListWidget*>(widget)) {
      if (index >= list->count()) {
        return Fail(command, name + " has " + std::to_string(list->count()) + " items");
      }
      list->setCurrentRow(index);
      emit list->itemClicked(list->item(index));
      return kExitOk;
    }
    return Fail(command, name + " is not a list", kExitScriptError);
  }
  if (verb == "set-text") {
    const QString text = FromUtf8(args[1]);
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
      if (edit->isReadOnly()) return Fail(command, name + " is read-only");
      edit->setText(text);
      emit edit->textEdited(text);
      emit edit->editingFinished();
      return kExitOk;
    }
    if (auto* memo = qobject_cast<QPlainTextEdit*>(widget)) {
      if (memo->isReadOnly()) return Fail(command, name + " is read-only");
      memo->setPlainText(text);
      return kExitOk;
    }
    if (auto* combo = qobject_cast<QComboBox*>(widget); combo != nullptr && combo->isEditable()) {
      combo->setEditText(text);
      return kExitOk;
    }
    return Fail(command, name + " is not an edit field", kExitScriptError);
  }
  if (verb == "check") {
    auto* button = qobject_cast<QAbstractButton*>(widget);
    if (button == nullptr || !button->isCheckable()) {
      return Fail(command, name + " is not a check box", kExitScriptError);
    }
    if (button->isChecked() != (args[1] == "on")) button->click();
    return kExitOk;
  }
  if (verb == "tab") {
    auto* tabs = qobject_cast<QTabWidget*>(widget);
    if (tabs == nullptr) return Fail(command, name + " is not a page set", kExitScriptError);
    const int index = *ParseNumber(args[1]);
    if (index >= tabs->count()) {
      return Fail(command, name + " has " + std::to_string(tabs->count()) + " pages");
    }
    tabs->setCurrentIndex(index);
    return kExitOk;
  }
  return Fail(command, "not carried out", kExitScriptError);
}

void ScriptRunner::Settle() {
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  if (gate_ == nullptr || !gate_->Busy()) return;
  QEventLoop loop;
  QObject::connect(gate_, &ExchangeGate::busyChanged, &loop, [&loop](bool busy) {
    if (!busy) loop.quit();
  });
  QTimer::singleShot(settle_limit_ms_, &loop, &QEventLoop::quit);
  if (gate_->Busy()) loop.exec();
  if (gate_->Busy()) out_ << "note: the exchange still runs after " << settle_limit_ms_ << " ms\n";
}

}  // namespace qmx
