#include "win32/win32_ui.h"

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <vector>

#include "app/control_ids.h"
#include "win32/activation.h"
#include "win32/app_message_box.h"
#include "win32/picture_loader.h"

namespace orvane {

namespace {

HWND hwnd(Window w) { return reinterpret_cast<HWND>(w); }
HWND item(Window w, int id) { return GetDlgItem(hwnd(w), id); }
LRESULT send(Window w, int id, UINT message, WPARAM wp = 0, LPARAM lp = 0) {
    return SendDlgItemMessageA(hwnd(w), id, message, wp, lp);
}

// Dialog procedure shared by every modal dialog: hands the messages to the
// dialog's logic object, kept in the window's user data.
INT_PTR CALLBACK logicDialogProc(HWND dialog, UINT message, WPARAM wp, LPARAM lp) {
    auto* logic = reinterpret_cast<DialogLogic*>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(dialog, GWLP_USERDATA, lp);
        reinterpret_cast<DialogLogic*>(lp)->onInit(reinterpret_cast<Window>(dialog));
        return FALSE;
    case WM_COMMAND:
        return logic && logic->onCommand(reinterpret_cast<Window>(dialog), LOWORD(wp), HIWORD(wp)) ? TRUE : FALSE;
    case WM_NOTIFY: {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lp);
        return logic && logic->onNotify(reinterpret_cast<Window>(dialog), static_cast<int>(header->idFrom),
                                        static_cast<int>(header->code))
                   ? TRUE
                   : FALSE;
    }
    case WM_CTLCOLORSTATIC:
        // The notification text is read-only but painted on white.
        if (GetDlgCtrlID(reinterpret_cast<HWND>(lp)) == IDC_NOTIFY_TEXT) {
            SetBkColor(reinterpret_cast<HDC>(wp), RGB(255, 255, 255));
            return reinterpret_cast<INT_PTR>(GetStockObject(WHITE_BRUSH));
        }
        return FALSE;
    default:
        return FALSE;
    }
}

const char kEnterButtonProp[] = "OrvaneEnterButton";
const char kEnterOldProcProp[] = "OrvaneEnterOldProc";

// An edit field that presses a button of its dialog when asked for its dialog
// code with the Enter key, then behaves as before.
LRESULT CALLBACK enterEditProc(HWND edit, UINT message, WPARAM wp, LPARAM lp) {
    auto old = reinterpret_cast<WNDPROC>(GetPropA(edit, kEnterOldProcProp));
    if (message == WM_GETDLGCODE && wp == VK_RETURN) {
        int button = static_cast<int>(reinterpret_cast<INT_PTR>(GetPropA(edit, kEnterButtonProp)));
        HWND dialog = GetParent(edit);
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(old));
        RemovePropA(edit, kEnterOldProcProp);
        RemovePropA(edit, kEnterButtonProp);
    }
    return CallWindowProcA(old, edit, message, wp, lp);
}

}  // namespace

void Win32Ui::setText(Window w, int id, const std::string& text) { SetDlgItemTextA(hwnd(w), id, text.c_str()); }

std::string Win32Ui::getText(Window w, int id, int maxChars) {
    std::vector<char> buffer(static_cast<std::size_t>(maxChars) + 1, '\0');
    GetDlgItemTextA(hwnd(w), id, buffer.data(), maxChars + 1);
    return buffer.data();
}

void Win32Ui::setTitle(Window w, const std::string& text) { SetWindowTextA(hwnd(w), text.c_str()); }
void Win32Ui::enable(Window w, int id, bool on) { EnableWindow(item(w, id), on ? TRUE : FALSE); }
void Win32Ui::show(Window w, int id, bool visible) { ShowWindow(item(w, id), visible ? SW_SHOW : SW_HIDE); }
void Win32Ui::check(Window w, int id, bool on) { CheckDlgButton(hwnd(w), id, on ? BST_CHECKED : BST_UNCHECKED); }
bool Win32Ui::isChecked(Window w, int id) { return IsDlgButtonChecked(hwnd(w), id) == BST_CHECKED; }
void Win32Ui::focus(Window w, int id) { SetFocus(item(w, id)); }

void Win32Ui::comboClear(Window w, int id) { send(w, id, CB_RESETCONTENT); }
void Win32Ui::comboAdd(Window w, int id, const std::string& text) {
    send(w, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}
int Win32Ui::comboCount(Window w, int id) { return static_cast<int>(send(w, id, CB_GETCOUNT)); }
std::string Win32Ui::comboItem(Window w, int id, int index) {
    LRESULT length = send(w, id, CB_GETLBTEXTLEN, index);
    if (length == CB_ERR) return {};
    std::vector<char> buffer(static_cast<std::size_t>(length) + 1, '\0');
    send(w, id, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(buffer.data()));
    return buffer.data();
}
void Win32Ui::comboSelect(Window w, int id, int index) { send(w, id, CB_SETCURSEL, index); }
int Win32Ui::comboSelected(Window w, int id) {
    LRESULT index = send(w, id, CB_GETCURSEL);
    return index == CB_ERR ? -1 : static_cast<int>(index);
}

void Win32Ui::listSetExtendedStyle(Window w, int id, unsigned style) {
    send(w, id, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, style);
}

void Win32Ui::listAddColumn(Window w, int id, const std::string& title, int width) {
    HWND header = reinterpret_cast<HWND>(send(w, id, LVM_GETHEADER));
    int index = header ? static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
    LVCOLUMNA column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.pszText = const_cast<char*>(title.c_str());
    column.cx = width;
    column.iSubItem = index;
    send(w, id, LVM_INSERTCOLUMNA, index, reinterpret_cast<LPARAM>(&column));
}

void Win32Ui::listClear(Window w, int id) { send(w, id, LVM_DELETEALLITEMS); }

void Win32Ui::listAppend(Window w, int id, const std::vector<std::string>& texts) {
    if (texts.empty()) return;
    LVITEMA row = {};
    row.mask = LVIF_TEXT;
    row.iItem = listCount(w, id);
    row.pszText = const_cast<char*>(texts[0].c_str());
    int index = static_cast<int>(send(w, id, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&row)));
    for (std::size_t column = 1; column < texts.size(); ++column) {
        LVITEMA cell = {};
        cell.iSubItem = static_cast<int>(column);
        cell.pszText = const_cast<char*>(texts[column].c_str());
        send(w, id, LVM_SETITEMTEXTA, index, reinterpret_cast<LPARAM>(&cell));
    }
}

