#include "link/network_port_list.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <map>

namespace qmx {
namespace {

bool AllDigits(const std::string& text) {
  return !text.empty() && text.size() <= 5 &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string Trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return "";
  const size_t last = text.find_last_not_of(" \t\r");
  std::string out = text.substr(first, last - first + 1);
  // The settings writer quotes a value it thinks needs it.
  if (out.size() >= 2 && out.front() == '"' && out.back() == '"')
    out = out.substr(1, out.size() - 2);
  return out;
}

std::optional<uint16_t> NumberInRange(const std::string& digits) {
  if (!AllDigits(digits)) return std::nullopt;
  const unsigned long n = std::stoul(digits);
  if (n < kFirstPortNumber || n > kLastPortNumber) return std::nullopt;
  return static_cast<uint16_t>(n);
}

}  // namespace

std::optional<uint16_t> ParsePortName(const std::string& text) {
  if (text.rfind("COM", 0) != 0) return std::nullopt;
  return NumberInRange(text.substr(3));
}

std::optional<NetworkPortEntry> ParseNetworkPortSetting(const std::string& key,
                                                        const std::string& address,
                                                        const std::string& margin) {
  const std::optional<uint16_t> number = ParsePortName(key);
  const std::optional<NetworkAddress> parsed = ParseNetworkAddress(address);
  if (!number || !parsed) return std::nullopt;
  NetworkPortEntry entry{*number, *parsed, 0};
  if (!margin.empty()) {
    if (!AllDigits(margin)) return std::nullopt;
    const unsigned long ms = std::stoul(margin);
    if (ms > kMaxNetworkMarginMs) return std::nullopt;
    entry.margin_ms = static_cast<uint32_t>(ms);
  }
  return entry;
}

std::string NetworkPortListProblem(const std::vector<NetworkPortEntry>& entries) {
  for (size_t i = 0; i < entries.size(); ++i) {
    for (size_t j = i + 1; j < entries.size(); ++j) {
      if (entries[i].number == entries[j].number) {
        return PortName(entries[i].number) + " указан дважды.";
      }
    }
  }
  return "";
}

std::string UserSettingsPath() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  std::string base;
  if (xdg != nullptr && *xdg == '/') {
    base = xdg;
  } else {
    const char* home = std::getenv("HOME");
    base = std::string(home != nullptr ? home : "") + "/.config";
  }
  return base + "/qmx41-config/qmx41-config.conf";
}

std::vector<NetworkPortEntry> ReadNetworkPortsFile(const std::string& path) {
  std::ifstream in(path);
  std::map<std::string, std::string> addresses;
  std::map<std::string, std::string> margins;
  std::string group;
  std::string line;
  while (std::getline(in, line)) {
    line = Trimmed(line);
    if (line.empty() || line.front() == ';' || line.front() == '#') continue;
    if (line.front() == '[' && line.back() == ']') {
      group = line.substr(1, line.size() - 2);
      continue;
    }
    const size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    const std::string key = Trimmed(line.substr(0, equals));
    const std::string value = Trimmed(line.substr(equals + 1));
    if (group == kNetworkPortsGroup) addresses[key] = value;
    if (group == kNetworkMarginsGroup) margins[key] = value;
  }
  std::vector<NetworkPortEntry> entries;
  for (const auto& [key, address] : addresses) {
    const auto margin = margins.find(key);
    if (auto entry =
            ParseNetworkPortSetting(key, address, margin != margins.end() ? margin->second : "")) {
      entries.push_back(*entry);
    }
  }
  std::sort(
      entries.begin(), entries.end(),
      [](const NetworkPortEntry& a, const NetworkPortEntry& b) { return a.number < b.number; });
  return entries;
}

std::optional<uint16_t> ResolvePortArgument(const std::string& text,
                                            std::vector<NetworkPortEntry>* entries) {
  if (auto number = NumberInRange(text)) return number;
  if (auto number = ParsePortName(text)) return number;
  const std::optional<NetworkAddress> address = ParseNetworkAddress(text);
  if (!address) return std::nullopt;
  for (const NetworkPortEntry& entry : *entries) {
    if (entry.address == *address) return entry.number;
  }
  for (uint16_t number = kLastPortNumber; number >= kFirstPortNumber; --number) {
    const bool taken =
        std::any_of(entries->begin(), entries->end(),
                    [number](const NetworkPortEntry& e) { return e.number == number; });
    if (!taken) {
      entries->push_back(NetworkPortEntry{number, *address, 0});
      return number;
    }
  }
  return std::nullopt;
}

}  // namespace qmx
