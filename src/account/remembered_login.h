// The login remembered between runs: the e-mail as typed and the password
// scrambled with RC4 and written as upper-case hexadecimal.
#pragma once

#include <string>

namespace orvane {

inline constexpr const char* kRememberKey = "Tq8Lw4Rn";

// 1 both values stored, -1 a value could not be set, 0 no settings key.
int saveRememberedLogin();
// Deletes both values; always 1.
int forgetRememberedLogin();
// 1 usable credentials read (now held), -1 missing or too short (held ones
// emptied), 0 no settings key.
int readRememberedLogin();

std::string scramblePassword(const std::string& text);
std::string unscramblePassword(const std::string& hex);

// An e-mail of at least 6 and a password of at least 8 characters.
bool usableCredentials(const std::string& email, const std::string& password);

}  // namespace orvane
