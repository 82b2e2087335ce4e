// Helpers for tests that call the Win32 file interface in both builds.
#pragma once

#include "platform/Win32.h"

#include <cstdint>
#include <string>

typedef std::basic_string<WCHAR> WideString;

// UTF-8 to UTF-16 in the WCHAR type of the build.
inline WideString toWide(const std::string &utf8) {
    WideString out;
    for (size_t i = 0; i < utf8.size();) {
        unsigned char lead = static_cast<unsigned char>(utf8[i]);
        uint32_t cp;
        int extra;
        if (lead < 0x80) {
            cp = lead, extra = 0;
        } else if ((lead & 0xE0) == 0xC0) {
            cp = lead & 0x1F, extra = 1;
        } else if ((lead & 0xF0) == 0xE0) {
            cp = lead & 0x0F, extra = 2;
        } else {
            cp = lead & 0x07, extra = 3;
        }
        ++i;
        for (int k = 0; k < extra && i < utf8.size(); ++k, ++i)
            cp = (cp << 6) | (static_cast<unsigned char>(utf8[i]) & 0x3F);
        if (cp >= 0x10000) {
            out.push_back(static_cast<WCHAR>(0xD800 + ((cp - 0x10000) >> 10)));
            out.push_back(static_cast<WCHAR>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
        } else {
            out.push_back(static_cast<WCHAR>(cp));
        }
    }
    return out;
}

// UTF-16 to UTF-8, for messages and comparisons.
inline std::string toUtf8(const WCHAR *wide) {
    std::string out;
    for (const WCHAR *p = wide; *p; ++p) {
        uint32_t cp = static_cast<uint16_t>(*p);
        if (cp >= 0xD800 && cp <= 0xDBFF && p[1] != 0) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (static_cast<uint16_t>(p[1]) - 0xDC00);
            ++p;
        }
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

inline std::string toUtf8(const WideString &wide) {
    return toUtf8(wide.c_str());
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
