// Connects the buttons of the instrument's parameter blocks, wherever a page
// lays them out, to their handlers.  Pages only place the widgets under the
// names the blocks use; every click runs its handler through the exchange
// gate over the window's controls and the program-wide staged values.
#pragma once

#include <QObject>
#include <QPointer>
#include <functional>

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
  // Runs `work` through the gate with the context a block handler gets (the
  // window's controls, the staged values, the port switch that moves the
  // link controls with the port).
  void RunWithContext(std::function<void(BlockContext&)> work);
  // The controller of `window`'s blocks.
  static BlockController* Of(QWidget* window);

  int connected() const { return connected_; }

 private:
  AppContext& context_;
  QPointer<QWidget> window_;
  int connected_ = 0;
};

}  // namespace qmx
