// One synchronous exchange with the store server: a form POST over TLS, or a
// plain request (pictures, the notification). Lives for one exchange.
#pragma once

#include <cstdint>
#include <string>

namespace orvane {

class StoreRequest {
public:
    std::int32_t replyLength = 0;
    unsigned char secure = 0;
    char url[256] = {};
    std::string body;
    std::string reply;

    void setSecure(bool on) { secure = on ? 1 : 0; }
    void setUrl(const std::string& text);  // bounded copy, at most 255 characters
    void setBody(const std::string& text) { body = text; }
    // 1 no root handle, 2 no connection, 3 no request handle, 0 otherwise.
    int perform();
};

// The store server's base address ("https://" + host) and a script under it.
std::string storeBase();
std::string storeUrl(const std::string& path);

// A store page opened in the customer's browser. The browser connects by
// the address alone, so the store's secure port is named when it is not 443.
std::string storePageUrl(const std::string& path);

// Posts body to a store script over TLS and returns the reply (empty on failure).
std::string postToStore(const std::string& path, const std::string& body);
// Fetches url in plain mode with an optional body; the reply, empty on failure.
std::string fetchPlain(const std::string& url, const std::string& body = {});

}  // namespace orvane
