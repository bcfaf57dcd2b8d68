// The engineering page "Параметры обмена": the exchange settings proposed for the instrument
// (network number, baud rate, parity, byte gaps), its passport, and the busy panel shown while
// they are written.
#pragma once

#include <QWidget>

namespace qmx {

struct AppContext;

class ExchangeParametersPage final : public QWidget {
  Q_OBJECT

 public:
  explicit ExchangeParametersPage(AppContext& context, QWidget* parent = nullptr);
};

}  // namespace qmx
