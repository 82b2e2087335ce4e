// What a script can pass by mistake: every call gives its documented result, says
// why in the log, holds no file afterwards and leaves the object usable.
#include "tests/component/FileAccessTestSupport.h"

#include <functional>

namespace comptest {
namespace {

using fstest::writeFile;
namespace fs = std::filesystem;

TEST_F(FileAccessTest, EmptyMissingAndMisplacedPaths) {
    writeFile(path("f"), "data");
    fs::create_directory(fstest::fsPath(path("d")));
    // Neither the drive letter nor the share exists natively; under Windows the
    // drive is one no machine here has.
    for (const std::string &bad : {std::string(""), path("d"), path("f") + "\\sub",
                                   std::string("Q:\\no\\such"), std::string("\\\\nohost\\s\\f")}) {
        SCOPED_TRACE(bad);
        DataBuffer bytes;
        XString text;
        EXPECT_FALSE(fa.ReadEntireFile(X(bad), bytes));
        EXPECT_EQ(0u, bytes.getSize());
        EXPECT_FALSE(fa.ReadEntireTextFile(X(bad), X("utf-8"), text));
        EXPECT_FALSE(fa.ReadBinaryToEncoded(X(bad), X("hex"), text));
        EXPECT_EQ(-1, fa.ReplaceStrings(X(bad), X("utf-8"), X("a"), X("b")));
        EXPECT_EQ(0, fa.FileSize(X(bad)));
        EXPECT_FALSE(fa.OpenForRead(X(bad)));
        EXPECT_NE(0, fa.get_FileOpenError());
        EXPECT_FALSE(fa.WriteEntireFile(X(bad), Bytes("x")));
        EXPECT_FALSE(fa.FileCopy(X(bad), at("copied"), false));
        if (bad != path("d")) {
            EXPECT_FALSE(fa.FileRename(X(bad), at("moved")));
            EXPECT_FALSE(fa.DirDelete(X(bad)));
        }
        EXPECT_TRUE(fa.TreeDelete(X(bad)));
        EXPECT_NE("", lastErrorText(fa));
    }
    EXPECT_EQ("data", fstest::readFile(path("f"))) << "no call destroyed the file";
    EXPECT_TRUE(fstest::nobodyHoldsOpen(path("f")));
    EXPECT_FALSE(fa.DirCreate(at("f"))) << "a file of that name";
    EXPECT_FALSE(fa.DirAutoCreate(at("f/x")));
}

// Every call, good inputs and bad, leaves the process's handle count as it was.
TEST_F(FileAccessTest, NoCallLeavesAHandleOpen) {
    writeFile(path("f"), "abc abc");
    std::string missing = path("missing");
    std::vector<std::function<void(ClsFileAccess &, const std::string &)>> calls = {
        [](ClsFileAccess &o, const std::string &p) { o.FileSize(X(p)); },
        [](ClsFileAccess &o, const std::string &p) {
            DataBuffer d;
            o.ReadEntireFile(X(p), d);
        },
        [](ClsFileAccess &o, const std::string &p) {
            XString t;
            o.ReadEntireTextFile(X(p), X("utf-16"), t);
            o.ReadBinaryToEncoded(X(p), X("base64"), t);
        },
        [](ClsFileAccess &o, const std::string &p) {
            o.ReplaceStrings(X(p), X(""), X("b"), X("B"));
        },
        [](ClsFileAccess &o, const std::string &p) { o.FileExists(X(p)); },
        [](ClsFileAccess &o, const std::string &p) {
            o.OpenForRead(X(p));
            o.FileClose();
        },
        [](ClsFileAccess &o, const std::string &p) { o.TreeDelete(X(p + "-dir")); },
    };
    int64_t before = txhooks::openHandleCount();
    ASSERT_GT(before, -1);
    for (size_t i = 0; i < calls.size(); ++i) {
        for (const std::string &target : {path("f"), missing, std::string("")}) {
            calls[i](fa, target);
            EXPECT_EQ(before, txhooks::openHandleCount()) << "call " << i << " on " << target;
        }
    }
    {
        ClsFileAccess holder;
        ASSERT_TRUE(holder.OpenForAppend(at("g")));
        EXPECT_EQ(before + 1, txhooks::openHandleCount()) << "the count sees an open file";
    }
    EXPECT_EQ(before, txhooks::openHandleCount()) << "destruction closes the open file";
}

TEST_F(FileAccessTest, SizesAroundTwoGiB) {
    struct Size {
        uintmax_t bytes;
        int reported;
    } sizes[] = {{2147483647u, 2147483647}, {2147483648u, -1}, {4294967296u + 5, -1}};
    for (const Size &size : sizes) {
        SCOPED_TRACE(size.bytes);
        writeFile(path("big"), "");
        std::error_code error;
        fs::resize_file(fstest::fsPath(path("big")), size.bytes, error);
        if (error) GTEST_SKIP() << "no sparse file of " << size.bytes << " bytes here";
        EXPECT_EQ(size.reported, fa.FileSize(at("big")));
        if (size.reported == -1) {
            EXPECT_TRUE(logHas(fa, "The file is too large for a 32-bit size."));
            EXPECT_TRUE(logHas(fa, "fileSize: " + std::to_string(size.bytes)));
        }
    }
    EXPECT_TRUE(fstest::nobodyHoldsOpen(path("big")));
}

TEST_F(FileAccessTest, FileChangedBetweenCalls) {
    writeFile(path("f"), "0123456789");
    ASSERT_TRUE(fa.OpenForRead(at("f")));
    DataBuffer data;
    ASSERT_TRUE(fa.FileRead(4, data));
    fs::resize_file(fstest::fsPath(path("f")), 2);
    ASSERT_TRUE(fa.FileRead(4, data)) << "a shortened file reads as ended";
    EXPECT_EQ(0u, data.getSize());
    EXPECT_TRUE(fa.get_EndOfFile());
    fa.FileClose();
    fs::remove(fstest::fsPath(path("f")));
    // Read-write creates what is missing; read never does.
    EXPECT_FALSE(fa.OpenForRead(at("f")));
    EXPECT_TRUE(fa.OpenForReadWrite(at("f")) && fa.FileExists(at("f")));
}

} // namespace
} // namespace comptest
