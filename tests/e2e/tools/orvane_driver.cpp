// orvane_driver: drives the windows of another process for the end-to-end tests.
//
// It reads one command per line on stdin and answers each with exactly one line on stdout:
//   ok <json value>      the command worked; the value is its result (null when there is none)
//   err <message>        it did not
// Arguments are separated by spaces. An argument may be written as a JSON string ("a b\t\"c\""),
// and the last argument of a command that takes free text (title, text) may also be the plain
// rest of the line. Window handles are printed as "0x..." strings and accepted in hex or decimal.
// Every wait is bounded by the timeout it is given (and by kMaxWaitMs); every message sent to the
// target uses SendMessageTimeout, so a hung program cannot hang the driver.
//
// Text goes both ways as UTF-8; the driver talks to windows with the wide (W) messages and lets
// the system convert to and from the target's code page.

#include <windows.h>
#include <commctrl.h>
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr DWORD kMaxWaitMs = 600000;
constexpr UINT kSendTimeoutMs = 10000;
constexpr DWORD kPollMs = 25;

// ---------------------------------------------------------------------------------------------
// Text helpers

std::string toUtf8(const std::wstring& w) {
    if (w.empty()) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr, nullptr);
    return s;
}

std::string toAnsi(const std::wstring& w) {
    if (w.empty()) return {};
    int n = WideCharToMultiByte(CP_ACP, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr, nullptr);
    return s;
}

std::wstring fromUtf8(const std::string& s) {
    if (s.empty()) return {};
    int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
    return w;
}

// A JSON string literal of UTF-8 text: quotes, backslashes and control characters escaped, so a
// reply always stays on one line.
std::string jsonString(const std::string& s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\r': out += "\\r"; break;
            case '\n': out += "\\n"; break;
            case '\t': out += "\\t"; break;
            default:
                if (c < 0x20 || c == 0x7f) {
                    char buf[8];
                    std::snprintf(buf, sizeof buf, "\\u%04x", c);
                    out += buf;
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
    return out + "\"";
}

std::string jsonString(const std::wstring& w) { return jsonString(toUtf8(w)); }

std::string jsonBool(bool b) { return b ? "true" : "false"; }

std::string hwndText(HWND h) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "0x%llx", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(h)));
    return buf;
}

std::string jsonHwnd(HWND h) { return "\"" + hwndText(h) + "\""; }

std::wstring windowClass(HWND h) {
    wchar_t buf[256] = {};
    GetClassNameW(h, buf, 256);
    return buf;
}

// ---------------------------------------------------------------------------------------------
// Command line parsing

struct Failure {
    std::string message;
};

[[noreturn]] void fail(const std::string& message) { throw Failure{message}; }

class Args {
public:
    explicit Args(const std::string& line) : line_(line) {
        size_t i = 0;
        while (true) {
            while (i < line_.size() && (line_[i] == ' ' || line_[i] == '\t')) ++i;
            if (i >= line_.size()) break;
            Token t;
            t.start = i;
            if (line_[i] == '"') {
                t.quoted = true;
                i = parseQuoted(i + 1, t.value);
            } else {
                size_t j = i;
                while (j < line_.size() && line_[j] != ' ' && line_[j] != '\t') ++j;
                t.value = line_.substr(i, j - i);
                i = j;
            }
            tokens_.push_back(t);
        }
    }

    size_t size() const { return tokens_.size(); }
    bool has(size_t i) const { return i < tokens_.size(); }

    const std::string& str(size_t i, const char* what) const {
        if (!has(i)) fail(std::string("missing argument: ") + what);
        return tokens_[i].value;
    }

    // Argument i and everything after it, as written (or the decoded string when quoted).
    std::string rest(size_t i, const char* what) const {
        if (!has(i)) fail(std::string("missing argument: ") + what);
        if (tokens_[i].quoted) return tokens_[i].value;
        std::string r = line_.substr(tokens_[i].start);
        while (!r.empty() && (r.back() == ' ' || r.back() == '\t')) r.pop_back();
        return r;
    }

    long long integer(size_t i, const char* what) const {
        const std::string& s = str(i, what);
        char* end = nullptr;
        long long v = std::strtoll(s.c_str(), &end, 0);
        if (s.empty() || *end != '\0') fail(std::string("not a number: ") + what + " '" + s + "'");
        return v;
    }

    HWND hwnd(size_t i) const {
        const std::string& s = str(i, "hwnd");
        char* end = nullptr;
        unsigned long long v = std::strtoull(s.c_str(), &end, 0);
        if (s.empty() || *end != '\0') fail("not a window handle: '" + s + "'");
        HWND h = reinterpret_cast<HWND>(static_cast<UINT_PTR>(v));
        if (!IsWindow(h)) fail("no such window " + s);
        return h;
    }

private:
    struct Token {
        std::string value;
        size_t start = 0;
        bool quoted = false;
    };

