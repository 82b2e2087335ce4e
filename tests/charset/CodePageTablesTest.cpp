#include "charset/CodePageTables.h"

#include "charset/HashConvert.h"
#include "charset/UnicodeLookup.h"
#include "charset/tables/EmbeddedTables.h"
#include "log/LogBase.h"

#include <bzlib.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

typedef std::vector<unsigned char> Bytes;

const int kSingleBytePages[] = {
    37,    437,   500,   708,   720,   737,   775,   850,   852,   855,   857,   858,
    860,   861,   862,   863,   864,   865,   866,   869,   870,   874,   875,   1026,
    1047,  1140,  1141,  1142,  1143,  1144,  1145,  1146,  1147,  1148,  1149,  1250,
    1251,  1252,  1253,  1254,  1255,  1256,  1257,  1258,  10000, 10004, 10005, 10006,
    10007, 10010, 10017, 10021, 10029, 10079, 10081, 10082, 20105, 20106, 20107, 20108,
    20127, 20261, 20269, 20273, 20277, 20278, 20280, 20284, 20285, 20290, 20297, 20420,
    20423, 20424, 20838, 20866, 20871, 20880, 20905, 20924, 21025, 21866, 28591, 28592,
    28593, 28594, 28595, 28596, 28597, 28598, 28599, 28603, 28605, 38598};
const int kMultiBytePages[] = {932, 936, 949, 950, 1361, 10001, 51932, 51936, 51949};

std::string hex(const unsigned char *p, size_t n) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (size_t i = 0; i < n; ++i) {
        out += digits[p[i] >> 4];
        out += digits[p[i] & 15];
    }
    return out;
}

std::string base64(const Bytes &data) {
    static const char alphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (size_t i = 0; i < data.size(); i += 3) {
        uint32_t bits = data[i] << 16;
        if (i + 1 < data.size()) bits |= data[i + 1] << 8;
        if (i + 2 < data.size()) bits |= data[i + 2];
        out += alphabet[bits >> 18];
        out += alphabet[bits >> 12 & 63];
        out += i + 1 < data.size() ? alphabet[bits >> 6 & 63] : '=';
        out += i + 2 < data.size() ? alphabet[bits & 63] : '=';
    }
    return out;
}

void appendLe16(Bytes &out, unsigned value) {
    out.push_back(static_cast<unsigned char>(value & 0xFF));
    out.push_back(static_cast<unsigned char>(value >> 8 & 0xFF));
}

void appendLe32(Bytes &out, uint32_t value) {
    appendLe16(out, value & 0xFFFF);
    appendLe16(out, value >> 16);
}

// The container around a raw table: magic, length and a bzip2 stream of block size 3.
std::string compressedText(const Bytes &table) {
    Bytes packed;
    appendLe32(packed, 0xB394A7E1);
    appendLe32(packed, static_cast<uint32_t>(table.size()));
    std::vector<char> stream(table.size() + table.size() / 100 + 600);
    unsigned int length = static_cast<unsigned int>(stream.size());
    std::vector<char> source(table.begin(), table.end());
    int rc = BZ2_bzBuffToBuffCompress(stream.data(), &length, source.data(),
                                      static_cast<unsigned int>(source.size()), 3, 0, 0);
    EXPECT_EQ(BZ_OK, rc);
    packed.insert(packed.end(), stream.begin(), stream.begin() + length);
    return "c" + base64(packed);
}

std::string plainText(const Bytes &table) {
    return "x" + base64(table);
}

// A complete table: section 1 of (byte delta, Unicode delta), section 2 of
// (code delta, Unicode delta).
struct TableBuilder {
    Bytes bytes;
    int code = 0;
    int unit = 0;
    bool inPairs = false;

    explicit TableBuilder(const char *header) : bytes(header, header + 2) {}
    TableBuilder &single(int byte, int u) {
        bytes.push_back(static_cast<unsigned char>((byte - code) & 0xFF));
        appendLe16(bytes, (u - unit) & 0xFFFF);
        code = byte;
        unit = u;
        return *this;
    }
    TableBuilder &pairs() {
        bytes.push_back(0);
        code = unit = 0;
        inPairs = true;
        return *this;
    }
    TableBuilder &pair(int value, int u) {
        appendLe16(bytes, (value - code) & 0xFFFF);
        appendLe16(bytes, (u - unit) & 0xFFFF);
        code = value;
        unit = u;
        return *this;
    }
    Bytes end() {
        if (!inPairs) pairs();
        appendLe16(bytes, 0);
        return bytes;
    }
};

