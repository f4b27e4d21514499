#!/usr/bin/env python3
"""Writes glyphs/glyph_data.cpp: a 5 x 7 glyph for every code 0x20-0xFF of every code page the
display offers, the character of every code in each page, and the signs a page may lack that can
be drawn as user-defined characters; prints per code page how many codes are drawn from the
font, drawn here by hand, or missing.

The shapes come from the X11 misc-fixed 5x7 font (Debian package xfonts-base, read through
pcf2bdf), the code-page-to-Unicode tables from the charmaps of Debian's locales package; the
half-width Katakana and the few other characters the font lacks are drawn below.

    scripts/make_glyphs.py [--output FILE]   (default: glyphs/glyph_data.cpp)
"""

import argparse
import gzip
import pathlib
import re
import subprocess
import sys

FONT = pathlib.Path("/usr/share/fonts/X11/misc/5x7.pcf.gz")
CHARMAPS = pathlib.Path("/usr/share/i18n/charmaps")

# The name in parentheses in the display's code page list, and the charmap that decodes it.
# None: the page is JIS X 0201, ASCII below 0x7F and the hand-drawn Katakana above, which are
# the half-width Katakana U+FF61 to U+FF9F.
CODE_PAGES = [
    ("CP-437", "IBM437"),
    ("CP-1252", "CP1252"),
    ("CP-852", "IBM852"),
    ("CP-1257", "CP1257"),
    ("CP-863", "IBM863"),
    ("CP-1253", "CP1253"),
    ("CP-1255", "CP1255"),
    ("CP-865", "IBM865"),
    ("CP-866", "IBM866"),
    ("CP-858", "IBM858"),
    ("Katakana", None),
]

FIRST_CODE = 0x20
ROWS = 7
COLUMNS = 5