    size_t parseQuoted(size_t i, std::string& out) const {
        while (i < line_.size() && line_[i] != '"') {
            char c = line_[i];
            if (c == '\\' && i + 1 < line_.size()) {
                char e = line_[i + 1];
                i += 2;
                switch (e) {
                    case 'n': out += '\n'; break;
                    case 'r': out += '\r'; break;
                    case 't': out += '\t'; break;
                    case '"': out += '"'; break;
                    case '\\': out += '\\'; break;
                    case '/': out += '/'; break;
                    case 'u':
                        if (i + 4 <= line_.size()) {
                            unsigned code = static_cast<unsigned>(std::strtoul(line_.substr(i, 4).c_str(), nullptr, 16));
                            i += 4;
                            out += toUtf8(std::wstring(1, static_cast<wchar_t>(code)));
                        }
                        break;
                    default: out += '\\'; out += e; break;
                }
            } else {
                out += c;
                ++i;
            }
        }
        if (i >= line_.size()) fail("unterminated string");
        return i + 1;
    }

    std::string line_;
    std::vector<Token> tokens_;
};

// ---------------------------------------------------------------------------------------------
// Windows of the target

DWORD gLaunchedPid = 0;
HANDLE gLaunched = nullptr;

DWORD windowPid(HWND h) {
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    return pid;
}