std::string find(const HashConvert &table, const Bytes &key) {
    unsigned char out[4];
    int length = 0;
    if (!table.lookup(key.data(), static_cast<int>(key.size()), out, length)) return "-";
    return hex(out, length);
}

size_t entryCount(const HashConvert &table) {
    size_t count = 0;
    table.visitEntries(
        [](const unsigned char *, int, const unsigned char *, int, void *context) {
            ++*static_cast<size_t *>(context);
            return true;
        },
        &count);
    return count;
}

struct LoadedTable {
    HashConvert table;
    bool result;
    LoadedTable(const std::string &text, bool keyIsUnicode, uint32_t buckets = 269) {
        EXPECT_TRUE(table.initBuckets(buckets));
        LogNull log;
        result = loadTable(text.c_str(), table, keyIsUnicode, log);
    }
};

// ------------------------------------------------------------------ loader

TEST(LoadTable, WorkedExampleMapsA0AndA1) {
    Bytes table = {'a', 'u', 0xA0, 0xA0, 0x00, 0x01, 0x01, 0x00, 0x00, 0x00, 0x00};
    LoadedTable towards(compressedText(table), false, 283);
    EXPECT_TRUE(towards.result);
    EXPECT_TRUE(towards.table.isAsciiCompatible());
    EXPECT_EQ("A000", find(towards.table, {0xA0}));
    EXPECT_EQ("A100", find(towards.table, {0xA1}));
    EXPECT_EQ(2u, entryCount(towards.table));

    LoadedTable from(compressedText(table), true);
    EXPECT_EQ("A0", find(from.table, {0xA0, 0x00}));
    EXPECT_EQ("A1", find(from.table, {0xA1, 0x00}));
    EXPECT_EQ(2u, entryCount(from.table));
}

TEST(LoadTable, PlainAndCompressedTablesLoadAlike) {
    Bytes table = TableBuilder("xu")
                      .single(0xC1, 0x0041)
                      .single(0x5A, 0x0021) // byte delta wraps: 0x5A - 0xC1 = 0x99
                      .pairs()
                      .pair(0x82A0, 0x3042)
                      .pair(0x8140, 0x3000) // both deltas wrap modulo 65536
                      .end();
    for (const std::string &text : {plainText(table), compressedText(table)}) {
        SCOPED_TRACE(text.substr(0, 1));
        LoadedTable towards(text, false, 4919);
        EXPECT_TRUE(towards.result);
        EXPECT_FALSE(towards.table.isAsciiCompatible());
        EXPECT_EQ("4100", find(towards.table, {0xC1}));
        EXPECT_EQ("2100", find(towards.table, {0x5A}));
        EXPECT_EQ("4230", find(towards.table, {0x82, 0xA0}));
        EXPECT_EQ("0030", find(towards.table, {0x81, 0x40}));
        EXPECT_EQ(4u, entryCount(towards.table));

        LoadedTable from(text, true, 7669);
        EXPECT_EQ("C1", find(from.table, {0x41, 0x00}));
        EXPECT_EQ("5A", find(from.table, {0x21, 0x00}));
        EXPECT_EQ("82A0", find(from.table, {0x42, 0x30}));
        EXPECT_EQ("8140", find(from.table, {0x00, 0x30}));
        EXPECT_EQ(4u, entryCount(from.table));
    }
}

TEST(LoadTable, FirstLoadedRecordWinsForEitherKey) {
    // 0x20 <-> U+0020 first, then the best fit U+00A0 -> 0x20.
    Bytes table =
        TableBuilder("au").single(0x20, 0x0020).single(0x41, 0x0041).single(0x20, 0x00A0).end();
    LoadedTable towards(compressedText(table), false, 283);
    EXPECT_EQ("2000", find(towards.table, {0x20})) << "the byte keeps its own character";
    LoadedTable from(compressedText(table), true);
    EXPECT_EQ("20", find(from.table, {0xA0, 0x00}));
    EXPECT_EQ("20", find(from.table, {0x20, 0x00}));
}

