// Temporary file names: their form, their uniqueness and the limit on candidates.
#include "tests/fs/FsTestSupport.h"

#include <regex>
#include <set>
#include <string>

using namespace fstest;

namespace {

class TempNameTest : public FsTest {
protected:
    std::string make(const std::string &directory, const std::string &prefix) {
        XString out;
        ok = FileSys::makeTempFileName(directory.c_str(), prefix.c_str(), out, &log);
        return utf8(out);
    }
    // The expected name: the directory with backslashes, then base_XXXX + extension.
    void expectForm(const std::string &name, const std::string &directory, const std::string &base,
                    const std::string &extension) {
        std::string prefix = backslashed(directory) + "\\" + base + "_";
        ASSERT_EQ(prefix.size() + 4 + extension.size(), name.size()) << name;
        EXPECT_EQ(prefix, name.substr(0, prefix.size())) << name;
        EXPECT_TRUE(std::regex_match(name.substr(prefix.size(), 4), std::regex("[A-Z0-9]{4}")))
            << name;
        EXPECT_EQ(extension, name.substr(prefix.size() + 4)) << name;
    }

    bool ok = false;
};

TEST_F(TempNameTest, NamesAreBaseUnderscoreFourCharactersAndExtension) {
    expectForm(make(dir.path(), "report"), dir.path(), "report", ".tmp");
    EXPECT_TRUE(ok);
    expectForm(make(dir.path(), "data.bin"), dir.path(), "data", ".bin");
    expectForm(make(dir.path(), ""), dir.path(), "x", ".tmp");
    expectForm(make(dir.path(), "a.b.c"), dir.path(), "a", ".b.c");
    expectForm(make(dir.path(), ".cfg"), dir.path(), "", ".cfg");
    expectForm(make(dir.path() + "/", "Ωμέγα"), dir.path(), "Ωμέγα", ".tmp");
    expectForm(make(backslashed(dir.path()) + "\\", "r"), dir.path(), "r", ".tmp");
    EXPECT_TRUE(log.lines.empty());
    // Nothing is created.
    EXPECT_TRUE(std::filesystem::is_empty(fsPath(dir.path())));
}

TEST_F(TempNameTest, AnEmptyDirectoryMeansTheRootOfTheCurrentDrive) {
    std::string name = make("", "t");
    EXPECT_TRUE(ok);
    ASSERT_EQ(11u, name.size()) << name;
    EXPECT_EQ("\\t_", name.substr(0, 3));
    EXPECT_EQ(".tmp", name.substr(7));
}

TEST_F(TempNameTest, NamesAreUniqueAgainstExistingFiles) {
    std::set<std::string> names;
    for (int i = 0; i < 200; ++i) {
        std::string name = make(dir.path(), "u");
        ASSERT_TRUE(ok);
        ASSERT_FALSE(FileSys::fileExistsUtf8(name.c_str(), nullptr)) << name;
        ASSERT_TRUE(FileSys::writeEntireFileUtf8(name.c_str(), "", 0, nullptr)) << name;
        names.insert(name);
    }
    EXPECT_EQ(200u, names.size());
}

TEST_F(TempNameTest, AMissingDirectoryYieldsANameAtOnce) {
    txhooks::startCounting();
    std::string name = make(path("missing"), "m");
    EXPECT_TRUE(ok);
    expectForm(name, path("missing"), "m", ".tmp");
    EXPECT_EQ(1u, txhooks::counters().callsOf(txhooks::Call::GetFileAttributes));
    EXPECT_FALSE(exists(path("missing")));
}

TEST_F(TempNameTest, ADirectoryThatRefusesEveryTestGivesUpAfter201Candidates) {
    txhooks::failNextCalls(txhooks::Call::GetFileAttributes, ERROR_ACCESS_DENIED, 1000);
    txhooks::startCounting();
    XString out;
    out.setFromUtf8("previous");
    ok = FileSys::makeTempFileName(dir.path().c_str(), "r", out, &log);
    EXPECT_FALSE(ok);
    EXPECT_TRUE(out.isEmpty());
    EXPECT_EQ(201u, txhooks::counters().callsOf(txhooks::Call::GetFileAttributes));
    EXPECT_TRUE(log.lines.empty());

    // The 201st candidate is still taken when it is free.
    txhooks::resetAll();
    txhooks::failNextCalls(txhooks::Call::GetFileAttributes, ERROR_ACCESS_DENIED, 200);
    txhooks::startCounting();
    std::string name = make(dir.path(), "r");
    EXPECT_TRUE(ok);
    expectForm(name, dir.path(), "r", ".tmp");
    EXPECT_EQ(201u, txhooks::counters().callsOf(txhooks::Call::GetFileAttributes));
}

TEST_F(TempNameTest, UserAndComputerNamesAreAppended) {
    StringBuffer user("u:");
    FileSys::getUserName(user);
    EXPECT_GT(user.getSize(), 2);
    StringBuffer computer("c:");
    FileSys::getComputerName(computer);
    EXPECT_GT(computer.getSize(), 2);
    EXPECT_LE(computer.getSize(), 2 + 15);
}

} // namespace
