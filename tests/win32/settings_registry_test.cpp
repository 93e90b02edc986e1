// The settings key in a real (Wine) registry.
#include <windows.h>

#include <string>

#include "app/settings.h"
#include "win32/registry_settings.h"
#include "wtest.h"

using namespace orvane;

namespace {

RegistrySettings g_settings;

void deleteKey() { RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKey); }

void setup() {
    platform().settings = &g_settings;
    deleteKey();
}

}  // namespace

WTEST(missing_key_reads_zero_and_is_not_created) {
    setup();
    std::string out = "default";
    CHECK_EQ(readSetting("FolderPath", out), 0);
    CHECK_EQ(out, std::string("default"));
    HKEY key;
    CHECK(RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS);
}

WTEST(value_stored_without_nul_reads_back_identically) {
    setup();
    const std::string folder = "C:\\Users\\demo\\Downloads\\Orvane";
    CHECK_EQ(writeSetting(folder, "FolderPath"), 1);
    std::string out;
    CHECK_EQ(readSetting("FolderPath", out), 1);
    CHECK_EQ(out, folder);
}

WTEST(long_empty_and_missing_values_read_as_absent) {
    setup();
    const struct {
        const char* name;
        std::string value;
    } cases[] = {{"long255", std::string(255, 'x')}, {"long300", std::string(300, 'y')}, {"empty", ""}};
    for (const auto& c : cases) CHECK_EQ(writeSetting(c.value, c.name), 1);
    for (const auto& c : cases) {
        std::string out = "kept";
        CHECK_EQ(readSetting(c.name, out), 1);
        CHECK_EQ(out, std::string("kept"));
    }
    std::string out = "kept";
    CHECK_EQ(readSetting("neverWritten", out), 1);
    CHECK_EQ(out, std::string("kept"));
    // 254 characters is the longest value that reads back.
    CHECK_EQ(writeSetting(std::string(254, 'z'), "long254"), 1);
    CHECK_EQ(readSetting("long254", out), 1);
    CHECK_EQ(out, std::string(254, 'z'));
}

WTEST(remove_deletes_one_value) {
    setup();
    writeSetting("demo@orvane.test", "email");
    writeSetting("ABCD", "password");
    CHECK(g_settings.remove("email"));
    std::string out;
    CHECK_EQ(readSetting("email", out), 1);
    CHECK(out.empty());
    CHECK_EQ(readSetting("password", out), 1);
    CHECK_EQ(out, std::string("ABCD"));
    deleteKey();
}

WTEST_MAIN("settings_registry")
