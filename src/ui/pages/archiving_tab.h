// The engineering tab "Архивация" under "Настройка параметров": the archive interval, the archive
// module and the current frame.
#pragma once

#include <QWidget>

namespace qmx {

struct AppContext;

class ArchivingTab final : public QWidget {
  Q_OBJECT

 public:
  explicit ArchivingTab(AppContext& context, QWidget* parent = nullptr);
};

}  // namespace qmx
