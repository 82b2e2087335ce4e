#include "charset/TableWalks.h"

#include "ConvertTestSupport.h"

// The table-driven routes of EncodingConvert: code pages to and from UTF-16 and UTF-8,
// between two code pages, and the ISO-2022 and Mac Arabic routes through the tables.

namespace {

TEST(TableWalks, Routes) {
    const std::string digits = utf16le(u"\u0660\u0663\u0669\u06F0\u06F5\u06F9");
    // clang-format off
    const ConvertCase cases[] = {
        // Unmapped bytes fail only the step that drops them: on the way to UTF-8 the
        // second step alone counts, and U+0000 gives nothing there.
        {1252, 1200, "A\x81\x8D\x8F\x90\x9D\x42", false, "A\0B\0"s},
        {1252, 65001, "A\x81\x8D\x8F\x90\x9D\x42", true, "AB"},
        {1252, 65001, "A\0\x80"s, true, "A\xE2\x82\xAC"},
        // U+0100 has a best fit in windows-1252, CJK has none; the first step drops a
        // 4-byte sequence and an odd last byte; a single byte fails.
        {1200, 1252, utf16le(u"A\u00E9\0"s), true, "A\xE9\0"s},
        {1200, 1252, utf16le(u"A\u0100\u4E2DB"), false, "AAB"},
        {65001, 1252, "A\xE2\x82\xAC\xE4\xB8\xAD\x42", false, "A\x80\x42"},
        {65001, 1252, "A\xF0\x9F\x98\x80\x42", true, "AB"},
        {1200, 1252, "A\0B"s, true, "A"}, {1200, 1252, "A", false, ""},
        // EBCDIC is not ASCII-compatible; a lead byte at the end has no character.
        {1200, 37, utf16le(u"A1\0"s), true, "\xC1\xF1\0"s}, {37, 1200, "\xC1\0"s, true, "A\0\0\0"s},
        {932, 1200, "A\x82", false, "A\0"s}, {932, 65001, "A\x82", true, "A"},
        // Between two code pages, and ISO-2022 through the tables.
        {936, 1252, "A\xD6\xD0\x42", false, "AB"}, {932, 936, "\x82\xA0", true, "\xA4\xA2"},
        {1200, 50220, utf16le(u"A\u3042\u20AC"), false, "A\x1B$B\x24\x22\x1B(B"},
        {50220, 1200, "\x1B$B\x24\x22\x1B(B", true, utf16le(u"\u3042")},
        {65001, 50225, "\xEA\xB0\x80\n", true, "\x1B$)C\x0E\x30\x21\x0F\n"},
        {50225, 1200, "\x1B$)C\x0E\x30\x21", true, utf16le(u"\uAC00")},
        // Unicode targets; UTF-16BE takes what the first step gives and reports true.
        {1252, 65000, "\xE9", true, "+AOk-"}, {1252, 65005, "\x80", true, "\xAC\x20\0\0"s},
        {1252, 1201, "A\x80", true, "\0\x41\x20\xAC"s}, {1252, 1201, "\x81\x41", true, "\0\x41"s},
        // Arabic-Indic digits become ASCII digits on the Arabic pages only.
        {1200, 1256, digits, true, "039059"}, {1200, 28596, digits, true, "039059"},
        {65001, 1256, "\xD9\xA3", true, "3"}, {1200, 1252, utf16le(u"\u0663"), false, ""},
        // Mac Arabic is prepared before the table.
        {10004, 65001, "A\xB1\xB2\xB3", true, "A321"}, {10004, 1200, "\xC7", true, "\x27\x06"s},
    };
    // clang-format on
    expectConvertedAll(cases);
}

// ------------------------------------------------------------------------------------
// The flat walks against the hash walks, and the UTF-8 shortcuts against the two steps

std::string prepared(int page, std::string bytes) {
    if (page == 10004 && !bytes.empty())
        EncodingConvert::prepareMacArabic(reinterpret_cast<unsigned char *>(&bytes[0]),
                                          sizeOf(bytes));
    return bytes;
}

class EveryPage : public testing::TestWithParam<int> {};

// Random text both ways: the engine's flat walks against the hash walks, and the direct
// UTF-8 routes against the two steps through UTF-16.
TEST_P(EveryPage, FastWalksGiveWhatThePlainWalksGive) {
    int page = GetParam();
    ToUnicodeTables to;
    FromUnicodeTables from;
    ASSERT_TRUE(to.resolve(page) && from.resolve(page) && from.hash);
    std::mt19937 random(static_cast<unsigned>(page));
    std::uniform_int_distribution<int> anyByte(0, 255), ascii(0x20, 0x7E), coin(0, 3);
    EncodingConvert converter;
    for (int round = 0; round < 20; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        std::string bytes;
        while (bytes.size() < 500u + round) {
            for (int k = round % 2 && coin(random) ? 9 : 0; k > 0; --k)
                bytes += static_cast<char>(ascii(random));
            bytes += static_cast<char>(anyByte(random));
        }
        std::string logical = prepared(page, bytes);
        DataBuffer viaEngine, viaHash;
        bool engineOk =
            converter.ensureHashToUnicode(page, dataOf(logical), sizeOf(logical), viaEngine);
        bool hashOk = to.single
                          ? EncodingConvert::convertToUnicodeByLookup(*to.single, dataOf(logical),
                                                                      sizeOf(logical), viaHash)
                          : EncodingConvert::multiByteToUnicodeByHash(*to.hash, dataOf(logical),
                                                                      sizeOf(logical), viaHash);
        ASSERT_EQ(shown(hashOk, bytesOf(viaHash)), shown(engineOk, bytesOf(viaEngine)));
        ASSERT_EQ(shown(runStep(EncodingConvert::utf16ToUtf8, bytesOf(viaEngine))),
                  shown(convertBytes(page, 65001, bytes)));

        // And back: the decoded text with foreign units mixed in, then that as UTF-8.
        std::string utf16 = utf16le(u"\u20AC\U0001F600\u00E9\u0663\u06F5 plain text ");
        for (size_t i = 0; i + 1 < viaEngine.getSize(); i += 2) {
            utf16.append(reinterpret_cast<const char *>(viaEngine.getData()) + i, 2);
            if (coin(random) == 0)
                utf16 += utf16le(std::u16string(1, anyByte(random) << 8 | anyByte(random)));
        }
        std::string hashInput = utf16;
        for (size_t i = 0; from.arabicDigits && i < hashInput.size(); i += 2) {
            // Arabic-Indic digits are written as ASCII digits before the table.
            int u = static_cast<unsigned char>(hashInput[i]) |
                    static_cast<unsigned char>(hashInput[i + 1]) << 8;
            if ((u >= 0x0660 && u <= 0x0669) || (u >= 0x06F0 && u <= 0x06F9))
                hashInput.replace(i, 2, {static_cast<char>('0' + (u & 15)), '\0'});
        }
        std::string utf8 = convertBytes(1200, 65001, utf16).bytes + "\xF0\x9F\x98\x80";
        DataBuffer fromEngine, fromHash, viaUnits;
        bool fromEngineOk =
            converter.ensureHashFromUnicode(page, dataOf(utf16), sizeOf(utf16), fromEngine);
        bool fromHashOk = EncodingConvert::unicodeToMultiByteByHash(*from.hash, dataOf(hashInput),
                                                                    sizeOf(hashInput), fromHash);
        ASSERT_EQ(shown(fromHashOk, bytesOf(fromHash)), shown(fromEngineOk, bytesOf(fromEngine)));
        std::string units = runStep(EncodingConvert::utf8ToUtf16, utf8).bytes;
        bool viaUnitsOk =
            converter.ensureHashFromUnicode(page, dataOf(units), sizeOf(units), viaUnits);
        ASSERT_EQ(shown(viaUnitsOk, bytesOf(viaUnits)), shown(convertBytes(65001, page, utf8)));
    }
}

// Every character a page maps converts to Unicode and back to a code of that character.
TEST_P(EveryPage, MappedCharactersSurviveTheRoundTrip) {
    int page = GetParam(), checked = 0, failures = 0;
    ToUnicodeTables tables;
    ASSERT_TRUE(tables.resolve(page));
    const FlatToUnicode *flat = CodePageTables::flatToUnicode(page);
    ASSERT_TRUE(tables.single || flat) << page;
    for (int code = 1; code < (flat ? 0x10000 : 0x100) && failures < 10; ++code) {
        std::string bytes = codeBytes(code);
        // A Mac Arabic byte alone is read as its logical form.
        int u = code > 0xFF     ? flat->hasPair[code] * flat->pair[code]
                : tables.single ? tables.single->valueOf(dataOf(prepared(page, bytes))[0])
                : code < 0x80 && tables.asciiCompatible
                    ? code
                    : flat->hasSingle[code] * flat->single[code];
        if (u == 0) continue;
        ++checked;
        std::string unit = utf16le(std::u16string(1, static_cast<char16_t>(u)));
        Converted there = convertBytes(page, 1200, bytes);
        // With a mark first, U+FEFF is a character like the others.
        Converted back = convertBytes(1200, page, "\xFF\xFE" + unit);
        Converted again = convertBytes(page, 1200, back.bytes);
        // A code that the Mac Arabic preparation rewrites cannot read back as itself.
        bool backOk = (back.ok && !back.bytes.empty() && again.bytes == unit) ||
                      (page == 10004 && prepared(page, back.bytes) != back.bytes);
        if (there.ok && there.bytes == unit && backOk) continue;
        ++failures;
        ADD_FAILURE() << page << ": " << hexOf(bytes) << " gave " << hexOf(there.bytes)
                      << ", expected " << hexOf(unit) << "; back " << hexOf(back.bytes)
                      << " reads as " << hexOf(again.bytes);
    }
    EXPECT_GT(checked, 60) << page;
}

INSTANTIATE_TEST_SUITE_P(Pages, EveryPage, testing::ValuesIn(allTablePages()),
                         [](const testing::TestParamInfo<int> &info) {
                             return "cp" + std::to_string(info.param);
                         });

} // namespace
