#include "download/file_name.h"

#include "net/text.h"

namespace orvane {

namespace {

// Names that Windows maps to a device in every folder, with or without an
// extension ("con.txt" is the console).
bool isDeviceName(const std::string& name) {
    std::string stem = toLower(name.substr(0, name.find('.')));
    while (!stem.empty() && stem.back() == ' ') stem.pop_back();
    static const char* const kDevices[] = {"con", "prn", "aux", "nul", "conin$", "conout$"};
    for (const char* device : kDevices)
        if (stem == device) return true;
    if (stem.size() == 4 && (startsWith(stem, "com") || startsWith(stem, "lpt")) && stem[3] >= '0' && stem[3] <= '9')
        return true;
    return false;
}

}  // namespace

bool isSafeFileName(const std::string& name) {
    if (name.empty() || name.size() > 255) return false;
    for (unsigned char c : name) {
        if (c < 0x20 || c == 0x7f) return false;
        switch (c) {
        case '\\': case '/': case ':': case '*': case '?': case '"': case '<': case '>': case '|':
            return false;
        default:
            break;
        }
    }
    if (name.find("..") != std::string::npos) return false;
    // Windows drops trailing dots and blanks, so such a name would not be the
    // file that the record and the status refer to (and "." is the folder).
    if (name.back() == '.' || name.back() == ' ') return false;
    return !isDeviceName(name);
}

}  // namespace orvane
