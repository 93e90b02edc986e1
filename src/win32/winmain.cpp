// Entry point of OrvanePurchase.exe.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "app/agent_state.h"
#include "win32/main_window_win32.h"
#include "win32/registry_settings.h"
#include "win32/win32_files.h"
#include "win32/win32_ui.h"
#include "win32/wininet_range_source.h"
#include "win32/wininet_transport.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    using namespace orvane;
    static WinInetTransport transport;
    static RegistrySettings settings;
    static Win32Clock clock;
    static Win32Files files;
    static Win32Ui ui;
    static WinInetRangeSource ranges;
    Platform& p = platform();
    p.transport = &transport;
    p.settings = &settings;
    p.clock = &clock;
    p.files = &files;
    p.ui = &ui;
    p.ranges = &ranges;

    // The folder browser's new dialog style needs OLE.
    OleInitialize(nullptr);
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES | ICC_LINK_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    AgentState& s = state();
    s.instance = instance;
    HWND window = createMainWindow();
    // Without its window the program has nothing to show and nothing that
    // could ever end the message loop.
    if (!window) return 0;
    s.mainWindow = reinterpret_cast<Window>(window);
    ShowWindow(window, show);

    MSG message;
    // A failed retrieval (-1) ends the loop like the quit message: there is
    // nothing sensible left to dispatch.
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (s.mainWindow && IsDialogMessageA(reinterpret_cast<HWND>(s.mainWindow), &message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    // A running download is not waited for. Its worker still uses the shared
    // job record, which the static destructors would free under it, so the
    // process ends here at once.
    if (s.download.running) ExitProcess(0);
    return 0;
}
