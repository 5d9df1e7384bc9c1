// CommonDialog1: the file dialog's settings as the run makes them, and showing it as an
// open-file dialog. Qt's own dialog is used, not the desktop's, so that it behaves the same
// under Xvfb, offscreen and on every desktop, and matches names without regard to case as
// the users' Windows does.
#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace app {

class FileDialog {
 public:
  void setCancelError(bool on) { cancelError_ = on; }
  void setTitle(const QString& title) { title_ = title; }
  void setFilter(const QString& filter) { filter_ = filter; }
  // The flag 1 (the only one the run sets) keeps the dialog read-only: the user picks a file but
  // cannot rename, delete or create anything from it.
  void setFlags(short flags) { flags_ = flags; }
  void setInitDir(const QString& dir) { initDir_ = dir; }

  // Modal over parent. On a cancel, throws run::WindowError(kCancelError) when the cancel
  // switch is on; otherwise returns with FileName unchanged.
  void show(QWidget* parent);
  // Full path of the chosen file, with the platform's separators.
  const QString& fileName() const { return fileName_; }

 private:
  bool cancelError_ = false;
  QString title_;
  QString filter_;
  short flags_ = 0;
  QString initDir_;
  QString fileName_;
};

// "Description|pattern[|Description|pattern...]" as Qt name filters; several patterns of
// one entry may be parted by ";". A description without a pattern is dropped.
QStringList qtNameFilters(const QString& filter);

}  // namespace app
