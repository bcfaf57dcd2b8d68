// Connects the buttons of the instrument's parameter blocks, wherever a page
// lays them out, to their handlers.  Pages only place the widgets under the
// names the blocks use; every click runs its handler through the exchange
// gate over the window's controls and the program-wide staged values.
#pragma once

#include <QObject>
#include <QPointer>

#include "blocks/block_engine.h"

class QWidget;

namespace qmx {

struct AppContext;

class BlockController final : public QObject {
  Q_OBJECT

 public:
  // Connects every block button the window has; a button no page lays out
  // is left out.  The window must be complete: buttons added later are not
  // connected.
  BlockController(AppContext& context, QWidget* window);

  // Runs `handler` as a click of its button would: through the gate, after
  // any exchange in progress.  The device commands (restart, resets) stop
  // the measured-value poll first.
  void Run(BlockOutcome (*handler)(BlockContext&));

  int connected() const { return connected_; }

 private:
  AppContext& context_;
  QPointer<QWidget> window_;
  int connected_ = 0;
};

}  // namespace qmx
