// Files the operator names: the profiles, the exchange trace and the record
// files.  Opening one never waits (a FIFO or a device put under such a name
// would otherwise hold the window until some other program reads it), and
// anything that is not a regular file is refused.  A failure is told in the
// operator's words.
#pragma once

#include <sys/types.h>

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace qmx {

// Why the file at `path` could not be written, in the operator's words:
// "под этим именем находится папка", "под этим именем находится не обычный
// файл", "папка <dir> не существует", "нет прав на запись", "диск доступен
// только для чтения", "на диске нет места", "превышена дисковая квота", the
// system's text of `error`, or "файл не удалось прочитать или заменить" when
// `error` is 0.
std::string WriteFailureCause(const std::string& path, int error);

// The cause given for a name under which something other than a regular
// file is found: "под этим именем находится папка" or "... не обычный файл";
// empty when `path` is a regular file or nothing at all.
std::string NotRegularFileCause(const std::string& path);

// A text file opened for appending, created when missing, closed with the
// object.  Something that is not a regular file is refused without waiting.
class AppendFile {
 public:
  explicit AppendFile(const std::string& path);
  ~AppendFile();
  AppendFile(const AppendFile&) = delete;
  AppendFile& operator=(const AppendFile&) = delete;

  bool ok() const { return file_ != nullptr; }
  std::FILE* file() const { return file_; }
  // Not opened because the name is taken by something other than a regular
  // file; cause() says what.
  bool refused() const { return refused_; }
  // Why the file is not open (empty when it is).
  const std::string& cause() const { return cause_; }

  // Writes `text`; false when it did not all go.
  bool Write(std::string_view text);
  // Closes the file; false when the last of the text could not be written.
  bool Close();

 private:
  std::FILE* file_ = nullptr;
  bool refused_ = false;
  std::string cause_;
};

// Which refused files the operator has been told about: a file is told
// once, and again only after a write to it has gone through in between.
class RefusalNotices {
 public:
  // True when the refusal of `path` is news to the operator (it is then
  // remembered as told).
  bool FirstRefusal(const std::string& path);
  // A write to `path` went through.
  void Written(const std::string& path);

 private:
  std::vector<std::string> told_;
};

// A text file that takes a part every transaction or poll cycle (the
// exchange trace, a record file),
// kept open between parts instead of opened and closed for each: that cost
// more than the rest of the writing.  Yet every part goes to the file that is
// under the name when it is written: one deleted, renamed or replaced since
// is let go and the name opened afresh, as AppendFile would.  Nothing waits
// in a buffer (what Append wrote survives a crash of the program), and
// Release closes the file: the window does so whenever it has no exchange to
// run and no poll going, so that the file can be moved and its disk taken out.
class KeptAppendFile {
 public:
  enum class Outcome { kWritten, kFailed, kRefused };

  KeptAppendFile() = default;
  ~KeptAppendFile() { Release(); }
  KeptAppendFile(const KeptAppendFile&) = delete;
  KeptAppendFile& operator=(const KeptAppendFile&) = delete;

  // Appends `text` to the file at `path`.  kRefused: the name is taken by
  // something other than a regular file; cause() says why it was not written.
  Outcome Append(const std::string& path, std::string_view text);
  // Append, with the operator's notices kept: kRefused only when the
  // refusal is news to the operator (told once, again after a written part).
  Outcome AppendTold(const std::string& path, std::string_view text, RefusalNotices& notices);
  const std::string& cause() const { return cause_; }
  bool open() const { return fd_ >= 0; }
  void Release();

 private:
  int fd_ = -1;
  std::string path_;
  dev_t device_ = 0;
  ino_t inode_ = 0;
  std::string cause_;
};

}  // namespace qmx
