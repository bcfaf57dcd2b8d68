#include "ui/search_controller.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <array>
#include <string>

#include "blocks/measured_values.h"
#include "ui/app_context.h"
#include "ui/exchange_gate.h"
#include "ui/link_controller.h"

namespace qmx {
namespace {

// The rate boxes in the order of the baud codes 3..10.
constexpr std::array<const char*, 8> kRateBoxes = {"CheckBox23", "CheckBox24", "CheckBox25",
                                                   "CheckBox26", "CheckBox27", "CheckBox28",
                                                   "CheckBox29", "CheckBox30"};
constexpr std::array<const char*, 3> kParityBoxes = {"CheckBox31", "CheckBox32", "CheckBox33"};
constexpr uint16_t kLastListedAddress = 255;

QString FromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

// The search's view of the window.
class SearchController::Host final : public SearchHost {
 public:
  explicit Host(SearchController& controller) : controller_(controller) {}

  bool OpenPort(uint16_t report_failure) override {
    if (controller_.window_ == nullptr) return false;
    return LinkController::Of(controller_.context_, controller_.window_).OpenPort(report_failure);
  }
  void ShowTable(const SearchRanges& ranges, const std::vector<FoundInstrument>& found) override {
    controller_.ShowTable(ranges, found);
  }
  void ShowProbe(std::string_view text) override { controller_.ShowProbe(text); }
  void ShowProgress(unsigned probe, unsigned total, int64_t left_ms) override {
    controller_.ShowProgress(probe, total, left_ms);
  }
  void ShowEnd(SearchEnd end) override {
    Dialogs& dialogs = controller_.context_.dialogs;
    const char* text = nullptr;
    switch (end) {
      case SearchEnd::kCompleted:
        text = kSearchCompletedText;
        break;
      case SearchEnd::kTooMany:
        text = kSearchTooManyText;
        break;
      case SearchEnd::kStopped:
        text = kSearchStoppedText;
        break;
      case SearchEnd::kPortFailed:
        // "Невозможно открыть последовательный порт" has been shown; nobody
        // stopped the search, so no box of the search's own follows.
        return;
      case SearchEnd::kNoAddresses:
        // Nothing is written either way, so the box has no follow-up.
        dialogs.InputError(kSearchNoAddressText, false);
        return;
      case SearchEnd::kLineFixed:
        dialogs.InputError(kSearchLineFixedText, false);
        return;
    }
    dialogs.ShowBox(text, kSearchCaption, BoxButtons::kOk, BoxIcon::kInformation);
  }

