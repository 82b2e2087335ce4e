#pragma once

// Realistic text for the conversion benchmarks: sentences of words with punctuation,
// spaces and line breaks, in the letters and their frequencies of a few languages, made
// only of characters the target code page maps. Each text is built as UTF-16 and then
// given in the byte form a benchmark needs.

#include "charset/CodePageTables.h"
#include "charset/EncodingConvert.h"
#include "core/DataBuffer.h"
#include "log/LogBase.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace corpus {

constexpr size_t kTextBytes = 16u << 20;

// Characters with weights; drawn by cumulative weight.
class Alphabet {
public:
    void add(char16_t c, unsigned weight) {
        m_total += weight;
        m_chars.push_back(c);
        m_cumulative.push_back(m_total);
    }
    void addAll(const std::u16string &chars, unsigned weight) {
        for (char16_t c : chars)
            add(c, weight);
    }
    char16_t draw(std::mt19937 &random) const {
        unsigned x = std::uniform_int_distribution<unsigned>(0, m_total - 1)(random);
        size_t low = 0, high = m_cumulative.size() - 1;
        while (low < high) {
            size_t middle = (low + high) / 2;
            if (m_cumulative[middle] > x)
                high = middle;
            else
                low = middle + 1;
        }
        return m_chars[low];
    }
    bool empty() const { return m_chars.empty(); }

private:
    std::vector<char16_t> m_chars;
    std::vector<unsigned> m_cumulative;
    unsigned m_total = 0;
};

