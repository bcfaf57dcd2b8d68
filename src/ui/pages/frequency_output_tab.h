// The engineering tab "Частотный выход" under "Настройка параметров": scaling of the frequency
// output and its forced test frequency.
#pragma once

#include <QWidget>

namespace qmx {

struct AppContext;

class FrequencyOutputTab final : public QWidget {
  Q_OBJECT

 public:
  explicit FrequencyOutputTab(AppContext& context, QWidget* parent = nullptr);
};

}  // namespace qmx
