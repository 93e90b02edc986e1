#include "win32/app_message_box.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "msgbox/box_copy_text.h"
#include "msgbox/message_box_layout.h"

namespace {

using namespace orvane;

// The box with what only Windows has: window, owner, font, icon and brush.
class Win32Box final : public BoxTemplate {
public:
    ~Win32Box() override {
        if (icon) DestroyIcon(icon);
        if (font) DeleteObject(font);
        if (brush) DeleteObject(brush);
    }
    HWND owner = nullptr;
    HWND window = nullptr;
    HFONT font = nullptr;
    HICON icon = nullptr;
    HBRUSH brush = nullptr;
};

struct FontDeleter {
    void operator()(HFONT font) const {
        if (font) DeleteObject(font);
    }
};
using FontHolder = std::unique_ptr<std::remove_pointer_t<HFONT>, FontDeleter>;

int windowsMajorVersion() {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    return GetVersionExA(&info) ? static_cast<int>(info.dwMajorVersion) : 0;
}

// The system's message font, made for one box.
HFONT createMessageFont() {
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof metrics;
    if (!SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0)) {
        // Systems before Vista know the structure without its last field.
        metrics.cbSize = offsetof(NONCLIENTMETRICSA, iPaddedBorderWidth);
        if (!SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0)) return nullptr;
    }
    return CreateFontIndirectA(&metrics.lfMessageFont);
}

BoxMetrics screenMetrics() {
    BoxMetrics m;
    const LONG units = GetDialogBaseUnits();
    m.baseX = LOWORD(units);
    m.baseY = HIWORD(units);
    m.screenWidth = GetSystemMetrics(SM_CXSCREEN);
    m.iconWidth = GetSystemMetrics(SM_CXICON);
    m.iconHeight = GetSystemMetrics(SM_CYICON);
    m.windowColour = GetSysColor(COLOR_WINDOW);
    return m;
}

// An empty text takes no room. DrawText measures nothing then and would leave
// the rectangle as it came: a message box as large as its width limit.
TextExtent drawnExtent(HDC dc, const std::string& text, RECT rect, UINT format) {
    if (text.empty()) return {};
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &rect, format | DT_CALCRECT);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

// The string ids of the captions are looked for among the system's strings.
bool loadSystemString(int id, std::string& text) {
    char buffer[100];
    const int n = LoadStringA(GetModuleHandleA("user32.dll"), static_cast<UINT>(id), buffer, sizeof buffer);
    if (n <= 0) return false;
    text.assign(buffer, static_cast<std::size_t>(n));
    return true;
}

