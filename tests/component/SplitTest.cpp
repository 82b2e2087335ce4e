// Splitting a file into parts and joining them back, with the failures that end it.
#include "tests/component/FileAccessTestSupport.h"

namespace comptest {
namespace {

using fstest::patternBytes;
using fstest::readFile;
using fstest::writeFile;
namespace fs = std::filesystem;

class SplitTest : public FileAccessTest {
protected:
    bool split(int partSize, const std::string &outDir = "") {
        return fa.SplitFile(at("src"), X("part"), X(".dat"), partSize, at(outDir));
    }
    bool reassemble() { return fa.ReassembleFile(at(""), X("part"), X("dat"), at("joined")); }
    bool exists(const std::string &name) { return fs::exists(fstest::fsPath(path(name))); }
    std::string part(int n) { return "part" + std::to_string(n) + ".dat"; }
};

TEST_F(SplitTest, RoundTripsIntoPartsOfTheGivenSize) {
    struct Row {
        size_t fileSize;
        int partSize;
        std::vector<size_t> parts;
    } rows[] = {
        {0, 100, {}},
        {250, 100, {100, 100, 50}},
        {200, 100, {100, 100}},
        {1, 1000, {1}},
        // Parts larger than the copy buffer, and chunks crossing part boundaries.
        {450001, 200000, {200000, 200000, 50001}},
        {500000, 300000, {300000, 200000}},
    };
    for (const Row &row : rows) {
        fstest::removeTree(dir.path());
        fs::create_directory(fstest::fsPath(dir.path()));
        std::string bytes = patternBytes(row.fileSize);
        writeFile(path("src"), bytes);
        int64_t handlesBefore = txhooks::openHandleCount();
        ASSERT_TRUE(split(row.partSize, "")) << row.fileSize;
        std::string log = lastErrorText(fa);
        std::string fileSize = "<fileSize>" + std::to_string(row.fileSize) + "</fileSize>";
        EXPECT_NE(std::string::npos, lastErrorXml(fa).find(fileSize)) << row.fileSize;
        size_t offset = 0;
        for (size_t n = 1; n <= row.parts.size(); ++n) {
            EXPECT_EQ(bytes.substr(offset, row.parts[n - 1]), readFile(path(part(n))));
            offset += row.parts[n - 1];
            std::string entry = "numBytesWritten: " + std::to_string(row.parts[n - 1]);
            EXPECT_NE(std::string::npos, log.find(entry)) << n << "\n" << log;
        }
        EXPECT_FALSE(exists(part(static_cast<int>(row.parts.size()) + 1))) << row.fileSize;
        EXPECT_TRUE(reassemble());
        EXPECT_EQ(bytes, readFile(path("joined"))) << row.fileSize;
        EXPECT_EQ(handlesBefore, txhooks::openHandleCount()) << row.fileSize;
    }
}

TEST_F(SplitTest, ReassemblyStopsAtTheFirstMissingPart) {
    EXPECT_TRUE(reassemble()) << "no part 1";
    EXPECT_EQ("", readFile(path("joined")));
    std::string bytes = patternBytes(400);
    writeFile(path("src"), bytes);
    ASSERT_TRUE(split(100));
    fs::remove(fstest::fsPath(path(part(3))));
    EXPECT_TRUE(reassemble());
    EXPECT_EQ(bytes.substr(0, 200), readFile(path("joined")));
    EXPECT_FALSE(fa.ReassembleFile(at(""), X("part"), X("dat"), at("no/such/joined")));
}

TEST_F(SplitTest, FailuresEndTheSplitWithFalse) {
    writeFile(path("src"), patternBytes(250));
    struct Row {
        int partSize;
        std::string source, outDir, message;
    } rows[] = {
        {0, "src", "", "The part size must be greater than 0."},
        {-5, "src", "", "The part size must be greater than 0."},
        {100, "missing", "", "Failed to open file"},
        {100, "src", "no/such/dir", "Failed."},
    };
    for (const Row &row : rows) {
        EXPECT_FALSE(
            fa.SplitFile(at(row.source), X("part"), X("dat"), row.partSize, at(row.outDir)));
        EXPECT_TRUE(logHas(fa, row.message)) << row.partSize << " " << lastErrorText(fa);
        EXPECT_FALSE(exists(part(1)) || exists("no/such/dir/" + part(1)));
    }
}

// A full disk ends the split at the failed write; the parts before it stay.
TEST_F(SplitTest, FullDiskKeepsThePartsWrittenSoFar) {
    writeFile(path("src"), patternBytes(450));
    txhooks::setWriteLimit(250);
    EXPECT_FALSE(split(100));
    txhooks::clearWriteLimit();
    EXPECT_TRUE(logHas(fa, "Failed to write output file."));
    EXPECT_EQ(patternBytes(100), readFile(path(part(1))));
    EXPECT_EQ(patternBytes(200).substr(100), readFile(path(part(2))));
    EXPECT_FALSE(exists(part(4)));
}

TEST_F(SplitTest, PrefixAndExtensionAreTrimmed) {
    writeFile(path("src"), "x");
    struct Row {
        std::string prefix, extension, name;
    } rows[] = {
        {"part", ".dat", "part1.dat"},
        {" part\t", "dat\r\n", "part1.dat"},
        {"p", "..x", "p1..x"},
        {"p", " .x", "p1..x"},
    };
    for (const Row &row : rows) {
        fs::remove(fstest::fsPath(path(row.name)));
        EXPECT_TRUE(fa.SplitFile(at("src"), X(row.prefix), X(row.extension), 10, at("")));
        EXPECT_EQ("x", readFile(path(row.name))) << row.prefix << row.extension;
    }
}

} // namespace
} // namespace comptest
