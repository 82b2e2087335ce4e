#include "charset/CodePageTables.h"

#include "ConvertTestSupport.h"
#include "core/StringBuffer.h"
#include "encoding/ContentCoding.h"

#include <atomic>
#include <bzlib.h>
#include <initializer_list>
#include <thread>

namespace {

// ------------------------------------------------------------------ the hash map

void fill(HashConvert &table, uint32_t buckets,
          const std::vector<std::pair<Bytes, Bytes>> &entries) {
    ASSERT_TRUE(table.initBuckets(buckets));
    for (const auto &entry : entries)
        ASSERT_TRUE(table.insertEntry(entry.first.data(), static_cast<int>(entry.first.size()),
                                      entry.second.data(), static_cast<int>(entry.second.size())));
}

// Every used bucket with its block up to and including the end marker: "2: 01 41 01 42 00".
std::string blocks(const HashConvert &table) {
    std::string text;
    for (uint32_t i = 0; i < table.getBucketCount(); ++i) {
        const unsigned char *block = table.bucketBlock(i);
        if (!block) continue;
        size_t pos = 0;
        while (block[pos] != 0)
            pos += 2 + block[pos] + block[pos + 1 + block[pos]];
        text += (text.empty() ? "" : "; ") + std::to_string(i) + ": " + hexOf(block, pos + 1);
    }
    return text;
}

TEST(HashConvert, InitBucketsStartsEmptyAndDropsTheContentButNotTheFlag) {
    HashConvert table, filled;
    EXPECT_FALSE(table.isAsciiCompatible());
    EXPECT_EQ("-", lookupHex(table, {0x41}));
    EXPECT_FALSE(table.insertEntry(dataOf("A"), 1, dataOf("A"), 1));
    table.removeKey(dataOf("A"), 1);
    fill(filled, 11, {{{0x41}, {0x41, 0x00}}});
    EXPECT_FALSE(filled.invertInto(table)) << "no buckets to invert into";
    filled.setAsciiCompatible(true);
    ASSERT_TRUE(filled.initBuckets(283));
    EXPECT_EQ(283u, filled.getBucketCount());
    EXPECT_EQ("-", lookupHex(filled, {0x41}));
    EXPECT_EQ("", blocks(filled));
    EXPECT_TRUE(filled.isAsciiCompatible());
    EXPECT_FALSE(filled.initBuckets(0));
    EXPECT_EQ(0u, filled.getBucketCount());
}

TEST(HashConvert, RefusesKeysAndValuesOutsideOneToFourBytes) {
    HashConvert table;
    ASSERT_TRUE(table.initBuckets(5));
    unsigned char bytes[5] = {1, 2, 3, 4, 5};
    const int refused[][4] = {{0, 1, 1, 1}, {5, 1, 1, 1}, {1, 0, 1, 1},
                              {1, 5, 1, 1}, {1, 1, 0, 1}, {1, 1, 1, 0}}; // lengths, non-null
    for (const auto &r : refused)
        EXPECT_FALSE(table.insertEntry(r[2] ? bytes : nullptr, r[0], r[3] ? bytes : nullptr, r[1]));
    EXPECT_EQ("", blocks(table));
    int length = 9;
    EXPECT_FALSE(table.lookup(bytes, 5, bytes, length));
    EXPECT_EQ(0, length);
}

// Where keys land and how duplicates are kept, found and removed shows in the loader's
// tests below and in every table against its reference; the order of an inversion
// only here.
TEST(HashConvert, InvertIntoWalksBucketsInOrder) {
    HashConvert table, inverted;
    // Bucket 3 is filled before bucket 1, yet the inversion visits bucket 1 first;
    // within bucket 2 (0x0C and 0x11) the stored order holds.
    fill(
        table, 5,
        {{{3, 0}, {0x99}}, {{1, 0}, {0x99}}, {{0x0C, 0}, {0x82, 0xA0}}, {{0x11, 0}, {0x82, 0xA0}}});
    table.setAsciiCompatible(true);
    ASSERT_TRUE(inverted.initBuckets(7));
    ASSERT_TRUE(table.invertInto(inverted));
    // 0x99 = 153 lands in bucket 6, 82 A0 (0xA082) in bucket 0, in visiting order.
    EXPECT_EQ("0: 02 82 A0 02 0C 00 02 82 A0 02 11 00 00; 6: 01 99 02 01 00 01 99 02 03 00 00",
              blocks(inverted));
    EXPECT_FALSE(inverted.isAsciiCompatible());
}

// ------------------------------------------------------------------ loader

const uint32_t kMagic = 0xB394A7E1;

// The encoding module's encoder, pinned by its own vectors, writes the tables' text.
std::string base64(const Bytes &data) {
    StringBuffer text;
    EXPECT_TRUE(encodeBase64(data.data(), static_cast<uint32_t>(data.size()), text));
    return std::string(text.getString(), text.getSize());
}

void appendLe(Bytes &out, uint32_t value, int length) {
    for (int i = 0; i < length; ++i)
        out.push_back(static_cast<unsigned char>(value >> 8 * i));
}

// The container around a raw table: magic, declared length and a bzip2 stream.
std::string compressedText(const Bytes &table, uint32_t magic = kMagic, long declared = -1) {
    Bytes packed;
    appendLe(packed, magic, 4);
    appendLe(packed, static_cast<uint32_t>(declared < 0 ? table.size() : declared), 4);
    std::vector<char> stream(table.size() + 600), source(table.begin(), table.end());
    unsigned int length = static_cast<unsigned int>(stream.size());
    EXPECT_EQ(BZ_OK, BZ2_bzBuffToBuffCompress(stream.data(), &length, source.data(),
                                              static_cast<unsigned int>(source.size()), 3, 0, 0));
    packed.insert(packed.end(), stream.begin(), stream.begin() + length);
    return "c" + base64(packed);
}

// A complete table: section 1 of (byte delta, Unicode delta) and a 0, then section 2
// of (code delta, Unicode delta) and a 0 code delta; deltas wrap.
Bytes tableOf(const char *header, const std::vector<std::pair<int, int>> &singles,
              const std::vector<std::pair<int, int>> &pairs = {}) {
    Bytes bytes(header, header + 2);
    for (int section = 1; section <= 2; ++section) {
        int code = 0, unit = 0;
        for (const auto &record : section == 1 ? singles : pairs) {
            appendLe(bytes, static_cast<uint32_t>(record.first - code), section);
            appendLe(bytes, static_cast<uint32_t>(record.second - unit), 2);
            code = record.first;
            unit = record.second;
        }
        appendLe(bytes, 0, section);
    }
    return bytes;
}

// Every entry as "key=value", sorted.
std::string contents(const HashConvert &table) {
    std::vector<std::string> entries;
    for (uint32_t i = 0; i < table.getBucketCount(); ++i)
        for (const unsigned char *e = table.bucketBlock(i); e && *e; e += 2 + e[0] + e[1 + e[0]])
            entries.push_back(hexOf(e + 1, e[0]) + "=" + hexOf(e + 2 + e[0], e[1 + e[0]]));
    std::sort(entries.begin(), entries.end());
    std::string text;
    for (const std::string &entry : entries)
        text += (text.empty() ? "" : ", ") + entry;
    return text;
}

// Loads text, then the diffs in more, if any, into a table of 283 buckets.
bool load(HashConvert &table, const std::string &text, bool keyIsUnicode, const char *more) {
    EXPECT_TRUE(table.initBuckets(283));
    LogNull log;
    bool ok = loadTable(text.c_str(), table, keyIsUnicode, log);
    return more ? loadTable(more, table, keyIsUnicode, log) && ok : ok;
}

TEST(LoadTable, LoadsEitherDirectionAndFailsOnDamagedData) {
    const std::string handWritten = compressedText({'a', 'u', 0xA0, 0xA0, 0, 1, 1, 0, 0, 0, 0});
    const Bytes wrapping =
        tableOf("xu", {{0xC1, 0x0041}, {0x5A, 0x0021}}, {{0x82A0, 0x3042}, {0x8140, 0x3000}});
    const std::string complete = compressedText(
        tableOf("au", {{0x5C, 0x005C}, {0x7E, 0x007E}}, {{0x815F, 0xFF3C}, {0x8160, 0x301C}}));
    // Section A removes U+007E; B maps U+005C to 0x80; C adds U+00A5 -> 81 8F.
    const std::string diffsText =
        compressedText({'a', 'd', 0x7E, 0, 0, 0, 0x80, 0x5C, 0, 0, 0x81, 0x8F, 0xA5, 0, 0, 0});
    const char *diffs = diffsText.c_str();
    const std::string twice = "x" + base64(tableOf("xu", {{0x20, 0x00A0}, {0x41, 0x00A0}}));
    const std::string replace = "x" + base64({'x', 'd', 0, 0, 0x42, 0xA0, 0, 0, 0, 0});
    Bytes cut = tableOf("au", {{0xA0, 0x00A0}, {0xA1, 0x00A1}});
    cut.resize(cut.size() - 5);
    std::vector<std::pair<int, int>> identity;
    for (int b = 0xA0; b <= 0xFF; ++b)
        identity.push_back({b, b});
    const Bytes sample = tableOf("au", identity);
    std::string flipped = compressedText(sample);
    for (size_t i = 40; i < 48; ++i) // well inside the bzip2 block
        flipped[i] = flipped[i] == 'A' ? 'B' : 'A';
    const Bytes notBzip2 = {0xE1, 0xA7, 0x94, 0xB3, 0x2C, 1, 0, 0, 'B', 'Z', 'h', '3', ' ', 'x'};
    const char *towards = "5A=21 00, 81 40=00 30, 82 A0=42 30, C1=41 00";
    const char *from = "00 30=81 40, 21 00=5A, 41 00=C1, 42 30=82 A0";
    // clang-format off
    const struct {
        std::string text;
        bool keyIsUnicode, ok, asciiCompatible;
        const char *contents, *diffs = nullptr;
    } cases[] = {
        {handWritten, false, true, true, "A0=A0 00, A1=A1 00"},
        {handWritten, true, true, true, "A0 00=A0, A1 00=A1"},
        {"x" + base64(wrapping), false, true, false, towards},
        {"x" + base64(wrapping), true, true, false, from},
        {compressedText(wrapping), true, true, false, from},
        {compressedText(tableOf("au", {})), true, true, true, ""},
        // Diffs change only a table keyed by Unicode; a change replaces every entry of
        // its key, and a diffs header leaves the flag alone.
        {complete, true, true, true, "1C 30=81 60, 3C FF=81 5F, 5C 00=80, A5 00=81 8F", diffs},
        {complete, false, true, true, "5C=5C 00, 7E=7E 00, 81 5F=3C FF, 81 60=1C 30", diffs},
        {twice, true, true, false, "A0 00=42", replace.c_str()},
        // A plain table cut short keeps the records before the cut; damaged data of any
        // other kind leaves the table empty.
        {"x" + base64(cut), false, false, true, "A0=A0 00"}, {"", false, false, false, ""},
        {"c", true, false, false, ""}, {"c!!!! ....", false, false, false, ""},
        {"cQUJD", true, false, false, ""}, {"c" + base64(notBzip2), true, false, false, ""},
        {compressedText(sample, kMagic + 1), true, false, false, ""},
        {compressedText(sample, 0xE1A794B3), false, false, false, ""},
        {flipped, false, false, false, ""},
        {compressedText(sample, kMagic, 4), true, false, false, ""}, // declared length too small
    };
    // clang-format on
    for (const auto &c : cases) {
        HashConvert table;
        SCOPED_TRACE(c.text.substr(0, 24) + (c.keyIsUnicode ? " keyed by Unicode" : ""));
        EXPECT_EQ(c.ok, load(table, c.text, c.keyIsUnicode, c.diffs));
        EXPECT_EQ(c.contents, contents(table));
        EXPECT_TRUE(!c.ok || c.asciiCompatible == table.isAsciiCompatible());
    }
    HashConvert table;
    LogNull log;
    EXPECT_FALSE(loadTable(nullptr, table, true, log));
    // The first record loaded wins for either key: 0x20 <-> U+0020, then U+00A0 -> 0x20.
    std::string text =
        "x" + base64(tableOf("au", {{0x20, 0x0020}, {0x41, 0x0041}, {0x20, 0x00A0}}));
    ASSERT_TRUE(load(table, text, false, nullptr));
    EXPECT_EQ("20 00", lookupHex(table, {0x20}));
    ASSERT_TRUE(load(table, text, true, nullptr));
    EXPECT_EQ("20 20 41", lookupHex(table, {0xA0, 0}) + " " + lookupHex(table, {0x20, 0}) + " " +
                              lookupHex(table, {0x41, 0}));
}

// ------------------------------------------------------------------ registry

TEST(CodePageTables, KnowsExactlyThePagesWithTables) {
    std::set<int> multis(std::begin(kMultiBytePages), std::end(kMultiBytePages));
    for (int cp = -1; cp <= 65536; ++cp) {
        ASSERT_EQ(embeddedSingleByteTable(cp) != nullptr, CodePageTables::isSingleByte(cp)) << cp;
        ASSERT_EQ(multis.count(cp) == 1, CodePageTables::isMultiByte(cp)) << cp;
    }
    for (int cp : {0, 1200, 65001, 20932, 54936, 52936, 99999}) {
        CodePageTables::ensureTableToUnicode(cp);
        CodePageTables::ensureTableFromUnicode(cp);
        EXPECT_FALSE(CodePageTables::singleByteToUnicode(cp) ||
                     CodePageTables::multiByteToUnicode(cp) || CodePageTables::fromUnicode(cp) ||
                     CodePageTables::flatFromUnicode(cp) || CodePageTables::flatToUnicode(cp))
            << cp;
    }
    EXPECT_FALSE(CodePageTables::multiByteToUnicode(1252) || CodePageTables::flatToUnicode(1252) ||
                 CodePageTables::singleByteToUnicode(932));
}

// The value a lookup finds as a number: a 1, then its bytes; 0 for none.
uint32_t valueOf(const HashConvert &table, std::initializer_list<unsigned char> key) {
    unsigned char out[4];
    int length = 0;
    uint32_t value = table.lookup(key.begin(), static_cast<int>(key.size()), out, length);
    for (int i = 0; i < length; ++i)
        value = value << 8 | out[i];
    return value;
}

// The flat views answer every lookup as the hash tables do; through them the double-byte
// codes are counted: those a page decodes, and the distinct ones it writes (fewer where
// Windows decodes codes that it writes as others).
TEST(CodePageTables, FlatViewsAnswerWhatTheHashesAnswer) {
    const std::map<int, std::pair<size_t, size_t>> doubleByteCodes = {
        {932, {9604, 9206}},   {936, {23940, 23940}},   {949, {17236, 17236}},
        {950, {19720, 19710}}, {1361, {17252, 17252}},  {10001, {9571, 9205}},
        {51932, {7399, 7389}}, {51936, {23940, 23940}}, {51949, {8414, 8414}}};
    // A Unicode value as the 2-byte value of a table towards Unicode.
    auto unit = [](bool has, uint16_t u) { return has ? 0x10000u | (u & 0xFF) << 8 | u >> 8 : 0; };
    for (int cp : allTablePages()) {
        const HashConvert *from = CodePageTables::fromUnicode(cp);
        const FlatFromUnicode *flatFrom = CodePageTables::flatFromUnicode(cp);
        ASSERT_TRUE(from && flatFrom) << cp;
        EXPECT_EQ(flatFrom, CodePageTables::flatFromUnicode(cp)) << cp << ": built once";
        std::set<uint16_t> written;
        for (int u = 0; u < 65536; ++u) {
            int length = flatFrom->length[u];
            ASSERT_EQ(
                valueOf(*from, {static_cast<unsigned char>(u), static_cast<unsigned char>(u >> 8)}),
                length ? 1u << 8 * length | flatFrom->code[u] : 0)
                << cp << " U+" << std::hex << u;
            if (length == 2) written.insert(flatFrom->code[u]);
        }
        if (!CodePageTables::isMultiByte(cp)) continue;
        const HashConvert *towards = CodePageTables::multiByteToUnicode(cp);
        const FlatToUnicode *flatTo = CodePageTables::flatToUnicode(cp);
        ASSERT_TRUE(towards && flatTo) << cp;
        for (int b = 0; b < 256; ++b)
            ASSERT_EQ(valueOf(*towards, {static_cast<unsigned char>(b)}),
                      unit(flatTo->hasSingle[b], flatTo->single[b]))
                << cp << " byte " << b;
        size_t decoded = 0;
        for (int code = 0; code < 65536; ++code) {
            ASSERT_EQ(valueOf(*towards, {static_cast<unsigned char>(code >> 8),
                                         static_cast<unsigned char>(code)}),
                      unit(flatTo->hasPair[code], flatTo->pair[code]))
                << cp << " code " << code;
            decoded += flatTo->hasPair[code];
        }
        EXPECT_EQ(doubleByteCodes.at(cp).first, decoded) << cp;
        EXPECT_EQ(doubleByteCodes.at(cp).second, written.size()) << cp;
    }
}

// Run alone (--gtest_filter=CodePageTables.ThreadsLoadAndReadTablesAtOnce), as under
// ThreadSanitizer, every table here is loaded by racing threads; in the whole program
// the earlier tests have loaded most of them and the threads race on reading.
TEST(CodePageTables, ThreadsLoadAndReadTablesAtOnce) {
    const int pages[] = {1252, 932, 10001, 936, 51936, 20127, 37, 949, 950, 1361, 28591, 874};
    const int count = sizeof(pages) / sizeof(pages[0]), threadCount = 8;
    std::atomic<int> ready(0), failures(0);
    std::vector<std::set<const void *>> seen(threadCount);
    std::vector<std::thread> threads;
    for (int t = 0; t < threadCount; ++t) {
        threads.emplace_back([&, t]() {
            for (ready.fetch_add(1); ready.load() < threadCount;) {
            }
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
                // A table is seen whole or not at all.
                failures += !from || !towards || !flat ||
                            (cp == 932 && (valueOf(*from, {0x42, 0x30}) != 0x182A0 ||
                                           flat->code[0x3042] != 0x82A0)) ||
                            (cp == 1252 &&
                             CodePageTables::singleByteToUnicode(cp)->valueOf(0x80) != 0x20AC);
                seen[t].insert({from, towards});
            }
        });
    }
    for (std::thread &thread : threads)
        thread.join();
    EXPECT_EQ(0, failures.load());
    std::set<const void *> distinct;
    for (const std::set<const void *> &tables : seen)
        distinct.insert(tables.begin(), tables.end());
    // 936 and 51936 share both tables: 11 pages with two tables each.
    EXPECT_EQ(22u, distinct.size()) << "each table is built once";
}

} // namespace
