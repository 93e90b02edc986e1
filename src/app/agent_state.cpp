#include "app/agent_state.h"

namespace orvane {

namespace {
AgentState g_state;
Platform g_platform;
}  // namespace

AgentState& state() { return g_state; }
Platform& platform() { return g_platform; }

void resetAgentState() {
    AgentState& s = g_state;
    s.download.running = false;
    if (s.download.worker.joinable()) s.download.worker.join();

    s.instance = nullptr;
    s.mainWindow = s.dialogParent = 0;
    s.identity = {};
    s.vendorParams.clear();
    s.currencySymbol.clear();
    s.versionSuffix = "&version=2.11&tamo=2";
    s.versionText = " (Version 2.0.2.9";
    s.storeReady = s.catalogueLoaded = false;
    s.email.clear(); s.password.clear(); s.userName.clear(); s.taxRate.clear();
    s.loginEmail.clear(); s.welcomeName.clear();
    s.credentialsAccepted = s.loggedIn = s.welcomeShown = false;
    s.accountVerified = s.loginDialogOpen = 0;
    s.requestBody.clear();
    s.catalogue.clear(); s.products.clear(); s.purchases.clear();
    s.cart = {};
    s.selectedIndex = 0;
    s.productCount = 0;
    s.listPrepared = false;
    s.selected = {};
    s.lastShownRow = -1;
    s.panelRow = -1;
    s.multiFile = false;
    s.fileEntries.clear();
    s.removeMode = 0;
    s.fillingList = false;
    s.cartFilled = false;
    s.productList.clear(); s.subtotal = 0; s.totalText.clear();
    s.checkoutReply.clear(); s.summaryText.clear(); s.checkoutOutcome = 0;
    s.downloadFolder.clear();
    s.download.jobUrl.clear(); s.download.jobPath.clear(); s.download.expectedSize = 0;
    s.download.bytesOnDisk = 0;
    s.download.product = {};
    s.download.publish("");
    s.downloadMode = 0;
    s.completedSeen = false;
    s.fileReply.clear(); s.downloadedFilePath.clear();
    s.notificationId.clear(); s.notificationText.clear();
    s.notificationsChecked = false;
    s.lastFileChoice.clear();
    s.logoPicture = {};
    s.productPicture = {};
}

}  // namespace orvane
