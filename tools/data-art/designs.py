"""The designs of the installed galleries: colour themes, the presets that use
them, and the icons drawn in each theme's colours.

make_data.py turns this table into resources/CONFIG, resources/DRAFTS and
resources/DE. Edit the table, run the script once, commit what it wrote.
"""

# Colour themes. bg: page, surface: buttons and cards, mat: the area behind a
# picture, ink: text, line: hairlines and frames, accent: links, muted: quiet
# text (4.5:1 against bg, surface and mat). A light theme's dark: the same
# design for a visitor whose system is set to dark, used where the preset
# leaves the colours to the design.
THEMES = {
    "hell": dict(
        scheme="light", bg="#f6f5f2", surface="#ffffff", mat="#ebe9e4", ink="#1d1f22", line="#dedbd4",
        accent="#2b5f9e", muted="#5f6268", font="sans", radius="14px", head_weight="650",
        dark=dict(bg="#16181b", surface="#202328", mat="#1d2024", ink="#e8e6e1", line="#33373e", accent="#8db3e8",
                  muted="#a3a7ae")),
    "nacht": dict(
        scheme="dark", bg="#121317", surface="#1c1e24", mat="#1a1c21", ink="#e9e7e3", line="#2c2f37",
        accent="#e3b661", muted="#9b9da4", font="sans", radius="10px", head_weight="600"),
    "papier": dict(
        scheme="light", bg="#f3eee5", surface="#fbf8f2", mat="#fbf8f2", ink="#2c2721", line="#ddd2c0",
        accent="#9b3d27", muted="#6e6356", font="serif", radius="3px", head_weight="500",
        dark=dict(bg="#1d1a16", surface="#27231e", mat="#27231e", ink="#ede5d8", line="#3d362d", accent="#e59a7d",
                  muted="#b0a492")),
    "kino": dict(
        scheme="dark", bg="#000000", surface="#17181b", mat="#000000", ink="#f1f1f1", line="#26272b",
        accent="#ffffff", muted="#9b9da4", font="sans", radius="6px", head_weight="500"),
}

FONTS = {
    "sans": 'system-ui, -apple-system, "Segoe UI", Roboto, "Helvetica Neue", Arial, sans-serif',
    "serif": '"Iowan Old Style", "Palatino Linotype", Palatino, "Book Antiqua", Georgia, serif',
}
GENERIC = {"sans": "sans-serif", "serif": "serif"}

# Colour and font rows of the project settings page, by preset key, with the
# template token that carries the user's value.
STYLE_KEYS = [
    ("BORDERCOLOR", "CORVANE_PICOVAND_TABLECOLOR"),
    ("BACKGROUNDCOLOR", "CORVANE_PICOVAND_BACKCOLOR"),
    ("TEXTFONT", "CORVANE_PICOVAND_FONTTYPE"),
    ("TEXTCOLOR", "CORVANE_PICOVAND_FONTCOLOR"),
    ("LINKCOLOR", "CORVANE_PICOVAND_LINKCOLOR"),
    ("TEXTSIZE", "CORVANE_PICOVAND_FONTSIZE"),
]

