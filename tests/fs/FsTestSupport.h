// Shared by the file system tests: a log that records every call in order, XString
// shorthands and file helpers. Contents are checked through std::filesystem where it
// reaches, so that a fault in the code under test cannot hide itself.
#pragma once

#include "core/StringBuffer.h"
#include "core/XString.h"
#include "fs/FileSys.h"
#include "fs/FindFileWin32.h"
#include "fs/TarnixHandle.h"
#include "log/LogBase.h"
#include "platform/TestHooks.h"
#include "tests/support/TempDir.h"
#include "tests/support/Win32TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <vector>

namespace fstest {

using Lines = std::vector<std::string>;
using Handle = std::unique_ptr<TarnixHandle>;
// Several results of one kind, compared at once.
using Results = std::vector<int64_t>;
using txhooks::Call;

// "error:text", "info:text", "data:tag=value", "enter:tag" and "leave", in order.
class RecordingLog : public LogBase {
public:
    bool logError(const char *text) override { return add("error:" + str(text)); }
    bool logInfo(const char *text) override { return add("info:" + str(text)); }
    bool enterContext(const char *tag, bool) override { return add("enter:" + str(tag)); }
    bool leaveContext() override { return add("leave"); }
    bool logData(const char *tag, const char *value) override {
        return add("data:" + str(tag) + "=" + str(value));
    }
    Lines last(size_t n) const { return Lines(lines.end() - n, lines.end()); }
    Lines lines;

private:
    static std::string str(const char *text) { return text ? text : "(null)"; }
    bool add(const std::string &line) { return lines.push_back(line), true; }
};

struct X : XString {
    explicit X(const std::string &utf8) { setFromUtf8(utf8.c_str()); }
};

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

// The entry LogBase::logWindowsError makes.
inline std::string windowsError(DWORD code) {
    return "data:WindowsError=" + osText(code);
}

inline std::string backslashed(std::string path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

// The library hands back Windows forms ("\tmp\x"); the test's own file access
// needs the native form of the same path.
inline std::filesystem::path fsPath(std::string path) {
#ifndef _WIN32
    std::replace(path.begin(), path.end(), '\\', '/');
#endif
    return std::filesystem::u8path(path);
}

inline void writeFile(const std::string &path, const std::string &bytes) {
    std::ofstream(fsPath(path), std::ios::binary) << bytes;
}

inline std::string readFile(const std::string &path) {
    std::ifstream in(fsPath(path), std::ios::binary);
    using Chars = std::istreambuf_iterator<char>;
    return in ? std::string(Chars(in), Chars()) : "<missing>";
}

inline std::string patternBytes(size_t n) {
    std::string bytes(n, '\0');
    for (size_t i = 0; i < n; ++i)
        bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
    return bytes;
}

inline int64_t callsOf(Call call) {
    return static_cast<int64_t>(txhooks::counters().callsOf(call));
}

// The sizes ReadFile or WriteFile were asked for since counting began.
inline std::vector<DWORD> ioSizes(bool writes) {
    txhooks::IoCounters c = txhooks::counters();
    return writes ? std::vector<DWORD>(c.writeSizes, c.writeSizes + c.writeSizesRecorded)
                  : std::vector<DWORD>(c.readSizes, c.readSizes + c.readSizesRecorded);
}

inline bool isReadOnly(const std::string &path) {
    DWORD attributes = 0, error = 0;
    return FileSys::GetAttributes(X(path), attributes, error, nullptr) &&
           (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

// An open that shares nothing succeeds only while nobody else holds the file.
inline bool nobodyHoldsOpen(const std::string &path) {
    DWORD error = 0;
    return Handle(FileSys::openHandleWide(X(path), GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING,
                                          FILE_ATTRIBUTE_NORMAL, error, nullptr)) != nullptr;
}

// Each name the listing gives with its size; -1 for a directory.
inline std::map<std::string, int64_t> listAll(FindFileWin32 &find, const std::string &pattern,
                                              LogBase *log) {
    std::map<std::string, int64_t> entries;
    for (bool more = find.findFirst(X(pattern), log); more; more = find.findNext(log)) {
        XString name;
        find.getEntryName(name);
        entries[utf8(name)] = find.isEntryDirectory() ? -1 : find.getEntrySize64();
    }
    return entries;
}

// Removes a tree of any depth through the long-path forms (std::filesystem stops at
// 260 characters on Windows); read-only files are made writable first.
inline void removeTree(const std::string &path) {
    FindFileWin32 find;
    for (const auto &entry : listAll(find, path + "\\*", nullptr)) {
        X child(path + "\\" + entry.first);
        if (entry.first == "." || entry.first == "..") continue;
        if (entry.second < 0) removeTree(utf8(child));
        FileSys::setFileAttributes(child, FILE_ATTRIBUTE_NORMAL);
        FileSys::deleteFile(child, nullptr);
    }
    find.closeFind();
    FileSys::removeDirectory(X(path), nullptr);
}

// A test with a fresh directory and disarmed hooks.
class FsTest : public testing::Test {
protected:
    void TearDown() override {
        txhooks::resetAll();
        removeTree(dir.path());
    }
    std::string path(const std::string &name) const { return dir.file(name); }
    // Disarms every hook and clears the log, fails the next `count` calls of `call` and
    // counts from here. Retry pauses are counted but not slept.
    void rearm(Call call = Call::CreateFile, DWORD error = 0, int count = 0) {
        txhooks::resetAll();
        log.lines.clear();
        txhooks::skipNextSleeps(3);
        if (count > 0) txhooks::failNextCalls(call, error, count);
        txhooks::startCounting();
    }
    // Creates each name: a directory when it ends in "/", else a file holding its name.
    void makeTree(std::initializer_list<std::string> names) {
        for (const std::string &name : names) {
            std::filesystem::create_directories(fsPath(path(name)).parent_path());
            if (name.back() != '/') writeFile(path(name), name);
        }
    }

    TempDir dir;
    RecordingLog log;
};

} // namespace fstest
