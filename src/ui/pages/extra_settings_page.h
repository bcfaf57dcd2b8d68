// The operator page "ДОП. НАСТРОЙКИ" under "НАСТРОЙКИ РАБОТЫ": the front-panel menu password and
// the instrument restart.
#pragma once

#include <QWidget>

namespace qmx {

struct AppContext;

class ExtraSettingsPage final : public QWidget {
  Q_OBJECT

 public:
  explicit ExtraSettingsPage(AppContext& context, QWidget* parent = nullptr);
};

}  // namespace qmx
