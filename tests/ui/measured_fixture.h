// The window with its measured-value views against the virtual instrument:
// the poll controller at hand, the record files in the test's directory and
// the views' controls read back through the window's own Controls seam.
#pragma once

#include <QFrame>
#include <QImage>
#include <QPixmap>
#include <QPushButton>
#include <QTabWidget>
#include <algorithm>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <utility>
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

  // The pixels inside the control's frame as painted on the screen: the
  // colour of most of them (the background outvotes the text) and the
  // darkest grey (black text near 0, greyed text well above).
  std::pair<Rgb, int> Paint(const char* name) {
    window_->show();
    auto* frame = Find<QFrame>(name);
    EXPECT_TRUE(frame->isVisible()) << name << " is out of sight";
    const QImage image = frame->grab(frame->contentsRect()).toImage();
    std::map<QRgb, int> votes{{0, 0}};
    int darkest = 255;
    for (int i = 0; i < image.width() * image.height(); ++i) {
      const QRgb pixel = image.pixel(i % image.width(), i / image.width());
      ++votes[pixel];
      darkest = std::min(darkest, qGray(pixel));
    }
    const QRgb most =
        std::ranges::max_element(votes, {}, &std::pair<const QRgb, int>::second)->first;
    return {Rgb{uint8_t(qRed(most)), uint8_t(qGreen(most)), uint8_t(qBlue(most))}, darkest};
  }
  Rgb Painted(const char* name) { return Paint(name).first; }

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
