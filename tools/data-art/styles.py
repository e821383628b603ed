"""Stylesheets of the installed designs: pcv.css holds the design, pcv2.css the
colours and fonts the user may choose. A value nobody chose arrives as the
text "(Standard)", which makes its declaration invalid, so the browser drops it
and the design's own value from pcv.css stays in force."""

from designs import FONTS, GENERIC, STYLE_KEYS, THEMES
from viewer import VIEWER_CSS

BASE = """\
*, *::before, *::after { box-sizing: border-box; }
html { -webkit-text-size-adjust: 100%; text-size-adjust: 100%; }
body {
  margin: 0;
  background-color: var(--bg);
  color: var(--ink);
  font-family: var(--font);
  font-size: 1rem;
  line-height: 1.55;
  -webkit-font-smoothing: antialiased;
}
img { border: 0; max-width: 100%; height: auto; }
.pv { max-width: var(--page); margin: 0 auto; padding: clamp(1.5rem, 5vw, 4rem) clamp(1rem, 4vw, 3rem) 2rem; }
.pv a { color: var(--accent); text-decoration: none; }
.pv a:hover { text-decoration: underline; text-underline-offset: .2em; }
.pv a:focus-visible, .pv button:focus-visible { outline: 2px solid var(--accent); outline-offset: 3px; }
.pv h1 {
  margin: 0;
  font-family: var(--font-head);
  font-weight: var(--head-weight);
  font-size: clamp(1.5em, 3.2vw, 2.4em);
  line-height: 1.15;
  letter-spacing: -.015em;
  overflow-wrap: anywhere;
}
.pv-head {
  display: flex; flex-wrap: wrap; align-items: baseline; justify-content: space-between;
  gap: .5rem 2rem;
  margin-bottom: clamp(1.5rem, 4vw, 3rem);
  padding-bottom: 1rem;
  border-bottom: 1px solid var(--line);
}
.pv-count, .pv-exif, .pv-pages { color: var(--muted); }
.pv-count { font-variant-numeric: tabular-nums; font-size: .9em; white-space: nowrap; }
.pv-meta { display: flex; align-items: baseline; gap: 1.25rem; }

/* The credit line the program adds at the end of the first page: its own
   style block asks for a grey meant for white pages; these rules (more
   specific, so they win) give it the design's muted colour instead. */
.PicoVandCredit { margin: 0; padding: 0 1rem 1.75rem; line-height: 1.5; }
body .PicoVandCredit, body .PicoVandCredit a:is(:link, :visited, :hover) { color: var(--muted); }

/* Navigation: round buttons; a target "#" means there is nowhere to go. */
.pv-nav {
  display: flex; flex-wrap: wrap; align-items: center; justify-content: center;
  gap: .75rem 1.75rem;
  margin-top: clamp(2rem, 5vw, 3.5rem);
}
.pv-group { display: flex; align-items: center; gap: .45rem; }
.pv-btn {
  display: inline-flex; align-items: center; justify-content: center; flex: none;
  width: 2.75rem; height: 2.75rem; padding: 0;
  border: 1px solid var(--line); border-radius: 999px;
  background: var(--surface); color: inherit; font: inherit; cursor: pointer;
}
.pv a.pv-btn:hover, .pv button.pv-btn:hover { border-color: var(--accent); text-decoration: none; }
.pv-btn img { display: block; width: 22px; height: 22px; }
.pv a[href="#"] { opacity: .28; pointer-events: none; }
/* The page numbers: the current one marked, the others plain links. The
   brackets and bars between them are for pages without a style; here they
   take no room. */
.pv-pages { font-size: 0; font-variant-numeric: tabular-nums; text-align: center; }
.pv-pages > a, .pv-pages > [aria-current] {
  display: inline-block; min-width: 2.4rem; margin: .1rem; padding: .3rem .45rem;
  border-radius: 999px; font-size: 1rem; line-height: 1.5;
}
.pv-pages a:hover { background: var(--surface); text-decoration: none; }
.pv-pages > [aria-current] { background: var(--accent); color: var(--bg); font-weight: 650; }
/* The navigation carries its targets: a group with nowhere to go stays out
   (the top album has no start page or parent; one page has no others). */
.pv-nav[data-home="#"][data-up="#"] .pv-tree, .pv-nav[data-back="#"][data-next="#"] .pv-paging { display: none; }
@media (max-width: 640px) {
  .pv-paging { flex-wrap: wrap; justify-content: center; row-gap: .6rem; }
  .pv-pages { order: -1; flex-basis: 100%; }
}

/* Caption and camera data of a picture. */
.pv-caption { max-width: 46rem; margin: 1.25rem auto 0; text-align: center; font-size: 1.05em; overflow-wrap: anywhere; }
.pv-exif { display: flex; flex-wrap: wrap; justify-content: center; gap: .2rem 1.4rem; margin: .9rem 0 0; padding: 0; font-size: .8em; }
.pv-exif div { display: flex; gap: .45em; }
.pv-exif dd { margin: 0; color: var(--ink); }
"""

