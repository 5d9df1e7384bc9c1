// Frame1 and Frame2: BS_GROUPBOX buttons whose frame and caption we paint ourselves, since
// a themed group box ignores the caption colour its parent gives it. Only the frame line
// and the caption's strip are painted: the items inside show through, as they must.
#pragma once

#include <windows.h>

namespace app::win32 {

// Takes over the painting of groupBox (its text, font and DPI as set on it), the caption
// drawn in captionColour.
void subclassGroupBox(HWND groupBox, COLORREF captionColour);

}  // namespace app::win32