TEST(LoadTable, EmptySectionsGiveAnEmptyTable) {
    LoadedTable loaded(compressedText(TableBuilder("au").end()), true);
    EXPECT_TRUE(loaded.result);
    EXPECT_EQ(0u, entryCount(loaded.table));
    EXPECT_TRUE(loaded.table.isAsciiCompatible());
}

TEST(LoadTable, DiffsChangeOnlyATableKeyedByUnicode) {
    Bytes complete = TableBuilder("au")
                         .single(0x5C, 0x005C)
                         .single(0x7E, 0x007E)
                         .pairs()
                         .pair(0x815F, 0xFF3C)
                         .pair(0x8160, 0x301C)
                         .end();
    Bytes diffs = {'a', 'd'};
    appendLe16(diffs, 0x007E); // section A: remove U+007E
    appendLe16(diffs, 0);
    diffs.push_back(0x80); // section B: U+005C -> 0x80
    appendLe16(diffs, 0x005C);
    diffs.push_back(0);
    diffs.push_back(0x81); // section C: U+FF3C -> 81 5F stays, U+00A5 -> 81 8F
    diffs.push_back(0x8F);
    appendLe16(diffs, 0x00A5);
    appendLe16(diffs, 0);

    LoadedTable from(compressedText(complete), true, 4919);
    LogNull log;
    EXPECT_TRUE(loadTable(compressedText(diffs).c_str(), from.table, true, log));
    EXPECT_EQ("-", find(from.table, {0x7E, 0x00}));
    EXPECT_EQ("80", find(from.table, {0x5C, 0x00}));
    EXPECT_EQ("818F", find(from.table, {0xA5, 0x00}));
    EXPECT_EQ("815F", find(from.table, {0x3C, 0xFF}));
    EXPECT_EQ("8160", find(from.table, {0x1C, 0x30}));
    EXPECT_EQ(4u, entryCount(from.table));

    LoadedTable towards(compressedText(complete), false, 4919);
    EXPECT_TRUE(loadTable(compressedText(diffs).c_str(), towards.table, false, log));
    EXPECT_EQ("5C00", find(towards.table, {0x5C}));
    EXPECT_EQ("7E00", find(towards.table, {0x7E}));
    EXPECT_EQ(4u, entryCount(towards.table)) << "diffs leave a table keyed by bytes alone";
}

TEST(LoadTable, DiffsReplaceEveryEntryOfTheirKey) {
    Bytes complete = TableBuilder("xu").single(0x20, 0x00A0).single(0x41, 0x00A0).end();
    Bytes diffs = {'x', 'd', 0, 0, 0x42, 0xA0, 0x00, 0, 0, 0};
    LoadedTable from(plainText(complete), true);
    LogNull log;
    EXPECT_TRUE(loadTable(plainText(diffs).c_str(), from.table, true, log));
    EXPECT_EQ("42", find(from.table, {0xA0, 0x00}));
    EXPECT_EQ(1u, entryCount(from.table));
    EXPECT_FALSE(from.table.isAsciiCompatible());
}

// Damaged data of every kind leaves the table empty.
struct DamagedCase {
    const char *name;
    std::string text;
};

class LoadTableDamaged : public testing::TestWithParam<DamagedCase> {};

TEST_P(LoadTableDamaged, LeavesTheTableEmpty) {
    for (bool keyIsUnicode : {false, true}) {
        LoadedTable loaded(GetParam().text, keyIsUnicode, 283);
        EXPECT_FALSE(loaded.result) << "keyIsUnicode " << keyIsUnicode;
        EXPECT_EQ(0u, entryCount(loaded.table)) << "keyIsUnicode " << keyIsUnicode;
        EXPECT_EQ(283u, loaded.table.getBucketCount());
    }
}

Bytes sampleTable() {
    TableBuilder builder("au");
    for (int b = 0xA0; b <= 0xFF; ++b)
        builder.single(b, b);
    return builder.end();
}

std::string withMagic(uint32_t magic) {
    std::string good = compressedText(sampleTable());
    std::string text = "c";
    Bytes header;
    appendLe32(header, magic);
    // Re-encode the container with a different first word.
    std::string payload = good.substr(1);
    // 8 bytes of header are the first 12 base64 characters (plus 4 more for byte 9).
    Bytes decoded;
    static const std::string alphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    uint32_t bits = 0;
    int pending = 0;
    for (char c : payload) {
        if (c == '=') break;
        bits = bits << 6 | static_cast<uint32_t>(alphabet.find(c));
        pending += 6;
        if (pending >= 8) {
            pending -= 8;
            decoded.push_back(static_cast<unsigned char>(bits >> pending));
        }
    }
    std::copy(header.begin(), header.end(), decoded.begin());
    return text + base64(decoded);
}