HWND findDescendant(HWND parent, int id) {
    struct Search {
        int id;
        HWND found;
    } search{id, nullptr};
    EnumChildWindows(
        parent,
        [](HWND w, LPARAM lp) -> BOOL {
            auto* s = reinterpret_cast<Search*>(lp);
            if (GetDlgCtrlID(w) == s->id) {
                s->found = w;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The control with this id in the window (a direct child first, then any descendant, so
// controls on child panels are found too); id 0 is the window itself.
HWND control(HWND parent, long long id) {
    if (id == 0) return parent;
    HWND h = GetDlgItem(parent, static_cast<int>(id));
    if (!h) h = findDescendant(parent, static_cast<int>(id));
    if (!h) fail("no control " + std::to_string(id) + " in " + hwndText(parent));
    return h;
}

LRESULT send(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT timeoutMs = kSendTimeoutMs) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(h, msg, wp, lp, SMTO_NORMAL | SMTO_ABORTIFHUNG, timeoutMs, &result)) {
        DWORD e = GetLastError();
        fail("message 0x" + [&] { char b[16]; std::snprintf(b, sizeof b, "%x", msg); return std::string(b); }() +
             (e == ERROR_TIMEOUT || e == 0 ? " timed out" : " failed, error " + std::to_string(e)));
    }
    return static_cast<LRESULT>(result);
}

void post(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (!PostMessageW(h, msg, wp, lp)) fail("PostMessage failed, error " + std::to_string(GetLastError()));
}

std::wstring windowText(HWND h) {
    LRESULT len = send(h, WM_GETTEXTLENGTH, 0, 0);
    if (len < 0) len = 0;
    std::wstring buf(static_cast<size_t>(len) + 2, L'\0');
    LRESULT got = send(h, WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(buf.data()));
    if (got < 0) got = 0;
    buf.resize(wcsnlen(buf.c_str(), static_cast<size_t>(got) + 1));
    return buf;
}

// A control a person could use: shown, enabled, and in a top-level window that is enabled (a
// window behind a modal dialog is not).
void requireUsable(HWND ctrl) {
    if (!IsWindowVisible(ctrl)) fail("control is hidden");
    if (!IsWindowEnabled(ctrl)) fail("control is disabled");
    HWND top = GetAncestor(ctrl, GA_ROOT);
    if (top && !IsWindowEnabled(top)) fail("window is disabled (a modal window is open?)");
}

std::vector<HWND> topLevelWindows(bool visibleOnly) {
    std::vector<HWND> all;
    EnumWindows(
        [](HWND w, LPARAM lp) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(lp)->push_back(w);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&all));
    std::vector<HWND> out;
    DWORD self = GetCurrentProcessId();
    for (HWND w : all) {
        if (windowPid(w) == self) continue;
        if (visibleOnly && !IsWindowVisible(w)) continue;
        out.push_back(w);
    }
    return out;
}

std::string describeWindow(HWND w) {
    std::wstring title;
    try {
        title = windowText(w);
    } catch (const Failure&) {
    }
    return "{\"hwnd\":" + jsonHwnd(w) + ",\"class\":" + jsonString(windowClass(w)) + ",\"title\":" +
           jsonString(title) + ",\"pid\":" + std::to_string(windowPid(w)) +
           ",\"visible\":" + jsonBool(IsWindowVisible(w)) + ",\"enabled\":" + jsonBool(IsWindowEnabled(w)) + "}";
}

bool matches(HWND w, const std::wstring& pattern) {
    if (!pattern.empty() && pattern[0] == L'#') return windowClass(w) == pattern;
    try {
        return windowText(w).find(pattern) != std::wstring::npos;
    } catch (const Failure&) {
        return false;
    }
}

template <typename F>
bool waitFor(DWORD timeoutMs, F done) {
    if (timeoutMs > kMaxWaitMs) timeoutMs = kMaxWaitMs;
    DWORD start = GetTickCount();
    while (true) {
        if (done()) return true;
        if (GetTickCount() - start >= timeoutMs) return false;
        Sleep(kPollMs);
    }
}

DWORD timeoutArg(const Args& a, size_t i) {
    long long t = a.integer(i, "timeout_ms");
    if (t < 0) fail("negative timeout");
    return static_cast<DWORD>(t > static_cast<long long>(kMaxWaitMs) ? kMaxWaitMs : t);
}

// ---------------------------------------------------------------------------------------------
// Memory in the target process, for the common-control messages that carry pointers

class RemoteBuffer {
public:
    RemoteBuffer(HWND w, size_t size) : size_(size) {
        process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE | PROCESS_QUERY_INFORMATION,
                               FALSE, windowPid(w));
        if (!process_) fail("OpenProcess failed, error " + std::to_string(GetLastError()));
        base_ = static_cast<char*>(VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
        if (!base_) {
            CloseHandle(process_);
            fail("VirtualAllocEx failed, error " + std::to_string(GetLastError()));
        }
    }
    ~RemoteBuffer() {
        if (!leak_) VirtualFreeEx(process_, base_, 0, MEM_RELEASE);
        CloseHandle(process_);
    }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;

    char* at(size_t offset) const { return base_ + offset; }

    void write(size_t offset, const void* data, size_t n) {
        SIZE_T done = 0;
        if (offset + n > size_ || !WriteProcessMemory(process_, base_ + offset, data, n, &done) || done != n)
            fail("WriteProcessMemory failed, error " + std::to_string(GetLastError()));
    }
    void read(size_t offset, void* data, size_t n) const {
        SIZE_T done = 0;
        if (offset + n > size_ || !ReadProcessMemory(process_, base_ + offset, data, n, &done) || done != n)
            fail("ReadProcessMemory failed, error " + std::to_string(GetLastError()));
    }
    // A message that timed out may still be processed later: keep its memory alive.
    void keepAlive() { leak_ = true; }

private:
    HANDLE process_ = nullptr;
    char* base_ = nullptr;
    size_t size_ = 0;
    bool leak_ = false;
};

LRESULT sendRemote(RemoteBuffer& mem, HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    try {
        return send(h, msg, wp, lp);
    } catch (const Failure&) {
        mem.keepAlive();
        throw;
    }
}

constexpr size_t kTextChars = 2048;

std::wstring listItemText(RemoteBuffer& mem, HWND lv, int row, int col) {
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.iSubItem = col;
    item.pszText = reinterpret_cast<LPWSTR>(mem.at(sizeof(LVITEMW)));
    item.cchTextMax = kTextChars;
    mem.write(0, &item, sizeof item);
    wchar_t zero = 0;
    mem.write(sizeof(LVITEMW), &zero, sizeof zero);
    LRESULT len = sendRemote(mem, lv, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(mem.at(0)));
    if (len < 0) len = 0;
    if (len > static_cast<LRESULT>(kTextChars) - 1) len = kTextChars - 1;
    std::wstring text(static_cast<size_t>(len), L'\0');
    if (len > 0) mem.read(sizeof(LVITEMW), text.data(), static_cast<size_t>(len) * sizeof(wchar_t));
    return text;
}

// ---------------------------------------------------------------------------------------------
// Commands

using Handler = std::function<std::string(const Args&)>;

const char* kNull = "null";

std::string cmdWindows(const Args& a) {
    bool all = a.has(1) && a.str(1, "") == "all";
    std::string out = "[";
    for (HWND w : topLevelWindows(!all)) {
        if (out.size() > 1) out += ",";
        out += describeWindow(w);
    }
    return out + "]";
}

std::string cmdWaitWindow(const Args& a) {
    DWORD timeout = timeoutArg(a, 1);
    std::wstring pattern = fromUtf8(a.rest(2, "title or #class"));
    HWND found = nullptr;
    bool ok = waitFor(timeout, [&] {
        for (HWND w : topLevelWindows(true)) {
            if (matches(w, pattern)) {
                found = w;
                return true;
            }
        }
        return false;
    });
    if (!ok) fail("timeout: no visible window matching '" + toUtf8(pattern) + "'");
    return jsonHwnd(found);
}

std::string cmdWaitGone(const Args& a) {
    DWORD timeout = timeoutArg(a, 1);
    const std::string& s = a.str(2, "hwnd");
    HWND h = reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::strtoull(s.c_str(), nullptr, 0)));
    if (!waitFor(timeout, [&] { return !IsWindow(h) || !IsWindowVisible(h); })) fail("timeout: window still shown");
    return IsWindow(h) ? "\"hidden\"" : "\"destroyed\"";
}

std::string cmdControls(const Args& a) {
    HWND w = a.hwnd(1);
    std::vector<HWND> kids;
    EnumChildWindows(
        w,
        [](HWND c, LPARAM lp) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(lp)->push_back(c);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&kids));
    std::string out = "[";
    for (HWND c : kids) {
        if (out.size() > 1) out += ",";
        std::wstring text;
        try {
            text = windowText(c);
        } catch (const Failure&) {
        }
        out += "{\"hwnd\":" + jsonHwnd(c) + ",\"id\":" + std::to_string(GetDlgCtrlID(c)) +
               ",\"class\":" + jsonString(windowClass(c)) + ",\"text\":" + jsonString(text) +
               ",\"visible\":" + jsonBool(IsWindowVisible(c)) + ",\"enabled\":" + jsonBool(IsWindowEnabled(c)) + "}";
    }
    return out + "]";
}

