#include "app/settings.h"

#include "app/platform.h"

namespace orvane {

int writeSetting(const std::string& text, const std::string& name) {
    Settings* settings = platform().settings;
    return settings ? settings->write(name, text) : 0;
}

int readSetting(const std::string& name, std::string& out) {
    Settings* settings = platform().settings;
    return settings ? settings->read(name, out) : 0;
}

}  // namespace orvane
