// The window program: frmMain and its event loop; START runs the extraction run.
#include <QApplication>
#include <QIcon>
#include <QPixmap>

#include "app/qt/banner.h"
#include "app/qt/frm_main.h"
#include "platform/program_entry.h"
#include "run/run_window.h"

int main(int argc, char** argv) {
  platform::oneHeapForAllThreads();
  QApplication application(argc, argv);
  QIcon icon;
  for (const int size : app::kIconSizes) icon.addPixmap(QPixmap::fromImage(app::iconPicture(size)));
  application.setWindowIcon(icon);
  app::FrmMain window(run::cmdRUN_Click);
  window.show();
  return application.exec();
}
