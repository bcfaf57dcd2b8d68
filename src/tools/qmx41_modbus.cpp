// qmx41-modbus: reads or writes holding registers of the instrument over the
// same link the window uses, for scripts and for diagnosing a line.
//
//   qmx41-modbus [options] read START COUNT
//   qmx41-modbus [options] write START VALUE...
//   qmx41-modbus [options] config read|compare|write FILE ...
//
// The line comes from "dev.dat" and "to.dat" of the current directory (created
// with their defaults when missing, as the window does); options override it.
// Exit status: 0 when the exchange succeeded (after a repetition too) or a
// broadcast (address 0) write was sent, 1 when it failed or the port could not
// be opened, 2 on bad arguments, 3 when the answer was not checked (address
// 255).
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <iostream>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "config/config_command.h"
#include "link/clock.h"
#include "link/line_text.h"
#include "link/link.h"
#include "link/network_port.h"
#include "link/network_port_list.h"
#include "link/port_naming.h"
#include "link/posix_serial_port.h"
#include "storage/settings_files.h"

namespace {

using qmx::Link;

constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kExitUnchecked = 3;

// The link judges no answer at this address; 0 is every instrument at once.
constexpr uint16_t kUncheckedAddress = 255;
constexpr uint16_t kBroadcastAddress = 0;

void PrintUsage() {
  std::fprintf(stderr,
               "Usage: qmx41-modbus [options] read START COUNT\n"
               "       qmx41-modbus [options] write START VALUE...\n"
               "       qmx41-modbus [options] config read FILE\n"
               "       qmx41-modbus [options] config compare FILE [--with GROUP]...\n"
               "       qmx41-modbus [options] config write FILE [--with GROUP]... [--yes]\n"
               "         GROUP: line | calibration | password (settings always)\n"
               "\n"
               "START, COUNT and VALUE are decimal or 0x-prefixed hexadecimal.\n"
               "COUNT is 1..%u for a read; a write takes 1..%u values (0..65535).\n"
               "\n"
               "Options (override dev.dat of the current directory):\n"
               "  --port N            COM port number 1..255 (COM20 too), or a network\n"
               "                      port: tcp://HOST:PORT (raw) or rfc2217://HOST:PORT;\n"
               "                      the network ports of ~/.config/qmx41-config have\n"
               "                      their COM numbers\n"
               "  --baud RATE         1200 2400 4800 9600 19200 38400 57600 115200\n"
               "  --parity P          none | odd | even\n"
               "  --address A         network address 0..255 (0: broadcast, writes\n"
               "                      only, sent once; 255: answer not checked)\n"
               "  --ports-dir DIR     directory of COMn links (else QMX41_PORTS_DIR,\n"
               "                      else /dev/ttyS*, ttyUSB*, ttyACM* in Wine's order)\n"
               "  --timeout MS        read total time-out constant\n"
               "  --retries N         attempts in all (1 = no repetition)\n"
               "  --version           the program's version\n",
               qmx::kMaxReadCount, qmx::kMaxWriteCount);
}

std::optional<unsigned long> ParseNumber(std::string_view text, unsigned long max) {
  if (text.empty()) return std::nullopt;
  std::string s(text);
  int base = 10;
  const char* begin = s.c_str();
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    base = 16;
    begin += 2;
  }
  if (*begin == '\0' || *begin == '-' || *begin == '+' || *begin == ' ') return std::nullopt;
  errno = 0;
  char* end = nullptr;
  unsigned long value = std::strtoul(begin, &end, base);
  if (errno != 0 || *end != '\0' || value > max) return std::nullopt;
  return value;
}

std::optional<uint16_t> BaudCodeOfRate(std::string_view text) {
  static constexpr const char* kRates[] = {"1200",  "2400",  "4800",  "9600",
                                           "19200", "38400", "57600", "115200"};
  for (uint16_t i = 0; i < 8; ++i)
    if (text == kRates[i]) return static_cast<uint16_t>(i + 3);
  return std::nullopt;
}

const char* ExceptionMeaning(uint16_t code) {
  switch (code) {
    case 1:
      return "illegal function";
    case 2:
      return "illegal data address";
    case 3:
      return "illegal data value";
    case 4:
      return "slave device failure";
    case 5:
      return "acknowledge";
    case 6:
      return "slave device busy";
    default:
      return "instrument-specific error";
  }
}

