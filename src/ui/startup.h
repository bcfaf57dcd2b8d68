// Start-up and shut-down of the main window: the settings files, the
// profile, the lists and the link controls, the first open of the port, the
// states of the buttons, and the profile written back when the window
// closes.  Also the two one-shot timers start-up arms.
#pragma once

#include <QObject>
#include <QPointer>

class QTimer;

namespace qmx {

struct AppContext;
class MainWindow;
class ProfileCommands;

inline constexpr char kWindowCaption[] = "QMX41_Config_V 3.2";

// Numbers are written and read with "." whatever the desktop's locale: the
// C library's and Qt's default locale both become "C" for numbers.
void UseDotDecimalSeparator();

class Startup final : public QObject {
  Q_OBJECT

 public:
  // Wires the window's menu commands, the buttons of the parameter blocks
  // and its close to the handlers; the object lives as long as the window.
  Startup(AppContext& context, MainWindow& window);
  ~Startup() override;

  void FormCreate();
  void FormClose();

  // Timer7 once with 200 ms: after start-up and after a change of page.
  void StartTimer7();
  ProfileCommands& profile_commands() { return *profile_commands_; }

 private:
  void Timer7Timer();
  void Timer10Timer();
  void ColourStatusPanels();

  AppContext& context_;
  MainWindow& window_;
  ProfileCommands* profile_commands_;
  QTimer* timer7_;
  QTimer* timer10_;
};

}  // namespace qmx
