// The page "Пересчет к стандартным условиям" under "Внешние данные": the instrument's program that
// recalculates the flow to standard conditions.
#pragma once

#include <QWidget>

namespace qmx {

struct AppContext;

class RecalculationPage final : public QWidget {
  Q_OBJECT

 public:
  explicit RecalculationPage(AppContext& context, QWidget* parent = nullptr);
};

}  // namespace qmx
