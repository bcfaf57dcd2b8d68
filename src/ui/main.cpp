// qmx41-config: the flow meter's service and configuration window.
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QSettings>
#include <QStandardPaths>
#include <QTimer>
#include <QTranslator>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>

#include "link/clock.h"
#include "link/network_port.h"
#include "link/port_naming.h"
#include "link/posix_serial_port.h"
#include "operator/scripted_dialogs.h"
#include "ui/app_context.h"
#include "ui/event_loop_waiter.h"
#include "ui/exchange_gate.h"
#include "ui/exchange_monitor.h"
#include "ui/main_window.h"
#include "ui/network_ports_dialog.h"
#include "ui/qt_dialogs.h"
#include "ui/screenshots.h"
#include "ui/script_runner.h"
#include "ui/startup.h"
#include "ui/window_state.h"

namespace {

constexpr int kExitUsage = 2;

struct Options {
  bool engineering = false;
  // Paths as given, made absolute before the program changes its directory.
  std::optional<std::string> ports_dir;
  std::optional<std::string> screenshots_dir;
  std::optional<std::string> script_file;
  // Where the settings files, traces and records live; nothing = the
  // current directory.
  std::optional<QString> work_dir;
  bool from_menu = false;
};

// --help and --version need no display: a plain QCoreApplication answers
// them, the window's QApplication everything else.
std::unique_ptr<QCoreApplication> MakeApplication(int& argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    for (const char* text_only : {"-h", "--help", "--help-all", "-v", "--version"}) {
      if (std::strcmp(argv[i], text_only) == 0) {
        return std::make_unique<QCoreApplication>(argc, argv);
      }
    }
  }
  return std::make_unique<QApplication>(argc, argv);
}

// The directory of a start from the desktop's menu:
// $XDG_DATA_HOME/qmx41-config, by default ~/.local/share/qmx41-config.
QString MenuWorkDir() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
         QStringLiteral("/qmx41-config");
}

QString Absolute(const QString& path) {
  return QDir::cleanPath(QDir::current().absoluteFilePath(path));
}

// Returns the exit code to stop with, or nothing to go on.
std::optional<int> ParseOptions(QCoreApplication& app, Options* options) {
  QCommandLineParser parser;
  parser.setApplicationDescription(
      QStringLiteral("Обслуживание и настройка электромагнитного расходомера QMX41 по Modbus RTU.\n"
                     "Файлы настроек (dev.dat, to.dat, recent.prf), трассы обмена и записи\n"
                     "измерений хранятся в текущем каталоге, а при запуске из меню (--desktop) —\n"
                     "в ~/.local/share/qmx41-config ($XDG_DATA_HOME/qmx41-config)."));
  const QCommandLineOption help = parser.addHelpOption();
  const QCommandLineOption version = parser.addVersionOption();
  const QCommandLineOption engineering(
      QStringLiteral("engineering"),
      QStringLiteral("Инженерный вид: панель связи, все инженерные страницы и меню"));
  const QCommandLineOption ports_dir(
      QStringLiteral("ports-dir"),
      QStringLiteral("Порт n — запись COMn каталога DIR (вместо QMX41_PORTS_DIR)"),
      QStringLiteral("DIR"));
  const QCommandLineOption screenshots(
      QStringLiteral("screenshots"),
      QStringLiteral("Сохранить все страницы обоих видов как PNG в DIR и выйти"),
      QStringLiteral("DIR"));
  const QCommandLineOption script(
      QStringLiteral("script"),
      QStringLiteral("После запуска выполнить действия оператора из FILE и выйти с его "
                     "результатом (0 — все ожидания выполнены)"),
      QStringLiteral("FILE"));
  const QCommandLineOption work_dir(
      QStringLiteral("workdir"),
      QStringLiteral("Работать в каталоге DIR (создаётся, если его нет) вместо текущего"),
      QStringLiteral("DIR"));
  const QCommandLineOption desktop(
      QStringLiteral("desktop"),
      QStringLiteral("Запуск из меню: работать в ~/.local/share/qmx41-config"));
  parser.addOptions({engineering, ports_dir, screenshots, script, work_dir, desktop});

  const bool parsed = parser.parse(QCoreApplication::arguments());
  if (!parsed || !parser.positionalArguments().isEmpty()) {
    const QString error = !parsed ? parser.errorText()
                                  : QStringLiteral("Лишний аргумент «%1».")
                                        .arg(parser.positionalArguments().constFirst());
    std::fprintf(stderr, "qmx41-config: %s\nСписок параметров: qmx41-config --help\n",
                 qPrintable(error));
    return kExitUsage;
  }
  if (parser.isSet(version)) {
    std::printf("%s %s\n", qPrintable(QCoreApplication::applicationName()),
                qPrintable(QCoreApplication::applicationVersion()));
    return 0;
  }
  // With Qt's own options as well; prints and exits.
  if (parser.isSet(QStringLiteral("help-all"))) parser.process(app);
  if (parser.isSet(help)) {
    std::fputs(qPrintable(parser.helpText()), stdout);
    return 0;
  }
  if (qobject_cast<QApplication*>(&app) == nullptr) {  // "-v" was a value
    std::fputs("qmx41-config: a value that looks like --help or --version\n", stderr);
    return kExitUsage;
  }
  options->engineering = parser.isSet(engineering);
  if (parser.isSet(ports_dir)) options->ports_dir = Absolute(parser.value(ports_dir)).toStdString();
  if (parser.isSet(screenshots)) {
    options->screenshots_dir = Absolute(parser.value(screenshots)).toStdString();
  }
  if (parser.isSet(script)) options->script_file = Absolute(parser.value(script)).toStdString();
  options->from_menu = parser.isSet(desktop);
  if (parser.isSet(work_dir)) {
    options->work_dir = parser.value(work_dir);
  } else if (options->from_menu) {
    options->work_dir = MenuWorkDir();
  }
  return std::nullopt;
}

