#!/usr/bin/env python3
"""Writes the committed seed inputs of the fuzz targets (fuzz/corpus/<target>/).

The targets read their input through libFuzzer's FuzzedDataProvider: strings
from the front, numbers from the back. Enc builds an input the same way, so a
seed says in plain words what it makes the target do. Run from anywhere:
    python3 fuzz/make_seeds.py
"""
import base64
import os
import shutil

HERE = os.path.dirname(os.path.abspath(__file__))


class Enc:
    def __init__(self):
        self.front = b""
        self.back = []  # bytes in the order the provider takes them

    def int(self, lo, hi, value):
        assert lo <= value <= hi
        rng, x, n = hi - lo, value - lo, 0
        while n * 8 < 64 and (rng >> (n * 8)) > 0:
            n += 1
        self.back += [(x >> (8 * (n - 1 - i))) & 0xFF for i in range(n)]
        return self

    def bool(self, b):
        self.back.append(1 if b else 0)
        return self

    def char(self, c):  # ConsumeIntegral<char>: -128 + byte
        self.back.append(((c if isinstance(c, int) else ord(c)) + 128) & 0xFF)
        return self

    def text(self, data):
        self.front += data if isinstance(data, bytes) else data.encode("latin-1")
        return self

    def sized(self, hi, data, lo=0):  # a length in [lo, hi], then that many bytes
        data = data if isinstance(data, bytes) else data.encode("latin-1")
        return self.int(lo, hi, len(data)).text(data)

    def string(self, data):  # ConsumeRandomLengthString: a backslash doubled, "\\;" ends it
        data = data if isinstance(data, bytes) else data.encode("latin-1")
        return self.text(data.replace(b"\\", b"\\\\") + b"\\;")

    def bytes(self):
        return self.front + bytes(reversed(self.back))


LEAD = "[2026-12-07 11:30:05] "
LINES = [
    LEAD + '{Bob}":" hello "there" {friend}',
    LEAD + '["CC chat channel line',
    LEAD + 'Bob pages you: "come here"',
    LEAD + "Paged Bob",
    LEAD + "The sun rises.",
]


def write(target, seeds):
    folder = os.path.join(HERE, "corpus", target)
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    for name, data in seeds.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)


def lines_seeds():
    return {
        "log": "\r\n".join(LINES).encode() + b"\r\n",
        "lone_cr_lf": b"a\nb\rc\r\r\n\nd\n",
        "nul": b"x\0y\r\n\0\0\r\n\0",
        "no_break": b"a line that never ends",
    }


