// What the main window does with its commands, notifications, timer and first
// paint; the Win32 dialog procedure hands them over here.
#pragma once

#include <string>

namespace orvane {

// Returns true when the command was handled.
bool mainWindowCommand(int id, int code);
bool mainWindowNotify(int id, int code);
void mainWindowTimer(int id);
// Fetches the vendor logo in plain mode and places it at (10, 4).
void loadLogo();
// Runs once, on the first paint: the store notification check.
void mainWindowFirstPaint();
// Only web addresses are opened for product support.
bool isWebAddress(const std::string& text);

}  // namespace orvane
