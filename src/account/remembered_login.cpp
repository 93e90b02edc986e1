#include "account/remembered_login.h"

#include <array>
#include <cstring>

#include "app/agent_state.h"
#include "app/platform.h"

namespace orvane {

namespace {

// RC4 under the fixed key; the same stream scrambles and unscrambles.
std::string rc4(const std::string& bytes) {
    const char* key = kRememberKey;
    const std::size_t keyLength = std::strlen(key);
    std::array<unsigned char, 256> s;
    for (int i = 0; i < 256; ++i) s[i] = static_cast<unsigned char>(i);
    for (int i = 0, j = 0; i < 256; ++i) {
        j = (j + s[i] + static_cast<unsigned char>(key[i % keyLength])) & 255;
        std::swap(s[i], s[j]);
    }
    std::string out = bytes;
    int i = 0, j = 0;
    for (char& c : out) {
        i = (i + 1) & 255;
        j = (j + s[i]) & 255;
        std::swap(s[i], s[j]);
        c = static_cast<char>(static_cast<unsigned char>(c) ^ s[(s[i] + s[j]) & 255]);
    }
    return out;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace

bool usableCredentials(const std::string& email, const std::string& password) {
    return email.size() >= 6 && password.size() >= 8;
}

std::string scramblePassword(const std::string& text) {
    std::string bytes = text.substr(0, std::min<std::size_t>(text.find('\0'), 1023));
    static const char digits[] = "0123456789ABCDEF";
    std::string hex;
    for (unsigned char c : rc4(bytes)) {
        hex += digits[c >> 4];
        hex += digits[c & 15];
    }
    return hex;
}

std::string unscramblePassword(const std::string& hex) {
    std::string bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        int high = hexDigit(hex[i]), low = hexDigit(hex[i + 1]);
        if (high < 0 || low < 0) break;  // the text ends where the digits end
        bytes += static_cast<char>(high * 16 + low);
    }
    std::string text = rc4(bytes);
    return text.substr(0, text.find('\0'));
}

int saveRememberedLogin() {
    Settings* settings = platform().settings;
    if (!settings) return 0;
    AgentState& s = state();
    int result = settings->write("email", s.email);
    if (result != 1) return result;
    return settings->write("password", scramblePassword(s.password));
}

int forgetRememberedLogin() {
    if (Settings* settings = platform().settings) {
        settings->remove("email");
        settings->remove("password");
    }
    return 1;
}

int readRememberedLogin() {
    Settings* settings = platform().settings;
    AgentState& s = state();
    std::string email, hex;
    if (!settings || settings->read("email", email) == 0) return 0;
    settings->read("password", hex);
    s.email = email;
    if (!hex.empty()) s.password = unscramblePassword(hex);
    if (usableCredentials(s.email, s.password)) {
        s.credentialsAccepted = true;
        return 1;
    }
    s.email.clear();
    s.password.clear();
    return -1;
}

}  // namespace orvane
