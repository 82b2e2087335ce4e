// Names: path resolution, long forms, name parts, root removal and joins; the characters
// and device names Windows refuses; listing a directory with FindFileWin32; temporary names
// and the shared R250 random source behind them.
#include "tests/fs/FsTestSupport.h"

#include "fs/R250.h"
#include "fs/TarnixRand.h"

#include <set>
#include <thread>

using namespace fstest;

namespace {

class NamesTest : public FsTest {
protected:
    std::string make(const std::string &directory, const char *prefix) {
        XString out;
        out.setFromUtf8("previous");
        ok = FileSys::makeTempFileName(directory.c_str(), prefix, out, &log);
        return utf8(out);
    }
    bool ok = false;
};

enum Rule { Full, Long, Name, Strip, JoinName, JoinPath };

std::string applied(Rule rule, const std::string &a, const std::string &b) {
    X x(a);
    XString out;
    if (rule == Full) FileSys::getFullPath(x, out);
    if (rule == Long) FileSys::toLongPathForm(x, out);
    if (rule == Name) FileSys::getFileNamePart(x, out);
    if (rule == JoinName) FileSys::joinDirAndFileName(x, X(b), out);
    if (rule == JoinPath) FileSys::joinDirAndRelativePath(x, X(b), out);
    if (rule == Strip) FileSys::stripPathRoot(x);
    return utf8(rule == Strip ? x : out);
}

TEST_F(NamesTest, EachPathRuleMapsItsInputs) {
    CurrentDirectoryGuard restore;
    std::filesystem::current_path(fsPath(dir.path()));
    // As the Win32 calls report it: C:\... on Windows, \tmp\... on POSIX.
    const std::string base = backslashed(dir.path());
    const std::string tooLong = base + "\\" + std::string(2100, 'p');
    const std::string justFits = base + "\\" + std::string(2046 - base.size(), 'q');
    const struct {
        Rule rule;
        std::string a, b, expected;
    } rows[] = {
        // clang-format off
        {Full, "sub/x.txt", "", base + "\\sub\\x.txt"}, {Full, justFits, "", justFits},
        {Long, "sub\\x.txt", "", "\\\\?\\" + base + "\\sub\\x.txt"},
        // 2048 characters and more cannot be resolved into the 2048-character buffer.
        {Full, tooLong, "", tooLong}, {Long, tooLong, "", "\\\\?\\" + tooLong},
        // Windows reports no file part for a trailing separator or a device name; the
        // text after the last separator stands in.
        {Name, "sub/x.txt", "", "x.txt"}, {Name, base + "\\Ωμέγα.txt", "", "Ωμέγα.txt"},
        {Name, base + "\\", "", ""}, {Name, base + "\\con.txt", "", "con.txt"},
        {Strip, "\\\\?\\UNC\\s\\h\\\\a\\b", "", "a\\b"}, {Strip, "\\\\s\\h\\a\\b", "", "a\\b"},
        {Strip, "C:\\\\a", "", "a"}, {Strip, "\\\\?\\C:\\a", "", "a"}, {Strip, "\\a", "", "a"},
        {Strip, "/a/b", "", "a\\b"}, {Strip, "a\\b", "", "a\\b"}, {Strip, "\\\\?\\x", "", "x"},
        {Strip, "\\\xEF\xBB\xBFx", "", "\xEF\xBB\xBFx"}, // U+FEFF is a character of the name
        // A UNC path without a share, or without a separator after it, is all root.
        {Strip, "\\\\s", "", ""}, {Strip, "\\\\s\\h", "", ""}, {Strip, "\\\\?\\UNC\\s", "", ""},
        {JoinName, "C:/out", "a.bin", "C:\\out\\a.bin"}, {JoinName, "/", "a.bin", "\\a.bin"},
        {JoinName, " \tC:\\out\\\r\n", "some\\dir\\a.bin", "C:\\out\\a.bin"},
        {JoinName, " \t\r\n", "dir/a.bin", "a.bin"}, {JoinName, "out", "日本.txt", "out\\日本.txt"},
        {JoinPath, "C:\\b", "\\\\?\\UNC\\s\\h\\a\\b", "C:\\b\\a\\b"},
        {JoinPath, "C:\\b/ ", "/x/y", "C:\\b\\x\\y"}, {JoinPath, "C:/b", "D:\\x", "C:\\b\\x"},
        {JoinPath, "C:\\b", "\\\\s\\h", "C:\\b\\"},
        // Without a directory the relative path stays whole, root included.
        {JoinPath, "", "/x/y", "\\x\\y"},
#ifdef _WIN32
        // Drive letters and UNC names are Windows' own; the POSIX layer knows neither.
        {Full, "C:/data/x.txt", "", "C:\\data\\x.txt"}, {Long, "C:/x/y", "", "\\\\?\\C:\\x\\y"},
        {Long, "\\\\?\\C:\\x", "", "\\\\?\\C:\\x"}, {Long, "//s/h/a", "", "\\\\?\\UNC\\s\\h\\a"},
        {Long, "\\\\s\\h\\a", "", "\\\\?\\UNC\\s\\h\\a"},
        {Long, "\\\\?\\UNC\\s\\h\\a", "", "\\\\?\\UNC\\s\\h\\a"},
#endif
        // clang-format on
    };
    for (const auto &row : rows)
        EXPECT_EQ(row.expected, applied(row.rule, row.a, row.b)) << row.rule << " " << row.a;
}

TEST_F(NamesTest, ForbiddenCharactersAreReplacedWithTheirEntriesInOrder) {
    const std::string named = "data:filename=", modified = "data:modifiedFilename=";
    const std::string drive = "info:The : character is not allowed in Windows filenames..",
                      colon = "info:The : character is not allowed in Windows filenames.",
                      bar = "info:The | character is not allowed in Windows filenames.",
                      question = "info:The ? character is not allowed in Windows filenames.",
                      notAllowed = " character is not allowed in Windows filenames.";
    // clang-format off
    const struct { const char *in, *out; Lines entries; } rows[] = {
        // A colon up to index 7 may be a drive (behind "\\?\"): only the colons after it go.
        {"C:\\a:b.txt", "C:\\a_b.txt", {drive, named + "C:\\a:b.txt", modified + "C:\\a_b.txt"}},
        {"\\\\?\\C:\\a:b:c", "\\\\?\\C:\\a_b_c",
         {drive, named + "\\\\?\\C:\\a:b:c", modified + "\\\\?\\C:\\a_b_c"}},
        {"C:\\d\\x", "C:\\d\\x", {}}, {"abcdefg:x", "abcdefg:x", {}}, {":abc:d", ":abc:d", {}},
        {"abcdefgh:x:y", "abcdefgh_x_y", {colon, named + "abcdefgh:x:y", modified + "abcdefgh_x_y"}},
        // The index counts UTF-16 units: three characters in nine bytes, and four outside
        // the BMP in eight units.
        {"日本語:x:y", "日本語:x_y", {drive, named + "日本語:x:y", modified + "日本語:x_y"}},
        {"😀😀😀😀:a:b", "😀😀😀😀_a_b", {colon, named + "😀😀😀😀:a:b", modified + "😀😀😀😀_a_b"}},
        {"\\\\?\\C:\\x?.txt", "\\\\?\\C:\\x_.txt", {question, named + "\\\\?\\C:\\x?.txt"}},
        {"a|b*c<d>e\"f", "a_b_c_d_e_f",
         {bar, named + "a|b*c<d>e\"f", "info:The asterisk" + notAllowed, named + "a_b*c<d>e\"f",
          "info:The open-angle-bracket" + notAllowed, named + "a_b_c<d>e\"f",
          "info:The close-angle-bracket" + notAllowed, named + "a_b_c_d>e\"f",
          "info:The double-quote" + notAllowed, named + "a_b_c_d_e\"f"}},
        {"C:\\a:b|c?d", "C:\\a_b_c_d", {drive, named + "C:\\a:b|c?d", modified + "C:\\a_b|c?d", bar,
                                        named + "C:\\a_b|c?d", question, named + "C:\\a_b_c?d"}},
        {"line\r\nbreak\n.txt\r", "linebreak.txt", {}}, {"d\\con.txt", "d\\con.txt", {}},
        {"\r\xEF\xBB\xBFx", "\xEF\xBB\xBFx", {}},
    };
    // Device names, only when asked and only at the start of the file name; none logs.
    const std::pair<const char *, const char *> devices[] = {
        {"lpt3.log", "_lpt3.log"}, {"d/nul.txt", "d/_nul.txt"}, {"d\\prn.a.b", "d\\_prn.a.b"},
        {"con.d\\con.txt", "con.d\\_con.txt"}, {"C:\\d\\CON.txt", "C:\\d\\_CON.txt"}};
    // clang-format on
    auto check = [](const char *in, bool deviceNames, const char *out, const Lines &entries) {
        RecordingLog log;
        X logged(in), quiet(in);
        FileSys::replaceForbiddenChars(logged, deviceNames, &log);
        FileSys::replaceForbiddenChars(quiet, deviceNames, nullptr);
        EXPECT_EQ((Lines{out, out}), (Lines{utf8(logged), utf8(quiet)})) << in;
        EXPECT_EQ(entries, log.lines) << in;
    };
    for (const auto &row : rows)
        check(row.in, false, row.out, row.entries);
    for (const auto &row : devices)
        check(row.first, true, row.second, {});
    for (std::string word : {"aux", "com0", "Clock$", "lpt9"})
        check(("d\\" + word + ".txt").c_str(), true, ("d\\_" + word + ".txt").c_str(), {});
    // With a "/" in the path, only a device name behind a "/" is escaped.
    for (const char *kept :
         {"d\\console.txt", "d\\com10.txt", "d\\con", "d\\xcon.txt", "c.d\\f", "d/e\\con.a con.b"})
        check(kept, true, kept, {});
}

TEST_F(NamesTest, FindFileWalksEveryEntryWithItsKindAndSize) {
    makeTree({"a.txt", "bb.bin", "Ωμέγα.txt", "sub/in.txt"});
    using Entries = std::map<std::string, int64_t>;
    FindFileWin32 find;
    EXPECT_EQ(
        (Entries{
            {".", -1}, {"..", -1}, {"a.txt", 5}, {"bb.bin", 6}, {"sub", -1}, {"Ωμέγα.txt", 14}}),
        listAll(find, path("*.*"), &log));
    // Patterns select and forward slashes work; a new search replaces the open one.
    EXPECT_EQ((Entries{{"a.txt", 5}, {"Ωμέγα.txt", 14}}),
              listAll(find, dir.path() + "/*.txt", &log));
    ASSERT_TRUE(find.findFirst(X(path("*.bin")), &log));
    EXPECT_EQ((Entries{{"in.txt", 10}}), listAll(find, path("sub/*.txt"), &log));
    // Once over, or closed (twice), there is no next entry.
    EXPECT_FALSE(find.findNext(&log));
    find.closeFind();
    find.closeFind();
    EXPECT_FALSE(find.isOpen() || find.findNext(&log));
    EXPECT_EQ((Lines{"error:Directory handle not yet open."}), log.lines);

    // The long form is tried first and the plain path once: it is all some shares take.
    rearm(Call::FindFirstFile, ERROR_INVALID_NAME, 1);
    EXPECT_EQ((Entries{{"a.txt", 5}}), listAll(find, path("a.*"), &log));
    EXPECT_FALSE(find.findFirst(X(path("missing/*")), &log) || find.isOpen());
    EXPECT_EQ(4, callsOf(Call::FindFirstFile));
    EXPECT_EQ((Lines{"data:filePath=\\\\?\\" + backslashed(path("a.*")),
                     "data:filePath=\\\\?\\" + backslashed(path("missing/*")),
                     "data:filePath2=" + backslashed(path("missing/*"))}),
              log.lines);
}

// prefix, then four characters A-Z or 0-9, then suffix.
bool hasForm(const std::string &name, const std::string &prefix, const std::string &suffix) {
    auto random = name.begin() + std::min(prefix.size(), name.size());
    return name.size() == prefix.size() + 4 + suffix.size() && name.rfind(prefix, 0) == 0 &&
           std::all_of(random, random + 4, [](char c) { return isupper(c) || isdigit(c); }) &&
           name.compare(prefix.size() + 4, suffix.size(), suffix) == 0;
}

// R250 is x[n] = x[n-250] XOR x[n-147]; any run of draws must obey it.
void expectR250(const std::vector<uint32_t> &draws) {
    for (size_t n = 250; n < draws.size(); ++n)
        ASSERT_EQ(draws[n - 250] ^ draws[n - 147], draws[n]) << "draw " << n;
    EXPECT_GT(std::set<uint32_t>(draws.begin(), draws.end()).size(), draws.size() - 10);
}

TEST_F(NamesTest, TempNamesAreBaseUnderscoreFourCharactersAndExtensionUniqueUpTo201Candidates) {
    const std::string d = dir.path(), inDir = backslashed(d) + "\\";
    // The plain forms are the component's to check; these are the edges.
    const std::string rows[][4] = {{d, ".cfg", "_", ".cfg"},
                                   {d + "/", "Ωμέγα", "Ωμέγα_", ".tmp"},
                                   {inDir, "r", "r_", ".tmp"},
                                   {path("missing"), "m", "missing\\m_", ".tmp"}};
    for (const auto &row : rows) {
        rearm();
        std::string name = make(row[0], row[1].c_str());
        EXPECT_TRUE(ok && hasForm(name, inDir + row[2], row[3])) << name;
        // A name that does not exist is taken at once.
        EXPECT_EQ(1, callsOf(Call::GetFileAttributes)) << name;
    }
    // An empty directory means the root of the current drive.
    EXPECT_TRUE(hasForm(make("", "t"), "\\t_", ".tmp"));
    for (int i = 0; i < 200; ++i) {
        std::string name = make(dir.path(), "u");
        ASSERT_TRUE(ok && readFile(name) == "<missing>") << name;
        writeFile(name, "");
    }
    // The 201st candidate is still taken when it is free; then it gives up.
    for (int refused : {200, 1000}) {
        rearm(Call::GetFileAttributes, ERROR_ACCESS_DENIED, refused);
        bool named = !make(dir.path(), "r").empty();
        EXPECT_EQ((Results{refused == 200, refused == 200, 201}),
                  (Results{ok, named, callsOf(Call::GetFileAttributes)}));
    }
    EXPECT_TRUE(log.lines.empty());
}

TEST_F(NamesTest, RandomCharactersComeEvenlyFromOneR250GeneratorConditionedWhenSeeded) {
    std::map<char, int> seen;
    for (int i = 0; i < 5000; ++i) {
        StringBuffer chars;
        FileSys::appendRandomChars(chars);
        for (int k = 0; k < chars.getSize(); ++k)
            ++seen[chars.getString()[k]];
    }
    // About 555 each; a working mapping is nowhere near these limits.
    EXPECT_EQ(36u, seen.size());
    for (const auto &count : seen)
        EXPECT_TRUE(isalnum(count.first) && count.second > 350 && count.second < 800)
            << count.first;

    TarnixRand first, second;
    std::vector<uint32_t> draws;
    for (int i = 0; i < 1000; ++i)
        draws.push_back(i % 2 ? first.next32() : second.next32());
    expectR250(draws);
    // Without the provider the C runtime fills the words, which are then conditioned:
    // word 3 + 7k has bit 31 - k as its highest bit.
    rearm(Call::CryptAcquireContext, NTE_BAD_KEYSET, 4);
    r250::State state;
    r250::seed(state);
    for (int k = 0; k < 32; ++k)
        EXPECT_EQ(1u, state.words[3 + 7 * k] >> (31 - k)) << k;
}

} // namespace

// The generator is shared by the process; its lock is what keeps concurrent draws sound
// (ThreadSanitizer in CI sees a missing one).
TEST_F(NamesTest, ThreadsDrawFromTheSharedGeneratorAtOnce) {
    std::vector<std::thread> threads;
    std::vector<int> outOfRange(4, 0);
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t, &outOfRange] {
            TarnixRand random;
            for (int i = 0; i < 5000; ++i) {
                if (random.randomRange(100, 199) - 100 >= 100) ++outOfRange[t];
                random.next32();
            }
        });
    }
    for (std::thread &thread : threads)
        thread.join();
    EXPECT_EQ((std::vector<int>{0, 0, 0, 0}), outOfRange);
}