// Makes `dir` (with its parents) and enters it; false, with a message,
// when that cannot be done.
bool EnterWorkDir(const QString& dir, bool from_menu) {
  const QString path = Absolute(dir);
  QString problem;
  if (!QDir().mkpath(path)) {
    problem = QStringLiteral("не удаётся создать рабочий каталог %1").arg(path);
  } else if (!QDir::setCurrent(path)) {
    problem = QStringLiteral("не удаётся перейти в рабочий каталог %1").arg(path);
  } else {
    return true;
  }
  std::fprintf(stderr, "qmx41-config: %s\n", qPrintable(problem));
  // Started from the menu, nobody reads the standard error.
  if (from_menu) QMessageBox::critical(nullptr, QStringLiteral("QMX41"), problem);
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication::setApplicationName(QStringLiteral("qmx41-config"));
  QCoreApplication::setApplicationVersion(QStringLiteral(QMX_VERSION));
  QGuiApplication::setDesktopFileName(QStringLiteral("qmx41-config"));
  const std::unique_ptr<QCoreApplication> app = MakeApplication(argc, argv);
  // QApplication has just given the C library the desktop's locale, which
  // on a Russian desktop prints "12,5"; numbers keep their ".".
  qmx::UseDotDecimalSeparator();
  // Qt's own texts in Russian: "Да" / "Нет" on the boxes, the file dialogs.
  QTranslator qt_translation;
  if (qt_translation.load(QStringLiteral("qtbase_ru"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QCoreApplication::installTranslator(&qt_translation);
  }

  Options options;
  if (const std::optional<int> code = ParseOptions(*app, &options)) {
    return *code;
  }
  if (options.work_dir) {
    // A ports directory named relative to where the program was started.
    const std::string from_environment = qmx::PortsDirFromEnvironment();
    if (!options.ports_dir && !from_environment.empty()) {
      options.ports_dir = Absolute(QString::fromStdString(from_environment)).toStdString();
    }
    if (!EnterWorkDir(*options.work_dir, options.from_menu)) return kExitUsage;
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

  qmx::PosixPortProvider local_ports;
  if (options.ports_dir) local_ports.SetPortsDir(*options.ports_dir);
  // The network serial ports of the program's own settings, by COM number.
  qmx::NetworkPortProvider ports(local_ports);
  {
    QSettings user_settings(QStringLiteral("qmx41-config"), QStringLiteral("qmx41-config"));
    ports.SetEntries(qmx::LoadNetworkPorts(user_settings));
  }
  qmx::SystemClock clock;
  qmx::QtDialogs qt_dialogs;
  qmx::ScriptedDialogs scripted_dialogs;
  qmx::Dialogs& dialogs =
      options.script_file ? static_cast<qmx::Dialogs&>(scripted_dialogs) : qt_dialogs;
  qmx::AppContext context(ports, clock, dialogs);
  qmx::ExchangeGate gate;
  context.gate = &gate;
  context.link.SetEventPump(qmx::ExchangeGate::LinkEventPump());
  // The waits of the link sleep in the event loop instead of pumping it.
  qmx::EventLoopWaiter waiter;
  context.link.SetWaiter(&waiter);

  qmx::MainWindow window(context);
  qt_dialogs.SetParentWidget(&window);
  auto* startup = new qmx::Startup(context, window);  // owned by the window
  window.SetEngineeringView(options.engineering);
  startup->FormCreate();

  if (options.screenshots_dir) {
    return qmx::RenderScreenshots(window, QString::fromStdString(*options.screenshots_dir)) ? 0 : 1;
  }

  // An operator's run remembers the window for the next one; pictures and
  // scripts always start from the designed window and leave nothing behind.
  QSettings user_settings(QStringLiteral("qmx41-config"), QStringLiteral("qmx41-config"));
  if (!options.script_file) {
    qmx::RestoreWindowState(window, user_settings, options.engineering);
    QObject::connect(&window, &qmx::MainWindow::closing, &window,
                     [&] { qmx::SaveWindowState(window, user_settings); });
  }
  // The exchange monitor as the operator left it last time (not for scripts).
  if (!options.script_file) window.Monitor()->RestoreAndRememberVisibility();
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
