// qmx41-window-bench: the window while it polls the paced virtual instrument
// at 19200 baud over a pseudo-terminal.  Reports how long the event loop was
// held at most (the lateness of a 10 ms timer), the main thread's CPU per poll
// cycle, the cycle period against the floor of its two reads, and how resident
// memory moves over 10 000 read-decode-show cycles on the real widgets.
// With --monitor the exchange monitor is on screen the whole time and also
// takes the lines of the 10 000 cycles.  With --trend the trend of the
// operator page is open and takes every cycle, and afterwards a shift of
// eight hours at one point a second goes into it (CPU per point, memory).
// With --slices the link waits as it used to, pumping the event loop in 10 ms
// slices, instead of sleeping in it on the port's descriptor (the program's
// way): the two runs compare the cost of the waits.
// With --no-probe the 10 ms timer that measures the event loop's lateness
// is not run: its own wake-ups would hide those of the waits.  --pause MS
// sets the pause between cycles instead of the program's 1000 ms: at 10 ms
// the cycles follow one another and their cost is that of the work, not of
// what a machine charges a thread that wakes after a long sleep.
// It also prints the event loop's turns per cycle, and what a bare wake-up
// of a thread costs on the machine: the part of a cycle's CPU that is the
// machine's price for waking up, not the program's work.
// Run by hand:
//   build/bench/qmx41-window-bench [SECONDS] [--monitor] [--trend] [--slices] [--no-probe]
//                                  [--pause MS]
//   (default 60 s)
#include <time.h>
#include <unistd.h>

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QChartView>
#include <QComboBox>
#include <QDateTime>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "blocks/measurement_handlers.h"
#include "link/posix_serial_port.h"
#include "operator/scripted_dialogs.h"
#include "sim/bus.h"
#include "sim/inprocess_port.h"
#include "sim/sim_server.h"
#include "ui/app_context.h"
#include "ui/event_loop_waiter.h"
#include "ui/exchange_gate.h"
#include "ui/exchange_monitor.h"
#include "ui/main_window.h"
#include "ui/polling_controller.h"
#include "ui/startup.h"
#include "ui/trend/trend_view.h"
#include "ui/widget_controls.h"