std::string corruptStream() {
    Bytes packed;
    appendLe32(packed, 0xB394A7E1);
    appendLe32(packed, 300);
    const char stream[] = "BZh3 this is no bzip2 block at all";
    packed.insert(packed.end(), stream, stream + sizeof(stream));
    return "c" + base64(packed);
}

std::string flippedStream() {
    std::string text = compressedText(sampleTable());
    // Change base64 digits well inside the bzip2 block.
    for (size_t i = 40; i < 48 && i < text.size(); ++i)
        text[i] = text[i] == 'A' ? 'B' : 'A';
    return text;
}

std::string shortLength() {
    Bytes table = sampleTable();
    std::string text = compressedText(table);
    // Declare a length far smaller than the data: the output buffer overflows.
    Bytes packed;
    appendLe32(packed, 0xB394A7E1);
    appendLe32(packed, 4);
    std::vector<char> stream(table.size() + 600);
    unsigned int length = static_cast<unsigned int>(stream.size());
    std::vector<char> source(table.begin(), table.end());
    BZ2_bzBuffToBuffCompress(stream.data(), &length, source.data(),
                             static_cast<unsigned int>(source.size()), 3, 0, 0);
    packed.insert(packed.end(), stream.begin(), stream.begin() + length);
    return "c" + base64(packed);
}

INSTANTIATE_TEST_SUITE_P(Failures, LoadTableDamaged,
                         testing::Values(DamagedCase{"empty", ""}, DamagedCase{"onlyTheFlag", "c"},
                                         DamagedCase{"notBase64", "c!!!! ...."},
                                         DamagedCase{"tooShortForTheHeader", "cQUJD"},
                                         DamagedCase{"wrongMagic", withMagic(0xB394A7E2)},
                                         DamagedCase{"byteSwappedMagic", withMagic(0xE1A794B3)},
                                         DamagedCase{"corruptBzip2", corruptStream()},
                                         DamagedCase{"flippedBzip2", flippedStream()},
                                         DamagedCase{"lengthTooSmall", shortLength()}),
                         [](const testing::TestParamInfo<DamagedCase> &info) {
                             return std::string(info.param.name);
                         });

TEST(LoadTable, NullTextFails) {
    HashConvert table;
    ASSERT_TRUE(table.initBuckets(5));
    LogNull log;
    EXPECT_FALSE(loadTable(nullptr, table, true, log));
    EXPECT_EQ(0u, entryCount(table));
}

TEST(LoadTable, ATableCutShortKeepsWhatCameBeforeTheCut) {
    Bytes table = TableBuilder("au").single(0xA0, 0x00A0).single(0xA1, 0x00A1).end();
    table.resize(table.size() - 5); // into the second record
    LoadedTable loaded(plainText(table), false, 283);
    EXPECT_FALSE(loaded.result);
    EXPECT_EQ("A000", find(loaded.table, {0xA0}));
    EXPECT_EQ("-", find(loaded.table, {0xA1}));
}

// ------------------------------------------------------------------ registry

TEST(CodePageTables, KnowsExactlyTheListedPages) {
    std::set<int> singles(std::begin(kSingleBytePages), std::end(kSingleBytePages));
    std::set<int> multis(std::begin(kMultiBytePages), std::end(kMultiBytePages));
    EXPECT_EQ(94u, singles.size());
    for (int cp = 0; cp <= 65535; ++cp) {
        ASSERT_EQ(singles.count(cp) == 1, CodePageTables::isSingleByte(cp)) << cp;
        ASSERT_EQ(multis.count(cp) == 1, CodePageTables::isMultiByte(cp)) << cp;
        ASSERT_EQ(singles.count(cp) == 1, embeddedSingleByteTable(cp) != nullptr) << cp;
    }
    for (int cp : {-1, 65536, 1200, 65001, 20932, 54936, 50220})
        EXPECT_FALSE(CodePageTables::isSingleByte(cp) || CodePageTables::isMultiByte(cp)) << cp;
}

