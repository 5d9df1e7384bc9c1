#include "app/qt/file_dialog.h"

#include <QDir>
#include <QFileDialog>

#include "run/run_window.h"

namespace app {

QStringList qtNameFilters(const QString& filter) {
  QStringList result;
  const QStringList parts = filter.split(QLatin1Char('|'));
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (QString& p : patterns) p = p.trimmed();
    if (patterns.isEmpty()) continue;
    // Qt takes the patterns from the last parenthesis and, with HideNameFilterDetails, shows
    // only what stands before it: the description exactly as given.
    result << parts[i] + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
  }
  return result;
}

void FileDialog::show(QWidget* parent) {
  QFileDialog dialog(parent, title_, initDir_);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setOption(QFileDialog::HideNameFilterDetails);
  dialog.setOption(QFileDialog::ReadOnly, (flags_ & 1) != 0);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setFilter(dialog.filter() & ~QDir::CaseSensitive);
  const QStringList filters = qtNameFilters(filter_);
  if (!filters.isEmpty()) dialog.setNameFilters(filters);
  dialog.setWindowModality(Qt::ApplicationModal);

  if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
    fileName_ = QDir::toNativeSeparators(dialog.selectedFiles().constFirst());
    return;
  }
  if (cancelError_) throw run::WindowError(run::kCancelError, "Cancel was selected.");
}

}  // namespace app
