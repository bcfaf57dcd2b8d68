#include "ui/pages/electrode_cleaning_tab.h"

namespace qmx {

ElectrodeCleaningTab::ElectrodeCleaningTab(AppContext& /*context*/, QWidget* parent)
    : QWidget(parent) {
  setObjectName(QStringLiteral("TabSheet_ElectrodeCleaning"));
}

}  // namespace qmx
