#include "ui/pages/frequency_output_tab.h"

namespace qmx {

FrequencyOutputTab::FrequencyOutputTab(AppContext& /*context*/, QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("TabSheet_FrequencyOutput"));
}

}  // namespace qmx
