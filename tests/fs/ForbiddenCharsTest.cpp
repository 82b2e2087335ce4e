// The characters and device names Windows refuses in file names.
#include "tests/fs/FsTestSupport.h"

#include <string>
#include <vector>

using namespace fstest;

namespace {

using Lines = std::vector<std::string>;

struct Replaced {
    std::string path;
    Lines entries;
};

Replaced replace(const std::string &path, bool deviceNames = false) {
    RecordingLog log;
    X x(path);
    FileSys::replaceForbiddenChars(x, deviceNames, &log);
    return {utf8(x), log.lines};
}

std::string replaceQuietly(const std::string &path, bool deviceNames) {
    X x(path);
    FileSys::replaceForbiddenChars(x, deviceNames, nullptr);
    return utf8(x);
}

const char colonAfterDrive[] = "info:The : character is not allowed in Windows filenames..";
const char colonElsewhere[] = "info:The : character is not allowed in Windows filenames.";

TEST(ForbiddenCharsTest, ColonsBehindADriveGoButTheDriveColonStays) {
    Replaced r = replace("C:\\a:b.txt");
    EXPECT_EQ("C:\\a_b.txt", r.path);
    EXPECT_EQ(
        (Lines{colonAfterDrive, "data:filename=C:\\a:b.txt", "data:modifiedFilename=C:\\a_b.txt"}),
        r.entries);

    r = replace("report:2020:x");
    EXPECT_EQ("report:2020_x", r.path);
    EXPECT_EQ(3u, r.entries.size());
    EXPECT_EQ(colonAfterDrive, lineAt(r.entries, 0));

    r = replace("\\\\?\\C:\\a:b:c");
    EXPECT_EQ("\\\\?\\C:\\a_b_c", r.path);
    EXPECT_EQ("data:modifiedFilename=\\\\?\\C:\\a_b_c", lineAt(r.entries, 2));
}

TEST(ForbiddenCharsTest, ASingleEarlyColonIsLeftWithoutEntries) {
    Replaced r = replace("C:\\dir\\x.txt");
    EXPECT_EQ("C:\\dir\\x.txt", r.path);
    EXPECT_TRUE(r.entries.empty());
    r = replace(":abc:d");
    EXPECT_EQ(":abc:d", r.path);
    EXPECT_TRUE(r.entries.empty());
}

TEST(ForbiddenCharsTest, AFirstColonFromIndexEightReplacesEveryColon) {
    Replaced r = replace("abcdefgh:x:y");
    EXPECT_EQ("abcdefgh_x_y", r.path);
    EXPECT_EQ(
        (Lines{colonElsewhere, "data:filename=abcdefgh:x:y", "data:modifiedFilename=abcdefgh_x_y"}),
        r.entries);
    r = replace("abcdefgh:x");
    EXPECT_EQ("abcdefgh_x", r.path);
    EXPECT_EQ(colonElsewhere, lineAt(r.entries, 0));
}

TEST(ForbiddenCharsTest, TheColonIndexCountsCharactersNotBytes) {
    // Three characters, nine UTF-8 bytes: still a drive-like position.
    EXPECT_EQ("日本語:x_y", replace("日本語:x:y").path);
    EXPECT_EQ(colonAfterDrive, lineAt(replace("日本語:x:y").entries, 0));
    // Four characters outside the BMP are eight UTF-16 units.
    EXPECT_EQ("😀😀😀😀_a_b", replace("😀😀😀😀:a:b").path);
    EXPECT_EQ(colonElsewhere, lineAt(replace("😀😀😀😀:a:b").entries, 0));
}

TEST(ForbiddenCharsTest, QuestionMarksGoButTheLongPathPrefixStays) {
    Replaced r = replace("\\\\?\\C:\\x?.txt");
    EXPECT_EQ("\\\\?\\C:\\x_.txt", r.path);
    EXPECT_EQ((Lines{"info:The ? character is not allowed in Windows filenames.",
                     "data:filename=\\\\?\\C:\\x?.txt"}),
              r.entries);

    r = replace("\\\\?\\C:\\plain.txt");
    EXPECT_EQ("\\\\?\\C:\\plain.txt", r.path);
    EXPECT_TRUE(r.entries.empty());

    r = replace("what?.txt");
    EXPECT_EQ("what_.txt", r.path);
    EXPECT_EQ(2u, r.entries.size());
}

TEST(ForbiddenCharsTest, EachOtherCharacterHasItsEntryInOrder) {
    Replaced r = replace("a|b*c<d>e\"f");
    EXPECT_EQ("a_b_c_d_e_f", r.path);
    EXPECT_EQ((Lines{"info:The | character is not allowed in Windows filenames.",
                     "data:filename=a|b*c<d>e\"f",
                     "info:The asterisk character is not allowed in Windows filenames.",
                     "data:filename=a_b*c<d>e\"f",
                     "info:The open-angle-bracket character is not allowed in Windows filenames.",
                     "data:filename=a_b_c<d>e\"f",
                     "info:The close-angle-bracket character is not allowed in Windows "
                     "filenames.",
                     "data:filename=a_b_c_d>e\"f",
                     "info:The double-quote character is not allowed in Windows filenames.",
                     "data:filename=a_b_c_d_e\"f"}),
              r.entries);
}

TEST(ForbiddenCharsTest, StepsRunColonBarQuestionMarkInThatOrder) {
    Replaced r = replace("C:\\a:b|c?d");
    EXPECT_EQ("C:\\a_b_c_d", r.path);
    ASSERT_EQ(7u, r.entries.size());
    EXPECT_EQ(colonAfterDrive, lineAt(r.entries, 0));
    EXPECT_EQ("info:The | character is not allowed in Windows filenames.", lineAt(r.entries, 3));
    EXPECT_EQ("data:filename=C:\\a_b|c?d", lineAt(r.entries, 4));
    EXPECT_EQ("info:The ? character is not allowed in Windows filenames.", lineAt(r.entries, 5));
    EXPECT_EQ("data:filename=C:\\a_b_c?d", lineAt(r.entries, 6));
}

TEST(ForbiddenCharsTest, LineBreaksAreRemovedSilently) {
    Replaced r = replace("line\r\nbreak\n.txt\r");
    EXPECT_EQ("linebreak.txt", r.path);
    EXPECT_TRUE(r.entries.empty());
}

TEST(ForbiddenCharsTest, WithoutALogTheResultIsTheSame) {
    EXPECT_EQ("C:\\a_b_c_d", replaceQuietly("C:\\a:b|c?d", false));
    EXPECT_EQ("x\\_con.txt", replaceQuietly("x\\con.txt", true));
}

TEST(ForbiddenCharsTest, DeviceNamesGetAnUnderscoreWhenAsked) {
    EXPECT_EQ("C:\\dir\\_con.txt", replace("C:\\dir\\con.txt", true).path);
    EXPECT_EQ("C:\\dir\\_CON.txt", replace("C:\\dir\\CON.txt", true).path);
    EXPECT_EQ("_lpt3.log", replace("lpt3.log", true).path);
    EXPECT_EQ("dir\\_aux.txt", replace("dir\\aux.txt", true).path);
    EXPECT_EQ("dir\\_com0.txt", replace("dir\\com0.txt", true).path);
    EXPECT_EQ("dir\\_Clock$.txt", replace("dir\\Clock$.txt", true).path);
    EXPECT_EQ("dir\\_prn.a.b", replace("dir\\prn.a.b", true).path);
    EXPECT_EQ("dir/_nul.txt", replace("dir/nul.txt", true).path);
    // Only the file name counts, and only its last occurrence changes.
    EXPECT_EQ("con.d\\_con.txt", replace("con.d\\con.txt", true).path);
    EXPECT_TRUE(replace("dir\\con.txt", true).entries.empty());
}

TEST(ForbiddenCharsTest, NamesThatOnlyResembleDevicesStay) {
    EXPECT_EQ("dir\\console.txt", replace("dir\\console.txt", true).path);
    EXPECT_EQ("dir\\com10.txt", replace("dir\\com10.txt", true).path);
    EXPECT_EQ("dir\\con", replace("dir\\con", true).path);
    EXPECT_EQ("dir\\xcon.txt", replace("dir\\xcon.txt", true).path);
    EXPECT_EQ("con.d\\file.txt", replace("con.d\\file.txt", true).path);
    EXPECT_EQ("dir\\con.txt", replace("dir\\con.txt", false).path);
}

} // namespace
