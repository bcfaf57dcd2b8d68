#include "ui/screenshots.h"

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QImage>
#include <QPixmap>
#include <QSignalBlocker>
#include <QTabWidget>
#include <array>

#include "ui/main_window.h"
#include "ui/page_sets.h"

namespace qmx {
namespace {

using Sets = std::array<QTabWidget*, 5>;

// Changes the page without telling the page-change handlers: taking pictures
// must not stop a poll or move the focus.
void Select(QTabWidget* set, int index) {
  {
    const QSignalBlocker quiet(set);
    set->setCurrentIndex(index);
  }
  MarkTabs(set);
}

// Opens the page and, first, the pages of the outer sets that hold its set.
void Open(const Sets& sets, QTabWidget* set, int index) {
  for (QTabWidget* outer : sets) {
    if (outer == set) continue;
    for (int i = 0; i < outer->count(); ++i) {
      if (outer->widget(i)->isAncestorOf(set)) Open(sets, outer, i);
    }
  }
  Select(set, index);
}

QString FileName(const QTabWidget* set, int index) {
  QString page = set->widget(index)->objectName();
  page.remove(QStringLiteral("TabSheet_"));
  return QStringLiteral("%1_%2_%3.png").arg(set->objectName()).arg(index).arg(page);
}

}  // namespace

bool RenderScreenshots(MainWindow& window, const QString& dir) {
  const QDir target(dir);
  if (!QDir().mkpath(target.absolutePath())) return false;

  const Sets& sets = window.PageSets();
  std::array<int, 5> current{};
  for (size_t i = 0; i < sets.size(); ++i) current[i] = sets[i]->currentIndex();
  const bool was_engineering = window.EngineeringView();
  // Laid out as on screen, without appearing on one.
  const bool was_visible = window.isVisible();
  if (!was_visible) {
    window.setAttribute(Qt::WA_DontShowOnScreen, true);
    window.show();
  }

  bool ok = true;
  for (QTabWidget* set : sets) {
    const bool engineering =
        set == window.PageControl1() || window.PageControl1()->isAncestorOf(set);
    window.SetEngineeringView(engineering);
    for (int index = 0; index < set->count(); ++index) {
      Open(sets, set, index);
      QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
      const QImage picture = window.grab().toImage();
      ok = !picture.isNull() && picture.save(target.filePath(FileName(set, index)), "PNG") && ok;
    }
  }

  for (size_t i = 0; i < sets.size(); ++i) Select(sets[i], current[i]);
  window.SetEngineeringView(was_engineering);
  if (!was_visible) {
    window.hide();
    window.setAttribute(Qt::WA_DontShowOnScreen, false);
  }
  return ok;
}

}  // namespace qmx
