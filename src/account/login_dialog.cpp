#include "account/login_dialog.h"

#include "account/remembered_login.h"
#include "app/agent_state.h"
#include "app/control_ids.h"
#include "catalog/purchases.h"
#include "net/store_request.h"

namespace orvane {

namespace {
constexpr unsigned kOk = 0;
constexpr unsigned kExclamation = 0x30;
constexpr int kCancelCommand = 2;
}  // namespace

void LoginDialog::onInit(Window dialog) {
    Ui& ui = *platform().ui;
    AgentState& s = state();
    Window parent = ui.parentOf(dialog);
    s.dialogParent = parent ? parent : ui.desktop();
    ui.enterPresses(dialog, IDC_LOGIN_PASSWORD, IDC_LOGIN_OK);
    ui.centerOver(dialog, s.dialogParent);
    ui.setText(dialog, IDC_LOGIN_EMAIL, s.email);
    ui.setText(dialog, IDC_LOGIN_PASSWORD, s.password);
    ui.check(dialog, IDC_LOGIN_REMEMBER, true);
    ui.focus(dialog, IDC_LOGIN_EMAIL);
}

void LoginDialog::login(Window dialog) {
    Ui& ui = *platform().ui;
    AgentState& s = state();
    std::string email = ui.getText(dialog, IDC_LOGIN_EMAIL, 149);
    std::string password = ui.getText(dialog, IDC_LOGIN_PASSWORD, 149);
    if (!usableCredentials(email, password)) {
        ui.messageBox(dialog,
                      "You entered an invalid email address or password. Please make sure you enter a valid email "
                      "address and your Orvane account password that is at least 8 characters long.",
                      "Invalid Account", kOk, nullptr);
        return;
    }
    s.email = email;
    s.password = password;
    int result = fetchPurchases();
    if (result == -3 || result == -2) {
        ui.messageBox(dialog,
                      "We could not log you in with the information provided. Please check your information and try "
                      "again.",
                      "Invalid Login", kExclamation, nullptr);
        return;
    }
    if (result < -3) {
        ui.messageBox(dialog,
                      "There was an error trying to login. Please try again shortly. If you keep getting this error "
                      "please contact support.",
                      "Login Error", kExclamation, nullptr);
        return;
    }
    s.credentialsAccepted = true;
    if (ui.isChecked(dialog, IDC_LOGIN_REMEMBER)) saveRememberedLogin();
    ui.endDialog(dialog, 1);
}

bool LoginDialog::onCommand(Window dialog, int id, int /*code*/) {
    Ui& ui = *platform().ui;
    switch (id) {
    case IDC_LOGIN_OK:
        login(dialog);
        return true;
    case IDC_LOGIN_CANCEL:
        ui.setText(dialog, IDC_LOGIN_EMAIL, "");
        ui.setText(dialog, IDC_LOGIN_PASSWORD, "");
        ui.endDialog(dialog, 0);
        return true;
    case kCancelCommand:
        ui.endDialog(dialog, 0);
        return true;
    default:
        return false;
    }
}

bool LoginDialog::onNotify(Window /*dialog*/, int id, int code) {
    if (code != kNmClick && code != kNmReturn) return false;
    if (id == IDC_LOGIN_FORGOT) {
        platform().ui->shellOpen(0, storePageUrl("/lostpwd.asp"));
        return true;
    }
    if (id == IDC_LOGIN_CREATE) {
        // Account creation arrives with the account dialog; until then the
        // link leaves the login dialog as it is.
        return true;
    }
    return false;
}

}  // namespace orvane