// Entry steps 2 to 5: caption, params, look and layout, measured in font.
void layoutOnScreen(BoxTemplate& box, HFONT font, const char* text, const char* caption, unsigned style,
                    const AppMessageBoxParams* params) {
    BoxRequest request;
    request.text = text ? text : "";
    request.caption = caption ? caption : "Error";
    request.style = style;
    request.params = effectiveParams(params, windowsMajorVersion());

    HDC dc = GetDC(nullptr);
    HGDIOBJ previous = font ? SelectObject(dc, font) : nullptr;
    TextMeasurer measure;
    measure.line = [dc](const std::string& s) { return drawnExtent(dc, s, RECT{0, 0, 0, 0}, DT_SINGLELINE); };
    measure.block = [dc](const std::string& s, int limit) {
        return drawnExtent(dc, s, RECT{0, 0, limit, limit}, DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
    };
    try {
        layoutBox(request, screenMetrics(), measure, loadSystemString, box);
    } catch (...) {
        if (previous) SelectObject(dc, previous);
        ReleaseDC(nullptr, dc);
        throw;
    }
    if (previous) SelectObject(dc, previous);
    ReleaseDC(nullptr, dc);
}

HICON copyStockIcon(std::uint32_t iconBits) {
    const int id = iconBits == kIconHand           ? 32513   // IDI_HAND
                   : iconBits == kIconQuestion     ? 32514   // IDI_QUESTION
                   : iconBits == kIconExclamation  ? 32515   // IDI_EXCLAMATION
                   : iconBits == kIconInformation  ? 32516   // IDI_ASTERISK
                                                   : 0;
    if (!id) return nullptr;
    // Stock icons are shared; the box keeps a copy of its own to free.
    HICON shared = LoadIconA(nullptr, MAKEINTRESOURCEA(id));
    return shared ? CopyIcon(shared) : nullptr;
}

std::u16string widenAnsi(const std::string& text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
    std::u16string wide(static_cast<std::size_t>(std::max(n, 0)), u'\0');
    if (n > 0) MultiByteToWideChar(CP_ACP, 0, text.data(), size, reinterpret_cast<wchar_t*>(wide.data()), n);
    return wide;
}

std::string windowText(HWND window) {
    const int length = GetWindowTextLengthA(window);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const int n = GetWindowTextA(window, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(std::max(n, 0)));
    return text;
}

bool isButtonWindow(HWND window) {
    char name[16] = {};
    return GetClassNameA(window, name, sizeof name) > 0 && lstrcmpiA(name, "Button") == 0;
}

// Ctrl+C: the box as text on the clipboard. The keystroke is taken even when
// the clipboard cannot be opened.
void copyToClipboard(const Win32Box& box) {
    std::optional<std::string> message;
    if (HWND control = GetDlgItem(box.window, box.messageId)) message = windowText(control);
    std::vector<std::string> buttons;
    for (HWND child = GetWindow(box.window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (isButtonWindow(child)) buttons.push_back(windowText(child));
    const std::string text = boxCopyText(windowText(box.window), message, buttons);

    if (!OpenClipboard(box.window)) return;
    EmptyClipboard();
    if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1)) {
        if (void* bytes = GlobalLock(memory)) {
            std::memcpy(bytes, text.c_str(), text.size() + 1);
            GlobalUnlock(memory);
            if (!SetClipboardData(CF_TEXT, memory)) GlobalFree(memory);
        } else {
            GlobalFree(memory);
        }
    }
    CloseClipboard();
}

bool takeCtrlKey(const Win32Box& box, const MSG& msg) {
    if (msg.wParam != 'C') return false;
    try {
        copyToClipboard(box);
    } catch (...) {
    }
    return true;
}

Win32Box* boxOf(HWND dialog) { return reinterpret_cast<Win32Box*>(GetWindowLongPtrA(dialog, DWLP_USER)); }

// The icon control paints the box's icon at its top left, on the colour the
// dialog gives its statics. Its own window procedure is kept in its user data.
LRESULT CALLBACK iconControlProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    const auto base = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (msg == WM_ERASEBKGND) return 1;
    if (msg == WM_PAINT || msg == WM_PRINTCLIENT) {
        PAINTSTRUCT ps;
        HDC dc = msg == WM_PAINT ? BeginPaint(hwnd, &ps) : reinterpret_cast<HDC>(wp);
        HWND dialog = GetParent(hwnd);
        RECT rect;
        GetClientRect(hwnd, &rect);
        auto brush = reinterpret_cast<HBRUSH>(
            SendMessageA(dialog, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(hwnd)));
        FillRect(dc, &rect, brush ? brush : GetSysColorBrush(COLOR_BTNFACE));
        if (Win32Box* box = boxOf(dialog); box && box->icon) DrawIcon(dc, 0, 0, box->icon);
        if (msg == WM_PAINT) EndPaint(hwnd, &ps);
        return 0;
    }
    return CallWindowProcA(base, hwnd, msg, wp, lp);
}

// Centres the box on its owner, kept inside the owner's work area (an owner
// that is minimised or half off the screen must not take the box with it).
void centreOnOwner(HWND window, HWND owner) {
    if (!owner) return;
    RECT ownerRect, rect;
    GetWindowRect(owner, &ownerRect);
    GetWindowRect(window, &rect);
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    int x = ownerRect.left + (ownerRect.right - ownerRect.left - width) / 2;
    int y = ownerRect.top + (ownerRect.bottom - ownerRect.top - height) / 2;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (GetMonitorInfoA(MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST), &monitor)) {
        const RECT& work = monitor.rcWork;
        x = std::max<int>(work.left, std::min<int>(x, work.right - width));
        y = std::max<int>(work.top, std::min<int>(y, work.bottom - height));
    }
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void onInitDialog(HWND hwnd, Win32Box& box) {
    box.window = hwnd;
    if (box.font)
        for (const BoxItem& item : box.items)
            if (item.id == box.messageId || item.classAtom == kButtonClass)
                SendMessageA(GetDlgItem(hwnd, item.id), WM_SETFONT, reinterpret_cast<WPARAM>(box.font), FALSE);
    if (HWND button = GetDlgItem(hwnd, box.defaultButtonId)) SetFocus(button);
    if (!box.closeAllowed()) EnableMenuItem(GetSystemMenu(hwnd, FALSE), SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
    if (HWND icon = GetDlgItem(hwnd, kIconControlId)) {
        SetWindowLongPtrA(icon, GWLP_USERDATA, GetWindowLongPtrA(icon, GWLP_WNDPROC));
        SetWindowLongPtrA(icon, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(iconControlProc));
    }
    centreOnOwner(hwnd, box.owner);
    SetForegroundWindow(hwnd);
}

// The newer look: button face below, the background band down to the message.
void eraseBackground(HWND hwnd, const Win32Box& box, HDC dc) {
    RECT client;
    GetClientRect(hwnd, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    RECT band = client;
    band.bottom = box.messageRect.bottom;
    if (HWND message = GetDlgItem(hwnd, box.messageId)) {
        RECT rect;
        GetWindowRect(message, &rect);
        MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&rect), 2);
        band.bottom = rect.bottom;
    }
    FillRect(dc, &band, box.brush);
}

