// The program's one window.  It holds the two page sets of the instrument:
// the operator set (Panel115 with PageControl4) that covers the whole window
// by default, and the engineering view (the link bar over PageControl1, with
// the main menu) that an engineer brings up with Ctrl+Shift+E or the
// command-line option --engineering.  The window only assembles the pages;
// each page and controller owns its handlers.
#pragma once

#include <QMainWindow>
#include <array>
#include <cstdint>

class QAction;
class QCloseEvent;
class QFrame;
class QMenu;
class QStackedWidget;
class QTabWidget;

namespace qmx {

struct AppContext;
class ExchangeMonitor;
class LinkBar;

class MainWindow final : public QMainWindow {
  Q_OBJECT

 public:
  explicit MainWindow(AppContext& context, QWidget* parent = nullptr);

  // Engineering view: link bar, PageControl1 with every tab (those hidden in
  // the operator layout included) and the main menu.  Operator view: Panel115
  // alone, the tabs of PageControl1 hidden as designed, no menu.  The pages
  // shown in each set stay as they were.
  void SetEngineeringView(bool on);
  bool EngineeringView() const { return engineering_; }

  // The optional pages of "НАСТРОЙКИ РАБОТЫ": "АРХИВ" is shown exactly when
  // ArchTabEn is 1, "ОБСЛУЖИВАНИЕ" exactly when ElClearTabEn is 1 (the
  // profile's keys, applied once at start-up).
  void ApplyOptionalTabs(uint16_t arch_tab_en, uint16_t el_clear_tab_en);

  QTabWidget* PageControl1() const { return page_sets_[0]; }
  QTabWidget* PageControl2() const { return page_sets_[1]; }
  QTabWidget* PageControl3() const { return page_sets_[2]; }
  QTabWidget* PageControl4() const { return page_sets_[3]; }
  QTabWidget* PageControl5() const { return page_sets_[4]; }
  // The five page sets in the order of their numbers.
  const std::array<QTabWidget*, 5>& PageSets() const { return page_sets_; }
  QFrame* Panel115() const { return panel115_; }
  LinkBar* TopBar() const { return link_bar_; }

  // Main menu commands: "Файл" -> N2 "Прочитать профиль настроек из файла",
  // N3 "Записать профиль настроек в файл"; "Настройки" -> "Имена файлов
  // логов" -> N12 "Обмен", N13 "Результаты измерения", N14 "Результаты
  // обработки", N15 "Коды АЦП"; "Сетевые порты…" (the network serial
  // ports of the program's own settings).
  QAction* N2() const { return n2_; }
  QAction* N3() const { return n3_; }
  QAction* N12() const { return n12_; }
  QAction* N13() const { return n13_; }
  QAction* N14() const { return n14_; }
  QAction* N15() const { return n15_; }
  QAction* NetworkPortsAction() const { return network_ports_action_; }
  // Ctrl+Shift+E; works in the operator view too, where the menu is hidden.
  QAction* EngineeringViewAction() const { return engineering_action_; }
  QMenu* PopupMenu1() const { return popup_menu1_; }
  // "Монитор обмена", docked at the bottom, hidden until "Вид" -> "Монитор
  // обмена" (Ctrl+Shift+M) shows it.
  ExchangeMonitor* Monitor() const { return monitor_; }
  QAction* MonitorAction() const;

 signals:
  // From closeEvent, before the window goes: the profile is saved then.  A
  // close asked for while an exchange runs is put off until the exchange
  // gate is free, so the profile holds what the exchange brought.
  void closing();
  void engineeringViewChanged(bool on);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildMenus();
  // Ends a close that waited for the exchange in progress, once the gate is
  // free.
  void CloseAfterExchange(bool gate_busy);

  AppContext& context_;
  bool engineering_ = false;
  // A close was asked for while an exchange ran; the window closes (and the
  // program ends) as soon as the exchange gate is free.
  bool close_after_exchange_ = false;
  QStackedWidget* views_ = nullptr;
  QFrame* panel115_ = nullptr;
  QWidget* engineering_view_ = nullptr;
  LinkBar* link_bar_ = nullptr;
  std::array<QTabWidget*, 5> page_sets_{};
  QAction* n2_ = nullptr;
  QAction* n3_ = nullptr;
  QAction* n12_ = nullptr;
  QAction* n13_ = nullptr;
  QAction* n14_ = nullptr;
  QAction* n15_ = nullptr;
  QAction* network_ports_action_ = nullptr;
  QAction* engineering_action_ = nullptr;
  QMenu* popup_menu1_ = nullptr;
  ExchangeMonitor* monitor_ = nullptr;
};

}  // namespace qmx
