// qmx41-config: the flow meter's service and configuration window.
#include <QApplication>
#include <QLibraryInfo>
#include <QTimer>
#include <QTranslator>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>

#include "link/clock.h"
#include "link/posix_serial_port.h"
#include "operator/scripted_dialogs.h"
#include "ui/app_context.h"
#include "ui/exchange_gate.h"
#include "ui/main_window.h"
#include "ui/qt_dialogs.h"
#include "ui/screenshots.h"
#include "ui/script_runner.h"
#include "ui/startup.h"

namespace {

struct Options {
  bool engineering = false;
  std::optional<std::string> ports_dir;
  std::optional<std::string> screenshots_dir;
  std::optional<std::string> script_file;
};

void Usage(std::FILE* out) {
  std::fputs(
      "usage: qmx41-config [options]\n"
      "  --engineering      show the link bar, every engineering page and the menu\n"
      "  --ports-dir DIR    port n is the entry COMn of DIR (overrides QMX41_PORTS_DIR)\n"
      "  --screenshots DIR  save every page of both page sets as PNG files in DIR, then exit\n"
      "  --script FILE      after start-up, replay the operator procedure in FILE and exit\n"
      "                     with its result (0 = every expectation held)\n"
      "  --help             this text\n"
      "Settings files (dev.dat, to.dat, recent.prf) live in the current directory.\n",
      out);
}

// Returns the exit code to stop with, or nothing to go on.
std::optional<int> ParseOptions(const QStringList& arguments, Options* options) {
  for (int i = 1; i < arguments.size(); ++i) {
    const QString& arg = arguments[i];
    const bool has_value = i + 1 < arguments.size();
    if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
      Usage(stdout);
      return 0;
    } else if (arg == QLatin1String("--engineering")) {
      options->engineering = true;
    } else if (arg == QLatin1String("--ports-dir") && has_value) {
      options->ports_dir = arguments[++i].toStdString();
    } else if (arg == QLatin1String("--screenshots") && has_value) {
      options->screenshots_dir = arguments[++i].toStdString();
    } else if (arg == QLatin1String("--script") && has_value) {
      options->script_file = arguments[++i].toStdString();
    } else {
      std::fprintf(stderr, "qmx41-config: cannot use '%s'\n", arg.toLocal8Bit().constData());
      Usage(stderr);
      return 2;
    }
  }
  return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  // QApplication has just given the C library the desktop's locale, which
  // on a Russian desktop prints "12,5"; numbers keep their ".".
  qmx::UseDotDecimalSeparator();
  // Qt's own texts in Russian: "Да" / "Нет" on the boxes, the file dialogs.
  QTranslator qt_translation;
  if (qt_translation.load(QStringLiteral("qtbase_ru"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QApplication::installTranslator(&qt_translation);
  }

  Options options;
  if (const std::optional<int> code = ParseOptions(QApplication::arguments(), &options)) {
    return *code;
  }
  std::istringstream script;
  if (options.script_file) {
    std::string text;
    std::string error;
    if (qmx::ReadScriptFile(*options.script_file, &text, &error) != qmx::ScriptRunner::kExitOk) {
      std::fprintf(stderr, "qmx41-config: %s\n", error.c_str());
      return qmx::ScriptRunner::kExitScriptError;
    }
    script.str(std::move(text));
  }

  qmx::PosixPortProvider ports;
  if (options.ports_dir) ports.SetPortsDir(*options.ports_dir);
  qmx::SystemClock clock;
  qmx::QtDialogs qt_dialogs;
  qmx::ScriptedDialogs scripted_dialogs;
  qmx::Dialogs& dialogs =
      options.script_file ? static_cast<qmx::Dialogs&>(scripted_dialogs) : qt_dialogs;
  qmx::AppContext context(ports, clock, dialogs);
  qmx::ExchangeGate gate;
  context.gate = &gate;
  context.link.SetEventPump(qmx::ExchangeGate::LinkEventPump());

  qmx::MainWindow window(context);
  qt_dialogs.SetParentWidget(&window);
  auto* startup = new qmx::Startup(context, window);  // owned by the window
  window.SetEngineeringView(options.engineering);
  startup->FormCreate();

  if (options.screenshots_dir) {
    return qmx::RenderScreenshots(window, QString::fromStdString(*options.screenshots_dir)) ? 0 : 1;
  }

  window.show();
  int script_code = qmx::ScriptRunner::kExitOk;
  if (options.script_file) {
    QTimer::singleShot(0, &window, [&] {
      qmx::ScriptRunner runner(&window, scripted_dialogs, std::cout);
      runner.SetGate(&gate);
      script_code = runner.Run(script);
      // Ends as an operator closing the window would: the profile is saved.
      window.close();
      QApplication::quit();
    });
  }
  const int code = QApplication::exec();
  return options.script_file ? script_code : code;
}
