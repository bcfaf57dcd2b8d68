#include "sim/control.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "sim/register_map.h"

namespace qmx::sim {
namespace {

std::vector<std::string> Words(std::string_view line) {
  std::vector<std::string> words;
  std::istringstream in{std::string(line)};
  std::string w;
  while (in >> w) words.push_back(w);
  return words;
}

bool ParseUnsigned(const std::string& text, unsigned long max, unsigned long* value) {
  if (text.empty() || text[0] == '-') return false;
  char* end = nullptr;
  errno = 0;
  const unsigned long v = std::strtoul(text.c_str(), &end, 0);
  if (errno != 0 || end == text.c_str() || *end != '\0' || v > max) return false;
  *value = v;
  return true;
}

bool ParseDouble(const std::string& text, double* value) {
  char* end = nullptr;
  const double v = std::strtod(text.c_str(), &end);
  if (end == text.c_str() || *end != '\0') return false;
  *value = v;
  return true;
}

bool ParseSwitch(const std::string& text, bool* on) {
  if (text == "on" || text == "1") {
    *on = true;
    return true;
  }
  if (text == "off" || text == "0") {
    *on = false;
    return true;
  }
  return false;
}

const char* ParityName(Parity parity) {
  switch (parity) {
    case Parity::kOdd:
      return "odd";
    case Parity::kEven:
      return "even";
    default:
      return "none";
  }
}

std::string Error(const std::string& cause) {
  return "error: " + cause + "\n";
}

bool ParseFault(const std::vector<std::string>& w, Fault* fault, std::string* error) {
  if (w.size() < 2) {
    *error = "fault needs a kind";
    return false;
  }
  std::vector<std::string> args(w.begin() + 2, w.end());
  // A trailing "xN" limits the fault to the next N requests.
  if (!args.empty() && args.back().size() > 1 && args.back()[0] == 'x') {
    unsigned long n = 0;
    if (!ParseUnsigned(args.back().substr(1), 1'000'000, &n) || n == 0) {
      *error = "bad request count " + args.back();
      return false;
    }
    fault->remaining = static_cast<int>(n);
    args.pop_back();
  }
  // "on-write R" and "after N" pick the step of a sequence the fault hits.
  for (const char* option : {"on-write", "after"}) {
    for (size_t i = 0; i + 1 < args.size(); ++i) {
      if (args[i] != option) continue;
      const bool on_write = std::string_view(option) == "on-write";
      unsigned long n = 0;
      if (!ParseUnsigned(args[i + 1], on_write ? 65535 : 1'000'000, &n)) {
        *error = std::string("bad ") + option + " " + args[i + 1];
        return false;
      }
      (on_write ? fault->on_write : fault->skip) = static_cast<int>(n);
      args.erase(args.begin() + static_cast<std::ptrdiff_t>(i),
                 args.begin() + static_cast<std::ptrdiff_t>(i) + 2);
      break;
    }
  }
  struct Kind {
    const char* name;
    FaultKind kind;
    size_t arguments;
  };
  static const Kind kKinds[] = {
      {"noanswer", FaultKind::kNoAnswer, 0},
      {"crc", FaultKind::kBadCrc, 0},
      {"address", FaultKind::kWrongAddress, 0},
      {"exception", FaultKind::kException, 1},
      {"truncate", FaultKind::kTruncate, 1},
      {"extra", FaultKind::kExtraBytes, 1},
      {"noise", FaultKind::kNoiseBefore, 0},
      {"delay", FaultKind::kDelay, 1},
      {"gap", FaultKind::kGap, 2},
      {"everysecond", FaultKind::kEverySecond, 0},
      {"lineerror", FaultKind::kLineError, 0},
      {"lost", FaultKind::kLostAnswer, 0},
  };
  for (const Kind& k : kKinds) {
    if (w[1] != k.name) continue;
    if (args.size() != k.arguments) {
      *error = "fault " + w[1] + " takes " + std::to_string(k.arguments) + " number(s)";
      return false;
    }
    unsigned long values[2] = {0, 0};
    for (size_t i = 0; i < args.size(); ++i) {
      if (!ParseUnsigned(args[i], k.kind == FaultKind::kException ? 255 : 600'000, &values[i])) {
        *error = "bad number " + args[i];
        return false;
      }
    }
    fault->kind = k.kind;
    fault->value = static_cast<int>(values[0]);
    fault->gap_ms = static_cast<int>(values[1]);
    return true;
  }
  *error = "unknown fault " + w[1];
  return false;
}

}  // namespace

bool ParseInstrumentSettings(std::string_view text_in, InstrumentSettings* settings,
                             std::string* error) {
  std::string text(text_in);
  for (char& c : text) {
    if (c == ',') c = ' ';
  }
  for (const std::string& item : Words(text)) {
    const size_t eq = item.find('=');
    const std::string key = item.substr(0, eq);
    const std::string value = eq == std::string::npos ? "" : item.substr(eq + 1);
    unsigned long n = 0;
    if (key == "address" && ParseUnsigned(value, 247, &n) && n >= 1) {
      settings->address = static_cast<uint8_t>(n);
    } else if (key == "baud" && ParseUnsigned(value, 115200, &n) && CodeOfBaud(n)) {
      settings->baud = static_cast<uint32_t>(n);
    } else if (key == "parity" && (value == "none" || value == "odd" || value == "even")) {
      settings->parity = value == "none"  ? Parity::kNone
                         : value == "odd" ? Parity::kOdd
                                          : Parity::kEven;
    } else {
      if (error) *error = "bad instrument setting '" + item + "'";
      return false;
    }
  }
  return true;
}

const char* ControlInterpreter::HelpText() {
  return "help                         this list\n"
         "instruments                  the instruments on the line (* = selected)\n"
         "select N                     commands act on instrument N (1 = first)\n"
         "get REG [COUNT]              registers as the line reads them now\n"
         "set REG VALUE...             store values from REG on, no rule applies\n"
         "setfloat REG VALUE           a float (upper word first) into REG, REG+1\n"
         "release [REG]                measured registers set by 'set' follow the measurement\n"
         "protect on|off               the write-protection switch (bit 15 of 300)\n"
         "init on|off                  INIT mode (register 1048)\n"
         "line [address=N] [baud=B] [parity=none|odd|even]   the instrument's own line\n"
         "flow M3H [RIPPLE]            set flow in m3/h and its relative wander\n"
         "byteorder N                  float byte order 0..3 of the measured values\n"
         "keys MASK                    key and output bits of register 300\n"
         "volumes FORWARD REVERSE      totalisers in m3\n"
         "refusal CODE                 exception for writes refused by lock or protection\n"
         "restart-silence MS           how long a restart keeps the instrument quiet\n"
         "fault KIND [ARGS] [on-write R] [after N] [xN]\n"
         "                             noanswer | crc | address | exception C | truncate K |\n"
         "                             extra N | noise | delay MS | gap P MS | everysecond |\n"
         "                             lineerror | lost (executed, answer lost);\n"
         "                             on-write R = only writes of register R,\n"
         "                             after N = N requests pass first,\n"
         "                             xN = only for the next N requests\n"
         "faults                       the faults in force\n"
         "clear-faults                 no more faults\n"
         "counters                     blinks, latches and restarts so far\n"
         "journal [N]                  the last N requests heard (all without N)\n"
         "clear-journal                forget the requests heard\n"
         "pacing on|off                answers at the line's character time\n"
         "turnaround MS                pause before an answer\n"
         "quit                         stop the virtual instrument\n";
}

std::string ControlInterpreter::Execute(std::string_view line) {
  const std::vector<std::string> words = Words(line);
  if (words.empty() || words[0][0] == '#') return "";
  return Run(words);
}

std::string ControlInterpreter::Run(const std::vector<std::string>& w) {
  const std::string& cmd = w[0];
  const size_t n = w.size();
  unsigned long a = 0;
  unsigned long b = 0;
  bool on = false;

  if (cmd == "help") return std::string(HelpText()) + "ok\n";
  if (cmd == "quit") {
    quit_ = true;
    return "ok\n";
  }
  if (cmd == "instruments" && n == 1) {
    std::string out;
    for (size_t i = 0; i < bus_.instrument_count(); ++i) {
      Instrument& m = bus_.instrument(i);
      const InstrumentSettings s = m.configured_line();
      char text[160];
      std::snprintf(text, sizeof text,
                    "%s#%zu address=%u baud=%u parity=%s init=%s protect=%s lock=%s\n",
                    i == selected_ ? "*" : " ", i + 1, s.address, s.baud, ParityName(s.parity),
                    m.init_mode() ? "on" : "off", m.write_protection() ? "on" : "off",
                    m.unlocked() ? "open" : "closed");
      out += text;
    }
    return out + "ok\n";
  }
  if (cmd == "select" && n == 2) {
    if (!ParseUnsigned(w[1], bus_.instrument_count(), &a) || a == 0) {
      return Error("no instrument " + w[1]);
    }
    selected_ = a - 1;
    return "ok\n";
  }
  if (cmd == "get" && (n == 2 || n == 3)) {
    if (!ParseUnsigned(w[1], 65535, &a)) return Error("bad register " + w[1]);
    b = 1;
    if (n == 3 && (!ParseUnsigned(w[2], 125, &b) || b == 0)) return Error("bad count " + w[2]);
    if (!RangeExists(static_cast<uint16_t>(a), b)) return Error("no such register");
    const auto values = Current().Get(static_cast<uint16_t>(a), b);
    std::string out;
    for (size_t i = 0; i < values.size(); ++i) {
      char text[48];
      std::snprintf(text, sizeof text, "%lu = %u (0x%04X)\n", a + i, values[i], values[i]);
      out += text;
    }
    return out + "ok\n";
  }
  if (cmd == "set" && n >= 3) {
    if (!ParseUnsigned(w[1], 65535, &a)) return Error("bad register " + w[1]);
    if (!RangeExists(static_cast<uint16_t>(a), n - 2)) return Error("no such register");
    std::vector<uint16_t> values;
    for (size_t i = 2; i < n; ++i) {
      if (!ParseUnsigned(w[i], 65535, &b)) return Error("bad value " + w[i]);
      values.push_back(static_cast<uint16_t>(b));
    }
    for (size_t i = 0; i < values.size(); ++i)
      Current().Set(static_cast<uint16_t>(a + i), values[i]);
    return "ok\n";
  }
  if (cmd == "setfloat" && n == 3) {
    double v = 0;
    if (!ParseUnsigned(w[1], 65534, &a) || !RangeExists(static_cast<uint16_t>(a), 2)) {
      return Error("bad register " + w[1]);
    }
    if (!ParseDouble(w[2], &v)) return Error("bad number " + w[2]);
    Current().SetFloat(static_cast<uint16_t>(a), static_cast<float>(v));
    return "ok\n";
  }
  if (cmd == "release" && n <= 2) {
    if (n == 1) {
      Current().ClearOverrides();
    } else if (ParseUnsigned(w[1], 65535, &a)) {
      Current().ClearOverride(static_cast<uint16_t>(a));
    } else {
      return Error("bad register " + w[1]);
    }
    return "ok\n";
  }
  if ((cmd == "protect" || cmd == "init" || cmd == "pacing") && n == 2) {
    if (!ParseSwitch(w[1], &on)) return Error("say on or off");
    if (cmd == "protect") Current().SetWriteProtection(on);
    if (cmd == "init") Current().SetInitMode(on);
    if (cmd == "pacing") bus_.timing().pacing = on;
    return "ok\n";
  }
  if (cmd == "line" && n >= 2) {
    InstrumentSettings s = Current().configured_line();
    std::string error;
    for (size_t i = 1; i < n; ++i) {
      if (!ParseInstrumentSettings(w[i], &s, &error)) return Error(error);
    }
    Current().SetLine(s);
    return "ok\n";
  }
  if (cmd == "flow" && (n == 2 || n == 3)) {
    double set = 0;
    double ripple = Current().flow().ripple();
    if (!ParseDouble(w[1], &set) || (n == 3 && !ParseDouble(w[2], &ripple))) {
      return Error("bad number");
    }
    Current().SetFlow(set, ripple);
    return "ok\n";
  }
  if (cmd == "volumes" && n == 3) {
    double forward = 0;
    double reverse = 0;
    if (!ParseDouble(w[1], &forward) || !ParseDouble(w[2], &reverse)) return Error("bad number");
    Current().flow().SetTotals(forward, reverse);
    return "ok\n";
  }
  if (cmd == "byteorder" && n == 2 && ParseUnsigned(w[1], 3, &a)) {
    Current().SetFloatByteOrder(static_cast<unsigned>(a));
    return "ok\n";
  }
  if (cmd == "keys" && n == 2 && ParseUnsigned(w[1], 0x7FFF, &a)) {
    Current().SetKeys(static_cast<uint16_t>(a));
    return "ok\n";
  }
  if (cmd == "refusal" && n == 2 && ParseUnsigned(w[1], 255, &a) && a > 0) {
    Current().SetRefusalCode(static_cast<uint8_t>(a));
    return "ok\n";
  }
  if (cmd == "restart-silence" && n == 2 && ParseUnsigned(w[1], 600'000, &a)) {
    Current().SetRestartSilenceMs(static_cast<int64_t>(a));
    return "ok\n";
  }
  if (cmd == "turnaround" && n == 2 && ParseUnsigned(w[1], 10'000, &a)) {
    bus_.timing().turnaround_us = static_cast<int64_t>(a) * 1000;
    return "ok\n";
  }
  if (cmd == "fault") {
    Fault fault;
    std::string error;
    if (!ParseFault(w, &fault, &error)) return Error(error);
    Current().AddFault(fault);
    return "ok\n";
  }
  if (cmd == "faults" && n == 1) {
    std::string out;
    for (const Fault& f : Current().faults()) out += DescribeFault(f) + "\n";
    return out + "ok\n";
  }
  if (cmd == "clear-faults" && n == 1) {
    Current().ClearFaults();
    return "ok\n";
  }
  if (cmd == "counters" && n == 1) {
    Instrument& m = Current();
    return "blink " + std::to_string(m.blink_count()) + " latch " +
           std::to_string(m.latch_count()) + " restart " + std::to_string(m.restart_count()) +
           "\nok\n";
  }
  if (cmd == "journal" && n <= 2) {
    const auto& journal = bus_.journal();
    size_t first = 0;
    if (n == 2) {
      if (!ParseUnsigned(w[1], 1'000'000, &a)) return Error("bad count " + w[1]);
      first = journal.size() > a ? journal.size() - a : 0;
    }
    std::string out;
    for (size_t i = first; i < journal.size(); ++i) out += journal[i].ToText() + "\n";
    return out + "ok\n";
  }
  if (cmd == "clear-journal" && n == 1) {
    bus_.ClearJournal();
    return "ok\n";
  }
  return Error("cannot do '" + cmd + "' like that (try help)");
}

ControlChannel::~ControlChannel() {
  for (size_t i = clients_.size(); i > 0; --i) CloseClient(i - 1);
  if (listen_fd_ >= 0) {
    close(listen_fd_);
    unlink(socket_path_.c_str());
  }
}

bool ControlChannel::Listen(const std::string& path, std::string* error) {
  sockaddr_un address{};
  if (path.size() >= sizeof address.sun_path) {
    if (error) *error = "control socket path too long: " + path;
    return false;
  }
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    if (error) *error = std::string("cannot make a socket: ") + std::strerror(errno);
    return false;
  }
  unlink(path.c_str());
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(fd, 4) != 0) {
    if (error) *error = "cannot listen on " + path + ": " + std::strerror(errno);
    close(fd);
    return false;
  }
  listen_fd_ = fd;
  socket_path_ = path;
  return true;
}

void ControlChannel::UseStream(int in_fd, int out_fd) {
  clients_.push_back(Client{in_fd, out_fd, ""});
}

std::vector<int> ControlChannel::WaitFds() const {
  std::vector<int> fds;
  if (listen_fd_ >= 0) fds.push_back(listen_fd_);
  for (const Client& c : clients_) fds.push_back(c.in_fd);
  return fds;
}

void ControlChannel::OnReadable(int fd) {
  if (fd == listen_fd_) {
    const int client = accept4(listen_fd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (client >= 0) clients_.push_back(Client{client, client, ""});
    return;
  }
  for (size_t i = 0; i < clients_.size(); ++i) {
    if (clients_[i].in_fd != fd) continue;
    char buffer[1024];
    const ssize_t got = read(fd, buffer, sizeof buffer);
    if (got <= 0) {
      if (got < 0 && (errno == EINTR || errno == EAGAIN)) return;
      CloseClient(i);
      return;
    }
    clients_[i].pending.append(buffer, static_cast<size_t>(got));
    Serve(clients_[i]);
    return;
  }
}

void ControlChannel::Serve(Client& client) {
  size_t end;
  while ((end = client.pending.find('\n')) != std::string::npos) {
    const std::string line = client.pending.substr(0, end);
    client.pending.erase(0, end + 1);
    const std::string reply = interpreter_.Execute(line);
    size_t done = 0;
    while (done < reply.size()) {
      const ssize_t w = write(client.out_fd, reply.data() + done, reply.size() - done);
      if (w > 0) {
        done += static_cast<size_t>(w);
      } else if (w < 0 && errno == EINTR) {
        continue;
      } else {
        break;
      }
    }
  }
}

void ControlChannel::CloseClient(size_t index) {
  const Client c = clients_[index];
  clients_.erase(clients_.begin() + static_cast<ptrdiff_t>(index));
  // Standard input and output belong to the process; sockets are ours.
  if (c.in_fd == c.out_fd) close(c.in_fd);
}

}  // namespace qmx::sim
