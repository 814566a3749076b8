#!/usr/bin/env python3
"""Puts the release zip together: vekchat.exe, the player's guide as
README.txt, the licence as LICENSE.txt and SHA256SUMS.txt, always in that
order, with the commit's time on every entry, fixed permissions and no extra
fields, so that the same inputs give the same zip byte for byte.

    tools/release.py --exe EXE --guide GUIDE.md --license LICENSE \\
                     --time EPOCH --out ZIP
    tools/release.py --text GUIDE.md        print the guide as README.txt has it

tools/package calls it; tests/release/test_release.py tests it.
"""
import argparse
import hashlib
import io
import os
import re
import sys
import textwrap
import time
import zipfile

WIDTH = 76  # Notepad does not wrap by default: lines short enough to read

# The oldest time a zip entry can carry (1980-01-01).
ZIP_EPOCH = 315532800
ENTRY_MODE = 0o100644  # a plain file, rw-r--r--, whatever the files had on disk


# ------------------------------------------------------------- guide to text

def inline_text(s):
    """Markdown inline markup as plain text: pictures become a short note,
    links their text, and code and emphasis marks go."""
    s = re.sub(r'!\[([^\]]*)\]\([^)]*\)', lambda m: '(picture: %s)' % m.group(1), s)
    s = re.sub(r'\[([^\]]*)\]\([^)]*\)', r'\1', s)
    # Code spans keep their content as it stands (a * or _ inside stays).
    parts = re.split(r'(`[^`]*`)', s)
    out = []
    for p in parts:
        if p.startswith('`') and p.endswith('`') and len(p) >= 2:
            out.append(p[1:-1])
        else:
            p = re.sub(r'\*\*(.+?)\*\*', r'\1', p)
            p = re.sub(r'(?<![\w*])\*(?!\s)(.+?)(?<!\s)\*(?![\w*])', r'\1', p)
            out.append(p)
    return ''.join(out)


def table_cells(line):
    line = line.strip()
    if line.startswith('|'):
        line = line[1:]
    if line.endswith('|'):
        line = line[:-1]
    return [inline_text(c.strip()) for c in line.split('|')]


def render_table(rows):
    """Columns side by side, two blanks apart, the header underlined. When the
    table is wider than the page, the widest column gives way first (never
    below its longest word) and its cells wrap within it."""
    n = max(len(r) for r in rows)
    rows = [r + [''] * (n - len(r)) for r in rows]
    widths = [max(len(r[i]) for r in rows) for i in range(n)]
    least = [max([len(w) for r in rows for w in r[i].split()] or [1]) for i in range(n)]
    room = WIDTH - 2 * (n - 1)
    while sum(widths) > room:
        shrinkable = [i for i in range(n) if widths[i] > least[i]]
        if not shrinkable:
            break
        widest = max(shrinkable, key=lambda i: widths[i])
        widths[widest] -= 1
    lines = []
    for k, r in enumerate(rows):
        cells = [textwrap.wrap(c, w, break_on_hyphens=False) or [''] for c, w in zip(r, widths)]
        for j in range(max(len(c) for c in cells)):
            parts = [(c[j] if j < len(c) else '').ljust(w) for c, w in zip(cells, widths)]
            lines.append('  '.join(parts).rstrip())
        if k == 0:
            lines.append('-' * (sum(widths) + 2 * (n - 1)))
    return lines


