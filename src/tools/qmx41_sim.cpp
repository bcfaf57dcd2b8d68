// qmx41-sim: the flow meter without the flow meter.  Serves one or more
// virtual instruments on a pseudo-terminal published as COMn (or on a real
// serial device) and takes control commands from a Unix socket or from
// standard input.
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "link/clock.h"
#include "sim/bus.h"
#include "sim/control.h"
#include "sim/sim_server.h"

namespace {

qmx::sim::SimServer* g_server = nullptr;

void OnSignal(int) {
  if (g_server != nullptr) g_server->Stop();
}

void Usage(std::FILE* out) {
  std::fputs(
      "usage: qmx41-sim [options]\n"
      "  --ports-dir DIR        publish the line as DIR/COMn (default: a new temporary dir)\n"
      "  --com N                the COM number to publish (default 1)\n"
      "  --device PATH          serve a real serial device instead of a pseudo-terminal\n"
      "  --instrument SETTINGS  address=N,baud=B,parity=none|odd|even (repeatable;\n"
      "                         default one instrument: address=1,baud=19200,parity=none)\n"
      "  --no-pacing            answers at once, not at the line's character time\n"
      "  --turnaround MS        pause before an answer (default 5)\n"
      "  --restart-silence MS   how long a restart keeps an instrument quiet (default 2000)\n"
      "  --flow-steps M3H S     every second period of S seconds the flow is M3H higher\n"
      "  --control PATH         take commands on a Unix socket (default: standard input)\n"
      "  --version              the program's version\n"
      "Prints 'ports-dir DIR', 'com N', 'device PATH' and 'ready' once it serves.\n",
      out);
}

bool ParseNumber(const char* text, long min, long max, long* value) {
  char* end = nullptr;
  const long v = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || v < min || v > max) return false;
  *value = v;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  qmx::sim::LineOptions line_options;
  std::vector<qmx::sim::InstrumentSettings> instruments;
  std::string control_path;
  bool pacing = true;
  long turnaround_ms = 5;
  long restart_silence_ms = 2000;
  double step_m3h = 0;
  long step_period_s = 0;

  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool has_value = i + 1 < argc;
    long number = 0;
    if (arg == "--help" || arg == "-h") {
      Usage(stdout);
      return 0;
    } else if (arg == "--version") {
      std::printf("qmx41-sim %s\n", QMX_VERSION);
      return 0;
    } else if (arg == "--no-pacing") {
      pacing = false;
    } else if (arg == "--ports-dir" && has_value) {
      line_options.ports_dir = argv[++i];
    } else if (arg == "--com" && has_value && ParseNumber(argv[i + 1], 1, 255, &number)) {
      line_options.com = static_cast<uint16_t>(number);
      ++i;
    } else if (arg == "--device" && has_value) {
      line_options.device = argv[++i];
    } else if (arg == "--control" && has_value) {
      control_path = argv[++i];
    } else if (arg == "--turnaround" && has_value &&
               ParseNumber(argv[i + 1], 0, 10000, &turnaround_ms)) {
      ++i;
    } else if (arg == "--restart-silence" && has_value &&
               ParseNumber(argv[i + 1], 0, 600000, &restart_silence_ms)) {
      ++i;
    } else if (arg == "--flow-steps" && i + 2 < argc &&
               ParseNumber(argv[i + 2], 1, 86400, &step_period_s)) {
      char* end = nullptr;
      step_m3h = std::strtod(argv[i + 1], &end);
      if (end == argv[i + 1] || *end != '\0') {
        std::fprintf(stderr, "qmx41-sim: cannot use '%s'\n", argv[i + 1]);
        return 2;
      }
      i += 2;
    } else if (arg == "--instrument" && has_value) {
      qmx::sim::InstrumentSettings settings;
      std::string error;
      if (!qmx::sim::ParseInstrumentSettings(argv[++i], &settings, &error)) {
        std::fprintf(stderr, "qmx41-sim: %s\n", error.c_str());
        return 2;
      }
      instruments.push_back(settings);
    } else {
      std::fprintf(stderr, "qmx41-sim: cannot use '%s'\n", arg.c_str());
      Usage(stderr);
      return 2;
    }
  }
  if (instruments.empty()) instruments.emplace_back();

  qmx::SystemClock clock;
  qmx::sim::Bus bus(clock);
  bus.timing().pacing = pacing;
  bus.timing().turnaround_us = turnaround_ms * 1000;
  for (const auto& settings : instruments) {
    qmx::sim::Instrument& instrument = bus.AddInstrument(settings);
    instrument.SetRestartSilenceMs(restart_silence_ms);
    instrument.flow().SetSteps(step_m3h, step_period_s * 1000);
  }

  qmx::sim::SimServer server(bus);
  std::string error;
  if (!server.line().Open(line_options, &error)) {
    std::fprintf(stderr, "qmx41-sim: %s\n", error.c_str());
    return 1;
  }
  if (!control_path.empty()) {
    if (!server.control().Listen(control_path, &error)) {
      std::fprintf(stderr, "qmx41-sim: %s\n", error.c_str());
      return 1;
    }
  } else {
    server.control().UseStream(STDIN_FILENO, STDOUT_FILENO);
  }

  g_server = &server;
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  signal(SIGPIPE, SIG_IGN);

  if (server.line().is_pty()) {
    std::printf("ports-dir %s\ncom %u\n", server.line().ports_dir().c_str(), server.line().com());
  }
  std::printf("device %s\nready\n", server.line().device_path().c_str());
  std::fflush(stdout);

  server.Run();
  g_server = nullptr;
  return 0;
}
