#include "net/store_request.h"

#include <cstring>
#include <string>

#include "app/platform.h"
#include "orvane_config.h"

namespace orvane {

void StoreRequest::setUrl(const std::string& text) {
    std::size_t n = text.size() < sizeof url - 1 ? text.size() : sizeof url - 1;
    std::memcpy(url, text.data(), n);
    url[n] = '\0';
}

int StoreRequest::perform() {
    replyLength = 0;
    reply.clear();
    Transport* transport = platform().transport;
    if (!transport) return 1;
    int result = transport->exchange(secure == 1, url, body, reply);
    replyLength = static_cast<std::int32_t>(reply.size());
    return result;
}

std::string storeBase() { return std::string("https://") + config::storeHost; }

std::string storeUrl(const std::string& path) { return storeBase() + path; }

std::string storePageUrl(const std::string& path) {
    std::string base = storeBase();
    if (config::storeHttpsPort != 443) base += ":" + std::to_string(config::storeHttpsPort);
    return base + path;
}

std::string postToStore(const std::string& path, const std::string& body) {
    StoreRequest request;
    request.setSecure(true);
    request.setUrl(storeUrl(path));
    request.setBody(body);
    request.perform();
    return request.reply;
}

std::string fetchPlain(const std::string& url, const std::string& body) {
    StoreRequest request;
    request.setSecure(false);
    request.setUrl(url);
    request.setBody(body);
    request.perform();
    return request.reply;
}

}  // namespace orvane
