// qmx41-bench: how long the measured-value poll takes on the line.
//
// For 19200 and 115200 baud, with the virtual instrument pacing its answers
// at the line's character time on a pseudo-terminal, times our master's read
// of 49 registers from 256 and the following read of 2 from 305, and sets
// them against
//   - the physical floor: request and answer at 11 bits per character plus
//     the read interval time-out that ends our read (the master asks for two
//     bytes more than the answer has, by design);
//   - mbpoll making the same reads of the same instrument in the same run
//     (libmodbus ends its read by the frame's length, so it has no interval
//     to wait for).
// Medians over the transactions, CPU time per transaction.
//
//   qmx41-bench [--transactions N] [--turnaround MS] [--mbpoll PATH]
//
// QMX41_BENCH_VERBOSE=1 prints every mbpoll time and, for a failed
// transaction of ours, the last requests the instrument heard.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "link/clock.h"
#include "link/link.h"
#include "link/posix_serial_port.h"
#include "sim/bus.h"
#include "sim/sim_server.h"

extern char** environ;

namespace {

constexpr int kMbpollPollMs = 20;

int64_t WallUs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return int64_t{ts.tv_sec} * 1'000'000 + ts.tv_nsec / 1000;
}

int64_t ThreadCpuUs() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return int64_t{ts.tv_sec} * 1'000'000 + ts.tv_nsec / 1000;
}

double Median(std::vector<double> v) {
  if (v.empty()) return 0.0;
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return n % 2 == 1 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2.0;
}

double Mean(const std::vector<double>& v) {
  double sum = 0;
  for (double x : v) sum += x;
  return v.empty() ? 0.0 : sum / static_cast<double>(v.size());
}

struct Figures {
  double median_ms = 0;
  double cpu_ms = 0;  // per transaction
  size_t count = 0;
};

// mbpoll polling one block every kMbpollPollMs until `count` requests were
// heard.  Its time per transaction is the spacing of its requests on the
// line less its pause between polls.
Figures RunMbpoll(const std::string& mbpoll, const std::string& device, uint32_t baud,
                  unsigned start, unsigned registers, size_t count, qmx::sim::SimServer& server,
                  qmx::sim::Bus& bus) {
  Figures figures;
  {
    std::lock_guard<std::mutex> lock(server.mutex());
    bus.ClearJournal();
  }
  const std::vector<std::string> args{mbpoll,
                                      "-m",
                                      "rtu",
                                      "-a",
                                      "1",
                                      "-b",
                                      std::to_string(baud),
                                      "-P",
                                      "none",
                                      "-s",
                                      "2",
                                      "-0",
                                      "-t",
                                      "4",
                                      "-l",
                                      std::to_string(kMbpollPollMs),
                                      "-r",
                                      std::to_string(start),
                                      "-c",
                                      std::to_string(registers),
                                      device};
  std::vector<char*> argv;
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  pid_t pid = -1;
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return figures;

  // One extra request: its arrival closes the last measured spacing.
  const int64_t give_up = WallUs() + static_cast<int64_t>(count + 10) * 2'000'000;
  std::vector<int64_t> arrivals;
  while (WallUs() < give_up) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::lock_guard<std::mutex> lock(server.mutex());
    if (bus.journal().size() >= count + 2) {
      for (const auto& e : bus.journal()) arrivals.push_back(e.time_us);
      break;
    }
  }
  kill(pid, SIGINT);
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);

  std::vector<double> times;
  // The first request waits for mbpoll's start-up; the spacings after it
  // are steady.
  for (size_t i = 1; i + 1 < arrivals.size() && times.size() < count; ++i) {
    times.push_back((arrivals[i + 1] - arrivals[i]) / 1000.0 - kMbpollPollMs);
  }
  figures.median_ms = Median(times);
  figures.count = times.size();
  if (std::getenv("QMX41_BENCH_VERBOSE") != nullptr) {
    std::fprintf(stderr, "mbpoll %u x%u:", start, registers);
    for (double t : times) std::fprintf(stderr, " %.2f", t);
    std::fprintf(stderr, "\n");
  }
  const double cpu_us = usage.ru_utime.tv_sec * 1e6 + usage.ru_utime.tv_usec +
                        usage.ru_stime.tv_sec * 1e6 + usage.ru_stime.tv_usec;
  // The whole run of the process, start-up included, over its requests.
  figures.cpu_ms = arrivals.empty() ? 0 : cpu_us / 1000.0 / static_cast<double>(arrivals.size());
  return figures;
}

}  // namespace