std::string cmdText(const Args& a) { return jsonString(windowText(control(a.hwnd(1), a.integer(2, "id")))); }

std::string cmdTitle(const Args& a) { return jsonString(windowText(a.hwnd(1))); }

std::string cmdEnabled(const Args& a) { return jsonBool(IsWindowEnabled(control(a.hwnd(1), a.integer(2, "id")))); }

std::string cmdVisible(const Args& a) { return jsonBool(IsWindowVisible(control(a.hwnd(1), a.integer(2, "id")))); }

std::string cmdChecked(const Args& a) {
    return std::to_string(send(control(a.hwnd(1), a.integer(2, "id")), BM_GETCHECK, 0, 0));
}

// A progress bar's position and range: {pos, low, high}. PBM_GETRANGE with no structure answers
// one limit per call, so no memory in the target is needed.
std::string cmdProgress(const Args& a) {
    HWND c = control(a.hwnd(1), a.integer(2, "id"));
    LRESULT pos = send(c, PBM_GETPOS, 0, 0);
    LRESULT low = send(c, PBM_GETRANGE, TRUE, 0);
    LRESULT high = send(c, PBM_GETRANGE, FALSE, 0);
    return "{\"pos\":" + std::to_string(static_cast<long long>(pos)) + ",\"low\":" +
           std::to_string(static_cast<long long>(low)) + ",\"high\":" + std::to_string(static_cast<long long>(high)) +
           "}";
}

std::string cmdStyle(const Args& a) {
    HWND c = control(a.hwnd(1), a.integer(2, "id"));
    return "{\"style\":" + std::to_string(static_cast<unsigned long>(GetWindowLongW(c, GWL_STYLE))) +
           ",\"exstyle\":" + std::to_string(static_cast<unsigned long>(GetWindowLongW(c, GWL_EXSTYLE))) + "}";
}

std::string cmdClick(const Args& a) {
    HWND c = control(a.hwnd(1), a.integer(2, "id"));
    requireUsable(c);
    post(c, BM_CLICK, 0, 0);
    return kNull;
}

std::string cmdSetText(const Args& a) {
    HWND c = control(a.hwnd(1), a.integer(2, "id"));
    std::wstring text = a.has(3) ? fromUtf8(a.rest(3, "text")) : std::wstring();
    send(c, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    return kNull;
}

UINT virtualKey(const std::string& name) {
    static const std::map<std::string, UINT> names = {
        {"enter", VK_RETURN}, {"return", VK_RETURN}, {"esc", VK_ESCAPE}, {"escape", VK_ESCAPE},
        {"tab", VK_TAB},      {"space", VK_SPACE},   {"up", VK_UP},      {"down", VK_DOWN},
        {"left", VK_LEFT},    {"right", VK_RIGHT},   {"home", VK_HOME},  {"end", VK_END},
        {"delete", VK_DELETE}, {"back", VK_BACK},    {"f1", VK_F1},      {"f5", VK_F5},
    };
    auto it = names.find(name);
    if (it != names.end()) return it->second;
    if (name.size() == 1 && ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= '0' && name[0] <= '9')))
        return static_cast<UINT>(name[0]);
    char* end = nullptr;
    unsigned long v = std::strtoul(name.c_str(), &end, 0);
    if (name.empty() || *end != '\0' || v == 0 || v > 0xfe) fail("unknown key '" + name + "'");
    return static_cast<UINT>(v);
}

std::string cmdKey(const Args& a) {
    HWND c = control(a.hwnd(1), a.integer(2, "id"));
    UINT vk = virtualKey(a.str(3, "vk"));
    UINT scan = MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
    LPARAM down = 1 | (static_cast<LPARAM>(scan) << 16);
    LPARAM up = down | (static_cast<LPARAM>(1) << 30) | (static_cast<LPARAM>(1) << 31);
    post(c, WM_KEYDOWN, vk, down);
    post(c, WM_KEYUP, vk, up);
    return kNull;
}

// Types text into a control as WM_CHAR messages, as the keyboard would.
std::string cmdChars(const Args& a) {
    HWND c = control(a.hwnd(1), a.integer(2, "id"));
    std::wstring text = fromUtf8(a.rest(3, "text"));
    for (wchar_t ch : text) post(c, WM_CHAR, ch, 1);
    return kNull;
}

