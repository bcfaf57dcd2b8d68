#include "ui/main_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QFont>
#include <QFrame>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QResizeEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QTabWidget>
#include <QVBoxLayout>

#include "ui/app_context.h"
#include "ui/busy_indicator.h"
#include "ui/choice_lists.h"
#include "ui/configuration_dialog.h"
#include "ui/debug_poll_controller.h"
#include "ui/exchange_gate.h"
#include "ui/exchange_monitor.h"
#include "ui/link_bar.h"
#include "ui/measured_keys.h"
#include "ui/network_ports_dialog.h"
#include "ui/page_sets.h"
#include "ui/pages/operator_measurement_page.h"
#include "ui/polling_controller.h"
#include "ui/search_controller.h"
#include "ui/tab_switching.h"
#include "ui/trend/trend_controller.h"

namespace qmx {
namespace {

constexpr char kCaption[] = "QMX41_Config_V 3.2";
// The size the window was designed at; layouts carry it from there.
constexpr int kDesignWidth = 1205;
constexpr int kDesignHeight = 630;

QAction* NewAction(QMenu* menu, const char* name, const char* text) {
  QAction* action = menu->addAction(QString::fromUtf8(text));
  action->setObjectName(QLatin1String(name));
  return action;
}

QMenu* NewMenu(QWidget* parent, const char* name, const char* title) {
  auto* menu = new QMenu(QString::fromUtf8(title), parent);
  menu->setObjectName(QLatin1String(name));
  return menu;
}

// The link bar scrolls sideways in a window narrower than the bar; its
// scroll bar takes room only while it is shown.
class SideScroll final : public QScrollArea {
 public:
  SideScroll(QWidget* bar, QWidget* parent) : QScrollArea(parent) {
    setObjectName(QStringLiteral("LinkBarScroll"));
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setWidget(bar);
  }

  QSize sizeHint() const override {
    QSize hint = widget()->sizeHint();
    if (width() < widget()->minimumSizeHint().width()) {
      hint.rheight() += horizontalScrollBar()->sizeHint().height();
    }
    return hint;
  }
  QSize minimumSizeHint() const override { return {0, sizeHint().height()}; }

 protected:
  void resizeEvent(QResizeEvent* event) override {
    QScrollArea::resizeEvent(event);
    // The height follows whether the scroll bar is needed.
    if (event->size().width() != event->oldSize().width()) updateGeometry();
  }
};

// The designed face is bold Arial; Liberation Sans has its metrics, and the
// system's sans-serif face stands in where it is missing.  The size stays the
// desktop's, so the window scales with the screen's settings.
QFont WindowFont(QFont font) {
  font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
  font.setStyleHint(QFont::SansSerif);
  font.setBold(true);
  return font;
}

}  // namespace

MainWindow::MainWindow(AppContext& context, QWidget* parent)
    : QMainWindow(parent), context_(context) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QString::fromUtf8(kCaption));
  setFont(WindowFont(font()));

  auto* client = new QWidget(this);
  client->setObjectName(QStringLiteral("ClientArea"));
  auto* client_layout = new QVBoxLayout(client);
  client_layout->setContentsMargins(0, 0, 0, 0);
  client_layout->setSpacing(0);
  views_ = new QStackedWidget(client);
  client_layout->addWidget(views_, 1);

  panel115_ = new QFrame(views_);
  panel115_->setObjectName(QStringLiteral("Panel115"));
  auto* operator_layout = new QVBoxLayout(panel115_);
  operator_layout->setContentsMargins(0, 0, 0, 0);

  engineering_view_ = new QWidget(views_);
  engineering_view_->setObjectName(QStringLiteral("EngineeringView"));
  auto* engineering_layout = new QVBoxLayout(engineering_view_);
  engineering_layout->setContentsMargins(0, 0, 0, 0);
  engineering_layout->setSpacing(2);
  link_bar_ = new LinkBar(context_, engineering_view_);
  engineering_layout->addWidget(new SideScroll(link_bar_, engineering_view_));

  const qmx::PageSets sets = BuildPageSets(context_, engineering_view_, panel115_);
  page_sets_ = sets.sets;
  engineering_layout->addWidget(PageControl1(), 1);
  operator_layout->addWidget(PageControl4());
  views_->addWidget(panel115_);
  views_->addWidget(engineering_view_);
  views_->setCurrentWidget(panel115_);

  // The picture panel is hidden in the designed layout; start-up hides it
  // again when its timer runs out.
  auto* picture_panel = new QFrame(client);
  picture_panel->setObjectName(QStringLiteral("Panel52"));
  auto* picture_layout = new QVBoxLayout(picture_panel);
  auto* picture = new QLabel(picture_panel);
  picture->setObjectName(QStringLiteral("Image2"));
  picture->hide();
  picture_layout->addWidget(picture);
  picture_panel->hide();
  client_layout->addWidget(picture_panel);

  setCentralWidget(client);
  monitor_ = new ExchangeMonitor(context_.link, this);
  addDockWidget(Qt::BottomDockWidgetArea, monitor_);
  monitor_->hide();
  BuildMenus();
  FillChoiceLists(this);
  // The measured-value views and the page changes; both live with the window.
  auto* polling = new PollingController(context_, *this);
  new TabSwitching(*this, *polling);
  new TrendController(context_, *this, *polling);
  if (auto* measurement = findChild<OperatorMeasurementPage*>()) {
    connect(polling, &PollingController::measurementPollChanged, measurement,
            &OperatorMeasurementPage::ShowPollState);
  }
  // The busy message over the status line, and F5/F6 on the measured values.
  new BusyIndicator(context_, *this);
  new MeasuredKeys(context_, *this);
  new SearchController(context_, this);
  new NetworkPortsCommand(context_, this, network_ports_action_);
  new DebugPollController(context_, *this);
  // The trace and the record file stay open while exchanges follow one
  // another and while a poll goes on, and are closed as soon as neither is
  // the case: the operator may then move them or take out their disk.
  if (context_.gate != nullptr) {
    const auto release = [this] {
      if (context_.gate->Busy() || context_.measurement_polling || context_.module_polling) return;
      context_.link.log().ReleaseFile();
      context_.measurement.record_refusals.file.Release();
    };
    connect(context_.gate, &ExchangeGate::busyChanged, this, release);
    connect(polling, &PollingController::measurementPollChanged, this, release);
  }
  resize(kDesignWidth, kDesignHeight);
  SetEngineeringView(false);
}

