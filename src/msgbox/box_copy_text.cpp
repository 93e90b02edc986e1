#include "msgbox/box_copy_text.h"

namespace orvane {

std::string boxCopyText(const std::string& title, const std::optional<std::string>& message,
                        const std::vector<std::string>& buttonTexts) {
    std::string text = kCopyDivider;
    text += title;
    text += "\r\n";
    text += kCopyDivider;
    if (message) {
        text += *message;
        text += "\r\n";
        text += kCopyDivider;
    }
    for (const std::string& button : buttonTexts) {
        for (char c : button)
            if (c != '&') text += c;
        text += "   ";
    }
    text += "\r\n";
    text += kCopyDivider;
    return text;
}

}  // namespace orvane
