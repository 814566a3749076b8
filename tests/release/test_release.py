"""Tests of tools/release.py: the guide as plain text, and the zip's bytes."""
import hashlib
import io
import os
import sys
import unittest
import zipfile

sys.path.insert(0, os.path.join(os.path.dirname(__file__), '..', '..', 'tools'))
import release  # noqa: E402


class GuideText(unittest.TestCase):
    def test_headings_underlined_and_pictures_named(self):
        text = release.guide_text('# Title\n\nSome text.\n\n![The chat display](images/d.png)\n\n## Part two\n')
        self.assertEqual(text, ['Title', '=====', '', 'Some text.', '', '(picture: The chat display)', '',
                                'Part two', '--------'])

    def test_inline_marks_go_but_code_keeps_its_characters(self):
        text = release.guide_text('Press **Enter**, *then* see [the README](README.md): `{Aldric}":" *hi*`.\n')
        self.assertEqual(text, ['Press Enter, then see the README: {Aldric}":" *hi*.'])

    def test_paragraph_reflows_within_the_width(self):
        words = ' '.join('word%d' % i for i in range(60))
        cut = words.index(' ', 100)
        text = release.guide_text(words[:cut] + '\n' + words[cut + 1:] + '\n')
        self.assertTrue(all(len(l) <= release.WIDTH for l in text))
        self.assertEqual(' '.join(text), words)

    def test_list_items_hang_under_their_bullet(self):
        text = release.guide_text('- first item ' + 'long ' * 20 + '\n  continued\n- second\n')
        self.assertTrue(text[0].startswith('  - first item'))
        self.assertTrue(all(l.startswith('    ') for l in text[1:-1]))
        self.assertTrue(text[-2].endswith('continued'))
        self.assertEqual(text[-1], '  - second')

    def test_table_columns_line_up_and_wide_cells_wrap(self):
        md = ('| Key | Where | What |\n|---|---|---|\n| F9 | anywhere | brings the last message back |\n'
              '| Ctrl+Shift+R | composer | ' + 'pages again the last player you paged ' * 3 + '|\n')
        text = release.guide_text(md)
        self.assertEqual(text[0].split(), ['Key', 'Where', 'What'])
        self.assertTrue(set(text[1]) == {'-'})
        self.assertTrue(all(len(l) <= release.WIDTH for l in text))
        col = text[0].index('What')
        self.assertTrue(all(l[col - 2:col] == '  ' for l in text[2:]))
        self.assertEqual(text[2][col:], 'brings the last message back')
        self.assertTrue(len(text) > 4)  # the long cell took more than one line

    def test_indented_code_stays_as_written(self):
        text = release.guide_text('Run it:\n\n    WINEPREFIX=~/x wine  vekchat.exe\n\nDone.\n')
        self.assertIn('    WINEPREFIX=~/x wine  vekchat.exe', text)

    def test_crlf_everywhere_and_at_the_end(self):
        self.assertEqual(release.crlf('a\nb\r\nc\rd\n'), 'a\r\nb\r\nc\r\nd\r\n')
        self.assertEqual(release.crlf('a'), 'a\r\n')


class Zip(unittest.TestCase):
    def entries(self):
        return release.release_entries(b'MZ\x90\x00exe', '# Guide\n\nText.\n', 'MIT\nLicence\n')

    def test_entries_in_order_with_sums_of_the_other_three(self):
        entries = self.entries()
        self.assertEqual([n for n, _ in entries], ['vekchat.exe', 'README.txt', 'LICENSE.txt', 'SHA256SUMS.txt'])
        sums = entries[3][1].decode('ascii')
        want = ''.join('%s  %s\r\n' % (hashlib.sha256(d).hexdigest(), n) for n, d in entries[:3])
        self.assertEqual(sums, want)
        self.assertEqual(entries[2][1], b'MIT\r\nLicence\r\n')
        self.assertNotIn(b'\n', entries[1][1].replace(b'\r\n', b''))

    def test_same_inputs_same_bytes_whatever_the_clock_and_zone(self):
        a = release.zip_bytes(self.entries(), 1796640000)
        old = os.environ.get('TZ')
        try:
            os.environ['TZ'] = 'Pacific/Kiritimati'
            release.time.tzset()
            b = release.zip_bytes(self.entries(), 1796640000)
        finally:
            if old is None:
                os.environ.pop('TZ', None)
            else:
                os.environ['TZ'] = old
            release.time.tzset()
        self.assertEqual(a, b)
        self.assertNotEqual(a, release.zip_bytes(self.entries(), 1796640002))

    def test_entries_carry_the_given_time_fixed_mode_and_no_extra(self):
        data = release.zip_bytes(self.entries(), 1796640000)  # 2026-12-07 10:40:00 UTC
        with zipfile.ZipFile(io.BytesIO(data)) as z:
            self.assertIsNone(z.testzip())
            for info in z.infolist():
                self.assertEqual(info.date_time, (2026, 12, 7, 10, 40, 0))
                self.assertEqual(info.external_attr >> 16, 0o100644)
                self.assertEqual(info.extra, b'')
                self.assertEqual(info.compress_type, zipfile.ZIP_DEFLATED)
            self.assertEqual(z.read('vekchat.exe'), b'MZ\x90\x00exe')

    def test_times_before_1980_are_raised_to_it(self):
        with zipfile.ZipFile(io.BytesIO(release.zip_bytes(self.entries(), 0))) as z:
            self.assertEqual(z.infolist()[0].date_time, (1980, 1, 1, 0, 0, 0))


if __name__ == '__main__':
    unittest.main()
