// The ports through which the portable logic reaches Windows. Each has one
// Win32 adapter (src/win32) and one fake for the native tests (tests/unit).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace orvane {

// An opaque window handle (an HWND in the program, a made-up number in tests).
using Window = std::uintptr_t;

struct AppMessageBoxParams;
struct PictureRecord;

// One HTTP exchange with the store server.
class Transport {
public:
    virtual ~Transport() = default;
    // secure: TLS + POST on the store's secure port; otherwise plain HTTP with
    // an empty verb on the plain port. Returns 1 (no root handle), 2 (no
    // connection), 3 (no request handle) or 0; the reply is what arrived.
    virtual int exchange(bool secure, const std::string& url, const std::string& body,
                         std::string& reply) = 0;
};

// The values of the settings key.
class Settings {
public:
    virtual ~Settings() = default;
    // 1 stored, -1 key open but the value not set, 0 key neither opened nor created.
    virtual int write(const std::string& name, const std::string& text) = 0;
    // 0 when the key cannot be opened (it is never created here), else 1.
    // value receives the text only when the stored value is a non-empty text
    // shorter than 255 bytes; otherwise it is left as it was.
    virtual int read(const std::string& name, std::string& value) = 0;
    // Deletes one value; false when the key cannot be opened.
    virtual bool remove(const std::string& name) = 0;
};

// Local date and time, as the record files and the engine need them.
struct LocalTime {
    int year = 1980, month = 1, day = 1;  // month 1..12
    int weekday = 0;                      // 0 = Sunday
    int hour = 0, minute = 0, second = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual std::uint64_t ticksMs() = 0;
    virtual LocalTime localTime() = 0;
    // First character of the user's decimal separator.
    virtual char decimalSeparator() = 0;
};

// A local file opened for appending by the download engine.
class OutFile {
public:
    virtual ~OutFile() = default;
    virtual std::uint64_t length() = 0;  // length when opened plus what was written
    virtual bool write(const char* data, std::size_t size) = 0;
    virtual void close() = 0;
};

// The file system, with Windows paths ("C:\folder\file").
class Files {
public:
    virtual ~Files() = default;
    virtual bool exists(const std::string& path) = 0;
    virtual std::int64_t size(const std::string& path) = 0;  // -1 when missing
    virtual bool remove(const std::string& path) = 0;       // false when it exists and cannot go
    virtual bool createFolder(const std::string& path) = 0; // true also when it exists
    virtual bool readText(const std::string& path, std::string& text) = 0;
    virtual bool writeText(const std::string& path, const std::string& text) = 0;
    // Opens for binary writing at the end, creating it when missing, shared
    // for reading and writing; null when it cannot be opened.
    virtual std::unique_ptr<OutFile> openForAppend(const std::string& path) = 0;
};

// One HTTP reply of a download mirror, read in blocks.
class RangeReply {
public:
    virtual ~RangeReply() = default;
    virtual int status() = 0;                               // HTTP status code, 0 when unknown
    virtual bool contentLength(std::uint64_t& length) = 0;  // false when absent
    virtual bool contentRange(std::string& text) = 0;       // at most 1000 bytes; false when absent
    virtual std::size_t available() = 0;                    // bytes ready to read now, 0 when unknown
    // Reads up to max bytes: the count, 0 at the end of the data, -1 on a failed read.
    virtual long read(char* buffer, std::size_t max) = 0;
};

// The download engine's HTTP side.
class RangeSource {
public:
    virtual ~RangeSource() = default;
    // Requests url from offset on ("Range: bytes=offset-"). Returns 0 and the
    // reply; 1 when the root handle fails; 2 when the host cannot be reached
    // (error receives the Windows error code); 3 when the URL cannot be opened.
    virtual int open(const std::string& url, std::uint64_t offset, std::unique_ptr<RangeReply>& reply,
                     unsigned long& error) = 0;
};

