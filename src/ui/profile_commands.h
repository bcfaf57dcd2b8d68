// The menu commands of "Файл" and "Настройки": load and save a settings
// profile under a chosen name, and choose the names of the exchange trace
// and the record files.  Also how the window's page sets are put into a
// profile and taken back from it.
#pragma once

#include <QObject>
#include <QPointer>
#include <string>

#include "storage/profile.h"

class QTabWidget;
class QWidget;

namespace qmx {

struct AppContext;

inline constexpr char kRecordFileDialogTitle[] = "Сохранять в файл с именем";
inline constexpr char kRecordFileFilter[] = "Текстовый файл (рекомендуется)|*.txt|Все файлы|*.*";
inline constexpr char kProfileExtension[] = ".prf";
inline constexpr char kRecordFileExtension[] = ".txt";

// Opens the remembered page of each of the four page sets whose page the
// profile keeps, without running the page-change handlers (the tabs'
// highlight follows).  An index outside its set leaves the set without an
// active page: its first page stays on screen, but the set counts as having
// none (and is saved as -1) until the operator picks a page.
void ApplyPageSelection(QWidget* window, const PageSelection& pages);
// The active pages of the window's page sets, as the profile saves them.
void CollectPageSelection(QWidget* window, PageSelection& pages);

// `name` with ".prf" added unless it already ends so (in any letter case).
std::string WithProfileExtension(const std::string& name);
// `name` with ".txt" added when its last part has no extension.
std::string WithRecordFileExtension(const std::string& name);

class ProfileCommands final : public QObject {
  Q_OBJECT

 public:
  // Connects the menu commands N2, N3, N12..N15 found in `window`; each
  // runs through the exchange gate.
  ProfileCommands(AppContext& context, QWidget* window);

  // What start-up and a profile load show of the loaded values: the
  // exchange controls, the link controls, and the two byte gaps.
  void FillExchangeControls();

  // "Прочитать профиль настроек из файла".  A file that cannot be read as
  // a profile (ProfileUnreadableCause) is named in an error box and changes
  // nothing: neither the values, nor the pages, nor what the close saves.
  void N2Click();
  // "Записать профиль настроек в файл".  A profile that cannot be written
  // is named in an error box with the cause.
  void N3Click();
  // "Обмен", "Результаты измерения", "Результаты обработки", "Коды АЦП".
  void N12Click();
  void N13Click();
  void N14Click();
  void N15Click();

 private:
  // Asks for a record file name preset with `name`; the name changes only
  // when the operator confirms.
  void ChooseRecordFileName(std::string& name);
  // The byte gaps as the exchange page shows them (when it has the lists).
  void CollectTimeGaps();

  AppContext& context_;
  QPointer<QWidget> window_;
};

}  // namespace qmx
