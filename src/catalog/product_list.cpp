#include "catalog/product_list.h"

#include <vector>

#include "app/agent_state.h"
#include "app/control_ids.h"
#include "catalog/detail_panel.h"
#include "catalog/purchases.h"
#include "net/text.h"

namespace orvane {

namespace {

// Row texts live in fixed buffers of 160, 50 and 20 bytes: longer texts are cut.
constexpr std::size_t kNameColumn = 159;
constexpr std::size_t kCategoryColumn = 49;
constexpr std::size_t kPriceColumn = 19;

struct Row {
    std::string name, category, price;
};

// Appends the row when the filter lets it through, and offers its category to
// the category box either way.
void place(const Row& row, const std::string& filter) {
    Ui& ui = *platform().ui;
    const Window w = state().mainWindow;
    if (filter.empty() || filter == row.category)
        ui.listAppend(w, IDC_PRODUCT_LIST,
                      {cutTo(row.name, kNameColumn), cutTo(row.category, kCategoryColumn), cutTo(row.price, kPriceColumn)});
    addCategoryIfAbsent(row.category);
}

int ownership(const ProductEntry& entry) {
    std::string record;
    return lookupPurchase(entry.productId, record);
}

}  // namespace

std::string firstCategory(const std::string& categories) { return categories.substr(0, categories.find(',')); }

void addCategoryIfAbsent(const std::string& category) {
    Ui& ui = *platform().ui;
    AgentState& s = state();
    const Window w = s.mainWindow;
    int count = ui.comboCount(w, IDC_CATEGORY_BOX);
    bool present = false;
    for (int i = 0; i < count && !present; ++i) present = ui.comboItem(w, IDC_CATEGORY_BOX, i) == category;
    if (!present) ui.comboAdd(w, IDC_CATEGORY_BOX, category);

    s.lastShownRow = -1;
    s.selectedIndex = 0;
    // Focus and selection are settled once at the end of the fill (fillProductList);
    // outside a fill they are set here.
    if (!s.fillingList) {
        ui.focus(w, IDC_PRODUCT_LIST);
        ui.listSelect(w, IDC_PRODUCT_LIST, 0);
    }
}

void fillProductList(const std::string& requested) {
    AgentState& s = state();
    Ui& ui = *platform().ui;
    const Window w = s.mainWindow;

    std::string filter = requested;
    bool libraryOnly = false;
    if (filter == "All Categories") filter.clear();
    if (filter == "My Library") {
        libraryOnly = true;
        filter.clear();
    }

    // Selection changes while the rows are rebuilt would each refresh the
    // detail panel (and fetch a picture); the fill refreshes it once instead.
    s.fillingList = true;
    ui.listClear(w, IDC_PRODUCT_LIST);

    for (const ProductEntry& entry : s.products) {
        if (entry.hidden != "No" || ownership(entry) != 1 || entry.price == "free") continue;
        place({"* " + entry.name, firstCategory(entry.categories), "Library"}, filter);
    }
    if (!libraryOnly) {
        for (const ProductEntry& entry : s.products) {
            if (entry.hidden != "No") continue;
            int owned = ownership(entry);
            if (owned >= 1) continue;
            std::string price;
            if (entry.price == "beta") {
                if (owned == 0) continue;
                price = "Beta";
            } else if (entry.price == "free" || entry.price == "legacy") {
                continue;
            } else {
                price = "$" + (entry.salePrice.empty() ? entry.price : entry.salePrice);
            }
            place({entry.name, firstCategory(entry.categories), price}, filter);
        }
    }

    ui.focus(w, IDC_PRODUCT_LIST);
    ui.listSelect(w, IDC_PRODUCT_LIST, 0);
    s.fillingList = false;
    s.lastShownRow = -1;
    refreshDetailPanel();
}

void categoryChanged() {
    Ui& ui = *platform().ui;
    const Window w = state().mainWindow;
    int index = ui.comboSelected(w, IDC_CATEGORY_BOX);
    std::string text = index >= 0 ? cutTo(ui.comboItem(w, IDC_CATEGORY_BOX, index), 99) : std::string();
    fillProductList(text);
}

}  // namespace orvane