// The logic of one dialog, driven by the Win32 dialog procedure (or a test).
class DialogLogic {
public:
    virtual ~DialogLogic() = default;
    virtual void onInit(Window dialog) = 0;
    // Returns true when the command was handled.
    virtual bool onCommand(Window dialog, int id, int code) = 0;
    virtual bool onNotify(Window /*dialog*/, int /*id*/, int /*code*/) { return false; }
};

// Notification codes the logic reacts to (the values of commctrl.h).
inline constexpr int kNmClick = -2;
inline constexpr int kNmReturn = -4;
inline constexpr int kLvnItemChanged = -101;
inline constexpr int kCbnSelChange = 1;
inline constexpr int kBnClicked = 0;

// What the logic does to windows, by window and control id.
class Ui {
public:
    virtual ~Ui() = default;

    virtual void setText(Window w, int id, const std::string& text) = 0;
    virtual std::string getText(Window w, int id, int maxChars) = 0;
    virtual void setTitle(Window w, const std::string& text) = 0;
    virtual void enable(Window w, int id, bool on) = 0;
    virtual void show(Window w, int id, bool visible) = 0;
    virtual void check(Window w, int id, bool on) = 0;
    virtual bool isChecked(Window w, int id) = 0;
    virtual void focus(Window w, int id) = 0;

    // Drop-down combo boxes.
    virtual void comboClear(Window w, int id) = 0;
    virtual void comboAdd(Window w, int id, const std::string& text) = 0;
    virtual int comboCount(Window w, int id) = 0;
    virtual std::string comboItem(Window w, int id, int index) = 0;
    virtual void comboSelect(Window w, int id, int index) = 0;
    virtual int comboSelected(Window w, int id) = 0;  // -1 for none

    // Report-style list view.
    virtual void listSetExtendedStyle(Window w, int id, unsigned style) = 0;
    virtual void listAddColumn(Window w, int id, const std::string& title, int width) = 0;
    virtual void listClear(Window w, int id) = 0;
    virtual void listAppend(Window w, int id, const std::vector<std::string>& texts) = 0;
    virtual int listCount(Window w, int id) = 0;
    virtual void listSelect(Window w, int id, int row) = 0;  // selected and focused
    virtual int listSelected(Window w, int id) = 0;          // -1 for none
    virtual std::string listText(Window w, int id, int row, int column, int maxChars) = 0;

    // Progress bar.
    virtual void progressRange(Window w, int id, int low, int high, int step) = 0;
    virtual void progressPos(Window w, int id, int pos) = 0;

    virtual void setTimer(Window w, int id, unsigned ms) = 0;
    virtual void killTimer(Window w, int id) = 0;

    // Prompts and dialogs.
    virtual int messageBox(Window owner, const char* text, const char* caption, unsigned style,
                           const AppMessageBoxParams* params) = 0;
    virtual int runDialog(int templateId, Window owner, DialogLogic& logic) = 0;
    virtual void endDialog(Window dialog, int result) = 0;
    virtual Window parentOf(Window w) = 0;  // null when none
    virtual Window desktop() = 0;
    virtual void centerOver(Window w, Window over) = 0;
    // Makes Enter in an edit field press a button of the same dialog.
    virtual void enterPresses(Window dialog, int editId, int buttonId) = 0;

    // Shell.
    virtual int shellOpen(Window owner, const std::string& target) = 0;  // > 32 on success
    virtual bool browseFolder(Window owner, const std::string& title, std::string& path) = 0;
    virtual std::string appDataFolder() = 0;
    virtual std::string formatByteSize(std::int64_t bytes) = 0;
    virtual void postQuit(int code) = 0;

    // Pictures.
    virtual void loadPicture(const std::string& bytes, Window owner, PictureRecord& picture) = 0;
    virtual void drawPicture(const PictureRecord& picture, Window w, int id) = 0;
};

// The ports in use; set by WinMain or by a test.
struct Platform {
    Transport* transport = nullptr;
    Settings* settings = nullptr;
    Clock* clock = nullptr;
    Files* files = nullptr;
    Ui* ui = nullptr;
    RangeSource* ranges = nullptr;
};

Platform& platform();

}  // namespace orvane