namespace {

double ThreadCpuMs() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

// The main thread's voluntary context switches: each one a sleep, so a wake-up.
long ThreadWakeUps() {
  std::ifstream status("/proc/thread-self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("voluntary_ctxt_switches:", 0) == 0) return std::atol(line.c_str() + 24);
  }
  return 0;
}

// What this machine charges a thread for one wake-up and nothing else: the
// CPU of a sleep of `sleep_us`, in microseconds.  A virtual machine charges
// tens of microseconds; the poll cycle's own work is what is left of its CPU
// after its wake-ups at this price.
double BareWakeUpUs(long sleep_us, int sleeps) {
  const double start = ThreadCpuMs();
  for (int i = 0; i < sleeps; ++i) {
    const timespec pause{0, sleep_us * 1000};
    clock_nanosleep(CLOCK_MONOTONIC, 0, &pause, nullptr);
  }
  return (ThreadCpuMs() - start) * 1000.0 / sleeps;
}

long ResidentKib() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0, resident = 0;
  statm >> pages >> resident;
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  int seconds = 60;
  bool monitor = false;
  bool trend = false;
  bool slices = false;
  bool probe_on = true;
  int pause_ms = 0;  // 0: the program's own
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--monitor") == 0) {
      monitor = true;
    } else if (std::strcmp(argv[i], "--trend") == 0) {
      trend = true;
    } else if (std::strcmp(argv[i], "--slices") == 0) {
      slices = true;
    } else if (std::strcmp(argv[i], "--no-probe") == 0) {
      probe_on = false;
    } else if (std::strcmp(argv[i], "--pause") == 0 && i + 1 < argc) {
      pause_ms = std::atoi(argv[++i]);
    } else {
      seconds = std::atoi(argv[i]);
    }
  }

  char work[] = "/tmp/qmx41-window-bench-XXXXXX";
  if (mkdtemp(work) == nullptr || chdir(work) != 0) return 1;

  qmx::SystemClock clock;
  qmx::sim::Bus bus(clock);
  bus.timing().pacing = true;
  bus.AddInstrument(qmx::sim::InstrumentSettings{1, 19200, qmx::Parity::kNone});
  qmx::sim::SimServer server(bus);
  std::string error;
  if (!server.line().Open(qmx::sim::LineOptions{}, &error)) {
    std::fprintf(stderr, "qmx41-window-bench: %s\n", error.c_str());
    return 1;
  }
  std::thread sim([&] { server.Run(); });
  {
    std::ofstream dev("dev.dat");
    dev << "[COM_SETTINGS]\nNumber=" << server.line().com() << "\n";
  }

  qmx::PosixPortProvider ports("/nonexistent", server.line().ports_dir());
  qmx::ScriptedDialogs dialogs;
  qmx::AppContext context(ports, clock, dialogs);
  qmx::ExchangeGate gate;
  context.gate = &gate;
  context.link.SetEventPump(qmx::ExchangeGate::LinkEventPump());
  qmx::EventLoopWaiter waiter;
  if (!slices) context.link.SetWaiter(&waiter);
  qmx::MainWindow window(context);
  auto* startup = new qmx::Startup(context, window);
  startup->FormCreate();
  window.show();
  if (monitor) window.MonitorAction()->trigger();
  auto* trend_view = window.findChild<qmx::TrendView*>(QStringLiteral("TrendOperator"));
  if (trend_view == nullptr) return 1;
  if (trend) trend_view->SetShown(true);
  if (pause_ms > 0) {
    if (auto* polling = window.findChild<qmx::PollingController*>()) {
      polling->SetPollPauses(pause_ms, pause_ms);
    }
  }

  // The operator's measured-value page, polling.
  window.PageControl4()->setCurrentIndex(0);
  auto* start = window.findChild<QPushButton*>(QStringLiteral("BitBtn25"));
  if (start == nullptr) return 1;
  QTimer::singleShot(300, start, &QPushButton::click);

  // Turns of the event loop: each processEvents of a wait, a pump or the
  // main loop tells it is awake once.
  long turns = 0;
  bool counting = false;
  QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::awake,
                   [&] { turns += counting ? 1 : 0; });
  QElapsedTimer since;
  since.start();
  qint64 last = since.elapsed();
  qint64 worst = 0;
  QTimer probe;
  probe.setInterval(10);
  QObject::connect(&probe, &QTimer::timeout, [&] {
    const qint64 now = since.elapsed();
    worst = std::max(worst, now - last - 10);
    last = now;
  });
  if (probe_on) probe.start();
  double cpu_start = 0;
  long wakeups_start = 0;
  unsigned cycles_start = 0;
  QTimer::singleShot(2000, [&] {  // measure once the poll has settled
    worst = 0;
    cpu_start = ThreadCpuMs();
    wakeups_start = ThreadWakeUps();
    cycles_start = context.measurement.counters.cycles;
    counting = true;
    since.restart();
    last = 0;
  });
  QTimer::singleShot(2000 + seconds * 1000, &app, &QApplication::quit);
  app.exec();
  probe.stop();
  // The poll stops with the measurement: the instrument goes away below, and
  // a cycle of the window's would wait for it in the middle of what follows.
  if (auto* stop = window.findChild<QPushButton*>(QStringLiteral("BitBtn26"))) stop->click();
  const double cpu = ThreadCpuMs() - cpu_start;
  const long wakeups = ThreadWakeUps() - wakeups_start;
  const unsigned cycles = context.measurement.counters.cycles - cycles_start;
  const double elapsed = static_cast<double>(since.elapsed());
  // Request 8 + answer 103 bytes, then 8 + 9, at 11 bits a character, each
  // read ended by the 24 ms interval; then the pause between cycles.
  const int pause = pause_ms > 0 ? pause_ms : 1000;
  const double floor_ms = (8 + 103 + 8 + 9) * 11.0 * 1000.0 / 19200.0 + 2 * 24.0 + pause;
  std::printf("poll at 19200 baud for %.0f s%s, %s: %u cycles, exchange errors %u\n",
              elapsed / 1000,
              monitor ? " with the exchange monitor shown"
              : trend ? " with the trend shown"
                      : "",
              slices ? "waits in 10 ms pump slices" : "waits in the event loop", cycles,
              context.measurement.counters.exchange_errors);
  if (monitor) {
    window.Monitor()->Flush();
    std::printf("  monitor lines %lld\n",
                static_cast<long long>(window.Monitor()->LineTexts().size()));
  }
  if (trend) {
    std::printf("  trend points %zu\n", trend_view->Store().points().size());
  }
  if (probe_on) {
    std::printf("  event loop held at most %lld ms (lateness of a 10 ms timer)\n",
                static_cast<long long>(worst));
  }
  std::printf("  cycle period %.1f ms, floor %.1f ms (two reads + the %d ms pause)\n",
              cycles ? elapsed / cycles : 0.0, floor_ms, pause);
  std::printf("  main-thread CPU %.2f ms per cycle (reads, decode, display, record line)\n",
              cycles ? cpu / cycles : 0.0);
  std::printf("  main-thread wake-ups %.1f per cycle, event-loop turns %.1f per cycle\n",
              cycles ? static_cast<double>(wakeups) / cycles : 0.0,
              cycles ? static_cast<double>(turns) / cycles : 0.0);
  // After sleeps as long as a nap.
  std::printf(
      "  a bare wake-up costs %.0f us of CPU here (a thread that sleeps 10 ms, 100 times)\n",
      BareWakeUpUs(10'000, 100));
  server.Stop();
  sim.join();

  // 10 000 cycles without pacing, in virtual time, onto the real widgets.
  qmx::VirtualClock vclock;
  qmx::sim::Bus fast_bus(vclock);
  fast_bus.timing().pacing = false;
  fast_bus.AddInstrument(qmx::sim::InstrumentSettings{1, 19200, qmx::Parity::kNone});
  qmx::sim::InProcessPortProvider fast_ports(vclock);
  fast_ports.Attach(1, fast_bus);
  qmx::Link fast_link(fast_ports, vclock);
  fast_link.settings().use_log_file = 0;
  if (!fast_link.OpenPort(1, 7, 8, 0, 1, 2000, 0).ok) return 1;
  if (monitor) fast_link.SetExchangeObserver(window.Monitor());
  qmx::WidgetControls controls(&window);
  qmx::MeasurementState state;
  const qmx::MeasurementContext fast{fast_link, dialogs, controls, state, context.profile.records};
  // Warmed up with the monitor full (six lines a cycle), so that what follows
  // shows its cost at the line limit.
  for (int i = 0; i < (monitor ? 400 : 200); ++i) qmx::RunMeasurementPollCycle(fast);
  if (monitor) window.Monitor()->Flush();
  QApplication::processEvents();
  const long before = ResidentKib();
  const double cpu0 = ThreadCpuMs();
  const int64_t wall0 = QDateTime::currentMSecsSinceEpoch();
  for (int i = 0; i < 10000; ++i) {
    qmx::RunMeasurementPollCycle(fast);
    if (trend) trend_view->TakeCycle(state.values, true, wall0 + int64_t{i} * 1000);
    if (i % 100 == 0) {
      // The monitor's lines of the last 100 cycles, as its timer would.
      if (monitor) window.Monitor()->Flush();
      QApplication::processEvents();
    }
    fast_bus.ClearJournal();
  }
  QApplication::processEvents();
  const long after = ResidentKib();
  const double unshown_ms = (ThreadCpuMs() - cpu0) / 10000.0;
  // The same cycles on the window as the operator has it: shown, every
  // cycle's changes laid out and painted before the next.
  window.show();
  QApplication::processEvents();
  const double shown_cpu0 = ThreadCpuMs();
  constexpr int kShownCycles = 300;
  for (int i = 0; i < kShownCycles; ++i) {
    vclock.Advance(1000);  // the pause: the flow and the counters move on
    qmx::RunMeasurementPollCycle(fast);
    QApplication::processEvents();
    fast_bus.ClearJournal();
  }
  const double shown_ms = (ThreadCpuMs() - shown_cpu0) / kShownCycles;
  std::printf(
      "10000 read-decode-show cycles without pacing: %.3f ms CPU each, "
      "resident memory %ld KiB -> %ld KiB (%+ld KiB)\n",
      unshown_ms, before, after, after - before);
  std::printf("%d of them on the shown window, each laid out and painted: %.3f ms CPU each\n",
              kShownCycles, shown_ms);
  if (trend) {
    // The end of the event loop closed the window: it is shown again.
    window.show();
    QApplication::processEvents();
    // What the trend adds to one cycle of the 5-minute view: the point, the
    // series and the painting of the chart, 600 times; first as the window
    // paints it (what changed), then with the whole chart painted anew.
    for (const bool whole : {false, true}) {
      trend_view->ShowPoints(qmx::TrendStore(qmx::TrendView::MeasuredChannels()));
      QApplication::processEvents();
      const double cycle_cpu0 = ThreadCpuMs();
      qmx::MeasuredValues values = state.values;
      const float flow = values.flow;
      for (int i = 0; i < 600; ++i) {
        // A flow that moves, so the line runs over the plot as it does live.
        values.flow = flow * (1.0f + 0.2f * static_cast<float>(std::sin(i / 15.0)));
        trend_view->TakeCycle(values, true, wall0 + int64_t{i} * 1000);
        if (whole) trend_view->ChartView()->viewport()->repaint();
        // The scene's changes, then the painting they asked for.
        QApplication::processEvents();
        QApplication::processEvents();
      }
      std::printf("trend, 5 min shown: %.3f ms CPU a cycle (point, series, %s)\n",
                  (ThreadCpuMs() - cycle_cpu0) / 600,
                  whole ? "the whole chart painted" : "painting what changed");
    }
    // A shift of eight hours at one point a second, the whole session shown.
    trend_view->ShowPoints(qmx::TrendStore(qmx::TrendView::MeasuredChannels()));
    auto* range = window.findChild<QComboBox*>(QStringLiteral("TrendOperatorRange"));
    if (range != nullptr) range->setCurrentIndex(2);
    const long shift_before = ResidentKib();
    const double shift_cpu0 = ThreadCpuMs();
    constexpr int kShift = 8 * 3600;
    for (int i = 0; i < kShift; ++i) {
      trend_view->TakeCycle(state.values, i % 97 != 0, wall0 + int64_t{i} * 1000);
      if (i % 1000 == 0) QApplication::processEvents();
    }
    std::printf(
        "8 h at 1 s into the trend (whole session shown): %.3f ms CPU a point, %zu points "
        "kept, resident memory %ld KiB -> %ld KiB (%+ld KiB)\n",
        (ThreadCpuMs() - shift_cpu0) / kShift, trend_view->Store().points().size(), shift_before,
        ResidentKib(), ResidentKib() - shift_before);
  }
  std::error_code ec;
  std::filesystem::remove_all(work, ec);
  return 0;
}