GRID = """\
/* Album pages: a grid of the page's entries. */
.pv-grid {
  --gap: clamp(1rem, 2.6vw, 2.25rem);
  display: grid; grid-template-columns: var(--grid);
  gap: var(--gap);
  margin: 0;
}
.pv-slot { margin: 0; min-width: 0; }
.pv-pic { position: relative; aspect-ratio: 1 / 1; background: var(--mat); border-radius: var(--radius); overflow: hidden; }
/* Width and height stay automatic: the picture's own width and height
   attributes only reserve its shape, and with both maxima in force a fixed
   width would squeeze a portrait picture. */
.pv-pic img { position: absolute; inset: 0; margin: auto; width: auto; height: auto; max-width: calc(100% - 2 * var(--matpad)); max-height: calc(100% - 2 * var(--matpad)); }
.pv-slot figcaption { padding: .75em .15em 0; font-size: .92em; line-height: 1.4; }
.pv-slot figcaption p { margin: 0; overflow-wrap: anywhere; }
.pv-slot .pv-exif { display: block; margin-top: .25em; font-size: max(12px, .76em); white-space: nowrap; overflow: hidden; text-overflow: ellipsis; }
.pv-slot .pv-exif span + span { margin-left: .7em; }
/* The link fills the slot: an album shows its folder picture with the name
   under it, a picture sits centred in it as in the slot itself. */
.pv .pv-pic > a:not(.pcv-album) {
  position: absolute; inset: 0;
  display: flex; flex-direction: column; align-items: center; justify-content: center; gap: .7em;
  padding: 1rem; text-align: center; font-weight: 600; color: var(--ink); overflow-wrap: anywhere;
}
.pv-pic img[src$="folder.gif"] { position: static; width: min(85%, 240px); max-width: none; max-height: none; border-radius: 10px; }
@media (prefers-reduced-motion: no-preference) {
  .pv-pic img { transition: transform .35s ease, opacity .35s ease; }
  .pv-pic a:hover img { transform: scale(1.025); }
}
/* An album with its cover: the photo above a band with the album's name
   and the number of its photos. */
.pv-pic a.pcv-album { position: absolute; inset: 0; color: var(--ink); text-decoration: none; }
.pv-pic a.pcv-album br { display: none; }
.pv-pic a.pcv-album img { bottom: 2.6em; max-height: calc(100% - 2 * var(--matpad) - 2.6em); }
.pv-pic a.pcv-album span { position: absolute; bottom: 0; height: 2.6em; line-height: 2.6em; background: var(--mat); white-space: nowrap; }
.pv-pic .pcv-album-name { left: 0; right: 0; padding: 0 6.5em 0 .8em; font-weight: 600; overflow: hidden; text-overflow: ellipsis; }
.pv-pic .pcv-count { right: 0; padding: 0 .8em; font-size: .9em; }
"""

TILE = """\
.pv-grid { --gap: clamp(.35rem, 1vw, .75rem); }
.pv-pic { border-radius: 4px; }
.pv-pic img:not([src$="folder.gif"]) { width: 100%; height: 100%; max-width: none; max-height: none; object-fit: cover; }
.pv-slot figcaption { font-size: .85em; padding-top: .5em; }
"""

# Long captions stay short in the grid: in full on the slideshow pages behind
# it, or while the pointer rests on the picture.
CLAMP = """\
.pv-slot figcaption p { display: -webkit-box; -webkit-line-clamp: 3; -webkit-box-orient: vertical; overflow: hidden; }
.pv-slot:hover figcaption p { -webkit-line-clamp: unset; }
"""
CLAMP_SLIDES = CLAMP.split("\n")[0] + "\n"

