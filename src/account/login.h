// Logging in and out.
#pragma once

#include <string>

#include "app/platform.h"

namespace orvane {

enum class LoginMode { Login = 0, Logout = 1, Account = 2 };

// Runs the login dialog modally; 1 after a successful login, 0 otherwise.
int openLoginDialog(Window owner);
int loginFlow(LoginMode mode, std::string& out);
bool refreshLogin();

}  // namespace orvane
