// The program's message box: the one way every prompt and error is shown.
#pragma once

#include <windows.h>

#include "msgbox/app_message_box_params.h"
#include "msgbox/box_template.h"

// Shows a modal message box owned by parent (null: the active window's last
// active popup) with the 8-bit text and caption (null: "Error") and the style
// word of the system message box: buttons 0 MB_OK, 3 MB_YESNOCANCEL,
// 4 MB_YESNO; icon 0x10 to 0x40; AMB_NO_STRING_TABLE. params may be null.
// Returns the id of the button that ended the box (Esc and Close give
// IDCANCEL with a Cancel button, IDOK with OK alone, and nothing with
// MB_YESNO); IDCANCEL when there was no memory for the box; -1 when the dialog
// could not be created or a WM_QUIT ended the box (the WM_QUIT is posted again).
int AppMessageBox(HWND parent, const char* text, const char* caption, unsigned style,
                  const orvane::AppMessageBoxParams* params);

namespace orvane::win32 {

// Lays out the box that AppMessageBox would show for these arguments on this
// screen, with the same font and look, without showing it.
void layoutAppMessageBox(BoxTemplate& box, const char* text, const char* caption, unsigned style,
                         const AppMessageBoxParams* params);

}  // namespace orvane::win32
