// The page "Параметры измерения" under "Внешние данные": how the external sensor measures.
#pragma once

#include <QWidget>

namespace qmx {

struct AppContext;

class ExternalParametersPage final : public QWidget {
  Q_OBJECT

 public:
  explicit ExternalParametersPage(AppContext& context, QWidget* parent = nullptr);
};

}  // namespace qmx
