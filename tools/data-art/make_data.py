#!/usr/bin/env python3
"""Writes the text part of the installed data tree: preset files
(resources/CONFIG), page templates with their stylesheets and icons
(resources/DRAFTS/<n>/) and the information pages (resources/DE).

Run once after changing designs.py, styles.py or the texts below; the output
is committed. Neither the build nor the tests run this script.
"""
import os
import sys

sys.path.insert(0, os.path.dirname(__file__))
from designs import PRESETS, STYLE_KEYS, THEMES, TODAY, TODAY_FORMAT, icon_svg  # noqa: E402
from styles import family, follows_dark, pcv2_css, pcv_css  # noqa: E402
import texts  # noqa: E402
from viewer import VIEWER_JS  # noqa: E402

ROOT = os.path.normpath(os.path.join(os.path.dirname(__file__), "..", ".."))
RES = os.path.join(ROOT, "resources")


def write(path, text):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write(text)


# ---------------------------------------------------------------- templates

def head(p, script_tail):
    links = ""
    if p.get("today"):
        script_tail += VIEWER_JS
        # A page that arrives in pieces would paint its centred rows half
        # filled and move them as the rest comes; it paints once it is whole.
        links = '<link rel="expect" href="#pv-end" blocking="render">\n'
    links += '<link rel="stylesheet" href="pcv_image_folder/pcv.css">\n'
    if pcv2_css(p):
        links += '<link rel="stylesheet" href="pcv_image_folder/pcv2.css">\n'
    return ("<!DOCTYPE html>\n"
            '<html lang="de">\n<head>\n<meta charset="utf-8">\n'
            '<meta name="viewport" content="width=device-width, initial-scale=1">\n'
            f"<title>CORVANE_PICOVAND_TITLE</title>\n"
            # The project's name arrives escaped for an attribute as well.
            '<meta name="description" content="Fotogalerie „CORVANE_PICOVAND_TITLE“">\n'
            # No icon of its own: the browser asks for none.
            '<link rel="icon" href="data:,">\n'
            f"{links}"
            '<script type="text/javascript">\nCORVANE_PICOVAND_JAVA_CODE\n' + script_tail + "</script>\n"
            "</head>\n")


def page_end(p):
    end = '<div id="pv-end" hidden></div>\n' if p.get("today") else ""
    return end + "</body>\n</html>\n"


# Arrow keys and a left or right swipe follow the links marked rel="prev" and
# rel="next". It shares the one script element, so the script-free option
# removes it with the rest and the links alone lead on.
SWIPE = """(function () {
  var x = null, y = 0;
  document.addEventListener('touchstart', function (e) {
    if (e.touches.length !== 1) { x = null; return; }
    x = e.touches[0].clientX; y = e.touches[0].clientY;
  }, {passive: true});
  document.addEventListener('touchend', function (e) {
    if (x === null) return;
    var dx = e.changedTouches[0].clientX - x, dy = e.changedTouches[0].clientY - y;
    x = null;
    if (Math.abs(dx) >= 40 && Math.abs(dx) >= 1.5 * Math.abs(dy)) PicoVand_go(dx > 0 ? 'prev' : 'next');
  }, {passive: true});
})();
"""

KEYS = """function PicoVand_go(rel) {
  var a = document.querySelector('a[rel="' + rel + '"]');
  if (a && a.getAttribute('href') !== '#') location.href = a.href;
}
document.addEventListener('keydown', function (e) {
  var rel = {ArrowLeft: 'prev', ArrowRight: 'next'}[e.key];
  if (rel && !e.altKey && !e.ctrlKey && !e.metaKey && !e.shiftKey) PicoVand_go(rel);
});
""" + SWIPE

# The slideshow program brings its own arrow keys and swipe; the page adds
# the space bar for play and stop.
SCRIPT_KEYS = """document.addEventListener('keydown', function (e) {
  if (e.altKey || e.ctrlKey || e.metaKey) return;
  if (e.key === ' ') { e.preventDefault(); if (PicoVand_playing) PicoVand_stop(); else PicoVand_play(); }
});
"""


