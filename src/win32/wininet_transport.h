// The store exchange over WinINet.
#pragma once

#include "app/platform.h"

namespace orvane {

class WinInetTransport : public Transport {
public:
    int exchange(bool secure, const std::string& url, const std::string& body, std::string& reply) override;
};

}  // namespace orvane
