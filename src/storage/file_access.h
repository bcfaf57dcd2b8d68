// Files the operator names: the profiles, the exchange trace and the record
// files.  Opening one never waits (a FIFO or a device put under such a name
// would otherwise hold the window until some other program reads it), and
// anything that is not a regular file is refused.  A failure is told in the
// operator's words.
#pragma once

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

}  // namespace qmx
