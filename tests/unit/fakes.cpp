#include "fakes.h"

#include <cmath>
#include <cstdio>

namespace orvane::test {

std::string FakeTransport::pathOf(const std::string& url) {
    std::size_t scheme = url.find("://");
    std::size_t start = scheme == std::string::npos ? 0 : scheme + 3;
    std::size_t slash = url.find('/', start);
    return slash == std::string::npos ? "/" : url.substr(slash);
}

int FakeTransport::exchange(bool secure, const std::string& url, const std::string& body, std::string& out) {
    Request request{secure, url, body};
    requests.push_back(request);
    if (responder) {
        out = responder(request);
        return 0;
    }
    std::string path = pathOf(url);
    auto q = queued.find(path);
    if (q != queued.end() && !q->second.empty()) {
        out = q->second.front();
        q->second.pop_front();
        return 0;
    }
    auto s = standing.find(path);
    out = s == standing.end() ? std::string() : s->second;
    return 0;
}

int FakeTransport::count(const std::string& path) const { return static_cast<int>(to(path).size()); }

std::vector<FakeTransport::Request> FakeTransport::to(const std::string& path) const {
    std::vector<Request> found;
    for (const Request& r : requests)
        if (pathOf(r.url) == path) found.push_back(r);
    return found;
}

int FakeSettings::write(const std::string& name, const std::string& text) {
    keyExists = true;
    if (!writable) return -1;
    values[name] = text;
    return 1;
}

int FakeSettings::read(const std::string& name, std::string& value) {
    if (!keyExists) return 0;
    auto it = values.find(name);
    if (it != values.end() && !it->second.empty() && it->second.size() < 255) value = it->second;
    return 1;
}

bool FakeSettings::remove(const std::string& name) {
    if (!keyExists) return false;
    values.erase(name);
    return true;
}

std::int64_t FakeFiles::size(const std::string& path) {
    auto it = files.find(path);
    return it == files.end() ? -1 : static_cast<std::int64_t>(it->second.size());
}

bool FakeFiles::remove(const std::string& path) {
    if (!files.count(path)) return true;
    if (locked.count(path)) return false;
    files.erase(path);
    return true;
}

bool FakeFiles::createFolder(const std::string& path) {
    folders.insert(path);
    return true;
}

bool FakeFiles::readText(const std::string& path, std::string& text) {
    auto it = files.find(path);
    if (it == files.end() || locked.count(path)) return false;
    text = it->second;
    return true;
}

bool FakeFiles::writeText(const std::string& path, const std::string& text) {
    if (locked.count(path)) return false;
    files[path] = text;
    return true;
}

namespace {
class FakeOutFile : public OutFile {
public:
    FakeOutFile(FakeFiles& owner, std::string path) : owner_(owner), path_(std::move(path)) {}
    std::uint64_t length() override { return owner_.files[path_].size(); }
    bool write(const char* data, std::size_t size) override {
        owner_.files[path_].append(data, size);
        return true;
    }
    void close() override {}

private:
    FakeFiles& owner_;
    std::string path_;
};
}  // namespace

std::unique_ptr<OutFile> FakeFiles::openForAppend(const std::string& path) {
    if (locked.count(path)) return nullptr;
    files[path];  // created when missing, kept when present
    return std::make_unique<FakeOutFile>(*this, path);
}

int FakeUi::boxCount(const std::string& text) const {
    int n = 0;
    for (const Box& b : boxes)
        if (b.text == text) ++n;
    return n;
}

std::string FakeUi::getText(Window w, int id, int maxChars) {
    const std::string& t = at(w, id).text;
    return t.substr(0, static_cast<std::size_t>(maxChars));
}

void FakeUi::comboClear(Window w, int id) {
    at(w, id).items.clear();
    at(w, id).selectedItem = -1;
}

std::string FakeUi::comboItem(Window w, int id, int index) {
    Control& c = at(w, id);
    return index >= 0 && index < static_cast<int>(c.items.size()) ? c.items[index] : std::string();
}

void FakeUi::comboSelect(Window w, int id, int index) {
    Control& c = at(w, id);
    c.selectedItem = index >= 0 && index < static_cast<int>(c.items.size()) ? index : -1;
}

void FakeUi::listClear(Window w, int id) {
    Control& c = at(w, id);
    int was = c.selectedRow;
    c.rows.clear();
    c.selectedRow = -1;
    if (was >= 0 && onListItemChanged) onListItemChanged(w, id);
}

void FakeUi::listSelect(Window w, int id, int row) {
    Control& c = at(w, id);
    if (row < 0 || row >= static_cast<int>(c.rows.size())) return;
    if (c.selectedRow == row) return;  // the same state again reports nothing
    c.selectedRow = row;
    if (onListItemChanged) onListItemChanged(w, id);
}

std::string FakeUi::listText(Window w, int id, int row, int column, int maxChars) {
    Control& c = at(w, id);
    if (row < 0 || row >= static_cast<int>(c.rows.size())) return {};
    const auto& r = c.rows[row];
    if (column < 0 || column >= static_cast<int>(r.size())) return {};
    return r[column].substr(0, static_cast<std::size_t>(maxChars));
}

void FakeUi::progressRange(Window w, int id, int low, int high, int step) {
    Control& c = at(w, id);
    c.progressLow = low;
    c.progressHigh = high;
    c.progressStep = step;
}

int FakeUi::messageBox(Window owner, const char* text, const char* caption, unsigned style,
                       const AppMessageBoxParams* params) {
    boxes.push_back({owner, text ? text : "", caption ? caption : "<null>", style, params != nullptr});
    if (boxAnswers.empty()) return 1;
    int answer = boxAnswers.front();
    boxAnswers.pop_front();
    return answer;
}

int FakeUi::runDialog(int templateId, Window owner, DialogLogic& logic) {
    dialogs.push_back({templateId, owner});
    Window dialog = nextDialog++;
    parents[dialog] = owner;
    logic.onInit(dialog);
    int result = 0;
    auto script = dialogScripts.find(templateId);
    if (script != dialogScripts.end()) result = script->second(dialog, logic);
    auto ended = endedDialogs.find(dialog);
    return ended != endedDialogs.end() ? ended->second : result;
}

int FakeUi::shellOpen(Window owner, const std::string& target) {
    opened.push_back({owner, target});
    auto it = shellResults.find(target);
    return it != shellResults.end() ? it->second : shellResult;
}

bool FakeUi::browseFolder(Window, const std::string&, std::string& path) {
    if (folderAnswers.empty()) return false;
    path = folderAnswers.front();
    folderAnswers.pop_front();
    return !path.empty();
}

std::string FakeUi::formatByteSize(std::int64_t bytes) { return shellByteSize(bytes); }

void FakeUi::loadPicture(const std::string& bytes, Window owner, PictureRecord& picture) {
    picturesLoaded.push_back(bytes);
    picture = {};
    picture.owner = owner;
    if (!bytes.empty()) {
        picture.width = 240;
        picture.height = 180;
    }
}

std::string shellByteSize(std::int64_t bytes) {
    // The shell keeps three significant digits, truncating, in the largest unit
    // that leaves at least 1.
    struct Step {
        std::int64_t limit;
        double divisor;
        double scale;
        int decimals;
        const char* unit;
    };
    static const Step steps[] = {
        {10240LL, 10.24, 100.0, 2, "KB"},
        {102400LL, 102.4, 10.0, 1, "KB"},
        {1024000LL, 1024.0, 1.0, 0, "KB"},
        {10485760LL, 10485.76, 100.0, 2, "MB"},
        {104857600LL, 104857.6, 10.0, 1, "MB"},
        {1048576000LL, 1048576.0, 1.0, 0, "MB"},
        {10737418240LL, 10737418.24, 100.0, 2, "GB"},
        {107374182400LL, 107374182.4, 10.0, 1, "GB"},
        {1073741824000LL, 1073741824.0, 1.0, 0, "GB"},
        {10995116277760LL, 10995116277.76, 100.0, 2, "TB"},
        {109951162777600LL, 109951162777.6, 10.0, 1, "TB"},
        {1099511627776000LL, 1099511627776.0, 1.0, 0, "TB"},
    };
    char buf[64];
    if (bytes < 1024) {
        std::snprintf(buf, sizeof buf, "%lld bytes", static_cast<long long>(bytes));
        return buf;
    }
    for (const Step& s : steps) {
        if (bytes < s.limit) {
            double value = std::floor(static_cast<double>(bytes) / s.divisor) / s.scale;
            std::snprintf(buf, sizeof buf, "%.*f %s", s.decimals, value, s.unit);
            return buf;
        }
    }
    std::snprintf(buf, sizeof buf, "%.0f TB", std::floor(static_cast<double>(bytes) / 1099511627776.0));
    return buf;
}

void AgentTest::SetUp() {
    resetAgentState();
    Platform& p = platform();
    p.transport = &transport;
    p.settings = &settings;
    p.clock = &clock;
    p.files = &files;
    p.ui = &ui;
    state().mainWindow = FakeUi::kMain;
}

void AgentTest::TearDown() {
    resetAgentState();
    platform() = Platform{};
}

void AgentTest::makeStoreReady() {
    AgentState& s = state();
    s.identity = {"Tollan Studios", "tolstd", "m2qd8v61"};
    s.vendorParams = "&vendor=Tollan+Studios&vendorid=tolstd&vendorpwd=m2qd8v61&channel=0";
    s.currencySymbol = "$";
    s.storeReady = true;
}

}  // namespace orvane::test