# Half-width Katakana, JIS X 0201 codes 0xA1-0xDF: punctuation, small kana, the prolonged
# sound mark, the kana proper, then the two voicing marks.
KATAKANA = """
A1 .....  .....  .....  .....  ###..  #.#..  ###..
A2 ###..  #....  #....  #....  .....  .....  .....
A3 .....  .....  .....  ....#  ....#  ....#  ..###
A4 .....  .....  .....  .....  #....  .#...  ..#..
A5 .....  .....  .....  .##..  .##..  .....  .....
A6 #####  ....#  #####  ....#  ...#.  ..#..  .#...
A7 .....  .....  #####  ....#  ..##.  ..#..  .#...
A8 .....  .....  ....#  ...#.  ..##.  .#.#.  ...#.
A9 .....  .....  ..#..  #####  #...#  ....#  ..##.
AA .....  .....  .....  #####  ..#..  ..#..  #####
AB .....  .....  ...#.  #####  ..##.  .#.#.  #..#.
AC .....  .....  .#...  #####  .#..#  .#.#.  .#...
AD .....  .....  .....  .###.  ...#.  ...#.  #####
AE .....  .....  ####.  ...#.  .###.  ...#.  ####.
AF .....  .....  .....  #.#.#  #.#.#  ....#  ..##.
B0 .....  .....  .....  #####  .....  .....  .....
B1 #####  ....#  ..#.#  ..##.  ..#..  ..#..  .#...
B2 ....#  ...#.  ..#..  .##..  #.#..  ..#..  ..#..
B3 ..#..  #####  #...#  #...#  ....#  ...#.  ..#..
B4 .....  #####  ..#..  ..#..  ..#..  ..#..  #####
B5 ...#.  #####  ...#.  ..##.  .#.#.  #..#.  ...#.
B6 .#...  #####  .#..#  .#..#  .#..#  #...#  #..#.
B7 ..#..  #####  ..#..  #####  ..#..  ..#..  ..#..
B8 .#...  .####  #...#  ....#  ...#.  ..#..  ##...
B9 .#...  .####  #..#.  ...#.  ...#.  ..#..  .#...
BA .....  #####  ....#  ....#  ....#  ....#  #####
BB .#.#.  #####  .#.#.  .#.#.  ...#.  ..#..  .#...
BC .....  ##...  ....#  ##..#  ....#  ...#.  ###..
BD .....  #####  ....#  ...#.  ..#..  .#.#.  #...#
BE .#...  #####  .#..#  .#.#.  .#...  .#...  ..###
BF .....  #...#  #...#  .#..#  ....#  ...#.  .##..
C0 .#...  .####  #...#  #.#.#  ...#.  ..#..  ##...
C1 ...#.  ###..  ..#..  #####  ..#..  ..#..  .#...
C2 .....  #.#.#  #.#.#  #.#.#  ....#  ...#.  ..#..
C3 .###.  .....  #####  ..#..  ..#..  ..#..  .#...
C4 .#...  .#...  .#...  .##..  .#.#.  .#...  .#...
C5 ..#..  ..#..  #####  ..#..  ..#..  .#...  #....
C6 .....  .###.  .....  .....  .....  .....  #####
C7 #####  ....#  .#.#.  ..#..  .#.#.  #....  .....
C8 ..#..  #####  ...#.  ..#..  .###.  #.#.#  ..#..
C9 ....#  ....#  ....#  ...#.  ...#.  ..#..  ##...
CA .....  ..#..  ...#.  #...#  #...#  #...#  .....
CB #....  #....  #####  #....  #....  #....  .####
CC .....  #####  ....#  ....#  ...#.  ..#..  ##...
CD .....  .....  .#...  #.#..  ...#.  ....#  .....
CE ..#..  #####  ..#..  ..#..  #.#.#  #.#.#  ..#..
CF .....  #####  ....#  ....#  .#.#.  ..#..  ...#.
D0 .##..  ...#.  .##..  ...#.  .##..  ...##  .....
D1 ..#..  ..#..  .#...  .#...  #..#.  #####  ....#
D2 ....#  ....#  .#.#.  ..#..  .#.#.  #....  .....
D3 .....  #####  ..#..  #####  ..#..  ..#..  ...##
D4 .#...  #####  .#..#  .#.#.  .#...  .#...  .#...
D5 .....  .###.  ...#.  ...#.  ...#.  ...#.  #####
D6 #####  ....#  ....#  #####  ....#  ....#  #####
D7 .###.  .....  #####  ....#  ....#  ...#.  .##..
D8 #...#  #...#  #...#  #...#  ....#  ...#.  ..#..
D9 ..#..  #.#..  #.#..  #.#..  #.#.#  #.##.  ..#..
DA #....  #....  #....  #...#  #..#.  #.#..  ##...
DB .....  #####  #...#  #...#  #...#  #####  .....
DC .....  #####  #...#  ....#  ...#.  ..#..  .#...
DD .....  #....  .#..#  ....#  ....#  ...#.  ###..
DE #.#..  .#.#.  .....  .....  .....  .....  .....
DF ###..  #.#..  ###..  .....  .....  .....  .....
"""

# Characters the code pages hold and the font lacks, by Unicode code point. The Hebrew points
# and the direction marks are left out: they show only on or beside another character.
DRAWN = """
20AA .....  ###.#  #.#.#  #.#.#  #.#.#  #.###  .....
05C0 ..#..  ..#..  ..#..  ..#..  ..#..  ..#..  .....
05C3 .....  .....  ..#..  .....  .....  ..#..  .....
05F0 ##.##  .#..#  .#..#  .#..#  .#..#  .#..#  .....
05F1 ##.##  .#..#  ....#  ....#  ....#  ....#  .....
05F2 ##.##  .#..#  .....  .....  .....  .....  .....
05F3 ...#.  ..#..  .....  .....  .....  .....  .....
05F4 .#.#.  #.#..  .....  .....  .....  .....  .....
20A9 #...#  #...#  #####  #.#.#  #####  .#.#.  .#.#.
20B1 .###.  #####  .#..#  #####  .###.  .#...  .#...
20B4 .###.  ....#  #####  .##..  #####  #....  .###.
20B8 #####  .....  #####  ..#..  ..#..  ..#..  ..#..
20B9 #####  ....#  #####  ...#.  ###..  ..#..  ...#.
20BA .#...  .##..  ##...  .##..  ##...  .#..#  .###.
20BC ..#..  .###.  #.#.#  #.#.#  #...#  #...#  .....
20BD .###.  .#..#  .#..#  ####.  .#...  ###..  .#...
20BE .#.#.  .###.  ##.##  #...#  #....  .#...  #####
"""

