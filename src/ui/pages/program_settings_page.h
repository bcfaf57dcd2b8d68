// The operator page "НАСТРОЙКИ ПРОГРАММЫ": which port, baud rate, parity and
// network address the program talks with, the ports found on this computer,
// and the check that the instrument answers (it blinks).
#pragma once

#include <QWidget>

namespace qmx {

struct AppContext;
class LinkController;

class ProgramSettingsPage final : public QWidget {
  Q_OBJECT

 public:
  ProgramSettingsPage(AppContext& context, QWidget* parent = nullptr);

 private:
  LinkController& Controller();

  AppContext& context_;
};

}  // namespace qmx
