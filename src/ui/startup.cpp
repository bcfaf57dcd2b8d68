#include "ui/startup.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLocale>
#include <QPalette>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <clocale>
#include <string>

#include "blocks/block_catalog.h"
#include "blocks/measured_values.h"
#include "storage/profile.h"
#include "storage/settings_files.h"
#include "ui/app_context.h"
#include "ui/block_controller.h"
#include "ui/button_states.h"
#include "ui/exchange_gate.h"
#include "ui/link_controller.h"
#include "ui/main_window.h"
#include "ui/page_sets.h"
#include "ui/pages/page_widgets.h"
#include "ui/profile_commands.h"
#include "ui/search_controller.h"
#include "ui/widget_controls.h"

namespace qmx {
namespace {

constexpr int kTimer7IntervalMs = 100;
constexpr int kTimer7StartMs = 200;
constexpr int kTimer10IntervalMs = 1000;
constexpr int kTimer10StartMs = 3000;

QTimer* MakeOneShotTimer(QObject* owner, const char* name, int interval_ms) {
  auto* timer = new QTimer(owner);
  timer->setObjectName(QLatin1String(name));
  timer->setSingleShot(true);
  timer->setInterval(interval_ms);
  return timer;
}

void Repaint(QWidget& window) {
  ExchangeGate::PumpEvents();
  window.repaint();
}

}  // namespace

void UseDotDecimalSeparator() {
  std::setlocale(LC_NUMERIC, "C");
  QLocale::setDefault(QLocale::c());
}

Startup::Startup(AppContext& context, MainWindow& window)
    : QObject(&window),
      context_(context),
      window_(window),
      profile_commands_(new ProfileCommands(context, &window)),
      timer7_(MakeOneShotTimer(this, "Timer7", kTimer7IntervalMs)),
      timer10_(MakeOneShotTimer(this, "Timer10", kTimer10IntervalMs)) {
  setObjectName(QStringLiteral("Startup"));
  connect(timer7_, &QTimer::timeout, this, &Startup::Timer7Timer);
  connect(timer10_, &QTimer::timeout, this, &Startup::Timer10Timer);
  connect(&window, &MainWindow::closing, this, &Startup::FormClose);
  new BlockController(context, &window);
  // The trace tells of a refused file in the middle of a transaction; the
  // box waits its turn at the gate, so the exchange is over when it shows.
  context_.link.log().SetRefusalReporter([this](const std::string& text) {
    const QPointer<Startup> self(this);
    qmx::RunOperatorAction(context_.gate, [self, text] {
      if (self == nullptr) return;
      self->context_.dialogs.ShowBox(text, kCaptionError, BoxButtons::kOk, BoxIcon::kError);
    });
  });
}

Startup::~Startup() {
  context_.link.log().SetRefusalReporter(nullptr);
}

// The order is the instrument tool's own: the link's settings files, then
// the profile (which replaces the exchange settings proposed for the
// instrument), the controls from the values, and only then the port.
void Startup::FormCreate() {
  LinkController& link_controls = LinkController::Of(context_, &window_);
  LinkSettings& settings = context_.link.settings();

  Repaint(window_);
  context_.current_dir = CurrentDirectory();
  context_.profile_path = DefaultProfilePath(context_.current_dir);
  LoadLinkSettings(settings, context_.current_dir);
  LoadTimeouts(settings.timeouts, context_.current_dir);
  LoadProfile(context_.profile, settings, context_.profile_path, context_.current_dir);
  ApplyPageSelection(&window_, context_.profile.pages);
  context_.update_guard = false;
  UseDotDecimalSeparator();
  // The lists and hints were filled when the window was built.
  window_.setWindowTitle(QString::fromUtf8(kWindowCaption));
  profile_commands_->FillExchangeControls();
  if (SearchController* search = SearchController::Of(&window_)) search->ShowSettings();
  link_controls.ShowLogSwitch();
  if (auto* records = window_.findChild<QCheckBox*>(QStringLiteral("CheckBox5"))) {
    records->setChecked(context_.profile.records.write_file == 1);
  }
  if (auto* cleaning = window_.findChild<QComboBox*>(QStringLiteral("ComboBox54"))) {
    cleaning->setCurrentIndex(context_.profile.el_clear_time_val < cleaning->count()
                                  ? context_.profile.el_clear_time_val
                                  : -1);
  }
  // The port is the gate's business even now.
  auto open_port = [this, &link_controls] {
    link_controls.EnumeratePorts();
    link_controls.FillPortLists();
    link_controls.OpenPort(0);
    context_.link.ClearRtsSetDtr();
  };
  qmx::RunOperatorAction(context_.gate, open_port);
  ButtonStates::Of(context_, &window_).ResetAtStartUp();
  Repaint(window_);
  context_.measurement.counters = ExchangeCounters{};
  WidgetControls controls(&window_);
  ShowCounters(context_.measurement.counters, controls);
  // Whatever the profile proposed, the instrument's address starts as the one in use.
  settings.proposed_address = settings.line.network_address;
  if (auto* search_57600 = window_.findChild<QCheckBox*>(QStringLiteral("CheckBox29"))) {
    search_57600->setChecked(false);
  }
  MarkActiveTabs(&window_);
  StartTimer7();
  FillBlockControls(controls, context_.blocks);
  timer10_->start(kTimer10StartMs);
  ColourStatusPanels();
  window_.ApplyOptionalTabs(context_.profile.pages.arch_tab_en,
                            context_.profile.pages.el_clear_tab_en);
}

void Startup::FormClose() {
  if (context_.profile_path.empty()) {
    context_.profile_path = DefaultProfilePath(CurrentDirectory());
  }
  CollectPageSelection(&window_, context_.profile.pages);
  // The operator's changes of this run live only in memory: a profile that
  // cannot be written must not lose them without a word.
  std::string cause;
  if (!SaveProfile(context_.profile, context_.link.settings(), context_.profile_path, &cause)) {
    context_.dialogs.ShowBox(ProfileNotSavedText(context_.profile_path, cause), kCaptionError,
                             BoxButtons::kOk, BoxIcon::kError);
  }
}

void Startup::StartTimer7() {
  timer7_->start(kTimer7StartMs);
}

void Startup::Timer7Timer() {
  Repaint(window_);
  auto* main_pages = window_.findChild<QTabWidget*>(QStringLiteral("PageControl1"));
  auto* read_once = window_.findChild<QPushButton*>(QStringLiteral("Button3"));
  // Only a button the operator can see can take the focus.
  if (main_pages != nullptr && main_pages->currentIndex() == 0 && read_once != nullptr &&
      read_once->isVisible()) {
    read_once->setFocus();
  }
}

void Startup::Timer10Timer() {
  for (const char* name : {"Panel52", "Image2"}) {
    if (auto* widget = window_.findChild<QWidget*>(QLatin1String(name))) widget->hide();
  }
  Repaint(window_);
}

void Startup::ColourStatusPanels() {
  for (const char* name : {"Panel46", "Panel47", "Panel48", "Panel49", "Panel50"}) {
    auto* panel = window_.findChild<QWidget*>(QLatin1String(name));
    if (panel == nullptr) continue;
    QPalette palette = panel->palette();
    palette.setColor(panel->backgroundRole(), StatusPanelColor());
    panel->setPalette(palette);
    panel->setAutoFillBackground(true);
  }
}

}  // namespace qmx
