#!/usr/bin/python3
"""Reference glyph metrics read straight from the installed font files.

Writes glyph_metrics.tsv: per glyph the font's units per em, the OS/2
Windows ascent and descent, the glyph's advance and the exact bounds of its
outline, all in design units. The font files are found through fontconfig
(fc-match), as the program finds them. Run: /usr/bin/python3 glyph_metrics.py
"""

import os
import subprocess

from fontTools.pens.boundsPen import BoundsPen
from fontTools.ttLib import TTFont

# (requested family, installed family, code units) - the code units are the
# glyph codes of the math symbol table and a few letters.
CASES = [
    ("cmr10", "cmr10", [0x6D, 0x4D, 0x30, 0xA1, 0xAD, 0x2B, 0x3D, 0x5E, 0xC4]),
    ("cmmi10", "cmmi10", [0xAE, 0xAF, 0xC2, 0x21, 0x2219, 0x3C, 0x40, 0x6D]),
    ("cmsy10", "cmsy10", [0x7D, 0xA1, 0xA7, 0x2219, 0xB8, 0x31, 0x21, 0xC3]),
    ("cmex10", "cmex10", [0x5A, 0x50, 0x58, 0x52]),
    ("msam10", "msam10", [0x43, 0x60, 0xA4]),
    ("msbm10", "msbm10", [0x7D, 0x66]),
    ("Symbol", "Standard Symbols PS", [0xA2, 0x40, 0xB9, 0x28, 0x7B, 0x70]),
    ("times new roman", "Liberation Serif", [0x6D, 0x4D, 0x41, 0x30, 0x67]),
]


def font_file(family):
    out = subprocess.run(["fc-match", "-f", "%{family}\t%{file}", family + ":style=Regular"],
                         capture_output=True, text=True, check=True).stdout
    resolved, path = out.split("\t")
    return resolved.split(",")[0], path


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    rows = ["family\tcode\tupem\twin_ascent\twin_descent\tadvance\txmin\tymin\txmax\tymax"]
    for requested, installed, codes in CASES:
        resolved, path = font_file(installed)
        assert resolved == installed, (installed, resolved)
        font = TTFont(path)
        cmap = font.getBestCmap()
        glyphs = font.getGlyphSet()
        upem = font["head"].unitsPerEm
        os2 = font["OS/2"]
        for code in codes:
            name = cmap[code]
            pen = BoundsPen(glyphs)
            glyphs[name].draw(pen)
            xmin, ymin, xmax, ymax = pen.bounds or (0, 0, 0, 0)
            advance = font["hmtx"][name][0]
            rows.append("\t".join(str(v) for v in (
                requested, "%04X" % code, upem, os2.usWinAscent, os2.usWinDescent, advance,
                "%.4f" % xmin, "%.4f" % ymin, "%.4f" % xmax, "%.4f" % ymax)))
    with open(os.path.join(here, "glyph_metrics.tsv"), "w") as f:
        f.write("\n".join(rows) + "\n")


if __name__ == "__main__":
    main()
