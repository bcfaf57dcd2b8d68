// The operator page "ОБМЕН" under "НАСТРОЙКИ РАБОТЫ": the exchange settings
// proposed for the instrument, its passport, and the check that it answers.
#pragma once

#include <QWidget>

namespace qmx {

struct AppContext;

class ExchangePage final : public QWidget {
  Q_OBJECT

 public:
  explicit ExchangePage(AppContext& context, QWidget* parent = nullptr);

 private:
  AppContext& context_;
};

}  // namespace qmx
