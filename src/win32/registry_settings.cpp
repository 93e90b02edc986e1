#include "win32/registry_settings.h"

#include <windows.h>

#include <cstring>

#include "app/settings.h"

namespace orvane {

namespace {

HKEY openKey() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS)
        return nullptr;
    return key;
}

}  // namespace

int RegistrySettings::write(const std::string& name, const std::string& text) {
    HKEY key = openKey();
    if (!key) {
        DWORD disposition = 0;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                            nullptr, &key, &disposition) != ERROR_SUCCESS)
            return 0;
    }
    // Stored without a terminating NUL: the value's length is the text's length.
    LONG rc = RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.data()),
                             static_cast<DWORD>(text.size()));
    RegCloseKey(key);
    return rc == ERROR_SUCCESS ? 1 : -1;
}

int RegistrySettings::read(const std::string& name, std::string& value) {
    HKEY key = openKey();
    if (!key) return 0;
    char buffer[255] = {};
    DWORD size = sizeof buffer;
    LONG rc = RegQueryValueExA(key, name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(key);
    // The buffer was zero-filled, so a text of at most 254 characters ends in
    // it whether or not the registry stored a terminator; a longer value fails
    // the read or fills the buffer and reads as absent, like an empty one.
    if (rc == ERROR_SUCCESS) {
        const void* end = std::memchr(buffer, '\0', sizeof buffer);
        std::size_t length = end ? static_cast<std::size_t>(static_cast<const char*>(end) - buffer) : 0;
        if (length > 0) value.assign(buffer, length);
    }
    return 1;
}

bool RegistrySettings::remove(const std::string& name) {
    HKEY key = openKey();
    if (!key) return false;
    RegDeleteValueA(key, name.c_str());
    RegCloseKey(key);
    return true;
}

}  // namespace orvane
