#include "charset/ByteGatherer.h"
#include "charset/DirectOutput.h"
#include "charset/EncodingConvert.h"
#include "core/DataBuffer.h"

namespace {

constexpr char kBase64Alphabet[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr char kDirectPunctuation[] = "'(),-./:?";
constexpr char kDirectBlanks[] = " \t\r\n";

struct Utf7Tables {
    Utf7Tables() : direct(), base64Value() {
        for (int c = 0; c < 128; ++c)
            base64Value[c] = -1;
        for (int i = 0; i < 64; ++i)
            base64Value[static_cast<unsigned char>(kBase64Alphabet[i])] =
                static_cast<signed char>(i);
        for (int c = 'A'; c <= 'Z'; ++c)
            direct[c] = true;
        for (int c = 'a'; c <= 'z'; ++c)
            direct[c] = true;
        for (int c = '0'; c <= '9'; ++c)
            direct[c] = true;
        for (const char *p = kDirectPunctuation; *p; ++p)
            direct[static_cast<unsigned char>(*p)] = true;
        for (const char *p = kDirectBlanks; *p; ++p)
            direct[static_cast<unsigned char>(*p)] = true;
    }

    bool direct[128];
    signed char base64Value[128];
};

const Utf7Tables &utf7Tables() {
    // Built by the first caller; concurrent first callers wait until it is complete.
    static const Utf7Tables tables;
    return tables;
}

class Base64Run {
public:
    explicit Base64Run(ByteGatherer<512> &out) : m_out(out) {}

    bool isOpen() const { return m_open; }

    void add(uint16_t unit) {
        if (!m_open) {
            m_out.put('+');
            m_open = true;
        }
        m_bits = (m_bits << 16 | unit) & 0x3FFFFF;
        m_bitCount += 16;
        while (m_bitCount >= 6) {
            m_bitCount -= 6;
            m_out.put(static_cast<unsigned char>(kBase64Alphabet[(m_bits >> m_bitCount) & 0x3F]));
        }
    }

    // Pads the last bits with zeros and writes the closing hyphen.
    void close() {
        if (!m_open) return;
        if (m_bitCount > 0)
            m_out.put(
                static_cast<unsigned char>(kBase64Alphabet[(m_bits << (6 - m_bitCount)) & 0x3F]));
        m_out.put('-');
        m_bits = 0;
        m_bitCount = 0;
        m_open = false;
    }

private:
    ByteGatherer<512> &m_out;
    uint32_t m_bits = 0;
    int m_bitCount = 0;
    bool m_open = false;
};

} // namespace

bool EncodingConvert::utf16ToUtf7(const unsigned char *data, uint32_t inDataLen, DataBuffer &out) {
    if (!data || inDataLen < 2) return true;
    const Utf7Tables &tables = utf7Tables();
    ByteGatherer<512> output(out);
    Base64Run run(output);
    uint32_t units = inDataLen / 2;
    uint32_t i = 0;
    if (utf::readUnit(data) == 0xFEFF) i = 1;
    for (; i < units; ++i) {
        uint16_t unit = utf::readUnit(data + 2 * i);
        if (unit < 0x80 && tables.direct[unit]) {
            run.close();
            output.put(static_cast<unsigned char>(unit));
        } else if (unit == '+') {
            run.close();
            output.put2('+', '-');
        } else {
            run.add(unit);
        }
    }
    run.close();
    return output.flush();
}

bool EncodingConvert::utf7ToUtf16(const unsigned char *data, uint32_t inDataLen, DataBuffer &out) {
    if (!data || inDataLen == 0) return true;
    const Utf7Tables &tables = utf7Tables();
    ByteGatherer<512> output(out);
    bool valid = true;
    bool shifted = false;
    bool produced = false;
    uint32_t bits = 0;
    int bitCount = 0;
    // The end of a shifted run is checked where a character outside the alphabet or the
    // end of the input closes it.
    auto endRun = [&]() {
        if (!produced || (bits & ((1u << bitCount) - 1)) != 0) valid = false;
        shifted = false;
    };
    uint32_t i = 0;
    while (i < inDataLen) {
        unsigned char c = data[i];
        if (shifted) {
            int value = c < 0x80 ? tables.base64Value[c] : -1;
            if (value >= 0) {
                bits = (bits << 6 | static_cast<uint32_t>(value)) & 0x3FFFFF;
                bitCount += 6;
                if (bitCount >= 16) {
                    bitCount -= 16;
                    uint16_t unit = static_cast<uint16_t>(bits >> bitCount);
                    output.put2(static_cast<unsigned char>(unit),
                                static_cast<unsigned char>(unit >> 8));
                    produced = true;
                }
                ++i;
                continue;
            }
            endRun();
            if (c == '-') {
                ++i;
                continue;
            }
        } else if (c == '+') {
            if (i + 1 < inDataLen && data[i + 1] == '-') {
                output.put2('+', 0);
                i += 2;
            } else {
                shifted = true;
                produced = false;
                bits = 0;
                bitCount = 0;
                ++i;
            }
            continue;
        }
        if (c > 0x7F) valid = false;
        output.put2(c, 0);
        ++i;
    }
    if (shifted) endRun();
    return output.flush() && valid;
}
