#include "ui/profile_commands.h"

#include <QAction>
#include <QComboBox>
#include <QSignalBlocker>
#include <QTabBar>
#include <QTabWidget>
#include <QWidget>
#include <algorithm>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "blocks/block_catalog.h"
#include "blocks/exchange_parameters.h"
#include "registers/input_parsing.h"
#include "registers/value_formats.h"
#include "storage/settings_files.h"
#include "ui/app_context.h"
#include "ui/exchange_gate.h"
#include "ui/link_controller.h"
#include "ui/page_sets.h"
#include "ui/search_controller.h"
#include "ui/widget_controls.h"

namespace qmx {
namespace {

// Set on a page set whose remembered page did not exist: it has no active
// page until the operator chooses one.
constexpr char kNoActivePageProperty[] = "qmxNoActivePage";
constexpr char kWatchedProperty[] = "qmxNoActivePageWatched";
constexpr int32_t kLargestTimeGap = 255;  // ms

QTabWidget* PageSet(QWidget* window, const char* name) {
  return window == nullptr ? nullptr : window->findChild<QTabWidget*>(QLatin1String(name));
}

void ApplyPageIndex(QTabWidget* pages, int index) {
  if (pages == nullptr) return;
  if (!pages->property(kWatchedProperty).toBool()) {
    pages->setProperty(kWatchedProperty, true);
    QObject::connect(pages, &QTabWidget::currentChanged, pages,
                     [pages] { pages->setProperty(kNoActivePageProperty, false); });
  }
  const bool valid = index >= 0 && index < pages->count();
  if (valid) {
    // The program opens the remembered page, the operator has not changed
    // pages: none of the page-change handlers runs (a poll goes on, no timer
    // starts); only the highlight follows the new page.
    const QSignalBlocker quiet(pages);
    pages->setCurrentIndex(index);
  }
  MarkTabs(pages);
  pages->setProperty(kNoActivePageProperty, !valid);
  pages->update();
}

int ActivePageIndex(QTabWidget* pages, int fallback) {
  if (pages == nullptr) return fallback;
  if (pages->property(kNoActivePageProperty).toBool()) return kNoActivePage;
  return pages->currentIndex();
}

// The position of the active page's tab among the tabs shown; -1 when the
// page's tab is hidden or no page is active.
int ShownTabIndex(QTabWidget* pages, int fallback) {
  if (pages == nullptr) return fallback;
  const int active = ActivePageIndex(pages, fallback);
  if (active < 0 || !pages->isTabVisible(active)) return kNoActivePage;
  int shown = 0;
  for (int i = 0; i < active; ++i) {
    if (pages->isTabVisible(i)) ++shown;
  }
  return shown;
}

char AsciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool FileExists(const std::string& name) {
  std::error_code error;
  return std::filesystem::exists(name, error);
}

// The gap in the list's text, limited as "dev.dat" limits it (0..255).
uint16_t TakeGap(QComboBox* list, uint16_t current) {
  if (list == nullptr) return current;
  const std::optional<int32_t> value = ParseInteger(list->currentText().toStdString());
  const auto gap = static_cast<uint16_t>(std::clamp(value.value_or(0), 0, kLargestTimeGap));
  const QString text = QString::fromStdString(FormatLongDecimal(gap));
  if (list->isEditable()) {
    list->setEditText(text);
  } else {
    list->setCurrentText(text);
  }
  return gap;
}

void ShowGap(QComboBox* list, uint16_t gap) {
  if (list == nullptr) return;
  const QString text = QString::fromStdString(FormatLongDecimal(gap));
  if (list->isEditable()) {
    list->setEditText(text);
  } else {
    list->setCurrentText(text);
  }
}

}  // namespace

void ApplyPageSelection(QWidget* window, const PageSelection& pages) {
  ApplyPageIndex(PageSet(window, "PageControl1"), pages.main);
  ApplyPageIndex(PageSet(window, "PageControl2"), pages.settings);
  ApplyPageIndex(PageSet(window, "PageControl4"), pages.operator_set);
  ApplyPageIndex(PageSet(window, "PageControl5"), pages.work);
}

void CollectPageSelection(QWidget* window, PageSelection& pages) {
  QTabWidget* main = PageSet(window, "PageControl1");
  pages.main_tab_index = ShownTabIndex(main, pages.main_tab_index);
  pages.main = ActivePageIndex(main, pages.main);
  pages.settings = ActivePageIndex(PageSet(window, "PageControl2"), pages.settings);
  pages.operator_set = ActivePageIndex(PageSet(window, "PageControl4"), pages.operator_set);
  pages.work = ActivePageIndex(PageSet(window, "PageControl5"), pages.work);
}

std::string WithProfileExtension(const std::string& name) {
  const std::string extension = std::filesystem::path(name).extension().string();
  const std::string_view wanted = kProfileExtension;
  const bool has_it = std::equal(extension.begin(), extension.end(), wanted.begin(), wanted.end(),
                                 [](char a, char b) { return AsciiLower(a) == AsciiLower(b); });
  return has_it ? name : name + kProfileExtension;
}

std::string WithRecordFileExtension(const std::string& name) {
  if (std::filesystem::path(name).has_extension()) return name;
  return name + kRecordFileExtension;
}

ProfileCommands::ProfileCommands(AppContext& context, QWidget* window)
    : QObject(window), context_(context), window_(window) {
  setObjectName(QStringLiteral("ProfileCommands"));
  const std::pair<const char*, void (ProfileCommands::*)()> commands[] = {
      {"N2", &ProfileCommands::N2Click},   {"N3", &ProfileCommands::N3Click},
      {"N12", &ProfileCommands::N12Click}, {"N13", &ProfileCommands::N13Click},
      {"N14", &ProfileCommands::N14Click}, {"N15", &ProfileCommands::N15Click}};
  for (const auto& [name, handler] : commands) {
    auto* action = window->findChild<QAction*>(QLatin1String(name));
    if (action == nullptr) continue;
    // A profile load or a new file name must not change the settings under
    // an exchange in progress: the command waits its turn at the gate.
    connect(action, &QAction::triggered, this, [this, handler] {
      const QPointer<ProfileCommands> self(this);
      qmx::RunOperatorAction(context_.gate, [self, handler] {
        if (self != nullptr) (self->*handler)();
      });
    });
  }
}

void ProfileCommands::FillExchangeControls() {
  if (window_ == nullptr) return;
  WidgetControls controls(window_);
  ShowExchangeValues(controls, context_.blocks);
  LinkController::Of(context_, window_).FillLineControls();
  const LinkSettings& settings = context_.link.settings();
  ShowGap(window_->findChild<QComboBox*>(QStringLiteral("ComboBox20")), settings.time_gap_dev);
  ShowGap(window_->findChild<QComboBox*>(QStringLiteral("ComboBox21")), settings.time_gap_prg);
}

void ProfileCommands::N2Click() {
  const FileDialogResult chosen = context_.dialogs.OpenFile(FileDialogRequest{});
  if (!chosen.accepted) return;
  // A file that is no profile would load as the defaults of every value,
  // and the close would then save those over "recent.prf": it is named and
  // nothing changes.
  if (const std::string cause = ProfileUnreadableCause(chosen.file_name); !cause.empty()) {
    context_.dialogs.ShowBox(ProfileNotReadText(chosen.file_name, cause), kCaptionError,
                             BoxButtons::kOk, BoxIcon::kError);
    return;
  }
  LoadProfile(context_.profile, context_.link.settings(), chosen.file_name);
  ApplyPageSelection(window_, context_.profile.pages);
  FillExchangeControls();
  if (SearchController* search = SearchController::Of(window_)) search->ShowSettings();
  // Every block's page shows what was loaded: the write buttons send what
  // the pages show, and a loaded profile is there to be written.
  if (window_ != nullptr) {
    WidgetControls controls(window_);
    FillBlockControls(controls, context_.blocks);
  }
}

void ProfileCommands::N3Click() {
  const FileDialogResult chosen = context_.dialogs.SaveFile(FileDialogRequest{});
  if (!chosen.accepted) return;
  // The passport of the exchange tab goes into the profile; a field that
  // does not convert stops the save after its boxes.
  WidgetControls controls(window_);
  BlockContext block_context{context_.link, context_.dialogs, controls, context_.blocks};
  if (!CollectPassport(block_context)) return;
  CollectTimeGaps();
  const std::string name = chosen.filter_index == 1 && !FileExists(chosen.file_name)
                               ? WithProfileExtension(chosen.file_name)
                               : chosen.file_name;
  CollectPageSelection(window_, context_.profile.pages);
  std::string cause;
  if (!SaveProfile(context_.profile, context_.link.settings(), name, &cause)) {
    context_.dialogs.ShowBox(ProfileNotWrittenText(name, cause), kCaptionError, BoxButtons::kOk,
                             BoxIcon::kError);
  }
}

void ProfileCommands::CollectTimeGaps() {
  if (window_ == nullptr) return;
  LinkSettings& settings = context_.link.settings();
  settings.time_gap_prg =
      TakeGap(window_->findChild<QComboBox*>(QStringLiteral("ComboBox21")), settings.time_gap_prg);
  settings.time_gap_dev =
      TakeGap(window_->findChild<QComboBox*>(QStringLiteral("ComboBox20")), settings.time_gap_dev);
}

void ProfileCommands::ChooseRecordFileName(std::string& name) {
  FileDialogRequest request;
  request.title = kRecordFileDialogTitle;
  request.filter = kRecordFileFilter;
  request.file_name = name;
  const FileDialogResult chosen = context_.dialogs.SaveFile(request);
  // A cancelled dialog leaves the name exactly as it was: adding ".txt" to
  // the preset would rename a file the operator never chose (and turn an
  // unset ADC file name into ".txt").
  if (!chosen.accepted || chosen.file_name.empty()) return;
  name = WithRecordFileExtension(chosen.file_name);
}

void ProfileCommands::N12Click() {
  ChooseRecordFileName(context_.link.settings().log_file_name);
}
void ProfileCommands::N13Click() {
  ChooseRecordFileName(context_.profile.records.izm_file_name);
}
void ProfileCommands::N14Click() {
  ChooseRecordFileName(context_.profile.records.all_izm_file_name);
}
void ProfileCommands::N15Click() {
  ChooseRecordFileName(context_.profile.records.adc_name);
}

}  // namespace qmx
