#include "win32/wininet_transport.h"

#include <windows.h>
#include <wininet.h>

#include "orvane_config.h"

namespace orvane {

namespace {

// Closes a WinINet handle when the exchange leaves its scope, on every path.
struct NetHandle {
    HINTERNET h = nullptr;
    explicit NetHandle(HINTERNET handle) : h(handle) {}
    ~NetHandle() {
        if (h) InternetCloseHandle(h);
    }
    NetHandle(const NetHandle&) = delete;
    NetHandle& operator=(const NetHandle&) = delete;
};

// Host name and path of a URL; scheme, port and user information are ignored.
void splitUrl(const std::string& url, std::string& host, std::string& path) {
    std::size_t start = url.find("://");
    start = start == std::string::npos ? 0 : start + 3;
    std::size_t slash = url.find('/', start);
    std::string authority = url.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
    std::size_t at = authority.rfind('@');
    if (at != std::string::npos) authority = authority.substr(at + 1);
    std::size_t colon = authority.find(':');
    host = authority.substr(0, colon).substr(0, 255);
    path = slash == std::string::npos ? "/" : url.substr(slash).substr(0, 255);
}

}  // namespace

int WinInetTransport::exchange(bool secure, const std::string& url, const std::string& body, std::string& reply) {
    reply.clear();
    std::string host, path;
    splitUrl(url, host, path);

    NetHandle root(InternetOpenA("Orvane 3/0", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!root.h) return 1;
    // The secure flag alone picks the port; the build configuration stands in
    // for 443 and 80 so a test build can reach the demo store.
    INTERNET_PORT port = static_cast<INTERNET_PORT>(secure ? config::storeHttpsPort : config::storeHttpPort);
    NetHandle connection(
        InternetConnectA(root.h, host.c_str(), port, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0));
    if (!connection.h) return 2;
    DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | (secure ? INTERNET_FLAG_SECURE : 0);
    NetHandle request(HttpOpenRequestA(connection.h, secure ? "POST" : "", path.c_str(), nullptr, nullptr, nullptr,
                                       flags, 0));
    if (!request.h) return 3;

    static const char kHeader[] = "Content-Type: application/x-www-form-urlencoded\r\n";
    HttpSendRequestA(request.h, kHeader, static_cast<DWORD>(sizeof kHeader - 1),
                     body.empty() ? nullptr : const_cast<char*>(body.data()), static_cast<DWORD>(body.size()));

    char chunk[10240];
    for (;;) {
        DWORD got = 0;
        if (!InternetReadFile(request.h, chunk, sizeof chunk, &got) || got == 0) break;
        reply.append(chunk, got);
    }
    return 0;
}

}  // namespace orvane
