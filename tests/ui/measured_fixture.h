// The window with its measured-value views against the virtual instrument:
// the poll controller at hand, the record files in the test's directory and
// the views' controls read back through the window's own Controls seam.
#pragma once

#include <QFrame>
#include <QHash>
#include <QImage>
#include <QPixmap>
#include <QPushButton>
#include <QTabWidget>
#include <algorithm>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "sim/instrument.h"
#include "ui/polling_controller.h"
#include "ui/widget_controls.h"
#include "window_fixture.h"

namespace qmx::test {

class MeasuredWindowTest : public WindowTest {
 protected:
  void SetUp() override {
    PlugInstrument(1);
    Start();
    polling_ = window_->findChild<PollingController*>();
    ASSERT_NE(polling_, nullptr);
    context_.profile.records.izm_file_name = dir_.File("izm.txt");
    context_.profile.records.izm_modul_file_name = dir_.File("izm_modul.txt");
    context_.profile.records.write_file = 1;
    controls_ = std::make_unique<WidgetControls>(window_.get());
    bus_.ClearJournal();
    dialogs_.Clear();
  }

  void Silence(int requests = -1) {
    sim::Fault fault;
    fault.kind = sim::FaultKind::kNoAnswer;
    fault.remaining = requests;
    meter_.AddFault(fault);
  }

  void Click(const char* name) {
    Find<QPushButton>(name)->click();
    Settle();
  }

  // The page of PageControl1 named "TabSheet_" + `short_name`.
  void ShowMainPage(const char* short_name) {
    QTabWidget* pages = window_->PageControl1();
    pages->setCurrentWidget(
        pages->findChild<QWidget*>(QStringLiteral("TabSheet_") + QLatin1String(short_name)));
  }

  // A page of the engineering view, shown as the engineer shows it.
  void ShowEngineeringPage(const char* short_name) {
    window_->SetEngineeringView(true);
    ShowMainPage(short_name);
  }

  std::string Text(const char* name) const { return controls_->Text(name); }

  // What the control looks like inside its frame, as the window paints it
  // on the screen.  Only what is in sight can be looked at.
  QImage Picture(const char* name) {
    QWidget* widget = Find<QWidget>(name);
    if (widget == nullptr) return {};
    if (!window_->isVisible()) window_->show();
    QCoreApplication::processEvents();
    EXPECT_TRUE(widget->isVisible()) << name << " is out of sight";
    const auto* frame = qobject_cast<QFrame*>(widget);
    return widget->grab(frame != nullptr ? frame->contentsRect() : widget->rect()).toImage();
  }
  // The colour of most of the control's pixels: its background, which the
  // text and the frame lines cannot outvote.
  Rgb Painted(const char* name) {
    const QImage image = Picture(name);
    QHash<QRgb, int> votes;
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) ++votes[image.pixel(x, y) & 0xFFFFFFu];
    }
    QRgb most = 0;
    for (auto it = votes.begin(); it != votes.end(); ++it) {
      if (it.value() > votes.value(most)) most = it.key();
    }
    return Rgb{static_cast<uint8_t>(qRed(most)), static_cast<uint8_t>(qGreen(most)),
               static_cast<uint8_t>(qBlue(most))};
  }
  // The darkest grey level painted in the control: black text is near 0,
  // greyed text stays well above.
  int DarkestInk(const char* name) {
    const QImage image = Picture(name);
    int darkest = 255;
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) darkest = std::min(darkest, qGray(image.pixel(x, y)));
    }
    return darkest;
  }

  std::vector<std::string> Lines(const std::string& path) const {
    std::vector<std::string> lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  PollingController* polling_ = nullptr;
  std::unique_ptr<WidgetControls> controls_;
};

}  // namespace qmx::test
