// The operator page "АРХИВ" under "НАСТРОЙКИ РАБОТЫ" (shown when the profile enables it): the
// interval between archive records.
#pragma once

#include <QWidget>

namespace qmx {

struct AppContext;

class ArchivePage final : public QWidget {
  Q_OBJECT

 public:
  explicit ArchivePage(AppContext& context, QWidget* parent = nullptr);
};

}  // namespace qmx
