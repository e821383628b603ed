#!/usr/bin/env python3
"""Draws the artwork of the installed data tree: the album picture
DRAFTS/folder.gif, the preview background IMAGES/tback.png and the
navigation control sets below CTRL/ (nine GIF buttons, the 80 x 48 preview
_pcv.bmp with magenta as its transparent colour, and the .config file).

Needs rsvg-convert (librsvg2-bin) and ImageMagick's convert. Run once, commit
the output; neither the build nor the tests run it.
"""
import os
import subprocess
import sys
import tempfile

ROOT = os.path.normpath(os.path.join(os.path.dirname(__file__), "..", ".."))
RES = os.path.join(ROOT, "resources")
CONVERT = "/usr/bin/convert"

# Button glyphs on a 24 x 24 grid.
GLYPHS = {
    "home": '<path d="M4.5 11.5 12 5.2l7.5 6.3"/><path d="M6.8 10v8.3h10.4V10"/>',
    "up": '<path d="M12 18.5V6.5"/><path d="m7 11.5 5-5 5 5"/>',
    "first": '<path d="M7.5 6.5v11"/><path d="M17 6.5 10.5 12l6.5 5.5z" fill="INK"/>',
    "rev": '<path d="M16 6.5 8.5 12l7.5 5.5z" fill="INK"/>',
    "for": '<path d="M8.5 6.5 16 12l-7.5 5.5z" fill="INK"/>',
    "last": '<path d="M16.5 6.5v11"/><path d="M7 6.5 13.5 12 7 17.5z" fill="INK"/>',
    "back": '<path d="m14.5 6.5-5.5 5.5 5.5 5.5"/>',
    "next": '<path d="m9.5 6.5 5.5 5.5-5.5 5.5"/>',
    "pause": '<path d="M9.5 7v10"/><path d="M14.5 7v10"/>',
}
BUTTONS = ["home", "first", "rev", "for", "last", "up", "back", "next", "pause"]

# Control sets: id, name, button size, tile shape and colours, and the page
# colour the soft edges are blended into (a GIF knows only on and off).
SETS = [
    dict(id=101, name="Klar hell (runde Schaltflächen)", size=32, shape="circle", tile="#ffffff", edge="#d6d3cc",
         ink="#2a2d31", matte="#ffffff"),
    dict(id=102, name="Nacht (dunkle Schaltflächen)", size=32, shape="square", tile="#23262c", edge="#3a3e46",
         ink="#ece9e4", matte="#121317"),
    dict(id=103, name="Linie (schlicht, ohne Fläche)", size=24, shape="none", tile="none", edge="none",
         ink="#2b5f9e", matte="#ffffff"),
    dict(id=104, name="Signal (farbige Schaltflächen)", size=40, shape="circle", tile="#c2462d", edge="#a83a24",
         ink="#ffffff", matte="#ffffff"),
]


def run(*cmd):
    subprocess.run(cmd, check=True)


def svg_button(glyph, s):
    g = GLYPHS[glyph].replace("INK", s["ink"])
    if s["shape"] == "circle":
        tile = f'<circle cx="12" cy="12" r="11.2" fill="{s["tile"]}" stroke="{s["edge"]}" stroke-width=".8"/>'
    elif s["shape"] == "square":
        tile = (f'<rect x=".6" y=".6" width="22.8" height="22.8" rx="5" fill="{s["tile"]}" '
                f'stroke="{s["edge"]}" stroke-width=".8"/>')
    else:
        tile = ""
    scale = 0.8 if s["shape"] != "none" else 1.0
    off = 12 * (1 - scale)
    return ('<svg xmlns="http://www.w3.org/2000/svg" width="24" height="24" viewBox="0 0 24 24">'
            f'{tile}<g transform="translate({off} {off}) scale({scale})" fill="none" stroke="{s["ink"]}" '
            f'stroke-width="2" stroke-linecap="round" stroke-linejoin="round">{g}</g></svg>')


def gif_from_svg(svg, size, matte, out, tmp):
    src, png = os.path.join(tmp, "b.svg"), os.path.join(tmp, "b.png")
    open(src, "w").write(svg)
    run("rsvg-convert", "-w", str(size), "-h", str(size), "-o", png, src)
    gif_from_png(png, matte, out, tmp)