# colfonts: (ENABLE, {key: value}). With ENABLE set every row is the user's;
# with ENABLE unset only the rows the preset gives a value.
# grid: album layout: "mat" (whole picture on a mat), "tile" (square crop),
# "frame" (whole picture in a passepartout frame). cols/rows: the table size;
# free=True lets the user choose it. The template gives its slot once; each
# page repeats it for the entries it shows.
# strip: preview thumbnails shown before and after the current one, by width.
PRESETS = [
    # Webalbum ohne Diashow: A fixed, B free, no C.
    dict(n=1001, name="Helle Kacheln", theme="hell", grid="mat", cols=4, rows=3, albums=True, exif=True,
         a=(360, 360), b=(1600, 1200), colfonts=(1, {}), fragments=True),
    dict(n=1002, name="Nachtgalerie", theme="nacht", grid="tile", cols=5, rows=4, free=True, albums=True,
         a=(480, 480), b=(2048, 1536), fmt=True,
         colfonts=(0, {"BACKGROUNDCOLOR": "#121317", "LINKCOLOR": "#e3b661"}), fragments=True),
    dict(n=1003, name="Passepartout", theme="papier", grid="frame", cols=3, rows=3, albums=False,
         a=(420, 420), b=(1400, 1050), colfonts=(0, {})),
    # Webalbum mit Diashow: A and B fixed, C free.
    dict(n=7001, name="Helle Karten mit Diashow", theme="hell", grid="card", cols=4, rows=3, albums=True,
         a=(360, 360), b=(1280, 960), c=(2048, 1536),
         colfonts=(1, {"BORDERCOLOR": "#dedbd4", "BACKGROUNDCOLOR": "#f6f5f2", "TEXTFONT": "(Standard)",
                       "TEXTCOLOR": "#1d1f22", "LINKCOLOR": "#2b5f9e", "TEXTSIZE": "16px"})),
    dict(n=7002, name="Nachtgalerie mit Diashow", theme="nacht", grid="tile", cols=4, rows=4, free=True,
         albums=True, a=(480, 480), b=(1600, 1200), c=(0, 0), fmt=True, exif=True, colfonts=(0, {})),
    dict(n=7003, name="Passepartout mit Diashow", theme="papier", grid="frame", cols=3, rows=2, albums=True,
         a=(420, 420), b=(1280, 960), c=(1920, 1440), colfonts=(0, {"TEXTFONT": "Georgia"})),
    # Diashow (one page per picture): A fixed, B free, no C.
    dict(n=4001, name="Hell", theme="hell", a=(1100, 760), b=(2048, 1536), exif=True,
         colfonts=(1, {"BACKGROUNDCOLOR": "#f6f5f2"})),
    dict(n=4002, name="Dunkel mit Aufnahmedaten", theme="nacht", a=(1200, 800), b=(0, 0), exif=True,
         colfonts=(0, {"BACKGROUNDCOLOR": "#121317", "TEXTCOLOR": "#e9e7e3"})),
    dict(n=4003, name="Passepartout", theme="papier", a=(960, 680), b=(1600, 1200), colfonts=(0, {})),
    # Diashow mit JAVA-Funktionen: A fixed, B free, no C.
    dict(n=5001, name="Hell mit Überblendung", theme="hell", a=(1100, 760), b=(2048, 1536), java=True,
         colfonts=(1, {"BACKGROUNDCOLOR": "#f6f5f2", "LINKCOLOR": "#2b5f9e"})),
    dict(n=5002, name="Kino", theme="kino", a=(1600, 1000), b=(0, 0), java=True,
         colfonts=(0, {"BACKGROUNDCOLOR": "#000000"})),
    dict(n=5003, name="Passepartout ohne Überblendung", theme="papier", a=(960, 680), b=(1600, 1200),
         java=False, colfonts=(0, {})),
    # Diashow mit Vorschau: A (preview) and B (picture) fixed, C free.
    dict(n=6001, name="Hell mit Vorschauleiste", theme="hell", a=(200, 150), b=(1100, 720), c=(2048, 1536),
         strip="wide", exif=True, colfonts=(1, {"BORDERCOLOR": "#dedbd4"})),
    dict(n=6002, name="Dunkel mit Filmstreifen", theme="nacht", a=(240, 160), b=(1200, 800), c=(0, 0),
         strip="film", colfonts=(0, {"LINKCOLOR": "#e3b661"})),
    dict(n=6003, name="Passepartout mit Vorschau", theme="papier", a=(200, 150), b=(960, 680),
         c=(1600, 1200), strip="contact", colfonts=(0, {})),
    # For today's screens: the photo opens over the page in the viewer, its
    # large size fills a 1920-pixel screen, and the options of TODAY are on.
    dict(n=1004, name="Großbild-Galerie", theme="hell", grid="tile", cols=4, rows=3, albums=True, today=True,
         a=(360, 360), b=(1920, 1440), colfonts=(0, {}), fragments=True),
    dict(n=7004, name="Großbild-Galerie mit Diashow", theme="hell", grid="card", cols=4, rows=3, albums=True,
         today=True, a=(360, 360), b=(1280, 960), c=(1920, 1440), colfonts=(0, {})),
    dict(n=4004, name="Großbild", theme="nacht", a=(1280, 960), b=(1920, 1440), exif=True, today=True,
         colfonts=(0, {})),
    dict(n=5004, name="Großbild mit Überblendung", theme="kino", a=(1280, 960), b=(1920, 1440), java=True,
         today=True, colfonts=(0, {})),
    dict(n=6004, name="Großbild mit Vorschauleiste", theme="hell", a=(120, 90), b=(1280, 960),
         c=(1920, 1440), strip="wide", today=True, colfonts=(0, {})),
]

# The switches the presets for today's screens turn on, by preset section.
# Switches that arrive later join here as their fields get preset keys.
TODAY = [("IMAGE", "NOENLARGE"), ("IMAGE", "STRIPGPS"), ("IMAGE", "HIDPI"), ("PROJECT", "COVERS"),
         ("PROJECT", "INDEXHTML")]
# Their image format, as the format choice numbers it: WebP.
TODAY_FORMAT = 5

# Icons on a 24 x 24 grid, drawn as strokes.
ICONS = {
    "home": '<path d="M4 11.5 12 5l8 6.5"/><path d="M6.5 10v8.5h11V10"/><path d="M10 18.5v-5h4v5"/>',
    "up": '<path d="M12 19V6"/><path d="m6.5 11.5 5.5-5.5 5.5 5.5"/>',
    "first": '<path d="M7 6v12"/><path d="m17 6-6 6 6 6"/>',
    "prev": '<path d="m14.5 6-6 6 6 6"/>',
    "next": '<path d="m9.5 6 6 6-6 6"/>',
    "last": '<path d="M17 6v12"/><path d="m7 6 6 6-6 6"/>',
    "play": '<path d="M8 5.5v13l10.5-6.5z" fill="COLOR"/>',
    "pause": '<path d="M9 6v12"/><path d="M15 6v12"/>',
    "grid": '<rect x="5" y="5" width="5.5" height="5.5" rx="1"/><rect x="13.5" y="5" width="5.5" height="5.5" rx="1"/>'
            '<rect x="5" y="13.5" width="5.5" height="5.5" rx="1"/><rect x="13.5" y="13.5" width="5.5" height="5.5" rx="1"/>',
}


def icon_svg(name, color, dark=None):
    """An icon in the theme's ink; with dark, in that colour on a system set
    to dark (a picture follows its page's colour scheme)."""
    body = ICONS[name].replace('fill="COLOR"', f'class="fill" fill="{color}"')
    style = ""
    if dark:
        style = (f"<style>@media (prefers-color-scheme: dark) {{ svg {{ stroke: {dark}; }} "
                 f".fill {{ fill: {dark}; }} }}</style>")
    return ('<svg xmlns="http://www.w3.org/2000/svg" width="24" height="24" viewBox="0 0 24 24" fill="none" '
            f'stroke="{color}" stroke-width="1.8" stroke-linecap="round" stroke-linejoin="round">{style}{body}</svg>\n')
