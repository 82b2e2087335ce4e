#!/usr/bin/env python3
"""Checks that charset/tables/ is what tools/gen_codepage_tables.py makes.

Exits 77 (skipped) when a reference the generator reads is not installed.
"""

import filecmp
import os
import re
import shutil
import subprocess
import sys
import tempfile
import unicodedata
import unittest

TOOLS = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(TOOLS)
TABLES = os.path.join(ROOT, 'charset', 'tables')
sys.path.insert(0, TOOLS)

import gen_codepage_tables as gen  # noqa: E402


def committed_text(symbol):
    """The embedded text of one table, as the committed sources hold it."""
    for name in sorted(os.listdir(TABLES)):
        if not name.endswith('.cpp'):
            continue
        with open(os.path.join(TABLES, name)) as f:
            source = f.read()
        match = re.search(r'const char %s\[\] =\n((?:    "[^"]*"\n?)+);' % symbol, source)
        if match:
            return ''.join(re.findall(r'"([^"]*)"', match.group(1)))
    raise AssertionError('no table %s' % symbol)


class RegeneratedTables(unittest.TestCase):
    def test_committed_output_is_regenerated_unchanged(self):
        with tempfile.TemporaryDirectory() as out:
            run = subprocess.run([sys.executable, os.path.join(TOOLS, 'gen_codepage_tables.py'),
                                  '--out', out, '--check'], capture_output=True, text=True)
            if run.returncode == 77:
                self.skipTest(run.stderr.strip())
            self.assertEqual(0, run.returncode, run.stderr)
            made = sorted(os.listdir(out))
            self.assertEqual(made, sorted(os.listdir(TABLES)))
            for name in made:
                self.assertTrue(filecmp.cmp(os.path.join(out, name), os.path.join(TABLES, name),
                                            shallow=False), '%s differs' % name)


class CommittedTables(unittest.TestCase):
    def test_windows_1252_starts_with_the_worked_example(self):
        table = gen.parse_container(committed_text('kCodePage1252Table'))
        self.assertEqual(b'au', table[:2])
        self.assertEqual(bytes([0xA0, 0xA0, 0x00, 0x01, 0x01, 0x00]), table[2:8])

    def test_containers_use_block_size_3(self):
        import base64
        raw = base64.b64decode(committed_text('kGbkTable')[1:])
        self.assertEqual(bytes([0xE1, 0xA7, 0x94, 0xB3]), raw[:4])
        self.assertEqual(b'BZh3', raw[8:12])

    def test_every_table_loads_as_intended(self):
        # The loader's rules replayed on the committed data: 1252 decodes 0x80 as the
        # euro sign and leaves 0x81 unmapped; us-ascii writes U+00A0 as a space.
        towards = gen.SimHash(283)
        gen.sim_load(gen.parse_container(committed_text('kCodePage1252Table')), towards, False)
        self.assertEqual(b'\xac\x20', towards.lookup(b'\x80'))
        self.assertIsNone(towards.lookup(b'\x81'))
        from_unicode = gen.SimHash(269)
        gen.sim_load(gen.parse_container(committed_text('kCodePage20127Table')), from_unicode,
                     True)
        self.assertEqual(b'\x20', from_unicode.lookup(b'\xa0\x00'))
        self.assertEqual(b'\x20', from_unicode.lookup(b'\x20\x00'))


# The pages made from glibc or Python checked against ICU, and the one made from ICU
# against glibc: the bytes where the two decode differently, with the reason.
CROSS_CHECKED = {
    858: ('ibm-858', {b: 'ICU moves the controls 0x1A, 0x1C and 0x7F as IBM PC tables do'
                      for b in (0x1A, 0x1C, 0x7F)}),
    1140: ('ibm-1140', {}),
    20273: ('ibm-273', {0xBC: 'Python has OVERLINE, ICU MACRON'}),
    20424: ('ibm-424', {0xB3: 'Python has MIDDLE DOT, ICU BULLET',
                        0xBC: 'Python has MACRON, ICU OVERLINE'}),
    870: ('ibm-870', {0xB0: 'glibc has MIDDLE DOT, ICU DOT ABOVE'}),
    1047: ('ibm-1047', {}),
    20277: ('ibm-277', {}),
    20278: ('ibm-278', {0x71: 'glibc and ICU swap E acute and backslash',
                        0xE0: 'glibc and ICU swap E acute and backslash'}),
    20280: ('ibm-280', {}),
    20284: ('ibm-284', {}),
    20285: ('ibm-285', {0xA1: 'glibc has OVERLINE, ICU MACRON'}),
    20297: ('ibm-297', {}),
    20420: ('ibm-420', {0x45: 'ICU decodes ZERO WIDTH SPACE, glibc nothing'}),
    20871: ('ibm-871', {0x4A: 'glibc and ICU swap the two thorns',
                        0xC0: 'glibc and ICU swap the two thorns'}),
    21025: ('ibm-1025', {}),
}
CROSS_CHECKED.update({cp: ('ibm-%d' % cp, {}) for cp in range(1141, 1150)})


class CrossChecked(unittest.TestCase):
    def setUp(self):
        if not shutil.which('uconv'):
            self.skipTest('uconv is not installed')

    def decoded(self, code_page):
        build = dict(gen.SINGLE_BYTE_PAGES)[code_page]
        return {c[0]: u for c, u in build().to_uni.items()}

    def test_glibc_pages_decode_as_icu_does(self):
        for code_page, (icu_name, known) in sorted(CROSS_CHECKED.items()):
            ours = self.decoded(code_page)
            theirs = gen.icu_decode(icu_name)
            differ = {b for b in range(1, 256) if ours.get(b) != theirs.get(b)}
            self.assertEqual(set(known), differ, '%d against ICU %s' % (code_page, icu_name))

    def test_ibm_290_differs_from_glibc_as_listed(self):
        ours = self.decoded(20290)
        theirs = gen.glibc().decode_bytes('IBM290')
        # The extended table has lower-case letters and a few symbols that glibc's lacks.
        extended = set(range(0x62, 0x6A)) | set(range(0x70, 0x79)) | \
            {0x80, 0x8B, 0x9B, 0xA0, 0xAB, 0xC0, 0xD0} | set(range(0xB0, 0xBA))
        width = set()
        for b in range(1, 256):
            if ours.get(b) == theirs.get(b) or b in extended:
                continue
            if b == 0x6A:
                self.assertEqual((None, 0xA6), (ours.get(b), theirs.get(b)), 'broken bar')
                continue
            # glibc has full-width katakana and the spacing sound marks.
            folded = unicodedata.normalize('NFKC', chr(ours[b]))
            spacing = {'\u3099': '\u309b', '\u309a': '\u309c'}.get(folded, folded)
            self.assertEqual(spacing, chr(theirs[b]), 'byte %02X' % b)
            width.add(b)
        self.assertEqual(63, len(width))
        for b in extended:
            self.assertIsNone(theirs.get(b), 'byte %02X' % b)
            self.assertIn(b, ours)


def main():
    result = unittest.main(exit=False, verbosity=2).result
    if not result.wasSuccessful():
        return 1
    if result.skipped and len(result.skipped) == result.testsRun:
        return 77
    return 0


if __name__ == '__main__':
    sys.exit(main())
