// The window program: frmMain and its event loop; START runs the extraction run.
#include <QApplication>

#include "app/qt/frm_main.h"
#include "run/run_window.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  app::FrmMain window(run::cmdRUN_Click);
  window.show();
  return application.exec();
}