def icon(name, alt, size=22):
    return f'<img src="pcv_image_folder/{name}.svg" alt="{alt}" width="{size}" height="{size}">'


def button(token, name, alt, rel=""):
    rel_attr = f' rel="{rel}"' if rel else ""
    return f'<a class="pv-btn" href="{token}"{rel_attr} title="{alt}">{icon(name, alt)}</a>'


HOME_BUTTON = button("CORVANE_PICOVAND_NAVHOME", "home", "Startseite")
UP_BUTTON = button("CORVANE_PICOVAND_NAVUP", "up", "Übergeordnetes Album")


def paging(link_first="Erste Seite", link_back="Vorherige Seite", link_next="Nächste Seite", link_last="Letzte Seite"):
    return ('<div class="pv-group pv-paging">\n'
            + button("CORVANE_PICOVAND_NAVFIRST", "first", link_first) + "\n"
            + button("CORVANE_PICOVAND_NAVBACK", "prev", link_back, "prev") + "\n"
            + '<span class="pv-pages">CORVANE_PICOVAND_NAV123</span>\n'
            + button("CORVANE_PICOVAND_NAVNEXT", "next", link_next, "next") + "\n"
            + button("CORVANE_PICOVAND_NAVLAST", "last", link_last) + "\n"
            + "</div>\n")


def exif_list(slot):
    rows = [("Hersteller", f"PCV_EXIF_MAKE_{slot}"), ("Kamera", f"PCV_EXIF_MODEL_{slot}"), ("Aufnahme", f"PCV_EXIF_DATE_{slot}"),
            ("Belichtung", f"PCV_EXIF_EXPOSURE_{slot}"), ("Blende", f"PCV_EXIF_FNUMBER_{slot}"),
            ("Empfindlichkeit", f"PCV_EXIF_ISO_{slot}"), ("Brennweite", f"PCV_EXIF_FOCAL_{slot}")]
    return ('<dl class="pv-exif">\n'
            + "".join(f"<div><dt>{k}</dt><dd>{v}</dd></div>\n" for k, v in rows)
            + "</dl>\n")


def slot(p, s):
    exif = ""
    if p.get("exif") and family(p) == 1:
        exif = (f'<span class="pv-exif"><span>PCV_EXIF_MODEL_{s}</span><span>PCV_EXIF_FNUMBER_{s}</span>'
                f'<span>PCV_EXIF_EXPOSURE_{s}</span><span>PCV_EXIF_ISO_{s}</span><span>PCV_EXIF_FOCAL_{s}</span></span>')
    return (f'<figure class="pv-slot"><div class="pv-pic">PCV_{s:03d}</div>'
            f"<figcaption>PCV_{s:03d}_COMMENT{exif}</figcaption></figure>\n")


# The navigation names its targets once more, so the stylesheet can leave out
# a group with nowhere to go.
NAV_TARGETS = ('data-home="CORVANE_PICOVAND_NAVHOME" data-up="CORVANE_PICOVAND_NAVUP" '
               'data-back="CORVANE_PICOVAND_NAVBACK" data-next="CORVANE_PICOVAND_NAVNEXT"')
PAGE_TARGETS = 'data-back="CORVANE_PICOVAND_NAVBACK" data-next="CORVANE_PICOVAND_NAVNEXT"'


def webalb(p):
    nav_up = ""
    if p["albums"]:
        nav_up = f'<div class="pv-group pv-tree">\n{HOME_BUTTON}\n{UP_BUTTON}\n</div>\n'
    # One slot, repeated by the program for each entry of a page.
    return (head(p, script_tail=KEYS)
            + '<body>\n<div class="pv pv-album">\n'
            + '<header class="pv-head">\n<h1>CORVANE_PICOVAND_FOLDER</h1>\n</header>\n'
            + '<main class="pv-grid" style="--cols: CORVANE_PICOVAND_COLUMNS">\n'
            + f"<!--PCV_SLOT-->{slot(p, 0)}<!--/PCV_SLOT-->\n</main>\n"
            + f'<nav class="pv-nav" aria-label="Albumseiten" {NAV_TARGETS}>\n{nav_up}{paging()}</nav>\n'
            + "</div>\n" + page_end(p))