TEST(CodePageTables, UnknownPagesHaveNoTables) {
    for (int cp : {0, 1200, 65001, 20932, 54936, 52936, 99999}) {
        CodePageTables::ensureTableToUnicode(cp);
        CodePageTables::ensureTableFromUnicode(cp);
        EXPECT_EQ(nullptr, CodePageTables::singleByteToUnicode(cp)) << cp;
        EXPECT_EQ(nullptr, CodePageTables::multiByteToUnicode(cp)) << cp;
        EXPECT_EQ(nullptr, CodePageTables::fromUnicode(cp)) << cp;
        EXPECT_EQ(nullptr, CodePageTables::flatFromUnicode(cp)) << cp;
        EXPECT_EQ(nullptr, CodePageTables::flatToUnicode(cp)) << cp;
    }
    EXPECT_EQ(nullptr, CodePageTables::multiByteToUnicode(1252)) << "single-byte page";
    EXPECT_EQ(nullptr, CodePageTables::singleByteToUnicode(932)) << "multi-byte page";
    EXPECT_EQ(nullptr, CodePageTables::flatToUnicode(1252)) << "single-byte page";
}

struct BucketCase {
    int codePage;
    uint32_t towards;
    uint32_t from;
};

class CodePageTableBuckets : public testing::TestWithParam<BucketCase> {};

TEST_P(CodePageTableBuckets, UseTheirBucketCounts) {
    const BucketCase &c = GetParam();
    const HashConvert *from = CodePageTables::fromUnicode(c.codePage);
    ASSERT_NE(nullptr, from);
    EXPECT_EQ(c.from, from->getBucketCount());
    if (c.towards) {
        const HashConvert *towards = CodePageTables::multiByteToUnicode(c.codePage);
        ASSERT_NE(nullptr, towards);
        EXPECT_EQ(c.towards, towards->getBucketCount());
    }
    EXPECT_EQ(from, CodePageTables::fromUnicode(c.codePage)) << "loaded once";
}

INSTANTIATE_TEST_SUITE_P(Pages, CodePageTableBuckets,
                         testing::Values(BucketCase{1252, 0, 269}, BucketCase{37, 0, 269},
                                         BucketCase{932, 4919, 7669}, BucketCase{10001, 4919, 4919},
                                         BucketCase{936, 7649, 7649}, BucketCase{51936, 7649, 7649},
                                         BucketCase{949, 7669, 7669}, BucketCase{950, 7649, 7649},
                                         BucketCase{51932, 4919, 4919},
                                         BucketCase{51949, 7669, 7669},
                                         BucketCase{1361, 7669, 7669}),
                         [](const testing::TestParamInfo<BucketCase> &info) {
                             return "cp" + std::to_string(info.param.codePage);
                         });

TEST(CodePageTables, Gb2312AndEucCnShareOneTable) {
    EXPECT_EQ(CodePageTables::fromUnicode(936), CodePageTables::fromUnicode(51936));
    EXPECT_EQ(CodePageTables::multiByteToUnicode(936), CodePageTables::multiByteToUnicode(51936));
}

std::string decode(int codePage, const Bytes &code) {
    if (CodePageTables::isSingleByte(codePage)) {
        const UnicodeLookup *lookup = CodePageTables::singleByteToUnicode(codePage);
        if (!lookup || code.size() != 1) return "?";
        uint16_t u = lookup->valueOf(code[0]);
        unsigned char le[2] = {static_cast<unsigned char>(u & 0xFF),
                               static_cast<unsigned char>(u >> 8)};
        return u ? hex(le, 2) : "-";
    }
    const HashConvert *table = CodePageTables::multiByteToUnicode(codePage);
    return table ? find(*table, code) : "?";
}

std::string encode(int codePage, uint16_t unit) {
    const HashConvert *table = CodePageTables::fromUnicode(codePage);
    return table ? find(*table, {static_cast<unsigned char>(unit & 0xFF),
                                 static_cast<unsigned char>(unit >> 8)})
                 : "?";
}

TEST(CodePageTables, Windows1252LeavesFiveBytesUnmapped) {
    EXPECT_EQ("AC20", decode(1252, {0x80}));
    for (unsigned char b : {0x81, 0x8D, 0x8F, 0x90, 0x9D})
        EXPECT_EQ("-", decode(1252, {b})) << "byte " << hex(&b, 1);
    EXPECT_EQ("5201", decode(1252, {0x8C}));
    EXPECT_EQ("FF00", decode(1252, {0xFF}));
    EXPECT_EQ("41", encode(1252, 0x41));
    EXPECT_EQ("80", encode(1252, 0x20AC));
    EXPECT_EQ("-", encode(1252, 0x0081));
    const UnicodeLookup *lookup = CodePageTables::singleByteToUnicode(1252);
    ASSERT_NE(nullptr, lookup);
    EXPECT_EQ(0, lookup->valueOf(0));
}