# The blocks whose characters a welcome line may hold where its page lacks them: the font's
# glyphs there become user-defined characters on request. Latin, Greek, Cyrillic and Hebrew,
# Vietnamese and extended Greek, punctuation and currency, letterlike signs.
SIGN_BLOCKS = [(0x00A0, 0x05FF), (0x1E00, 0x1FFF), (0x2010, 0x20CF), (0x2100, 0x214F)]


def drawn_glyphs(table):
    """Code or code point -> glyph rows (bit 4 is the leftmost column) from a table of '#'/'.' rows."""
    glyphs = {}
    for line in table.strip().splitlines():
        code, *rows = line.split()
        assert len(rows) == ROWS and all(len(r) == COLUMNS and set(r) <= set("#.") for r in rows), line
        glyphs[int(code, 16)] = tuple(int(r.replace("#", "1").replace(".", "0"), 2) for r in rows)
    return glyphs


def font_glyphs():
    """Unicode code point -> glyph rows, for every glyph the font encodes."""
    pcf = gzip.decompress(FONT.read_bytes())
    bdf = subprocess.run(["pcf2bdf"], input=pcf, capture_output=True, check=True).stdout.decode("latin-1")
    glyphs = {}
    for encoding, bbx, bitmap in re.findall(
        r"^ENCODING (-?\d+)\n.*?^BBX (.*?)\nBITMAP\n(.*?)^ENDCHAR", bdf, re.M | re.S
    ):
        # Every glyph of this font fills its whole 5 x 7 cell, the descender row included.
        assert bbx.split() == ["5", "7", "0", "-1"], bbx
        rows = tuple(int(r, 16) >> 3 for r in bitmap.split())
        assert len(rows) == ROWS
        glyphs[int(encoding)] = rows
    return glyphs


def charmap(name):
    """Byte -> Unicode code point of a single-byte charmap."""
    text = gzip.decompress((CHARMAPS / f"{name}.gz").read_bytes()).decode("latin-1")
    return {int(b, 16): int(u, 16) for u, b in re.findall(r"^<U([0-9A-F]+)>\s+/x([0-9a-f]{2})\s", text, re.M)}


def is_control(code_point):
    return code_point < 0x20 or 0x7F <= code_point <= 0x9F


def page_characters(charmap_name):
    """Code -> Unicode code point for the codes 0x20-0xFF that stand for a character."""
    characters = {}
    unicode_of = charmap(charmap_name) if charmap_name else {}
    for code in range(FIRST_CODE, 0x100):
        if charmap_name is None:
            code_point = code if code < 0x7F else 0xFF61 + code - 0xA1 if 0xA1 <= code <= 0xDF else None
        else:
            code_point = unicode_of.get(code) if code >= 0x7F else code
        if code_point is not None and not is_control(code_point):
            characters[code] = code_point
    return characters


def page_glyphs(charmap_name, font, katakana, drawn):
    """Code -> (glyph rows, where from) for the codes 0x20-0xFF that have a glyph."""
    glyphs = {}
    for code, code_point in page_characters(charmap_name).items():
        if charmap_name is None:
            glyphs[code] = (font[code] if code < 0x7F else katakana[code], "font" if code < 0x7F else "hand")
            continue
        if code_point in font:
            glyphs[code] = (font[code_point], "font")
        elif code_point in drawn:
            glyphs[code] = (drawn[code_point], "hand")
    return glyphs