// Western European prose: English letter frequencies with French and German accents
// and the windows-1252 punctuation now and then.
inline std::u16string latinText(size_t units, unsigned seed) {
    Alphabet letters;
    const char *english = "etaoinshrdlcumwfgypbvkjxqz";
    const unsigned weights[] = {127, 91, 82, 75, 70, 67, 63, 61, 60, 43, 40, 28, 28,
                                24,  24, 22, 20, 20, 19, 15, 10, 8,  2,  2,  1,  1};
    for (int i = 0; english[i]; ++i)
        letters.add(static_cast<char16_t>(english[i]), weights[i]);
    letters.addAll(u"\u00E9\u00E8\u00E0\u00FC\u00F6\u00E4\u00DF\u00E7\u00EA\u00F1", 2);
    std::mt19937 random(seed);
    std::u16string text;
    while (text.size() < units) {
        int words = 6 + static_cast<int>(random() % 12);
        for (int w = 0; w < words; ++w) {
            int length = 1 + static_cast<int>(random() % 5 + random() % 5);
            for (int k = 0; k < length; ++k) {
                char16_t c = letters.draw(random);
                if (w == 0 && k == 0 && c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
                text += c;
            }
            unsigned mark = random() % 40;
            if (w + 1 == words)
                text += mark < 30 ? u". " : mark < 35 ? u"? " : u"! ";
            else if (mark < 4)
                text += u", ";
            else if (mark == 4)
                text += u" \u2013 "; // en dash
            else if (mark == 5)
                text += u" \u201Cquote\u201D ";
            else if (mark == 6)
                text += {static_cast<char16_t>(u'0' + random() % 10), u' '};
            else
                text += u' ';
        }
        if (random() % 6 == 0) text += u"\r\n";
    }
    text.resize(units);
    return text;
}

// The 2-byte codes of a table page in a block of lead and trail bytes, as Unicode
// characters.
inline std::u16string charactersOfPage(int codePage, int firstLead, int lastLead, int firstTrail,
                                       int lastTrail) {
    std::u16string chars;
    const FlatToUnicode *flat = CodePageTables::flatToUnicode(codePage);
    if (!flat) {
        std::fprintf(stderr, "no table for code page %d\n", codePage);
        std::exit(1);
    }
    for (int lead = firstLead; lead <= lastLead; ++lead) {
        for (int trail = firstTrail; trail <= lastTrail; ++trail) {
            int key = lead << 8 | trail;
            char16_t unit = static_cast<char16_t>(flat->pair[key]);
            if (flat->hasPair[key] && (unit < 0xE000 || unit > 0xF8FF)) // no private use
                chars += unit;
        }
    }
    return chars;
}

// East Asian prose: words of ideographs (the first, most common ones weigh more), the
// page's own syllabary, full-width punctuation and an ASCII number or word now and then.
struct EastAsianStyle {
    std::u16string ideographs;
    std::u16string syllables; // kana or hangul
    unsigned ideographShare;  // per cent of word characters
    const char16_t *comma;
    const char16_t *stop;
    bool spacesBetweenWords;
};

inline std::u16string eastAsianText(size_t units, const EastAsianStyle &style, unsigned seed) {
    Alphabet ideographs, syllables;
    for (size_t i = 0; i < style.ideographs.size(); ++i)
        ideographs.add(style.ideographs[i], i < 500 ? 20 : i < 2000 ? 4 : 1);
    for (size_t i = 0; i < style.syllables.size(); ++i)
        syllables.add(style.syllables[i], i < 400 ? 10 : 1);
    std::mt19937 random(seed);
    std::u16string text;
    while (text.size() < units) {
        int words = 4 + static_cast<int>(random() % 10);
        for (int w = 0; w < words; ++w) {
            int length = 1 + static_cast<int>(random() % 4);
            for (int k = 0; k < length; ++k) {
                bool ideograph = !ideographs.empty() && random() % 100 < style.ideographShare;
                text += ideograph ? ideographs.draw(random) : syllables.draw(random);
            }
            unsigned mark = random() % 30;
            if (w + 1 == words)
                text += style.stop;
            else if (mark < 3)
                text += style.comma;
            else if (mark == 3)
                text += u" 2024 ";
            else if (mark == 4)
                text += u" OK ";
            else if (style.spacesBetweenWords)
                text += u' ';
        }
        if (random() % 5 == 0) text += u"\r\n";
    }
    text.resize(units);
    return text;
}

inline std::u16string japaneseText(size_t units, unsigned seed) {
    EastAsianStyle style;
    style.ideographs = charactersOfPage(932, 0x88, 0x98, 0x40, 0xFC); // JIS level 1 kanji
    for (char16_t c = 0x3041; c <= 0x3093; ++c)
        style.syllables += c;
    for (char16_t c = 0x30A1; c <= 0x30F6; ++c)
        style.syllables += c;
    style.ideographShare = 40;
    style.comma = u"\u3001";
    style.stop = u"\u3002";
    style.spacesBetweenWords = false;
    return eastAsianText(units, style, seed);
}

inline std::u16string chineseText(size_t units, unsigned seed) {
    EastAsianStyle style;
    style.ideographs = charactersOfPage(936, 0xB0, 0xD7, 0xA1, 0xFE); // GB2312 level 1
    style.ideographShare = 100;
    style.comma = u"\uFF0C";
    style.stop = u"\u3002";
    style.spacesBetweenWords = false;
    return eastAsianText(units, style, seed);
}

inline std::u16string koreanText(size_t units, unsigned seed) {
    EastAsianStyle style;
    style.syllables = charactersOfPage(949, 0xB0, 0xC8, 0xA1, 0xFE); // KS X 1001 hangul
    style.ideographShare = 0;
    style.comma = u", ";
    style.stop = u". ";
    style.spacesBetweenWords = true;
    return eastAsianText(units, style, seed);
}

// Paragraphs in turn: Western European, Russian, Japanese, Chinese.
inline std::u16string multilingualText(size_t units, unsigned seed) {
    Alphabet cyrillic;
    cyrillic.addAll(u"\u043E\u0435\u0430\u0438\u043D\u0442\u0441\u0440\u0432", 8);
    cyrillic.addAll(u"\u043B\u043A\u043C\u0434\u043F\u0443\u044F\u044B\u044C\u0433\u0437\u0431"
                    u"\u0447\u0439\u0445\u0436\u0448\u044E\u0446\u0449\u044D\u0444\u044A",
                    2);
    std::mt19937 random(seed);
    std::u16string text;
    unsigned paragraph = 0;
    while (text.size() < units) {
        switch (paragraph++ % 5) {
        case 0:
        case 1:
            text += latinText(600, static_cast<unsigned>(random()));
            break;
        case 2:
            for (int w = 0; w < 80; ++w) {
                for (int k = 1 + static_cast<int>(random() % 7); k > 0; --k)
                    text += cyrillic.draw(random);
                text += w % 12 == 11 ? u". " : u" ";
            }
            break;
        case 3:
            text += japaneseText(300, static_cast<unsigned>(random()));
            break;
        default:
            text += chineseText(250, static_cast<unsigned>(random()));
            break;
        }
        text += u"\n";
    }
    text.resize(units);
    return text;
}

// Byte forms.
inline std::string encode(const std::u16string &text, int codePage) {
    std::string utf16;
    utf16.reserve(text.size() * 2);
    for (char16_t unit : text) {
        utf16 += static_cast<char>(unit & 0xFF);
        utf16 += static_cast<char>(unit >> 8);
    }
    if (codePage == 1200) return utf16;
    EncodingConvert converter;
    LogNull log;
    DataBuffer out;
    if (!converter.convert(1200, codePage, reinterpret_cast<const unsigned char *>(utf16.data()),
                           static_cast<unsigned>(utf16.size()), out, log)) {
        std::fprintf(stderr, "text does not fit code page %d\n", codePage);
        std::exit(1);
    }
    return std::string(reinterpret_cast<const char *>(out.getData()), out.getSize());
}

// About kTextBytes of text in the byte form of codePage.
inline std::string textFor(std::u16string (*make)(size_t, unsigned), int codePage) {
    std::u16string probe = make(1 << 16, 1);
    double bytesPerUnit = static_cast<double>(encode(probe, codePage).size()) / probe.size();
    size_t units = static_cast<size_t>(kTextBytes / bytesPerUnit) + 1;
    return encode(make(units, 12345), codePage);
}

} // namespace corpus
