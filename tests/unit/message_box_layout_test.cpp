// The message box's layout, captions, answers, template bytes and copied
// text, from given metrics and a fake font (every character 7 pixels wide,
// lines 13 pixels high, '&' not drawn on buttons).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "msgbox/box_copy_text.h"
#include "msgbox/box_template.h"
#include "msgbox/message_box_layout.h"

namespace orvane {
namespace {

constexpr int kCharWidth = 7;
constexpr int kLineHeight = 13;

// Greedy word wrap at the limit, as DrawText does with word break: a word
// wider than the limit keeps a line of its own and widens the extent.
TextExtent wrapText(const std::string& text, int limit) {
    if (text.empty()) return {};
    int widest = 0, lines = 0;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string paragraph = text.substr(start, end - start);
        int lineWidth = 0;
        ++lines;
        std::size_t pos = 0;
        while (pos < paragraph.size()) {
            std::size_t space = paragraph.find(' ', pos);
            if (space == std::string::npos) space = paragraph.size();
            const int wordWidth = static_cast<int>(space - pos) * kCharWidth;
            const int withWord = lineWidth == 0 ? wordWidth : lineWidth + kCharWidth + wordWidth;
            if (lineWidth > 0 && withWord > limit) {
                widest = std::max(widest, lineWidth);
                ++lines;
                lineWidth = wordWidth;
            } else {
                lineWidth = withWord;
            }
            pos = space + 1;
        }
        widest = std::max(widest, lineWidth);
        start = end + 1;
    }
    return {widest, lines * kLineHeight};
}

struct FakeFont {
    std::vector<int> limits;  // the width limit of every message measured
    TextMeasurer measurer() {
        TextMeasurer m;
        m.line = [](const std::string& s) {
            int chars = 0;
            for (char c : s) chars += c != '&';
            return TextExtent{chars * kCharWidth, kLineHeight};
        };
        m.block = [this](const std::string& s, int limit) {
            limits.push_back(limit);
            return wrapText(s, limit);
        };
        return m;
    }
};

BoxMetrics standardMetrics() {
    BoxMetrics m;
    m.baseX = 8;
    m.baseY = 16;
    m.screenWidth = 1280;
    m.iconWidth = 32;
    m.iconHeight = 32;
    m.windowColour = 0xFFFFFF;
    return m;
}

BoxTemplate layOut(const std::string& text, std::uint32_t style, int windowsMajor,
                   const AppMessageBoxParams* params = nullptr, const BoxMetrics& metrics = standardMetrics(),
                   FakeFont* font = nullptr) {
    FakeFont ownFont;
    FakeFont& f = font ? *font : ownFont;
    BoxRequest request;
    request.text = text;
    request.caption = "Caption";
    request.style = style;
    request.params = effectiveParams(params, windowsMajor);
    BoxTemplate box;
    layoutBox(request, metrics, f.measurer(), nullptr, box);
    return box;
}

std::vector<PixelRect> buttonRects(const BoxTemplate& box) {
    std::vector<PixelRect> rects;
    for (const BoxItem& item : box.items)
        if (item.classAtom == kButtonClass) rects.push_back(item.pixels);
    return rects;
}

AppMessageBoxParams couponParams() {
    AppMessageBoxParams params;
    params.useCustomCaptions = 1;
    std::strcpy(params.customCaptions[kSlotYes], "Auto-Lookup (Upgrades Only)");
    std::strcpy(params.customCaptions[kSlotNo], "Enter Manually");
    params.options |= AMB_OPT_NEWER_LOOK;
    return params;
}

// --- Geometry, worked out by hand from the layout rules -------------------

struct GeometryCase {
    const char* name;
    int windowsMajor;  // 5: classic look, 10: newer look
    std::uint32_t style;
    std::string text;
    PixelRect message;
    PixelRect icon;
    std::vector<PixelRect> buttons;
    int width, height;
    int cx, cy;
};

void PrintTo(const GeometryCase& c, std::ostream* os) { *os << c.name; }

class MessageBoxLayoutGeometry : public ::testing::TestWithParam<GeometryCase> {};

TEST_P(MessageBoxLayoutGeometry, PlacesEveryControl) {
    const GeometryCase& c = GetParam();
    const BoxTemplate box = layOut(c.text, c.style, c.windowsMajor);
    EXPECT_EQ(box.messageRect, c.message);
    EXPECT_EQ(box.iconRect, c.icon);
    EXPECT_EQ(buttonRects(box), c.buttons);
    EXPECT_EQ(box.widthPx, c.width);
    EXPECT_EQ(box.heightPx, c.height);
    EXPECT_EQ(box.cx, c.cx);
    EXPECT_EQ(box.cy, c.cy);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MessageBoxLayoutGeometry,
    ::testing::Values(
        // Short text, OK: the row sets the width, 16 pixels each side; the
        // height is row bottom + 16, above the minimum of 70.
        GeometryCase{"ClassicShortOk", 5, 0x00, "Short", {16, 16, 63, 42}, {}, {{16, 47, 92, 71}}, 108, 87, 54, 43},
        // An icon moves the message right by inset 8 + 32 and pushes the row
        // down 14 below the icon; the row is centred.
        GeometryCase{"ClassicIconOk", 5, 0x30, "Hello", {56, 16, 103, 42}, {8, 8, 42, 42},
                     {{17, 56, 93, 80}}, 111, 96, 55, 48},
        // Wide text, classic: the row is centred under it.
        GeometryCase{"ClassicWideYesNo", 5, 0x04, std::string(40, 'w'), {16, 16, 308, 42}, {},
                     {{75, 47, 151, 71}, {157, 47, 233, 71}}, 308, 87, 154, 43},
        // The same text, newer look: bigger buttons, message from 32, band,
        // row 14 below the message and right-aligned 16 from the edge.
        GeometryCase{"NewerWideYesNo", 10, 0x04, std::string(40, 'w'), {16, 32, 308, 74}, {},
                     {{126, 88, 214, 114}, {220, 88, 308, 114}}, 324, 130, 162, 65},
        // Newer look, icon, one line: the message stays at 32, beside the
        // icon at (24, 24).
        GeometryCase{"NewerIconOneLine", 10, 0x40, "Hello", {72, 32, 119, 74}, {24, 24, 58, 58},
                     {{39, 88, 127, 114}}, 143, 130, 71, 65},
        // Newer look, icon, three lines: the message top moves up to the
        // icon's top.
        GeometryCase{"NewerIconThreeLines", 10, 0x40, "aaaa\nbbbbbbbb\ncc", {72, 24, 140, 92},
                     {24, 24, 58, 58}, {{60, 106, 148, 132}}, 164, 148, 82, 74}),
    [](const ::testing::TestParamInfo<GeometryCase>& info) { return std::string(info.param.name); });

TEST(MessageBoxLayout, VeryShortMessageKeepsMinimumHeightAndRowMargins) {
    // Small base units and an empty message: the row alone would end at 62.
    BoxMetrics tiny = standardMetrics();
    tiny.baseX = 4;
    tiny.baseY = 8;
    for (int major : {5, 10}) {
        const BoxTemplate box = layOut("", 0, major, nullptr, tiny);
        EXPECT_GE(box.heightPx, 70) << "windows " << major;
        const std::vector<PixelRect> buttons = buttonRects(box);
        ASSERT_EQ(buttons.size(), 1u);
        EXPECT_EQ(buttons[0].left, 16) << "windows " << major;
        EXPECT_EQ(box.widthPx - buttons[0].right, 16) << "windows " << major;
        EXPECT_GE(box.heightPx - buttons[0].bottom, 16) << "windows " << major;
    }
    EXPECT_EQ(layOut("", 0, 5, nullptr, tiny).heightPx, 70);
}

TEST(MessageBoxLayout, MessageWidthLimitPerLookAndIcon) {
    struct Case {
        int major;
        std::uint32_t style;
        int limit;
    } cases[] = {
        {5, 0x00, 1280 / 2 + 80},
        {5, 0x10, 1280 / 2 + 80 - 48},
        {10, 0x00, 1280 / 2 - 10},
        {10, 0x20, 1280 / 2 - 10 - 48},
        {10, 0x50, 1280 / 2 - 10},  // not an icon the box knows: no icon
    };
    for (const Case& c : cases) {
        FakeFont font;
        layOut("text", c.style, c.major, nullptr, standardMetrics(), &font);
        ASSERT_EQ(font.limits.size(), 1u);
        EXPECT_EQ(font.limits[0], c.limit) << "style " << c.style << " windows " << c.major;
    }
}

TEST(MessageBoxLayout, LongTextWrapsWithinTheLimit) {
    std::string text;
    for (int i = 0; i < 60; ++i) text += "word ";
    const BoxTemplate box = layOut(text, 0x30, 10);
    const int limit = 1280 / 2 - 10 - 48;
    EXPECT_LE(box.messageRect.width() - 12, limit);
    EXPECT_GT(box.messageRect.height(), 3 * kLineHeight);
    EXPECT_EQ(box.messageRect.top, 24);  // several lines: aligned with the icon
}

TEST(MessageBoxLayout, ButtonMetricsOfBothLooks) {
    struct Case {
        int baseX, baseY, major;
        int minWidth, height;
    } cases[] = {
        {8, 16, 5, 76, 24},
        {8, 16, 10, 88, 26},
        {7, 15, 5, 67, 23},   // 66.5 and 22.5 round up
        {7, 15, 10, 78, 25},  // + 10.5 -> 11 and + 1.875 -> 2
    };
    for (const Case& c : cases) {
        BoxMetrics m = standardMetrics();
        m.baseX = c.baseX;
        m.baseY = c.baseY;
        const BoxTemplate box = layOut("x", 0, c.major, nullptr, m);
        EXPECT_EQ(box.minButtonWidth, c.minWidth) << c.baseX << "x" << c.baseY << " windows " << c.major;
        EXPECT_EQ(box.buttonHeight, c.height) << c.baseX << "x" << c.baseY << " windows " << c.major;
        EXPECT_EQ(buttonRects(box)[0].height(), c.height);
    }
}

TEST(MessageBoxLayout, LookDecidesBackgroundAndButtonSide) {
    AppMessageBoxParams purple;
    purple.backgroundColour = 0x00800080;
    AppMessageBoxParams right;
    right.options = AMB_OPT_RIGHT_BUTTONS;
    struct Case {
        const char* name;
        int major;
        const AppMessageBoxParams* params;
        bool background;
        std::uint32_t colour;
        bool rightButtons;
    } cases[] = {
        {"classic", 5, nullptr, false, 0, false},
        {"classic coloured", 5, &purple, true, 0x00800080, false},
        {"classic right", 5, &right, false, 0, true},
        {"newer", 10, nullptr, true, 0xFFFFFF, true},
        {"newer coloured", 10, &purple, true, 0x00800080, true},
    };
    for (const Case& c : cases) {
        const BoxTemplate box = layOut(std::string(40, 'w'), 0x04, c.major, c.params);
        EXPECT_EQ(box.hasBackground, c.background) << c.name;
        if (c.background) EXPECT_EQ(box.backgroundColour, c.colour) << c.name;
        EXPECT_EQ(box.rightButtons, c.rightButtons) << c.name;
        const std::vector<PixelRect> buttons = buttonRects(box);
        if (c.rightButtons)
            EXPECT_EQ(box.widthPx - buttons.back().right, 16) << c.name;
        else
            EXPECT_EQ(buttons.front().left, (box.widthPx - (buttons.back().right - buttons.front().left)) / 2) << c.name;
        // A band (or an icon) puts the row 14 below the message, else 5.
        EXPECT_EQ(buttons.front().top, box.messageRect.bottom + (c.background ? 14 : 5)) << c.name;
    }
}

TEST(MessageBoxLayout, CustomCaptionsWidenTheirButtons) {
    const AppMessageBoxParams params = couponParams();
    const BoxTemplate box = layOut("Would you like us to auto-lookup?", 0x20000023, 10, &params);
    const std::vector<PixelRect> buttons = buttonRects(box);
    ASSERT_EQ(buttons.size(), 3u);
    EXPECT_EQ(buttons[0].width(), 27 * kCharWidth + 20);  // "Auto-Lookup (Upgrades Only)"
    EXPECT_EQ(buttons[1].width(), 14 * kCharWidth + 20);  // "Enter Manually"
    EXPECT_EQ(buttons[2].width(), 88);                    // "Cancel" keeps the minimum
    EXPECT_EQ(buttons[1].left, buttons[0].right + 6);
    EXPECT_EQ(buttons[2].left, buttons[1].right + 6);
    EXPECT_EQ(box.widthPx - buttons[2].right, 16);
    EXPECT_GE(buttons[0].left, 16);
    const BoxItem* yes = box.findItem(kIdYes);
    ASSERT_NE(yes, nullptr);
    EXPECT_EQ(yes->text, "Auto-Lookup (Upgrades Only)");
    EXPECT_EQ(box.findItem(kIdCancel)->text, "Cancel");
}

TEST(MessageBoxLayout, ItemsIdsStylesAndOrder) {
    const BoxTemplate box = layOut("Question?", 0x23, 10);
    struct Expected {
        std::uint16_t id, classAtom;
        std::uint32_t style;
        const char* text;
    } expected[] = {
        {1000, kStaticClass, 0x50000000, ""},
        {1001, kStaticClass, kMessageStaticStyle, "Question?"},
        {6, kButtonClass, 0x50010001, "&Yes"},
        {7, kButtonClass, 0x50010000, "&No"},
        {2, kButtonClass, 0x50010000, "Cancel"},
    };
    ASSERT_EQ(box.items.size(), std::size(expected));
    for (std::size_t i = 0; i < box.items.size(); ++i) {
        EXPECT_EQ(box.items[i].id, expected[i].id) << i;
        EXPECT_EQ(box.items[i].classAtom, expected[i].classAtom) << i;
        EXPECT_EQ(box.items[i].style, expected[i].style) << i;
        EXPECT_EQ(box.items[i].exStyle, 0u) << i;
        EXPECT_EQ(box.items[i].text, expected[i].text) << i;
    }
    EXPECT_EQ(box.style, 0x90C80880u);
    EXPECT_EQ(box.defaultButtonId, kIdYes);
    EXPECT_EQ(box.messageId, 1001);
    EXPECT_EQ(box.nextTextId, 1002);
    EXPECT_EQ(box.caption, "Caption");
}

TEST(MessageBoxLayout, ControlsConvertToDialogUnits) {
    BoxMetrics m = standardMetrics();
    m.baseX = 7;
    m.baseY = 15;
    const BoxTemplate box = layOut("Some text here", 0x34, 10, nullptr, m);
    for (const BoxItem& item : box.items) {
        EXPECT_EQ(item.x, item.pixels.left * 4 / 7) << item.id;
        EXPECT_EQ(item.y, item.pixels.top * 8 / 15) << item.id;
        EXPECT_EQ(item.cx, item.pixels.width() * 4 / 7) << item.id;
        EXPECT_EQ(item.cy, item.pixels.height() * 8 / 15) << item.id;
    }
    EXPECT_EQ(box.cx, box.widthPx * 4 / 7);
    EXPECT_EQ(box.cy, box.heightPx * 8 / 15);
}

TEST(MessageBoxLayout, HugeTextIsHeldAtTheLargestDialogUnits) {
    TextMeasurer huge;
    huge.line = [](const std::string&) { return TextExtent{10, kLineHeight}; };
    huge.block = [](const std::string&, int) { return TextExtent{200000, 900000}; };
    BoxRequest request;
    request.text = "x";
    request.params = effectiveParams(nullptr, 10);
    BoxTemplate box;
    layoutBox(request, standardMetrics(), huge, nullptr, box);
    EXPECT_EQ(box.cx, 32767);
    EXPECT_EQ(box.cy, 32767);
    for (const BoxItem& item : box.items) {
        EXPECT_GE(item.x, 0);
        EXPECT_GE(item.y, 0);
        EXPECT_GE(item.cx, 0);
        EXPECT_GE(item.cy, 0);
    }
}

TEST(MessageBoxLayout, TextsAreCutAt65535Characters) {
    const BoxTemplate box = layOut(std::string(70000, 'a'), 0, 10);
    EXPECT_EQ(box.message.size(), 65535u);
    EXPECT_EQ(box.findItem(1001)->text.size(), 65535u);
}

TEST(MessageBoxLayout, MulDivRoundsHalvesAwayFromZero) {
    struct Case {
        int a, b, c, result;
    } cases[] = {{38, 8, 4, 76}, {38, 7, 4, 67}, {12, 15, 8, 23}, {1, 15, 8, 2}, {1, 12, 8, 2},
                 {1, 11, 8, 1},  {-5, 3, 2, -8}, {7, 1, 0, -1}};
    for (const Case& c : cases) EXPECT_EQ(mulDiv(c.a, c.b, c.c), c.result) << c.a << "*" << c.b << "/" << c.c;
}

// --- Captions, parameters and answers --------------------------------------

TEST(MessageBoxCaptions, DefaultsStringTableAndCustom) {
    const StringLoader table = [](int id, std::string& text) {
        if (id == 9007) text = "&Ja";
        else if (id == 9008) text = "&Nein";
        else return false;  // no string: the default stays
        return true;
    };
    AppMessageBoxParams defaults;
    AppMessageBoxParams custom = couponParams();
    struct Case {
        const char* name;
        std::uint32_t style;
        const AppMessageBoxParams* params;
        const char *yes, *no, *cancel, *ok;
    } cases[] = {
        {"string table", 0x03, &defaults, "&Ja", "&Nein", "Cancel", "OK"},
        {"no string table", 0x20000003, &defaults, "&Yes", "&No", "Cancel", "OK"},
        {"custom", 0x20000023, &custom, "Auto-Lookup (Upgrades Only)", "Enter Manually", "Cancel", "OK"},
        {"custom wins over the table", 0x03, &custom, "Auto-Lookup (Upgrades Only)", "Enter Manually", "Cancel",
         "OK"},
    };
    for (const Case& c : cases) {
        const auto captions = buttonCaptions(c.style, *c.params, table);
        EXPECT_EQ(captions[kSlotYes], c.yes) << c.name;
        EXPECT_EQ(captions[kSlotNo], c.no) << c.name;
        EXPECT_EQ(captions[kSlotCancel], c.cancel) << c.name;
        EXPECT_EQ(captions[kSlotOk], c.ok) << c.name;
    }
}

TEST(MessageBoxCaptions, UnterminatedCustomCaptionIsCutToItsSlot) {
    AppMessageBoxParams params;
    params.useCustomCaptions = 1;
    std::memset(params.customCaptions[kSlotYes], 'x', kCaptionBytes);  // no terminator at all
    std::memset(params.customCaptions[kSlotYes + 1], 'y', kCaptionBytes - 1);
    std::strcpy(params.customCaptions[kSlotNo], std::string(150, 'n').c_str());
    const auto captions = buttonCaptions(0x20000004, params, nullptr);
    EXPECT_EQ(captions[kSlotYes], std::string(99, 'x'));
    EXPECT_EQ(captions[kSlotNo], std::string(99, 'n'));
}

TEST(MessageBoxCaptions, EffectiveParamsCopyTheCallersAndAddTheNewerLook) {
    EXPECT_EQ(effectiveParams(nullptr, 5).options, 0u);
    EXPECT_EQ(effectiveParams(nullptr, 5).backgroundColour, -1);
    EXPECT_EQ(effectiveParams(nullptr, 6).options, AMB_OPT_NEWER_LOOK);
    AppMessageBoxParams given;
    given.options = AMB_OPT_RIGHT_BUTTONS;
    given.backgroundColour = 0x123456;
    given.useCustomCaptions = 1;
    std::strcpy(given.customCaptions[kSlotOk], "Fine");
    const AppMessageBoxParams p = effectiveParams(&given, 10);
    EXPECT_EQ(p.options, AMB_OPT_RIGHT_BUTTONS | AMB_OPT_NEWER_LOOK);
    EXPECT_EQ(p.backgroundColour, 0x123456);
    EXPECT_EQ(p.useCustomCaptions, 1);
    EXPECT_STREQ(p.customCaptions[kSlotOk], "Fine");
    EXPECT_EQ(effectiveParams(&given, 5).options, AMB_OPT_RIGHT_BUTTONS);
}

TEST(MessageBoxAnswers, EscCloseAndButtonsPerSet) {
    const std::optional<int> stays;
    struct Case {
        std::uint32_t style;
        int command;
        std::optional<int> result;
        bool closeAllowed;
    } cases[] = {
        {0x00, kIdCancel, kIdOk, true},             // OK alone: Esc answers OK
        {0x00, kIdOk, kIdOk, true},
        {0x03, kIdCancel, kIdCancel, true},         // Yes/No/Cancel: Esc is Cancel
        {0x03, kIdYes, kIdYes, true},
        {0x03, kIdNo, kIdNo, true},
        {0x04, kIdCancel, stays, false},            // Yes/No: Esc and Close do nothing
        {0x04, kIdYes, kIdYes, false},
        {0x04, kIdNo, kIdNo, false},
        {0x04, kIdOk, stays, false},                // not a button of the set
        {0x04, 1001, stays, false},                 // the message control
        {0x01, kIdCancel, kIdOk, true},             // unknown set: OK alone
    };
    for (const Case& c : cases) {
        const BoxTemplate box = layOut("text", c.style, 10);
        EXPECT_EQ(box.resultForCommand(c.command), c.result) << "style " << c.style << " command " << c.command;
        EXPECT_EQ(box.closeAllowed(), c.closeAllowed) << "style " << c.style;
    }
}

TEST(MessageBoxAnswers, IconBitsAndButtonSets) {
    EXPECT_EQ(iconFor(0x20000023), kIconQuestion);
    EXPECT_EQ(iconFor(0x30), kIconExclamation);
    EXPECT_EQ(iconFor(0x10), kIconHand);
    EXPECT_EQ(iconFor(0x40), kIconInformation);
    EXPECT_EQ(iconFor(0x04), 0u);
    EXPECT_EQ(iconFor(0x70), 0u);
    const ButtonSet& yesNoCancel = buttonSetFor(0x20000023);
    ASSERT_EQ(yesNoCancel.count, 3);
    EXPECT_EQ(yesNoCancel.buttons[0].id, kIdYes);
    EXPECT_EQ(yesNoCancel.buttons[1].id, kIdNo);
    EXPECT_EQ(yesNoCancel.buttons[2].id, kIdCancel);
}

// --- Template bytes ---------------------------------------------------------

// Reads a DLGTEMPLATE back from its words, independently of the writer.
struct TemplateReader {
    const std::vector<std::uint16_t>& w;
    std::size_t at = 0;
    std::uint16_t u16() { return w.at(at++); }
    std::uint32_t u32() {
        std::uint32_t low = u16();
        return low | (static_cast<std::uint32_t>(u16()) << 16);
    }
    std::u16string text() {
        std::u16string s;
        while (std::uint16_t c = u16()) s.push_back(static_cast<char16_t>(c));
        return s;
    }
};

TEST(MessageBoxTemplate, BytesReadBackAsTheLayout) {
    const BoxTemplate box = layOut("Are you sure?", 0x24, 10);
    const std::vector<std::uint16_t> words = serializeBoxTemplate(box, widenLatin1);
    TemplateReader r{words};
    EXPECT_EQ(r.u32(), 0x90C80880u);
    EXPECT_EQ(r.u32(), 0u);
    EXPECT_EQ(r.u16(), 4);  // icon, message, Yes, No
    EXPECT_EQ(r.u16(), 0);
    EXPECT_EQ(r.u16(), 0);
    EXPECT_EQ(static_cast<std::int16_t>(r.u16()), box.cx);
    EXPECT_EQ(static_cast<std::int16_t>(r.u16()), box.cy);
    EXPECT_EQ(r.u16(), 0);  // menu
    EXPECT_EQ(r.u16(), 0);  // class
    EXPECT_EQ(r.text(), u"Caption");
    for (const BoxItem& item : box.items) {
        if (r.at % 2) EXPECT_EQ(r.u16(), 0) << "padding before item " << item.id;
        EXPECT_EQ(r.at % 2, 0u) << "item " << item.id << " on a 4-byte boundary";
        EXPECT_EQ(r.u32(), item.style);
        EXPECT_EQ(r.u32(), 0u);
        EXPECT_EQ(static_cast<std::int16_t>(r.u16()), item.x);
        EXPECT_EQ(static_cast<std::int16_t>(r.u16()), item.y);
        EXPECT_EQ(static_cast<std::int16_t>(r.u16()), item.cx);
        EXPECT_EQ(static_cast<std::int16_t>(r.u16()), item.cy);
        EXPECT_EQ(r.u16(), item.id);
        EXPECT_EQ(r.u16(), 0xFFFF);
        EXPECT_EQ(r.u16(), item.classAtom);
        EXPECT_EQ(r.text(), widenLatin1(item.text));
        EXPECT_EQ(r.u16(), 0) << "creation data of item " << item.id;
    }
    EXPECT_EQ(r.at, words.size());
}

TEST(MessageBoxTemplate, CaptionIsCutAndTextsGoThroughTheConverter) {
    BoxTemplate box = layOut("caf\xe9", 0, 10);
    box.caption = std::string(2000, 'c');
    int calls = 0;
    const WideConverter upper = [&calls](const std::string& s) {
        ++calls;
        std::u16string wide = widenLatin1(s);
        for (char16_t& c : wide)
            if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
        return wide;
    };
    const std::vector<std::uint16_t> words = serializeBoxTemplate(box, upper);
    TemplateReader r{words};
    r.at = 11;  // after the header, the menu and the class
    EXPECT_EQ(r.text(), std::u16string(1023, u'C'));
    EXPECT_EQ(calls, 1 + static_cast<int>(box.items.size()));
    const std::u16string all(words.begin(), words.end());
    EXPECT_NE(all.find(u"CAF\u00e9"), std::u16string::npos);
}

// --- Copied text ------------------------------------------------------------

TEST(MessageBoxCopyText, TwoButtonBox) {
    EXPECT_EQ(boxCopyText("Logout Confirmation", std::string("Are you sure?"), {"&Yes", "&No"}),
              "---------------------------\r\n"
              "Logout Confirmation\r\n"
              "---------------------------\r\n"
              "Are you sure?\r\n"
              "---------------------------\r\n"
              "Yes   No   \r\n"
              "---------------------------\r\n");
}

TEST(MessageBoxCopyText, WithoutMessageControlAndEveryAmpersandDropped) {
    EXPECT_EQ(boxCopyText("T", std::nullopt, {"R&&D", "OK"}),
              "---------------------------\r\nT\r\n---------------------------\r\n"
              "RD   OK   \r\n---------------------------\r\n");
}

}  // namespace
}  // namespace orvane