std::string cmdComboItems(const Args& a) {
    HWND c = control(a.hwnd(1), a.integer(2, "id"));
    LRESULT count = send(c, CB_GETCOUNT, 0, 0);
    if (count == CB_ERR) fail("CB_GETCOUNT failed");
    LRESULT sel = send(c, CB_GETCURSEL, 0, 0);
    std::string items = "[";
    for (LRESULT i = 0; i < count; ++i) {
        LRESULT len = send(c, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
        if (len == CB_ERR) fail("CB_GETLBTEXTLEN failed for item " + std::to_string(i));
        std::wstring buf(static_cast<size_t>(len) + 2, L'\0');
        send(c, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(buf.data()));
        buf.resize(wcsnlen(buf.c_str(), buf.size()));
        if (i) items += ",";
        items += jsonString(buf);
    }
    items += "]";
    return "{\"count\":" + std::to_string(count) + ",\"selected\":" + std::to_string(sel == CB_ERR ? -1 : sel) +
           ",\"items\":" + items + "}";
}

std::string cmdComboSelect(const Args& a) {
    HWND c = control(a.hwnd(1), a.integer(2, "id"));
    requireUsable(c);
    long long index = a.integer(3, "index");
    LRESULT count = send(c, CB_GETCOUNT, 0, 0);
    if (index < 0 || index >= count) fail("index out of range (" + std::to_string(count) + " items)");
    if (send(c, CB_SETCURSEL, static_cast<WPARAM>(index), 0) == CB_ERR) fail("CB_SETCURSEL failed");
    post(GetParent(c), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(c), CBN_SELCHANGE), reinterpret_cast<LPARAM>(c));
    return kNull;
}

std::string cmdListRows(const Args& a) {
    HWND lv = control(a.hwnd(1), a.integer(2, "id"));
    long long maxRows = a.has(3) ? a.integer(3, "max_rows") : -1;
    LRESULT count = send(lv, LVM_GETITEMCOUNT, 0, 0);
    HWND header = reinterpret_cast<HWND>(send(lv, LVM_GETHEADER, 0, 0));
    int columns = 1;
    if (header) {
        LRESULT n = send(header, HDM_GETITEMCOUNT, 0, 0);
        if (n > 0) columns = static_cast<int>(n);
    }
    RemoteBuffer mem(lv, sizeof(LVITEMW) + kTextChars * sizeof(wchar_t));
    long long shown = maxRows < 0 || maxRows > count ? count : maxRows;
    std::string rows = "[", selected = "[", states = "[";
    long long focused = -1;
    for (long long r = 0; r < shown; ++r) {
        if (r) {
            rows += ",";
            states += ",";
        }
        rows += "[";
        for (int col = 0; col < columns; ++col) {
            if (col) rows += ",";
            rows += jsonString(listItemText(mem, lv, static_cast<int>(r), col));
        }
        rows += "]";
        UINT mask = LVIS_SELECTED | LVIS_FOCUSED | LVIS_STATEIMAGEMASK;
        auto state = static_cast<UINT>(send(lv, LVM_GETITEMSTATE, static_cast<WPARAM>(r), mask));
        states += std::to_string(state);
        if (state & LVIS_SELECTED) {
            if (selected.size() > 1) selected += ",";
            selected += std::to_string(r);
        }
        if (state & LVIS_FOCUSED) focused = r;
    }
    return "{\"count\":" + std::to_string(count) + ",\"columns\":" + std::to_string(columns) + ",\"rows\":" + rows +
           "],\"selected\":" + selected + "],\"focused\":" + std::to_string(focused) + ",\"states\":" + states + "]}";
}

