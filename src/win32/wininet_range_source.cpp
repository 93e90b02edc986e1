#include "win32/wininet_range_source.h"

#include <windows.h>
#include <wininet.h>

#include <cstdlib>

#include "net/text.h"

namespace orvane {

namespace {

constexpr const char* kUserAgent = "Orvane 3/0";
constexpr DWORD kReceiveTimeoutMs = 30000;

// The root, connection and request handles of one reply, closed together.
class WinInetRangeReply : public RangeReply {
public:
    WinInetRangeReply(HINTERNET root, HINTERNET connection, HINTERNET request)
        : root_(root), connection_(connection), request_(request) {}
    ~WinInetRangeReply() override {
        if (request_) InternetCloseHandle(request_);
        if (connection_) InternetCloseHandle(connection_);
        if (root_) InternetCloseHandle(root_);
    }
    WinInetRangeReply(const WinInetRangeReply&) = delete;
    WinInetRangeReply& operator=(const WinInetRangeReply&) = delete;

    int status() override {
        DWORD code = 0, size = sizeof code;
        if (!HttpQueryInfoA(request_, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &code, &size, nullptr))
            return 0;
        return static_cast<int>(code);
    }

    bool contentLength(std::uint64_t& length) override {
        // Read as text: the numeric form of the query is 32 bits wide, and
        // product files can be larger than 4 GB.
        std::string text;
        if (!headerText(HTTP_QUERY_CONTENT_LENGTH, 64, text)) return false;
        if (text.empty() || text[0] < '0' || text[0] > '9') return false;
        length = parseUint64Decimal(text);
        return true;
    }

    bool contentRange(std::string& text) override { return headerText(HTTP_QUERY_CONTENT_RANGE, 1000, text); }

    std::size_t available() override {
        DWORD bytes = 0;
        if (!InternetQueryDataAvailable(request_, &bytes, 0, 0)) return 0;
        return bytes;
    }

    long read(char* buffer, std::size_t max) override {
        DWORD got = 0;
        DWORD want = max > 0x40000000 ? 0x40000000 : static_cast<DWORD>(max);
        if (!InternetReadFile(request_, buffer, want, &got)) return -1;
        return static_cast<long>(got);
    }

private:
    bool headerText(DWORD query, DWORD capacity, std::string& text) {
        std::string buffer(capacity + 1, '\0');
        DWORD size = capacity;
        if (!HttpQueryInfoA(request_, query, buffer.data(), &size, nullptr)) return false;
        buffer.resize(size < capacity ? size : capacity);
        text = buffer;
        return true;
    }

    HINTERNET root_;
    HINTERNET connection_;
    HINTERNET request_;
};

}  // namespace

int WinInetRangeSource::open(const std::string& url, std::uint64_t offset, std::unique_ptr<RangeReply>& reply,
                             unsigned long& error) {
    reply.reset();
    error = 0;

    HINTERNET root = InternetOpenA(kUserAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (!root) return 1;
    // Set on the root handle so that the request opened from it inherits it:
    // a stalled mirror ends the transfer instead of blocking it for good.
    DWORD timeout = kReceiveTimeoutMs;
    InternetSetOptionA(root, INTERNET_OPTION_RECEIVE_TIMEOUT, &timeout, sizeof timeout);

    // Host and port from the URL; the mirrors are configured as host[:port]
    // and a URL without a port means 80.
    char host[256] = {};
    URL_COMPONENTSA parts = {};
    parts.dwStructSize = sizeof parts;
    parts.lpszHostName = host;
    parts.dwHostNameLength = sizeof host;
    INTERNET_PORT port = INTERNET_DEFAULT_HTTP_PORT;
    if (InternetCrackUrlA(url.c_str(), static_cast<DWORD>(url.size()), 0, &parts) && parts.nPort != 0)
        port = parts.nPort;

    HINTERNET connection = InternetConnectA(root, host, port, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0);
    if (!connection) {
        error = GetLastError();
        InternetCloseHandle(root);
        return 2;
    }
    InternetSetOptionA(connection, INTERNET_OPTION_RECEIVE_TIMEOUT, &timeout, sizeof timeout);

    const std::string header = "Range: bytes=" + uint64ToText(offset) + "-\r\n";
    // Straight from the mirror every time: nothing read from or written to
    // the cache.
    HINTERNET request = InternetOpenUrlA(root, url.c_str(), header.c_str(), static_cast<DWORD>(header.size()),
                                         INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_RELOAD, 0);
    if (!request) {
        InternetCloseHandle(connection);
        InternetCloseHandle(root);
        return 3;
    }
    try {
        reply = std::make_unique<WinInetRangeReply>(root, connection, request);
    } catch (...) {
        InternetCloseHandle(request);
        InternetCloseHandle(connection);
        InternetCloseHandle(root);
        throw;
    }
    return 0;
}

}  // namespace orvane
