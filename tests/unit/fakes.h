// Fakes for every port, and a fixture that installs them on a fresh AgentState.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "app/agent_state.h"
#include "app/picture.h"
#include "app/platform.h"
#include "msgbox/app_message_box_params.h"

namespace orvane::test {

// Scripted replies by URL path (the part after the host); records every request.
class FakeTransport : public Transport {
public:
    struct Request {
        bool secure;
        std::string url;
        std::string body;
    };
    std::vector<Request> requests;
    // Replies handed out in order for a path; when none is queued the
    // standing reply (or an empty one) is given.
    std::map<std::string, std::deque<std::string>> queued;
    std::map<std::string, std::string> standing;
    std::function<std::string(const Request&)> responder;  // takes precedence when set

    void reply(const std::string& path, const std::string& text) { standing[path] = text; }
    void replyOnce(const std::string& path, const std::string& text) { queued[path].push_back(text); }

    static std::string pathOf(const std::string& url);
    int exchange(bool secure, const std::string& url, const std::string& body, std::string& out) override;

    int count(const std::string& path) const;
    std::vector<Request> to(const std::string& path) const;
};

class FakeSettings : public Settings {
public:
    std::map<std::string, std::string> values;
    bool keyExists = true;   // false: as on a first start, until a write creates it
    bool writable = true;    // false: every write fails with -1

    int write(const std::string& name, const std::string& text) override;
    int read(const std::string& name, std::string& value) override;
    bool remove(const std::string& name) override;
};

class FakeClock : public Clock {
public:
    std::uint64_t now = 1000;
    LocalTime time;
    char separator = '.';
    std::uint64_t step = 0;  // added after every reading, to make time pass
    std::uint64_t ticksMs() override {
        std::uint64_t t = now;
        now += step;
        return t;
    }
    LocalTime localTime() override { return time; }
    char decimalSeparator() override { return separator; }
};

class FakeFiles : public Files {
public:
    std::map<std::string, std::string> files;
    std::set<std::string> folders;
    std::set<std::string> locked;  // cannot be removed or opened

    bool exists(const std::string& path) override { return files.count(path) > 0; }
    std::int64_t size(const std::string& path) override;
    bool remove(const std::string& path) override;
    bool createFolder(const std::string& path) override;
    bool readText(const std::string& path, std::string& text) override;
    bool writeText(const std::string& path, const std::string& text) override;
    std::unique_ptr<OutFile> openForAppend(const std::string& path) override;
};

// Records what the logic does to windows; answers prompts from scripts.
class FakeUi : public Ui {
public:
    struct Control {
        std::string text;
        bool enabled = true;
        bool visible = true;
        bool checked = false;
        std::vector<std::string> items;  // combo entries
        int selectedItem = -1;
        std::vector<std::vector<std::string>> rows;  // list view rows
        std::vector<std::pair<std::string, int>> columns;
        unsigned extendedStyle = 0;
        int selectedRow = -1;
        int progressLow = 0, progressHigh = 100, progressStep = 1, progressPos = 0;
    };
    struct Box {
        Window owner;
        std::string text;
        std::string caption;  // "<null>" when none was given
        unsigned style;
        bool withParams;
    };
    struct DialogRun {
        int templateId;
        Window owner;
    };

    std::map<std::pair<Window, int>, Control> controls;
    std::map<Window, std::string> titles;
    std::vector<Box> boxes;
    std::deque<int> boxAnswers;  // answers in order; IDOK (1) when none is left
    std::vector<DialogRun> dialogs;
    // Plays the user's part in a modal dialog; returns the dialog's result
    // unless the logic ended it (then that result is returned).
    std::map<int, std::function<int(Window dialog, DialogLogic& logic)>> dialogScripts;
    std::vector<std::pair<Window, std::string>> opened;  // shell opens
    int shellResult = 42;
    std::map<std::string, int> shellResults;  // per target, overrides shellResult
    std::deque<std::string> folderAnswers;    // empty text: browser cancelled
    std::string appData = "C:\\Users\\demo\\AppData\\Roaming";
    std::vector<int> quits;
    std::map<int, unsigned> timers;  // running timers of the main window
    std::vector<std::string> picturesLoaded;
    std::vector<std::pair<int, int>> focusCalls;
    std::map<Window, int> endedDialogs;
    std::map<std::pair<Window, int>, int> enterButtons;
    // Called for every change of a list row's selected state, like the list
    // view's item-changed notification.
    std::function<void(Window, int)> onListItemChanged;

