// The product file name that the store sends is joined to the product folder;
// only a plain name of that folder may pass.
#pragma once

#include <string>

namespace orvane {

// True for a plain file name: at most 255 characters, no path separator,
// drive or stream colon, no "..", no control character or character that
// Windows does not allow in a name, no trailing dot or blank, and not a
// device name (CON, NUL, COM1, ...).
bool isSafeFileName(const std::string& name);

}  // namespace orvane
