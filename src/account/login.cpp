#include "account/login.h"

#include "account/login_dialog.h"
#include "account/remembered_login.h"
#include "app/agent_state.h"
#include "app/control_ids.h"
#include "catalog/purchases.h"
#include "net/text.h"

namespace orvane {

int openLoginDialog(Window owner) {
    LoginDialog dialog;
    return platform().ui->runDialog(IDD_LOGIN, owner, dialog);
}

int loginFlow(LoginMode mode, std::string& out) {
    AgentState& s = state();
    switch (mode) {
    case LoginMode::Login: {
        if (!s.storeReady) {
            out.clear();
            return -1;
        }
        try {
            int result = fetchPurchases();
            if (result == -2 || result == -3) {
                s.loginDialogOpen = 1;
                openLoginDialog(s.dialogParent);
                s.loginDialogOpen = 0;
                if (s.credentialsAccepted) {
                    out = cutTo(s.email, 149);
                    return result;
                }
                out.clear();
                return 0;
            }
            s.credentialsAccepted = true;
            out = cutTo(s.email, 149);
            return result;
        } catch (...) {
            s.loginDialogOpen = 0;
            return 0;
        }
    }
    case LoginMode::Logout:
        s.email.clear();
        s.password.clear();
        forgetRememberedLogin();
        out.clear();
        s.purchases.clear();
        s.credentialsAccepted = false;
        s.loggedIn = false;
        s.accountVerified = 0;
        s.userName.clear();
        return 0;
    case LoginMode::Account:
        // The account dialog is opened here once it exists.
        return 0;
    }
    return 0;
}

bool refreshLogin() {
    AgentState& s = state();
    Ui& ui = *platform().ui;
    const Window w = s.mainWindow;
    loginFlow(LoginMode::Login, s.loginEmail);
    if (s.loggedIn) {
        s.welcomeName = cutTo(s.userName, 149);
        if (!s.welcomeName.empty()) {
            ui.setText(w, IDC_LOGIN_HEADER, "Welcome " + s.welcomeName);
            ui.enable(w, IDC_LOGIN, false);
            ui.enable(w, IDC_LOGOUT, true);
            ui.enable(w, IDC_EDIT_ACCOUNT, true);
            s.welcomeShown = true;
            return true;
        }
    }
    ui.setText(w, IDC_LOGIN_HEADER, "You are not logged in.");
    ui.enable(w, IDC_LOGIN, true);
    for (int id : {IDC_LOGOUT, IDC_EDIT_ACCOUNT, IDC_APPLY_COUPON, IDC_ADD_TO_CART}) ui.enable(w, id, false);
    return false;
}

}  // namespace orvane
