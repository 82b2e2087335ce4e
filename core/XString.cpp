#include "core/XString.h"

#include "charset/EncodingConvert.h"
#include "charset/TxCharset.h"
#include "log/LogBase.h"
#include "platform/Win32.h"

#include <climits>
#include <cstdlib>
#include <cstring>

// The ANSI status after takeUtf8Sb, an append and an edit that changed the text is
// "unknown" (0), never the old value: a string known to fit the ANSI code page would
// otherwise still answer canBeAnsi with true after CJK text was appended, and the file
// layer would open the path through its lossy ANSI form. It also means that a string
// whose only current form is ANSI never carries status 2, so the lossy-form rule of
// the ANSI comparisons cannot leave it without a current form. The price is one
// conversion at the next canBeAnsi.

namespace {

const int utf16CodePage = 1200;
const int utf8CodePage = 65001;
const uint16_t emptyUnits[1] = {0};

int ansiCodePage() {
    return static_cast<int>(GetACP());
}

// Every internal conversion: diagnostics of these are of no use to anybody.
bool convertBytes(int fromCodePage, int toCodePage, const void *data, uint32_t n, DataBuffer &out) {
    EncodingConvert converter;
    LogNull log;
    return converter.convert(fromCodePage, toCodePage, static_cast<const unsigned char *>(data), n,
                             out, log);
}

// A best-fit conversion reports success although it changed letters (Omega becomes
// "O" in code page 1252), and a path in that form names another file. Only a form
// that converts back to the original counts as fitting.
bool convertsBackExactly(const DataBuffer &ansi, int codePage, const void *original, uint32_t n) {
    DataBuffer back;
    if (!convertBytes(ansiCodePage(), codePage, ansi.getData(), ansi.getSize(), back)) return false;
    return back.getSize() == n && (n == 0 || memcmp(back.getData(), original, n) == 0);
}

bool startsWithUtf8Bom(const char *text, size_t n) {
    return n >= 3 && static_cast<unsigned char>(text[0]) == 0xEF &&
           static_cast<unsigned char>(text[1]) == 0xBB &&
           static_cast<unsigned char>(text[2]) == 0xBF;
}

// Stops at the terminator: no byte of the mark is 0.
const char *skipUtf8Bom(const char *text) {
    if (text != nullptr && static_cast<unsigned char>(text[0]) == 0xEF &&
        static_cast<unsigned char>(text[1]) == 0xBB &&
        static_cast<unsigned char>(text[2]) == 0xBF) {
        return text + 3;
    }
    return text;
}

bool pointsInto(const void *p, const void *block, size_t size) {
    uintptr_t address = reinterpret_cast<uintptr_t>(p);
    uintptr_t start = reinterpret_cast<uintptr_t>(block);
    return block != nullptr && address >= start && address - start < size;
}

uint32_t unitCount(const uint16_t *text) {
    uint32_t count = 0;
    while (text[count] != 0)
        ++count;
    return count;
}

// The UTF-16 units of ANSI bytes; false unless there is exactly one unit per byte.
bool ansiBytesToUnits(const char *bytes, uint32_t n, uint16_t *units) {
    DataBuffer converted;
    convertBytes(ansiCodePage(), utf16CodePage, bytes, n, converted);
    if (converted.getSize() != 2 * n) return false;
    memcpy(units, converted.getData(), 2 * n);
    return true;
}

} // namespace

XString::XString()
    : m_ansiStatus(AnsiUnknown), m_utf16Current(true), m_ansiCurrent(true), m_utf8Current(true) {
    resetUtf16ToTerminator();
    m_ansi.minimizeMemory();
    m_utf8.minimizeMemory();
}

XString::~XString() {}

// ---------------------------------------------------------------------------------
// State helpers

// The named forms become the only current ones; the others are emptied.
void XString::makeOnlyCurrent(bool utf16, bool ansi, bool utf8) {
    m_utf16Current = utf16;
    m_ansiCurrent = ansi;
    m_utf8Current = utf8;
    if (!utf16) m_utf16.clear();
    if (!ansi) m_ansi.clear();
    if (!utf8) m_utf8.clear();
}

// An exact 2-byte block when there is none: every empty string holds one, and the
// growth steps of an append would give it 20000 bytes.
void XString::resetUtf16ToTerminator() {
    m_utf16.clear();
    if (m_utf16.ensureCapacity(2)) m_utf16.append(emptyUnits, 2);
}

