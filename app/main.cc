// The window program: frmMain and its event loop. Nothing else starts here.
#include <QApplication>

#include "app/frm_main.h"
#include "run/run_window.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  app::FrmMain window([](run::RunWindow& w) { (void)w; });
  window.show();
  return application.exec();
}
