// Files and the clock on Windows.
#pragma once

#include "app/platform.h"

namespace orvane {

class Win32Files : public Files {
public:
    bool exists(const std::string& path) override;
    std::int64_t size(const std::string& path) override;
    bool remove(const std::string& path) override;
    bool createFolder(const std::string& path) override;
    bool readText(const std::string& path, std::string& text) override;
    bool writeText(const std::string& path, const std::string& text) override;
    std::unique_ptr<OutFile> openForAppend(const std::string& path) override;
};

class Win32Clock : public Clock {
public:
    std::uint64_t ticksMs() override;
    LocalTime localTime() override;
    char decimalSeparator() override;
};

}  // namespace orvane