uint32_t XString::utf16UnitCount() const {
    uint32_t size = m_utf16.getSize();
    return size >= 2 ? size / 2 - 1 : 0;
}

// A lossy ANSI form is not kept for reuse, unless it is all that is left of the text.
void XString::forgetLossyAnsi() {
    if (m_ansiStatus != AnsiDoesNotFit || !(m_utf8Current || m_utf16Current)) return;
    m_ansi.clear();
    m_ansiCurrent = false;
}

void XString::ansiToUtf16() {
    int n = m_ansi.getSize();
    m_utf16.clear();
    // At most one unit per byte, and the terminator.
    uint64_t reserve = 2 * static_cast<uint64_t>(n) + 2;
    if (reserve <= 0xFFFFFFFFu) m_utf16.ensureCapacity(static_cast<uint32_t>(reserve));
    convertBytes(ansiCodePage(), utf16CodePage, m_ansi.getString(), static_cast<uint32_t>(n),
                 m_utf16);
    if (!m_utf16.append(emptyUnits, 2)) resetUtf16ToTerminator();
    m_utf16Current = true;
}

void XString::utf8ToUtf16() {
    int n = m_utf8.getSize();
    m_utf16.clear();
    uint64_t reserve = 2 * static_cast<uint64_t>(n) + 2;
    if (reserve <= 0xFFFFFFFFu) m_utf16.ensureCapacity(static_cast<uint32_t>(reserve));
    convertBytes(utf8CodePage, utf16CodePage, m_utf8.getString(), static_cast<uint32_t>(n),
                 m_utf16);
    if (!m_utf16.append(emptyUnits, 2)) resetUtf16ToTerminator();
    m_utf16Current = true;
}

// ---------------------------------------------------------------------------------
// Setters

void XString::setFromAnsi(const char *text) {
    if (text == nullptr || *text == 0) {
        clear();
        return;
    }
    // The target first: text may be one of this string's own forms.
    m_ansi.setString(text);
    makeOnlyCurrent(false, true, false);
    m_ansiStatus = AnsiFits;
}

void XString::setFromUtf8(const char *text) {
    text = skipUtf8Bom(text);
    if (text == nullptr || *text == 0) {
        clear();
        return;
    }
    m_utf8.setString(text);
    makeOnlyCurrent(false, false, true);
    m_ansiStatus = AnsiUnknown;
}

void XString::setFromUtf8N(const char *bytes, int n) {
    if (bytes == nullptr || n < 1 || *bytes == 0) {
        clear();
        return;
    }
    if (startsWithUtf8Bom(bytes, static_cast<size_t>(n))) {
        bytes += 3;
        n -= 3;
    }
    if (pointsInto(bytes, m_utf8.getString(), static_cast<size_t>(m_utf8.getCapacity()))) {
        StringBuffer copy;
        copy.appendN(bytes, n);
        m_utf8.takeFrom(copy);
    } else {
        m_utf8.clear();
        m_utf8.appendN(bytes, n);
    }
    if (m_utf8.getSize() == 0) {
        clear();
        return;
    }
    makeOnlyCurrent(false, false, true);
    m_ansiStatus = AnsiUnknown;
}

void XString::setFromUtf16(const uint16_t *text) {
    setUtf16Units(text, text == nullptr ? 0 : unitCount(text));
}

void XString::setUtf16Units(const uint16_t *units, uint32_t count) {
    if (units == nullptr || count == 0 || count > 0x7FFFFFFEu) {
        clear();
        return;
    }
    uint32_t bytes = 2 * count;
    bool inside = pointsInto(units, m_utf16.getData(), m_utf16.getCapacity());
    if (!inside && m_utf16.getCapacity() >= bytes + 2) {
        m_utf16.clear();
        m_utf16.append(units, bytes);
        m_utf16.append(emptyUnits, 2);
    } else {
        // An exact block: a setter knows the final size.
        unsigned char *block = static_cast<unsigned char *>(malloc(bytes + 2));
        if (block == nullptr) {
            clear();
            return;
        }
        memcpy(block, units, bytes);
        block[bytes] = 0;
        block[bytes + 1] = 0;
        m_utf16.takeBlock(block, bytes + 2);
    }
    makeOnlyCurrent(true, false, false);
    m_ansiStatus = AnsiUnknown;
}

void XString::takeUtf8Sb(StringBuffer &buffer) {
    m_utf8.takeFrom(buffer);
    if (m_utf8.getSize() == 0) {
        clear();
        return;
    }
    makeOnlyCurrent(false, false, true);
    m_ansiStatus = AnsiUnknown;
}

