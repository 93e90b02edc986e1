// The message box as the user meets it: real boxes on the screen, answered
// with real key strokes from a helper thread, their windows measured against
// the layout, the clipboard read back, and screenshots kept as artifacts.
//
// Keys: the helper thread injects them with SendInput, as a keyboard would.
// They reach the box because it has made itself the foreground window, and
// the box's thread sees Ctrl held through GetKeyState because the Ctrl key
// goes through the same input queue. Clicks that need no keyboard are posted
// as BM_CLICK; Close is posted as WM_SYSCOMMAND / WM_CLOSE.
//
// On a display without a window manager (Xvfb) Wine waits two seconds for
// every window it hides unless the prefix has
// HKCU\Software\Wine\X11 Driver "Managed"="N"; with it the run takes seconds
// and Wine draws the title bars itself, so that the screenshots show them.
#include <windows.h>

#include <algorithm>
#include <objidl.h>
namespace Gdiplus {
using std::max;
using std::min;
}  // namespace Gdiplus
#include <gdiplus.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "msgbox/box_copy_text.h"
#include "msgbox/message_box_layout.h"
#include "win32/app_message_box.h"
#include "wtest.h"

using orvane::AppMessageBoxParams;
using orvane::BoxItem;
using orvane::BoxTemplate;