def show_page(p, stage_extra="", back_link=""):
    exif = exif_list(0) if p.get("exif") else ""
    return (head(p, script_tail=KEYS)
            + '<body>\n<div class="pv pv-show">\n'
            + '<header class="pv-head">\n<h1>CORVANE_PICOVAND_TITLE</h1>\n'
            + f'<div class="pv-meta">\n{back_link}<span class="pv-count">CORVANE_PICOVAND_CURRENTIMAGE</span>\n</div>\n'
            + "</header>\n"
            + '<main>\n<div class="pv-stage">CORVANE_PICOVAND_IMAGE</div>\n' + stage_extra
            + '<p class="pv-caption">CORVANE_PICOVAND_COMMENT</p>\n'
            + exif + "</main>\n"
            + f'<nav class="pv-nav" aria-label="Bilder" {PAGE_TARGETS}>\n'
            + paging("Erstes Bild", "Vorheriges Bild", "Nächstes Bild", "Letztes Bild") + "</nav>\n"
            + "</div>\n" + page_end(p))


def htmlsld(p):
    back = ""
    if family(p) == 7:
        # The slideshow opens from the album; the way back leads to its start page.
        back = f'<a class="pv-back" href="pcv00000.htm">{icon("grid", "", 18)}Übersicht</a>\n'
    return show_page(p, back_link=back)


def sldprv(p):
    cells = [f'<span class="pv-s pv-r{k}">PCV_PREV_R{k}</span>' for k in range(9, 0, -1)]
    cells.append('<span class="pv-s pv-cur">PCV_PREV_C</span>')
    cells += [f'<span class="pv-s pv-f{k}">PCV_PREV_F{k}</span>' for k in range(1, 10)]
    strip = '<div class="pv-strip" role="navigation" aria-label="Vorschau">\n' + "\n".join(cells) + "\n</div>\n"
    return show_page(p, stage_extra=strip)


def javasld(p):
    def ctl(fn, name, alt, extra=""):
        return (f'<button type="button" class="pv-btn{extra}" onclick="{fn}()" title="{alt}">'
                f"{icon(name, alt)}</button>\n")
    controls = ('<div class="pv-controls">\n'
                + ctl("PicoVand_gofirst", "first", "Erstes Bild")
                + ctl("PicoVand_goback", "prev", "Vorheriges Bild")
                + ctl("PicoVand_play", "play", "Diashow starten", " pv-play")
                + ctl("PicoVand_stop", "pause", "Diashow anhalten")
                + ctl("PicoVand_gonext", "next", "Nächstes Bild")
                + ctl("PicoVand_golast", "last", "Letztes Bild")
                + "</div>\n")
    return (head(p, script_tail=SCRIPT_KEYS)
            + '<body>\n<div class="pv pv-show">\n'
            + '<header class="pv-head">\n<h1>CORVANE_PICOVAND_TITLE</h1>\n</header>\n'
            + '<main>\n<div class="pv-stage">CORVANE_PICOVAND_IMAGE</div>\n'
            + '<p class="pv-caption" id="PicoVand_Comment">CORVANE_PICOVAND_COMMENT</p>\n'
            + controls
            + '<p class="pv-count"><span id="PicoVand_Counter">CORVANE_PICOVAND_CURRENTIMAGE</span></p>\n'
            + "</main>\n</div>\n" + page_end(p))


