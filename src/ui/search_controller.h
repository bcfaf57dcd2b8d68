// The window side of the device search on the page "Поиск": the start and
// stop buttons, the rate, parity and address controls, the probe text and
// the progress bar, the list of instruments found and the click that
// switches the link to one of them.
//
// A search is one operator action of the exchange gate from start to end:
// nothing else talks to the instrument while it runs, and clicks made
// meanwhile wait their turn.  The stop button is the exception: it only
// tells the running search to end and must be served while the search
// processes window events, so it never goes through the gate.
#pragma once

#include <QObject>
#include <QPointer>
#include <cstdint>
#include <string_view>
#include <vector>

#include "link/device_search.h"

class QWidget;

namespace qmx {

struct AppContext;

// The progress bar beside the probe text.
inline constexpr char kSearchProgressName[] = "SearchProgress";

class SearchController final : public QObject {
  Q_OBJECT

 public:
  SearchController(AppContext& context, QWidget* window);
  // The controller of `window`, or null when it has none.
  static SearchController* Of(QWidget* window);

  // "Начать поиск": ignored while a search runs or waits for the gate.
  void Button41Click();
  // "Остановить поиск".
  void Button42Click();
  // A click on a line of the list of instruments found.
  void ListBox1Click(int row);

  // The search settings of the profile into the controls.
  void ShowSettings();
  // Reads the controls into the profile's search settings, made usable.
  void TakeSettings();

  // A search runs or waits for its turn at the gate.
  bool Busy() const { return pending_ || search_.running(); }
  // The window wants to close: a search waiting for its turn is dropped, a
  // running one ends after its probe without a box.  Returns true when the
  // window has to wait; it is closed again once the search has ended.
  bool StopForClose();

  const DeviceSearch& search() const { return search_; }

 signals:
  void searchEnded();

 private:
  class Host;

  template <class T>
  T* Control(const char* name) const;
  void RunSearch();
  void SetStartEnabled(bool enabled);
  void ShowTable(const SearchRanges& ranges, const std::vector<FoundInstrument>& found);
  void ShowProbe(std::string_view text);
  void ShowProgress(unsigned probe, unsigned total, int64_t left_ms);
  void ClearProgress();

  AppContext& context_;
  QPointer<QWidget> window_;
  DeviceSearch search_;
  bool pending_ = false;
  bool close_after_ = false;
};

}  // namespace qmx
