// The engineering page "Параметры обмена": the exchange settings proposed for
// the instrument (network number, baud rate, parity, byte gaps), its passport
// (model, factory number, versions, date of manufacture), and the busy panel
// shown while they are written.  The buttons are the exchange block's; the
// page keeps its parity boxes, the page's parity list and the factory-number
// entry consistent.
#pragma once

#include <QWidget>

namespace qmx {

struct AppContext;

class ExchangeParametersPage final : public QWidget {
  Q_OBJECT

 public:
  explicit ExchangeParametersPage(AppContext& context, QWidget* parent = nullptr);

 private:
  AppContext& context_;
};

}  // namespace qmx
