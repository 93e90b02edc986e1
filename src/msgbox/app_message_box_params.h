// Options of the program's message box: its look and custom button captions.
#pragma once

#include <cstdint>

namespace orvane {

// Style bit: button captions are not looked up in the string table.
inline constexpr std::uint32_t AMB_NO_STRING_TABLE = 0x20000000;
// Options.
inline constexpr std::uint32_t AMB_OPT_RIGHT_BUTTONS = 1;
inline constexpr std::uint32_t AMB_OPT_NEWER_LOOK = 2;

inline constexpr int kCaptionSlots = 19;
inline constexpr int kCaptionBytes = 260;

struct AppMessageBoxParams {
    std::uint32_t options = 0;
    std::int32_t backgroundColour = -1;  // an RGB value, or -1 for the system colour
    std::int32_t useCustomCaptions = 0;
    char customCaptions[kCaptionSlots][kCaptionBytes] = {};  // indexed by caption slot
};

}  // namespace orvane
