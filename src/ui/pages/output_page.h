// The operator page "ВЫХОД" under "НАСТРОЙКИ РАБОТЫ": type and scaling of the flow output.
#pragma once

#include <QWidget>

namespace qmx {

struct AppContext;

class OutputPage final : public QWidget {
  Q_OBJECT

 public:
  explicit OutputPage(AppContext& context, QWidget* parent = nullptr);
};

}  // namespace qmx