void XString::copyFrom(const XString &other) {
    if (&other == this) return;
    // Stale forms are never read, so only the current ones are worth copying.
    if (other.m_utf8Current) m_utf8.setFromSb(other.m_utf8);
    if (other.m_ansiCurrent) m_ansi.setFromSb(other.m_ansi);
    if (other.m_utf16Current) {
        m_utf16.clear();
        uint32_t size = other.m_utf16.getSize();
        if (m_utf16.ensureCapacity(size)) m_utf16.append(other.m_utf16.getData(), size);
    }
    makeOnlyCurrent(other.m_utf16Current, other.m_ansiCurrent, other.m_utf8Current);
    m_ansiStatus = other.m_ansiStatus;
}

void XString::clear() {
    m_ansi.clear();
    m_ansi.minimizeMemory();
    m_utf8.clear();
    m_utf8.minimizeMemory();
    resetUtf16ToTerminator();
    m_utf16Current = true;
    m_ansiCurrent = true;
    m_utf8Current = true;
    m_ansiStatus = AnsiUnknown;
}

// ---------------------------------------------------------------------------------
// Appends

void XString::appendAnsi(const char *text) {
    if (text == nullptr) return;
    // Text too long for the form appends nothing, but the form still becomes current.
    size_t n = strlen(text);
    appendAnsiN(text, n > static_cast<size_t>(INT_MAX - 1) ? 0 : static_cast<int>(n));
}

void XString::appendAnsiN(const char *text, int n) {
    getAnsi();
    m_ansi.appendN(text, n);
    makeOnlyCurrent(false, true, false);
    m_ansiStatus = AnsiUnknown;
}

void XString::appendUtf8(const char *text) {
    if (text == nullptr) return;
    text = skipUtf8Bom(text);
    getUtf8();
    m_utf8.append(text);
    makeOnlyCurrent(false, false, true);
    m_ansiStatus = AnsiUnknown;
}

void XString::appendUtf8N(const char *bytes, int n) {
    if (bytes == nullptr || n < 1) return;
    if (startsWithUtf8Bom(bytes, static_cast<size_t>(n))) {
        bytes += 3;
        n -= 3;
    }
    getUtf8();
    m_utf8.appendN(bytes, n);
    makeOnlyCurrent(false, false, true);
    m_ansiStatus = AnsiUnknown;
}

void XString::appendUtf16(const uint16_t *text) {
    if (text == nullptr) return;
    appendUtf16Units(text, unitCount(text));
}

void XString::appendUtf16Units(const uint16_t *units, uint32_t count) {
    getUtf16();
    uint64_t bytes = 2 * static_cast<uint64_t>(count);
    if (count > 0 && bytes + m_utf16.getSize() <= 0xFFFFFFF0u) {
        uint16_t *copy = nullptr;
        if (pointsInto(units, m_utf16.getData(), m_utf16.getCapacity())) {
            // The block may move while it grows.
            copy = static_cast<uint16_t *>(malloc(static_cast<size_t>(bytes)));
            if (copy == nullptr) return;
            memcpy(copy, units, static_cast<size_t>(bytes));
            units = copy;
        }
        m_utf16.shorten(2);
        bool appended =
            m_utf16.append(units, static_cast<uint32_t>(bytes)) && m_utf16.append(emptyUnits, 2);
        free(copy);
        // A failed growth leaves the buffer without a block: the text is gone.
        if (!appended) resetUtf16ToTerminator();
    }
    makeOnlyCurrent(true, false, false);
    m_ansiStatus = AnsiUnknown;
}

void XString::appendX(const XString &other) {
    // Straight from the other's form: a byte order mark inside the text stays.
    if (other.m_utf8Current) {
        getUtf8();
        m_utf8.appendSb(other.m_utf8);
        makeOnlyCurrent(false, false, true);
    } else if (!other.m_utf16Current) {
        getAnsi();
        m_ansi.appendSb(other.m_ansi);
        makeOnlyCurrent(false, true, false);
    } else {
        // By count: text from an automation string may hold 0 units.
        const unsigned char *data = other.m_utf16.getData();
        appendUtf16Units(data == nullptr ? emptyUnits : reinterpret_cast<const uint16_t *>(data),
                         other.utf16UnitCount());
    }
    m_ansiStatus = AnsiUnknown;
}

bool XString::appendInCharset(const char *text, const char *charsetName) {
    size_t n = text == nullptr ? 0 : strlen(text);
    if (n > 0xFFFFFFFFu) return false;
    return appendInCharsetN(text, static_cast<uint32_t>(n), charsetName);
}

