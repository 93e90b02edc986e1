// The settings key in the current user's registry.
#pragma once

#include "app/platform.h"

namespace orvane {

class RegistrySettings : public Settings {
public:
    int write(const std::string& name, const std::string& text) override;
    int read(const std::string& name, std::string& value) override;
    bool remove(const std::string& name) override;
};

}  // namespace orvane
