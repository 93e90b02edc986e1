// open_recorder: stands in for the program that opens a downloaded product file. The test prefix
// associates the product files' extensions with it, so "Open Downloaded File" (ShellExecute
// "open") lands here. It appends its command line, one line per call, to the file named by
// ORVANE_OPEN_LOG, or to C:\orvane-open.log when that is not set.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const char* log = std::getenv("ORVANE_OPEN_LOG");
    if (!log || !*log) log = "C:\\orvane-open.log";
    const wchar_t* cmd = GetCommandLineW();
    int n = WideCharToMultiByte(CP_UTF8, 0, cmd, -1, nullptr, 0, nullptr, nullptr);
    char* utf8 = static_cast<char*>(std::calloc(static_cast<size_t>(n) + 1, 1));
    WideCharToMultiByte(CP_UTF8, 0, cmd, -1, utf8, n, nullptr, nullptr);
    FILE* f = std::fopen(log, "ab");
    if (!f) return 1;
    std::fprintf(f, "%s\n", utf8);
    std::fclose(f);
    std::free(utf8);
    return 0;
}