std::string cmdListSelect(const Args& a) {
    HWND lv = control(a.hwnd(1), a.integer(2, "id"));
    requireUsable(lv);
    long long row = a.integer(3, "row");
    LRESULT count = send(lv, LVM_GETITEMCOUNT, 0, 0);
    if (row < -1 || row >= count) fail("row out of range (" + std::to_string(count) + " rows)");
    RemoteBuffer mem(lv, sizeof(LVITEMW));
    LVITEMW item{};
    if (row == -1) {  // clear the selection
        item.stateMask = LVIS_SELECTED;
        item.state = 0;
    } else {
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        item.state = LVIS_SELECTED | LVIS_FOCUSED;
    }
    mem.write(0, &item, sizeof item);
    if (!sendRemote(mem, lv, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(mem.at(0))))
        fail("LVM_SETITEMSTATE failed");
    if (row >= 0) post(lv, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
    return kNull;
}

RECT listItemRect(HWND lv, int row) {
    RemoteBuffer mem(lv, sizeof(RECT));
    RECT r{};
    r.left = LVIR_LABEL;
    mem.write(0, &r, sizeof r);
    if (!sendRemote(mem, lv, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(mem.at(0))))
        fail("row " + std::to_string(row) + " has no rectangle (scrolled out?)");
    mem.read(0, &r, sizeof r);
    return r;
}

// Clicks (or double-clicks) a list-view row with mouse messages at the middle of its label.
std::string cmdListClick(const Args& a) {
    HWND lv = control(a.hwnd(1), a.integer(2, "id"));
    requireUsable(lv);
    int row = static_cast<int>(a.integer(3, "row"));
    bool dbl = a.has(4) && a.str(4, "") == "double";
    send(lv, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
    RECT r = listItemRect(lv, row);
    LPARAM pt = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    post(lv, WM_LBUTTONDOWN, MK_LBUTTON, pt);
    post(lv, WM_LBUTTONUP, 0, pt);
    if (dbl) {
        post(lv, WM_LBUTTONDBLCLK, MK_LBUTTON, pt);
        post(lv, WM_LBUTTONUP, 0, pt);
    }
    return "[" + std::to_string((r.left + r.right) / 2) + "," + std::to_string((r.top + r.bottom) / 2) + "]";
}

// SysLink raises NM_CLICK only for a button-down followed by a button-up on the same link, so the
// driver finds a point on the link (LM_HITTEST over the client area) and sends both there.
std::string cmdSyslinkClick(const Args& a) {
    HWND link = control(a.hwnd(1), a.integer(2, "id"));
    requireUsable(link);
    int wanted = a.has(3) ? static_cast<int>(a.integer(3, "link")) : 0;
    RECT client{};
    GetClientRect(link, &client);
    RemoteBuffer mem(link, sizeof(LHITTESTINFO));
    auto onLink = [&](int x, int y) {
        LHITTESTINFO hit{};
        hit.pt = {x, y};
        mem.write(0, &hit, sizeof hit);
        if (!sendRemote(mem, link, LM_HITTEST, 0, reinterpret_cast<LPARAM>(mem.at(0)))) return false;
        mem.read(0, &hit, sizeof hit);
        return hit.item.iLink == wanted;
    };
    for (int y = client.top + 1; y < client.bottom; y += 2) {
        for (int x = client.left + 1; x < client.right; x += 3) {
            if (!onLink(x, y)) continue;
            // Aim at the middle of the first line of the link rather than its corner.
            int right = x, bottom = y;
            while (right + 1 < client.right && onLink(right + 1, y)) ++right;
            while (bottom + 1 < client.bottom && onLink(x, bottom + 1)) ++bottom;
            int px = (x + right) / 2, py = (y + bottom) / 2;
            if (px - x > 24) px = x + 24;
            LPARAM pt = MAKELPARAM(px, py);
            post(link, WM_LBUTTONDOWN, MK_LBUTTON, pt);
            post(link, WM_LBUTTONUP, 0, pt);
            return "[" + std::to_string(px) + "," + std::to_string(py) + "]";
        }
    }
    fail("link " + std::to_string(wanted) + " not found in the control");
}

std::string rectJson(const RECT& r) {
    return "[" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + "]";
}

std::string cmdRect(const Args& a) {
    HWND w = a.hwnd(1);
    if (a.has(2)) w = control(w, a.integer(2, "id"));
    RECT r{};
    if (!GetWindowRect(w, &r)) fail("GetWindowRect failed");
    return rectJson(r);
}

std::string cmdClose(const Args& a) {
    post(a.hwnd(1), WM_CLOSE, 0, 0);
    return kNull;
}

std::vector<HWND> childrenOf(HWND w) {
    std::vector<HWND> kids;
    for (HWND c = GetWindow(w, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) kids.push_back(c);
    return kids;
}

// The message box's message: our own box keeps it in static 1001; the system's MessageBox in
// static 0xFFFF.
HWND messageStatic(HWND dlg) {
    for (int id : {1001, 0xFFFF}) {
        HWND s = GetDlgItem(dlg, id);
        if (s && _wcsicmp(windowClass(s).c_str(), L"Static") == 0) return s;
    }
    return nullptr;
}

std::string describeMessageBox(HWND dlg, HWND text) {
    std::string buttons = "[";
    for (HWND c : childrenOf(dlg)) {
        if (_wcsicmp(windowClass(c).c_str(), L"Button") != 0 || !IsWindowVisible(c)) continue;
        if (buttons.size() > 1) buttons += ",";
        buttons += "{\"id\":" + std::to_string(GetDlgCtrlID(c)) + ",\"text\":" + jsonString(windowText(c)) +
                   ",\"enabled\":" + jsonBool(IsWindowEnabled(c)) + "}";
    }
    buttons += "]";
    return "{\"hwnd\":" + jsonHwnd(dlg) + ",\"title\":" + jsonString(windowText(dlg)) + ",\"text\":" +
           jsonString(windowText(text)) + ",\"pid\":" + std::to_string(windowPid(dlg)) + ",\"buttons\":" + buttons + "}";
}

std::string cmdMessageBox(const Args& a) {
    DWORD timeout = timeoutArg(a, 1);
    HWND found = nullptr, text = nullptr;
    bool ok = waitFor(timeout, [&] {
        for (HWND w : topLevelWindows(true)) {
            if (gLaunchedPid && windowPid(w) != gLaunchedPid) continue;
            if (windowClass(w) != L"#32770") continue;
            if (HWND s = messageStatic(w)) {
                found = w;
                text = s;
                return true;
            }
        }
        return false;
    });
    if (!ok) fail("timeout: no message box");
    return describeMessageBox(found, text);
}

// Presses a button of a message box or dialog by id (no enabled check beyond the button's own).
std::string cmdPress(const Args& a) {
    HWND b = control(a.hwnd(1), a.integer(2, "button-id"));
    if (!IsWindowEnabled(b)) fail("button is disabled");
    post(b, BM_CLICK, 0, 0);
    return kNull;
}

std::string cmdLaunch(const Args& a) {
    std::wstring cmdline = fromUtf8(a.rest(1, "command line"));
    // The program must not write into the driver's reply stream: its standard input is NUL and
    // its output goes to the driver's standard error (the harness keeps that as a log).
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE nul = CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                             OPEN_EXISTING, 0, nullptr);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = nul;
    si.hStdOutput = GetStdHandle(STD_ERROR_HANDLE);
    si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION pi{};
    BOOL created = CreateProcessW(nullptr, cmdline.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
    DWORD error = GetLastError();
    if (nul != INVALID_HANDLE_VALUE) CloseHandle(nul);
    if (!created) fail("CreateProcess failed, error " + std::to_string(error));
    CloseHandle(pi.hThread);
    if (gLaunched) CloseHandle(gLaunched);
    gLaunched = pi.hProcess;
    gLaunchedPid = pi.dwProcessId;
    return std::to_string(pi.dwProcessId);
}

// Waits for the launched program to end; the reply is its exit code.
std::string cmdWaitExit(const Args& a) {
    if (!gLaunched) fail("nothing launched");
    DWORD timeout = timeoutArg(a, 1);
    DWORD r = WaitForSingleObject(gLaunched, timeout);
    if (r == WAIT_TIMEOUT) fail("timeout: still running");
    if (r != WAIT_OBJECT_0) fail("wait failed, error " + std::to_string(GetLastError()));
    DWORD code = 0;
    GetExitCodeProcess(gLaunched, &code);
    return std::to_string(code);
}

std::string cmdRunning(const Args&) {
    if (!gLaunched) return "false";
    return jsonBool(WaitForSingleObject(gLaunched, 0) == WAIT_TIMEOUT);
}

std::string cmdKill(const Args&) {
    if (!gLaunched) fail("nothing launched");
    TerminateProcess(gLaunched, 255);
    WaitForSingleObject(gLaunched, 5000);
    return kNull;
}

// Registry of the current user, 64-bit view: "reg-get <key> <value>" etc. The key is written
// without the HKCU\ prefix, e.g. "Software\\Orvane Software\\OrvanePurchase".
std::string regKeyPath(const Args& a) {
    std::string k = a.str(1, "key");
    for (const char* prefix : {"HKCU\\", "HKEY_CURRENT_USER\\"})
        if (k.rfind(prefix, 0) == 0) k = k.substr(std::strlen(prefix));
    return k;
}

std::string cmdRegGet(const Args& a) {
    std::wstring key = fromUtf8(regKeyPath(a));
    std::wstring name = fromUtf8(a.has(2) ? a.str(2, "value") : std::string());
    HKEY h = nullptr;
    LONG r = RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, &h);
    if (r == ERROR_FILE_NOT_FOUND) fail("missing key");
    if (r != ERROR_SUCCESS) fail("RegOpenKeyEx error " + std::to_string(r));
    DWORD type = 0, size = 0;
    r = RegQueryValueExW(h, name.c_str(), nullptr, &type, nullptr, &size);
    if (r != ERROR_SUCCESS) {
        RegCloseKey(h);
        fail(r == ERROR_FILE_NOT_FOUND ? "missing value" : "RegQueryValueEx error " + std::to_string(r));
    }
    std::vector<BYTE> data(size + 4, 0);
    r = RegQueryValueExW(h, name.c_str(), nullptr, &type, data.data(), &size);
    RegCloseKey(h);
    if (r != ERROR_SUCCESS) fail("RegQueryValueEx error " + std::to_string(r));
    if (type == REG_SZ || type == REG_EXPAND_SZ) {
        std::wstring s(reinterpret_cast<const wchar_t*>(data.data()), size / sizeof(wchar_t));
        bool terminated = !s.empty() && s.back() == L'\0';
        while (!s.empty() && s.back() == L'\0') s.pop_back();
        return "{\"type\":\"REG_SZ\",\"data\":" + jsonString(s) + ",\"bytes\":" + std::to_string(size) +
               ",\"terminated\":" + jsonBool(terminated) + "}";
    }
    if (type == REG_DWORD) {
        DWORD v = 0;
        std::memcpy(&v, data.data(), sizeof v);
        return "{\"type\":\"REG_DWORD\",\"data\":" + std::to_string(v) + "}";
    }
    std::string hex;
    for (DWORD i = 0; i < size; ++i) {
        char b[4];
        std::snprintf(b, sizeof b, "%02x", data[i]);
        hex += b;
    }
    return "{\"type\":" + std::to_string(type) + ",\"hex\":\"" + hex + "\"}";
}

// Writes a REG_SZ the way the program does (ANSI text, no terminating NUL), or a DWORD with
// "reg-set-dword".
std::string regSet(const Args& a, bool dword) {
    std::wstring key = fromUtf8(regKeyPath(a));
    std::wstring name = fromUtf8(a.str(2, "value"));
    HKEY h = nullptr;
    LONG r = RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE | KEY_WOW64_64KEY,
                             nullptr, &h, nullptr);
    if (r != ERROR_SUCCESS) fail("RegCreateKeyEx error " + std::to_string(r));
    if (dword) {
        DWORD v = static_cast<DWORD>(a.integer(3, "data"));
        r = RegSetValueExW(h, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v);
    } else {
        std::string data = a.has(3) ? a.rest(3, "data") : std::string();
        std::string ansi = toAnsi(fromUtf8(data));
        std::string vname = toAnsi(name);
        r = RegSetValueExA(h, vname.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(ansi.data()),
                           static_cast<DWORD>(ansi.size()));
    }
    RegCloseKey(h);
    if (r != ERROR_SUCCESS) fail("RegSetValueEx error " + std::to_string(r));
    return kNull;
}

std::string cmdRegSet(const Args& a) { return regSet(a, false); }
std::string cmdRegSetDword(const Args& a) { return regSet(a, true); }

std::string cmdRegDelete(const Args& a) {
    std::wstring key = fromUtf8(regKeyPath(a));
    HKEY h = nullptr;
    LONG r = RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_SET_VALUE | KEY_WOW64_64KEY, &h);
    if (r == ERROR_FILE_NOT_FOUND) return "false";
    if (r != ERROR_SUCCESS) fail("RegOpenKeyEx error " + std::to_string(r));
    if (a.has(2)) {
        r = RegDeleteValueW(h, fromUtf8(a.str(2, "value")).c_str());
        RegCloseKey(h);
    } else {
        RegCloseKey(h);
        r = RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
        if (r == ERROR_SUCCESS) r = RegDeleteKeyExW(HKEY_CURRENT_USER, key.c_str(), KEY_WOW64_64KEY, 0);
    }
    if (r == ERROR_FILE_NOT_FOUND) return "false";
    if (r != ERROR_SUCCESS) fail("delete error " + std::to_string(r));
    return "true";
}

