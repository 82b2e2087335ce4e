#include "encoding/ContentCoding.h"

#include "core/DataBuffer.h"
#include "core/StringBuffer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <tuple>
#include <vector>

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

// Goes through the name, from an exact-size heap copy so that the sanitizer sees any read
// past the input's end, and appends: the text already in the output must survive.
std::string encoded(const char *name, const std::string &in) {
    std::vector<char> block(in.begin(), in.end());
    StringBuffer out("pre:");
    EXPECT_TRUE(ContentCoding().encodeBytes(name, block.data(), uint32_t(in.size()), out));
    EXPECT_EQ(text(out).substr(0, 4), "pre:") << name;
    return text(out).substr(std::min(4, out.getSize()));
}

// Without extras, hexadecimal; with them, a URL form, which keeps ASCII letters and digits
// whatever the locale, and the extras.
std::string reference(const std::string &in, const char *extras = nullptr) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : in) {
        if (extras && ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                       (c != 0 && std::strchr(extras, c))))
            out += static_cast<char>(c);
        else
            out += std::string(extras ? "%" : "") + digits[c >> 4] + digits[c & 15];
    }
    return out;
}

std::string decoded(const std::string &in, size_t length = std::string::npos) {
    std::vector<char> block(in.begin(), in.end());
    const char *chars = in.empty() ? "" : block.data(); // an empty vector may hold no block
    uint32_t n = 12345;
    unsigned char *out = decodeBase64(chars, uint32_t(std::min(length, in.size())), n);
    if (!out) return "<null>";
    EXPECT_EQ(out[n], 0) << "no terminator after " << n << " bytes";
    std::string s(reinterpret_cast<char *>(out), n);
    free(out);
    return s;
}

// Soft breaks vanish, =XX gives the byte, the rest is literal.
std::string decodeQuotedPrintable(const std::string &in) {
    std::string out;
    for (size_t i = 0; i < in.size(); i += in[i] == '=' ? 3 : 1) {
        if (in[i] != '=')
            out += in[i];
        else if (in.compare(i + 1, 2, "\r\n") != 0)
            out += static_cast<char>(std::stoi(in.substr(i + 1, 2), nullptr, 16));
    }
    return out;
}

} // namespace

// Lengths around the unrolled rounds and the pieces the output is gathered in (6144 input
// bytes for base64, 4096 for hex, about 4096 output characters for the URL forms). Base64
// has no second encoder here: its own decoder and the exact size stand in, while the
// vectors pin the alphabet.
TEST(ContentCoding, EncodersMatchReferenceAtEveryLengthAndPieceBoundary) {
    std::string data = randomBytes(9000, 1);
    for (int b = 0; b < 256; ++b)
        data += static_cast<char>(b);
    // Runs of the widest and the narrowest URL output move its piece ends around.
    data += std::string(3000, '\xFF') + std::string(3000, 'q') + randomBytes(55000, 2);
    std::vector<size_t> lengths = {4095, 4096, 4097, 6143, 6144, 6145, 6146, 12289, data.size()};
    for (size_t n = 0; n <= 70; ++n)
        lengths.push_back(n);
    for (size_t n : lengths) {
        SCOPED_TRACE(n);
        std::string part = data.substr(0, n), base64 = encoded("base64", part);
        EXPECT_EQ(base64.size(), (n + 2) / 3 * 4);
        EXPECT_EQ(decoded(base64), part);
        EXPECT_EQ(encoded("hex", part), reference(part));
        EXPECT_EQ(encoded("url_rfc3986", part), reference(part, "-._~"));
        EXPECT_EQ(encoded("url_rfc1738", part), reference(part, "$-_.+!*'(),"));
        EXPECT_EQ(encoded("url_rfc2396", part), reference(part, "-_.!~*'()"));
    }
}

