// The link bar at the top of the window: port, baud rate, address and parity
// of the serial line, its summary, the exchange-log switch and the commands
// "Выставить INIT", "Помигать", "Обновить" and "Перезапуск".  It shares its
// handlers with the page "НАСТРОЙКИ ПРОГРАММЫ" through the LinkController.
#pragma once

#include <QWidget>

namespace qmx {

struct AppContext;
class LinkController;

class LinkBar final : public QWidget {
  Q_OBJECT

 public:
  LinkBar(AppContext& context, QWidget* parent = nullptr);

 private:
  LinkController& Controller();

  AppContext& context_;
};

}  // namespace qmx
