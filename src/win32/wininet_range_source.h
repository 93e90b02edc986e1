// The download engine's HTTP side on WinINet.
#pragma once

#include "app/platform.h"

namespace orvane {

// Opens a mirror URL with "Range: bytes=N-" and reads its reply in blocks.
// The port comes from the URL when it has one, 80 otherwise.
class WinInetRangeSource : public RangeSource {
public:
    int open(const std::string& url, std::uint64_t offset, std::unique_ptr<RangeReply>& reply,
             unsigned long& error) override;
};

}  // namespace orvane