CARD = """\
.pv-slot { background: var(--surface); border-radius: var(--radius); box-shadow: 0 1px 2px rgb(0 0 0 / .05), 0 10px 28px -18px rgb(0 0 0 / .35); overflow: hidden; }
.pv-pic { border-radius: 0; aspect-ratio: 4 / 3; }
.pv-slot figcaption { padding: .8em 1em 1em; }
.pv-pic img[src$="folder.gif"] { width: min(55%, 160px); }
.pv .pv-pic > a { gap: .35em; }
"""

FRAME = """\
.pv-pic { background: var(--surface); border: 1px solid var(--line); box-shadow: 0 1px 2px rgb(60 40 20 / .06), 0 8px 24px -12px rgb(60 40 20 / .25); }
.pv-slot figcaption { text-align: center; font-style: italic; }
"""

SHOW = """\
/* One picture per page. */
.pv-show { --page: 1180px; }
.pv-stage {
  display: flex; align-items: center; justify-content: center;
  min-height: min(60vh, 40rem);
  padding: clamp(.5rem, 2vw, 1.5rem);
  background: var(--mat); border-radius: var(--radius);
}
.pv-stage a { display: block; }
/* The picture's width and height attributes give it its box before it
   arrives, so nothing below moves; a picture taller than the room left fits
   into that box whole. */
.pv-stage img { display: block; max-width: 100%; max-height: min(56vh, 38rem); height: auto; object-fit: contain; }
.pv-show .pv-head { margin-bottom: clamp(1rem, 3vw, 2rem); }
.pv-show h1 { font-size: clamp(1.3em, 2.6vw, 1.9em); }
.pv-stage:empty::before { content: "Album"; color: var(--muted); letter-spacing: .12em; text-transform: uppercase; }
.pv-stage:empty ~ .pv-exif { display: none; }
.pv-back { display: inline-flex; align-items: center; gap: .4em; font-size: .9em; }
.pv-back img { width: 18px; height: 18px; }
@media (max-width: 640px) {
  .pv-stage { min-height: 0; padding: .5rem; }
  .pv-stage img { max-height: 80vh; }
}
"""

SCRIPT = """\
/* The script slideshow keeps its stage still while pictures change. */
.pv-stage { display: grid; grid-template: 100% / 100%; place-items: center; height: min(62vh, 42rem); }
.pv-stage > a { display: grid; grid-template: 100% / 100%; place-items: center; width: 100%; height: 100%; min-width: 0; min-height: 0; }
.pv-stage img { max-height: 100%; min-width: 0; min-height: 0; }
.pv-controls { display: flex; align-items: center; justify-content: center; gap: .5rem; margin-top: 1.5rem; }
.pv-controls .pv-play { width: 3.5rem; height: 3.5rem; }
.pv-controls .pv-play img { width: 26px; height: 26px; }
#PicoVand_Counter { display: block; text-align: center; margin-top: .6rem; }
@media (max-width: 640px) {
  .pv-stage { height: auto; aspect-ratio: 1 / 1; }
  .pv-controls { gap: .35rem; }
  .pv-controls .pv-btn { width: 2.6rem; height: 2.6rem; }
}
"""

KINO = """\
.pv-show { --page: 1600px; padding-top: clamp(1rem, 3vw, 2rem); }
.pv-head { border-bottom: 0; margin-bottom: 1rem; padding-bottom: 0; }
.pv h1 { font-size: 1.1em; letter-spacing: .18em; text-transform: uppercase; font-weight: 500; }
.pv-stage { height: calc(100vh - 14rem); min-height: 18rem; aspect-ratio: auto; padding: 0; border-radius: 0; }
.pv-btn { background: transparent; border-color: transparent; }
.pv button.pv-btn:hover { border-color: var(--line); }
"""

