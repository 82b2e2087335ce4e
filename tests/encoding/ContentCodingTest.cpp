#include "encoding/ContentCoding.h"

#include "core/DataBuffer.h"
#include "core/StringBuffer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <string>

namespace {

std::string text(const StringBuffer &sb) {
    return std::string(sb.getString(), sb.getSize());
}

std::string randomBytes(size_t n, unsigned seed) {
    std::mt19937 gen(seed);
    std::string s(n, '\0');
    for (auto &c : s)
        c = static_cast<char>(gen() & 0xFF);
    return s;
}

// Mostly printable lines with CR LF, blanks at line ends, dots and "From " at line starts
// and a sprinkle of 8-bit bytes: the cases quoted-printable treats specially.
std::string mailLikeText(size_t n, unsigned seed) {
    static const char *const pieces[] = {"From ", ".",      " ",   "\t",   "\r\n",
                                         "=",     "\n",     "\r",  "word", "\xE9t\xE9",
                                         "From",  "a \r\n", "\x7F"};
    std::mt19937 gen(seed);
    std::string s;
    while (s.size() < n) {
        unsigned pick = gen() % 40;
        if (pick < 13)
            s += pieces[pick];
        else
            s += std::string(gen() % 90, static_cast<char>('a' + pick % 26));
    }
    s.resize(n);
    return s;
}

std::string base64Reference(const std::string &in) {
    static const char alphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    size_t bits = 0;
    unsigned acc = 0;
    for (unsigned char c : in) {
        acc = acc << 8 | c;
        bits += 8;
        while (bits >= 6) {
            bits -= 6;
            out += alphabet[(acc >> bits) & 63];
        }
    }
    if (bits > 0) out += alphabet[(acc << (6 - bits)) & 63];
    while (out.size() % 4 != 0)
        out += '=';
    return out;
}

std::string hexReference(const std::string &in) {
    std::string out;
    char pair[3];
    for (unsigned char c : in) {
        snprintf(pair, sizeof pair, "%02X", c);
        out += pair;
    }
    return out;
}

// Undoes quoted-printable: soft breaks vanish, =XX gives the byte, the rest is literal.
std::string decodeQuotedPrintable(const std::string &in) {
    std::string out;
    for (size_t i = 0; i < in.size(); ++i) {
        if (in[i] != '=') {
            out += in[i];
        } else if (in.compare(i + 1, 2, "\r\n") == 0) {
            i += 2;
        } else {
            out += static_cast<char>(std::strtol(in.substr(i + 1, 2).c_str(), nullptr, 16));
            i += 2;
        }
    }
    return out;
}

std::string qp(const std::string &in, int lineLength = ContentCoding::kDefaultLineLength) {
    ContentCoding coding;
    coding.setLineLength(lineLength);
    StringBuffer out;
    EXPECT_TRUE(coding.encodeQuotedPrintable(in.data(), static_cast<uint32_t>(in.size()), out));
    return text(out);
}

std::string base64(const std::string &in) {
    StringBuffer out;
    EXPECT_TRUE(encodeBase64(in.data(), static_cast<uint32_t>(in.size()), out));
    return text(out);
}

std::string hex(const std::string &in) {
    StringBuffer out;
    EXPECT_TRUE(encodeHex(in.data(), static_cast<uint32_t>(in.size()), out));
    return text(out);
}

std::string decoded(const std::string &in) {
    uint32_t n = 12345;
    unsigned char *block = decodeBase64(in.data(), static_cast<uint32_t>(in.size()), n);
    EXPECT_NE(block, nullptr) << "for \"" << in << "\"";
    if (!block) return "<null>";
    EXPECT_EQ(block[n], 0) << "no terminator after " << n << " bytes for \"" << in << "\"";
    std::string s(reinterpret_cast<char *>(block), n);
    free(block);
    return s;
}

} // namespace

// ---- base64 ----

