// The main window (template 1114) on Windows.
#pragma once

#include <windows.h>

namespace orvane {

// Creates the main window as a modeless dialog inside the manifest's
// activation context; null when it cannot be created.
HWND createMainWindow();

}  // namespace orvane