STRIP = """\
/* Preview strip: the current picture in the middle, neighbours either side. */
.pv-strip { display: flex; justify-content: center; gap: .5rem; margin: 1.25rem 0 .25rem; overflow: hidden; }
.pv-s {
  flex: none; display: flex; align-items: center; justify-content: center;
  width: var(--thumb-w); height: var(--thumb-h);
  border-radius: calc(var(--radius) / 2); overflow: hidden;
}
.pv-s a { display: contents; }
.pv-s img { display: block; max-width: 100%; max-height: 100%; width: auto; height: auto; opacity: .72; }
.pv-s a:hover img { opacity: 1; }
.pv-s.pv-cur img { opacity: 1; }
.pv-s.pv-cur { outline: 2px solid var(--accent); outline-offset: 3px; }
"""

FILM = """\
.pv-strip { gap: 3px; padding: 10px 6px; background: #050506; border-radius: 4px;
  background-image: radial-gradient(circle, #2a2c31 1.5px, transparent 2px), radial-gradient(circle, #2a2c31 1.5px, transparent 2px);
  background-size: 12px 6px; background-position: 0 1px, 0 calc(100% - 1px); background-repeat: repeat-x; }
.pv-s { border-radius: 2px; background: #0d0e10; }
.pv-s.pv-cur { outline-offset: 0; }
"""

CONTACT = """\
.pv-strip { gap: 5px; }
.pv-s { border-radius: 2px; }
.pv-s img { width: 100%; height: 100%; max-width: none; max-height: none; object-fit: cover; }
"""


# The bars and brackets between the page numbers stay unseen at a size
# browsers count as legible, and space the numbers instead of their margins.
PAGER_TODAY = """\
.pv-pages { font-size: 12px; color: transparent; }
.pv-pages > a, .pv-pages > [aria-current] { margin: 0; }
"""


def strip_css(p, cell_w, gap):
    """Shows as many neighbours either side as fit the page; on a phone two."""
    out = []
    content = 1180 - 2 * 48  # the widest the show page's content gets
    for r in range(2, 10):
        need = (2 * r + 1) * (cell_w + gap)
        sel = ", ".join(f".pv-r{k}, .pv-f{k}" for k in range(r, 10))
        if need > content:
            out.append(f"{sel} {{ display: none; }}")
            break
        out.append(f"@media (max-width: {need + 96}px) {{ {sel} {{ display: none; }} }}")
    out.append("@media (max-width: 560px) {\n"
               "  .pv-s { width: 3.4rem; height: 2.55rem; }\n"
               "  .pv-strip .pv-r2, .pv-strip .pv-f2 { display: flex; }\n}")
    return "\n".join(out) + "\n"


# The page names the user's columns (--cols on the grid; declared there, so
# the grid reads it and its own gap): each column gets its share of the row,
# so that many fit; on a narrow screen, where a share would be smaller than
# a thumbnail can be (--floor; on a phone, two at most), fewer and wider ones.
FREE_GRID = """\
.pv-grid {
  --floor: 6rem;
  --grid: repeat(auto-fill, minmax(max(var(--floor), calc((100% - (var(--cols) - 1) * var(--gap)) / var(--cols))), 1fr));
}
@media (max-width: 620px) { .pv-grid { --floor: 34%; --gap: .9rem; } }
"""

PHONE_GRID = """\
@media (max-width: 960px) { .pv-grid { grid-template-columns: var(--grid-mid); } }
@media (max-width: 620px) { .pv-grid { grid-template-columns: repeat(2, minmax(0, 1fr)); --gap: .9rem; } }
"""


COLOURS = ("bg", "surface", "mat", "ink", "line", "accent", "muted")


def follows_dark(p):
    """A light design whose colours the preset leaves to it follows a system
    set to dark; where the user may set colours, the page stays as chosen."""
    colours = {"BORDERCOLOR", "BACKGROUNDCOLOR", "TEXTCOLOR", "LINKCOLOR"}
    return "dark" in THEMES[p["theme"]] and not colours & set(chosen_keys(p))


def dark_block(p):
    if not follows_dark(p):
        return ""
    d = THEMES[p["theme"]]["dark"]
    lines = "\n".join(f"    --{k}: {d[k]};" for k in COLOURS)
    return f"@media (prefers-color-scheme: dark) {{\n  :root {{\n    color-scheme: dark;\n{lines}\n  }}\n}}\n"


