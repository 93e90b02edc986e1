#include "msgbox/message_box_layout.h"

#include <algorithm>
#include <cstring>

namespace orvane {

namespace {

constexpr ButtonSet kSetOk{1, {{kSlotOk, kIdOk}}, false, true};
constexpr ButtonSet kSetYesNoCancel{
    3, {{kSlotYes, kIdYes}, {kSlotNo, kIdNo}, {kSlotCancel, kIdCancel}}, true, false};
constexpr ButtonSet kSetYesNo{2, {{kSlotYes, kIdYes}, {kSlotNo, kIdNo}}, false, false};

std::string cut(const std::string& text, std::size_t maxChars) {
    return text.size() > maxChars ? text.substr(0, maxChars) : text;
}

// Pixels to dialog units. The template's fields are 16-bit: a size beyond
// them is held at the largest one rather than wrapping round to a negative.
std::int16_t toDialogUnits(int pixels, int unitsPerBase, int base) {
    long long units = static_cast<long long>(pixels) * unitsPerBase / std::max(base, 1);
    return static_cast<std::int16_t>(std::clamp<long long>(units, 0, 32767));
}

void convert(BoxItem& item, const BoxMetrics& m) {
    item.x = toDialogUnits(item.pixels.left, 4, m.baseX);
    item.y = toDialogUnits(item.pixels.top, 8, m.baseY);
    item.cx = toDialogUnits(item.pixels.width(), 4, m.baseX);
    item.cy = toDialogUnits(item.pixels.height(), 8, m.baseY);
}

BoxItem makeItem(std::uint16_t id, std::uint16_t classAtom, std::uint32_t style, std::string text,
                 const PixelRect& pixels) {
    BoxItem item;
    item.id = id;
    item.classAtom = classAtom;
    item.style = style;
    item.text = std::move(text);
    item.pixels = pixels;
    return item;
}

}  // namespace

const ButtonSet& buttonSetFor(std::uint32_t style) {
    switch (style & kStyleButtonsMask) {
    case kButtonsYesNoCancel: return kSetYesNoCancel;
    case kButtonsYesNo: return kSetYesNo;
    default: return kSetOk;
    }
}

std::uint32_t iconFor(std::uint32_t style) {
    std::uint32_t bits = style & kStyleIconMask;
    switch (bits) {
    case kIconHand:
    case kIconQuestion:
    case kIconExclamation:
    case kIconInformation: return bits;
    default: return 0;
    }
}

std::array<std::string, kCaptionSlots> buttonCaptions(std::uint32_t style,
                                                      const AppMessageBoxParams& params,
                                                      const StringLoader& loadString) {
    std::array<std::string, kCaptionSlots> captions;
    for (const CaptionEntry& entry : kCaptionTable) captions[entry.slot] = entry.defaultCaption;
    if (params.useCustomCaptions) {
        for (const CaptionEntry& entry : kCaptionTable) {
            // The caller's text need not be terminated within its 260 bytes.
            const char* custom = params.customCaptions[entry.slot];
            const void* end = std::memchr(custom, 0, kCaptionBytes);
            std::size_t length = end ? static_cast<const char*>(end) - custom : kCaptionBytes;
            if (length > 0) captions[entry.slot] = cut(std::string(custom, length), kCaptionSlotChars);
        }
    } else if (!(style & AMB_NO_STRING_TABLE) && loadString) {
        for (const CaptionEntry& entry : kCaptionTable) {
            std::string loaded;
            if (loadString(entry.stringId, loaded)) captions[entry.slot] = cut(loaded, kCaptionSlotChars);
        }
    }
    return captions;
}

AppMessageBoxParams effectiveParams(const AppMessageBoxParams* given, int windowsMajor) {
    AppMessageBoxParams params;
    if (given) params = *given;
    if (windowsMajor >= 6) params.options |= AMB_OPT_NEWER_LOOK;
    return params;
}

int mulDiv(int number, int numerator, int denominator) {
    if (denominator == 0) return -1;
    long long product = static_cast<long long>(number) * numerator;
    bool negative = (product < 0) != (denominator < 0);
    long long a = product < 0 ? -product : product;
    long long d = denominator < 0 ? -static_cast<long long>(denominator) : denominator;
    long long q = (a + d / 2) / d;
    return static_cast<int>(negative ? -q : q);
}

int messageWidthLimit(const BoxMetrics& metrics, bool newerLook, bool withIcon) {
    int limit = newerLook ? metrics.screenWidth / 2 - 10 : metrics.screenWidth / 2 + 80;
    if (withIcon) limit -= metrics.iconWidth + 16;
    return std::max(limit, 1);
}

void layoutBox(const BoxRequest& request, const BoxMetrics& m, const TextMeasurer& measure,
               const StringLoader& loadString, BoxTemplate& box) {
    box.message = cut(request.text, kMaxBoxTextChars);
    box.caption = cut(request.caption, kMaxBoxTextChars);
    const ButtonSet& set = buttonSetFor(request.style);
    box.hasCancel = set.hasCancel;
    box.okAlone = set.okAlone;

    // 1. Button metrics and the look.
    const bool newer = (request.params.options & AMB_OPT_NEWER_LOOK) != 0;
    box.newerLook = newer;
    box.rightButtons = newer || (request.params.options & AMB_OPT_RIGHT_BUTTONS) != 0;
    box.minButtonWidth = mulDiv(38, m.baseX, 4);
    box.buttonHeight = mulDiv(12, m.baseY, 8);
    std::int32_t background = request.params.backgroundColour;
    if (newer) {
        box.minButtonWidth += mulDiv(6, m.baseX, 4);
        box.buttonHeight += mulDiv(1, m.baseY, 8);
        if (background == -1) background = static_cast<std::int32_t>(m.windowColour);
    }
    box.hasBackground = background != -1;
    box.backgroundColour = box.hasBackground ? static_cast<std::uint32_t>(background) : 0;

    // 3. Captions and button widths.
    box.captions = buttonCaptions(request.style, request.params, loadString);
    for (const CaptionEntry& entry : kCaptionTable)
        box.captionWidths[entry.slot] =
            std::max(measure.line(box.captions[entry.slot]).width + 20, box.minButtonWidth);

    // 4 and 5. The message, measured within its width limit.
    box.iconBits = iconFor(request.style);
    const bool withIcon = box.iconBits != 0;
    const TextExtent text = measure.block(box.message, messageWidthLimit(m, newer, withIcon));
    const int lineHeight = measure.line("My").height;

    // 6. Message and dialog rectangles.
    PixelRect msg{16, newer ? 32 : 16, text.width + 28, text.height + (newer ? 61 : 29)};
    int width = text.width + 28 + (newer ? 16 : 0);
    int height = std::max(msg.height() + 16, 70);

    // 7. The icon moves the message to its right.
    box.items.clear();
    box.iconRect = {};
    if (withIcon) {
        const int inset = newer ? 24 : 8;
        msg.left += inset + m.iconWidth;
        msg.right += inset + m.iconWidth;
        width = msg.right + (newer ? 24 : 8);
        box.iconRect = {inset, inset, m.iconWidth + (newer ? 26 : 10), m.iconHeight + (newer ? 26 : 10)};
        if (newer && text.height > lineHeight) {
            const int up = msg.top - inset;
            msg.top -= up;
            msg.bottom -= up;
        }
        box.addItem(makeItem(kIconControlId, kStaticClass, kStaticStyle, "", box.iconRect));
    }

    // 8. The message control.
    box.messageRect = msg;
    box.messageId = box.nextTextId++;
    box.addItem(makeItem(box.messageId, kStaticClass, kMessageStaticStyle, box.message, msg));

    // 9. The button row below message and icon.
    const int below = std::max(msg.bottom, withIcon ? box.iconRect.bottom : 0);
    const int rowTop = below + ((withIcon || box.hasBackground) ? 14 : 5);
    const int rowBottom = rowTop + box.buttonHeight;
    int rowWidth = 6 * (set.count - 1);
    for (int i = 0; i < set.count; ++i) rowWidth += box.captionWidths[set.buttons[i].slot];
    // The box keeps its minimum height of 70 pixels below a short row too.
    height = std::max(height, rowBottom + 12);
    width = std::max(width, rowWidth + 32);

    // 10. The buttons, left to right; the first is the default.
    int x = box.rightButtons ? width - rowWidth - 16 : (width - rowWidth) / 2;
    for (int i = 0; i < set.count; ++i) {
        const BoxButton& button = set.buttons[i];
        const int buttonWidth = box.captionWidths[button.slot];
        box.addItem(makeItem(button.id, kButtonClass, i == 0 ? kDefaultPushButtonStyle : kPushButtonStyle,
                             box.captions[button.slot], {x, rowTop, x + buttonWidth, rowBottom}));
        x += buttonWidth + 6;
    }
    box.defaultButtonId = set.buttons[0].id;
    const int rowRight = x - 6;

    // 11. Margins of 16 round the row, then everything in dialog units.
    width = std::max(width, rowRight + 16);
    height = std::max(height, rowBottom + 16);
    box.widthPx = width;
    box.heightPx = height;
    box.x = 0;
    box.y = 0;
    box.cx = toDialogUnits(width, 4, m.baseX);
    box.cy = toDialogUnits(height, 8, m.baseY);
    for (BoxItem& item : box.items) convert(item, m);
}

}  // namespace orvane
