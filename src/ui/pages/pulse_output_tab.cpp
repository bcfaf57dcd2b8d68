#include "ui/pages/pulse_output_tab.h"

namespace qmx {

PulseOutputTab::PulseOutputTab(AppContext& /*context*/, QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("TabSheet_PulseOutput"));
}

}  // namespace qmx