def gif_from_png(png, matte, out, tmp):
    flat, mask = os.path.join(tmp, "f.png"), os.path.join(tmp, "m.png")
    # Colours blended into the expected page colour; only clearly covered
    # pixels stay opaque.
    run(CONVERT, png, "-background", matte, "-flatten", flat)
    run(CONVERT, png, "-alpha", "extract", "-threshold", "45%", mask)
    run(CONVERT, flat, mask, "-alpha", "off", "-compose", "CopyOpacity", "-composite", out)


def control_set(s, tmp):
    folder = os.path.join(RES, "CTRL", f"{s['id']:04d}")
    os.makedirs(folder, exist_ok=True)
    pngs = []
    for b in BUTTONS:
        gif_from_svg(svg_button(b, s), s["size"], s["matte"], os.path.join(folder, f"{b}.gif"), tmp)
        png = os.path.join(tmp, f"{b}.png")
        run("rsvg-convert", "-w", "18", "-h", "18", "-o", png, os.path.join(tmp, "b.svg"))
        pngs.append(png)
    # Preview: four buttons on a card of the set's page colour; outside the
    # card magenta, which the dialog shows as transparent.
    card = os.path.join(tmp, "card.png")
    run(CONVERT, "-size", "80x48", "xc:#ff00ff", "-fill", s["matte"], "-stroke", "#c8c5be",
        "-draw", "rectangle 1,4 78,43", "+antialias", card)
    picks = [pngs[BUTTONS.index(b)] for b in ("rev", "pause", "for", "home")]
    cmd = [CONVERT, card]
    for i, png in enumerate(picks):
        cmd += [png, "-geometry", f"+{4 + i * 18}+13", "-composite"]
    cmd += ["-type", "TrueColor", "BMP3:" + os.path.join(folder, "_pcv.bmp")]
    run(*cmd)
    with open(os.path.join(RES, "CTRL", f"{s['id']:04d}.config"), "w", encoding="utf-8", newline="\n") as f:
        f.write(f"; Corvane Pico Vand - Steuerelemente {s['id']:04d}\n\n[CTRL]\nDE={s['name']}\nID={s['id']}\n"
                f"SIZEX={s['size']}\nSIZEY={s['size']}\n")


FOLDER_SVG = """<svg xmlns="http://www.w3.org/2000/svg" width="240" height="180" viewBox="0 0 240 180">
<path d="M52 50h44l12 12h80a8 8 0 0 1 8 8v74a8 8 0 0 1-8 8H52a8 8 0 0 1-8-8V58a8 8 0 0 1 8-8z" fill="#7f95ab"/>
<rect x="70" y="40" width="96" height="72" rx="4" fill="#ffffff" transform="rotate(-6 118 76)"/>
<rect x="77" y="47" width="82" height="52" rx="2" fill="#b9c7d4" transform="rotate(-6 118 76)"/>
<path d="M80 96l22-24 16 16 12-10 26 22z" fill="#8ea3b8" transform="rotate(-6 118 76)"/>
<path d="M44 78a8 8 0 0 1 8-8h136a8 8 0 0 1 8 8v66a8 8 0 0 1-8 8H52a8 8 0 0 1-8-8z" fill="#98abbe"/>
</svg>"""

TBACK_SVG = """<svg xmlns="http://www.w3.org/2000/svg" width="24" height="24" viewBox="0 0 24 24">
<rect width="24" height="24" fill="#ecebe7"/><circle cx="12" cy="12" r="1" fill="#dcdad4"/></svg>"""


def main():
    with tempfile.TemporaryDirectory() as tmp:
        src = os.path.join(tmp, "folder.svg")
        open(src, "w").write(FOLDER_SVG)
        run("rsvg-convert", "-o", os.path.join(tmp, "folder.png"), src)
        gif_from_png(os.path.join(tmp, "folder.png"), "#d3d7dc", os.path.join(RES, "DRAFTS", "folder.gif"), tmp)
        open(src, "w").write(TBACK_SVG)
        os.makedirs(os.path.join(RES, "IMAGES"), exist_ok=True)
        run("rsvg-convert", "-o", os.path.join(RES, "IMAGES", "tback.png"), src)
        for s in SETS:
            control_set(s, tmp)


if __name__ == "__main__":
    sys.exit(main())
