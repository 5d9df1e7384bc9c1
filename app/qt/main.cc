// The window program: frmMain and its event loop; START runs the extraction run.
#include <QApplication>

#include "app/qt/frm_main.h"
#include "platform/program_entry.h"
#include "run/run_window.h"

int main(int argc, char** argv) {
  platform::oneHeapForAllThreads();
  QApplication application(argc, argv);
  app::FrmMain window(run::cmdRUN_Click);
  window.show();
  return application.exec();
}