bool XString::appendInCharsetN(const char *text, uint32_t n, const char *charsetName) {
    StringBuffer name(charsetName == nullptr ? "" : charsetName);
    name.trim2();
    bool utf8 = name.getSize() == 0 || name.equalsIgnoreCase("utf-8");
    if (utf8 || name.equalsIgnoreCase("ansi")) {
        if (text == nullptr) return true;
        // As the plain appends: text too long for a form appends nothing.
        int length = n > static_cast<uint32_t>(INT_MAX - 1) ? 0 : static_cast<int>(n);
        if (!utf8)
            appendAnsiN(text, length);
        else if (length == 0)
            appendUtf8("");
        else
            appendUtf8N(text, length);
        return true;
    }
    if (text == nullptr) return true;
    DataBuffer converted;
    EncodingConvert converter;
    LogNull log;
    bool converts = converter.convertFromCharsetName(name.getString(), utf8CodePage,
                                                     reinterpret_cast<const unsigned char *>(text),
                                                     n, converted, log);
    if (!converted.appendByte(0)) return false;
    appendUtf8Block(converted);
    return converts;
}

void XString::appendUtf8Block(DataBuffer &utf8) {
    const char *bytes = reinterpret_cast<const char *>(utf8.getData());
    const void *zero = memchr(bytes, 0, utf8.getSize());
    uint32_t n = static_cast<uint32_t>(static_cast<const char *>(zero) - bytes);
    if (n == 0 || n > static_cast<uint32_t>(INT_MAX - 1)) {
        appendUtf8("");
        return;
    }
    if (isEmpty() && !startsWithUtf8Bom(bytes, n)) {
        utf8.setSize(n + 1);
        m_utf8.takeDataBuffer(utf8);
        if (m_utf8.getSize() == static_cast<int>(n)) {
            makeOnlyCurrent(false, false, true);
            m_ansiStatus = AnsiUnknown;
            return;
        }
        // The block stayed with utf8: appended below like any other text.
    }
    appendUtf8N(bytes, static_cast<int>(n));
}

// ---------------------------------------------------------------------------------
// Getters

const uint16_t *XString::getUtf16() {
    if (!m_utf16Current) {
        if (m_utf8Current)
            utf8ToUtf16();
        else if (m_ansiCurrent)
            ansiToUtf16();
        else
            clear();
    }
    const unsigned char *data = m_utf16.getData();
    if (data == nullptr || m_utf16.getSize() < 2) return emptyUnits;
    return reinterpret_cast<const uint16_t *>(data);
}

const uint16_t *XString::getUtf16Units(uint32_t &count) {
    const uint16_t *units = getUtf16();
    count = utf16UnitCount();
    return units;
}

const char *XString::getUtf8() {
    return getUtf8Sb().getString();
}

const StringBuffer &XString::getUtf8Sb() {
    if (m_utf8Current) return m_utf8;
    // A lossy ANSI form is the source only when nothing better holds the text;
    // after getAnsi on text outside the code page the UTF-16 form is still whole.
    bool ansiIsLossy = m_ansiStatus == AnsiDoesNotFit && m_utf16Current;
    if (m_ansiCurrent && !ansiIsLossy) {
        int n = m_ansi.getSize();
        DataBuffer converted;
        uint64_t reserve = static_cast<uint64_t>(n) + n / 16 + 4;
        if (reserve <= 0xFFFFFFFFu) converted.ensureCapacity(static_cast<uint32_t>(reserve));
        convertBytes(ansiCodePage(), utf8CodePage, m_ansi.getString(), static_cast<uint32_t>(n),
                     converted);
        // The converted block becomes the UTF-8 form as it is.
        if (converted.appendByte(0))
            m_utf8.takeDataBuffer(converted);
        else
            m_utf8.clear();
    } else if (m_utf16Current) {
        m_utf8.clear();
        uint32_t units = utf16UnitCount();
        if (units > 0) {
            DataBuffer converted;
            convertBytes(utf16CodePage, utf8CodePage, m_utf16.getData(), 2 * units, converted);
            m_utf8.appendN(converted.getData(), static_cast<int>(converted.getSize()));
            m_utf8.minimizeMemory();
        }
    } else {
        clear();
    }
    m_utf8Current = true;
    return m_utf8;
}