TEST(CodePageTables, UsAsciiWritesNoBreakSpaceAsSpace) {
    EXPECT_EQ("20", encode(20127, 0x00A0));
    EXPECT_EQ("41", encode(20127, 0x00C0)) << "best fit A for A grave";
    EXPECT_EQ("-", decode(20127, {0xA0})) << "ASCII defines no byte above 0x7F";
    EXPECT_EQ("2000", decode(20127, {0x20}));
    const HashConvert *from = CodePageTables::fromUnicode(20127);
    ASSERT_NE(nullptr, from);
    EXPECT_TRUE(from->isAsciiCompatible());
}

TEST(CodePageTables, ShiftJisDecodesHiraganaA) {
    EXPECT_EQ("4230", decode(932, {0x82, 0xA0}));
    EXPECT_EQ("82A0", encode(932, 0x3042));
    EXPECT_EQ("61FF", decode(932, {0xA1})) << "half-width katakana";
    EXPECT_EQ("5C", encode(932, 0x00A5)) << "Windows' best fit for the yen sign";
    EXPECT_EQ("5C00", decode(932, {0x5C}));
    EXPECT_EQ("FA40", encode(932, 0x2170)) << "the IBM extension, not the NEC-selected code";
    EXPECT_EQ("-", decode(932, {0xED, 0x40})) << "NEC-selected codes are written elsewhere";
    EXPECT_EQ("8A7E", decode(932, {0xFA, 0x5C}));
    EXPECT_EQ("00E0", decode(932, {0xF0, 0x40})) << "user-defined area";
}

TEST(CodePageTables, MacJapaneseDiffersFromShiftJis) {
    EXPECT_EQ("4230", decode(10001, {0x82, 0xA0}));
    EXPECT_EQ("A000", decode(10001, {0xA0}));
    EXPECT_EQ("A900", decode(10001, {0xFD}));
    EXPECT_EQ("FD", encode(10001, 0x00A9));
    EXPECT_EQ("6024", decode(10001, {0x85, 0x40})) << "circled digit one";
    EXPECT_EQ("8540", encode(10001, 0x2460));
    EXPECT_EQ("8740", encode(932, 0x2460));
    EXPECT_EQ("F0F8", decode(932, {0xA0})) << "a private-use character in Shift_JIS";
}

TEST(CodePageTables, EucPagesUseTheirOwnCodes) {
    EXPECT_EQ("4230", decode(51932, {0xA4, 0xA2}));
    EXPECT_EQ("A4A2", encode(51932, 0x3042));
    EXPECT_EQ("61FF", decode(51932, {0x8E, 0xA1}));
    EXPECT_EQ("8EA1", encode(51932, 0xFF61));
    EXPECT_EQ("00AC", decode(51949, {0xB0, 0xA1}));
    EXPECT_EQ("B0A1", encode(51949, 0xAC00));
    EXPECT_EQ("-", encode(51949, 0xAC02)) << "outside KS X 1001";
    EXPECT_EQ("8141", encode(949, 0xAC02));
    EXPECT_EQ("AC20", decode(936, {0x80}));
    EXPECT_EQ("80", encode(51936, 0x20AC));
}

// Counts of the double-byte codes: those a page decodes, and the distinct ones its
// table from Unicode writes.
struct CountCase {
    int codePage;
    size_t decoded;
    size_t written;
};

class CodePageTableCounts : public testing::TestWithParam<CountCase> {};

