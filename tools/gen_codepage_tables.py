#!/usr/bin/env python3
"""Generates the embedded code page tables under charset/tables/.

Every mapping comes from a reference installed on the machine and is turned into
the module's own table format here:

  * Wine's code page files (/usr/share/wine/nls/c_*.nls): Windows' own tables,
    best-fit mappings from Unicode included. Preferred wherever Wine has the page.
  * Python's codecs, glibc's iconv (through ctypes) and ICU's uconv for the
    pages Wine lacks, in that order of preference. These have no best-fit
    mappings: their tables from Unicode are the inverse of the tables towards
    Unicode, and where several bytes decode to one character the reference's own
    encoder picks the byte that is written. 20105 comes from glibc's
    ISO_646.IRV:1991, which is ASCII: no reference here has the 1983 IRV. 20290
    comes from ICU, whose IBM 290 has the half-width katakana of IBM's table and of
    Windows; glibc's has full-width forms.

Choices made where the references disagree (Windows wins unless said otherwise):

  * Windows fills the positions a code page leaves empty with placeholders: the
    C1 control of the same number, the ASCII character of the low 7 bits, a
    private-use character, or SUB (U+001A) in the EBCDIC pages. A C1 placeholder
    stays only when the page's published table (the Python codec built from it)
    defines the byte the same way, as ISO-8859-1 does; the others go only when that
    table leaves the byte undefined (windows-1252 0x81, us-ascii 0x80-0xFF, the
    private-use bytes of ISO-8859-6). Where the published table gives the byte
    another character, Windows' value stays. Double-byte codes keep every Windows
    mapping, the user-defined (private-use) areas included.
  * A code that Windows decodes but whose character it writes as another code (NEC
    row 13 and the NEC-selected IBM extensions of Shift_JIS, duplicate Big5 codes)
    stays: the written code loads first, so the table from Unicode still writes that
    one.
  * From Unicode a table adds Windows' best-fit mappings (us-ascii writes U+00A0
    as 0x20), except those whose code has no mapping towards Unicode.
  * 38598 (ISO-8859-8-I) has Windows' table of 28598: the two differ in text
    direction only, and Wine has no table of its own for it.
  * 51932 (EUC-JP) is Windows' Shift_JIS table moved to EUC code positions by the
    JIS arithmetic (rows 1-94, half-width katakana after 0x8E); 51949 (EUC-KR) is
    Windows' 949 table restricted to the KS X 1001 area (both bytes 0xA1-0xFE).
  * 20261 (T.61) and 20269 (ISO 6937) are tables of single bytes: glibc's bytes
    that stand alone, and each non-spacing accent byte as its combining character
    (taken from glibc's decoding of accent plus letter, decomposed).
  * 20924 (IBM 924) is glibc's IBM 1047 with the eight characters that
    ISO-8859-15 replaces in ISO-8859-1 replaced in the same places.
  * 10001 (x-mac-japanese) is the Shift_JIS table plus a diffs table towards
    Windows' 10001 table. Its table towards Unicode is the inversion of the one
    from Unicode, so best-fit keys that would win that inversion over a code's own
    character are removed, and a code decoded only keeps its character when the
    diffs leave that character alone.

Usage: python3 tools/gen_codepage_tables.py [--out DIR] [--check]
  --out DIR  write into DIR instead of charset/tables/
  --check    exit 77 when a reference is missing (used by the regeneration test)
"""

import argparse
import base64
import bz2
import ctypes
import ctypes.util
import os
import shutil
import struct
import subprocess
import sys
import unicodedata

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
WINE_NLS = '/usr/share/wine/nls'
COMMAND = 'python3 tools/gen_codepage_tables.py'
MAGIC = 0xB394A7E1
LINE = 96  # base64 characters per string literal

SINGLE_BYTE_BUCKETS_TO = 283
SINGLE_BYTE_BUCKETS_FROM = 269


class MissingReference(Exception):
    pass


# ---------------------------------------------------------------- references

