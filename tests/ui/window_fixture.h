// The whole window against virtual instruments, in a fresh working
// directory: the link runs on a virtual clock through the in-process port,
// every box goes to scripted dialogs, and every handler goes through the
// exchange gate as in the program.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "link/clock.h"
#include "operator/scripted_dialogs.h"
#include "sim/bus.h"
#include "sim/inprocess_port.h"
#include "ui/app_context.h"
#include "ui/exchange_gate.h"
#include "ui/main_window.h"
#include "ui/startup.h"

namespace qmx::test {

// Makes a temporary directory the current one for the life of the object.
class TempWorkingDirectory {
 public:
  TempWorkingDirectory() {
    previous_ = std::filesystem::current_path();
    std::string pattern = (std::filesystem::temp_directory_path() / "qmx-ui-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) ADD_FAILURE() << "no temporary directory";
    path_ = pattern;
    std::filesystem::current_path(path_);
  }
  ~TempWorkingDirectory() {
    std::error_code error;
    std::filesystem::current_path(previous_, error);
    std::filesystem::remove_all(path_, error);
  }
  TempWorkingDirectory(const TempWorkingDirectory&) = delete;
  TempWorkingDirectory& operator=(const TempWorkingDirectory&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path previous_;
  std::filesystem::path path_;
};

// Serves the virtual instruments and remembers every port the program
// tried to open, in order (the port enumeration included).
class RecordingPortProvider final : public PortProvider {
 public:
  explicit RecordingPortProvider(VirtualClock& clock) : ports_(clock) {}

  std::unique_ptr<SerialPort> Open(uint16_t number, const LineConfig& config,
                                   std::string* error) override {
    opened_.push_back(number);
    return ports_.Open(number, config, error);
  }
  std::string DevicePath(uint16_t number) override { return ports_.DevicePath(number); }

  sim::InProcessPortProvider& ports() { return ports_; }
  const std::vector<uint16_t>& opened() const { return opened_; }
  void ClearRecord() { opened_.clear(); }

 private:
  sim::InProcessPortProvider ports_;
  std::vector<uint16_t> opened_;
};

inline std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

inline void WriteText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

class WindowTest : public ::testing::Test {
 protected:
  WindowTest() : context_(ports_, clock_, dialogs_) {
    dialogs_.SetFailureHandler([](std::string_view message) { ADD_FAILURE() << message; });
    context_.gate = &gate_;
    context_.link.SetEventPump(ExchangeGate::LinkEventPump());
  }
  ~WindowTest() override {
    // The window goes before the directory it saved into.
    window_.reset();
  }

  // COM `number` leads to the instrument on the bus.
  void PlugInstrument(uint16_t number) { ports_.ports().Attach(number, bus_); }
  // A port that exists but has nothing on the line.
  void PlugEmptyPort(uint16_t number) { ports_.ports().Attach(number, empty_bus_); }

  // Builds the window and runs the start-up.
  void Start() {
    window_ = std::make_unique<MainWindow>(context_);
    startup_ = new Startup(context_, *window_);
    startup_->FormCreate();
    Settle();
  }

  // Lets posted events and queued actions run.
  void Settle() {
    for (int i = 0; i < 20 && (gate_.Busy() || i < 2); ++i) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
  }

  template <class T>
  T* Find(const char* name) {
    T* control = window_->findChild<T*>(QLatin1String(name));
    EXPECT_NE(control, nullptr) << name;
    return control;
  }

  TempWorkingDirectory dir_;
  VirtualClock clock_;
  sim::Bus bus_{clock_};
  sim::Instrument& meter_ = bus_.AddInstrument();
  sim::Bus empty_bus_{clock_};
  RecordingPortProvider ports_{clock_};
  ScriptedDialogs dialogs_;
  ExchangeGate gate_;
  AppContext context_;
  std::unique_ptr<MainWindow> window_;
  Startup* startup_ = nullptr;
};

}  // namespace qmx::test