TEST_P(CodePageTableCounts, DoubleByteCodes) {
    const CountCase &c = GetParam();
    const HashConvert *towards = CodePageTables::multiByteToUnicode(c.codePage);
    const HashConvert *from = CodePageTables::fromUnicode(c.codePage);
    ASSERT_NE(nullptr, towards);
    ASSERT_NE(nullptr, from);
    size_t decoded = 0;
    for (int code = 0; code < 65536; ++code) {
        unsigned char key[2] = {static_cast<unsigned char>(code >> 8),
                                static_cast<unsigned char>(code & 0xFF)};
        unsigned char out[4];
        int length = 0;
        if (towards->lookup(key, 2, out, length)) ++decoded;
    }
    std::set<uint16_t> written;
    for (int u = 0; u < 65536; ++u) {
        unsigned char key[2] = {static_cast<unsigned char>(u & 0xFF),
                                static_cast<unsigned char>(u >> 8)};
        unsigned char out[4];
        int length = 0;
        if (from->lookup(key, 2, out, length) && length == 2)
            written.insert(static_cast<uint16_t>(out[0] << 8 | out[1]));
    }
    EXPECT_EQ(c.decoded, decoded);
    EXPECT_EQ(c.written, written.size());
}

INSTANTIATE_TEST_SUITE_P(Pages, CodePageTableCounts,
                         testing::Values(CountCase{932, 9206, 9206}, CountCase{936, 23940, 23940},
                                         CountCase{949, 17236, 17236}, CountCase{950, 19710, 19710},
                                         CountCase{1361, 17252, 17252},
                                         CountCase{10001, 9205, 9205}, CountCase{51932, 7389, 7389},
                                         CountCase{51949, 8414, 8414}),
                         [](const testing::TestParamInfo<CountCase> &info) {
                             return "cp" + std::to_string(info.param.codePage);
                         });

TEST(CodePageTables, AsciiCompatiblePagesMapAsciiToItself) {
    for (int cp : kSingleBytePages) {
        const UnicodeLookup *lookup = CodePageTables::singleByteToUnicode(cp);
        const HashConvert *from = CodePageTables::fromUnicode(cp);
        ASSERT_NE(nullptr, lookup) << cp;
        ASSERT_NE(nullptr, from) << cp;
        EXPECT_EQ(0, lookup->valueOf(0)) << cp;
        int mapped = 0;
        for (int b = 1; b < 256; ++b)
            mapped += lookup->valueOf(static_cast<unsigned char>(b)) != 0;
        EXPECT_GE(mapped, 94) << cp << ": the table must not be empty";
        if (!from->isAsciiCompatible()) continue;
        for (int b = 1; b < 0x80; ++b)
            ASSERT_EQ(b, lookup->valueOf(static_cast<unsigned char>(b))) << cp << " byte " << b;
    }
}

TEST(CodePageTables, EbcdicAndIso646PagesAreNotAsciiCompatible) {
    for (int cp : {37, 500, 875, 1026, 1047, 1140, 20273, 20924, 20106, 20107, 20108})
        EXPECT_FALSE(CodePageTables::fromUnicode(cp)->isAsciiCompatible()) << cp;
    for (int cp : {437, 1252, 20127, 28591, 10000, 20866})
        EXPECT_TRUE(CodePageTables::fromUnicode(cp)->isAsciiCompatible()) << cp;
    EXPECT_EQ("C1", encode(37, 'A'));
    EXPECT_EQ("4100", decode(37, {0xC1}));
}

// ------------------------------------------------------------------ flat views

