// The WinINet exchange against the demo store (its CA trusted in this prefix).
#include <windows.h>

#include <string>

#include "net/store_request.h"
#include "win32/wininet_transport.h"
#include "wtest.h"

using namespace orvane;

namespace {
WinInetTransport g_transport;
}

WTEST(secure_request_reaches_the_catalogue_script) {
    platform().transport = &g_transport;
    StoreRequest request;
    request.setSecure(true);
    request.setUrl(storeUrl("/orvanepurchase1.asp"));
    request.setBody("action=catalog&vendorid=tolstd&version=2.11&tamo=2&channel=0&productid=");
    CHECK_EQ(request.perform(), 0);
    CHECK(request.replyLength > 0);
    CHECK_EQ(static_cast<std::size_t>(request.replyLength), request.reply.size());
    CHECK(request.reply.find('\x02') != std::string::npos);
    CHECK(request.reply.find('\x01') != std::string::npos);
}

WTEST(secure_request_with_an_empty_body_still_posts) {
    platform().transport = &g_transport;
    StoreRequest request;
    request.setSecure(true);
    request.setUrl(storeUrl("/orvaneterms.asp"));
    CHECK_EQ(request.perform(), 0);
    CHECK(request.replyLength > 0);
}

WTEST(plain_request_fetches_pictures_over_http_even_for_an_https_url) {
    platform().transport = &g_transport;
    std::string logo = fetchPlain(storeBase() + "/vendors/tolstd/logo_s.png");
    CHECK(logo.size() > 8);
    CHECK(logo.compare(0, 4, "\x89PNG") == 0);
    // Binary bytes, NUL included, arrive whole.
    CHECK(logo.find('\0') != std::string::npos);
    std::string picture = fetchPlain(storeBase() + "/legacy.jpg");
    CHECK(picture.size() > 4);
    CHECK(static_cast<unsigned char>(picture[0]) == 0xFF && static_cast<unsigned char>(picture[1]) == 0xD8);
}

WTEST(unreachable_host_gives_an_empty_reply) {
    platform().transport = &g_transport;
    StoreRequest request;
    request.setSecure(true);
    request.setUrl("https://no-such-host.invalid/orvanepurchase1.asp");
    request.setBody("action=catalog");
    request.perform();
    CHECK_EQ(request.replyLength, 0);
    CHECK(request.reply.empty());
}

WTEST_MAIN("store_transport")