def templates(p):
    f = family(p)
    if f == 1:
        return {"webalb.html": webalb(p)}
    if f == 7:
        return {"webalb.html": webalb(p), "htmlsld.html": htmlsld(p)}
    if f == 4:
        return {"htmlsld.html": htmlsld(p)}
    if f == 5:
        return {"javasld.html": javasld(p)}
    if f == 6:
        return {"sldprv.html": sldprv(p)}
    raise ValueError(p["n"])


def icons_for(p):
    f = family(p)
    names = {"first", "prev", "next", "last"}
    if f in (1, 7) and p.get("albums"):
        names |= {"home", "up"}
    if f == 7:
        names.add("grid")
    if f == 5:
        names |= {"play", "pause"}
    return sorted(names)


# ------------------------------------------------------------------ presets

def ini(sections, comments=()):
    out = [f"; {c}" for c in comments]
    for name, keys in sections:
        out.append(f"\n[{name}]")
        out += [f"{k}={v}" for k, v in keys]
    return "\n".join(out).lstrip("\n") + "\n"


def sizes(p):
    """Size rows by family: fixed rows are set and locked, free rows editable."""
    f = family(p)
    a, b, c = p.get("a", (0, 0)), p.get("b", (0, 0)), p.get("c", (0, 0))
    enable = {1: (0, 1, 0), 7: (0, 0, 1), 4: (0, 1, 0), 5: (0, 1, 0), 6: (0, 0, 1), 3: (1, 1, 1), 2: (1, 1, 0)}[f]
    if f in (1, 4, 5, 2):
        c = (0, 0)
    return [("ENABLEA", enable[0]), ("ENABLEB", enable[1]), ("ENABLEC", enable[2]),
            ("SIZEAX", a[0]), ("SIZEAY", a[1]), ("SIZEBX", b[0]), ("SIZEBY", b[1]),
            ("SIZECX", c[0]), ("SIZECY", c[1]), ("ENABLEFORMAT", 1 if p.get("fmt") or p.get("today") else 0)]


def colfonts(p):
    enable, values = p["colfonts"]
    keys = [("ENABLE", enable)]
    for k, _ in STYLE_KEYS:
        if k in values:
            keys.append((k, values[k]))
    return keys


def preset_file(p):
    f = family(p)
    comments = [f"Corvane Pico Vand - Projektart {p['n']}: {p['name']}"]
    project = [("IMAGEX", p.get("cols", 1)), ("IMAGEY", p.get("rows", 0)),
               ("ENABLEXY", 1 if p.get("free") else 0), ("ENABLETEMPLATE", 1 if f == 2 else 0)]
    if p.get("free"):
        comments.append("Spalten und Zeilen frei wählbar.")
    table = p.get("table", [("ENABLEWIDTH", 0), ("ENABLEBORDER", 0), ("ENABLEPADDING", 0),
                            ("ENABLESPACING", 0), ("WIDTH", 0), ("BORDER", 0), ("PADDING", 0), ("SPACING", 0)])
    sections = [
        ("LANG", [("DE", p["name"]), ("ID", p["n"])]),
        ("FOLDER", [("SUB", 1 if p.get("albums") else 0)]),
        ("IMAGE", sizes(p)),
        ("PROJECT", project),
        ("TABLE", table),
        ("COLFONTS", colfonts(p)),
        ("JAVA", [("ENABLE", 1 if p.get("java") else 0)]),
    ]
    if p.get("today"):
        for section, key in TODAY:
            next(keys for name, keys in sections if name == section).append((key, 1))
        # WebP: a third fewer bytes than JPEG for a phone on a slow network;
        # the format stays open (sizes()) for whoever wants JPEG back.
        next(keys for name, keys in sections if name == "IMAGE").append(("FORMAT", TODAY_FORMAT))
    if f == 1 and p.get("fragments"):
        # On the top album there is no start page or parent to go to: the
        # buttons themselves give way to a blank.
        sections.append(("WEBALB", [("NOHOME", HOME_BUTTON), ("NOUP", UP_BUTTON)]))
    return ini(sections, comments)