TEST(ContentCodingBase64, Rfc4648Vectors) {
    static const struct {
        const char *in;
        const char *out;
    } vectors[] = {{"", ""},
                   {"f", "Zg=="},
                   {"fo", "Zm8="},
                   {"foo", "Zm9v"},
                   {"foob", "Zm9vYg=="},
                   {"fooba", "Zm9vYmE="},
                   {"foobar", "Zm9vYmFy"},
                   {"abc", "YWJj"}};
    for (const auto &v : vectors)
        EXPECT_EQ(base64(v.in), v.out) << "input \"" << v.in << "\"";
}

TEST(ContentCodingBase64, PadsSingleZeroByte) {
    EXPECT_EQ(base64(std::string(1, '\0')), "AA==");
    EXPECT_EQ(base64(std::string(2, '\0')), "AAA=");
    EXPECT_EQ(base64("\xFF\xFF\xFF"), "////");
    EXPECT_EQ(base64("\xFB\xEF\xBE"), "++++");
}

TEST(ContentCodingBase64, MatchesBitwiseEncoderAtEveryLengthAndChunkBoundary) {
    std::string data = randomBytes(70000, 1);
    for (size_t n = 0; n <= 64; ++n)
        EXPECT_EQ(base64(data.substr(0, n)), base64Reference(data.substr(0, n))) << "length " << n;
    for (size_t n : {6141u, 6142u, 6143u, 6144u, 6145u, 6146u, 12288u, 12289u, 70000u}) {
        std::string got = base64(data.substr(0, n));
        EXPECT_EQ(got, base64Reference(data.substr(0, n))) << "length " << n;
        EXPECT_EQ(got.find_first_of("\r\n"), std::string::npos) << "line break at length " << n;
    }
}

TEST(ContentCodingBase64, AppendsToExistingTextAndIgnoresEmptyInput) {
    StringBuffer out("pre:");
    EXPECT_TRUE(encodeBase64("foo", 3, out));
    EXPECT_EQ(text(out), "pre:Zm9v");
    EXPECT_TRUE(encodeBase64(nullptr, 5, out));
    EXPECT_TRUE(encodeBase64("foo", 0, out));
    EXPECT_EQ(text(out), "pre:Zm9v");
}

TEST(ContentCodingBase64, DecodeRoundTripsEveryLength) {
    std::string data = randomBytes(100000, 2);
    for (size_t n = 0; n <= 70; ++n)
        EXPECT_EQ(decoded(base64Reference(data.substr(0, n))), data.substr(0, n)) << "length " << n;
    EXPECT_EQ(decoded(base64(data)), data);
}

TEST(ContentCodingBase64, DecodeSkipsBlanksAndCharactersOutsideRange) {
    EXPECT_EQ(decoded("Zm9v\r\nYm Fy\t"), "foobar");
    EXPECT_EQ(decoded(" \r\n\tZm\r\n9vYmFy\r\n"), "foobar");
    EXPECT_EQ(decoded("Zm#9v*Ym{Fy|}\x80\xFF"), "foobar");
}

TEST(ContentCodingBase64, DecodeStopsAtEqualsSignOrNul) {
    EXPECT_EQ(decoded("Zm8=Zm9v"), "fo");
    EXPECT_EQ(decoded("Zg==Zm9v"), "f");
    EXPECT_EQ(decoded(std::string("Zm9v\0Zm9v", 9)), "foo");
    // A lone sixth of a byte cannot make a byte.
    EXPECT_EQ(decoded("Zm9vY"), "foo");
    EXPECT_EQ(decoded(""), "");
    EXPECT_EQ(decoded("===="), "");
}

TEST(ContentCodingBase64, DecodeHonoursLengthAndRejectsNullText) {
    EXPECT_EQ(decoded(std::string("Zm9vYmFy").substr(0, 4)), "foo");
    uint32_t n = 7;
    EXPECT_EQ(decodeBase64(nullptr, 10, n), nullptr);
    EXPECT_EQ(n, 0u);
}

