#include "storage/file_access.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace qmx {
namespace {

namespace fs = std::filesystem;

std::string KindCause(mode_t mode) {
  return S_ISDIR(mode) ? "под этим именем находится папка"
                       : "под этим именем находится не обычный файл";
}

}  // namespace

std::string NotRegularFileCause(const std::string& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0 || S_ISREG(info.st_mode)) return {};
  return KindCause(info.st_mode);
}

std::string WriteFailureCause(const std::string& path, int error) {
  if (std::string kind = NotRegularFileCause(path); !kind.empty()) return kind;
  const fs::path directory = fs::path(path).parent_path();
  std::error_code ignored;
  if (!directory.empty() && !fs::is_directory(directory, ignored)) {
    return "папка " + directory.string() + " не существует";
  }
  switch (error) {
    case EACCES:
    case EPERM:
      return "нет прав на запись";
    case EROFS:
      return "диск доступен только для чтения";
    case ENOSPC:
      return "на диске нет места";
    case EDQUOT:
      return "превышена дисковая квота";
    case 0:
      return "файл не удалось прочитать или заменить";
    default:
      return std::strerror(error);
  }
}

namespace {

// The descriptor of the regular file at `path`, opened for appending (and
// `info` about it), or -1 with `cause` and `refused` set.
int OpenForAppend(const std::string& path, struct stat* info, std::string* cause, bool* refused) {
  // Without O_NONBLOCK a FIFO nobody reads would hold the open for ever;
  // with it the open of such a FIFO fails at once (ENXIO), and one that a
  // reader holds opens but is refused below.
  const int fd =
      open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
  if (fd < 0) {
    const int error = errno;
    *cause = NotRegularFileCause(path);
    *refused = !cause->empty();
    if (!*refused) *cause = WriteFailureCause(path, error);
    return -1;
  }
  if (fstat(fd, info) != 0 || !S_ISREG(info->st_mode)) {
    close(fd);
    *refused = true;
    *cause = KindCause(info->st_mode);
    return -1;
  }
  // A regular file never makes a write wait; the plain flags are its own.
  fcntl(fd, F_SETFL, O_APPEND);
  return fd;
}

}  // namespace

AppendFile::AppendFile(const std::string& path) {
  struct stat info {};
  const int fd = OpenForAppend(path, &info, &cause_, &refused_);
  if (fd < 0) return;
  file_ = fdopen(fd, "a");
  if (file_ == nullptr) {
    cause_ = WriteFailureCause(path, errno);
    close(fd);
  }
}

AppendFile::~AppendFile() {
  Close();
}

bool AppendFile::Write(std::string_view text) {
  if (file_ == nullptr) return false;
  return std::fwrite(text.data(), 1, text.size(), file_) == text.size();
}

bool AppendFile::Close() {
  if (file_ == nullptr) return false;
  const bool closed = std::fclose(file_) == 0;
  file_ = nullptr;
  return closed;
}

KeptAppendFile::Outcome KeptAppendFile::Append(const std::string& path, std::string_view text) {
  if (fd_ >= 0) {
    // Still the file under that name?  One look instead of an open, a
    // close and their checks.
    struct stat now {};
    if (path != path_ || stat(path.c_str(), &now) != 0 || now.st_dev != device_ ||
        now.st_ino != inode_) {
      Release();
    }
  }
  if (fd_ < 0) {
    struct stat info {};
    bool refused = false;
    cause_.clear();
    fd_ = OpenForAppend(path, &info, &cause_, &refused);
    if (fd_ < 0) return refused ? Outcome::kRefused : Outcome::kFailed;
    path_ = path;
    device_ = info.st_dev;
    inode_ = info.st_ino;
  }
  size_t written = 0;
  while (written < text.size()) {
    const ssize_t n = write(fd_, text.data() + written, text.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      cause_ = WriteFailureCause(path, n < 0 ? errno : 0);
      // The next part opens the name again: the disk may have room by then.
      Release();
      return Outcome::kFailed;
    }
    written += static_cast<size_t>(n);
  }
  return Outcome::kWritten;
}

KeptAppendFile::Outcome KeptAppendFile::AppendTold(const std::string& path, std::string_view text,
                                                   RefusalNotices& notices) {
  const Outcome outcome = Append(path, text);
  if (outcome == Outcome::kWritten) notices.Written(path);
  if (outcome == Outcome::kRefused && !notices.FirstRefusal(path)) return Outcome::kFailed;
  return outcome;
}

void KeptAppendFile::Release() {
  if (fd_ < 0) return;
  close(fd_);
  fd_ = -1;
  path_.clear();
}

bool RefusalNotices::FirstRefusal(const std::string& path) {
  if (std::find(told_.begin(), told_.end(), path) != told_.end()) return false;
  told_.push_back(path);
  return true;
}

void RefusalNotices::Written(const std::string& path) {
  std::erase(told_, path);
}

}  // namespace qmx
