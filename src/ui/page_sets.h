// The window's five page sets and the pages in them, in the order the
// instrument's documentation and the settings profile number them:
//   PageControl1  the engineering pages; PageControl2 lies under
//                 "Настройка параметров" and PageControl3 under its
//                 "Внешние данные";
//   PageControl4  the operator pages, PageControl5 under "НАСТРОЙКИ РАБОТЫ".
// Every sheet of a set is a scroll area named "TabSheet_" + a short ASCII
// name, holding the page "Page_" + that name; the tab text is the page's
// title.
#pragma once

#include <QColor>
#include <array>

class QTabWidget;
class QWidget;

namespace qmx {

struct AppContext;

// Pages of PageControl1 whose tabs the operator layout hides: "АЦП",
// "Поиск", "Градуировки", "Отладка АЦП", "Отладка измерения", "Целостность
// кода", "Совместимость с Тальвером", "Пользовательские регистры".  Such a
// page is still shown when it is made the current one.
inline constexpr std::array<int, 8> kOperatorHiddenTabs = {2, 4, 5, 6, 7, 8, 9, 10};
// The optional pages of PageControl5.
inline constexpr int kMaintenanceTab = 4;  // "ОБСЛУЖИВАНИЕ", ElClearTabEn
inline constexpr int kArchiveTab = 5;      // "АРХИВ", ArchTabEn

struct PageSets {
  std::array<QTabWidget*, 5> sets{};  // PageControl1 .. PageControl5
};

// Builds PageControl1 (with 2 and 3 nested) into `engineering_parent` and
// PageControl4 (with 5 nested) into `operator_parent`, every page in place.
// The tabs hidden by design are hidden; the caller lays the two sets out.
PageSets BuildPageSets(AppContext& context, QWidget* engineering_parent, QWidget* operator_parent);

// Shows or hides a tab without moving the set off its current page: Qt would
// otherwise switch a set whose current tab is hidden to a neighbour, and the
// profile would remember a page the operator never chose.  No currentChanged
// is emitted for the restored page.
void SetTabVisibleKeepingPage(QTabWidget* set, int index, bool visible);

// The tab of the active page drawn highlighted, every other tab plain.
QColor ActiveTabTextColor();
void MarkTabs(QTabWidget* set);
// MarkTabs for the five page sets of `window` (found by their names).
void MarkActiveTabs(QWidget* window);

}  // namespace qmx
