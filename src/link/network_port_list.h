// The list of network ports in the program's own settings
// (~/.config/qmx41-config/qmx41-config.conf, the file the window keeps its
// place in).  Each port is a line "COM20=rfc2217://10.0.0.5:4001" of the
// group [network-ports]; a network margin other than the measured one is a
// line "COM20=150" (milliseconds) of the group [network-margins].  The
// window reads and writes the groups through its settings; the command-line
// tool reads the file itself.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "link/network_port.h"

namespace qmx {

inline constexpr char kNetworkPortsGroup[] = "network-ports";
inline constexpr char kNetworkMarginsGroup[] = "network-margins";
// The longest network margin the settings accept, ms.
inline constexpr uint32_t kMaxNetworkMarginMs = 10000;

// "COM20" -> 20; nothing for a text that is no COM1..COM255 ("com20" too).
std::optional<uint16_t> ParsePortName(const std::string& text);

// One port from its key, address and margin text ("" = measured); nothing
// when any part is wrong.
std::optional<NetworkPortEntry> ParseNetworkPortSetting(const std::string& key,
                                                        const std::string& address,
                                                        const std::string& margin);

// Why a list cannot be kept ("" when it can): a number used twice.
std::string NetworkPortListProblem(const std::vector<NetworkPortEntry>& entries);

// The user's settings file: $XDG_CONFIG_HOME, else ~/.config, then
// qmx41-config/qmx41-config.conf.
std::string UserSettingsPath();

// The network ports of the settings file at `path`, in the order of their
// COM numbers; lines that are wrong are left out (an unreadable file: none).
std::vector<NetworkPortEntry> ReadNetworkPortsFile(const std::string& path);

// What "--port" names: a COM number ("20", "COM20"), or an address, which
// is the listed port of that address or else a port of its own under the
// highest number the list leaves free.  Nothing for a text that is none.
std::optional<uint16_t> ResolvePortArgument(const std::string& text,
                                            std::vector<NetworkPortEntry>* entries);

}  // namespace qmx