# Presets without templates: own web pages and the batch conversion.
OTHER_PRESETS = [
    dict(n=2001, name="Eigene Webseite: Album", albums=True, a=(240, 240), b=(1280, 960), cols=4, rows=3,
         free=True, fmt=True,
         colfonts=(1, {"TEXTFONT": "Verdana", "TEXTSIZE": "13px"}),
         table=[("ENABLEWIDTH", 1), ("ENABLEBORDER", 1), ("ENABLEPADDING", 1), ("ENABLESPACING", 1),
                ("WIDTH", 0), ("BORDER", 0), ("PADDING", 8), ("SPACING", 6)]),
    dict(n=2002, name="Eigene Webseite: Einzelbilder", albums=False, a=(800, 600), b=(1600, 1200), fmt=True,
         colfonts=(1, {}),
         table=[("ENABLEWIDTH", 1), ("ENABLEBORDER", 1), ("ENABLEPADDING", 1), ("ENABLESPACING", 1),
                ("WIDTH", 820), ("BORDER", 0), ("PADDING", 6), ("SPACING", 0)]),
    dict(n=2003, name="Eigene Webseite: Diashow", albums=False, a=(800, 600), b=(1600, 1200), java=True,
         colfonts=(1, {"TEXTFONT": "Arial"}),
         table=[("ENABLEWIDTH", 1), ("ENABLEBORDER", 1), ("ENABLEPADDING", 1), ("ENABLESPACING", 1),
                ("WIDTH", 820), ("BORDER", 0), ("PADDING", 6), ("SPACING", 0)]),
    dict(n=3001, name="Serienkonvertierung", albums=True, a=(1024, 768), b=(1920, 1440), c=(0, 0), fmt=True,
         colfonts=(0, {})),
]

GROUPS = [(1000, "Webalbum ohne Diashow"), (7000, "Webalbum mit Diashow"), (4000, "Diashow"),
          (5000, "Diashow mit JAVA-Funktionen"), (6000, "Diashow mit Vorschau"),
          (3000, "Serienkonvertierung von Dateien"), (2000, "Eigene Vorlage")]


def group_file(n, name):
    # A family node carries no preset: nothing is produced, and albums stay
    # allowed so that looking at a family never empties the project.
    return ini([("LANG", [("DE", name), ("ID", n)]), ("FOLDER", [("SUB", 1)])],
               [f"Corvane Pico Vand - Gruppe {name}"])


def main():
    for p in PRESETS:
        d = os.path.join(RES, "DRAFTS", str(p["n"]))
        for name, text in templates(p).items():
            write(os.path.join(d, name), text)
        folder = os.path.join(d, "pcv_image_folder")
        write(os.path.join(folder, "pcv.css"), pcv_css(p))
        extra = pcv2_css(p)
        if extra:
            write(os.path.join(folder, "pcv2.css"), extra)
        for name in icons_for(p):
            theme = THEMES[p["theme"]]
            dark = theme["dark"]["ink"] if follows_dark(p) else None
            write(os.path.join(folder, f"{name}.svg"), icon_svg(name, theme["ink"], dark))
        write(os.path.join(RES, "CONFIG", f"{p['n']}.config"), preset_file(p))
    for p in OTHER_PRESETS:
        write(os.path.join(RES, "CONFIG", f"{p['n']}.config"), preset_file(p))
    for n, name in GROUPS:
        write(os.path.join(RES, "CONFIG", f"{n}.config"), group_file(n, name))
    write(os.path.join(RES, "CONFIG", "0.config"),
          ini([("LANG", [("DE", "Corvane Pico Vand"), ("ID", 0)]), ("FOLDER", [("SUB", 1)])],
              ["Corvane Pico Vand - Start: noch keine Projektart gewählt"]))
    for name, text in texts.pages(PRESETS).items():
        write(os.path.join(RES, "DE", name), text)


if __name__ == "__main__":
    main()
