// A very small test harness for the programs in tests/win32, which run under
// Wine: CHECK records a failure, main() returns the number of failures.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace wtest {

struct Case {
    const char* name;
    std::function<void()> body;
};

inline std::vector<Case>& cases() {
    static std::vector<Case> all;
    return all;
}
inline int& failures() {
    static int n = 0;
    return n;
}

struct Register {
    Register(const char* name, std::function<void()> body) { cases().push_back({name, std::move(body)}); }
};

inline void fail(const char* file, int line, const std::string& what) {
    std::printf("    %s:%d: %s\n", file, line, what.c_str());
    ++failures();
}

// Folder for screenshots and other artifacts (Windows path), from ORVANE_ARTIFACTS.
inline std::string artifactPath(const std::string& name) {
    const char* dir = std::getenv("ORVANE_ARTIFACTS");
    std::string base = dir && *dir ? dir : ".";
    return base + "\\" + name;
}

inline int runAll(const char* suite) {
    int passed = 0, failed = 0;
    for (const Case& c : cases()) {
        int before = failures();
        std::printf("[ RUN  ] %s.%s\n", suite, c.name);
        std::fflush(stdout);
        c.body();
        if (failures() == before) {
            ++passed;
            std::printf("[ PASS ] %s.%s\n", suite, c.name);
        } else {
            ++failed;
            std::printf("[ FAIL ] %s.%s\n", suite, c.name);
        }
        std::fflush(stdout);
    }
    std::printf("%s: %d passed, %d failed\n", suite, passed, failed);
    return failed == 0 ? 0 : 1;
}

}  // namespace wtest

#define WTEST_CONCAT2(a, b) a##b
#define WTEST_CONCAT(a, b) WTEST_CONCAT2(a, b)
#define WTEST(name)                                                           \
    static void name();                                                       \
    static wtest::Register WTEST_CONCAT(reg_, name)(#name, name);             \
    static void name()
#define CHECK(cond) \
    do { if (!(cond)) wtest::fail(__FILE__, __LINE__, "CHECK(" #cond ")"); } while (0)
#define CHECK_EQ(a, b)                                                                     \
    do {                                                                                   \
        auto va_ = (a); auto vb_ = (b);                                                    \
        if (!(va_ == vb_)) wtest::fail(__FILE__, __LINE__, "CHECK_EQ(" #a ", " #b ")");    \
    } while (0)
#define WTEST_MAIN(suite) \
    int main() { return wtest::runAll(suite); }