TEST(ContentCoding, Vectors) {
    auto a = [](size_t n) { return std::string(n, 'a'); };
    // clang-format off
    const std::tuple<const char *, std::string, std::string> cases[] = {
        {"base64", "f", "Zg=="}, {"base64", "fo", "Zm8="}, {"base64", "foo", "Zm9v"},
        {"base64", "foob", "Zm9vYg=="}, {"base64", "fooba", "Zm9vYmE="},
        {"base64", "foobar", "Zm9vYmFy"}, {"base64", {"\0", 1}, "AA=="},
        {"base64", {"\0\0", 2}, "AAA="}, {"base64", "\xFF\xFF\xFF", "////"},
        {"base64", "\xFB\xEF\xBE", "++++"}, {"base64", {"\x00\x10\x83\x10\x51\x87\x20\x92\x8B\x30"
            "\xD3\x8F\x41\x14\x93\x51\x55\x97\x61\x96\x9B\x71\xD7\x9F\x82\x18\xA3\x92\x59\xA7\xA2"
            "\x9A\xAB\xB2\xDB\xAF\xC3\x1C\xB3\xD3\x5D\xB7\xE3\x9E\xBB\xF3\xDF\xBF", 48},
            "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/"},
        {"hex", {"\x0A\xFF\0", 3}, "0AFF00"}, {"asc", {"a\x80\0\xFFz", 5}, {"a\x80\0\xFFz", 5}},
        // Mail transports alter "From " and "." at a line start, so both are escaped there;
        // after a lone LF the column goes on, so no line starts there.
        {"qp", "From here", "=46rom here"}, {"qp", "x\r\nFrom y", "x\r\n=46rom y"},
        {"qp", "From ", "=46rom=20"}, {"qp", "x\r\nFrom", "x\r\nFrom"}, {"qp", "From:", "From:"},
        {"qp", "from x\r\na From x", "from x\r\na From x"}, {"qp", ".\r\n", "=2E\r\n"},
        {"qp", "a.b.", "a.b."}, {"qp", "x\n.y", "x=0A.y"},
        // Blanks are escaped only before CR LF or the end of the input.
        {"qp", "a \r\nb", "a=20\r\nb"}, {"qp", "a\t\r\nb", "a=09\r\nb"}, {"qp", "ab ", "ab=20"},
        {"qp", "a  \r\n", "a =20\r\n"}, {"qp", "a b\tc", "a b\tc"}, {"qp", "a \nb", "a =0Ab"},
        {"qp", "a \rb", "a =0Db"}, {"qp", "\n\r", "=0A=0D"}, {"qp", "a=b", "a=3Db"},
        {"qp", {"\0\x7F\x80\xFF", 4}, "=00=7F=80=FF"}, {"qp", "!<>~", "!<>~"},
        // Soft breaks keep lines within 76 characters unless the line ends there anyway; an
        // escape starting at column 73 or later would pass column 75.
        {"qp", a(100), a(75) + "=\r\n" + a(25)}, {"qp", a(75), a(75) + "=\r\n"},
        {"qp", a(75) + "\r\nb", a(75) + "\r\nb"}, {"qp", a(75) + "\nb", a(75) + "=\r\n=0Ab"},
        {"qp", a(72) + "\xFF", a(72) + "=FF=\r\n"}, {"qp", a(73) + "\xFF", a(73) + "=\r\n=FF"},
        // Lengths below 10 count as 10; a line start after a soft break is a line start too.
        {"qp-20", a(30), a(19) + "=\r\n" + a(11)}, {"qp-5", a(12), a(9) + "=\r\naaa"},
        {"qp-10", a(9) + ".", a(9) + "=\r\n=2E"}, {"qp-1000", a(200), a(200)}};
    // clang-format on
    for (const auto &[name, in, out] : cases)
        EXPECT_EQ(encoded(name, in), out) << name << " \"" << in << "\"";
}

TEST(ContentCoding, TextTooLongForAStringBufferIsRefusedUntouched) {
    // The size check comes before the first byte is read, so a short block stands in for
    // the huge input.
    static const char block[4] = {1, 2, 3, 4};
    StringBuffer out("kept");
    EXPECT_FALSE(encodeBase64(block, 0x80000000u, out));
    EXPECT_FALSE(encodeHex(block, 0x40000000u, out));
    EXPECT_FALSE(ContentCoding().encodeBytes("asc", block, 0xFFFFFFFFu, out));
    EXPECT_EQ(text(out), "kept");
}

TEST(ContentCodingBase64, DecodeSkipsBlanksAndStrayCharactersAndStopsAtEqualsOrNul) {
    // clang-format off
    const std::tuple<std::string, const char *> cases[] = {
        {"Zm9v\r\nYm Fy\t", "foobar"}, {"Zm#9v*Ym{Fy|}\x80\xFF", "foobar"}, {"Zm8=Zm9v", "fo"},
        {"Zg==Zm9v", "f"}, {{"Zm9v\0Zm9v", 9}, "foo"}, {"====", ""},
        {"Zm9vY", "foo"}}; // a lone sixth of a byte makes no byte
    // clang-format on
    for (const auto &[in, out] : cases)
        EXPECT_EQ(decoded(in), out) << "\"" << in << "\"";
    EXPECT_EQ(decoded("Zm9vYmFy", 4), "foo");
    uint32_t n = 7;
    EXPECT_TRUE(decodeBase64(nullptr, 10, n) == nullptr && n == 0);
}

