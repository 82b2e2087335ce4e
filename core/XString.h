#pragma once

#include "core/DataBuffer.h"
#include "core/StringBuffer.h"
#include "core/TarnixObject.h"

#include <cstdint>

class _txCharset;

// The string of every public argument and result: one text held in up to three forms
// (ANSI code page, UTF-8, UTF-16 in host order), converted only when a form is asked
// for that is not current. Edits work on one form and leave the others stale. Even the
// getters change the object, so a shared XString needs its owner's lock.
class XString : public TarnixObject {
public:
    // Whether the text is known to fit the ANSI code page.
    enum AnsiStatus { AnsiUnknown = 0, AnsiFits = 1, AnsiDoesNotFit = 2 };

    XString();
    XString(const XString &) = delete;
    XString &operator=(const XString &) = delete;
    ~XString() override;

    // Setters: the new form becomes the only current one. Null or empty text clears.
    void setFromAnsi(const char *text);
    // A leading UTF-8 byte order mark is not stored.
    void setFromUtf8(const char *text);
    void setFromUtf8N(const char *bytes, int n);
    // Units up to the first 0 unit.
    void setFromUtf16(const uint16_t *text);
    // Takes buffer's block without copying; buffer is left empty.
    void takeUtf8Sb(StringBuffer &buffer);
    void copyFrom(const XString &other);
    void clear();

    // Appends: a null argument does nothing. Each works on its own form (converting it
    // first) and leaves the other two stale.
    void appendAnsi(const char *text);
    void appendUtf8(const char *text);
    void appendUtf8N(const char *bytes, int n);
    void appendUtf16(const uint16_t *text);
    void appendX(const XString &other);
    // Text (up to its first 0 byte) in the named charset. The name is trimmed; empty
    // means "utf-8", "ansi" the ANSI code page. False when the conversion was not
    // complete, the name unknown included (nothing is appended then).
    bool appendInCharset(const char *text, const char *charsetName);
    // The same for text of n bytes, which the caller has ended before its first 0 byte.
    bool appendInCharsetN(const char *text, uint32_t n, const char *charsetName);

    // Getters convert on demand; what they return stays valid until the next change.
    const uint16_t *getUtf16();
    const char *getUtf8();
    const StringBuffer &getUtf8Sb();
    // Records in the ANSI status whether the conversion lost characters.
    const char *getAnsi();
    // Appends the text in the charset's code page to out; false when a character could
    // not be converted.
    bool getConverted(const _txCharset &charset, DataBuffer &out);
    // Empties out, then writes the byte order mark of UTF-8 and UTF-16 targets first.
    bool getConvertedWithBom(const _txCharset &charset, DataBuffer &out);
    // The form getConverted reads when it is UTF-8 (current, with no current UTF-16
    // form), else null: a caller that wants UTF-8 bytes can use it without a copy.
    const StringBuffer *utf8ForConversion() const;
    // Bytes of the ANSI form while that is current, else UTF-16 units.
    int getNumChars();
    bool isEmpty() const;
    // Whether the text converts to the ANSI code page and back unchanged (a best-fit
    // letter does not count); remembered.
    bool canBeAnsi();

    // Comparisons and searches. Arguments of the UTF-8 forms may begin with a byte
    // order mark, which is skipped.
    bool equalsUtf8(const char *text);
    bool equalsAnsi(const char *text);
    bool beginsWithUtf8(const char *text);
    bool endsWithUtf8(const char *text);
    bool containsUtf8(const char *text);
    // ASCII letters only are folded; the argument is UTF-8.
    bool containsNoCase(const char *utf8Text);
    // UTF-16 units before the first match, -1 when absent.
    int indexOfUtf8(const char *text);
    char lastCharAnsi();

    // Edits of the UTF-8 form, with the StringBuffer rules of the same names.
    void trim2();
    int replaceAllOccurrencesUtf8(const char *find, const char *replacement);
    bool replaceFirstOccurrenceUtf8(const char *find, const char *replacement);
    bool replaceLastOccurrenceUtf8(const char *find, const char *replacement);
    // Edits of the UTF-16 form; a and b are characters of the ANSI code page.
    void replaceChar(char a, char b);
    void removeChar(char a);
    // Drops the last n units, or clears when there are not more than n.
    void shortenChars(int n);
    // Keeps one current form, shrunk, and frees the others.
    void minimizeMemory();

    // The state, for tests and diagnostics.
    int getAnsiStatus() const { return m_ansiStatus; }
    bool isUtf16Current() const { return m_utf16Current; }
    bool isAnsiCurrent() const { return m_ansiCurrent; }
    bool isUtf8Current() const { return m_utf8Current; }

protected:
    // Replaces the text by count units (0 units included) as the only current form.
    void setUtf16Units(const uint16_t *units, uint32_t count);
    // Makes the UTF-16 form current; count excludes the terminator.
    const uint16_t *getUtf16Units(uint32_t &count);

private:
    void makeOnlyCurrent(bool utf16, bool ansi, bool utf8);
    void resetUtf16ToTerminator();
    uint32_t utf16UnitCount() const;
    void forgetLossyAnsi();
    void appendUtf16Units(const uint16_t *units, uint32_t count);
    void appendAnsiN(const char *text, int n);
    // appendUtf8 of the text before the first 0 byte of utf8, which must hold one; an
    // empty string takes the block instead of copying it.
    void appendUtf8Block(DataBuffer &utf8);
    void ansiToUtf16();
    // The text's ANSI form into out; true only when it converts back unchanged.
    static bool toAnsiExactly(int codePage, const void *text, uint32_t n, DataBuffer &out);
    void utf8ToUtf16();

    int32_t m_ansiStatus;
    bool m_utf16Current;
    bool m_ansiCurrent;
    bool m_utf8Current;
    DataBuffer m_utf16;
    StringBuffer m_ansi;
    StringBuffer m_utf8;
};