const char *XString::getAnsi() {
    if (m_ansiCurrent) return m_ansi.getString();
    DataBuffer converted;
    bool converts = true;
    if (m_utf8Current) {
        converts = toAnsiExactly(utf8CodePage, m_utf8.getString(),
                                 static_cast<uint32_t>(m_utf8.getSize()), converted);
    } else if (m_utf16Current) {
        converts = toAnsiExactly(utf16CodePage, m_utf16.getData(), 2 * utf16UnitCount(), converted);
    }
    m_ansi.clear();
    m_ansi.appendN(converted.getData(), static_cast<int>(converted.getSize()));
    m_ansiCurrent = true;
    m_ansiStatus = converts ? AnsiFits : AnsiDoesNotFit;
    return m_ansi.getString();
}

bool XString::toAnsiExactly(int codePage, const void *text, uint32_t n, DataBuffer &out) {
    if (n == 0) return true;
    return convertBytes(codePage, ansiCodePage(), text, n, out) &&
           convertsBackExactly(out, codePage, text, n);
}

bool XString::getConverted(const _txCharset &charset, DataBuffer &out) {
    int codePage = charset.getCodePage();
    if (m_utf16Current) {
        uint32_t units = utf16UnitCount();
        if (units == 0) return true;
        return convertBytes(utf16CodePage, codePage, m_utf16.getData(), 2 * units, out);
    }
    const StringBuffer &utf8 = getUtf8Sb();
    return convertBytes(utf8CodePage, codePage, utf8.getString(),
                        static_cast<uint32_t>(utf8.getSize()), out);
}

bool XString::getConvertedWithBom(const _txCharset &charset, DataBuffer &out) {
    out.clear();
    int codePage = charset.getCodePage();
    EncodingConvert converter;
    LogNull log;
    // An empty text still gets its mark, whichever form is current.
    if (m_utf16Current) {
        return converter.convertWithPreamble(utf16CodePage, codePage, m_utf16.getData(),
                                             2 * utf16UnitCount(), out, log);
    }
    const StringBuffer &utf8 = getUtf8Sb();
    return converter.convertWithPreamble(utf8CodePage, codePage,
                                         reinterpret_cast<const unsigned char *>(utf8.getString()),
                                         static_cast<unsigned int>(utf8.getSize()), out, log);
}

const StringBuffer *XString::utf8ForConversion() const {
    return m_utf8Current && !m_utf16Current ? &m_utf8 : nullptr;
}

int XString::getNumChars() {
    if (m_ansiCurrent) return m_ansi.getSize();
    getUtf16();
    return static_cast<int>(utf16UnitCount());
}

bool XString::isEmpty() const {
    if (m_utf8Current) return m_utf8.getSize() == 0;
    if (m_ansiCurrent) return m_ansi.getSize() == 0;
    return m_utf16.getSize() <= 2;
}

bool XString::canBeAnsi() {
    if (m_ansiStatus == AnsiFits) return true;
    if (m_ansiStatus == AnsiDoesNotFit) return false;
    DataBuffer converted;
    bool converts;
    if (m_utf16Current) {
        converts = toAnsiExactly(utf16CodePage, m_utf16.getData(), 2 * utf16UnitCount(), converted);
    } else if (m_utf8Current) {
        converts = toAnsiExactly(utf8CodePage, m_utf8.getString(),
                                 static_cast<uint32_t>(m_utf8.getSize()), converted);
    } else {
        return true;
    }
    m_ansi.clear();
    if (converts) {
        m_ansi.appendN(converted.getData(), static_cast<int>(converted.getSize()));
        m_ansiCurrent = true;
        m_ansiStatus = AnsiFits;
    } else {
        m_ansiCurrent = false;
        m_ansiStatus = AnsiDoesNotFit;
    }
    return converts;
}

// ---------------------------------------------------------------------------------
// Comparisons and searches

bool XString::equalsUtf8(const char *text) {
    return getUtf8Sb().equals(skipUtf8Bom(text));
}

bool XString::equalsAnsi(const char *text) {
    getAnsi();
    bool equal = m_ansi.equals(text);
    forgetLossyAnsi();
    return equal;
}

bool XString::beginsWithUtf8(const char *text) {
    if (text == nullptr) return false;
    return getUtf8Sb().beginsWith(skipUtf8Bom(text));
}

bool XString::endsWithUtf8(const char *text) {
    if (text == nullptr) return true;
    return getUtf8Sb().endsWith(text);
}

bool XString::containsUtf8(const char *text) {
    if (text == nullptr) return false;
    return getUtf8Sb().contains(skipUtf8Bom(text));
}

