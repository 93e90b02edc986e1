// The Ui port on real windows.
#pragma once

#include "app/platform.h"

namespace orvane {

class Win32Ui : public Ui {
public:
    void setText(Window w, int id, const std::string& text) override;
    std::string getText(Window w, int id, int maxChars) override;
    void setTitle(Window w, const std::string& text) override;
    void enable(Window w, int id, bool on) override;
    void show(Window w, int id, bool visible) override;
    void check(Window w, int id, bool on) override;
    bool isChecked(Window w, int id) override;
    void focus(Window w, int id) override;

    void comboClear(Window w, int id) override;
    void comboAdd(Window w, int id, const std::string& text) override;
    int comboCount(Window w, int id) override;
    std::string comboItem(Window w, int id, int index) override;
    void comboSelect(Window w, int id, int index) override;
    int comboSelected(Window w, int id) override;

    void listSetExtendedStyle(Window w, int id, unsigned style) override;
    void listAddColumn(Window w, int id, const std::string& title, int width) override;
    void listClear(Window w, int id) override;
    void listAppend(Window w, int id, const std::vector<std::string>& texts) override;
    int listCount(Window w, int id) override;
    void listSelect(Window w, int id, int row) override;
    int listSelected(Window w, int id) override;
    std::string listText(Window w, int id, int row, int column, int maxChars) override;

    void progressRange(Window w, int id, int low, int high, int step) override;
    void progressPos(Window w, int id, int pos) override;

    void setTimer(Window w, int id, unsigned ms) override;
    void killTimer(Window w, int id) override;

    int messageBox(Window owner, const char* text, const char* caption, unsigned style,
                   const AppMessageBoxParams* params) override;
    int runDialog(int templateId, Window owner, DialogLogic& logic) override;
    void endDialog(Window dialog, int result) override;
    Window parentOf(Window w) override;
    Window desktop() override;
    void centerOver(Window w, Window over) override;
    void enterPresses(Window dialog, int editId, int buttonId) override;

    int shellOpen(Window owner, const std::string& target) override;
    bool browseFolder(Window owner, const std::string& title, std::string& path) override;
    std::string appDataFolder() override;
    std::string formatByteSize(std::int64_t bytes) override;
    void postQuit(int code) override;

    void loadPicture(const std::string& bytes, Window owner, PictureRecord& picture) override;
    void drawPicture(const PictureRecord& picture, Window w, int id) override;
};

}  // namespace orvane
