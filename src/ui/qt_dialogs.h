// The operator dialogs on screen: message boxes and file dialogs of Qt.  The
// standard button texts ("Да", "Нет", "OK") and the file dialogs' own texts
// come from Qt's Russian translation, loaded at program start.
#pragma once

#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <string_view>

#include "operator/dialogs.h"

namespace qmx {

// A filter in the "Описание|*.txt|Все файлы|*.*" form the dialogs were
// designed with, as Qt's name filters ("Описание (*.txt)", "Все файлы (*.*)").
// Several patterns of one entry ("*.txt;*.log") become "(*.txt *.log)".
QStringList QtNameFilters(std::string_view filter);

class QtDialogs final : public Dialogs {
 public:
  explicit QtDialogs(QWidget* parent = nullptr) : parent_(parent) {}

  // The window the boxes are centred on and modal to; the window itself is
  // made after the dialogs it needs for start-up.
  void SetParentWidget(QWidget* parent) { parent_ = parent; }

  BoxAnswer ShowBox(std::string_view text, std::string_view caption, BoxButtons buttons,
                    BoxIcon icon) override;
  FileDialogResult OpenFile(const FileDialogRequest& request) override;
  FileDialogResult SaveFile(const FileDialogRequest& request) override;

 private:
  FileDialogResult RunFileDialog(bool save, const FileDialogRequest& request);

  QPointer<QWidget> parent_;
};

}  // namespace qmx
