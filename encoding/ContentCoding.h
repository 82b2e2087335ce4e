#pragma once

#include <cstdint>

class StringBuffer;
class DataBuffer;

// Turns bytes into text by a named encoding. Every encoder appends to out and
// returns false only when out could not grow; out then keeps its previous content.
// Null data or length 0 append nothing and return true.
class ContentCoding {
public:
    static constexpr int kDefaultLineLength = 76;

    ContentCoding();
    virtual ~ContentCoding();

    // Lengths of 10 and below become 10.
    void setLineLength(int n);
    int getLineLength() const { return m_lineLength; }

    bool encodeQuotedPrintable(const void *data, uint32_t length, StringBuffer &out) const;

    // Dispatch by name (blanks around it and case ignored): base64, qp, qp-<line length>,
    // quoted-printable, hex, asc, the url forms. Any other name (null included) empties
    // out and is not an error. The quoted-printable names set the line length.
    bool encodeBytes(const char *encodingName, const void *data, uint32_t length,
                     StringBuffer &out);
    bool encodeBytes(const char *encodingName, const DataBuffer &data, StringBuffer &out);

private:
    int m_lineLength;
};

// One unbroken line, padded with "=".
bool encodeBase64(const void *data, uint32_t length, StringBuffer &out);
// Two upper-case digits per byte, nothing between them.
bool encodeHex(const void *data, uint32_t length, StringBuffer &out);

// Letters and digits are kept, and the extra characters of each set; every other byte
// becomes %XX. A space is always %20.
// Extras: - . _ ~
bool encodeUrlRfc3986(const void *data, uint32_t length, StringBuffer &out);
// Extras: $ - _ . + ! * ' ( ) ,
bool encodeUrlRfc1738(const void *data, uint32_t length, StringBuffer &out);
// Extras: - _ . ! ~ * ' ( )
bool encodeUrlRfc2396(const void *data, uint32_t length, StringBuffer &out);

// For the module's own well-formed data: blanks and characters outside "+".."z" are
// skipped, "=" or NUL ends the text. Returns a block from malloc (the caller frees it
// with free()) holding outLength bytes and a 0 byte after them; null for null text or
// when the block cannot be allocated.
unsigned char *decodeBase64(const char *text, uint32_t length, uint32_t &outLength);