namespace {

const char* const kLogoutText =
    "Are you sure you want to log out? Any products in your cart or discounts applied will be lost.";
const char* const kCouponText =
    "Would you like us to auto-lookup an available coupon or enter one manually?\r\n\r\n"
    "Note: Auto-Lookup applies only to upgrade discounts that are associated with a previous purchase.";

AppMessageBoxParams couponParams() {
    AppMessageBoxParams params;
    params.useCustomCaptions = 1;
    std::strcpy(params.customCaptions[orvane::kSlotYes], "Auto-Lookup (Upgrades Only)");
    std::strcpy(params.customCaptions[orvane::kSlotNo], "Enter Manually");
    params.options |= orvane::AMB_OPT_NEWER_LOOK;
    return params;
}

// What the helper thread saw; reported by the test's own thread afterwards.
struct Findings {
    std::vector<std::string> problems;
    void expect(bool ok, const std::string& what) {
        if (!ok) problems.push_back(what);
    }
    void report(const char* file, int line) const {
        for (const std::string& p : problems) wtest::fail(file, line, p);
    }
};

std::string textOf(HWND window) {
    char buffer[4096] = {};
    GetWindowTextA(window, buffer, sizeof buffer);
    return buffer;
}

struct FindBox {
    HWND found = nullptr;
};
BOOL CALLBACK findDialog(HWND window, LPARAM data) {
    char name[32] = {};
    GetClassNameA(window, name, sizeof name);
    if (std::strcmp(name, "#32770") == 0 && IsWindowVisible(window)) {
        reinterpret_cast<FindBox*>(data)->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND waitForBox(DWORD threadId, int timeoutMs) {
    for (int waited = 0; waited < timeoutMs; waited += 20) {
        FindBox find;
        EnumThreadWindows(threadId, findDialog, reinterpret_cast<LPARAM>(&find));
        if (find.found) return find.found;
        Sleep(20);
    }
    return nullptr;
}

void key(WORD vk, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &input, sizeof input);
}
void press(WORD vk) {
    key(vk, false);
    key(vk, true);
}
void pressWithCtrl(WORD vk) {
    key(VK_CONTROL, false);
    press(vk);
    key(VK_CONTROL, true);
}

bool waitReturned(const std::atomic<bool>& returned, int timeoutMs) {
    for (int waited = 0; waited < timeoutMs && !returned; waited += 20) Sleep(20);
    return returned;
}

// Keys go to the foreground window: wait until the box is it.
bool waitForeground(HWND box) {
    for (int waited = 0; waited < 3000; waited += 20) {
        if (GetForegroundWindow() == box) return true;
        Sleep(20);
    }
    return false;
}

// Shows a box on this thread while driver acts on it from a helper thread.
// A box left open by a failed check is answered with its first button, and
// failing that the box's loop is stopped, so that the program always ends.
struct Run {
    int result = 0;
    bool sawBox = false;
    Findings findings;
};
Run showBox(HWND parent, const char* text, const char* caption, unsigned style, const AppMessageBoxParams* params,
            const std::function<void(HWND box, Findings&)>& driver, bool drainQuit = true) {
    Run run;
    const DWORD uiThread = GetCurrentThreadId();
    std::atomic<bool> returned{false};
    std::thread helper([&] {
        HWND box = waitForBox(uiThread, 5000);
        if (!box) return;
        run.sawBox = true;
        Sleep(200);  // let it paint
        driver(box, run.findings);
        if (waitReturned(returned, 3000)) return;
        run.findings.problems.push_back("the box did not return after its driver");
        if (IsWindow(box)) {
            HWND first = FindWindowExA(box, nullptr, "Button", nullptr);
            PostMessageA(box, WM_COMMAND, first ? GetDlgCtrlID(first) : IDOK, 0);
            if (waitReturned(returned, 2000)) return;
        }
        PostThreadMessageA(uiThread, WM_QUIT, 99, 0);
    });
    run.result = AppMessageBox(parent, text, caption, style, params);
    returned = true;
    helper.join();
    if (drainQuit) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
    }
    return run;
}

std::string clipboardText() {
    std::string text;
    if (!OpenClipboard(nullptr)) return "<clipboard not opened>";
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        if (const char* bytes = static_cast<const char*>(GlobalLock(data))) {
            text = bytes;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

void putOnClipboard(const std::string& text) {
    if (!OpenClipboard(nullptr)) return;
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    std::memcpy(GlobalLock(memory), text.c_str(), text.size() + 1);
    GlobalUnlock(memory);
    SetClipboardData(CF_TEXT, memory);
    CloseClipboard();
}

RECT childRect(HWND parent, HWND child) {
    RECT rect;
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

std::string describe(const RECT& r) {
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + ")";
}

bool overlaps(const RECT& a, const RECT& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

// The real window against the layout: client size and every control where
// the dialog manager puts the template's dialog units, within a conversion
// step of the layout's pixels; nothing clipped, nothing overlapping.
void checkAgainstLayout(HWND box, const BoxTemplate& layout, Findings& f) {
    const LONG units = GetDialogBaseUnits();
    const int baseX = LOWORD(units), baseY = HIWORD(units);
    const int slackX = baseX / 4 + 1, slackY = baseY / 8 + 1;
    RECT client;
    GetClientRect(box, &client);
    f.expect(client.right == MulDiv(layout.cx, baseX, 4),
             "client width " + std::to_string(client.right) + " vs template " + std::to_string(layout.cx));
    f.expect(client.bottom == MulDiv(layout.cy, baseY, 8),
             "client height " + std::to_string(client.bottom) + " vs template " + std::to_string(layout.cy));
    f.expect(std::abs(client.right - layout.widthPx) <= slackX, "client width far from the layout's pixels");
    f.expect(std::abs(client.bottom - layout.heightPx) <= slackY, "client height far from the layout's pixels");
    f.expect(textOf(box) == layout.caption, "title " + textOf(box));
    RECT frame;
    GetWindowRect(box, &frame);
    f.expect(frame.right - frame.left <= GetSystemMetrics(SM_CXSCREEN) &&
                 frame.bottom - frame.top <= GetSystemMetrics(SM_CYSCREEN),
             "box larger than the screen: " + describe(frame));

    std::vector<RECT> buttons;
    for (const BoxItem& item : layout.items) {
        HWND control = GetDlgItem(box, item.id);
        const std::string id = std::to_string(item.id);
        f.expect(control != nullptr, "no control " + id);
        if (!control) continue;
        const RECT r = childRect(box, control);
        // The dialog manager converts position and size each on its own.
        RECT position{item.x, item.y, item.cx, item.cy};
        MapDialogRect(box, &position);
        const RECT expected{position.left, position.top, position.left + position.right,
                            position.top + position.bottom};
        f.expect(EqualRect(&r, &expected) != 0,
                 "control " + id + " at " + describe(r) + ", its dialog units give " + describe(expected));
        f.expect(std::abs(r.left - item.pixels.left) <= slackX && std::abs(r.top - item.pixels.top) <= slackY &&
                     std::abs(r.right - item.pixels.right) <= 2 * slackX &&
                     std::abs(r.bottom - item.pixels.bottom) <= 2 * slackY,
                 "control " + id + " far from its layout pixels");
        f.expect(r.left >= 0 && r.top >= 0 && r.right <= client.right && r.bottom <= client.bottom,
                 "control " + id + " outside the client area");
        if (item.classAtom == orvane::kButtonClass) {
            f.expect(textOf(control) == item.text, "button " + id + " text " + textOf(control));
            buttons.push_back(r);
        }
        // The text must fit its control in the control's own font.
        if (item.id == layout.messageId || item.classAtom == orvane::kButtonClass) {
            HDC dc = GetDC(control);
            HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
            const bool message = item.id == layout.messageId;
            RECT need{0, 0, r.right - r.left, 0};
            DrawTextA(dc, item.text.c_str(), -1, &need,
                      DT_CALCRECT | (message ? DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX : DT_SINGLELINE));
            SelectObject(dc, old);
            ReleaseDC(control, dc);
            f.expect(need.right <= r.right - r.left - (message ? 0 : 8), "text of " + id + " too wide");
            f.expect(need.bottom <= r.bottom - r.top, "text of " + id + " too high");
            if (message)
                f.expect(r.right - r.left <= need.right + 12 + slackX,
                         "message control wider than its text: " + std::to_string(need.right) + " in " + describe(r));
        }
    }
    for (std::size_t i = 0; i < buttons.size(); ++i)
        for (std::size_t j = i + 1; j < buttons.size(); ++j)
            f.expect(!overlaps(buttons[i], buttons[j]), "buttons overlap");
    if (!buttons.empty()) {
        f.expect(buttons.front().left >= 16 - slackX, "row starts too close to the left edge");
        f.expect(client.right - buttons.back().right >= 16 - slackX, "row ends too close to the right edge");
        f.expect(client.bottom - buttons.back().bottom >= 16 - slackY, "row too close to the bottom");
    }
    if (HWND icon = GetDlgItem(box, orvane::kIconControlId)) {
        const RECT i = childRect(box, icon), m = childRect(box, GetDlgItem(box, layout.messageId));
        f.expect(i.right <= m.left, "icon not left of the message");
        f.expect(i.top < m.bottom && m.top < i.bottom, "icon not beside the message");
        for (const RECT& b : buttons) f.expect(!overlaps(i, b), "icon overlaps a button");
    }
}

ULONG_PTR startGdiplus() {
    static ULONG_PTR token = 0;
    if (!token) {
        Gdiplus::GdiplusStartupInput input;
        Gdiplus::GdiplusStartup(&token, &input, nullptr);
    }
    return token;
}

bool pngEncoder(CLSID& clsid) {
    UINT count = 0, size = 0;
    Gdiplus::GetImageEncodersSize(&count, &size);
    if (!size) return false;
    std::vector<BYTE> buffer(size);
    auto* encoders = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    Gdiplus::GetImageEncoders(count, size, encoders);
    for (UINT i = 0; i < count; ++i)
        if (std::wcscmp(encoders[i].MimeType, L"image/png") == 0) {
            clsid = encoders[i].Clsid;
            return true;
        }
    return false;
}

// The box as it is on the screen, window frame included, saved as PNG.
bool screenshot(HWND window, const std::string& name) {
    startGdiplus();
    RECT rect;
    GetWindowRect(window, &rect);
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY | CAPTUREBLT);
    SelectObject(memory, old);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);

    bool saved = false;
    CLSID png;
    if (pngEncoder(png)) {
        const std::string path = wtest::artifactPath(name);
        std::wstring widePath(path.begin(), path.end());
        Gdiplus::Bitmap image(bitmap, nullptr);
        saved = image.Save(widePath.c_str(), &png, nullptr) == Gdiplus::Ok;
    }
    DeleteObject(bitmap);
    return saved;
}

HWND makeOwnerWindow(const char* title) {
    static bool registered = false;
    if (!registered) {
        WNDCLASSA wc{};
        // WM_APP asks the window to destroy itself (from another thread).
        wc.lpfnWndProc = [](HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) -> LRESULT {
            if (msg == WM_APP) return DestroyWindow(hwnd);
            return DefWindowProcA(hwnd, msg, wp, lp);
        };
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hbrBackground = GetSysColorBrush(COLOR_APPWORKSPACE);
        wc.lpszClassName = "OrvaneBoxTestOwner";
        RegisterClassA(&wc);
        registered = true;
    }
    HWND window = CreateWindowA("OrvaneBoxTestOwner", title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 700, 500,
                                nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    SetForegroundWindow(window);
    SetActiveWindow(window);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    return window;
}

void clickButton(HWND box, int id) { PostMessageA(GetDlgItem(box, id), BM_CLICK, 0, 0); }

}  // namespace

WTEST(NewerLookUnderThisWindows) {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    CHECK(GetVersionExA(&info));
    BoxTemplate layout;
    orvane::win32::layoutAppMessageBox(layout, "x", nullptr, 0, nullptr);
    CHECK_EQ(layout.newerLook, info.dwMajorVersion >= 6);
    CHECK_EQ(layout.caption, std::string("Error"));
}

WTEST(EscAnswersPerButtonSet) {
    struct Case {
        unsigned style;
        int result;
    } cases[] = {{MB_OK, IDOK}, {MB_OK | MB_ICONINFORMATION, IDOK}, {MB_YESNOCANCEL, IDCANCEL}};
    for (const Case& c : cases) {
        Run run = showBox(nullptr, "Esc answers this box.", "Esc", c.style, nullptr, [](HWND box, Findings& f) {
            f.expect(waitForeground(box), "box is not the foreground window");
            press(VK_ESCAPE);
        });
        CHECK(run.sawBox);
        CHECK_EQ(run.result, c.result);
        run.findings.report(__FILE__, __LINE__);
    }
}

WTEST(YesNoIgnoresEscAndClose) {
    Run run = showBox(nullptr, kLogoutText, "Logout Confirmation", MB_YESNO, nullptr, [](HWND box, Findings& f) {
        const UINT state = GetMenuState(GetSystemMenu(box, FALSE), SC_CLOSE, MF_BYCOMMAND);
        f.expect(state != 0xFFFFFFFF && (state & MF_GRAYED), "Close is not greyed");
        f.expect(waitForeground(box), "box is not the foreground window");
        press(VK_ESCAPE);
        PostMessageA(box, WM_SYSCOMMAND, SC_CLOSE, 0);
        PostMessageA(box, WM_CLOSE, 0, 0);
        Sleep(500);
        f.expect(IsWindow(box) && IsWindowVisible(box), "Esc or Close ended a Yes/No box");
        press('N');  // the access key of "&No"
    });
    CHECK(run.sawBox);
    CHECK_EQ(run.result, IDNO);
    run.findings.report(__FILE__, __LINE__);
}

WTEST(CloseMenuGreyOnlyWithoutCancel) {
    struct Case {
        unsigned style;
        bool grey;
        int result;  // after Close from the title bar
    } cases[] = {{MB_OK, false, IDOK}, {MB_YESNOCANCEL, false, IDCANCEL}};
    for (const Case& c : cases) {
        Run run = showBox(nullptr, "Close me.", "Close", c.style, nullptr, [&c](HWND box, Findings& f) {
            const UINT state = GetMenuState(GetSystemMenu(box, FALSE), SC_CLOSE, MF_BYCOMMAND);
            f.expect(((state & MF_GRAYED) != 0) == c.grey, "Close menu state");
            PostMessageA(box, WM_SYSCOMMAND, SC_CLOSE, 0);
        });
        CHECK_EQ(run.result, c.result);
        run.findings.report(__FILE__, __LINE__);
    }
}

WTEST(EnterAnswersTheFirstButton) {
    const AppMessageBoxParams coupon = couponParams();
    struct Case {
        unsigned style;
        const AppMessageBoxParams* params;
        int result;
    } cases[] = {{MB_OK, nullptr, IDOK},
                 {MB_YESNO, nullptr, IDYES},
                 {MB_YESNOCANCEL | MB_ICONQUESTION, nullptr, IDYES},
                 {0x20000023, &coupon, IDYES}};
    for (const Case& c : cases) {
        Run run = showBox(nullptr, "Enter answers this box.", "Enter", c.style, c.params, [](HWND box, Findings& f) {
            f.expect(waitForeground(box), "box is not the foreground window");
            HWND focus = nullptr;
            GUITHREADINFO info{};
            info.cbSize = sizeof info;
            if (GetGUIThreadInfo(GetWindowThreadProcessId(box, nullptr), &info)) focus = info.hwndFocus;
            f.expect(focus == FindWindowExA(box, nullptr, "Button", nullptr), "focus is not on the first button");
            press(VK_RETURN);
        });
        CHECK_EQ(run.result, c.result);
        run.findings.report(__FILE__, __LINE__);
    }
}

WTEST(CustomCaptionsKeepTheirResultCodes) {
    const AppMessageBoxParams coupon = couponParams();
    struct Case {
        int click;
    } cases[] = {{IDYES}, {IDNO}, {IDCANCEL}};
    for (const Case& c : cases) {
        Run run = showBox(nullptr, kCouponText, "Select Coupon Type", 0x20000023, &coupon, [&c](HWND box, Findings& f) {
            f.expect(textOf(GetDlgItem(box, IDYES)) == "Auto-Lookup (Upgrades Only)", "Yes caption");
            f.expect(textOf(GetDlgItem(box, IDNO)) == "Enter Manually", "No caption");
            f.expect(textOf(GetDlgItem(box, IDCANCEL)) == "Cancel", "Cancel caption");
            clickButton(box, c.click);
        });
        CHECK_EQ(run.result, c.click);
        run.findings.report(__FILE__, __LINE__);
    }
}

WTEST(CtrlCCopiesTheBox) {
    putOnClipboard("before");
    Run run = showBox(nullptr, kLogoutText, "Logout Confirmation", MB_YESNO, nullptr, [](HWND box, Findings& f) {
        f.expect(waitForeground(box), "box is not the foreground window");
        pressWithCtrl('C');
        Sleep(400);
        f.expect(IsWindow(box), "Ctrl+C ended the box");
        clickButton(box, IDNO);
    });
    CHECK_EQ(run.result, IDNO);
    run.findings.report(__FILE__, __LINE__);
    const std::string d = "---------------------------\r\n";
    CHECK_EQ(clipboardText(), d + "Logout Confirmation\r\n" + d + kLogoutText + "\r\n" + d + "Yes   No   \r\n" + d);
}

WTEST(CtrlCWithTheClipboardHeldElsewhereCopiesNothing) {
    putOnClipboard("kept");
    Run run = showBox(nullptr, "Copy me.", "Busy clipboard", MB_OK, nullptr, [](HWND box, Findings& f) {
        f.expect(waitForeground(box), "box is not the foreground window");
        f.expect(OpenClipboard(nullptr) != 0, "helper could not hold the clipboard");
        pressWithCtrl('C');
        Sleep(400);
        CloseClipboard();
        f.expect(IsWindow(box), "Ctrl+C ended the box");
        press(VK_ESCAPE);
    });
    CHECK_EQ(run.result, IDOK);
    run.findings.report(__FILE__, __LINE__);
    CHECK_EQ(clipboardText(), std::string("kept"));
}

WTEST(NullParentAndCaption) {
    HWND owner = makeOwnerWindow("Owner");
    CHECK(GetActiveWindow() == owner);
    Run run = showBox(nullptr, "Owned by the active window.", nullptr, MB_ICONHAND, nullptr,
                      [owner](HWND box, Findings& f) {
                          f.expect(textOf(box) == "Error", "title is " + textOf(box));
                          f.expect(GetWindow(box, GW_OWNER) == owner, "owner is not the active window");
                          f.expect(!IsWindowEnabled(owner), "owner enabled while the box is up");
                          RECT o, b;
                          GetWindowRect(owner, &o);
                          GetWindowRect(box, &b);
                          f.expect(std::abs((o.left + o.right) - (b.left + b.right)) <= 2 &&
                                       std::abs((o.top + o.bottom) - (b.top + b.bottom)) <= 2,
                                   "box not centred on its owner");
                          press(VK_ESCAPE);
                      });
    CHECK_EQ(run.result, IDOK);
    CHECK(IsWindowEnabled(owner));
    run.findings.report(__FILE__, __LINE__);
    DestroyWindow(owner);
}

WTEST(OtherWindowsKeepTheirTimers) {
    HWND owner = makeOwnerWindow("Timer owner");
    static int ticks = 0;
    ticks = 0;
    SetTimer(owner, 1143, 50, [](HWND, UINT, UINT_PTR, DWORD) { ++ticks; });
    Run run = showBox(owner, "The owner's timer keeps running.", "Timer", MB_OK, nullptr, [](HWND box, Findings&) {
        Sleep(600);
        clickButton(box, IDOK);
    });
    KillTimer(owner, 1143);
    CHECK_EQ(run.result, IDOK);
    CHECK(ticks >= 5);
    DestroyWindow(owner);
}

WTEST(BoxEndsWithItsDestroyedOwner) {
    HWND owner = makeOwnerWindow("Short-lived owner");
    Run run = showBox(owner, "My owner goes away.", "Owner", MB_YESNO, nullptr, [owner](HWND box, Findings& f) {
        f.expect(GetWindow(box, GW_OWNER) == owner, "owner");
        PostMessageA(owner, WM_APP, 0, 0);
    }, false);
    CHECK_EQ(run.result, -1);
    CHECK(!IsWindow(owner));
    MSG msg;
    CHECK(!PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));  // ended by itself, not stopped
    run.findings.report(__FILE__, __LINE__);
}

WTEST(QuitEndsTheBoxAndIsPostedAgain) {
    const DWORD self = GetCurrentThreadId();
    Run run = showBox(
        nullptr, "A quit request ends me.", "Quit", MB_YESNO, nullptr,
        [self](HWND, Findings&) { PostThreadMessageA(self, WM_QUIT, 42, 0); }, false);
    CHECK_EQ(run.result, -1);
    MSG msg;
    CHECK(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    CHECK_EQ(static_cast<int>(msg.wParam), 42);
    run.findings.report(__FILE__, __LINE__);
}

WTEST(BoxesMatchTheirLayoutAndAreCaptured) {
    const AppMessageBoxParams coupon = couponParams();
    AppMessageBoxParams classicColoured;
    classicColoured.backgroundColour = RGB(255, 255, 224);
    struct Case {
        const char* file;
        const char* text;
        const char* caption;
        unsigned style;
        const AppMessageBoxParams* params;
    } cases[] = {
        {"msgbox-startup-error.png", "Error: Could not initialize cart.", nullptr, 0x30, nullptr},
        {"msgbox-logout.png", kLogoutText, "Logout Confirmation", MB_YESNO, nullptr},
        {"msgbox-coupon-type.png", kCouponText, "Select Coupon Type", 0x20000023, &coupon},
        {nullptr, "", "Empty", MB_YESNOCANCEL | MB_ICONINFORMATION, nullptr},
        {"msgbox-ampersand-tabs.png", "Tabs\tand an ampersand: R&D.\nSecond line", "Own colour", MB_OK,
         &classicColoured},
    };
    for (const Case& c : cases) {
        BoxTemplate layout;
        orvane::win32::layoutAppMessageBox(layout, c.text, c.caption, c.style, c.params);
        Run run = showBox(nullptr, c.text, c.caption, c.style, c.params, [&](HWND box, Findings& f) {
            checkAgainstLayout(box, layout, f);
            if (c.file) f.expect(screenshot(box, c.file), std::string("screenshot ") + c.file);
            clickButton(box, layout.defaultButtonId);
        });
        CHECK(run.sawBox);
        CHECK_EQ(run.result, static_cast<int>(layout.defaultButtonId));
        run.findings.report(__FILE__, __LINE__);
    }
}

int main() {
    // A hung box must not hang the run: give up after two minutes.
    std::thread([] {
        Sleep(120000);
        std::printf("message_box_test: timed out\n");
        std::fflush(stdout);
        ExitProcess(3);
    }).detach();
    return wtest::runAll("MessageBox");
}
