// The download engine with the WinINet range source against the demo store's
// mirrors, with their fault switches. Needs the demo store running on the
// ports of the build configuration.
//
// Also a benchmark tool: "download_engine_test bench URL PATH" runs the engine
// once and prints "bytes=N seconds=S" (used by tools/bench/download_bench.sh).
#include <windows.h>
#include <wininet.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

#include "app/agent_state.h"
#include "download/engine.h"
#include "net/text.h"
#include "orvane_config.h"
#include "win32/win32_files.h"
#include "win32/wininet_range_source.h"
#include "wtest.h"

using namespace orvane;

namespace {

Win32Files g_files;
Win32Clock g_clock;
WinInetRangeSource g_ranges;

void installPorts() {
    platform().files = &g_files;
    platform().clock = &g_clock;
    platform().ranges = &g_ranges;
}

// A plain GET; the body, or "" when it fails.
std::string httpGet(const std::string& url) {
    std::string body;
    HINTERNET root = InternetOpenA("download test", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (!root) return body;
    HINTERNET request = InternetOpenUrlA(root, url.c_str(), nullptr, 0,
                                         INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0);
    if (request) {
        char buffer[65536];
        DWORD got = 0;
        while (InternetReadFile(request, buffer, sizeof buffer, &got) && got > 0) body.append(buffer, got);
        InternetCloseHandle(request);
    }
    InternetCloseHandle(root);
    return body;
}

std::string controlUrl(const std::string& query) {
    return "http://localhost:" + std::to_string(config::storeHttpPort) + "/__demo/" + query;
}

void setMirror(int n, const std::string& mode, const std::string& arg = "") {
    std::string reply =
        httpGet(controlUrl("mirror?n=" + std::to_string(n) + "&mode=" + mode + (arg.empty() ? "" : "&arg=" + arg)));
    if (reply.empty()) std::printf("    (could not switch mirror %d to %s)\n", n, mode.c_str());
}

std::string fileUrl(int mirror, const std::string& id) {
    return std::string("http://") + (mirror == 1 ? config::mirror1 : config::mirror2) + "/sendfile.php?id=" + id;
}

std::string workFolder() {
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    std::string folder = std::string(temp) + "orvane_download_test";
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder + "\\";
}

std::string readFile(const std::string& path) {
    std::string text;
    g_files.readText(path, text);
    return text;
}

void writeFile(const std::string& path, const std::string& bytes) { g_files.writeText(path, bytes); }

std::string run(const std::string& url, const std::string& path, std::uint64_t expected = 0) {
    DownloadState& job = state().download;
    job.expectedSize = expected;
    job.running = true;
    RunDownload(job, url, path);
    return job.progress();
}

std::string field(const std::string& text, std::size_t n) {
    auto f = splitFields(text, '|');
    return n < f.size() ? f[n] : std::string("<none>");
}

bool oneField(const std::string& text) { return text.find('|') == std::string::npos; }

// The whole file as the mirror serves it without a range, for comparison.
std::string reference(const std::string& id) {
    setMirror(1, "ok");
    return httpGet(fileUrl(1, id));
}

}  // namespace

WTEST(WholeFileArrivesIntact) {
    installPorts();
    const std::string want = reference("sky-setup");
    CHECK_EQ(want.size(), std::size_t(1048576));
    const std::string path = workFolder() + "sky.bin";
    g_files.remove(path);
    std::string text = run(fileUrl(1, "sky-setup"), path);
    CHECK_EQ(field(text, 1), std::string("1048576"));
    CHECK_EQ(field(text, 4), std::string("Completed"));
    CHECK(field(text, 0).substr(0, 3) == "100");
    CHECK(readFile(path) == want);
    CHECK(!state().download.running);
}

WTEST(SmallFileLineAndSecondMirror) {
    installPorts();
    setMirror(2, "ok");
    const std::string path = workFolder() + "palette.bin";
    g_files.remove(path);
    std::string text = run(fileUrl(2, "palette-zip"), path);
    std::printf("    %s\n", text.c_str());
    CHECK_EQ(field(text, 1), std::string("100"));
    CHECK_EQ(field(text, 3), std::string("1 Sec"));
    CHECK_EQ(field(text, 4), std::string("Completed"));
    CHECK_EQ(g_files.size(path), std::int64_t(100));
}

WTEST(ResumesFromTheLocalLength) {
    installPorts();
    const std::string want = reference("terrain-manual");
    const std::string path = workFolder() + "manual.bin";
    writeFile(path, want.substr(0, 70001));  // not a multiple of anything
    httpGet(controlUrl("reset-log"));
    std::string text = run(fileUrl(1, "terrain-manual"), path);
    CHECK_EQ(field(text, 4), std::string("Completed"));
    CHECK(readFile(path) == want);
    // The request as the mirror saw it.
    std::string log = httpGet(controlUrl("log"));
    CHECK(log.find("\"Range\": \"bytes=70001-\"") != std::string::npos);
    CHECK(log.find("\"User-Agent\": \"Orvane 3/0\"") != std::string::npos);
}

WTEST(AlreadyCompleteFileIsNotReadInto) {
    installPorts();
    const std::string want = reference("saver-zip");
    const std::string path = workFolder() + "saver.bin";
    writeFile(path, want);
    std::string text = run(fileUrl(1, "saver-zip"), path);
    CHECK_EQ(text, std::string("100|0 Sec|65536|N/A|Completed"));
    CHECK(readFile(path) == want);
}

WTEST(MirrorIgnoringRangesStillDeliversAWholeFile) {
    installPorts();
    const std::string want = reference("quicknote-zip");
    setMirror(1, "norange");
    const std::string path = workFolder() + "quicknote.bin";
    g_files.remove(path);
    std::string text = run(fileUrl(1, "quicknote-zip"), path);
    setMirror(1, "ok");
    CHECK_EQ(field(text, 4), std::string("Completed"));
    CHECK(readFile(path) == want);
}

WTEST(FaultsEndInOneFieldFailures) {
    installPorts();
    struct Case {
        const char* mode;
        const char* arg;
        const char* id;
        std::string text;
        std::int64_t left;
    } cases[] = {
        {"down", "", "sky-setup", kErrHostUrl, 0},  // connection reset
        {"down", "1", "sky-setup", kErrHostUrl, 0},  // nothing listening
        {"error", "404", "sky-setup", std::string(kErrHttpStatus) + "404", 0},
        {"error", "500", "sky-setup", std::string(kErrHttpStatus) + "500", 0},
        {"ok", "", "no-such-file", std::string(kErrHttpStatus) + "404", 0},
        {"cut", "1024", "sky-setup", kErrShort, 1024},
        {"badrange", "0", "sky-setup", kErrBadRange, 0},  // a total 1000 bytes beyond the file
        {"badrange", "1", "sky-setup", kErrBadRange, 0},
        {"badrange", "2", "sky-setup", kErrBadRange, 0},
    };
    const std::string path = workFolder() + "fault.bin";
    for (const Case& c : cases) {
        std::printf("    mirror 1 %s %s, %s\n", c.mode, c.arg, c.id);
        setMirror(1, c.mode, c.arg);
        g_files.remove(path);
        std::string text = run(fileUrl(1, c.id), path);
        std::printf("      -> %s\n", text.c_str());
        CHECK(oneField(text));
        CHECK_EQ(text, c.text);
        CHECK_EQ(g_files.size(path), c.left);
        CHECK(!state().download.running);
    }
    setMirror(1, "ok");
}

WTEST(UnreachableHostIsOneFieldFailure) {
    installPorts();
    const std::string path = workFolder() + "nohost.bin";
    g_files.remove(path);
    // Port 9 (discard) has no listener on loopback.
    std::string text = run("http://localhost:9/sendfile.php?id=sky-setup", path);
    std::printf("    -> %s\n", text.c_str());
    CHECK(oneField(text));
    CHECK(!state().download.running);
}

WTEST(SlowLinkShowsProgressAndCancelStopsIt) {
    installPorts();
    const std::string path = workFolder() + "slow.bin";
    DownloadState& job = state().download;
    for (const char* rate : {"40000", "3000"}) {  // bytes per second, in pieces of a tenth
        std::printf("    %s bytes/sec\n", rate);
        setMirror(1, "slow", rate);
        g_files.remove(path);
        job.expectedSize = 0;
        job.running = true;
        std::thread worker([&] { RunDownload(job, fileUrl(1, "sky-setup"), path); });
        // The window polls every 500 ms; every poll should find a newer line.
        std::string last;
        int fresh = 0;
        for (int poll = 0; poll < 4; ++poll) {
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
            std::string now = job.progress();
            if (field(now, 4) == "Downloading" && now != last) ++fresh;
            last = now;
        }
        CHECK_EQ(fresh, 4);
        auto cancelled = std::chrono::steady_clock::now();
        job.running = false;  // the Cancel button
        worker.join();
        auto took = std::chrono::steady_clock::now() - cancelled;
        std::string text = job.progress();
        std::printf("      %s (stopped %lld ms after the cancel)\n", text.c_str(),
                    static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(took).count()));
        CHECK_EQ(field(text, 4), std::string("Canceled"));
        std::int64_t kept = g_files.size(path);
        CHECK(kept > 0 && kept < 1048576);
    }
    setMirror(1, "ok");
}

// bench URL PATH: one run of the engine, then "bytes=N seconds=S" and the
// final progress text.
int bench(const char* url, const char* path) {
    installPorts();
    g_files.remove(path);
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    std::string text = run(url, path);
    QueryPerformanceCounter(&end);
    double seconds = static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
    std::printf("bytes=%lld seconds=%.6f\n%s\n", static_cast<long long>(g_files.size(path)), seconds, text.c_str());
    return field(text, 4) == "Completed" ? 0 : 1;
}

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "bench") == 0) return bench(argv[2], argv[3]);
    return wtest::runAll("download_engine");
}
