#include "win32/win32_files.h"

#include <windows.h>

namespace orvane {

namespace {

class Win32OutFile : public OutFile {
public:
    Win32OutFile(HANDLE file, std::uint64_t length) : file_(file), length_(length) {}
    ~Win32OutFile() override { close(); }
    std::uint64_t length() override { return length_; }
    bool write(const char* data, std::size_t size) override {
        while (size > 0) {
            DWORD chunk = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
            DWORD written = 0;
            if (!WriteFile(file_, data, chunk, &written, nullptr) || written == 0) return false;
            length_ += written;
            data += written;
            size -= written;
        }
        return true;
    }
    void close() override {
        if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
        file_ = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE file_;
    std::uint64_t length_;
};

}  // namespace

bool Win32Files::exists(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::int64_t Win32Files::size(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return -1;
    return (static_cast<std::int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool Win32Files::remove(const std::string& path) {
    if (!exists(path)) return true;
    return DeleteFileA(path.c_str()) != 0;
}

bool Win32Files::createFolder(const std::string& path) {
    if (CreateDirectoryA(path.c_str(), nullptr)) return true;
    return GetLastError() == ERROR_ALREADY_EXISTS;
}

bool Win32Files::readText(const std::string& path, std::string& text) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    text.clear();
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) text.append(buffer, got);
    CloseHandle(file);
    return true;
}

bool Win32Files::writeText(const std::string& path, const std::string& text) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
              written == text.size();
    CloseHandle(file);
    return ok;
}

std::unique_ptr<OutFile> Win32Files::openForAppend(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return nullptr;
    LARGE_INTEGER end{};
    LARGE_INTEGER zero{};
    SetFilePointerEx(file, zero, &end, FILE_END);
    return std::make_unique<Win32OutFile>(file, static_cast<std::uint64_t>(end.QuadPart));
}

std::uint64_t Win32Clock::ticksMs() { return GetTickCount64(); }

LocalTime Win32Clock::localTime() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    LocalTime lt;
    lt.year = t.wYear;
    lt.month = t.wMonth;
    lt.day = t.wDay;
    lt.weekday = t.wDayOfWeek;
    lt.hour = t.wHour;
    lt.minute = t.wMinute;
    lt.second = t.wSecond;
    return lt;
}

char Win32Clock::decimalSeparator() {
    char buffer[8] = {};
    if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, buffer, sizeof buffer) > 0 && buffer[0]) return buffer[0];
    return '.';
}

}  // namespace orvane
