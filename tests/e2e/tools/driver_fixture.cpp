// driver_fixture: a small window with one control of each kind the end-to-end driver handles
// (button, edit, check box, combo box, list view, SysLink, progress bar, message box), and a button that
// ShellExecutes the edit's text, as the store program opens web pages and downloaded files. test_driver.py drives it
// to prove the driver's commands under Wine independently of the store program. Every event it
// receives is written into the status line (id 110), which the test reads back.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

namespace {

enum : int {
    kButton = 100,
    kEdit = 101,
    kCheck = 102,
    kCombo = 103,
    kList = 104,
    kLink = 105,
    kMessage = 106,
    kDisabled = 107,
    kExit = 108,
    kShell = 109,
    kStatus = 110,
    kProgress = 111,
};

HWND gMain = nullptr;
int gClicks = 0;

void status(const std::string& text) { SetDlgItemTextA(gMain, kStatus, text.c_str()); }

HWND add(const char* cls, const char* text, DWORD style, int id, int x, int y, int w, int h) {
    return CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, gMain,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
}

void createControls() {
    add("BUTTON", "Press", BS_PUSHBUTTON | WS_TABSTOP, kButton, 10, 10, 90, 24);
    add("EDIT", "first\r\nsecond", ES_MULTILINE | ES_WANTRETURN | WS_BORDER | WS_TABSTOP, kEdit, 110, 10, 200, 40);
    add("BUTTON", "Remember", BS_AUTOCHECKBOX | WS_TABSTOP, kCheck, 10, 60, 120, 20);
    HWND combo = add("COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, kCombo, 120, 60, 95, 120);
    for (const char* item : {"All Products", "Games", "Caf\xe9 & Tools"}) SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    SendMessageA(combo, CB_SETCURSEL, 0, 0);

    HWND list = add(WC_LISTVIEWA, "", LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_BORDER | WS_TABSTOP, kList, 10, 90,
                    300, 110);
    const char* headers[] = {"Product", "Price", "Owned"};
    for (int c = 0; c < 3; ++c) {
        LVCOLUMNA col{};
        col.mask = LVCF_TEXT | LVCF_WIDTH;
        col.cx = c == 0 ? 160 : 65;
        col.pszText = const_cast<char*>(headers[c]);
        SendMessageA(list, LVM_INSERTCOLUMNA, c, reinterpret_cast<LPARAM>(&col));
    }
    const char* rows[3][3] = {{"Skyfall Tactics", "$19.99", "*"}, {"Harbor Lights", "$7.50", ""}, {"Sketchpad Pro", "$12.00", ""}};
    for (int r = 0; r < 3; ++r) {
        LVITEMA item{};
        item.mask = LVIF_TEXT;
        item.iItem = r;
        item.pszText = const_cast<char*>(rows[r][0]);
        SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
        for (int c = 1; c < 3; ++c) {
            item.iSubItem = c;
            item.pszText = const_cast<char*>(rows[r][c]);
            SendMessageA(list, LVM_SETITEMTEXTA, r, reinterpret_cast<LPARAM>(&item));
        }
    }

    add("SysLink", "Open <a>the first page</a> or <a>the second page</a>", WS_TABSTOP, kLink, 10, 210, 300, 20);
    add("BUTTON", "Message", BS_PUSHBUTTON | WS_TABSTOP, kMessage, 10, 240, 90, 24);
    add("BUTTON", "Disabled", BS_PUSHBUTTON | WS_DISABLED, kDisabled, 110, 240, 90, 24);
    add("BUTTON", "Exit", BS_PUSHBUTTON | WS_TABSTOP, kExit, 220, 240, 90, 24);
    add("BUTTON", "Open", BS_PUSHBUTTON | WS_TABSTOP, kShell, 220, 60, 90, 24);
    add("STATIC", "ready", SS_LEFT, kStatus, 10, 275, 300, 20);
    // Range 0-250 at 40, so a reader that assumes 0-100 or reads the wrong limit shows.
    HWND progress = add(PROGRESS_CLASSA, "", 0, kProgress, 10, 300, 300, 12);
    SendMessageA(progress, PBM_SETRANGE32, 0, 250);
    SendMessageA(progress, PBM_SETPOS, 40, 0);
}

LRESULT CALLBACK windowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_COMMAND: {
            int id = LOWORD(wp), code = HIWORD(wp);
            if (id == kButton && code == BN_CLICKED) {
                status("clicked " + std::to_string(++gClicks));
            } else if (id == kCheck && code == BN_CLICKED) {
                status(std::string("check ") + (IsDlgButtonChecked(hwnd, kCheck) == BST_CHECKED ? "on" : "off"));
            } else if (id == kCombo && code == CBN_SELCHANGE) {
                char text[128] = "";
                GetDlgItemTextA(hwnd, kCombo, text, sizeof text);
                status("combo " + std::to_string(SendDlgItemMessageA(hwnd, kCombo, CB_GETCURSEL, 0, 0)) + " " + text);
            } else if (id == kMessage && code == BN_CLICKED) {
                int r = MessageBoxA(hwnd, "Are you sure?\nReally?", "Fixture question", MB_YESNO | MB_ICONQUESTION);
                status("message " + std::to_string(r));
            } else if (id == kShell && code == BN_CLICKED) {
                char target[1024] = "";
                GetDlgItemTextA(hwnd, kEdit, target, sizeof target);
                auto r = reinterpret_cast<INT_PTR>(ShellExecuteA(hwnd, "open", target, nullptr, nullptr, SW_SHOWNORMAL));
                status("shell " + std::to_string(r) + " " + target);
            } else if (id == kDisabled) {
                status("disabled button was clicked");
            } else if (id == IDOK) {
                status("enter");
            } else if (id == IDCANCEL) {
                status("escape");
            } else if (id == kExit && code == BN_CLICKED) {
                DestroyWindow(hwnd);
            }
            return 0;
        }
        case WM_NOTIFY: {
            auto* hdr = reinterpret_cast<NMHDR*>(lp);
            if (hdr->idFrom == kList && hdr->code == LVN_ITEMCHANGED) {
                auto* change = reinterpret_cast<NMLISTVIEW*>(lp);
                if ((change->uNewState & LVIS_SELECTED) && !(change->uOldState & LVIS_SELECTED))
                    status("row " + std::to_string(change->iItem));
            } else if (hdr->idFrom == kList && hdr->code == NM_DBLCLK) {
                status("double " + std::to_string(reinterpret_cast<NMITEMACTIVATE*>(lp)->iItem));
            } else if (hdr->idFrom == kLink && hdr->code == NM_CLICK) {
                status("link " + std::to_string(reinterpret_cast<NMLINK*>(lp)->item.iLink));
            }
            return 0;
        }
        case WM_CLOSE:
            status("close");
            DestroyWindow(hwnd);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(7);
            return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace

int main() {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES | ICC_LINK_CLASS | ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&icc);
    WNDCLASSA wc{};
    wc.lpfnWndProc = windowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = "OrvaneDriverFixture";
    RegisterClassA(&wc);
    gMain = CreateWindowExA(WS_EX_CONTROLPARENT, wc.lpszClassName, "Driver Fixture", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU,
                            100, 100, 340, 360, nullptr, nullptr, wc.hInstance, nullptr);
    createControls();
    ShowWindow(gMain, SW_SHOW);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (IsDialogMessageA(gMain, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}