def sign_glyphs(font, drawn):
    """Code point -> glyph rows of every character a user-defined character may stand for."""
    signs = {cp: rows for cp, rows in font.items() if any(lo <= cp <= hi for lo, hi in SIGN_BLOCKS)}
    signs.update(drawn)
    return {cp: rows for cp, rows in signs.items() if not is_control(cp)}


def generate(pages, signs):
    shapes = []
    index_of = {}

    def shape_index(rows):
        if rows not in index_of:
            index_of[rows] = len(shapes)
            shapes.append(rows)
        return index_of[rows]

    tables = []
    for name, glyphs, characters in pages:
        indexes = []
        for code in range(FIRST_CODE, 0x100):
            indexes.append(str(shape_index(glyphs[code][0])) if code in glyphs else "none")
        code_points = [f"0x{characters.get(code, 0):04X}" for code in range(0x100)]
        tables.append((name, indexes, code_points))
    sign_entries = [(cp, shape_index(signs[cp])) for cp in sorted(signs)]

    out = [
        "// Generated by scripts/make_glyphs.py from the X11 misc-fixed 5x7 font (glyphs/FONT-LICENSE),",
        "// the code page charmaps of Debian's locales package and the script's own drawings. Run the",
        "// script again instead of editing this file.",
        "// clang-format off",
        '#include "glyphs/glyph_table.h"',
        "",
        "namespace pds {",
        "namespace {",
        "",
        "constexpr std::uint16_t none = no_glyph;",
        "",
        "constexpr GlyphRows shapes[] = {",
    ]
    for i in range(0, len(shapes), 4):
        out.append("    " + " ".join("{" + ",".join(f"0x{r:02X}" for r in s) + "}," for s in shapes[i : i + 4]))
    out += ["};", "", "constexpr GlyphTable tables[] = {"]
    for name, indexes, code_points in tables:
        out.append(f'    {{"{name}", {{')
        for i in range(0, len(indexes), 16):
            out.append("        " + ",".join(indexes[i : i + 16]) + ",")
        out.append("    }, {{")
        for i in range(0, len(code_points), 16):
            out.append("        " + ",".join(code_points[i : i + 16]) + ",")
        out.append("    }}},")
    out += ["};", "", "constexpr SignGlyph signs[] = {"]
    for i in range(0, len(sign_entries), 6):
        out.append("    " + " ".join(f"{{0x{cp:04X},{index}}}," for cp, index in sign_entries[i : i + 6]))
    out += [
        "};",
        "",
        "} // namespace",
        "",
        "std::span<const GlyphRows> glyph_shapes() { return shapes; }",
        "std::span<const GlyphTable> glyph_tables() { return tables; }",
        "std::span<const SignGlyph> sign_glyph_table() { return signs; }",
        "",
        "} // namespace pds",
        "",
    ]
    return "\n".join(out)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    root = pathlib.Path(__file__).resolve().parent.parent
    parser.add_argument("--output", type=pathlib.Path, default=root / "glyphs" / "glyph_data.cpp")
    args = parser.parse_args()

    font = font_glyphs()
    katakana = drawn_glyphs(KATAKANA)
    drawn = drawn_glyphs(DRAWN)
    pages = [
        (name, page_glyphs(source, font, katakana, drawn), page_characters(source)) for name, source in CODE_PAGES
    ]
    signs = sign_glyphs(font, drawn)

    print(f"{'code page':<10} {'font':>5} {'hand':>5} {'missing':>8}   (codes 0x20-0xFF)")
    for name, glyphs, _ in pages:
        sources = [where for _, where in glyphs.values()]
        missing = 0x100 - FIRST_CODE - len(glyphs)
        print(f"{name:<10} {sources.count('font'):>5} {sources.count('hand'):>5} {missing:>8}")

    args.output.parent.mkdir(parents=True, exist_ok=True)
    print(f"{len(signs)} characters can become user-defined characters")
    args.output.write_text(generate(pages, signs))


if __name__ == "__main__":
    sys.exit(main())
