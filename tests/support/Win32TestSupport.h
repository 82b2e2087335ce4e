// Helpers for tests that call the Win32 file interface in both builds.
#pragma once

#include "platform/Win32.h"

#include <filesystem>
#include <string>

typedef std::basic_string<WCHAR> WideString;

// UTF-8 and UTF-16 in the WCHAR type of the build, converted by the standard library
// rather than by the code under test.
inline WideString toWide(const std::string &utf8) {
    std::u16string units = std::filesystem::u8path(utf8).u16string();
    return WideString(units.begin(), units.end());
}

inline std::string toUtf8(const WideString &wide) {
    return std::filesystem::path(std::u16string(wide.begin(), wide.end())).u8string();
}

// Wine stands in for Windows in the Windows build; where it differs from
// Windows (it runs as root here and so lets root write read-only files, for
// one), a test says so and checks what applies.
inline bool runningUnderWine() {
#ifdef _WIN32
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
#else
    return false;
#endif
}

// Owns a file handle in a test.
class TestHandle {
public:
    explicit TestHandle(HANDLE handle = INVALID_HANDLE_VALUE) : m_handle(handle) {}
    ~TestHandle() { reset(); }
    TestHandle(const TestHandle &) = delete;
    TestHandle &operator=(const TestHandle &) = delete;
    HANDLE get() const { return m_handle; }
    bool valid() const { return m_handle != INVALID_HANDLE_VALUE; }
    void reset(HANDLE handle = INVALID_HANDLE_VALUE) {
        if (m_handle != INVALID_HANDLE_VALUE) CloseHandle(m_handle);
        m_handle = handle;
    }

private:
    HANDLE m_handle;
};

// Creates (or truncates) a file holding `content`; false on any failure.
inline bool writeTestFile(const std::string &path, const std::string &content) {
    TestHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return false;
    DWORD written = 0;
    if (content.empty()) return true;
    return WriteFile(file.get(), content.data(), static_cast<DWORD>(content.size()), &written,
                     nullptr) &&
           written == content.size();
}

inline std::string readTestFile(const std::string &path) {
    TestHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    std::string content;
    if (!file.valid()) return content;
    char buffer[4096];
    DWORD count = 0;
    while (ReadFile(file.get(), buffer, sizeof buffer, &count, nullptr) && count > 0)
        content.append(buffer, count);
    return content;
}

// Puts the current directory back when a test changed it.
class CurrentDirectoryGuard {
public:
    CurrentDirectoryGuard() {
        WCHAR buffer[4096];
        DWORD length = GetCurrentDirectoryW(4096, buffer);
        m_saved.assign(buffer, length < 4096 ? length : 0);
    }
    ~CurrentDirectoryGuard() {
        if (!m_saved.empty()) SetCurrentDirectoryW(m_saved.c_str());
    }
    CurrentDirectoryGuard(const CurrentDirectoryGuard &) = delete;
    CurrentDirectoryGuard &operator=(const CurrentDirectoryGuard &) = delete;

private:
    WideString m_saved;
};
