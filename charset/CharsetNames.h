#pragma once

class StringBuffer;

// Charset names and the code pages they stand for. Every charset argument of the
// component goes through charsetNameToCodePage before any conversion; code page numbers
// are all that passes to the conversion engine. 0 means "no charset".

// One entry of the name table: a normalised name and its code page.
struct CharsetNameEntry {
    const char *name;
    int codePage;
};

// Trims space, TAB, LF and CR from both ends, lower-cases (StringBuffer::toLowerCase)
// and turns '_' into '-': the form in which a name is looked up. A null name gives an
// empty out. False only when out could not hold the name.
bool normalizeCharsetName(const char *name, StringBuffer &out);

// The code page of a charset name, after normalisation; "ansi" in any case gives the
// process's ANSI code page. 0 for null, empty and unknown names.
int charsetNameToCodePage(const char *name);

bool isKnownCharsetName(const char *name);

// Clears out, then writes the canonical name of codePage. False, with out left empty,
// when the code page has no canonical name.
bool codePageToCharsetName(int codePage, StringBuffer &out);

// The whole name table, sorted by name (byte order), for listing the accepted names.
const CharsetNameEntry *getCharsetNameTable(int &count);