TEST(ContentCodingQuotedPrintable, LinesStayWithinLengthAndDecodeBack) {
    // Mail-like text: lines with CR LF, blanks at line ends, dots and "From " at line starts
    // and 8-bit bytes, the cases where quoted-printable must take care.
    // clang-format off
    static const char *const pieces[] = {"From ", ".", " ", "\t", "\r\n", "=", "\n", "\r", "word",
        "\xE9t\xE9", "From", "a \r\n", "\x7F", "a run of letters that takes a line past its end "};
    // clang-format on
    std::string mail;
    for (unsigned char pick : randomBytes(3000, 5))
        mail += pieces[pick % (sizeof pieces / sizeof pieces[0])];
    for (int lineLength : {10, 11, 20, 76, 77, 300}) {
        std::string name = "qp-" + std::to_string(lineLength);
        for (const std::string &in : {mail, randomBytes(5000, 3)}) {
            std::string out = encoded(name.c_str(), in);
            EXPECT_EQ(decodeQuotedPrintable(out), in) << name;
            // No line may start with "From " or "." or end in a blank.
            std::string framed = "\r\n" + out + "\r\n";
            for (const char *bad : {"\r\nFrom ", "\r\n.", " \r\n", "\t\r\n"})
                EXPECT_EQ(framed.find(bad), std::string::npos) << name << ": " << bad;
            for (size_t start = 0, end; start < out.size(); start = end + 2) {
                end = std::min(out.find("\r\n", start), out.size());
                EXPECT_LE(end - start, static_cast<size_t>(lineLength)) << name << " at " << start;
            }
        }
    }
}

// Each name against the canonical one whose output the tests above fix; null for a name
// that is unknown, which empties the output. Only the quoted-printable names set the line
// length (33 stays otherwise), and no data appends nothing.
TEST(ContentCodingDispatch, SelectsEncodingByName) {
    const std::string in = std::string("From a\0b~", 9) + std::string(140, 'x') + "\xE9\r\n ";
    // clang-format off
    static const std::tuple<const char *, const char *, int> cases[] = {
        {"base64", "base64", 0}, {"BASE64", "base64", 0}, {" base64 \r\n", "base64", 0},
        {"\tBase-64", "base64", 0}, {"qp", "qp", 76}, {"QP", "qp", 76},
        {"quoted-printable", "qp", 76}, {" Quoted-Printable\n", "qp", 76}, {"qp-60", "qp-60", 60},
        {"QP-60", "qp", 76}, {"Qp-60", "qp", 76}, {"qp-5", "qp-10", 10}, {"qp-10", "qp-10", 10},
        {"qp-11", "qp-11", 11}, {"qp-0", "qp", 76}, {"qp-", "qp", 76}, {"qp-abc", "qp", 76},
        {"qp-  40", "qp-40", 40}, {"qp-+30", "qp-30", 30}, {"qp--30", "qp-10", 10},
        {"qp-12abc", "qp-12", 12}, {" qp-30\t", "qp-30", 30}, {"hex", "hex", 0},
        {"HEX", "hex", 0}, {"hexidecimal", "hex", 0}, {"HexiDecimal ", "hex", 0},
        {"hexadecimal", nullptr, 0}, {"base16", nullptr, 0}, {"asc", "asc", 0},
        {"ANSI", "asc", 0}, {"url", "url_rfc3986", 0}, {"URL_OAuth", "url_rfc3986", 0},
        {"url_rfc1738", "url_rfc1738", 0}, {"Url_Rfc2396", "url_rfc2396", 0},
        {"url-rfc3986", nullptr, 0}, {"base32", nullptr, 0}, {"b64", nullptr, 0},
        {"quoted_printable", nullptr, 0}, {"q p", nullptr, 0}, {"", nullptr, 0},
        {" \t\r\n", nullptr, 0}, {nullptr, nullptr, 0}};
    // clang-format on
    EXPECT_EQ(ContentCoding().getLineLength(), 76);
    DataBuffer data;
    ASSERT_TRUE(data.append(in.data(), uint32_t(in.size())));
    for (const auto &[name, canonical, lineLength] : cases) {
        SCOPED_TRACE(name ? name : "(null)");
        std::string once = canonical ? encoded(canonical, in) : "";
        ContentCoding coding;
        coding.setLineLength(33);
        StringBuffer out("pre:"), noData("pre:");
        EXPECT_TRUE(coding.encodeBytes(name, in.data(), uint32_t(in.size()), out));
        EXPECT_TRUE(coding.encodeBytes(name, data, out));
        EXPECT_EQ(text(out), canonical ? "pre:" + once + once : "");
        EXPECT_EQ(coding.getLineLength(), lineLength != 0 ? lineLength : 33);
        EXPECT_TRUE(coding.encodeBytes(name, nullptr, 4, noData));
        EXPECT_EQ(text(noData), canonical ? "pre:" : "");
    }
}
