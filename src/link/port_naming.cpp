#include "link/port_naming.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

namespace qmx {
namespace {

bool EntryExists(const std::string& path) {
  // lstat: a link whose device has gone still holds its number, so the
  // numbers of the ports after it do not shift while a converter is out.
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

}  // namespace

std::string PortName(uint16_t number) {
  return "COM" + std::to_string(number);
}

std::string PortNaming::Resolve(uint16_t number) const {
  if (number < kFirstPortNumber || number > kLastPortNumber) return "";
  return ports_dir_.empty() ? ResolveByWineNumbering(number) : ResolveInPortsDir(number);
}

std::string PortNaming::ResolveInPortsDir(uint16_t number) const {
  const std::string digits = std::to_string(number);
  for (const char* prefix : {"/COM", "/com"}) {
    std::string entry = ports_dir_ + prefix + digits;
    if (EntryExists(entry)) return entry;
  }
  return "";
}

std::string PortNaming::ResolveByWineNumbering(uint16_t number) const {
  // Wine hands out COM1, COM2, ... to the built-in ports first, then the USB
  // converters, then the CDC-ACM devices, each family counted from 0 up to
  // its first missing node.
  unsigned left = number - 1u;
  for (const char* family : {"/ttyS", "/ttyUSB", "/ttyACM"}) {
    for (unsigned k = 0;; ++k) {
      std::string node = dev_root_ + family + std::to_string(k);
      if (!EntryExists(node)) break;
      if (left == 0) return node;
      --left;
    }
  }
  return "";
}

std::string PortNaming::DevicePath(uint16_t number) const {
  std::string entry = Resolve(number);
  // Wine's numbering names the device node itself.
  if (entry.empty() || ports_dir_.empty()) return entry;
  char target[4096];
  const ssize_t length = ::readlink(entry.c_str(), target, sizeof target - 1);
  if (length <= 0) return entry;
  std::string result(target, static_cast<size_t>(length));
  if (result.front() != '/') {
    // A relative link is relative to the directory holding it.
    result = entry.substr(0, entry.rfind('/') + 1) + result;
  }
  return result;
}

std::string PortsDirFromEnvironment() {
  const char* dir = std::getenv(kPortsDirVariable);
  return dir != nullptr ? std::string(dir) : std::string();
}

}  // namespace qmx