void PrintStatus(uint16_t status, uint16_t exception) {
  static constexpr struct {
    uint16_t bit;
    const char* name;
  } kBits[] = {
      {qmx::kStatusLineError, "line error (parity/framing/overrun/break)"},
      {qmx::kStatusWrongLength, "wrong length"},
      {qmx::kStatusWrongAddress, "wrong address"},
      {qmx::kStatusWrongFunction, "wrong function"},
      {qmx::kStatusException, "Modbus exception"},
      {qmx::kStatusCrcError, "CRC error"},
      {qmx::kStatusNoAnswer, "nothing received"},
      {qmx::kStatusRefusedBusy, "refused: another transaction in progress"},
      {qmx::kStatusRefusedBadCount, "refused: register count out of range"},
      {qmx::kStatusRepeated, "repeated"},
  };
  std::printf("status 0x%04X", status);
  if (status == 0) std::printf(" (success)");
  if (status == qmx::kStatusRepeated) {
    std::printf(" (success after a repetition)\n");
    return;
  }
  std::printf("\n");
  for (const auto& b : kBits)
    if (status & b.bit) std::printf("  0x%04X %s\n", b.bit, b.name);
  if (status & qmx::kStatusException)
    std::printf("exception code %u: %s\n", exception, ExceptionMeaning(exception));
}

// The line of "dev.dat" and "to.dat", and what the options change in it.
struct LineOptions {
  std::optional<uint16_t> port, baud_code, parity, address, timeout, retries;
};

void SetUpLink(Link& link, const LineOptions& options) {
  qmx::LoadLinkSettings(link.settings());
  qmx::LoadTimeouts(link.settings().timeouts);
  qmx::LineParameters& line = link.line();
  if (options.port) line.port_number = *options.port;
  if (options.baud_code) line.baud_code = *options.baud_code;
  if (options.parity) line.parity_code = *options.parity;
  if (options.address) line.network_address = *options.address;
  if (options.timeout) line.timeout = *options.timeout;
  if (options.retries) link.settings().retry_limit = *options.retries;
}

// The link as every command opens it: the ports of the ports directory and
// of the window's network-port list (the one --port names among them), the
// line of dev.dat with the options over it.
struct ToolLink {
  ToolLink(const std::optional<std::string>& ports_dir, const std::optional<std::string>& port_text,
           LineOptions options)
      : network(qmx::ReadNetworkPortsFile(qmx::UserSettingsPath())), ports(local) {
    if (ports_dir) local.SetPortsDir(*ports_dir);
    if (port_text) options.port = qmx::ResolvePortArgument(*port_text, &network);
    ports.SetEntries(network);
    // Nothing to serve while the line is quiet: the waits sleep in poll().
    link.SetWaiter(&waiter);
    SetUpLink(link, options);
  }
  qmx::PosixPortProvider local;
  std::vector<qmx::NetworkPortEntry> network;
  qmx::NetworkPortProvider ports;
  qmx::SystemClock clock;
  Link link{ports, clock};
  qmx::PollWaiter waiter;
};