class NlsTable:
    """One of Wine's c_*.nls files (the layout of Windows' CPTABLEINFO)."""

    def __init__(self, code_page):
        path = os.path.join(WINE_NLS, 'c_%03d.nls' % code_page)
        if not os.path.exists(path):
            raise MissingReference(path)
        with open(path, 'rb') as f:
            data = f.read()
        words = struct.unpack('<%dH' % (len(data) // 2), data[:len(data) // 2 * 2])
        header = words[0]
        self.code_page = words[1]
        self.max_char_size = words[2]
        self.default_char = words[3]
        self.uni_default_char = words[4]
        pos = header
        wide_table = pos + words[pos] + 1
        pos += 1
        self.mb = words[pos:pos + 256]
        pos += 256
        pos += 257 if words[pos] else 1  # OEM glyph table
        self.dbcs = {}
        if words[pos]:
            offsets = words[pos + 1:pos + 257]
            for lead in range(256):
                if offsets[lead]:
                    start = pos + 1 + offsets[lead]
                    self.dbcs[lead] = words[start:start + 256]
        if self.max_char_size == 1:
            self.wc = data[wide_table * 2:wide_table * 2 + 65536]
        else:
            self.wc = words[wide_table:wide_table + 65536]

    def decode(self):
        """code bytes -> Unicode, placeholders for undefined codes left out."""
        question = self.wc[self.uni_default_char]
        out = {}
        for b in range(1, 256):
            if b in self.dbcs:
                for trail in range(256):
                    u = self.dbcs[b][trail]
                    code = b << 8 | trail
                    if u == 0 or (u == self.uni_default_char and code != question):
                        continue
                    out[bytes([b, trail])] = u
            else:
                u = self.mb[b]
                if u == 0 or (u == self.uni_default_char and b != question):
                    continue
                out[bytes([b])] = u
        return out

    def encode(self):
        """Unicode -> code bytes, as WideCharToMultiByte writes them (with best fit)."""
        unmapped = self.default_char
        question = self.mb[unmapped] if unmapped < 256 else None
        out = {}
        for u in range(1, 65536):
            code = self.wc[u]
            if code == 0 or (code == unmapped and u != question):
                continue
            out[u] = bytes([code]) if code < 256 else bytes([code >> 8, code & 0xFF])
        return out


class Glibc:
    """glibc's iconv(3) through ctypes."""

    def __init__(self):
        libc = ctypes.CDLL(ctypes.util.find_library('c'), use_errno=True)
        self.open = libc.iconv_open
        self.open.restype = ctypes.c_void_p
        self.open.argtypes = [ctypes.c_char_p, ctypes.c_char_p]
        self.iconv = libc.iconv
        self.iconv.restype = ctypes.c_size_t
        self.iconv.argtypes = [ctypes.c_void_p, ctypes.POINTER(ctypes.c_char_p),
                               ctypes.POINTER(ctypes.c_size_t), ctypes.POINTER(ctypes.c_char_p),
                               ctypes.POINTER(ctypes.c_size_t)]
        self.close = libc.iconv_close
        self.close.argtypes = [ctypes.c_void_p]

    def converter(self, to, frm):
        cd = self.open(to.encode(), frm.encode())
        if cd is None or cd == ctypes.c_void_p(-1).value:
            raise MissingReference('iconv %s -> %s' % (frm, to))
        return cd

    def run(self, cd, data):
        self.iconv(cd, None, None, None, None)
        inbuf = ctypes.create_string_buffer(data, len(data))
        outbuf = ctypes.create_string_buffer(64)
        inptr = ctypes.c_char_p(ctypes.addressof(inbuf))
        outptr = ctypes.c_char_p(ctypes.addressof(outbuf))
        inleft = ctypes.c_size_t(len(data))
        outleft = ctypes.c_size_t(64)
        r = self.iconv(cd, ctypes.byref(inptr), ctypes.byref(inleft), ctypes.byref(outptr),
                       ctypes.byref(outleft))
        if r == ctypes.c_size_t(-1).value or inleft.value:
            return None
        # Flush any shift state.
        r = self.iconv(cd, None, None, ctypes.byref(outptr), ctypes.byref(outleft))
        if r == ctypes.c_size_t(-1).value:
            return None
        return outbuf.raw[:64 - outleft.value]

    def decode_bytes(self, name):
        cd = self.converter('UTF-16LE', name)
        try:
            out = {}
            for b in range(1, 256):
                r = self.run(cd, bytes([b]))
                if r is not None and len(r) == 2:
                    out[b] = struct.unpack('<H', r)[0]
            return out
        finally:
            self.close(cd)

    def encode_unit(self, name, u):
        cd = self.converter(name, 'UTF-16LE')
        try:
            return self.run(cd, struct.pack('<H', u))
        finally:
            self.close(cd)

    def decode_pair(self, name, data):
        cd = self.converter('UTF-16LE', name)
        try:
            r = self.run(cd, data)
            return r.decode('utf-16-le') if r else None
        finally:
            self.close(cd)


_glibc = None


def glibc():
    global _glibc
    if _glibc is None:
        _glibc = Glibc()
    return _glibc


def python_decode(codec):
    out = {}
    for b in range(1, 256):
        try:
            s = bytes([b]).decode(codec)
        except UnicodeDecodeError:
            continue
        if len(s) == 1:
            out[b] = ord(s)
    return out


def icu_decode(name):
    if not shutil.which('uconv'):
        raise MissingReference('uconv')
    # Every byte in one run: a byte ICU cannot map comes out as %X and its hex digits.
    r = subprocess.run(['uconv', '-f', name, '-t', 'UTF-16LE', '--from-callback', 'escape-icu'],
                       input=bytes(range(1, 256)), capture_output=True)
    if r.returncode != 0:
        raise RuntimeError('uconv cannot decode %s: %s' % (name, r.stderr.decode().strip()))
    text = r.stdout.decode('utf-16-le')
    out = {}
    pos = 0
    for b in range(1, 256):
        escape = '%%X%02X' % b
        if text.startswith(escape, pos):
            pos += len(escape)
            continue
        u = ord(text[pos])
        pos += 1
        # ICU decodes some bytes it cannot map as SUB.
        if u != 0x1A or b == 0x3F:
            out[b] = u
    if pos != len(text):
        raise RuntimeError('uconv decoded %s into more than one unit per byte' % name)
    return out


# ---------------------------------------------------------------- the mappings

class Mapping:
    """The intended content of one table.

    to_uni:   code bytes -> Unicode, the characters the page defines.
    from_uni: Unicode -> code bytes, the round-trip mappings and the best fits.
    """

    def __init__(self, code_page, source):
        self.code_page = code_page
        self.source = source
        self.notes = []
        self.to_uni = {}
        self.from_uni = {}

    def ascii_compatible(self):
        return all(self.to_uni.get(bytes([b])) == b and self.from_uni.get(b) == bytes([b])
                   for b in range(1, 0x80))

    def best_fits(self):
        return {u: c for u, c in self.from_uni.items() if self.to_uni.get(c) != u}


def is_placeholder(byte, u, sub=None):
    """sub: the byte the page writes U+001A (SUB) as; other bytes decoding to SUB are
    the fill-ins of EBCDIC pages."""
    return (0x80 <= byte <= 0x9F and u == byte) or (byte >= 0x80 and u == byte & 0x7F) or \
        0xE000 <= u <= 0xF8FF or (u == 0x1A and sub is not None and byte != sub[0])


def from_windows(mapping, decoded, encoded, defined):
    """Builds a mapping from Windows' two tables.

    defined: byte -> Unicode of the page's published table, or None when there is
    none; it decides which of Windows' single-byte placeholders stay.
    """
    dropped = []
    to_uni = {}
    for code, u in decoded.items():
        if len(code) == 1 and is_placeholder(code[0], u, encoded.get(0x1A)):
            b = code[0]
            c1 = 0x80 <= b <= 0x9F and u == b
            if c1 and (defined is None or defined.get(b) != u):
                dropped.append(b)
                continue
            if not c1 and defined is not None and b not in defined:
                dropped.append(b)
                continue
        to_uni[code] = u
    if dropped:
        mapping.notes.append('placeholders left out: ' + ' '.join('%02X' % b for b in dropped))
    # Codes that Windows decodes but writes back as other codes stay: the written
    # code's round trip loads first, so the table from Unicode still writes that one.
    one_way = sorted(c for c, u in to_uni.items() if encoded.get(u) != c)
    if one_way:
        mapping.notes.append('%d codes decoded only, as Windows writes their characters as '
                             'other codes: %s' % (len(one_way), summarize_codes(one_way)))
    mapping.to_uni = to_uni
    unusable = sorted(u for u, c in encoded.items() if c not in to_uni)
    mapping.from_uni = {u: c for u, c in encoded.items() if c in to_uni}
    if unusable:
        mapping.notes.append('%d characters written as left-out codes dropped: %s' %
                             (len(unusable), summarize_units(unusable)))
    return mapping


def from_table(mapping, decoded, encode):
    """A page without best fits: where several bytes decode to one character, the
    reference's encoder tells which one is written."""
    mapping.to_uni = {bytes([b]): u for b, u in decoded.items()}
    codes = {}
    for code in sorted(mapping.to_uni):
        codes.setdefault(mapping.to_uni[code], []).append(code)
    mapping.from_uni = {}
    for u, choices in codes.items():
        written = encode(u) if len(choices) > 1 else choices[0]
        if written not in choices:
            raise RuntimeError('%d: U+%04X has no written form' % (mapping.code_page, u))
        mapping.from_uni[u] = written
    one_way = sorted(c for c, u in mapping.to_uni.items() if mapping.from_uni[u] != c)
    if one_way:
        mapping.notes.append('decoded only: ' + summarize_codes(one_way))
    return mapping


def summarize_codes(codes):
    text = ' '.join(c.hex().upper() for c in codes[:12])
    return text + (' ...' if len(codes) > 12 else '')


def summarize_units(units):
    text = ' '.join('U+%04X' % u for u in units[:12])
    return text + (' ...' if len(units) > 12 else '')


PUBLISHED = {
    37: 'cp037', 437: 'cp437', 500: 'cp500', 720: 'cp720', 737: 'cp737', 775: 'cp775',
    850: 'cp850', 852: 'cp852', 855: 'cp855', 857: 'cp857', 860: 'cp860', 861: 'cp861',
    862: 'cp862', 863: 'cp863', 864: 'cp864', 865: 'cp865', 866: 'cp866', 869: 'cp869',
    874: 'cp874', 875: 'cp875', 1026: 'cp1026', 1250: 'cp1250', 1251: 'cp1251',
    1252: 'cp1252', 1253: 'cp1253', 1254: 'cp1254', 1255: 'cp1255', 1256: 'cp1256',
    1257: 'cp1257', 1258: 'cp1258', 10000: 'mac_roman', 10004: 'mac_arabic',
    10006: 'mac_greek', 10007: 'mac_cyrillic', 10010: 'mac_romanian', 10029: 'mac_latin2',
    10079: 'mac_iceland', 10081: 'mac_turkish', 10082: 'mac_croatian', 20127: 'ascii',
    20866: 'koi8_r', 21866: 'koi8_u', 28591: 'latin_1', 28592: 'iso8859_2',
    28593: 'iso8859_3', 28594: 'iso8859_4', 28595: 'iso8859_5', 28596: 'iso8859_6',
    28597: 'iso8859_7', 28598: 'iso8859_8', 28599: 'iso8859_9', 28603: 'iso8859_13',
    28605: 'iso8859_15', 932: 'cp932', 936: 'gbk', 949: 'cp949', 950: 'cp950', 1361: 'johab',
}


def wine_page(code_page, table_page=None):
    table_page = table_page or code_page
    nls = NlsTable(table_page)
    codec = PUBLISHED.get(table_page)
    source = 'wine c_%03d.nls' % table_page
    defined = python_decode(codec) if codec else None
    if codec:
        source += ' (placeholders checked against Python %s)' % codec
    return from_windows(Mapping(code_page, source), nls.decode(), nls.encode(), defined)


def python_encoder(codec):
    return lambda u: chr(u).encode(codec)


def python_page(code_page, codec):
    return from_table(Mapping(code_page, 'python codec %s' % codec), python_decode(codec),
                      python_encoder(codec))


def glibc_encoder(name):
    return lambda u: glibc().encode_unit(name, u)


def glibc_page(code_page, name):
    return from_table(Mapping(code_page, 'glibc iconv %s' % name), glibc().decode_bytes(name),
                      glibc_encoder(name))


def icu_encoder(name):
    def encode(u):
        r = subprocess.run(['uconv', '-f', 'UTF-16LE', '-t', name, '--callback', 'stop'],
                           input=struct.pack('<H', u), capture_output=True)
        return r.stdout if r.returncode == 0 else None
    return encode


def icu_page(code_page, name):
    return from_table(Mapping(code_page, 'ICU uconv %s' % name), icu_decode(name),
                      icu_encoder(name))


def accent_page(code_page, name):
    """T.61 and ISO 6937: lone accent bytes become combining characters."""
    decoded = glibc().decode_bytes(name)
    letters = 'AaEeIiOoUuYyCcNnSsZzGgRrLlTtKkDdHhJjWw'
    accents = {}
    for b in range(0xC1, 0xD0):
        if b in decoded:
            continue
        marks = set()
        for letter in letters:
            text = glibc().decode_pair(name, bytes([b]) + letter.encode())
            if not text or len(text) != 1:
                continue
            parts = unicodedata.normalize('NFD', text)
            if len(parts) == 2 and parts[0] == letter:
                marks.add(ord(parts[1]))
        if len(marks) == 1:
            accents[b] = marks.pop()
    decoded.update(accents)
    mapping = from_table(Mapping(code_page, 'glibc iconv %s, accents decomposed' % name), decoded,
                         glibc_encoder(name))
    mapping.notes.append('accent bytes: ' + ' '.join('%02X=U+%04X' % (b, u)
                                                     for b, u in sorted(accents.items())))
    return mapping


def ibm924_page(code_page):
    decoded = glibc().decode_bytes('IBM1047')
    latin1 = python_decode('latin_1')
    latin9 = python_decode('iso8859_15')
    replaced = {latin1[b]: latin9[b] for b in latin1 if latin9.get(b) != latin1[b]}
    changed = []
    for b, u in decoded.items():
        if u in replaced:
            decoded[b] = replaced[u]
            changed.append('%02X=U+%04X' % (b, decoded[b]))
    mapping = from_table(Mapping(code_page, 'glibc iconv IBM1047 with the Latin-9 replacements '
                                            'of Python iso8859_15'), decoded,
                         glibc_encoder('IBM1047'))
    mapping.notes.append('replaced: ' + ' '.join(changed))
    return mapping


# Windows' 932 table moved to EUC-JP code positions.
def euc_jp_page():
    nls = NlsTable(932)
    decoded = nls.decode()
    encoded = nls.encode()

    def to_euc(code):
        if len(code) == 1:
            b = code[0]
            if 0xA1 <= b <= 0xDF:
                return bytes([0x8E, b])
            return code if b < 0x80 else None
        lead, trail = code
        if not (0x81 <= lead <= 0x9F or 0xE0 <= lead <= 0xEF) or not 0x40 <= trail <= 0xFC \
                or trail == 0x7F:
            return None
        row = (lead - 0x70 if lead < 0xA0 else lead - 0xB0) * 2
        if trail < 0x9F:
            row -= 1
            cell = trail - 0x1F if trail < 0x7F else trail - 0x20
        else:
            cell = trail - 0x7E
        return bytes([row | 0x80, cell | 0x80])

    euc_decoded = {}
    for code, u in decoded.items():
        euc = to_euc(code)
        if euc is not None and not (len(code) == 1 and is_placeholder(code[0], u)):
            euc_decoded[euc] = u
    # A character whose Windows code has no EUC form is written as another code
    # that decodes to it (the NEC-selected rows stand in for the IBM extensions).
    first_code = {}
    for code in sorted(euc_decoded, key=lambda c: (len(c), c)):
        first_code.setdefault(euc_decoded[code], code)
    euc_encoded = {}
    for u, code in encoded.items():
        euc = to_euc(code)
        if euc is None or euc not in euc_decoded:
            euc = first_code.get(u)
        if euc is not None:
            euc_encoded[u] = euc
    mapping = Mapping(51932, 'wine c_932.nls, moved to EUC-JP positions')
    return from_windows(mapping, euc_decoded, euc_encoded, None)


def euc_kr_page():
    nls = NlsTable(949)

    def in_area(code):
        return len(code) == 1 and code[0] < 0x80 or \
            len(code) == 2 and 0xA1 <= code[0] <= 0xFE and 0xA1 <= code[1] <= 0xFE

    decoded = {c: u for c, u in nls.decode().items() if in_area(c)}
    encoded = {u: c for u, c in nls.encode().items() if in_area(c)}
    mapping = Mapping(51949, 'wine c_949.nls, KS X 1001 area only')
    return from_windows(mapping, decoded, encoded, None)


SINGLE_BYTE_PAGES = [
    (37, lambda: wine_page(37)),
    (437, lambda: wine_page(437)),
    (500, lambda: wine_page(500)),
    (708, lambda: wine_page(708)),
    (720, lambda: wine_page(720)),
    (737, lambda: wine_page(737)),
    (775, lambda: wine_page(775)),
    (850, lambda: wine_page(850)),
    (852, lambda: wine_page(852)),
    (855, lambda: wine_page(855)),
    (857, lambda: wine_page(857)),
    (858, lambda: python_page(858, 'cp858')),
    (860, lambda: wine_page(860)),
    (861, lambda: wine_page(861)),
    (862, lambda: wine_page(862)),
    (863, lambda: wine_page(863)),
    (864, lambda: wine_page(864)),
    (865, lambda: wine_page(865)),
    (866, lambda: wine_page(866)),
    (869, lambda: wine_page(869)),
    (870, lambda: glibc_page(870, 'IBM870')),
    (874, lambda: wine_page(874)),
    (875, lambda: wine_page(875)),
    (1026, lambda: wine_page(1026)),
    (1047, lambda: glibc_page(1047, 'IBM1047')),
    (1140, lambda: python_page(1140, 'cp1140')),
] + [(cp, (lambda cp=cp: glibc_page(cp, 'IBM%d' % cp))) for cp in range(1141, 1150)] + [
    (cp, (lambda cp=cp: wine_page(cp))) for cp in range(1250, 1259)
] + [
    (cp, (lambda cp=cp: wine_page(cp)))
    for cp in (10000, 10004, 10005, 10006, 10007, 10010, 10017, 10021, 10029, 10079, 10081,
               10082)
] + [
    (20105, lambda: glibc_page(20105, 'ISO_646.IRV:1991')),
    (20106, lambda: glibc_page(20106, 'DIN_66003')),
    (20107, lambda: glibc_page(20107, 'SEN_850200_B')),
    (20108, lambda: glibc_page(20108, 'NS_4551-1')),
    (20127, lambda: wine_page(20127)),
    (20261, lambda: accent_page(20261, 'T.61-8BIT')),
    (20269, lambda: accent_page(20269, 'ISO_6937')),
    (20273, lambda: python_page(20273, 'cp273')),
] + [(cp, (lambda cp=cp: glibc_page(cp, 'IBM%d' % (cp - 20000))))
     for cp in (20277, 20278, 20280, 20284, 20285)] + [
    (20290, lambda: icu_page(20290, 'ibm-290')),
] + [(cp, (lambda cp=cp: glibc_page(cp, 'IBM%d' % (cp - 20000)))) for cp in (20297, 20420, 20423)] + [
    (20424, lambda: python_page(20424, 'cp424')),
    (20838, lambda: icu_page(20838, 'ibm-838')),
    (20866, lambda: wine_page(20866)),
] + [(cp, (lambda cp=cp: glibc_page(cp, 'IBM%d' % (cp - 20000)))) for cp in (20871, 20880, 20905)] + [
    (20924, lambda: ibm924_page(20924)),
    (21025, lambda: glibc_page(21025, 'IBM1025')),
    (21866, lambda: wine_page(21866)),
] + [(cp, (lambda cp=cp: wine_page(cp)))
     for cp in (28591, 28592, 28593, 28594, 28595, 28596, 28597, 28598, 28599, 28603, 28605)] + [
    (38598, lambda: wine_page(38598, 28598)),
]

# name, symbol, file, code pages, builder, buckets towards and from Unicode (as the
# registry makes them, so that the simulated load is the real one)
MULTI_BYTE_FAMILIES = [
    ('Shift_JIS', 'kShiftJisTable', 'ShiftJisTable.cpp', (932, 10001), lambda: wine_page(932),
     (4919, 7669)),
    ('GB2312/GBK', 'kGbkTable', 'GbkTable.cpp', (936, 51936), lambda: wine_page(936),
     (7649, 7649)),
    ('Unified Hangul', 'kUnifiedHangulTable', 'UnifiedHangulTable.cpp', (949,),
     lambda: wine_page(949), (7669, 7669)),
    ('Big5', 'kBig5Table', 'Big5Table.cpp', (950,), lambda: wine_page(950), (7649, 7649)),
    ('EUC-JP', 'kEucJpTable', 'EucJpTable.cpp', (51932,), euc_jp_page, (4919, 4919)),
    ('EUC-KR', 'kEucKrTable', 'EucKrTable.cpp', (51949,), euc_kr_page, (7669, 7669)),
    ('Johab', 'kJohabTable', 'JohabTable.cpp', (1361,), lambda: wine_page(1361), (7669, 7669)),
]

SINGLE_BYTE_FILES = [
    ('EbcdicTables.cpp', 'EBCDIC', lambda cp: cp in (37, 500, 870, 875, 1026, 1047) or
     1140 <= cp <= 1149 or 20273 <= cp <= 20924 and cp not in (20866,) or cp == 21025),
    ('OemTables.cpp', 'DOS (OEM)', lambda cp: 437 <= cp <= 869 or cp == 708),
    ('WindowsTables.cpp', 'Windows (ANSI)', lambda cp: 1250 <= cp <= 1258 or cp == 874),
    ('MacTables.cpp', 'Macintosh', lambda cp: 10000 <= cp <= 10082),
    ('IsoTables.cpp', 'ISO 8859, KOI8, ISO 646 and other', lambda cp: True),
]


# ---------------------------------------------------------------- table encoding

def order_records(mapping, length):
    """Records of one section: round trips first, then codes decoded only, then the
    best fits.

    A best fit shares its code with a round trip, which must load first so that the
    code keeps its own character towards Unicode; two neighbours never share a code,
    since a delta of 0 would end the section.
    """
    to_uni = {c: u for c, u in mapping.to_uni.items() if len(c) == length}
    best = {u: c for u, c in mapping.best_fits().items() if len(c) == length}
    trips = [(c, u) for c, u in to_uni.items() if mapping.from_uni.get(u) == c]
    if length == 1:
        # Bytes beyond ASCII first, in Unicode order.
        trips.sort(key=lambda cu: (cu[0][0] < 0x80, cu[1]))
    else:
        trips.sort()
    # Codes decoded only come after the round trip of their character.
    records = trips + sorted((c, u) for c, u in to_uni.items() if mapping.from_uni.get(u) != c)
    by_code = {}
    for u, c in sorted(best.items()):
        by_code.setdefault(c, []).append(u)
    # Most numerous code first, never the code just written.
    pending = []
    while by_code:
        ranked = sorted(by_code, key=lambda c: (-len(by_code[c]), c))
        previous = pending[-1][0] if pending else (records[-1][0] if records else None)
        pick = next((c for c in ranked if c != previous), None)
        if pick is None:
            break
        pending.append((pick, by_code[pick].pop(0)))
        if not by_code[pick]:
            del by_code[pick]
    records += pending
    # Whatever is left shares its code with the last record: slot it in between two
    # records of other codes after the round trip of its code.
    for c, units in by_code.items():
        for u in units:
            start = next(i for i, r in enumerate(records) if r[0] == c) + 1
            for i in range(start, len(records) + 1):
                before = records[i - 1][0]
                after = records[i][0] if i < len(records) else None
                if before != c and after != c:
                    records.insert(i, (c, u))
                    break
            else:
                raise RuntimeError('cannot place best fit U+%04X' % u)
    return records


def encode_complete(mapping):
    out = bytearray(b'a' if mapping.ascii_compatible() else b'x')
    out += b'u'
    code = 0
    unit = 0
    for c, u in order_records(mapping, 1):
        delta = (c[0] - code) & 0xFF
        assert delta
        out += bytes([delta]) + struct.pack('<H', (u - unit) & 0xFFFF)
        code, unit = c[0], u
    out.append(0)
    code = 0
    unit = 0
    for c, u in order_records(mapping, 2):
        value = c[0] << 8 | c[1]
        delta = (value - code) & 0xFFFF
        assert delta
        out += struct.pack('<HH', delta, (u - unit) & 0xFFFF)
        code, unit = value, u
    out += b'\0\0'
    return bytes(out)


def encode_diffs(ascii_compatible, removed, singles, pairs):
    out = bytearray(b'a' if ascii_compatible else b'x')
    out += b'd'
    for u in removed:
        out += struct.pack('<H', u)
    out += b'\0\0'
    for u, c in singles:
        out += bytes([c[0]]) + struct.pack('<H', u)
    out.append(0)
    for u, c in pairs:
        out += bytes(c) + struct.pack('<H', u)
    out += b'\0\0'
    return bytes(out)


def container(table):
    packed = struct.pack('<II', MAGIC, len(table)) + bz2.compress(table, 3)
    return 'c' + base64.b64encode(packed).decode('ascii')


# ---------------------------------------------------------------- load simulation
# The loader's rules, replayed here so that every table is checked before it is
# written: a key's first loaded entry wins, buckets hash the key bytes packed with the
# first byte lowest.

class SimHash:
    def __init__(self, buckets):
        self.buckets = [[] for _ in range(buckets)]

    def bucket(self, key):
        value = 0
        for i, b in enumerate(key):
            value |= b << (8 * i)
        return self.buckets[value % len(self.buckets)]

    def insert(self, key, value):
        self.bucket(key).append((key, value))

    def remove(self, key):
        bucket = self.bucket(key)
        bucket[:] = [e for e in bucket if e[0] != key]

    def lookup(self, key):
        return next((v for k, v in self.bucket(key) if k == key), None)

    def keys(self):
        return {k for bucket in self.buckets for k, _ in bucket}

    def invert(self, buckets):
        other = SimHash(buckets)
        for bucket in self.buckets:
            for k, v in bucket:
                other.insert(v, k)
        return other


def parse_container(text):
    raw = base64.b64decode(text[1:])
    magic, length = struct.unpack('<II', raw[:8])
    assert magic == MAGIC
    table = bz2.decompress(raw[8:])
    assert len(table) == length
    return table


def sim_load(table, target, key_is_unicode):
    if table[1:2] == b'd':
        if not key_is_unicode:
            return
        pos = 2
        while table[pos:pos + 2] != b'\0\0':
            target.remove(table[pos:pos + 2])
            pos += 2
        pos += 2
        while table[pos] != 0:
            key = table[pos + 1:pos + 3]
            target.remove(key)
            target.insert(key, table[pos:pos + 1])
            pos += 3
        pos += 1
        while table[pos:pos + 2] != b'\0\0':
            key = table[pos + 2:pos + 4]
            target.remove(key)
            target.insert(key, table[pos:pos + 2])
            pos += 4
        return
    pos = 2
    code = unit = 0
    while table[pos] != 0:
        code = (code + table[pos]) & 0xFF
        unit = (unit + struct.unpack('<H', table[pos + 1:pos + 3])[0]) & 0xFFFF
        pos += 3
        pair = (bytes([code]), struct.pack('<H', unit))
        target.insert(*(pair[::-1] if key_is_unicode else pair))
    pos += 1
    code = unit = 0
    while True:
        delta = struct.unpack('<H', table[pos:pos + 2])[0]
        if delta == 0:
            break
        du = struct.unpack('<H', table[pos + 2:pos + 4])[0]
        pos += 4
        code = (code + delta) & 0xFFFF
        unit = (unit + du) & 0xFFFF
        pair = (bytes([code >> 8, code & 0xFF]), struct.pack('<H', unit))
        target.insert(*(pair[::-1] if key_is_unicode else pair))


def verify(mapping, table, buckets_to, buckets_from):
    to = SimHash(buckets_to)
    sim_load(table, to, False)
    frm = SimHash(buckets_from)
    sim_load(table, frm, True)
    check_lookups(mapping.code_page, mapping.to_uni, mapping.from_uni, to, frm)


def check_lookups(code_page, to_uni, from_uni, to, frm):
    got_to = {k: struct.unpack('<H', to.lookup(k))[0] for k in to.keys()}
    got_from = {struct.unpack('<H', k)[0]: frm.lookup(k) for k in frm.keys()}
    if got_to != to_uni:
        raise RuntimeError('%d: towards Unicode differs from the intended mappings' % code_page)
    if got_from != from_uni:
        raise RuntimeError('%d: from Unicode differs from the intended mappings' % code_page)


# ---------------------------------------------------------------- x-mac-japanese

def mac_japanese(shift_jis_table, sjis_ascii):
    """The diffs that turn the loaded Shift_JIS table into Windows' 10001 table.

    10001 decodes by the inversion of its table from Unicode, so a code decodes only
    through an entry of that table. A code that Windows decodes but writes as another
    keeps its decoding when the Shift_JIS table holds it after its character's written
    code and the diffs leave that character alone: a diffs record gives a character
    one code.
    """
    mapping = wine_page(10001)
    windows = mapping.to_uni
    base = SimHash(4919)
    sim_load(shift_jis_table, base, True)
    base_codes = {}
    for bucket in base.buckets:
        for key, code in bucket:
            base_codes.setdefault(struct.unpack('<H', key)[0], []).append(code)
    target = dict(mapping.from_uni)
    # Characters whose later Shift_JIS codes would decode wrongly: one code only.
    alone = set()
    dropped = []
    while True:
        removed = sorted(u for u in base_codes if u not in target)
        changed = sorted(u for u in target if base_codes.get(u, [None])[0] != target[u] or
                         u in alone)
        diffs = encode_diffs(sjis_ascii and mapping.ascii_compatible(), removed,
                             [(u, target[u]) for u in changed if len(target[u]) == 1],
                             [(u, target[u]) for u in changed if len(target[u]) == 2])
        frm = SimHash(4919)
        sim_load(shift_jis_table, frm, True)
        sim_load(diffs, frm, True)
        to = frm.invert(4919)
        wrong = {(code, struct.unpack('<H', to.lookup(code))[0]) for code in to.keys()}
        wrong = {(code, u) for code, u in wrong if windows.get(code) != u}
        if not wrong:
            break
        for code, u in sorted(wrong):
            if target.get(u) == code:
                # A best fit that comes first for its code in the inversion would
                # decode that code as itself: it goes.
                dropped.append(u)
                del target[u]
            else:
                alone.add(u)
    if dropped:
        mapping.notes.append('%d best fits left out, since they would win the inversion: %s' %
                             (len(dropped), summarize_units(sorted(dropped))))
    mapping.to_uni = {code: struct.unpack('<H', to.lookup(code))[0] for code in to.keys()}
    lost = sorted(c for c in windows if c not in mapping.to_uni)
    if lost:
        mapping.notes.append('%d codes decoded only by Windows left out, as the diffs give '
                             'their characters one code: %s' % (len(lost), summarize_codes(lost)))
    mapping.from_uni = target
    check_lookups(10001, mapping.to_uni, target, to, frm)
    mapping.notes.append('diffs: %d removed, %d single-byte and %d double-byte changed' %
                         (len(removed), sum(1 for u in changed if len(target[u]) == 1),
                          sum(1 for u in changed if len(target[u]) == 2)))
    return mapping, diffs


# ---------------------------------------------------------------- output

def header_comment(what):
    return ('// Generated by tools/gen_codepage_tables.py: %s. Do not edit.\n'
            '// Regenerate with: %s' % (what, COMMAND))


def literal_lines(text):
    return ['    "%s"' % text[i:i + LINE] for i in range(0, len(text), LINE)]


def table_definition(symbol, mapping, text, extra=''):
    lines = ['// Code page %d: %s%s.' % (mapping.code_page, mapping.source, extra)]
    for note in mapping.notes:
        lines.append('//   ' + note)
    lines.append('const char %s[] =' % symbol)
    lines += literal_lines(text)
    lines[-1] += ';'
    return '\n'.join(lines) + '\n'


def write(out_dir, name, content):
    with open(os.path.join(out_dir, name), 'w', newline='\n') as f:
        f.write(content)


def generate(out_dir):
    os.makedirs(out_dir, exist_ok=True)
    manifest = ['# Generated by tools/gen_codepage_tables.py. Do not edit.',
                '# Regenerate with: ' + COMMAND,
                '# code page, table, reference, notes', '']
    single = []
    for code_page, build in SINGLE_BYTE_PAGES:
        mapping = build()
        table = encode_complete(mapping)
        verify(mapping, table, SINGLE_BYTE_BUCKETS_TO, SINGLE_BYTE_BUCKETS_FROM)
        single.append((mapping, container(table)))
        manifest.append('%d\tkCodePage%dTable\t%s' % (code_page, code_page, mapping.source))
        manifest += ['\t\t' + n for n in mapping.notes]
    assert len(single) == 94, len(single)

    for file_name, title, member in SINGLE_BYTE_FILES:
        chosen = [(m, t) for m, t in single if member(m.code_page)]
        single = [(m, t) for m, t in single if not member(m.code_page)]
        parts = [header_comment('single-byte tables, ' + title), '',
                 '#include "charset/tables/EmbeddedTables.h"', '']
        for mapping, text in chosen:
            parts.append(table_definition('kCodePage%dTable' % mapping.code_page, mapping, text))
        write(out_dir, file_name, '\n'.join(parts))
    assert not single

    families = []
    for name, symbol, file_name, pages, build, buckets in MULTI_BYTE_FAMILIES:
        mapping = build()
        table = encode_complete(mapping)
        verify(mapping, table, *buckets)
        text = container(table)
        families.append((symbol, pages))
        parts = [header_comment('the %s table' % name), '',
                 '#include "charset/tables/EmbeddedTables.h"', '',
                 table_definition(symbol, mapping, text,
                                  ' (code pages %s)' % ', '.join(map(str, pages)))]
        manifest.append('%s\t%s\t%s' % (', '.join(map(str, pages)), symbol, mapping.source))
        manifest += ['\t\t' + n for n in mapping.notes]
        if symbol == 'kShiftJisTable':
            mac, diffs = mac_japanese(table, mapping.ascii_compatible())
            parts.append(table_definition('kMacJapaneseDiffs', mac, container(diffs),
                                          ', as diffs applied to the Shift_JIS table'))
            manifest.append('10001\tkShiftJisTable + kMacJapaneseDiffs\t%s' % mac.source)
            manifest += ['\t\t' + n for n in mac.notes]
        write(out_dir, file_name, '\n'.join(parts))

    singles = [cp for cp, _ in SINGLE_BYTE_PAGES]
    write(out_dir, 'EmbeddedTables.h', '\n'.join([
        header_comment('declarations of the embedded tables'),
        '#pragma once', '',
        '// Each table is "c" followed by base64 of the magic E1 A7 94 B3, the 32-bit',
        '// little-endian length of the table and its bzip2 stream.', '',
        '// The complete table of a single-byte code page, or null.',
        'const char *embeddedSingleByteTable(int codePage);', '',
    ] + ['extern const char %s[];' % s for s, _ in families] +
        ['// Applied to the Shift_JIS table keyed by Unicode to give x-mac-japanese.',
         'extern const char kMacJapaneseDiffs[];'] +
        ['extern const char kCodePage%dTable[];' % cp for cp in singles]) + '\n')

    write(out_dir, 'EmbeddedTableIndex.cpp', '\n'.join([
        header_comment('the index of the single-byte tables'),
        '#include "charset/tables/EmbeddedTables.h"', '',
        'namespace {', '',
        'struct EmbeddedEntry {', '    int codePage;', '    const char *text;', '};', '',
        '// Sorted by code page.',
        'const EmbeddedEntry kSingleByteTables[] = {',
    ] + ['    {%d, kCodePage%dTable},' % (cp, cp) for cp in sorted(singles)] + [
        '};', '', '} // namespace', '',
        'const char *embeddedSingleByteTable(int codePage) {',
        '    const EmbeddedEntry *end =',
        '        kSingleByteTables + sizeof(kSingleByteTables) / sizeof(kSingleByteTables[0]);',
        '    const EmbeddedEntry *low = kSingleByteTables;',
        '    const EmbeddedEntry *high = end;',
        '    while (low < high) {',
        '        const EmbeddedEntry *middle = low + (high - low) / 2;',
        '        if (middle->codePage < codePage)',
        '            low = middle + 1;',
        '        else',
        '            high = middle;',
        '    }',
        '    return low != end && low->codePage == codePage ? low->text : nullptr;',
        '}',
    ]) + '\n')
    write(out_dir, 'SOURCES.txt', '\n'.join(manifest) + '\n')


def main():
    parser = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    parser.add_argument('--out', default=os.path.join(ROOT, 'charset', 'tables'))
    parser.add_argument('--check', action='store_true')
    args = parser.parse_args()
    try:
        generate(args.out)
    except MissingReference as missing:
        print('reference missing: %s' % missing, file=sys.stderr)
        return 77 if args.check else 1
    return 0


if __name__ == '__main__':
    sys.exit(main())
