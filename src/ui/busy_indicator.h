// What the window shows while the exchange gate is busy: the status bar
// names the port, the address and the longest the exchange can take, with
// the operator actions waiting their turn, and the window shows the busy
// cursor.  When the gate is free again both go and the status line under
// the message (last exchange time, poll period) shows as before.
//
// A poll cycle alone is not announced: it runs every second, and a message
// and a cursor coming and going with each cycle would only flicker.  Once an
// operator action waits behind the cycle, the message and the cursor show.
#pragma once

#include <QObject>
#include <QString>
#include <cstddef>
#include <string>

#include "storage/link_settings.h"

class QMainWindow;
class QTimer;

namespace qmx {

struct AppContext;

// "Обмен с прибором: COM1, адрес 1, ожидание до 16 с", followed by
// ", в очереди: N" when N operator actions wait.  The bound is that of the
// longest read the program makes, rounded up to whole seconds.
std::string BusyText(const LinkSettings& settings, size_t queued);

class BusyIndicator final : public QObject {
  Q_OBJECT

 public:
  BusyIndicator(AppContext& context, QMainWindow& window);

 private:
  void Update();
  void Show(const QString& text);
  void Hide();

  AppContext& context_;
  QMainWindow& window_;
  // Refreshes the message while it shows: a search moves through ports and
  // addresses within one action.
  QTimer* refresh_;
  QString shown_;
  bool cursor_set_ = false;
};

}  // namespace qmx
