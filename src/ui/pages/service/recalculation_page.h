// The page "Пересчет к стандартным условиям" under "Внешние данные": the instrument's program that
// recalculates the flow to standard conditions, its operation codes in StringGrid2 and its
// constants in StringGrid3, read, written, loaded and saved by the recalculation block.
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
