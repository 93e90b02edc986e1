// The activation context of the program's common-controls manifest, active
// around the creation of every dialog.
#pragma once

namespace orvane {

class ActivationScope {
public:
    ActivationScope();
    ~ActivationScope();
    ActivationScope(const ActivationScope&) = delete;
    ActivationScope& operator=(const ActivationScope&) = delete;

private:
    unsigned long long cookie_ = 0;
    bool active_ = false;
};

}  // namespace orvane
