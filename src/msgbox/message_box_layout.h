// Layout of the program's message box: which buttons and captions it shows,
// and where every control goes, computed from the screen's metrics and from
// text extents that the caller measures with the box's font.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "msgbox/app_message_box_params.h"
#include "msgbox/box_template.h"

namespace orvane {

// Parts of the style word.
inline constexpr std::uint32_t kStyleButtonsMask = 0x0000000F;
inline constexpr std::uint32_t kStyleIconMask = 0x000000F0;
inline constexpr std::uint32_t kButtonsOk = 0;
inline constexpr std::uint32_t kButtonsYesNoCancel = 3;
inline constexpr std::uint32_t kButtonsYesNo = 4;
inline constexpr std::uint32_t kIconHand = 0x10;
inline constexpr std::uint32_t kIconQuestion = 0x20;
inline constexpr std::uint32_t kIconExclamation = 0x30;
inline constexpr std::uint32_t kIconInformation = 0x40;

// Caption slots: the index of a button's caption in the params and the box.
inline constexpr int kSlotCancel = 1;
inline constexpr int kSlotNo = 9;
inline constexpr int kSlotOk = 11;
inline constexpr int kSlotYes = 17;
// A caption slot holds 100 bytes: at most 99 characters.
inline constexpr std::size_t kCaptionSlotChars = 99;

struct CaptionEntry {
    int slot;
    int stringId;
    const char* defaultCaption;
};
inline constexpr CaptionEntry kCaptionTable[] = {
    {kSlotCancel, 9002, "Cancel"},
    {kSlotNo, 9008, "&No"},
    {kSlotOk, 9001, "OK"},
    {kSlotYes, 9007, "&Yes"},
};

struct BoxButton {
    int slot;
    std::uint16_t id;
};
struct ButtonSet {
    int count;
    BoxButton buttons[3];
    bool hasCancel;
    bool okAlone;
};
// The buttons of the style's set. A set the box does not know shows OK alone,
// so that the box can always be answered.
const ButtonSet& buttonSetFor(std::uint32_t style);

// The stock icon of the style (kIconHand ... kIconInformation), or 0.
std::uint32_t iconFor(std::uint32_t style);

// Looks a caption up in the string table: true and the text when found.
using StringLoader = std::function<bool(int stringId, std::string& text)>;

// The button captions by slot: the defaults, then the caller's non-empty custom
// captions (read within their 260 bytes, cut to the slot's 99 characters), or
// the string table's texts unless the style has AMB_NO_STRING_TABLE.
std::array<std::string, kCaptionSlots> buttonCaptions(std::uint32_t style,
                                                      const AppMessageBoxParams& params,
                                                      const StringLoader& loadString);

// The caller's params over the defaults; from Windows 6 on, the newer look.
AppMessageBoxParams effectiveParams(const AppMessageBoxParams* given, int windowsMajor);

// What the box is laid out from.
struct BoxMetrics {
    int baseX = 8;  // dialog base units (GetDialogBaseUnits)
    int baseY = 16;
    int screenWidth = 1024;  // SM_CXSCREEN
    int iconWidth = 32;      // SM_CXICON, SM_CYICON
    int iconHeight = 32;
    std::uint32_t windowColour = 0xFFFFFF;  // COLOR_WINDOW as RGB: the newer look's band
};

struct TextExtent {
    int width = 0;
    int height = 0;
};

// Measures text in the box's message font.
struct TextMeasurer {
    // One line as a button shows it ('&' marks the access key).
    std::function<TextExtent(const std::string&)> line;
    // A message word-wrapped in a limit x limit rectangle, tabs expanded, '&' literal.
    std::function<TextExtent(const std::string&, int limit)> block;
};

struct BoxRequest {
    std::string text;
    std::string caption;  // already "Error" when the caller gave none
    std::uint32_t style = 0;
    AppMessageBoxParams params;  // as effectiveParams gives them
};

// The system's MulDiv for the small positive values of the layout: the
// product divided and rounded to nearest, halves away from zero.
int mulDiv(int number, int numerator, int denominator);

// The width limit of the message, in pixels.
int messageWidthLimit(const BoxMetrics& metrics, bool newerLook, bool withIcon);

// Lays the box out: captions, metrics, message, icon, button row, and the
// conversion of every size to dialog units. Fills box (items, header, look).
void layoutBox(const BoxRequest& request, const BoxMetrics& metrics, const TextMeasurer& measure,
               const StringLoader& loadString, BoxTemplate& box);

}  // namespace orvane
