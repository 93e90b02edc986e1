// The user's settings: text values of the key
// HKEY_CURRENT_USER\Software\Orvane Software\OrvanePurchase\.
#pragma once

#include <string>

namespace orvane {

inline constexpr const char* kSettingsKey = "Software\\Orvane Software\\OrvanePurchase\\";

// 1 stored, -1 key open but the value could not be set, 0 no key.
int writeSetting(const std::string& text, const std::string& name);
// 0 when the key cannot be opened, else 1. out changes only when the value is
// a non-empty text of at most 254 characters; a caller that needs a default
// fills out first.
int readSetting(const std::string& name, std::string& out);

}  // namespace orvane
