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

AppendFile::AppendFile(const std::string& path) {
  // Without O_NONBLOCK a FIFO nobody reads would hold the open for ever;
  // with it the open of such a FIFO fails at once (ENXIO), and one that a
  // reader holds opens but is refused below.
  const int fd =
      open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
  if (fd < 0) {
    const int error = errno;
    cause_ = NotRegularFileCause(path);
    refused_ = !cause_.empty();
    if (!refused_) cause_ = WriteFailureCause(path, error);
    return;
  }
  struct stat info {};
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    refused_ = true;
    cause_ = KindCause(info.st_mode);
    return;
  }
  // A regular file never makes a write wait; the plain flags are its own.
  fcntl(fd, F_SETFL, O_APPEND);
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

bool RefusalNotices::FirstRefusal(const std::string& path) {
  if (std::find(told_.begin(), told_.end(), path) != told_.end()) return false;
  told_.push_back(path);
  return true;
}

void RefusalNotices::Written(const std::string& path) {
  std::erase(told_, path);
}

}  // namespace qmx
