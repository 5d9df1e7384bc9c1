// The window program on Windows: frmMain and its message loop; START runs the extraction run.
#include <windows.h>

#include <commctrl.h>

#include "app/win32/frm_main.h"
#include "run/run_window.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int showCommand) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
  app::win32::FrmMain window(run::cmdRUN_Click);
  if (window.hwnd() == nullptr) return 1;
  window.show(showCommand);
  return app::win32::runMessageLoop(window);
}
