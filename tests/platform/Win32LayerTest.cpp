// The Win32 calls the system relies on behave as on Windows in both builds.
#include "platform/Win32.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

namespace {

std::string systemMessage(DWORD code) {
    char *text = nullptr;
    DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                      FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                  reinterpret_cast<LPSTR>(&text), 0, nullptr);
    std::string result = length ? std::string(text, length) : std::string();
    if (text) LocalFree(text);
    return result;
}

// Wine's system messages are its own wording, not Windows'; under Wine only their
// form is checked.
bool runningUnderWine() {
#ifdef _WIN32
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
#else
    return false;
#endif
}

struct MessageCase {
    DWORD code;
    const char *text;
};

class SystemMessageTest : public testing::TestWithParam<MessageCase> {};

TEST_P(SystemMessageTest, EnglishTextEndsInCrLf) {
    const MessageCase &expected = GetParam();
    std::string text = systemMessage(expected.code);
    if (runningUnderWine()) {
        ASSERT_GT(text.size(), 2u) << "code " << expected.code;
        EXPECT_EQ("\r\n", text.substr(text.size() - 2)) << "code " << expected.code;
        return;
    }
    EXPECT_EQ(std::string(expected.text) + "\r\n", text) << "code " << expected.code;
}

// The codes the file layer records, with the texts Windows gives for them.
INSTANTIATE_TEST_SUITE_P(
    FileLayerCodes, SystemMessageTest,
    testing::Values(
        MessageCase{ERROR_FILE_NOT_FOUND, "The system cannot find the file specified."},
        MessageCase{ERROR_PATH_NOT_FOUND, "The system cannot find the path specified."},
        MessageCase{ERROR_ACCESS_DENIED, "Access is denied."},
        MessageCase{ERROR_INVALID_HANDLE, "The handle is invalid."},
        MessageCase{ERROR_NOT_READY, "The device is not ready."},
        MessageCase{ERROR_SHARING_VIOLATION, "The process cannot access the file because it is "
                                             "being used by another process."},
        MessageCase{ERROR_HANDLE_EOF, "Reached the end of the file."},
        MessageCase{ERROR_FILE_EXISTS, "The file exists."},
        MessageCase{ERROR_INVALID_PARAMETER, "The parameter is incorrect."},
        MessageCase{ERROR_DISK_FULL, "There is not enough space on the disk."},
        MessageCase{ERROR_INVALID_NAME,
                    "The filename, directory name, or volume label syntax is incorrect."},
        MessageCase{ERROR_NEGATIVE_SEEK, "An attempt was made to move the file pointer before "
                                         "the beginning of the file."},
        MessageCase{ERROR_DIR_NOT_EMPTY, "The directory is not empty."},
        MessageCase{ERROR_ALREADY_EXISTS, "Cannot create a file when that file already exists."},
        MessageCase{ERROR_FILENAME_EXCED_RANGE, "The filename or extension is too long."},
        MessageCase{ERROR_DIRECTORY, "The directory name is invalid."},
        MessageCase{ERROR_BAD_NETPATH, "The network path was not found."},
        MessageCase{ERROR_INVALID_DRIVE, "The system cannot find the drive specified."},
        MessageCase{ERROR_NO_MORE_FILES, "There are no more files."},
        MessageCase{ERROR_WRITE_PROTECT, "The media is write protected."},
        MessageCase{ERROR_LOCK_VIOLATION, "The process cannot access the file because another "
                                          "process has locked a portion of the file."}));

TEST(FormatMessageTest, UnknownCodeGivesNoText) {
    char *text = nullptr;
    DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                      FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, 0x2BADF00Du, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                  reinterpret_cast<LPSTR>(&text), 0, nullptr);
    EXPECT_EQ(0u, length);
    EXPECT_NE(static_cast<DWORD>(ERROR_SUCCESS), GetLastError());
}

TEST(LastErrorTest, IsKeptPerThread) {
    std::atomic<int> step{0};
    DWORD seenByOtherThread = 12345;
    std::thread other([&] {
        while (step.load() != 1) {
        }
        SetLastError(ERROR_DISK_FULL);
        seenByOtherThread = GetLastError();
        step = 2;
    });
    // Read before join: creating and joining a thread may set the last error.
    SetLastError(ERROR_ACCESS_DENIED);
    step = 1;
    while (step.load() != 2) {
    }
    DWORD seenHere = GetLastError();
    other.join();
    EXPECT_EQ(static_cast<DWORD>(ERROR_DISK_FULL), seenByOtherThread);
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), seenHere);
}

TEST(CodePageTest, AnsiAndOemCodePagesAreThoseOfAnEnglishSystem) {
    // Wine's default prefix and the POSIX layer both report an English system.
    EXPECT_EQ(1252u, GetACP());
    EXPECT_EQ(437u, GetOEMCP());
}

TEST(CriticalSectionTest, IsRecursiveAndExcludesOtherThreads) {
    CRITICAL_SECTION section;
    InitializeCriticalSection(&section);
    EnterCriticalSection(&section);
    EnterCriticalSection(&section);
    std::atomic<bool> otherEntered{false};
    std::thread other([&] {
        EnterCriticalSection(&section);
        otherEntered = true;
        LeaveCriticalSection(&section);
    });
    LeaveCriticalSection(&section);
    Sleep(50);
    EXPECT_FALSE(otherEntered) << "the section was released after one of two leaves";
    LeaveCriticalSection(&section);
    other.join();
    EXPECT_TRUE(otherEntered);
    DeleteCriticalSection(&section);
}

TEST(InterlockedTest, CountsExactlyUnderContention) {
    LONG volatile counter = 0;
    auto work = [&] {
        for (int i = 0; i < 100000; ++i) {
            InterlockedIncrement(&counter);
            InterlockedIncrement(&counter);
            InterlockedDecrement(&counter);
        }
    };
    std::thread a(work), b(work);
    a.join();
    b.join();
    EXPECT_EQ(200000, counter);
    EXPECT_EQ(200001, InterlockedIncrement(&counter));
    EXPECT_EQ(200000, InterlockedDecrement(&counter));
}

TEST(TickCountTest, AdvancesAcrossASleep) {
    DWORD before = GetTickCount();
    Sleep(30);
    DWORD elapsed = GetTickCount() - before;
    EXPECT_GE(elapsed, 20u);
    EXPECT_NE(0u, GetCurrentThreadId());
}

} // namespace
