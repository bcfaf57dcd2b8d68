// Replays an operator procedure on the running window, for acceptance runs
// (qmx41-config --script FILE).  One command a line; blank lines and lines
// starting with "#" are skipped; words are separated by blanks, and a word
// may be quoted ("..." with \" and \\ inside):
//
//   click NAME              press a button, or trigger a menu command
//   select NAME INDEX       choose item INDEX (from 0) of a list, as the
//                           operator would: for a combo box the current
//                           index is set, then activated(INDEX) is emitted
//   set-text NAME TEXT      type TEXT into an edit field (then leave it)
//   check NAME on|off       tick or clear a check box by clicking it
//   tab NAME INDEX          show page INDEX of a page set
//   answer yes|no           the answer to the next question box
//   file PATH [INDEX]       the next file dialog is confirmed with PATH
//                           (filter INDEX, from 1)
//   file-cancel             the next file dialog is cancelled
//   expect-box TEXT CAPTION the next box not yet checked has this text and
//                           caption
//   expect-text NAME TEXT   the control shows TEXT
//   expect-color NAME #RRGGBB  the control's background colour
//   expect-item NAME INDEX TEXT  line INDEX (from 0) of a list shows TEXT
//   expect-count NAME COUNT the list has COUNT lines
//   wait MS                 let the window run for MS milliseconds
//   screenshot FILE         save a picture of the window (PNG)
//   quit                    end the script here
//
// NAME is the objectName of a control (or of a menu command) under the
// root widget.  Every box shown is printed; a failed expectation, a question
// without a scripted answer or a command that cannot be carried out stops
// the script with a non-zero code.  The whole script is read and checked
// before the first command runs, the controls it names included.
#pragma once

#include <QPointer>
#include <QWidget>
#include <istream>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "operator/controls.h"
#include "operator/scripted_dialogs.h"

namespace qmx {

class ExchangeGate;

struct ScriptCommand {
  int line = 0;
  std::string verb;
  std::vector<std::string> args;
};

// Splits one line into words (quotes and escapes resolved).  Returns no
// value and sets `error` when a quote is not closed or an escape is unknown.
std::optional<std::vector<std::string>> SplitScriptLine(std::string_view line, std::string* error);
// A whole script: unknown verbs, wrong argument counts and malformed
// numbers are errors (one line each, "line N: ...").
std::vector<ScriptCommand> ParseScript(std::istream& script, std::vector<std::string>* errors);
// `text` quoted so SplitScriptLine gives it back unchanged.
std::string QuoteScriptWord(std::string_view text);

// Largest script file read.
inline constexpr size_t kMaxScriptFileBytes = size_t{16} << 20;
// Reads the script file at `path` into `text`: only a regular file of at most
// kMaxScriptFileBytes.  Returns ScriptRunner::kExitOk, or kExitScriptError
// with `error` set; a directory, a device or a pipe is not read from at all.
int ReadScriptFile(const std::string& path, std::string* text, std::string* error);

class ScriptRunner {
 public:
  static constexpr int kExitOk = 0;
  static constexpr int kExitFailed = 1;       // an expectation or an unexpected box
  static constexpr int kExitScriptError = 2;  // the script cannot be read or carried out

  ScriptRunner(QWidget* root, ScriptedDialogs& dialogs, std::ostream& out);
  ScriptRunner(const ScriptRunner&) = delete;
  ScriptRunner& operator=(const ScriptRunner&) = delete;

  // After every command the runner waits until the gate is free, so that the
  // next command sees the outcome of actions that had to wait their turn.
  void SetGate(ExchangeGate* gate) { gate_ = gate; }
  // Longest wait for the gate after one command.
  void SetSettleLimitMs(int ms) { settle_limit_ms_ = ms; }

  // Runs the script; returns the exit code.  What follows (closing the
  // window, ending the program) is the caller's business; quit_requested()
  // tells whether the script ended with quit.
  int Run(std::istream& script);
  bool quit_requested() const { return quit_; }

 private:
  // Carries out one command; returns kExitOk or the code to stop with.
  int Execute(const ScriptCommand& command);
  int ExecuteOnCell(const ScriptCommand& command, const GridCell& cell);
  int Fail(const ScriptCommand& command, const std::string& message, int code = kExitFailed);
  // "" when the control the command names is there, else what is missing.
  std::string MissingControl(const ScriptCommand& command) const;
  QWidget* Find(const ScriptCommand& command, const std::string& name);
  // Lets posted events run and queued actions end.
  void Settle();
  void PrintBox(const RecordedBox& box);

  QPointer<QWidget> root_;
  ScriptedDialogs& dialogs_;
  std::ostream& out_;
  ExchangeGate* gate_ = nullptr;
  int settle_limit_ms_ = 120000;
  size_t checked_boxes_ = 0;  // boxes already matched by expect-box
  bool unexpected_box_ = false;
  bool quit_ = false;
};

}  // namespace qmx
