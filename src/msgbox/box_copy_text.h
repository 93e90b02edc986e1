// The text that Ctrl+C puts on the clipboard from a message box.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace orvane {

// The divider line between the parts of the copied text (27 hyphens).
inline constexpr const char* kCopyDivider = "---------------------------\r\n";

// Divider, title, divider; the message and a divider when the box has a
// message control; each button's text without '&' and with three blanks
// after it; a line break and a last divider. Buttons in creation order.
std::string boxCopyText(const std::string& title, const std::optional<std::string>& message,
                        const std::vector<std::string>& buttonTexts);

}  // namespace orvane
