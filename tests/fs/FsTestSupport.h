// Shared by the file system tests: a log that records every call in order, XString
// shorthands and independent file helpers (std::filesystem, not the code under test).
#pragma once

#include "core/StringBuffer.h"
#include "core/XString.h"
#include "fs/FileSys.h"
#include "fs/FindFileWin32.h"
#include "fs/TarnixHandle.h"
#include "log/LogBase.h"
#include "platform/TestHooks.h"
#include "platform/Win32.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace fstest {

// Records every entry as one line: "error:text", "info:text", "data:tag=value",
// "enter:tag", "leave".
class RecordingLog : public LogBase {
public:
    bool logError(const char *text) override { return add("error:" + safe(text)); }
    bool logInfo(const char *text) override { return add("info:" + safe(text)); }
    bool enterContext(const char *tag, bool) override { return add("enter:" + safe(tag)); }
    bool leaveContext() override { return add("leave"); }
    bool logData(const char *tag, const char *value) override {
        return add("data:" + safe(tag) + "=" + safe(value));
    }

    // Lines other than enter and leave.
    std::vector<std::string> entries() const {
        std::vector<std::string> out;
        for (const std::string &line : lines) {
            if (line.rfind("enter:", 0) != 0 && line != "leave") out.push_back(line);
        }
        return out;
    }
    bool contains(const std::string &line) const {
        for (const std::string &l : lines) {
            if (l == line) return true;
        }
        return false;
    }
    // The value of the first data entry with this tag; "<none>" when there is none.
    std::string data(const std::string &tag) const {
        std::string prefix = "data:" + tag + "=";
        for (const std::string &l : lines) {
            if (l.rfind(prefix, 0) == 0) return l.substr(prefix.size());
        }
        return "<none>";
    }
    void clear() { lines.clear(); }

    std::vector<std::string> lines;

private:
    static std::string safe(const char *text) { return text ? text : "(null)"; }
    bool add(const std::string &line) {
        lines.push_back(line);
        return true;
    }
};

// Line i of lines, counted from the end when negative; "<none>" when there is none.
inline std::string lineAt(const std::vector<std::string> &lines, int i) {
    int at = i < 0 ? static_cast<int>(lines.size()) + i : i;
    return at >= 0 && at < static_cast<int>(lines.size()) ? lines[at] : "<none>";
}

// An XString made from UTF-8, for arguments.
class X : public XString {
public:
    explicit X(const std::string &utf8) { setFromUtf8(utf8.c_str()); }
};

inline std::string utf8(XString &x) {
    return x.getUtf8();
}

inline std::string utf8(const XString &x) {
    XString copy;
    copy.copyFrom(x);
    return copy.getUtf8();
}

// The system's text for a code, as the log records it.
inline std::string osText(DWORD code) {
    StringBuffer text;
    text.appendWindowsError(code);
    return text.getString();
}

inline std::string backslashed(std::string path) {
    for (char &c : path) {
        if (c == '/') c = '\\';
    }
    return path;
}

inline std::filesystem::path fsPath(const std::string &utf8Path) {
    return std::filesystem::u8path(utf8Path);
}

inline void writeFile(const std::string &path, const std::string &bytes) {
    std::ofstream out(fsPath(path), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string readFile(const std::string &path) {
    std::ifstream in(fsPath(path), std::ios::binary);
    if (!in) return "<missing>";
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline bool exists(const std::string &path) {
    std::error_code ignored;
    return std::filesystem::exists(fsPath(path), ignored);
}

inline bool isDirectory(const std::string &path) {
    std::error_code ignored;
    return std::filesystem::is_directory(fsPath(path), ignored);
}

inline std::string patternBytes(size_t n) {
    std::string bytes(n, '\0');
    for (size_t i = 0; i < n; ++i)
        bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
    return bytes;
}

inline bool isReadOnly(const std::string &path) {
    DWORD attributes = 0, error = 0;
    return FileSys::GetAttributes(X(path), attributes, error, nullptr) &&
           (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

inline void makeReadOnly(const std::string &path, bool readOnly) {
    DWORD attributes = 0, error = 0;
    ASSERT_TRUE(FileSys::GetAttributes(X(path), attributes, error, nullptr));
    attributes = readOnly ? (attributes | FILE_ATTRIBUTE_READONLY)
                          : (attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(FileSys::setFileAttributes(X(path), attributes));
}

// True when nobody holds the file open: an open that shares nothing succeeds only then.
inline bool nobodyHoldsOpen(const std::string &path) {
    DWORD error = 0;
    std::unique_ptr<TarnixHandle> handle(
        FileSys::openHandleWide(X(path), GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, error, nullptr));
    return handle != nullptr;
}

// Whether the platform itself refuses to open a read-only file for writing. Wine
// running as root lets the write in; Windows and the POSIX layer refuse it.
inline bool readOnlyRefusesWrites(const std::string &probePath) {
    writeFile(probePath, "probe");
    X probe(probePath);
    DWORD attributes = 0, error = 0;
    FileSys::GetAttributes(probe, attributes, error, nullptr);
    FileSys::setFileAttributes(probe, attributes | FILE_ATTRIBUTE_READONLY);
    HANDLE handle = CreateFileW(reinterpret_cast<const WCHAR *>(probe.getUtf16()), GENERIC_WRITE, 0,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    bool refused = handle == INVALID_HANDLE_VALUE;
    if (!refused) CloseHandle(handle);
    FileSys::setFileAttributes(probe, attributes);
    FileSys::deleteFile(probe, nullptr);
    return refused;
}

// Restores the process's current directory when the scope ends.
class CurrentDirectoryGuard {
public:
    CurrentDirectoryGuard() : m_saved(std::filesystem::current_path()) {}
    ~CurrentDirectoryGuard() {
        std::error_code ignored;
        std::filesystem::current_path(m_saved, ignored);
    }

private:
    std::filesystem::path m_saved;
};

// Removes a tree of any depth through the long-path forms (std::filesystem stops at
// 260 characters on Windows); read-only files are made writable first.
inline void removeTree(const std::string &utf8Path) {
    std::vector<std::string> names;
    {
        FindFileWin32 find;
        if (find.findFirst(X(utf8Path + "\\*"), nullptr)) {
            do {
                XString name;
                find.getEntryName(name);
                std::string text = utf8(name);
                if (text != "." && text != "..") names.push_back(text);
            } while (find.findNext(nullptr));
        }
    }
    for (const std::string &name : names) {
        X child(utf8Path + "\\" + name);
        DWORD attributes = 0, error = 0;
        if (!FileSys::GetAttributes(child, attributes, error, nullptr)) continue;
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
            removeTree(utf8Path + "\\" + name);
        } else {
            FileSys::setFileAttributes(child, FILE_ATTRIBUTE_NORMAL);
            FileSys::deleteFile(child, nullptr);
        }
    }
    FileSys::removeDirectory(X(utf8Path), nullptr);
}

// A test with a fresh directory and disarmed hooks.
class FsTest : public testing::Test {
protected:
    void TearDown() override {
        txhooks::resetAll();
        removeTree(dir.path());
    }

    std::string path(const std::string &name) const { return dir.file(name); }

    TempDir dir;
    RecordingLog log;
};

} // namespace fstest