def root_block(p):
    t = THEMES[p["theme"]]
    vars_ = {k: t[k] for k in COLOURS}
    vars_.update({
        "font": FONTS[t["font"]], "font-head": FONTS[t["font"]],
        "head-weight": t["head_weight"], "radius": t["radius"], "page": "1240px",
        "matpad": {"tile": "0px", "frame": "8%", "card": "0px"}.get(p.get("grid"), "10px"),
    })
    if "grid" in p and not p.get("free"):
        vars_["grid"] = f"repeat({p['cols']}, minmax(0, 1fr))"
        vars_["grid-mid"] = f"repeat({min(p['cols'], 3)}, minmax(0, 1fr))"
    if "strip" in p:
        w, _ = strip_cell(p)
        vars_["thumb-w"] = f"{w / 16:.2f}rem"
        vars_["thumb-h"] = f"{w * 0.75 / 16:.2f}rem"
    lines = [f"  --{k}: {v};" for k, v in vars_.items()]
    return ":root {\n  color-scheme: %s;\n%s\n}\n" % (t["scheme"], "\n".join(lines))


def strip_cell(p):
    """Width of one preview cell and the gap after it, in pixels."""
    return {"wide": (96, 8), "film": (86, 3), "contact": (50, 5)}[p["strip"]]


def family(p):
    return p["n"] // 1000


def pcv_css(p):
    parts = [f"/* Gestaltung \"{p['name']}\" */\n", root_block(p), dark_block(p), BASE]
    f = family(p)
    if f in (1, 7):
        parts.append(GRID)
        if p["grid"] == "tile":
            parts.append(TILE)
        if p["grid"] == "frame":
            parts.append(FRAME)
        if p["grid"] == "card":
            parts.append(CARD)
        if f == 7:
            parts.append(CLAMP_SLIDES)
        elif p["grid"] == "tile":
            parts.append(CLAMP)
        parts.append(FREE_GRID if p.get("free") else PHONE_GRID)
    if f in (4, 5, 6, 7):
        parts.append(SHOW)
    if f == 5:
        parts.append(SCRIPT)
    if f == 6:
        parts.append(STRIP)
        if p["strip"] == "film":
            parts.append(FILM)
        if p["strip"] == "contact":
            parts.append(CONTACT)
        parts.append(strip_css(p, *strip_cell(p)))
    if p["theme"] == "kino":
        parts.append(KINO)
    if p.get("today"):
        parts.append(PAGER_TODAY)
        parts.append(VIEWER_CSS)
    return "".join(parts)


def chosen_keys(p):
    """The colour and font rows this preset lets the user set."""
    enable, values = p["colfonts"]
    return [k for k, _ in STYLE_KEYS if enable or values.get(k, "").strip()]


def pcv2_css(p):
    keys = chosen_keys(p)
    if not keys:
        return None
    token = dict(STYLE_KEYS)
    generic = GENERIC[THEMES[p["theme"]]["font"]]
    rules = {
        "BACKGROUNDCOLOR": f"body {{ background-color: {token['BACKGROUNDCOLOR']}; }}",
        "TEXTCOLOR": f"body {{ color: {token['TEXTCOLOR']}; }}\n.pv-exif dd {{ color: {token['TEXTCOLOR']}; }}",
        "TEXTFONT": f"body, .pv h1 {{ font-family: {token['TEXTFONT']}, {generic}; }}",
        "TEXTSIZE": f"body {{ font-size: {token['TEXTSIZE']}; }}",
        "LINKCOLOR": f".pv a {{ color: {token['LINKCOLOR']}; }}\n.pv a:focus-visible {{ outline-color: {token['LINKCOLOR']}; }}",
        "BORDERCOLOR": f".pv-head, .pv-btn, .pv-pic {{ border-color: {token['BORDERCOLOR']}; }}",
    }
    if "BORDERCOLOR" in keys and family(p) in (1, 7):
        # Frames the pictures in the chosen colour.
        rules["BORDERCOLOR"] += (f"\n.pv-pic {{ border: 1px solid {token['BORDERCOLOR']}; }}")
    head = ("/* Farben und Schrift aus \"Projekt - Einstellungen\". Ohne eigene Wahl steht hier (Standard):\n"
            "   die Angabe ist dann ungültig und es gilt die Gestaltung aus pcv.css. */\n")
    return head + "\n".join(rules[k] for k in keys) + "\n"