int RunConfig(std::span<const std::string_view> words, const LineOptions& options,
              const std::optional<std::string>& ports_dir,
              const std::optional<std::string>& port_text) {
  ToolLink tool(ports_dir, port_text, options);
  Link& link = tool.link;
  const qmx::LineParameters& line = link.line();
  if (line.network_address == kBroadcastAddress || line.network_address == kUncheckedAddress) {
    std::fprintf(stderr, "qmx41-modbus: config needs the address of one instrument\n");
    return kExitUsage;
  }
  const qmx::OpenResult open = link.OpenCurrentPort(1);
  if (!open.ok) {
    std::fprintf(stderr, "qmx41-modbus: cannot open %s: %s\n",
                 qmx::PortName(line.port_number).c_str(), open.error.c_str());
    return kExitFailed;
  }
  char now[32];
  const std::time_t t = std::time(nullptr);
  std::tm local{};
  localtime_r(&t, &local);
  std::strftime(now, sizeof now, "%Y-%m-%d %H:%M:%S", &local);
  qmx::ConfigCommandIo io;
  io.now = now;
  io.program = std::string("qmx41-modbus ") + QMX_VERSION;
  io.confirm = [] {
    std::fprintf(stdout, "Write these blocks to the instrument? [y/N] ");
    std::fflush(stdout);
    std::string answer;
    std::getline(std::cin, answer);
    return answer == "y" || answer == "Y" || answer == "yes" || answer == "д" || answer == "да";
  };
  return qmx::RunConfigCommand(link, words, io);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string_view> args(argv + 1, argv + argc);
  std::optional<std::string> port_text;
  std::optional<uint16_t> port, baud_code, parity, address, timeout, retries;
  std::optional<std::string> ports_dir;
  std::vector<std::string_view> rest;

  for (size_t i = 0; i < args.size(); ++i) {
    std::string_view a = args[i];
    auto value = [&]() -> std::optional<std::string_view> {
      if (i + 1 >= args.size()) return std::nullopt;
      return args[++i];
    };
    if (a == "-h" || a == "--help") {
      PrintUsage();
      return 0;
    }
    if (a == "--version") {
      std::printf("qmx41-modbus %s\n", QMX_VERSION);
      return 0;
    }
    if (a == "--port" || a == "--baud" || a == "--parity" || a == "--address" ||
        a == "--ports-dir" || a == "--timeout" || a == "--retries") {
      auto v = value();
      if (!v) {
        std::fprintf(stderr, "qmx41-modbus: %.*s needs a value\n", static_cast<int>(a.size()),
                     a.data());
        PrintUsage();
        return kExitUsage;
      }
      bool good = true;
      if (a == "--port") {
        // Checked here, resolved against the settings' list below.
        std::vector<qmx::NetworkPortEntry> none;
        port_text = std::string(*v);
        good = qmx::ResolvePortArgument(*port_text, &none).has_value();
      } else if (a == "--baud") {
        baud_code = BaudCodeOfRate(*v);
        good = baud_code.has_value();
      } else if (a == "--parity") {
        if (*v == "none")
          parity = 0;
        else if (*v == "odd")
          parity = 1;
        else if (*v == "even")
          parity = 2;
        else
          good = false;
      } else if (a == "--address") {
        auto n = ParseNumber(*v, 255);
        good = n.has_value();
        if (good) address = static_cast<uint16_t>(*n);
      } else if (a == "--timeout") {
        auto n = ParseNumber(*v, 65535);
        good = n.has_value();
        if (good) timeout = static_cast<uint16_t>(*n);
      } else if (a == "--retries") {
        auto n = ParseNumber(*v, 65535);
        good = n && *n >= 1;
        if (good) retries = static_cast<uint16_t>(*n);
      } else {
        ports_dir = std::string(*v);
      }
      if (!good) {
        std::fprintf(stderr, "qmx41-modbus: bad value for %.*s: %.*s\n", static_cast<int>(a.size()),
                     a.data(), static_cast<int>(v->size()), v->data());
        PrintUsage();
        return kExitUsage;
      }
      continue;
    }
    // The configuration command's own options.
    if (a == "--yes" || a == "--with") {
      rest.push_back(a);
      if (a == "--with" && i + 1 < args.size()) rest.push_back(args[++i]);
      continue;
    }
    if (a.size() > 1 && a[0] == '-' && !(a[1] >= '0' && a[1] <= '9')) {
      std::fprintf(stderr, "qmx41-modbus: unknown option %.*s\n", static_cast<int>(a.size()),
                   a.data());
      PrintUsage();
      return kExitUsage;
    }
    rest.push_back(a);
  }

  const bool config = !rest.empty() && rest[0] == "config";
  if (!config && (rest.size() < 3 || (rest[0] != "read" && rest[0] != "write") ||
                  (rest[0] == "read" && rest.size() != 3))) {
    PrintUsage();
    return kExitUsage;
  }
  if (config) {
    const std::span<const std::string_view> words(rest.data() + 1, rest.size() - 1);
    return RunConfig(words, {port, baud_code, parity, address, timeout, retries}, ports_dir,
                     port_text);
  }
  const bool is_read = rest[0] == "read";
  auto start = ParseNumber(rest[1], 65535);
  if (!start) {
    std::fprintf(stderr, "qmx41-modbus: bad start register: %.*s\n",
                 static_cast<int>(rest[1].size()), rest[1].data());
    return kExitUsage;
  }
  unsigned count = 0;
  std::vector<uint16_t> values;
  if (is_read) {
    auto n = ParseNumber(rest[2], qmx::kMaxReadCount);
    if (!n || *n == 0) {
      std::fprintf(stderr, "qmx41-modbus: COUNT must be 1..%u\n", qmx::kMaxReadCount);
      return kExitUsage;
    }
    count = static_cast<unsigned>(*n);
    values.assign(count, 0);
  } else {
    for (size_t i = 2; i < rest.size(); ++i) {
      auto n = ParseNumber(rest[i], 65535);
      if (!n) {
        std::fprintf(stderr, "qmx41-modbus: bad value: %.*s\n", static_cast<int>(rest[i].size()),
                     rest[i].data());
        return kExitUsage;
      }
      values.push_back(static_cast<uint16_t>(*n));
    }
    if (values.size() > qmx::kMaxWriteCount) {
      std::fprintf(stderr, "qmx41-modbus: at most %u values in one write\n", qmx::kMaxWriteCount);
      return kExitUsage;
    }
    count = static_cast<unsigned>(values.size());
  }
  if (*start + count - 1 > 65535) {
    std::fprintf(stderr, "qmx41-modbus: registers %lu..%lu go past 65535\n", *start,
                 *start + count - 1);
    return kExitUsage;
  }

  ToolLink tool(ports_dir, port_text, {port, baud_code, parity, address, timeout, retries});
  Link& link = tool.link;
  qmx::PortProvider& ports = tool.ports;
  qmx::Clock& clock = tool.clock;
  qmx::LineParameters& line = link.line();
  // Nobody answers a broadcast: a repetition would only carry the write out
  // a second time.
  const bool broadcast = !is_read && line.network_address == kBroadcastAddress;
  if (broadcast) link.settings().retry_limit = 1;

  const qmx::OpenResult open = link.OpenCurrentPort(1);
  if (!open.ok) {
    std::fprintf(
        stderr, "qmx41-modbus: cannot open %s (%s): %s\n", qmx::PortName(line.port_number).c_str(),
        ports.DevicePath(line.port_number).empty() ? "no device"
                                                   : ports.DevicePath(line.port_number).c_str(),
        open.error.c_str());
    return kExitFailed;
  }

  uint16_t exception = 0;
  const int64_t began = clock.NowMs();
  uint16_t status;
  if (is_read) {
    status = link.ReadHoldingRegisters(static_cast<uint16_t>(*start), static_cast<uint8_t>(count),
                                       values.data(), &exception);
  } else {
    status = link.WriteMultipleRegisters(static_cast<uint16_t>(*start), static_cast<uint8_t>(count),
                                         values.data(), &exception, "qmx41-modbus write.");
  }
  const int64_t took = clock.NowMs() - began;

  if (line.network_address == kUncheckedAddress) {
    std::printf("address 255: answer not checked\n");
    std::printf("time %lld ms\n", static_cast<long long>(took));
    return kExitUnchecked;
  }
  if (broadcast && (status & qmx::kStatusNoAnswer) != 0) {
    std::printf("broadcast of %u register(s) from %lu sent\n", count, *start);
    std::printf("broadcast: no answer expected\n");
    std::printf("time %lld ms\n", static_cast<long long>(took));
    return 0;
  }
  if (is_read && (status & ~qmx::kStatusRepeated) == 0) {
    for (unsigned i = 0; i < count; ++i)
      std::printf("%5u: %5u  0x%04X\n", static_cast<unsigned>(*start + i), values[i], values[i]);
  }
  if (!is_read && (status & ~qmx::kStatusRepeated) == 0)
    std::printf("wrote %u register(s) from %lu\n", count, *start);
  PrintStatus(status, exception);
  if (const qmx::PortFailure* failure = link.port_failure();
      failure != nullptr && (status & qmx::kStatusNoAnswer) != 0) {
    const std::string cause = qmx::PortFailureText(*failure);
    if (!cause.empty()) std::printf("%s\n", cause.c_str());
  }
  std::printf("time %lld ms\n", static_cast<long long>(took));
  return (status & ~qmx::kStatusRepeated) == 0 ? 0 : kExitFailed;
}
