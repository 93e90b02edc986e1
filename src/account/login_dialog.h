// The login dialog (template 1001).
#pragma once

#include "app/platform.h"

namespace orvane {

class LoginDialog : public DialogLogic {
public:
    void onInit(Window dialog) override;
    bool onCommand(Window dialog, int id, int code) override;
    bool onNotify(Window dialog, int id, int code) override;

private:
    void login(Window dialog);
};

}  // namespace orvane