int Win32Ui::listCount(Window w, int id) { return static_cast<int>(send(w, id, LVM_GETITEMCOUNT)); }

void Win32Ui::listSelect(Window w, int id, int row) {
    LVITEMA state = {};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    send(w, id, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&state));
    send(w, id, LVM_ENSUREVISIBLE, row, FALSE);
}

int Win32Ui::listSelected(Window w, int id) {
    return static_cast<int>(send(w, id, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

std::string Win32Ui::listText(Window w, int id, int row, int column, int maxChars) {
    std::vector<char> buffer(static_cast<std::size_t>(maxChars) + 1, '\0');
    LVITEMA cell = {};
    cell.iSubItem = column;
    cell.pszText = buffer.data();
    cell.cchTextMax = maxChars + 1;
    send(w, id, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&cell));
    return buffer.data();
}

void Win32Ui::progressRange(Window w, int id, int low, int high, int step) {
    send(w, id, PBM_SETRANGE, 0, MAKELPARAM(low, high));
    send(w, id, PBM_SETSTEP, step);
}
void Win32Ui::progressPos(Window w, int id, int pos) { send(w, id, PBM_SETPOS, pos); }

void Win32Ui::setTimer(Window w, int id, unsigned ms) { SetTimer(hwnd(w), id, ms, nullptr); }
void Win32Ui::killTimer(Window w, int id) { KillTimer(hwnd(w), id); }

int Win32Ui::messageBox(Window owner, const char* text, const char* caption, unsigned style,
                        const AppMessageBoxParams* params) {
    return AppMessageBox(hwnd(owner), text, caption, style, params);
}

int Win32Ui::runDialog(int templateId, Window owner, DialogLogic& logic) {
    ActivationScope scope;
    return static_cast<int>(DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId), hwnd(owner),
                                            logicDialogProc, reinterpret_cast<LPARAM>(&logic)));
}

void Win32Ui::endDialog(Window dialog, int result) { EndDialog(hwnd(dialog), result); }
Window Win32Ui::parentOf(Window w) { return reinterpret_cast<Window>(GetParent(hwnd(w))); }
Window Win32Ui::desktop() { return reinterpret_cast<Window>(GetDesktopWindow()); }

void Win32Ui::centerOver(Window w, Window over) {
    RECT parent, self;
    if (!GetWindowRect(hwnd(over), &parent) || !GetWindowRect(hwnd(w), &self)) return;
    int width = self.right - self.left, height = self.bottom - self.top;
    int left = parent.left + ((parent.right - parent.left) - width) / 2;
    int top = parent.top + ((parent.bottom - parent.top) - height) / 2;
    SetWindowPos(hwnd(w), nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32Ui::enterPresses(Window dialog, int editId, int buttonId) {
    HWND edit = item(dialog, editId);
    if (!edit || GetPropA(edit, kEnterOldProcProp)) return;
    SetPropA(edit, kEnterButtonProp, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(buttonId)));
    LONG_PTR old = SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(enterEditProc));
    SetPropA(edit, kEnterOldProcProp, reinterpret_cast<HANDLE>(old));
}

int Win32Ui::shellOpen(Window owner, const std::string& target) {
    return static_cast<int>(reinterpret_cast<INT_PTR>(
        ShellExecuteA(hwnd(owner), "open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL)));
}

bool Win32Ui::browseFolder(Window owner, const std::string& title, std::string& path) {
    BROWSEINFOA info = {};
    info.hwndOwner = hwnd(owner);
    info.lpszTitle = title.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    PIDLIST_ABSOLUTE list = SHBrowseForFolderA(&info);
    if (!list) return false;
    char buffer[MAX_PATH] = {};
    bool ok = SHGetPathFromIDListA(list, buffer) && buffer[0];
    CoTaskMemFree(list);
    if (ok) path = buffer;
    return ok;
}

std::string Win32Ui::appDataFolder() {
    char buffer[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, 0, buffer))) return {};
    return buffer;
}

std::string Win32Ui::formatByteSize(std::int64_t bytes) {
    char buffer[20] = {};
    StrFormatByteSize64A(bytes, buffer, sizeof buffer);
    return buffer;
}

void Win32Ui::postQuit(int code) { PostQuitMessage(code); }

void Win32Ui::loadPicture(const std::string& bytes, Window owner, PictureRecord& picture) {
    loadPictureRecord(bytes, hwnd(owner), picture);
}

void Win32Ui::drawPicture(const PictureRecord& picture, Window w, int id) {
    HWND target = item(w, id);
    if (!target || !picture.memoryDc) return;
    HDC dc = GetDC(target);
    BitBlt(dc, picture.x, picture.y, picture.width, picture.height, static_cast<HDC>(picture.memoryDc), 0, 0,
           SRCCOPY);
    ReleaseDC(target, dc);
}

}  // namespace orvane
