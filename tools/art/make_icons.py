#!/usr/bin/env python3
"""Draws the program's icon and the three message-type pictures and writes
them as .ico files (32-bit, alpha-transparent) into res/.

Every picture is drawn at a logical 1x scale by a function over (x, y) in a
nominal grid, supersampled, so the same drawing serves each size. Run it from
the project's root: python3 tools/art/make_icons.py
"""
import math
import struct
import sys
from pathlib import Path

SS = 4  # supersampling per axis


def render(draw, w, h, gw, gh):
    """draw(x, y) -> (r, g, b, a) or None, with x, y in grid units gw x gh."""
    px = []
    for j in range(h):
        row = []
        for i in range(w):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sj in range(SS):
                for si in range(SS):
                    x = (i + (si + 0.5) / SS) * gw / w
                    y = (j + (sj + 0.5) / SS) * gh / h
                    c = draw(x, y)
                    if c:
                        a = c[3] / 255.0
                        acc[0] += c[0] * a
                        acc[1] += c[1] * a
                        acc[2] += c[2] * a
                        acc[3] += a
            n = SS * SS
            a = acc[3] / n
            if a > 0:
                row.append((int(acc[0] / acc[3]), int(acc[1] / acc[3]), int(acc[2] / acc[3]), int(a * 255 + 0.5)))
            else:
                row.append((0, 0, 0, 0))
        px.append(row)
    return px


def ico_entry(px):
    h = len(px)
    w = len(px[0])
    header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = bytearray()
    for row in reversed(px):
        for r, g, b, a in row:
            xor += bytes((b, g, r, a))
    stride = ((w + 31) // 32) * 4
    andmask = bytearray()
    for row in reversed(px):
        bits = bytearray(stride)
        for i, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[i // 8] |= 0x80 >> (i % 8)
        andmask += bits
    return w, h, header + bytes(xor) + bytes(andmask)


def write_ico(path, images):
    entries = [ico_entry(p) for p in images]
    out = bytearray(struct.pack("<HHH", 0, 1, len(entries)))
    offset = 6 + 16 * len(entries)
    for w, h, data in entries:
        out += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for _, _, data in entries:
        out += data
    Path(path).write_bytes(bytes(out))


def inside_poly(x, y, pts):
    c = False
    n = len(pts)
    for k in range(n):
        x1, y1 = pts[k]
        x2, y2 = pts[(k + 1) % n]
        if (y1 > y) != (y2 > y) and x < (x2 - x1) * (y - y1) / (y2 - y1) + x1:
            c = not c
    return c


def dist_seg(x, y, a, b):
    ax, ay = a
    bx, by = b
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(x - ax - t * dx, y - ay - t * dy)


# --- the pictures, on a 23 x 24 grid -------------------------------------

ARROW = [(2, 9), (12, 9), (12, 4), (21, 12), (12, 20), (12, 15), (2, 15)]


def arrow(x, y):
    if inside_poly(x, y, ARROW):
        # lighter towards the top: a little depth
        t = y / 24
        return (int(40 + 60 * (1 - t)), int(110 + 80 * (1 - t)), 255, 255)
    for k in range(len(ARROW)):
        if dist_seg(x, y, ARROW[k], ARROW[(k + 1) % len(ARROW)]) < 0.8:
            return (10, 40, 150, 255)
    return None


def face(x, y, cx, facing):
    """A head in profile: round skull, nose and chin towards `facing` (+1 right)."""
    skin = (236, 196, 150, 255)
    hair = (90, 60, 30, 255)
    outline = (60, 40, 20, 255)
    dx = (x - cx) * facing
    head = ((dx) / 5.2) ** 2 + ((y - 10) / 6.5) ** 2
    nose = inside_poly(dx, y, [(4.0, 8.5), (7.0, 12.0), (4.0, 12.5)])
    chin = ((dx - 1.5) / 3.5) ** 2 + ((y - 15.0) / 2.5) ** 2 < 1
    neck = -2.5 < dx < 1.5 and 15 < y < 21
    if head < 1 and y < 6.5 and dx < 2.5:
        return hair
    if head < 1 and dx < -2.5 and y < 12:
        return hair
    if 0.85 < head < 1.0:
        return outline
    if head < 1 or nose or chin or neck:
        if (dx - 2.2) ** 2 + (y - 9) ** 2 < 0.7:
            return (30, 30, 60, 255)  # eye
        if 2.5 < dx < 5.0 and 13.6 < y < 14.2:
            return (170, 60, 60, 255)  # mouth
        return skin
    return None


def faces(x, y):
    return face(x, y, 5.5, +1) or face(x, y, 17.5, -1)


def bird(x, y):
    body = ((x - 11.5) / 5.0) ** 2 + ((y - 13) / 2.4) ** 2 < 1
    head = (x - 17) ** 2 + (y - 11) ** 2 < 2.6 ** 2
    beak = inside_poly(x, y, [(19.0, 10.0), (22.5, 11.5), (19.0, 12.2)])
    tail = inside_poly(x, y, [(7.5, 12.0), (1.0, 9.5), (2.0, 13.0), (1.0, 16.5), (7.5, 14.0)])
    wing_up = inside_poly(x, y, [(9.0, 12.0), (6.0, 2.0), (11.0, 6.0), (14.5, 12.0)])
    wing_dn = inside_poly(x, y, [(10.0, 14.0), (13.0, 21.5), (15.0, 14.0)])
    if beak:
        return (230, 170, 40, 255)
    if (x - 17.8) ** 2 + (y - 10.4) ** 2 < 0.45:
        return (20, 20, 30, 255)
    if wing_up:
        return (90, 110, 150, 255)
    if head or body or tail or wing_dn:
        return (120, 140, 175, 255)
    return None


# --- the program's icon: a speech bubble with a coloured quote -----------

def app_icon(x, y):
    # 32 x 32 grid
    bubble = ((x - 16) / 14) ** 2 + ((y - 13) / 10.5) ** 2
    tail = inside_poly(x, y, [(8, 20), (5, 30), (15, 22)])
    if bubble < 1 or tail:
        edge = bubble > 0.86 and not tail
        if edge:
            return (0, 120, 130, 255)
        if 11 < y < 16:
            if 6 < x < 12:
                return (0, 255, 255, 255)
            if 13.5 < x < 19:
                return (255, 255, 255, 255)
            if 20.5 < x < 26:
                return (160, 160, 160, 255)
        return (20, 24, 32, 255)
    return None


def main():
    res = Path(sys.argv[1] if len(sys.argv) > 1 else "res")
    res.mkdir(exist_ok=True)
    for name, fn in (("type0", arrow), ("type1", faces), ("type2", bird)):
        write_ico(res / f"{name}.ico", [render(fn, 23, 24, 23, 24), render(fn, 46, 48, 23, 24)])
    write_ico(res / "vekchat.ico", [render(app_icon, s, s, 32, 32) for s in (16, 24, 32, 48, 64)])
    print(f"wrote icons into {res}")


if __name__ == "__main__":
    main()