std::string cmdRegValues(const Args& a) {
    std::wstring key = fromUtf8(regKeyPath(a));
    HKEY h = nullptr;
    LONG r = RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, &h);
    if (r == ERROR_FILE_NOT_FOUND) fail("missing key");
    if (r != ERROR_SUCCESS) fail("RegOpenKeyEx error " + std::to_string(r));
    std::string out = "[";
    for (DWORD i = 0;; ++i) {
        wchar_t name[512];
        DWORD len = 512;
        if (RegEnumValueW(h, i, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        if (i) out += ",";
        out += jsonString(std::wstring(name, len));
    }
    RegCloseKey(h);
    return out + "]";
}

std::string cmdSleep(const Args& a) {
    Sleep(timeoutArg(a, 1));
    return kNull;
}

const std::map<std::string, Handler>& commands() {
    static const std::map<std::string, Handler> table = {
        {"windows", cmdWindows},
        {"wait-window", cmdWaitWindow},
        {"wait-gone", cmdWaitGone},
        {"controls", cmdControls},
        {"text", cmdText},
        {"title", cmdTitle},
        {"enabled", cmdEnabled},
        {"visible", cmdVisible},
        {"checked", cmdChecked},
        {"progress", cmdProgress},
        {"style", cmdStyle},
        {"click", cmdClick},
        {"set-text", cmdSetText},
        {"key", cmdKey},
        {"chars", cmdChars},
        {"combo-items", cmdComboItems},
        {"combo-select", cmdComboSelect},
        {"list-rows", cmdListRows},
        {"list-select", cmdListSelect},
        {"list-click", cmdListClick},
        {"syslink-click", cmdSyslinkClick},
        {"rect", cmdRect},
        {"close", cmdClose},
        {"message-box", cmdMessageBox},
        {"press", cmdPress},
        {"launch", cmdLaunch},
        {"wait-exit", cmdWaitExit},
        {"running", cmdRunning},
        {"kill", cmdKill},
        {"reg-get", cmdRegGet},
        {"reg-set", cmdRegSet},
        {"reg-set-dword", cmdRegSetDword},
        {"reg-delete", cmdRegDelete},
        {"reg-values", cmdRegValues},
        {"sleep", cmdSleep},
    };
    return table;
}

}  // namespace

int main() {
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    std::string line;
    int c;
    while (true) {
        line.clear();
        while ((c = std::getchar()) != EOF && c != '\n') line += static_cast<char>(c);
        if (c == EOF && line.empty()) break;
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
        if (line.empty()) continue;
        std::string reply;
        try {
            Args args(line);
            const std::string& name = args.str(0, "command");
            if (name == "quit") {
                std::fputs("ok null\n", stdout);
                std::fflush(stdout);
                break;
            }
            if (name == "help") {
                std::string list = "[";
                for (const auto& entry : commands()) list += (list.size() > 1 ? "," : "") + jsonString(entry.first);
                reply = "ok " + list + "]";
            } else {
                auto it = commands().find(name);
                if (it == commands().end()) fail("unknown command '" + name + "'");
                reply = "ok " + it->second(args);
            }
        } catch (const Failure& f) {
            reply = "err " + f.message;
        }
        for (char& ch : reply)
            if (ch == '\n' || ch == '\r') ch = ' ';
        std::fputs(reply.c_str(), stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
    }
    if (gLaunched) CloseHandle(gLaunched);
    return 0;
}
