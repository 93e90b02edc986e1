#include "win32/main_window_win32.h"

#include <commctrl.h>

#include "app/agent_state.h"
#include "app/control_ids.h"
#include "app/main_window.h"
#include "catalog/store_startup.h"
#include "win32/activation.h"

namespace orvane {

namespace {

// The two fonts live as long as the process.
HFONT g_titleFont = nullptr;
HFONT g_saleFont = nullptr;

HFONT arial(int points, int weight, int resolution) {
    return CreateFontA(-MulDiv(points, resolution, 72), 0, 0, 0, weight, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
}

void createFonts(HWND window) {
    HDC screen = GetDC(nullptr);
    int resolution = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    g_titleFont = arial(10, FW_BOLD, resolution);
    SendDlgItemMessageA(window, IDC_PRODUCT_TITLE, WM_SETFONT, reinterpret_cast<WPARAM>(g_titleFont), TRUE);
    g_saleFont = arial(11, FW_NORMAL, resolution);
    SendDlgItemMessageA(window, IDC_SALE_LINE, WM_SETFONT, reinterpret_cast<WPARAM>(g_saleFont), TRUE);
}

void blit(HDC target, const PictureRecord& picture, int x, int y) {
    if (picture.memoryDc)
        BitBlt(target, x, y, picture.width, picture.height, static_cast<HDC>(picture.memoryDc), 0, 0, SRCCOPY);
}

void paint(HWND window) {
    AgentState& s = state();
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    HWND pictureArea = GetDlgItem(window, IDC_PICTURE);
    HDC areaDc = GetDC(pictureArea);
    blit(areaDc, s.productPicture, s.productPicture.x, s.productPicture.y);
    ReleaseDC(pictureArea, areaDc);
    blit(dc, s.logoPicture, 10, 4);
    mainWindowFirstPaint();
    EndPaint(window, &ps);
}

INT_PTR CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wp, LPARAM lp) {
    state().mainWindow = reinterpret_cast<Window>(window);
    switch (message) {
    case WM_INITDIALOG: {
        HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_APP_ICON));
        if (icon) {
            SendMessageA(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
            SendMessageA(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
        }
        runStoreStartup();
        createFonts(window);
        loadLogo();
        return FALSE;
    }
    case WM_PAINT:
        paint(window);
        return TRUE;
    case WM_DRAWITEM: {
        // The picture area is owner-drawn: it shows the product picture.
        const DRAWITEMSTRUCT* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
        if (draw->CtlID != IDC_PICTURE) return FALSE;
        FillRect(draw->hDC, &draw->rcItem, GetSysColorBrush(COLOR_BTNFACE));
        const PictureRecord& picture = state().productPicture;
        blit(draw->hDC, picture, picture.x, picture.y);
        return TRUE;
    }
    case WM_TIMER:
        mainWindowTimer(static_cast<int>(wp));
        return TRUE;
    case WM_NOTIFY: {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lp);
        return mainWindowNotify(static_cast<int>(header->idFrom), static_cast<int>(header->code)) ? TRUE : FALSE;
    }
    case WM_COMMAND:
        return mainWindowCommand(LOWORD(wp), HIWORD(wp)) ? TRUE : FALSE;
    default:
        return FALSE;
    }
}

}  // namespace

HWND createMainWindow() {
    ActivationScope scope;
    return CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_MAIN), nullptr, mainWindowProc, 0);
}

}  // namespace orvane
