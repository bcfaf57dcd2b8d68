// The page "Очистка электродов" under "Внешние данные": cleaning of the electrodes.
#pragma once

#include <QWidget>

namespace qmx {

struct AppContext;

class ElectrodeCleaningTab final : public QWidget {
  Q_OBJECT

 public:
  explicit ElectrodeCleaningTab(AppContext& context, QWidget* parent = nullptr);
};

}  // namespace qmx
