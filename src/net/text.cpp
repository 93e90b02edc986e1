#include "net/text.h"

#include <cinttypes>
#include <cstdio>
#include <cstdlib>

namespace orvane {

void splitFields(const std::string& text, char delimiter, std::vector<std::string>& fields) {
    std::size_t start = 0;
    for (;;) {
        std::size_t p = text.find(delimiter, start);
        if (p == std::string::npos) break;
        fields.emplace_back(text, start, p - start);
        start = p + 1;
    }
    fields.emplace_back(text, start);
}

std::vector<std::string> splitFields(const std::string& text, char delimiter) {
    std::vector<std::string> fields;
    splitFields(text, delimiter, fields);
    return fields;
}

std::string formEncode(const std::string& text) {
    static const char hex[] = "0123456789abcdef";
    std::string out;
    out.reserve(text.size() * 3);
    for (unsigned char c : text) {
        bool alnum = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (alnum || c == '-' || c == '_' || c == '.' || c == '!' || c == '~' || c == '*' || c == '\'' ||
            c == '(' || c == ')') {
            out += static_cast<char>(c);
        } else if (c == ' ') {
            out += '+';
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

std::string int64ToText(std::int64_t value) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%" PRId64, value);
    return buf;
}

std::string uint64ToText(std::uint64_t value) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%" PRIu64, value);
    return buf;
}

std::string cutTo(const std::string& text, std::size_t capacity) {
    return text.size() <= capacity ? text : text.substr(0, capacity);
}

std::int64_t parseInt64Auto(const std::string& text) { return std::strtoll(text.c_str(), nullptr, 0); }
std::uint64_t parseUint64Auto(const std::string& text) { return std::strtoull(text.c_str(), nullptr, 0); }
std::int64_t parseInt64Decimal(const std::string& text) { return std::strtoll(text.c_str(), nullptr, 10); }
std::uint64_t parseUint64Decimal(const std::string& text) { return std::strtoull(text.c_str(), nullptr, 10); }

bool startsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

std::string toLower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

}  // namespace orvane