    Control& at(Window w, int id) { return controls[{w, id}]; }
    const std::string& text(Window w, int id) { return at(w, id).text; }
    bool enabled(Window w, int id) { return at(w, id).enabled; }
    bool visible(Window w, int id) { return at(w, id).visible; }
    int boxCount(const std::string& text) const;

    void setText(Window w, int id, const std::string& text) override { at(w, id).text = text; }
    std::string getText(Window w, int id, int maxChars) override;
    void setTitle(Window w, const std::string& text) override { titles[w] = text; }
    void enable(Window w, int id, bool on) override { at(w, id).enabled = on; }
    void show(Window w, int id, bool on) override { at(w, id).visible = on; }
    void check(Window w, int id, bool on) override { at(w, id).checked = on; }
    bool isChecked(Window w, int id) override { return at(w, id).checked; }
    void focus(Window w, int id) override { focusCalls.push_back({static_cast<int>(w), id}); }

    void comboClear(Window w, int id) override;
    void comboAdd(Window w, int id, const std::string& text) override { at(w, id).items.push_back(text); }
    int comboCount(Window w, int id) override { return static_cast<int>(at(w, id).items.size()); }
    std::string comboItem(Window w, int id, int index) override;
    void comboSelect(Window w, int id, int index) override;
    int comboSelected(Window w, int id) override { return at(w, id).selectedItem; }

    void listSetExtendedStyle(Window w, int id, unsigned style) override { at(w, id).extendedStyle = style; }
    void listAddColumn(Window w, int id, const std::string& title, int width) override {
        at(w, id).columns.push_back({title, width});
    }
    void listClear(Window w, int id) override;
    void listAppend(Window w, int id, const std::vector<std::string>& texts) override {
        at(w, id).rows.push_back(texts);
    }
    int listCount(Window w, int id) override { return static_cast<int>(at(w, id).rows.size()); }
    void listSelect(Window w, int id, int row) override;
    int listSelected(Window w, int id) override { return at(w, id).selectedRow; }
    std::string listText(Window w, int id, int row, int column, int maxChars) override;

    void progressRange(Window w, int id, int low, int high, int step) override;
    void progressPos(Window w, int id, int pos) override { at(w, id).progressPos = pos; }

    void setTimer(Window, int id, unsigned ms) override { timers[id] = ms; }
    void killTimer(Window, int id) override { timers.erase(id); }

    int messageBox(Window owner, const char* text, const char* caption, unsigned style,
                   const AppMessageBoxParams* params) override;
    int runDialog(int templateId, Window owner, DialogLogic& logic) override;
    void endDialog(Window dialog, int result) override { endedDialogs[dialog] = result; }
    Window parentOf(Window w) override { return parents.count(w) ? parents[w] : 0; }
    Window desktop() override { return kDesktop; }
    void centerOver(Window, Window) override {}
    void enterPresses(Window dialog, int editId, int buttonId) override { enterButtons[{dialog, editId}] = buttonId; }

    int shellOpen(Window owner, const std::string& target) override;
    bool browseFolder(Window owner, const std::string& title, std::string& path) override;
    std::string appDataFolder() override { return appData; }
    std::string formatByteSize(std::int64_t bytes) override;
    void postQuit(int code) override { quits.push_back(code); }

    void loadPicture(const std::string& bytes, Window owner, PictureRecord& picture) override;
    std::vector<std::pair<Window, int>> picturesDrawn;  // (window, control) of every drawing
    void drawPicture(const PictureRecord&, Window w, int id) override { picturesDrawn.push_back({w, id}); }

    static constexpr Window kDesktop = 1;
    static constexpr Window kMain = 100;
    Window nextDialog = 500;
    std::map<Window, Window> parents;
};

// The short size text of the Windows shell ("1.50 MB", "200 KB", "100 bytes").
std::string shellByteSize(std::int64_t bytes);

// Installs fresh fakes and a reset AgentState for each test.
class AgentTest : public ::testing::Test {
protected:
    FakeTransport transport;
    FakeSettings settings;
    FakeClock clock;
    FakeFiles files;
    FakeUi ui;
    void SetUp() override;
    void TearDown() override;
    // The store identity and vendor login of a started store.
    void makeStoreReady();
    // A fresh start for the next case of a table: new fakes and state.
    void restart() {
        transport = FakeTransport{};
        settings = FakeSettings{};
        files = FakeFiles{};
        ui = FakeUi{};
        SetUp();
    }
};

}  // namespace orvane::test