TEST(CodePageTables, FlatViewsAnswerWhatTheHashesAnswer) {
    std::vector<int> pages(std::begin(kSingleBytePages), std::end(kSingleBytePages));
    pages.insert(pages.end(), std::begin(kMultiBytePages), std::end(kMultiBytePages));
    for (int cp : pages) {
        const HashConvert *from = CodePageTables::fromUnicode(cp);
        const FlatFromUnicode *flatFrom = CodePageTables::flatFromUnicode(cp);
        ASSERT_NE(nullptr, from) << cp;
        ASSERT_NE(nullptr, flatFrom) << cp;
        EXPECT_EQ(flatFrom, CodePageTables::flatFromUnicode(cp)) << cp << ": built once";
        for (int u = 0; u < 65536; ++u) {
            unsigned char key[2] = {static_cast<unsigned char>(u & 0xFF),
                                    static_cast<unsigned char>(u >> 8)};
            unsigned char out[4];
            int length = 0;
            from->lookup(key, 2, out, length);
            std::string expected = length ? hex(out, length) : "-";
            unsigned char flatBytes[2] = {static_cast<unsigned char>(flatFrom->code[u] >> 8),
                                          static_cast<unsigned char>(flatFrom->code[u] & 0xFF)};
            std::string got = flatFrom->length[u] == 0   ? "-"
                              : flatFrom->length[u] == 1 ? hex(flatBytes + 1, 1)
                                                         : hex(flatBytes, 2);
            ASSERT_EQ(expected, got) << cp << " U+" << std::hex << u;
        }
        if (!CodePageTables::isMultiByte(cp)) continue;
        const HashConvert *towards = CodePageTables::multiByteToUnicode(cp);
        const FlatToUnicode *flatTo = CodePageTables::flatToUnicode(cp);
        ASSERT_NE(nullptr, towards) << cp;
        ASSERT_NE(nullptr, flatTo) << cp;
        for (int b = 0; b < 256; ++b) {
            unsigned char key = static_cast<unsigned char>(b);
            unsigned char out[4];
            int length = 0;
            towards->lookup(&key, 1, out, length);
            ASSERT_EQ(length == 2, flatTo->hasSingle[b] != 0) << cp << " byte " << b;
            if (length == 2) {
                ASSERT_EQ(out[0] | out[1] << 8, flatTo->single[b]) << cp << " byte " << b;
            }
        }
        for (int code = 0; code < 65536; ++code) {
            unsigned char key[2] = {static_cast<unsigned char>(code >> 8),
                                    static_cast<unsigned char>(code & 0xFF)};
            unsigned char out[4];
            int length = 0;
            towards->lookup(key, 2, out, length);
            ASSERT_EQ(length == 2, flatTo->hasPair[code] != 0) << cp << " code " << code;
            if (length == 2) {
                ASSERT_EQ(out[0] | out[1] << 8, flatTo->pair[code]) << cp << " code " << code;
            }
        }
    }
}

// ------------------------------------------------------------------ threads

// Run alone (--gtest_filter=CodePageTables.ThreadsLoadAndReadTablesAtOnce), as under
// ThreadSanitizer, every table here is loaded by racing threads; in the whole program
// the earlier tests have loaded most of them and the threads race on reading.
TEST(CodePageTables, ThreadsLoadAndReadTablesAtOnce) {
    const int pages[] = {1252, 932, 10001, 936, 51936, 20127, 37, 949, 950, 1361, 28591, 874};
    const int threadCount = 8;
    std::atomic<int> ready(0);
    std::vector<std::thread> threads;
    std::vector<std::vector<const void *>> seen(threadCount);
    std::atomic<int> failures(0);
    for (int t = 0; t < threadCount; ++t) {
        threads.emplace_back([&, t]() {
            ready.fetch_add(1);
            while (ready.load() < threadCount) {
            }
            const int count = sizeof(pages) / sizeof(pages[0]);
            for (int i = 0; i < count; ++i) {
                // Half the threads walk the pages backwards, so that the same and
                // different pages are loaded at the same moment.
                int cp = pages[t % 2 ? count - 1 - i : (i + t) % count];
                const HashConvert *from = CodePageTables::fromUnicode(cp);
                const void *towards =
                    CodePageTables::isSingleByte(cp)
                        ? static_cast<const void *>(CodePageTables::singleByteToUnicode(cp))
                        : CodePageTables::multiByteToUnicode(cp);
                const FlatFromUnicode *flat = CodePageTables::flatFromUnicode(cp);
                if (!from || !towards || !flat) {
                    failures.fetch_add(1);
                    continue;
                }
                unsigned char key[2] = {0x42, 0x30}; // U+3042
                unsigned char out[4];
                int length = 0;
                from->lookup(key, 2, out, length);
                if (cp == 932 && (length != 2 || out[0] != 0x82 || out[1] != 0xA0))
                    failures.fetch_add(1);
                if (cp == 932 && (flat->length[0x3042] != 2 || flat->code[0x3042] != 0x82A0))
                    failures.fetch_add(1);
                if (cp == 1252 &&
                    CodePageTables::singleByteToUnicode(1252)->valueOf(0x80) != 0x20AC)
                    failures.fetch_add(1);
                seen[t].push_back(from);
                seen[t].push_back(towards);
            }
        });
    }
    for (std::thread &thread : threads)
        thread.join();
    EXPECT_EQ(0, failures.load());
    std::set<const void *> distinct;
    for (const std::vector<const void *> &tables : seen)
        distinct.insert(tables.begin(), tables.end());
    // 936 and 51936 share both tables: 11 pages with two tables each.
    EXPECT_EQ(22u, distinct.size()) << "each table is built once";
}

} // namespace
