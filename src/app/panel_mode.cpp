#include "app/panel_mode.h"

#include "app/agent_state.h"
#include "app/control_ids.h"

namespace orvane {

void setPanelMode(PanelMode mode) {
    Ui& ui = *platform().ui;
    const Window w = state().mainWindow;
    const bool library = mode == PanelMode::Library;
    for (int id : {IDC_APPLY_COUPON, IDC_ADD_TO_CART, IDC_CHECKOUT}) ui.enable(w, id, !library);
    for (int id : {IDC_MANAGE_CAPTION, IDC_ORDER_LINK, IDC_FILE_STATUS, IDC_FOLDER_LABEL, IDC_FOLDER_TEXT,
                   IDC_OPEN_FOLDER, IDC_SELECT_FOLDER, IDC_PROGRESS_TEXT})
        ui.enable(w, id, library);
    if (!library) ui.enable(w, IDC_DOWNLOAD, false);
    ui.enable(w, IDC_CANCEL_DOWNLOAD, false);
    ui.enable(w, IDC_OPEN_FILE, false);
}

}  // namespace orvane
