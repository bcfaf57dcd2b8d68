#include "link/port_description.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <string_view>
#include <vector>

#include "link/port_naming.h"

namespace qmx {
namespace {

// Levels from the tty's device up to the USB device: the usb-serial port
// (ttyUSB), the interface, the device; a CDC-ACM tty starts at the interface.
constexpr int kLevelsToUsbDevice = 3;
// More links than any sane chain has: a loop.
constexpr int kMaxLinks = 16;

std::string BaseName(const std::string& path) {
  return path.substr(path.rfind('/') + 1);
}

std::string DirName(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string RealPath(const std::string& path) {
  std::string result;
  if (char* real = ::realpath(path.c_str(), nullptr)) {
    result = real;
    std::free(real);
  }
  return result;
}

bool IsLink(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

std::string ReadLink(const std::string& path) {
  char target[4096];
  const ssize_t length = ::readlink(path.c_str(), target, sizeof target - 1);
  if (length <= 0) return "";
  std::string result(target, static_cast<size_t>(length));
  return result.front() == '/' ? result : DirName(path) + "/" + result;
}

// A sysfs attribute without its line end and padding ("" when missing).
std::string ReadAttribute(const std::string& file) {
  std::ifstream in(file);
  std::string text;
  std::getline(in, text);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.pop_back();
  size_t start = 0;
  while (start < text.size() && std::isspace(static_cast<unsigned char>(text[start]))) ++start;
  return text.substr(start);
}

bool Exists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

std::string Compose(const std::string& maker, const std::string& product,
                    const std::string& serial) {
  std::string text = product;
  // Many converters repeat their maker in the product name.
  if (!maker.empty() && product.compare(0, maker.size(), maker) != 0) {
    text = product.empty() ? maker : maker + " " + product;
  }
  if (!serial.empty()) text += text.empty() ? serial : ", " + serial;
  return text;
}

// From the tty's device in sysfs up to the USB device that has a product.
std::string DescriptionFromSysfs(const std::string& node_name, const DeviceRoots& roots) {
  std::string dir = RealPath(roots.tty_class + "/" + node_name + "/device");
  if (dir.empty()) return "";
  std::string interface;
  for (int level = 0; level <= kLevelsToUsbDevice && dir.size() > 1; ++level) {
    if (interface.empty()) interface = ReadAttribute(dir + "/interface");
    if (Exists(dir + "/product") || Exists(dir + "/manufacturer")) {
      const std::string product = ReadAttribute(dir + "/product");
      // A converter with several ports names each by its interface.
      return Compose(ReadAttribute(dir + "/manufacturer"), product.empty() ? interface : product,
                     ReadAttribute(dir + "/serial"));
    }
    dir = DirName(dir);
  }
  return interface;
}

// The by-id link that leads to `real`, by its name.
std::string DescriptionFromByIdDir(const std::string& real, const DeviceRoots& roots) {
  DIR* dir = ::opendir(roots.by_id.c_str());
  if (dir == nullptr) return "";
  std::string result;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    if (RealPath(roots.by_id + "/" + name) == real) {
      result = DescriptionFromByIdName(name);
      if (!result.empty()) break;
    }
  }
  ::closedir(dir);
  return result;
}

bool AllDigits(const std::string& text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  }
  return true;
}

}  // namespace

std::string DescriptionFromByIdName(const std::string& name) {
  constexpr std::string_view kPrefix = "usb-";
  if (name.compare(0, kPrefix.size(), kPrefix) != 0) return "";
  std::string serial_id = name.substr(kPrefix.size());
  // "-if00-port0" (usb-serial), "-if00" (CDC-ACM): the interface, not the device.
  if (const size_t port = serial_id.rfind("-port");
      port != std::string::npos && AllDigits(serial_id.substr(port + 5))) {
    serial_id.erase(port);
  }
  if (const size_t interface = serial_id.rfind("-if");
      interface != std::string::npos && serial_id.size() - interface == 5) {
    serial_id.erase(interface);
  }
  // udev's "<vendor>_<model>_<serial>" with the spaces made underscores; the
  // serial is the last piece when there are three or more.
  std::vector<std::string> pieces;
  size_t start = 0;
  for (size_t end; (end = serial_id.find('_', start)) != std::string::npos; start = end + 1) {
    if (end > start) pieces.push_back(serial_id.substr(start, end - start));
  }
  if (start < serial_id.size()) pieces.push_back(serial_id.substr(start));
  if (pieces.empty()) return "";
  std::string text = pieces.front();
  const size_t words = pieces.size() >= 3 ? pieces.size() - 1 : pieces.size();
  for (size_t i = 1; i < words; ++i) text += " " + pieces[i];
  if (words < pieces.size()) text += ", " + pieces.back();
  return text;
}

PortDevice DescribeDevice(const std::string& path, const DeviceRoots& roots) {
  PortDevice device;
  if (path.empty()) return device;
  // Follow the links one by one: a chain broken at its end (the converter
  // is out) still tells its by-id name on the way.
  std::string by_id_name;
  std::string step = path;
  for (int links = 0;; ++links) {
    if (by_id_name.empty() && !DescriptionFromByIdName(BaseName(step)).empty()) {
      by_id_name = BaseName(step);
    }
    if (links == kMaxLinks || !IsLink(step)) break;
    const std::string target = ReadLink(step);
    if (target.empty()) break;
    step = target;
  }
  const std::string real = RealPath(path);
  device.path = real.empty() ? step : real;
  if (!real.empty()) device.description = DescriptionFromSysfs(BaseName(real), roots);
  if (device.description.empty() && !by_id_name.empty()) {
    device.description = DescriptionFromByIdName(by_id_name);
  }
  if (device.description.empty() && !real.empty()) {
    device.description = DescriptionFromByIdDir(real, roots);
  }
  return device;
}

std::string DeviceText(const PortDevice& device) {
  if (device.path.empty()) return "";
  return device.description.empty() ? device.path : device.path + " (" + device.description + ")";
}

std::string PortLineText(uint16_t number, const PortDevice& device, bool busy) {
  std::string text = PortName(number);
  if (!device.path.empty()) text += " — " + DeviceText(device);
  if (busy) text += kBusyPortMark;
  return text;
}

}  // namespace qmx