TEST(ContentCodingBase64, TextTooLongForAStringBufferIsRefusedUntouched) {
    // The size check comes before the first byte is read, so a short block stands in for
    // the huge input.
    static const char block[4] = {1, 2, 3, 4};
    StringBuffer out("kept");
    EXPECT_FALSE(encodeBase64(block, 0x80000000u, out));
    EXPECT_FALSE(encodeHex(block, 0x40000000u, out));
    ContentCoding coding;
    EXPECT_FALSE(coding.encodeBytes("asc", block, 0xFFFFFFFFu, out));
    EXPECT_EQ(text(out), "kept");
}

// ---- hexadecimal ----

TEST(ContentCodingHex, UpperCaseDigitsWithoutSeparators) {
    EXPECT_EQ(hex("\x0A\xFF"), "0AFF");
    EXPECT_EQ(hex(std::string("\0\x01\xAB", 3)), "0001AB");
    EXPECT_EQ(hex(""), "");
}

TEST(ContentCodingHex, EveryByteValueAndLongInput) {
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    EXPECT_EQ(hex(all), hexReference(all));
    std::string data = randomBytes(20011, 3);
    EXPECT_EQ(hex(data), hexReference(data));
    for (size_t n = 0; n <= 20; ++n)
        EXPECT_EQ(hex(data.substr(0, n)), hexReference(data.substr(0, n))) << "length " << n;
}

TEST(ContentCodingHex, AppendsToExistingText) {
    StringBuffer out("x=");
    EXPECT_TRUE(encodeHex("\x12\x34", 2, out));
    EXPECT_TRUE(encodeHex(nullptr, 2, out));
    EXPECT_EQ(text(out), "x=1234");
}

// ---- URL forms ----

