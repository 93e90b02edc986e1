// Store start-up: brings the main window from nothing to a browsable store.
#pragma once

#include <string>

namespace orvane {

// The identity arrays compiled into the program; every zero byte is removed.
std::string identityText(const char* bytes, std::size_t size);

// 1 success, -1 an argument fails its rule, 0 a failure inside.
int vendorLogin(const std::string& vendorName, const std::string& vendorId, const std::string& vendorPassword);

void runStoreStartup();

}  // namespace orvane