void MainWindow::BuildMenus() {
  QMenuBar* bar = menuBar();
  bar->setObjectName(QStringLiteral("MainMenu1"));

  QMenu* file = NewMenu(bar, "MenuFile", "Файл");
  n2_ = NewAction(file, "N2", "Прочитать профиль настроек из файла");
  n3_ = NewAction(file, "N3", "Записать профиль настроек в файл");
  file->addSeparator();
  NewAction(file, "OpenRecordsAction", "Открыть записи измерений…");
  // The whole configuration, in a window of its own; the operator view has
  // no menu bar, so the window carries the shortcut.
  QAction* configuration = NewAction(file, "ConfigurationAction", "Конфигурация прибора…");
  configuration->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_K));
  configuration->setShortcutContext(Qt::WindowShortcut);
  addAction(configuration);
  // Made now, so that scripts find its controls before it is first shown.
  auto* dialog = new ConfigurationDialog(context_, this);
  connect(configuration, &QAction::triggered, dialog, [dialog] {
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
  });
  bar->addMenu(file);

  QMenu* settings = NewMenu(bar, "MenuSettings", "Настройки");
  QMenu* log_names = NewMenu(settings, "MenuLogFileNames", "Имена файлов логов");
  n12_ = NewAction(log_names, "N12", "Обмен");
  n13_ = NewAction(log_names, "N13", "Результаты измерения");
  n14_ = NewAction(log_names, "N14", "Результаты обработки");
  n15_ = NewAction(log_names, "N15", "Коды АЦП");
  settings->addMenu(log_names);
  network_ports_action_ = NewAction(settings, "NetworkPortsAction", "Сетевые порты…");
  bar->addMenu(settings);

  QMenu* view = NewMenu(bar, "MenuView", "Вид");
  engineering_action_ = NewAction(view, "EngineeringViewAction", "Инженерный вид");
  engineering_action_->setCheckable(true);
  engineering_action_->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E));
  engineering_action_->setShortcutContext(Qt::WindowShortcut);
  bar->addMenu(view);
  // The operator view hides the menu bar, and a hidden menu's shortcuts do
  // not fire: the window carries the action itself.
  addAction(engineering_action_);
  connect(engineering_action_, &QAction::toggled, this, &MainWindow::SetEngineeringView);
  QAction* monitor = MonitorAction();
  monitor->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_M));
  monitor->setShortcutContext(Qt::WindowShortcut);
  view->addAction(monitor);
  addAction(monitor);

  popup_menu1_ = NewMenu(this, "PopupMenu1", "");
  // Offered on the port lists; it has never had a command behind it.
  NewAction(popup_menu1_, "PopupMenu1Item", "Обновить список портов");
}

QAction* MainWindow::MonitorAction() const {
  return monitor_->toggleViewAction();
}

void MainWindow::SetEngineeringView(bool on) {
  const bool changed = on != engineering_;
  engineering_ = on;
  for (int index : kOperatorHiddenTabs) SetTabVisibleKeepingPage(PageControl1(), index, on);
  views_->setCurrentWidget(on ? engineering_view_ : static_cast<QWidget*>(panel115_));
  menuBar()->setVisible(on);
  {
    const QSignalBlocker quiet(engineering_action_);
    engineering_action_->setChecked(on);
  }
  if (changed) emit engineeringViewChanged(on);
}

void MainWindow::ApplyOptionalTabs(uint16_t arch_tab_en, uint16_t el_clear_tab_en) {
  SetTabVisibleKeepingPage(PageControl5(), kArchiveTab, arch_tab_en == 1);
  SetTabVisibleKeepingPage(PageControl5(), kMaintenanceTab, el_clear_tab_en == 1);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  // A search holds the line parameters of its probe.  It ends after the
  // probe in progress, puts the operator's line back and closes the window
  // again; only then is the profile written.
  if (SearchController* search = SearchController::Of(this);
      search != nullptr && search->StopForClose()) {
    event->ignore();
    return;
  }
  // The transaction in progress ends first: the instrument is not left in
  // the middle of an operation, and the profile saved then holds what it
  // brought.  Actions still waiting behind it are dropped: nothing the
  // operator clicked goes to the instrument after the close.  The window
  // stays until the gate is free and then closes, which ends the program.
  if (context_.gate != nullptr && context_.gate->Busy()) {
    event->ignore();
    context_.gate->DropQueued();
    if (!close_after_exchange_) {
      close_after_exchange_ = true;
      connect(context_.gate, &ExchangeGate::busyChanged, this, &MainWindow::CloseAfterExchange,
              Qt::UniqueConnection);
    }
    return;
  }
  close_after_exchange_ = false;
  emit closing();
  QMainWindow::closeEvent(event);
}

void MainWindow::CloseAfterExchange(bool gate_busy) {
  if (gate_busy || !close_after_exchange_) return;
  close();
}

}  // namespace qmx