namespace {

bool isAsciiLetterOrDigit(int b) {
    return (b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z');
}

} // namespace

using UrlEncoder = bool (*)(const void *, uint32_t, StringBuffer &);

struct UrlSet {
    const char *label;
    UrlEncoder encode;
    const char *dispatchName;
    const char *extras;
};

static std::ostream &operator<<(std::ostream &os, const UrlSet &set) {
    return os << set.label;
}

class ContentCodingUrl : public testing::TestWithParam<UrlSet> {};

TEST_P(ContentCodingUrl, EveryByteValueFollowsTheSet) {
    const UrlSet &set = GetParam();
    std::string all, expected;
    for (int b = 0; b < 256; ++b) {
        char byte = static_cast<char>(b);
        all += byte;
        bool kept = isAsciiLetterOrDigit(b) || (b != 0 && std::strchr(set.extras, b) != nullptr);
        std::string want = kept ? std::string(1, byte) : "%" + hexReference(std::string(1, byte));
        StringBuffer out;
        EXPECT_TRUE(set.encode(&byte, 1, out));
        EXPECT_EQ(text(out), want) << "byte 0x" << std::hex << b;
        expected += want;
    }
    StringBuffer out;
    EXPECT_TRUE(set.encode(all.data(), 256, out));
    EXPECT_EQ(text(out), expected);
    ContentCoding coding;
    StringBuffer byName;
    EXPECT_TRUE(coding.encodeBytes(set.dispatchName, all.data(), 256, byName));
    EXPECT_EQ(text(byName), expected) << "by the name " << set.dispatchName;
}

TEST_P(ContentCodingUrl, LongInputCrossesPieceBoundaries) {
    const UrlSet &set = GetParam();
    std::string data = randomBytes(9001, 4) + std::string(3000, '\xFF') + std::string(3000, 'q');
    std::string expected;
    for (unsigned char b : data) {
        bool kept = isAsciiLetterOrDigit(b) || (b != 0 && std::strchr(set.extras, b) != nullptr);
        expected += kept ? std::string(1, static_cast<char>(b))
                         : "%" + hexReference(std::string(1, static_cast<char>(b)));
    }
    StringBuffer out("start");
    EXPECT_TRUE(set.encode(data.data(), static_cast<uint32_t>(data.size()), out));
    EXPECT_EQ(text(out), "start" + expected);
}

INSTANTIATE_TEST_SUITE_P(
    Sets, ContentCodingUrl,
    testing::Values(UrlSet{"Rfc3986", encodeUrlRfc3986, "url_rfc3986", "-._~"},
                    UrlSet{"Rfc1738", encodeUrlRfc1738, "url_rfc1738", "$-_.+!*'(),"},
                    UrlSet{"Rfc2396", encodeUrlRfc2396, "url_rfc2396", "-_.!~*'()"}),
    [](const testing::TestParamInfo<UrlSet> &info) { return std::string(info.param.label); });

TEST(ContentCodingUrlExamples, TildeDependsOnTheSet) {
    StringBuffer a, b, c;
    EXPECT_TRUE(encodeUrlRfc3986("a b~", 4, a));
    EXPECT_TRUE(encodeUrlRfc1738("a b~", 4, b));
    EXPECT_TRUE(encodeUrlRfc2396("a b~", 4, c));
    EXPECT_EQ(text(a), "a%20b~");
    EXPECT_EQ(text(b), "a%20b%7E");
    EXPECT_EQ(text(c), "a%20b~");
}

// ---- quoted-printable ----

TEST(ContentCodingQuotedPrintable, FromAndDotAtLineStart) {
    EXPECT_EQ(qp("From here"), "=46rom here");
    EXPECT_EQ(qp("x\r\nFrom y"), "x\r\n=46rom y");
    EXPECT_EQ(qp("From "), "=46rom=20");
    EXPECT_EQ(qp("From"), "From");
    EXPECT_EQ(qp("From:"), "From:");
    EXPECT_EQ(qp("from x"), "from x");
    EXPECT_EQ(qp("a From x"), "a From x");
    EXPECT_EQ(qp(".\r\n"), "=2E\r\n");
    EXPECT_EQ(qp("x\r\n.y"), "x\r\n=2Ey");
    EXPECT_EQ(qp("a.b."), "a.b.");
    // After a lone LF the column goes on, so the dot is not at a line start.
    EXPECT_EQ(qp("x\n.y"), "x=0A.y");
}

TEST(ContentCodingQuotedPrintable, FromAtTheVeryEndReadsNothingBeyondTheInput) {
    // Exact-size heap blocks, so that a look past the end is a fault the sanitizer sees.
    for (const char *tail : {"F", "Fr", "Fro", "From", "x\r\nFrom"}) {
        size_t n = std::strlen(tail);
        std::unique_ptr<char[]> block(new char[n]);
        std::memcpy(block.get(), tail, n);
        ContentCoding coding;
        StringBuffer out;
        EXPECT_TRUE(coding.encodeQuotedPrintable(block.get(), static_cast<uint32_t>(n), out));
        EXPECT_EQ(text(out), tail) << "no \"From \" without its space";
    }
}

TEST(ContentCodingQuotedPrintable, BlanksBeforeLineEndOrInputEnd) {
    EXPECT_EQ(qp("a \r\nb"), "a=20\r\nb");
    EXPECT_EQ(qp("a\t\r\nb"), "a=09\r\nb");
    EXPECT_EQ(qp("a  \r\n"), "a =20\r\n");
    EXPECT_EQ(qp("ab "), "ab=20");
    EXPECT_EQ(qp("ab\t"), "ab=09");
    EXPECT_EQ(qp(" "), "=20");
    EXPECT_EQ(qp("a b\tc"), "a b\tc");
    EXPECT_EQ(qp("a \nb"), "a =0Ab");
    EXPECT_EQ(qp("a \rb"), "a =0Db");
}

TEST(ContentCodingQuotedPrintable, EscapedBytes) {
    EXPECT_EQ(qp("\n"), "=0A");
    EXPECT_EQ(qp("\r"), "=0D");
    EXPECT_EQ(qp("\n\r"), "=0A=0D");
    EXPECT_EQ(qp("a=b"), "a=3Db");
    EXPECT_EQ(qp(std::string("\0\x7F\x80\xFF", 4)), "=00=7F=80=FF");
    EXPECT_EQ(qp("!<>~"), "!<>~");
    EXPECT_EQ(qp("\r\n\r\n"), "\r\n\r\n");
}

TEST(ContentCodingQuotedPrintable, SoftBreaksWithDefaultLineLength) {
    std::string a75(75, 'a');
    EXPECT_EQ(qp(std::string(100, 'a')), a75 + "=\r\n" + std::string(25, 'a'));
    EXPECT_EQ(qp(a75), a75 + "=\r\n");
    EXPECT_EQ(qp(std::string(74, 'a')), std::string(74, 'a'));
    EXPECT_EQ(qp(std::string(150, 'a')), a75 + "=\r\n" + a75 + "=\r\n");
    // No soft break when the line ends there anyway.
    EXPECT_EQ(qp(a75 + "\r\nb"), a75 + "\r\nb");
    EXPECT_EQ(qp(a75 + "\nb"), a75 + "=\r\n=0Ab");
}

TEST(ContentCodingQuotedPrintable, EscapeNearTheLineEnd) {
    // An escape starting at column 73 or later would pass column 75.
    EXPECT_EQ(qp(std::string(72, 'a') + "\xFF"), std::string(72, 'a') + "=FF=\r\n");
    EXPECT_EQ(qp(std::string(73, 'a') + "\xFF"), std::string(73, 'a') + "=\r\n=FF");
    EXPECT_EQ(qp(std::string(74, 'a') + "\xFF" + "b"), std::string(74, 'a') + "=\r\n=FFb");
    EXPECT_EQ(qp(std::string(72, 'a') + "=\r\n"), std::string(72, 'a') + "=3D\r\n");
}

TEST(ContentCodingQuotedPrintable, CustomLineLengths) {
    EXPECT_EQ(qp(std::string(30, 'a'), 20), std::string(19, 'a') + "=\r\n" + std::string(11, 'a'));
    // Lengths below 10 count as 10.
    EXPECT_EQ(qp(std::string(12, 'a'), 5), std::string(9, 'a') + "=\r\n" + "aaa");
    // A line start after a soft break is a line start too.
    EXPECT_EQ(qp(std::string(9, 'a') + ".", 10), std::string(9, 'a') + "=\r\n=2E");
    EXPECT_EQ(qp(std::string(9, 'a') + "From x", 10), std::string(9, 'a') + "=\r\n=46rom x");
    EXPECT_EQ(qp(std::string(6, 'a') + "\x01", 10), std::string(6, 'a') + "=01=\r\n");
    EXPECT_EQ(qp(std::string(7, 'a') + "\x01", 10), std::string(7, 'a') + "=\r\n=01");
    EXPECT_EQ(qp(std::string(200, 'a'), 1000), std::string(200, 'a'));
}

TEST(ContentCodingQuotedPrintable, LinesStayWithinLengthAndDecodeBack) {
    for (int lineLength : {10, 11, 20, 76, 77, 300}) {
        for (unsigned seed = 0; seed < 3; ++seed) {
            for (const std::string &in : {mailLikeText(5000, seed), randomBytes(5000, seed)}) {
                std::string out = qp(in, lineLength);
                EXPECT_EQ(decodeQuotedPrintable(out), in) << "line length " << lineLength;
                size_t start = 0;
                while (start < out.size()) {
                    size_t end = out.find("\r\n", start);
                    if (end == std::string::npos) end = out.size();
                    std::string line = out.substr(start, end - start);
                    EXPECT_LE(line.size(), static_cast<size_t>(lineLength))
                        << "line \"" << line << "\" at " << start;
                    if (!line.empty()) {
                        EXPECT_NE(line.back(), ' ') << "line \"" << line << "\" at " << start;
                        EXPECT_NE(line.back(), '\t') << "line \"" << line << "\" at " << start;
                        EXPECT_NE(line[0], '.') << "line \"" << line << "\" at " << start;
                        EXPECT_NE(line.compare(0, 5, "From "), 0) << "line at " << start;
                    }
                    start = end + 2;
                }
            }
        }
    }
}

TEST(ContentCodingQuotedPrintable, LongInputAppendsInPieces) {
    std::string in = mailLikeText(300000, 9);
    StringBuffer out("head");
    ContentCoding coding;
    EXPECT_TRUE(coding.encodeQuotedPrintable(in.data(), static_cast<uint32_t>(in.size()), out));
    std::string got = text(out);
    ASSERT_EQ(got.compare(0, 4, "head"), 0);
    EXPECT_EQ(decodeQuotedPrintable(got.substr(4)), in);
    EXPECT_EQ(got.substr(4), qp(in));
}

TEST(ContentCodingQuotedPrintable, LineLengthSetting) {
    ContentCoding coding;
    EXPECT_EQ(coding.getLineLength(), 76);
    static const int cases[][2] = {{11, 11}, {10, 10}, {9, 10}, {0, 10}, {-7, 10}, {1000, 1000}};
    for (const auto &c : cases) {
        coding.setLineLength(c[0]);
        EXPECT_EQ(coding.getLineLength(), c[1]) << "set " << c[0];
    }
}

// ---- dispatch by name ----

enum class EncodingKind {
    Base64,
    QuotedPrintable,
    Hex,
    Unchanged,
    Rfc3986,
    Rfc1738,
    Rfc2396,
    None
};

struct NameCase {
    const char *name;
    EncodingKind kind;
    int lineLength; // for the quoted-printable names
};

static std::ostream &operator<<(std::ostream &os, const NameCase &c) {
    return os << "\"" << (c.name ? c.name : "(null)") << "\"";
}

// Exercises every encoder differently: blanks, "From ", a tilde, 8-bit bytes, long lines.
static std::string dispatchInput() {
    return "From a b~" + std::string(40, 'x') + "\xE9\r\n" + std::string(100, 'y') + " ";
}

static std::string expectedFor(const NameCase &c, const std::string &in) {
    StringBuffer out;
    uint32_t n = static_cast<uint32_t>(in.size());
    ContentCoding coding;
    switch (c.kind) {
    case EncodingKind::Base64:
        encodeBase64(in.data(), n, out);
        break;
    case EncodingKind::QuotedPrintable:
        coding.setLineLength(c.lineLength);
        coding.encodeQuotedPrintable(in.data(), n, out);
        break;
    case EncodingKind::Hex:
        encodeHex(in.data(), n, out);
        break;
    case EncodingKind::Unchanged:
        return in;
    case EncodingKind::Rfc3986:
        encodeUrlRfc3986(in.data(), n, out);
        break;
    case EncodingKind::Rfc1738:
        encodeUrlRfc1738(in.data(), n, out);
        break;
    case EncodingKind::Rfc2396:
        encodeUrlRfc2396(in.data(), n, out);
        break;
    case EncodingKind::None:
        break;
    }
    return text(out);
}

class ContentCodingDispatch : public testing::TestWithParam<NameCase> {};

TEST_P(ContentCodingDispatch, SelectsEncodingByName) {
    const NameCase &c = GetParam();
    std::string in = dispatchInput();
    ContentCoding coding;
    coding.setLineLength(33);
    StringBuffer out("pre:");
    EXPECT_TRUE(coding.encodeBytes(c.name, in.data(), static_cast<uint32_t>(in.size()), out));
    std::string want = c.kind == EncodingKind::None ? "" : "pre:" + expectedFor(c, in);
    EXPECT_EQ(text(out), want);
    if (c.kind == EncodingKind::QuotedPrintable)
        EXPECT_EQ(coding.getLineLength(), c.lineLength);
    else
        EXPECT_EQ(coding.getLineLength(), 33) << "only quoted-printable names set it";
}

TEST_P(ContentCodingDispatch, DataBufferContent) {
    const NameCase &c = GetParam();
    std::string in = dispatchInput();
    DataBuffer data;
    ASSERT_TRUE(data.append(in.data(), static_cast<uint32_t>(in.size())));
    ContentCoding coding;
    StringBuffer out;
    EXPECT_TRUE(coding.encodeBytes(c.name, data, out));
    EXPECT_EQ(text(out), expectedFor(c, in));
}

INSTANTIATE_TEST_SUITE_P(
    Names, ContentCodingDispatch,
    testing::Values(
        NameCase{"base64", EncodingKind::Base64, 0}, NameCase{"BASE64", EncodingKind::Base64, 0},
        NameCase{" base64 \r\n", EncodingKind::Base64, 0},
        NameCase{"\tBase-64", EncodingKind::Base64, 0},
        NameCase{"qp", EncodingKind::QuotedPrintable, 76},
        NameCase{"QP", EncodingKind::QuotedPrintable, 76},
        NameCase{"quoted-printable", EncodingKind::QuotedPrintable, 76},
        NameCase{" Quoted-Printable\n", EncodingKind::QuotedPrintable, 76},
        NameCase{"qp-60", EncodingKind::QuotedPrintable, 60},
        NameCase{"QP-60", EncodingKind::QuotedPrintable, 76},
        NameCase{"Qp-60", EncodingKind::QuotedPrintable, 76},
        NameCase{"qp-5", EncodingKind::QuotedPrintable, 10},
        NameCase{"qp-0", EncodingKind::QuotedPrintable, 76},
        NameCase{"qp-", EncodingKind::QuotedPrintable, 76},
        NameCase{"qp-abc", EncodingKind::QuotedPrintable, 76},
        NameCase{"qp-  40", EncodingKind::QuotedPrintable, 40},
        NameCase{"qp-+30", EncodingKind::QuotedPrintable, 30},
        NameCase{"qp--30", EncodingKind::QuotedPrintable, 10},
        NameCase{"qp-12abc", EncodingKind::QuotedPrintable, 12},
        NameCase{" qp-30\t", EncodingKind::QuotedPrintable, 30},
        NameCase{"hex", EncodingKind::Hex, 0}, NameCase{"HEX", EncodingKind::Hex, 0},
        NameCase{"hexidecimal", EncodingKind::Hex, 0},
        NameCase{"HexiDecimal ", EncodingKind::Hex, 0},
        NameCase{"hexadecimal", EncodingKind::None, 0}, NameCase{"base16", EncodingKind::None, 0},
        NameCase{"asc", EncodingKind::Unchanged, 0}, NameCase{"ANSI", EncodingKind::Unchanged, 0},
        NameCase{"url", EncodingKind::Rfc3986, 0},
        NameCase{"url_rfc3986", EncodingKind::Rfc3986, 0},
        NameCase{"URL_OAuth", EncodingKind::Rfc3986, 0},
        NameCase{"url_rfc1738", EncodingKind::Rfc1738, 0},
        NameCase{"Url_Rfc2396", EncodingKind::Rfc2396, 0},
        NameCase{"url-rfc3986", EncodingKind::None, 0}, NameCase{"base32", EncodingKind::None, 0},
        NameCase{"b64", EncodingKind::None, 0}, NameCase{"quoted_printable", EncodingKind::None, 0},
        NameCase{"q p", EncodingKind::None, 0}, NameCase{"", EncodingKind::None, 0},
        NameCase{" \t\r\n", EncodingKind::None, 0}, NameCase{nullptr, EncodingKind::None, 0}));

TEST(ContentCodingDispatchEmpty, KnownNameWithoutDataAppendsNothing) {
    ContentCoding coding;
    StringBuffer out("keep");
    DataBuffer empty;
    EXPECT_TRUE(coding.encodeBytes("base64", empty, out));
    EXPECT_TRUE(coding.encodeBytes("hex", nullptr, 4, out));
    EXPECT_TRUE(coding.encodeBytes("asc", "abc", 0, out));
    EXPECT_EQ(text(out), "keep");
    EXPECT_TRUE(coding.encodeBytes("nonsense", empty, out));
    EXPECT_EQ(text(out), "");
}

TEST(ContentCodingDispatchEmpty, UnchangedBytesKeepEightBitValues) {
    ContentCoding coding;
    StringBuffer out;
    std::string in("a\x80\0\xFFz", 5);
    EXPECT_TRUE(coding.encodeBytes("asc", in.data(), 5, out));
    EXPECT_EQ(text(out), in);
}
