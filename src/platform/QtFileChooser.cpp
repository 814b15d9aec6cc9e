#include "platform/QtFileChooser.h"

#include <QApplication>
#include <QFileDialog>

namespace platform {

std::string QtFileChooser::QtFilter(const std::string& filter) {
  std::string out;
  for (const auto& [description, pattern] : SplitFilter(filter)) {
    if (!out.empty()) out += ";;";
    out += description;
    if (description.find("(" + pattern + ")") == std::string::npos) out += " (" + pattern + ")";
  }
  return out;
}

std::optional<std::string> QtFileChooser::GetSaveFileName(const SaveFileRequest& request) {
  QFileDialog dialog(QApplication::activeWindow(), QString::fromStdString(request.title));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  // The caller asks about an existing file itself, in its own words.
  dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
  const std::string filter = QtFilter(request.filter);
  if (!filter.empty()) dialog.setNameFilter(QString::fromStdString(filter));
  if (!request.defaultExtension.empty()) {
    dialog.setDefaultSuffix(QString::fromStdString(request.defaultExtension));
  }
  dialog.selectFile(QString::fromStdString(request.fileName));
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const QStringList files = dialog.selectedFiles();
  if (files.isEmpty()) return std::nullopt;
  return files.front().toStdString();
}

}  // namespace platform