 private:
  SearchController& controller_;
};

SearchController::SearchController(AppContext& context, QWidget* window)
    : QObject(window), context_(context), window_(window), search_(context.link) {
  setObjectName(QStringLiteral("SearchController"));
  search_.SetProbeReads({kMeasuredBlockCount, kStandardFlowCount});
  if (auto* start = Control<QPushButton>("Button41")) {
    connect(start, &QPushButton::clicked, this, &SearchController::Button41Click);
  }
  if (auto* stop = Control<QPushButton>("Button42")) {
    connect(stop, &QPushButton::clicked, this, &SearchController::Button42Click);
  }
  if (auto* list = Control<QListWidget>("ListBox1")) {
    connect(list, &QListWidget::itemClicked, this,
            [this, list](QListWidgetItem* item) { ListBox1Click(list->row(item)); });
  }
}

SearchController* SearchController::Of(QWidget* window) {
  return window == nullptr ? nullptr
                           : window->window()->findChild<SearchController*>(
                                 QString(), Qt::FindDirectChildrenOnly);
}

template <class T>
T* SearchController::Control(const char* name) const {
  return window_ == nullptr ? nullptr : window_->findChild<T*>(QLatin1String(name));
}

void SearchController::Button41Click() {
  // One search at a time: the button is off from the press on, and a press
  // that still got through (a queued click) finds the search busy.
  if (Busy()) return;
  pending_ = true;
  SetStartEnabled(false);
  QPointer<SearchController> self(this);
  auto action = [self] {
    if (self != nullptr) self->RunSearch();
  };
  qmx::RunOperatorAction(context_.gate, std::move(action));
}

void SearchController::Button42Click() {
  if (search_.running()) {
    search_.Stop();
  } else if (pending_) {
    // Stopped before its turn came: it never starts.
    pending_ = false;
    SetStartEnabled(true);
  }
}

bool SearchController::StopForClose() {
  if (search_.running()) {
    search_.StopQuietly();
    close_after_ = true;
    return true;
  }
  if (pending_) {
    pending_ = false;
    SetStartEnabled(true);
  }
  return false;
}

void SearchController::RunSearch() {
  if (!pending_) return;  // stopped while it waited
  pending_ = false;
  TakeSettings();
  AppContext& context = context_;
  const SearchProbe probe = [&context] {
    const ExchangeOutcome outcome = ReadMeasuredValues(context.link, context.measurement.values,
                                                       context.measurement.last_status);
    return ProbeResult{outcome.status, outcome.exception};
  };
  Host host(*this);
  search_.Run(context_.profile.search, probe, host);
  ClearProgress();
  SetStartEnabled(true);
  emit searchEnded();
  if (close_after_) {
    close_after_ = false;
    // The window asked to close while the search ran; the line parameters
    // are back now, so the profile saved on close holds them.
    if (window_ != nullptr) {
      QTimer::singleShot(0, window_, [window = window_] {
        if (window != nullptr) window->close();
      });
    }
  }
}

void SearchController::ListBox1Click(int row) {
  QPointer<SearchController> self(this);
  auto action = [self, row] {
    if (self == nullptr || self->window_ == nullptr) return;
    const FoundInstrument* entry = self->search_.EntryAt(row);
    if (entry == nullptr) return;
    AppContext& context = self->context_;
    UseFoundLine(*entry, context.link.line());
    LinkController& link_controls = LinkController::Of(context, self->window_);
    link_controls.OpenPort(1);
    if (context.update_guard) return;
    link_controls.FillLineControls();
    const bool guard = context.update_guard;
    context.update_guard = true;
    if (auto* proposed = self->Control<QComboBox>("ComboBox15")) {
      const int address = context.link.line().network_address;
      proposed->setCurrentIndex(address < proposed->count() ? address : -1);
    }
    context.update_guard = guard;
  };
  qmx::RunOperatorAction(context_.gate, std::move(action));
}

void SearchController::ShowSettings() {
  ShowTable(context_.profile.search, search_.found());
}

void SearchController::TakeSettings() {
  SearchRanges& ranges = context_.profile.search;
  for (size_t i = 0; i < kRateBoxes.size(); ++i) {
    auto* box = Control<QCheckBox>(kRateBoxes[i]);
    ranges.baud[i] = box != nullptr && box->isChecked() ? 1 : 0;
  }
  std::array<uint16_t*, 3> parities = {&ranges.parity_non, &ranges.parity_odd, &ranges.parity_ev};
  for (size_t i = 0; i < kParityBoxes.size(); ++i) {
    auto* box = Control<QCheckBox>(kParityBoxes[i]);
    *parities[i] = box != nullptr && box->isChecked() ? 1 : 0;
  }
  // An address list without a choice shows an address of the profile that
  // no list holds (248 and up); that address stays, and the search refuses
  // it as an input error instead of searching up to it.
  if (auto* first = Control<QComboBox>("ComboBox22");
      first != nullptr && first->currentIndex() >= 0) {
    ranges.beg = static_cast<uint16_t>(first->currentIndex());
  }
  if (auto* last = Control<QComboBox>("ComboBox23"); last != nullptr && last->currentIndex() >= 0) {
    ranges.end = static_cast<uint16_t>(last->currentIndex());
  }
  ranges = NormalizeSearchRanges(ranges);
}

void SearchController::SetStartEnabled(bool enabled) {
  if (auto* start = Control<QPushButton>("Button41")) start->setEnabled(enabled);
}

void SearchController::ShowTable(const SearchRanges& ranges,
                                 const std::vector<FoundInstrument>& found) {
  for (size_t i = 0; i < kRateBoxes.size(); ++i) {
    if (auto* box = Control<QCheckBox>(kRateBoxes[i])) box->setChecked(ranges.baud[i] != 0);
  }
  const std::array<uint16_t, 3> parities = {ranges.parity_non, ranges.parity_odd, ranges.parity_ev};
  for (size_t i = 0; i < kParityBoxes.size(); ++i) {
    if (auto* box = Control<QCheckBox>(kParityBoxes[i])) box->setChecked(parities[i] != 0);
  }
  for (auto [name, address] :
       {std::pair{"ComboBox22", ranges.beg}, std::pair{"ComboBox23", ranges.end}}) {
    auto* list = Control<QComboBox>(name);
    if (list == nullptr || address > kLastListedAddress) continue;
    list->setCurrentIndex(address < list->count() ? address : -1);
  }
  if (auto* list = Control<QListWidget>("ListBox1")) {
    list->clear();
    for (size_t i = 0; i < found.size() && i < kFoundTableSize; ++i) {
      list->addItem(QString::fromStdString(FoundLineText(found[i])));
    }
  }
}

void SearchController::ShowProbe(std::string_view text) {
  if (auto* panel = Control<QLabel>("Panel38")) {
    panel->setText(FromUtf8(text));
    // On screen before the read keeps the window busy.
    panel->repaint();
  }
}

void SearchController::ShowProgress(unsigned probe, unsigned total, int64_t left_ms) {
  auto* bar = Control<QProgressBar>(kSearchProgressName);
  if (bar == nullptr) return;
  bar->setRange(0, static_cast<int>(total));
  bar->setValue(static_cast<int>(probe > 0 ? probe - 1 : 0));
  bar->setFormat(QString::fromStdString(SearchProgressText(probe, total, left_ms)));
  bar->repaint();
}

void SearchController::ClearProgress() {
  auto* bar = Control<QProgressBar>(kSearchProgressName);
  if (bar == nullptr) return;
  bar->setRange(0, 1);
  bar->setValue(0);
  bar->setFormat(QString());
}

}  // namespace qmx