def guide_text(markdown):
    """The guide as plain text lines (without line ends)."""
    out = []
    lines = markdown.splitlines()
    i = 0

    def block(lines_of_block):
        if out and out[-1] != '':
            out.append('')
        out.extend(lines_of_block)

    while i < len(lines):
        line = lines[i]
        if not line.strip():
            i += 1
            continue
        m = re.match(r'^(#{1,6})\s+(.*)$', line)
        if m:
            title = inline_text(m.group(2).strip())
            under = {1: '=', 2: '-'}.get(len(m.group(1)))
            block([title] + ([under * len(title)] if under else []))
            i += 1
            continue
        if line.lstrip().startswith('|'):
            rows = []
            while i < len(lines) and lines[i].lstrip().startswith('|'):
                if not re.match(r'^\s*\|?[\s:|-]+\|?\s*$', lines[i]):
                    rows.append(table_cells(lines[i]))
                i += 1
            block(render_table(rows))
            continue
        m = re.match(r'^(\s*)([-*]|\d+\.)\s+(.*)$', line)
        if m:
            items = []
            while i < len(lines):
                m = re.match(r'^(\s*)([-*]|\d+\.)\s+(.*)$', lines[i])
                if m:
                    items.append([m.group(2), m.group(3)])
                elif lines[i].strip() and lines[i].startswith(' ') and items:
                    items[-1][1] += ' ' + lines[i].strip()
                else:
                    break
                i += 1
            rendered = []
            for mark, text in items:
                bullet = '  - ' if mark in '-*' else '  %s ' % mark
                rendered.extend(textwrap.wrap(inline_text(text), WIDTH, initial_indent=bullet,
                                              subsequent_indent=' ' * len(bullet), break_on_hyphens=False))
            block(rendered)
            continue
        if line.startswith('    '):
            code = []
            while i < len(lines) and (lines[i].startswith('    ') or not lines[i].strip()):
                code.append(lines[i].rstrip())
                i += 1
            while code and not code[-1]:
                code.pop()
            block(code)
            continue
        para = []
        while i < len(lines) and lines[i].strip() and not re.match(r'^(#|\s*\||\s*([-*]|\d+\.)\s)', lines[i]):
            para.append(lines[i].strip())
            i += 1
        text = inline_text(' '.join(para))
        block(textwrap.wrap(text, WIDTH, break_on_hyphens=False) or [''])
    return out


def crlf(text):
    """Every line break as CR LF, and one at the end."""
    lines = text.replace('\r\n', '\n').replace('\r', '\n').split('\n')
    if lines and lines[-1] == '':
        lines.pop()
    return ''.join(l + '\r\n' for l in lines)


# ------------------------------------------------------------------ the zip

def sha256sums(entries):
    """SHA256SUMS.txt for (name, bytes) entries, as sha256sum writes it (CR LF)."""
    return crlf(''.join('%s  %s\n' % (hashlib.sha256(data).hexdigest(), name) for name, data in entries))


def zip_bytes(entries, epoch):
    """A zip of (name, bytes) entries in the given order, every entry dated
    `epoch` (UTC, seconds) and marked rw-r--r--, deflated at level 9."""
    stamp = time.gmtime(max(int(epoch), ZIP_EPOCH))[:6]
    buf = io.BytesIO()
    with zipfile.ZipFile(buf, 'w') as z:
        for name, data in entries:
            info = zipfile.ZipInfo(name, stamp)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.create_system = 3  # Unix, so that the mode below is read
            info.external_attr = ENTRY_MODE << 16
            z.writestr(info, data, compresslevel=9)
    return buf.getvalue()


def release_entries(exe, guide_md, license_text):
    files = [
        ('vekchat.exe', exe),
        ('README.txt', crlf('\n'.join(guide_text(guide_md))).encode('utf-8')),
        ('LICENSE.txt', crlf(license_text).encode('utf-8')),
    ]
    return files + [('SHA256SUMS.txt', sha256sums(files).encode('ascii'))]


def main(argv):
    ap = argparse.ArgumentParser(description=__doc__.split('\n\n')[0])
    ap.add_argument('--text', metavar='GUIDE', help='print the guide as plain text and stop')
    ap.add_argument('--exe')
    ap.add_argument('--guide')
    ap.add_argument('--license')
    ap.add_argument('--time', type=int, help='seconds since 1970 (UTC) for every entry')
    ap.add_argument('--out')
    a = ap.parse_args(argv)
    if a.text:
        with open(a.text, encoding='utf-8') as f:
            sys.stdout.write('\n'.join(guide_text(f.read())) + '\n')
        return 0
    if not all([a.exe, a.guide, a.license, a.time is not None, a.out]):
        ap.error('--exe, --guide, --license, --time and --out are all needed')
    with open(a.exe, 'rb') as f:
        exe = f.read()
    with open(a.guide, encoding='utf-8') as f:
        guide = f.read()
    with open(a.license, encoding='utf-8') as f:
        license_text = f.read()
    data = zip_bytes(release_entries(exe, guide, license_text), a.time)
    tmp = a.out + '.part'
    with open(tmp, 'wb') as f:
        f.write(data)
    os.replace(tmp, a.out)
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
