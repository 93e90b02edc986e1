// One message box from layout to end: its dialog header, its controls and the
// state the dialog procedure keeps, plus the in-memory dialog template that
// the dialog manager builds the window from.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "msgbox/app_message_box_params.h"

namespace orvane {

// Result codes of the buttons (the system message box's ids).
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;

// Control ids inside the box.
inline constexpr std::uint16_t kIconControlId = 1000;
inline constexpr std::uint16_t kFirstTextControlId = 1001;

// Predefined control classes, as atoms in the template.
inline constexpr std::uint16_t kButtonClass = 0x80;
inline constexpr std::uint16_t kStaticClass = 0x82;

// Popup, visible, caption, system menu, centred, modal frame.
inline constexpr std::uint32_t kBoxDialogStyle = 0x90C80880;
// Child, visible, tab stop; the default one adds BS_DEFPUSHBUTTON.
inline constexpr std::uint32_t kPushButtonStyle = 0x50010000;
inline constexpr std::uint32_t kDefaultPushButtonStyle = 0x50010001;
// Child, visible, left-aligned text.
inline constexpr std::uint32_t kStaticStyle = 0x50000000;
// The message is measured without '&' processing, so it is shown without it
// too (SS_NOPREFIX); otherwise "A & B" would lose its ampersand on screen.
inline constexpr std::uint32_t kMessageStaticStyle = kStaticStyle | 0x80;

inline constexpr std::size_t kMaxBoxItems = 20;
inline constexpr std::size_t kMaxBoxTextChars = 65535;  // message and caption
inline constexpr std::size_t kMaxTitleChars = 1023;     // caption in the template

struct PixelRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool operator==(const PixelRect&) const = default;
};

// One control of the box.
class BoxItem {
public:
    BoxItem() = default;
    BoxItem(const BoxItem&) = default;
    BoxItem(BoxItem&&) = default;
    BoxItem& operator=(const BoxItem&) = default;
    BoxItem& operator=(BoxItem&&) = default;
    virtual ~BoxItem();

    std::uint32_t style = 0;
    std::uint32_t exStyle = 0;  // always 0
    std::int16_t x = 0, y = 0, cx = 0, cy = 0;  // dialog units
    std::uint16_t id = 0;
    std::uint16_t classAtom = 0;  // kButtonClass or kStaticClass
    std::string text;
    PixelRect pixels;  // the same rectangle in pixels, as laid out
};

// The whole box. The Win32 side derives from it to add the window, the owner,
// the font, the icon and the background brush, which it frees itself.
class BoxTemplate {
public:
    BoxTemplate() = default;
    BoxTemplate(const BoxTemplate&) = default;
    BoxTemplate& operator=(const BoxTemplate&) = default;
    virtual ~BoxTemplate();

    // Dialog header.
    std::uint32_t style = kBoxDialogStyle;
    std::uint32_t exStyle = 0;
    std::int16_t x = 0, y = 0, cx = 0, cy = 0;  // dialog units
    int widthPx = 0, heightPx = 0;              // client size as laid out

    std::vector<BoxItem> items;  // in creation order, at most kMaxBoxItems
    std::string message;         // cut at kMaxBoxTextChars
    std::string caption;         // cut at kMaxBoxTextChars

    // Button captions and their widths in pixels, indexed by caption slot.
    std::array<std::string, kCaptionSlots> captions;
    std::array<int, kCaptionSlots> captionWidths{};

    int minButtonWidth = 0;  // pixels
    int buttonHeight = 0;    // pixels
    std::uint16_t defaultButtonId = 0;
    std::uint16_t nextTextId = kFirstTextControlId;
    std::uint16_t messageId = 0;
    bool hasCancel = false;
    bool okAlone = false;

    // Look.
    bool newerLook = false;
    bool rightButtons = false;
    bool hasBackground = false;      // a background brush is made for the box
    std::uint32_t backgroundColour = 0;  // RGB, meaningful with hasBackground
    std::uint32_t iconBits = 0;      // 0x10, 0x20, 0x30, 0x40, or 0 for none
    PixelRect messageRect;
    PixelRect iconRect;              // empty without an icon

    int result = -1;
    bool ended = false;

    // Adds a control; false (and nothing added) when the box is full.
    bool addItem(BoxItem item);
    const BoxItem* findItem(std::uint16_t id) const;
    bool isButton(std::uint16_t id) const;

    // What a command from the dialog ends the box with, or nothing when the box
    // stays open. IDCANCEL (Esc or Close) gives IDCANCEL with a Cancel button,
    // IDOK for OK alone, and is ignored otherwise; a button gives its own id.
    std::optional<int> resultForCommand(int id) const;
    // Whether Esc and the title bar's Close may end the box.
    bool closeAllowed() const { return hasCancel || okAlone; }
    void end(int code) {
        result = code;
        ended = true;
    }
};

// Converts 8-bit text of the ANSI code page to UTF-16.
using WideConverter = std::function<std::u16string(const std::string&)>;

// Widens each byte as Latin-1; for tests and for text that is plain ASCII.
std::u16string widenLatin1(const std::string& text);

// The DLGTEMPLATE in memory, as 16-bit words in the order the dialog manager
// reads them (a 32-bit field is its low word, then its high word): header,
// empty menu, default class, caption (cut at kMaxTitleChars), then each item
// on a 4-byte boundary with style, extended style, x, y, cx, cy, id, 0xFFFF
// and the class atom, the text and an empty creation-data count. No font.
std::vector<std::uint16_t> serializeBoxTemplate(const BoxTemplate& box, const WideConverter& widen);

}  // namespace orvane