class Follow:
    """Events of fuzz_follow, tracking the file size the way the target does."""

    def __init__(self, start_content=None):
        self.e = Enc()
        self.size = 0
        if start_content is None:
            self.e.bool(False)
        else:
            self.e.bool(True).sized(300, start_content)
            self.size = len(start_content)

    def write(self, data):
        self.e.int(0, 10, 0).sized(80, data)
        self.size += len(data)
        return self

    def line(self, data):
        self.e.int(0, 10, 1).sized(60, data)
        self.size += len(data) + 2
        return self

    def run(self, ch, n):
        self.e.int(0, 10, 2).char(ch).int(1, 3 * 65535 // 2, n)
        self.size += n
        return self

    # Passes that read everything or whose read fails. (A short read takes a
    # length within the request, which depends on what the follower has read.)
    def passes(self, kind="whole"):
        if kind == "whole":
            self.e.int(0, 10, 3)
        else:
            self.e.int(0, 10, 4).int(0, 4, 2)
        return self

    def truncate(self, regrow=""):
        self.e.int(0, 10, 5).sized(200, regrow)
        self.size = len(regrow)
        return self

    def shrink(self, to, regrow=""):
        self.e.int(0, 10, 6).int(0, self.size, to).sized(200, regrow)
        self.size = to + len(regrow)
        return self

    def rotate(self, data, found=True):  # found: the renamed file is read to its end
        self.e.int(0, 10, 7 if found else 8).sized(40, data)
        self.size = len(data)
        return self

    def delete(self):
        self.e.int(0, 10, 9)
        self.size = 0
        return self

    def room(self, n):  # zeros after the end, for the writer to write over
        self.e.int(0, 10, 10).int(0, 3, 0).int(1, 2 * 65535, n)
        return self

    def hold(self):  # the renamed log's writer holds it without read sharing, or lets go
        self.e.int(0, 10, 10).int(0, 3, 1)
        return self

    def bytes(self):
        return self.e.bytes()


def follow_seeds():
    pieces = Follow()
    for line in LINES[:3]:
        pieces.write(line[:10]).passes().write(line[10:] + "\r").passes().write("\n")
    pieces.passes()

    existing = Follow(LEAD + "before following\r\n" + LEAD + "half a li")
    existing.passes().write("ne\r\n").line(LINES[0]).passes().truncate().line(LINES[1]).passes("fail").passes()

    rotation = Follow()
    rotation.line(LINES[0]).line(LINES[3]).passes().line(LINES[4]).rotate("new file\r\n").line(LINES[1])
    rotation.write("unfinished").rotate("", found=False).line(LINES[3]).passes()
    rotation.passes().delete().passes().line(LINES[0]).passes()

    long_line = Follow()
    long_line.line(LINES[0]).run("x", 70000).passes().passes().write("\r\n").passes()

    shrink = Follow()
    shrink.line(LINES[0]).line(LINES[1]).passes().shrink(len(LINES[0]) + 2).line(LINES[4]).passes()
    shrink.truncate(LINES[2] + "\r\n" + LINES[3] + "\r\n").passes()
    shrink.write("\0\0\0" + LINES[3] + "\r\0\n").passes()

    room = Follow(LEAD + "before following\r\n" + "\0" * 100)
    room.passes().line(LINES[0]).passes().room(300).line(LINES[1]).passes().write(LINES[2][:20]).passes()
    room.write(LINES[2][20:] + "\r\n").room(70000).passes().line(LINES[3]).passes()

    held = Follow()
    held.line(LINES[0]).passes().line(LINES[1]).rotate("new file\r\n").hold().passes().line(LINES[4])
    held.passes().passes().hold().passes().passes()

    # Found by a 14-minute run: a replaced log whose first line was as long
    # as the old log lost that line.
    replaced = base64.b64decode(
        "WzIwMjYtMTItMDcgMccAAAA6WzIwMTozMAI1AQAwMpQtMTItMDcgcmlzZXtCb2J9IjoiIGhlbGxvICJ0aGVyZXRoZXJlLTA3IDFX"
        "VDpcZWxzZXdoZXJlXG9sZC5sDQtbMjAyNi0xDQoi//////////////9zZXtCb2J9IjoiIGhlbGxvICJ0aGVyZXRoZXJlLTA3IDFX"
        "VDpcZWxzZXdoZXJlXG9sZC5sDQtbMjAyNi0xDQoi////////////////////////IHtmZH1pcm4DZTUBAwkDAx8BcmllbmR9AzUB"
        "AwkfIQE1AQA=")

    # Found by a longer run: a renamed log let go for a moment, found cut,
    # then held again, was given up a pass early.
    held_cut = base64.b64decode(
        "WwAAAAAAAAAAAAAAAAAyMDI2LTEyLTA3IDExOjMwOjA1Tk5OTk5OTmwgbGluMmUKDVswMjYtMTItMDcgMTE6MzA6MDVdIEJvYiBw"
        "YWdlcyB5b3UxOgAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA"
        "AAAAAAAAAAAAAAAAAAABAAAAAAAAAAAAAAAAAAgAAAAAAAAAAAAAAAAAAAAAMzA6MDVdIGJlZm9yZSBmAAFvbGxvd2luZw0KAABp"
        "bmcNCgEAAOsAAADN083NAAAAAAAAAAAAAAAAAAAAAAAEAAAAAAAAAAAAMjn/MDVdY6wgYmVmb3JlIGZvbGxvd2luZw0KAABhAGlu"
        "Zw0KAQAAAAAAAAAAAAAALQAAAM3NbG8mbzA4IDExOs3NyTMwOjA1")

    return {
        "pieces": pieces.bytes(),
        "rotated_held_found_cut": held_cut,
        "room_written_over": room.bytes(),
        "rotated_held": held.bytes(),
        "replaced_first_read_short": replaced,
        "start_existing_truncate": existing.bytes(),
        "rotate_delete": rotation.bytes(),
        "long_line": long_line.bytes(),
        "shrink_nul": shrink.bytes(),
    }


def display_seeds():
    def seed(pattern, log, codepage=1252):
        return Enc().int(-(2**31), 2**31 - 1, codepage).sized(16, pattern).text(log).bytes()

    return {
        "log": seed("{*}\":\" *", "\r".join(LINES)),
        "codepage": seed("* pages you: *", LINES[2] + "\r" + LINES[3], codepage=932),
        "escapes": seed("*\\*", LEAD + "back\\slash\ttab \x80\xff caf\xe9 {\"q\"}\n\0end\r" + "x" * 21),
        "short": seed("", "\r".join(["", "a", "x" * 20, "x" * 21, "x" * 22])),
    }


def compose_seeds():
    N, Q, B, PI, PO, O = range(6)

    def seed(keys, colored):
        e = Enc().sized(200, keys)
        for ch, pick in colored:
            e.char(ch).int(0, 7, pick)
        return e.bytes()

    def colored(runs):
        return [(c, pick) for text, pick in runs for c in text]

    foreign = Enc()
    foreign.sized(200, "").char("a").int(0, 7, 6).int(0, 2**32 - 1, 0x123456).char("b").int(0, 7, Q)
    return {
        "quote_brace": seed('"ab{cd}ef', colored([("ab", Q), ("cd", B), ("ef", N)])),
        "brace_then_quote": seed('{ab"cd"ef', colored([("ab", B), ("cd", Q), ("ef", N)])),
        "other_colors": seed('say "hi" {there}\r\n', colored([("x", Q), ("y", PI), ("z", O), ("w", B), ("v", PO)])),
        "markup_as_text": seed('""', colored([('{"a"}', N), ("b", Q)])),
        "foreign": foreign.bytes(),
    }


def shell_rules_seeds():
    def seed(word, caps, stored, path):
        e = Enc().int(0, 5, word)
        for up in caps:
            e.bool(up)
        e.int(0, 3, 1).int(0, 3, 0).int(0, 3, 2).int(0, 3, 1)
        e.sized(300, stored)
        e.int(48, 960, 96).int(-32768, 32767, 800).int(-32768, 32767, 600).int(0, 100000, 360)
        return e.text(path).bytes()

    return {
        "true": seed(0, [True, False, False, False], "True", "C:\\Logs\\chat.txt"),
        "number": seed(4, [False, True], " -0042 ", "?"),
        "ampersand": seed(5, [True, True, False], "oFf", "C:\\R&D\\log && more&.txt"),
        "junk": seed(2, [False, False], "maybe", "&"),
    }


def message_seeds():
    def seed(type_, a, b):
        return Enc().int(-(2**31), 2**31 - 1, type_).sized(300, a).text(b).bytes()

    return {
        "filter": seed(0, "Text Files (*.txt)|*.txt|All Files (*.*)|*.*", "Logs|*.log|"),
        "path": seed(2, "  C:\\Game\\chat log.txt", '"hi" {there}'),
        "curdir": seed(1, "[uSe CurDIR]", "[Use CurDir]"),
        "page_target": seed(7, 'Bob "the" {great}', "\0\0  C:\\x.txt\0 junk "),
    }


def alerts_placement_seeds():
    INT = (-(2**31), 2**31 - 1)

    def seed(words, line, stored, place=(120, 80, 640, 480, False, 96), dpi=144, rect=None, areas=(), extra=(0, 0, 0, 0)):
        e = Enc().sized(400, words).sized(300, line).sized(80, stored)
        left, top, width, height, maximised, saved_dpi = place
        e.int(-100000, 100000, left).int(-100000, 100000, top).int(1, 100000, width).int(1, 100000, height)
        e.bool(maximised).int(48, 960, saved_dpi).int(48, 960, dpi)
        e.bool(rect is None)
        for v in rect or ():
            e.int(*INT, v)
        e.int(0, 4, len(areas))
        for area in list(areas) + [extra]:
            for v in area:
                e.int(*INT, v)
        return e.bytes()

    screens = [(0, 0, 1920, 1040), (1920, 0, 3200, 1024)]
    many = " ".join("w%d" % i for i in range(1, 26)) + " W3 w3"
    return {
        "names": seed("Orrin, Tess-a; caf\xe9", '{Orrin}":" hello "tess-A" CAF\xe9!', "120,80,640,480,0,96",
                      areas=screens[:1], extra=screens[1]),
        "damaged": seed('"Orrin" {Bob} Or\x01r\x7fin ' + "x" * 40 + " -- ,,", "Bob pages you: " + "x" * 33,
                        "1,2,3,4,0,96,7", place=(-600, -13, 664, 400, True, 192), dpi=96, areas=screens),
        "many_words": seed(many, "w20 w21 W1x w1", " -50 , 0,\t800,600,1,144 ", dpi=48),
        "limits": seed("a", "A", "-100000,100000,100000,100000,1,960", place=(-100000, -100000, 1, 1, True, 960),
                       dpi=48, areas=[(-100000, -100000, -99999, -99999)]),
        "huge": seed("", "", "99999999999999999999,2,3,4,0,96", place=(100000, 100000, 100000, 100000, False, 48),
                     dpi=960, rect=(INT[0], INT[0], INT[1], INT[1]), areas=[(INT[0], 0, INT[1], 10)]),
    }


def names_seeds():
    def line(e, body, crlf=True):
        e.int(0, 4, 0).sized(120, body).bool(crlf)

    def see(e, name, sent=False):
        e.int(0, 4, 1).sized(80, name).bool(sent)

    def typed(e, text):
        e.int(0, 4, 3).sized(20, text)

    lines = Enc()
    for body in ['{Aldric}":" hello "there"', '["CC Traders"] {Brenna}":" 40 gold', "Corvin pages you: {come}",
                 "Paged Dahlia.", "You page Dahlia: see you", "Aldric has connected.", " pages you: nobody",
                 '{Al}":" Bo pages you: hi', "Paged Maximilianus2."]:
        line(lines, body)
    line(lines, "Corvin pages you: no break", crlf=False)
    for text in ["a", "C", "dahlia", "x"]:
        typed(lines, text)

    case = Enc()
    see(case, "Corvin")
    see(case, "CORVIN")
    see(case, "corvin", sent=True)
    see(case, "Cor")
    typed(case, "cor")
    typed(case, "co")
    case.int(0, 4, 4).int(0, 1, 1).int(0, 6, 4)  # "corv" from the older name, some letters raised
    for up in [False, True, False, True]:
        case.bool(up)

    junk = Enc()
    see(junk, 'Bo"b{}\r\n', sent=True)
    see(junk, '"{}\x7f\x00', sent=True)
    see(junk, "x" * 65)
    line(junk, "\x01Ed\x7fric pages you: hi")
    typed(junk, "B")

    fill = Enc().int(0, 4, 2).int(1, 300, 300).int(1, 7, 3)
    typed(fill, "nm1")
    typed(fill, "NM2")

    return {"lines": lines.bytes(), "case": case.bytes(), "junk": junk.bytes(), "fill": fill.bytes()}


def history_seeds():
    def send(e, markup, type_=0, page_to=""):
        e.int(0, 3, 0).int(-1, 3, type_).sized(12, page_to).sized(3, markup)

    def back(e, draft=None):  # draft: what the composer holds when Back leaves it
        e.int(0, 3, 1)
        if draft is not None:
            e.bool(bool(draft))
            if draft:
                content, type_, page_to = draft
                e.sized(8, content).int(-(2**31), 2**31 - 1, type_).sized(8, page_to)

    def forward(e):
        e.int(0, 3, 2)

    walk = Enc()
    send(walk, "hi", 2, "Bob")
    send(walk, "yo")
    send(walk, "yo")
    walk.int(0, 3, 3)  # the newest again
    back(walk, ("{\\rtf1}", 2, "Al"))
    back(walk)
    back(walk)
    forward(walk)
    forward(walk)
    forward(walk)
    back(walk, ())  # left without saving a draft
    forward(walk)

    clean = Enc()
    send(clean, "x", 2, '"B{o}b"\t\x7f')
    send(clean, "x", 2, "Bob")
    send(clean, "x", 3, "Bob")
    send(clean, "x", -1, "")
    send(clean, "", 2, "Bob")

    fill = Enc()
    for i in range(110):
        send(fill, str(i), i % 3, "Al")
    for _ in range(3):
        back(fill, ("d", 0, ""))
        forward(fill)

    return {"walk": walk.bytes(), "clean": clean.bytes(), "fill": fill.bytes()}


def find_seeds():
    def seed(text, what, selection, a, b, down, match_case, whole_word):
        e = Enc().sized(300, text).sized(8, what).sized(200, selection)
        return e.int(0, 310, a).int(0, 310, b).bool(down).bool(match_case).bool(whole_word).bytes()

    text = "Orrin: hello\rorrin's cat\rOrrinson left\rhello ORRIN\r"
    return {
        "up_from_end": seed(text, "orrin", "Orrin", len(text), len(text), False, False, False),
        "down_whole_word": seed(text, "ORRIN", "two\r\nlines", 0, 5, True, False, True),
        "match_case": seed(text, "orrin", "", 45, 50, False, True, False),
        "letters": seed("x \xf1 \xf3\xf4 \xfc\xfb \xf9\xfa y", "\xf0\xf4", "x" * 130, 0, 0, True, False, True),
    }


def session_seeds():
    LOG, REST, INPUT, NOTICE, RUN, STOP = 0, 1, 2, 3, 4, 6

    def find(e, what, a, b, down, match_case, whole_word, entries):
        e.string(what)
        for entry, offset in (a, b):
            e.int(0, entries, entry).int(0, 130, offset)
        return e.bool(down).bool(match_case).bool(whole_word)

    lines = Enc().int(64, 4096, 64)
    for kind, text in [
        (LOG, LEAD + '{Bob}":" hello "there" {friend}'),   # one entry each, but where noted
        (LOG, LEAD + 'You page Bob: "hi'),
        (NOTICE, 'VekChat: "waits" {x}'),
        (LOG, LEAD + "two\rparagraphs"),                  # two
        (LOG, "x" * 21),                                   # the line break alone
        (LOG, "x" * 20),                                   # none
        (REST, "rest of a cut line"),
        (INPUT, LEAD + "typed\r\n"),
        (LOG, LEAD + "nul\0\r\0\nlf"),                  # two
    ]:
        lines.int(0, 6, kind).string(text)
    lines.int(0, 6, STOP)
    find(lines, "bob", (10, 0), (10, 0), False, False, False, 10)
    find(lines, "HELLO", (0, 0), (0, 0), True, False, True, 10)
    find(lines, "lf", (3, 2), (5, 1), False, True, False, 10)

    long = Enc().int(64, 4096, 100).int(0, 6, RUN).int(0, 9000, 5000).char("x")
    long.int(0, 6, LOG).string(LEAD + "after the long one").int(0, 6, STOP)
    find(long, "xxx", (0, 100), (0, 100), True, False, False, 2)
    return {"lines": lines.bytes(), "long_line": long.bytes()}


if __name__ == "__main__":
    write("fuzz_lines", lines_seeds())
    write("fuzz_follow", follow_seeds())
    write("fuzz_display", display_seeds())
    write("fuzz_markup_compose", compose_seeds())
    write("fuzz_shell_rules", shell_rules_seeds())
    write("fuzz_message", message_seeds())
    write("fuzz_alerts_placement", alerts_placement_seeds())
    write("fuzz_names", names_seeds())
    write("fuzz_history", history_seeds())
    write("fuzz_find", find_seeds())
    write("fuzz_session", session_seeds())