bool XString::containsNoCase(const char *utf8Text) {
    if (utf8Text == nullptr) return false;
    XString find;
    find.setFromUtf8(utf8Text);
    const char *ansiFind = find.getAnsi();
    getAnsi();
    bool found = m_ansi.containsNoCase(ansiFind);
    forgetLossyAnsi();
    return found;
}

int XString::indexOfUtf8(const char *text) {
    if (text == nullptr) return -1;
    text = skipUtf8Bom(text);
    const char *start = getUtf8();
    const char *match = strstr(start, text);
    if (match == nullptr) return -1;
    if (match == start) return 0;
    // Counted in UTF-16 units, as every character position of the component is.
    XString before;
    before.setFromUtf8N(start, static_cast<int>(match - start));
    return before.getNumChars();
}

char XString::lastCharAnsi() {
    getAnsi();
    char last = m_ansi.lastChar();
    forgetLossyAnsi();
    return last;
}

// ---------------------------------------------------------------------------------
// Edits

void XString::trim2() {
    getUtf8();
    int before = m_utf8.getSize();
    m_utf8.trim2();
    if (m_utf8.getSize() == before) return;
    makeOnlyCurrent(false, false, true);
    m_ansiStatus = AnsiUnknown;
}

int XString::replaceAllOccurrencesUtf8(const char *find, const char *replacement) {
    getUtf8();
    int count = m_utf8.replaceAllOccurrences(find, replacement);
    if (count > 0) {
        makeOnlyCurrent(false, false, true);
        m_ansiStatus = AnsiUnknown;
    }
    return count;
}

bool XString::replaceFirstOccurrenceUtf8(const char *find, const char *replacement) {
    getUtf8();
    bool replaced = m_utf8.replaceFirstOccurrence(find, replacement);
    if (replaced && replacement != nullptr) {
        makeOnlyCurrent(false, false, true);
        m_ansiStatus = AnsiUnknown;
    }
    return replaced;
}

bool XString::replaceLastOccurrenceUtf8(const char *find, const char *replacement) {
    getUtf8();
    bool replaced = m_utf8.replaceLastOccurrence(find, replacement);
    if (replaced && replacement != nullptr) {
        makeOnlyCurrent(false, false, true);
        m_ansiStatus = AnsiUnknown;
    }
    return replaced;
}

void XString::replaceChar(char a, char b) {
    if (a == 0 || b == 0) return;
    // Converted as one text, so that a lead byte of a double-byte code page followed
    // by b gives one unit and changes nothing.
    const char pair[2] = {a, b};
    uint16_t units[2];
    if (!ansiBytesToUnits(pair, 2, units) || units[0] == units[1]) return;
    const uint16_t *text = getUtf16();
    uint32_t count = utf16UnitCount();
    bool found = false;
    for (uint32_t i = 0; i < count && !found; ++i)
        found = text[i] == units[0];
    if (!found) return;
    m_utf16.replaceChar16(units[0], units[1]);
    makeOnlyCurrent(true, false, false);
    m_ansiStatus = AnsiUnknown;
}

void XString::removeChar(char a) {
    uint16_t unit;
    if (!ansiBytesToUnits(&a, 1, &unit) || unit == 0) return;
    getUtf16();
    uint32_t before = m_utf16.getSize();
    m_utf16.removeChar16(unit);
    if (m_utf16.getSize() == before) return;
    makeOnlyCurrent(true, false, false);
    m_ansiStatus = AnsiUnknown;
}

void XString::shortenChars(int n) {
    if (n < 0) return;
    getUtf16();
    uint32_t count = utf16UnitCount();
    if (count <= static_cast<uint32_t>(n)) {
        clear();
        return;
    }
    if (n == 0) return;
    uint32_t kept = count - static_cast<uint32_t>(n);
    unsigned char *data = m_utf16.getData();
    data[2 * kept] = 0;
    data[2 * kept + 1] = 0;
    m_utf16.setSize(2 * kept + 2);
    makeOnlyCurrent(true, false, false);
    m_ansiStatus = AnsiUnknown;
}

void XString::minimizeMemory() {
    if (m_utf8Current) {
        makeOnlyCurrent(false, false, true);
    } else if (m_ansiCurrent) {
        makeOnlyCurrent(false, true, false);
    } else {
        makeOnlyCurrent(true, false, false);
    }
    if (!m_utf16Current) m_utf16.clearAndFree();
    m_utf16.minimizeMemory();
    m_ansi.minimizeMemory();
    m_utf8.minimizeMemory();
}