int main(int argc, char** argv) {
  size_t transactions = 60;
  long turnaround_ms = 0;
  std::string mbpoll = "/usr/bin/mbpoll";
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--transactions" && i + 1 < argc) {
      transactions = std::max<size_t>(50, std::strtoul(argv[++i], nullptr, 10));
    } else if (arg == "--turnaround" && i + 1 < argc) {
      turnaround_ms = std::strtol(argv[++i], nullptr, 10);
    } else if (arg == "--mbpoll" && i + 1 < argc) {
      mbpoll = argv[++i];
    } else {
      std::fprintf(stderr,
                   "usage: qmx41-bench [--transactions N] [--turnaround MS] [--mbpoll PATH]\n");
      return 2;
    }
  }
  const bool have_mbpoll = access(mbpoll.c_str(), X_OK) == 0;

  std::printf("qmx41-bench: %zu transactions per figure, pacing on, turnaround %ld ms\n\n",
              transactions, turnaround_ms);
  std::printf("%-7s %-9s %9s %11s %9s %10s %9s %12s %11s\n", "baud", "read", "floor ms", "ours med",
              "above", "ours CPU", "CPU med", "mbpoll med", "mbpoll CPU");

  struct Speed {
    uint32_t baud;
    uint16_t code;
  };
  for (const Speed speed : {Speed{19200, 7}, Speed{115200, 10}}) {
    qmx::SystemClock clock;
    qmx::sim::Bus bus(clock);
    bus.timing().pacing = true;
    bus.timing().turnaround_us = turnaround_ms * 1000;
    bus.AddInstrument(qmx::sim::InstrumentSettings{1, speed.baud, qmx::Parity::kNone});
    qmx::sim::SimServer server(bus);
    std::string error;
    if (!server.line().Open(qmx::sim::LineOptions{}, &error)) {
      std::fprintf(stderr, "qmx41-bench: %s\n", error.c_str());
      return 1;
    }
    std::thread sim([&] { server.Run(); });

    qmx::PosixPortProvider ports("/nonexistent", server.line().ports_dir());
    qmx::Link link(ports, clock);
    link.settings().use_log_file = 0;
    link.line().baud_code = speed.code;
    link.line().parity_code = 0;
    link.line().timeout = 2000;
    const uint32_t interval_ms = link.settings().timeouts.For(speed.code).interval;
    if (!link.OpenPort(server.line().com(), speed.code, 8, 0, 1, 2000, 0).ok) {
      std::fprintf(stderr, "qmx41-bench: cannot open the pseudo-terminal\n");
      server.Stop();
      sim.join();
      return 1;
    }

    std::vector<double> block_ms, block_cpu, standard_ms, standard_cpu;
    uint16_t values[49];
    uint16_t exception = 0;
    unsigned failures = 0;
    for (size_t i = 0; i < transactions + 3; ++i) {
      const int64_t t0 = WallUs();
      const int64_t c0 = ThreadCpuUs();
      const uint16_t block_status = link.ReadHoldingRegisters(256, 49, values, &exception);
      const int64_t t1 = WallUs();
      const int64_t c1 = ThreadCpuUs();
      const uint16_t standard_status = link.ReadHoldingRegisters(305, 2, values, &exception);
      if (block_status != 0 || standard_status != 0) {
        ++failures;
        std::fprintf(stderr, "transaction %zu: status 0x%04X, 0x%04X\n", i, block_status,
                     standard_status);
        std::lock_guard<std::mutex> lock(server.mutex());
        const auto& journal = bus.journal();
        for (size_t k = journal.size() > 4 ? journal.size() - 4 : 0; k < journal.size(); ++k) {
          std::fprintf(stderr, "  %s\n", journal[k].ToText().substr(0, 100).c_str());
        }
      }
      const int64_t t2 = WallUs();
      const int64_t c2 = ThreadCpuUs();
      if (i < 3) continue;  // warm-up
      block_ms.push_back((t1 - t0) / 1000.0);
      block_cpu.push_back((c1 - c0) / 1000.0);
      standard_ms.push_back((t2 - t1) / 1000.0);
      standard_cpu.push_back((c2 - c1) / 1000.0);
    }
    link.ClosePort();

    const double char_ms = 11000.0 / speed.baud;
    const double floor_block = (8 + 103) * char_ms + interval_ms;
    const double floor_standard = (8 + 9) * char_ms + interval_ms;

    Figures mb_block, mb_standard;
    if (have_mbpoll) {
      mb_block = RunMbpoll(mbpoll, server.line().device_path(), speed.baud, 256, 49, transactions,
                           server, bus);
      mb_standard = RunMbpoll(mbpoll, server.line().device_path(), speed.baud, 305, 2, transactions,
                              server, bus);
    }
    server.Stop();
    sim.join();

    auto row = [&](const char* what, double floor, const std::vector<double>& ms,
                   const std::vector<double>& cpu, const Figures& mb) {
      const double median = Median(ms);
      std::printf("%-7u %-9s %9.2f %11.2f %+9.2f %10.3f %9.3f %12.2f %11.3f\n", speed.baud, what,
                  floor, median, median - floor, Mean(cpu), Median(cpu), mb.median_ms, mb.cpu_ms);
    };
    row("256 x49", floor_block, block_ms, block_cpu, mb_block);
    row("305 x2", floor_standard, standard_ms, standard_cpu, mb_standard);
    if (failures != 0) std::printf("        (%u of our transactions failed)\n", failures);
  }
  std::printf(
      "\nfloor: (request + answer) x 11 bits at the baud rate + the read interval time-out;\n"
      "above: our median less the floor (the turnaround, when not 0, is in it);\n"
      "ours CPU: mean per transaction (a preempted virtual machine inflates it);\n"
      "CPU med: its median;\n"
      "mbpoll: spacing of its requests less its %d ms poll pause; it ends a read by the\n"
      "frame's length, so it waits no interval; its CPU includes its start-up.\n",
      kMbpollPollMs);
  if (!have_mbpoll) std::printf("(mbpoll not found: its columns are 0)\n");
  return 0;
}