INT_PTR CALLBACK boxDialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    Win32Box* box = boxOf(hwnd);
    switch (msg) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(hwnd, DWLP_USER, lp);
        onInitDialog(hwnd, *reinterpret_cast<Win32Box*>(lp));
        return FALSE;  // the default button has the focus
    case WM_COMMAND:
        if (box)
            if (const std::optional<int> result = box->resultForCommand(LOWORD(wp))) box->end(*result);
        return TRUE;
    case WM_ERASEBKGND:
        if (!box || !box->brush) return FALSE;
        eraseBackground(hwnd, *box, reinterpret_cast<HDC>(wp));
        SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, 1);
        return TRUE;
    case WM_CTLCOLORSTATIC:
        if (!box || !box->brush) return FALSE;
        SetBkColor(reinterpret_cast<HDC>(wp), box->backgroundColour);
        SetTextColor(reinterpret_cast<HDC>(wp), GetSysColor(COLOR_WINDOWTEXT));
        return reinterpret_cast<INT_PTR>(box->brush);
    default:
        return FALSE;
    }
}

int runBox(Win32Box& box) {
    std::vector<std::uint16_t> words;
    try {
        words = serializeBoxTemplate(box, widenAnsi);
    } catch (...) {
        return IDCANCEL;  // no memory for the template: the box is not shown
    }
    HWND hwnd = CreateDialogIndirectParamA(GetModuleHandleA(nullptr), reinterpret_cast<LPCDLGTEMPLATEA>(words.data()),
                                           box.owner, boxDialogProc, reinterpret_cast<LPARAM>(&box));
    if (!hwnd) return box.result;
    if (box.owner) EnableWindow(box.owner, FALSE);

    // The box's own loop. It also ends when the window is gone without an
    // answer (destroyed with its owner), which would otherwise wait forever.
    while (!box.ended && IsWindow(hwnd)) {
        MSG msg;
        if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            WaitMessage();
            continue;
        }
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (msg.message == WM_KEYDOWN && (GetKeyState(VK_CONTROL) & 0x8000) && takeCtrlKey(box, msg)) continue;
        if (!IsDialogMessageA(hwnd, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }

    if (box.owner && IsWindow(box.owner)) EnableWindow(box.owner, TRUE);
    if (IsWindow(hwnd)) DestroyWindow(hwnd);
    return box.result;
}

}  // namespace

int AppMessageBox(HWND parent, const char* text, const char* caption, unsigned style,
                  const orvane::AppMessageBoxParams* params) {
    if (!parent) {
        parent = GetActiveWindow();
        if (parent) parent = GetLastActivePopup(parent);
    }
    std::unique_ptr<Win32Box> box;
    try {
        box = std::make_unique<Win32Box>();
        box->owner = parent;
        box->font = createMessageFont();
        layoutOnScreen(*box, box->font, text, caption, style, params);
        box->icon = copyStockIcon(box->iconBits);
        if (box->hasBackground) box->brush = CreateSolidBrush(box->backgroundColour);
    } catch (...) {
        return IDCANCEL;
    }
    MessageBeep(style & 0xF0);
    return runBox(*box);
}

namespace orvane::win32 {

void layoutAppMessageBox(BoxTemplate& box, const char* text, const char* caption, unsigned style,
                         const AppMessageBoxParams* params) {
    FontHolder font(createMessageFont());
    layoutOnScreen(box, font.get(), text, caption, style, params);
}

}  // namespace orvane::win32
