#include "ui/qt_dialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QString>

namespace qmx {
namespace {

QString ToQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QMessageBox::Icon QtIcon(BoxIcon icon) {
  switch (icon) {
    case BoxIcon::kInformation:
      return QMessageBox::Information;
    case BoxIcon::kExclamation:
      return QMessageBox::Warning;
    case BoxIcon::kError:
      return QMessageBox::Critical;
    case BoxIcon::kNone:
      break;
  }
  return QMessageBox::NoIcon;
}

}  // namespace

QStringList QtNameFilters(std::string_view filter) {
  QStringList result;
  if (filter.empty()) return result;
  const QStringList parts = ToQString(filter).split(u'|');
  for (qsizetype i = 0; i < parts.size(); i += 2) {
    const QString description = parts[i].trimmed();
    QString patterns = i + 1 < parts.size() ? parts[i + 1].trimmed() : QString();
    patterns.replace(u';', u' ');
    if (patterns.isEmpty()) patterns = QStringLiteral("*");
    result << (description.isEmpty() ? patterns : description) + QStringLiteral(" (") + patterns +
                  u')';
  }
  return result;
}

BoxAnswer QtDialogs::ShowBox(std::string_view text, std::string_view caption, BoxButtons buttons,
                             BoxIcon icon) {
  const bool question = buttons == BoxButtons::kYesNo;
  QMessageBox box(QtIcon(icon), ToQString(caption), ToQString(text),
                  question ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, parent_.data());
  // Message texts are plain Russian sentences, never markup.
  box.setTextFormat(Qt::PlainText);
  // As on the Windows box the operators know: Enter means Yes, Escape and
  // closing the box mean No.
  if (question) {
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
  }
  const int pressed = box.exec();
  if (!question) return BoxAnswer::kOk;
  return pressed == QMessageBox::Yes ? BoxAnswer::kYes : BoxAnswer::kNo;
}

FileDialogResult QtDialogs::OpenFile(const FileDialogRequest& request) {
  return RunFileDialog(false, request);
}

FileDialogResult QtDialogs::SaveFile(const FileDialogRequest& request) {
  return RunFileDialog(true, request);
}

FileDialogResult QtDialogs::RunFileDialog(bool save, const FileDialogRequest& request) {
  FileDialogResult result;
  result.file_name = request.file_name;

  QFileDialog dialog(
      parent_.data(), ToQString(request.title),
      request.directory.empty() ? QDir::currentPath() : ToQString(request.directory));
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  const QStringList filters = QtNameFilters(request.filter);
  if (!filters.isEmpty()) {
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(filters.front());
  }
  if (!request.file_name.empty()) dialog.selectFile(ToQString(request.file_name));

  if (dialog.exec() != QDialog::Accepted) return result;
  const QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty()) return result;
  result.accepted = true;
  result.file_name = chosen.front().toStdString();
  const qsizetype filter = filters.indexOf(dialog.selectedNameFilter());
  result.filter_index = filter >= 0 ? static_cast<int>(filter) + 1 : 1;
  return result;
}

}  // namespace qmx
