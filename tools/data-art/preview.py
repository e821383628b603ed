#!/usr/bin/env python3
"""Fills the installed templates with sample pictures and texts, the way the
page writers do, so that a design can be looked at in a browser before a real
build exists. Writes one folder per preset below the given output folder and,
with --shots, screenshots at 1280 and 390 pixels width.

    tools/data-art/preview.py OUT [--shots] [PRESET ...]
"""
import os
import re
import shutil
import subprocess
import sys

sys.path.insert(0, os.path.dirname(__file__))
from designs import PRESETS, STYLE_KEYS  # noqa: E402

ROOT = os.path.normpath(os.path.join(os.path.dirname(__file__), "..", ".."))
RES = os.path.join(ROOT, "resources")
PHOTOS = os.path.normpath(os.path.join(ROOT, "..", "shared", "testdata", "photos"))
SAMPLES = [
    ("exif_canon_powershot_sd300.jpg", "Abendlicht über dem See"),
    ("portrait_nikon_d70s.jpg", "Porträt im Gegenlicht"),
    ("exif_casio_exm2.jpg", ""),
    ("large_9mp_nokia_8_3.jpg", "Weite Landschaft im Sommer, kurz vor dem Gewitter"),
    ("exif_canon_g9_imagedescription.jpg", "Der Himmel über Berlin"),
    ("orientation6_canon_sx60.jpg", "Hochformat"),
    ("exif_kodak_dc210_comment.jpg", "Rauch"),
    ("exif_nokia_n70_iptc_keywords.jpg", ""),
    ("iptc_caption_nikon_d1x_reagan.jpg", "USS Ronald Reagan"),
]
EXIF = {"MAKE": "Canon", "MODEL": "Canon PowerShot SD300", "DATE": "2007:11:29 16:16:21", "ISO": "ISO 100",
        "FNUMBER": "F2.8", "EXPOSURE": "1/60 s", "FOCAL": "5.8 mm"}
OPENER = ('function PicoVand_openimg(x)\n{PicoVandWindow = window.open(x,"PicoVandWindowSLD",'
          '"location=no,toolbar=no,status=yes,resizable=yes");\nPicoVandWindow.focus();}\n')


def resize(src, dst, box):
    if not os.path.exists(dst):
        subprocess.run(["convert", src, "-auto-orient", "-resize", f"{box[0]}x{box[1]}", "-quality", "82", dst],
                       check=True)


def page_links(first, last, current, tag="pcv"):
    out = []
    for p in range(first, last + 1):
        out.append(f"[{p - first + 1}]\n" if p == current else f'<a href="{tag}{p:05d}.htm">{p - first + 1}</a> \n')
    return " | ".join(out)


def colour_values(p):
    enable, values = p["colfonts"]
    return {tok: (values.get(k) or "(Standard)") for k, tok in STYLE_KEYS}


def fill_css(folder, p):
    for name in ("pcv.css", "pcv2.css"):
        path = os.path.join(folder, name)
        if os.path.exists(path):
            text = open(path, encoding="utf-8").read()
            for tok, v in colour_values(p).items():
                text = text.replace(tok, v)
            open(path, "w", encoding="utf-8").write(text)


def fill_exif(page, slot, has):
    for k, v in EXIF.items():
        page = re.sub(rf"PCV_EXIF_{k}_{slot}(?!\d)", v if has else "&nbsp;", page)
    return page


def build(p, out):
    n = p["n"]
    fam = n // 1000
    o = os.path.join(out, str(n)) + "/"
    shutil.rmtree(o, ignore_errors=True)
    img = o + "images/"
    d = img + f"_pcv_{n}/"
    shutil.copytree(os.path.join(RES, "DRAFTS", str(n), "pcv_image_folder"), d)
    shutil.copy(os.path.join(RES, "DRAFTS", "folder.gif"), d)
    fill_css(d, p)
    sizes = [p["a"], p.get("b", (0, 0)), p.get("c", (0, 0))]
    paths = []
    for i, (f, _) in enumerate(SAMPLES):
        entry = []
        for s, box in zip("abc", sizes):
            if box[0]:
                name = f"pcv{s}{i:05d}.jpg"
                resize(os.path.join(PHOTOS, f), img + name, box)
                entry.append("images/" + name)
        paths.append(entry)
    captions = [c for _, c in SAMPLES]

    def finish(page, name):
        page = page.replace("pcv_image_folder", f"images/_pcv_{n}")
        for tok, v in colour_values(p).items():
            page = page.replace(tok, v)
        open(o + name, "w", encoding="utf-8").write(page)

    def template(name):
        return open(os.path.join(RES, "DRAFTS", str(n), name), encoding="utf-8").read()

    if fam in (1, 7):
        page = template("webalb.html").replace("pcv_image_folder", f"images/_pcv_{n}")
        page = page.replace("CORVANE_PICOVAND_JAVA_CODE", OPENER).replace("CORVANE_PICOVAND_TITLE", "Sommerreise")
        page = page.replace("CORVANE_PICOVAND_FOLDER", "Sommerreise")
        per = p["cols"] * p["rows"]
        entries = (["album"] if p.get("albums") else []) + list(range(len(SAMPLES)))
        for s, e in enumerate(entries[:per]):
            if e == "album":
                text = f'<a href="pcv00003.htm"><img src="images/_pcv_{n}/folder.gif" border="0"><br>Berge</a>'
                cap = "<p>&nbsp;</p>"
            else:
                link = f"pcv-sld-{e:05d}.htm" if fam == 7 else (paths[e][1] if len(paths[e]) > 1 else "")
                text = f'<img src="{paths[e][0]}" border="0">'
                if link:
                    text = f'<a href="{link}" target="_blank">{text}</a>'
                cap = f"<p>{captions[e] or '&nbsp;'}</p>"
            page = page.replace(f"PCV_{s:03d}_COMMENT", cap).replace(f"PCV_{s:03d}", text)
            page = fill_exif(page, s, e != "album")
        for s in range(len(entries), per):
            page = page.replace(f"PCV_{s:03d}_COMMENT", "&nbsp;").replace(f"PCV_{s:03d}", "&nbsp;<br>")
            page = fill_exif(page, s, False)
        page = page.replace("CORVANE_PICOVAND_NAV123", page_links(0, 2, 0))
        cfg = open(os.path.join(RES, "CONFIG", f"{n}.config"), encoding="utf-8").read()
        for key, tok in (("NOHOME", "CORVANE_PICOVAND_NAVHOME"), ("NOUP", "CORVANE_PICOVAND_NAVUP")):
            m = re.search(rf"^{key}=(.*)$", cfg, re.M)
            if m and m.group(1).strip():
                page = page.replace(m.group(1).strip().replace("pcv_image_folder", f"images/_pcv_{n}"), "&nbsp;")
            else:
                page = page.replace(tok, "#")
        for tok, v in (("BACK", "#"), ("NEXT", "pcv00001.htm"), ("FIRST", "pcv00000.htm"), ("LAST", "pcv00002.htm")):
            page = page.replace(f"CORVANE_PICOVAND_NAV{tok}", v)
        finish(page, "pcv00000.htm")

    if fam in (4, 6, 7):
        name = {4: "htmlsld.html", 6: "sldprv.html", 7: "htmlsld.html"}[fam]
        show = 1 if fam in (6, 7) else 0
        i = 2
        page = template(name).replace("CORVANE_PICOVAND_JAVA_CODE", OPENER)
        page = page.replace("CORVANE_PICOVAND_TITLE", "Sommerreise")
        page = page.replace("CORVANE_PICOVAND_CURRENTIMAGE", f"{i + 1}/{len(SAMPLES)}")
        page = page.replace("CORVANE_PICOVAND_COMMENT", captions[i] or "&nbsp;")
        e = paths[i]
        text = f'<img src="{e[show]}" border="0">'
        if len(e) > show + 1:
            text = f'<a href="{e[show + 1]}" target="_blank">{text}</a>'
        page = page.replace("CORVANE_PICOVAND_IMAGE", text)
        page = fill_exif(page, 0, True)
        tag = "pcv-sld-" if fam == 7 else "pcv"
        page = page.replace("CORVANE_PICOVAND_NAV123", page_links(0, len(SAMPLES) - 1, i, tag))
        for tok, v in (("BACK", f"{tag}00001.htm"), ("NEXT", f"{tag}00003.htm"), ("FIRST", f"{tag}00000.htm"),
                       ("LAST", f"{tag}00008.htm")):
            page = page.replace(f"CORVANE_PICOVAND_NAV{tok}", v)
        page = page.replace("PCV_PREV_C", f'<img src="{paths[i][0]}" border="0">')
        for k in range(1, 10):
            for tok, j in ((f"PCV_PREV_R{k}", i - k), (f"PCV_PREV_F{k}", i + k)):
                v = (f'<a href="pcv{j:05d}.htm"><img src="{paths[j][0]}" border="0"></a>'
                     if 0 <= j < len(SAMPLES) else "&nbsp;")
                page = page.replace(tok, v)
        finish(page, "pcv-sld-00003.htm" if fam == 7 else "pcv00000.htm")

    if fam == 5:
        page = template("javasld.html")
        prog = ["var PicoVand_speed=3000;\nvar PicoVand_pic = 0;\nvar PicoVand_playing=0;\n",
                "PicoVand_imgarray = new Array();\nPicoVand_comarray = new Array();\nPicoVand_lnkarray = new Array();\n"]
        for i, e in enumerate(paths):
            prog.append(f"PicoVand_imgarray[{i}]=new PicoVand_img('{e[0]}');\n")
            prog.append(f'PicoVand_comarray[{i}]="{captions[i] or "&nbsp;"}";\n')
        prog.append("var PicoVand_nopic = PicoVand_imgarray.length;\n")
        prog.append("function PicoVand_img(image_location)\n{this.image_item = new Image();\n"
                    "this.image_item.src = image_location;}\nfunction PicoVand_getimg(imageObj) \n"
                    "{return(imageObj.image_item.src)}\nfunction PicoVand_changetext(src, txt)\n"
                    "{document.getElementById(src).innerHTML=txt;}\nfunction PicoVand_update() \n"
                    "{document['PicoVand_Image'].src = PicoVand_getimg(PicoVand_imgarray[PicoVand_pic]);\n"
                    "PicoVand_changetext('PicoVand_Comment', PicoVand_comarray[PicoVand_pic]);\n"
                    "PicoVand_changetext('PicoVand_Counter', (PicoVand_pic+1) + '/' + PicoVand_nopic);}\n"
                    "function PicoVand_gofirst()\n{PicoVand_pic = 0; PicoVand_update();}\n"
                    "function PicoVand_golast() \n{PicoVand_pic = PicoVand_nopic-1; PicoVand_update();}\n"
                    "function PicoVand_goback() \n{PicoVand_pic = (PicoVand_pic-1+PicoVand_nopic) % PicoVand_nopic; PicoVand_update();}\n"
                    "function PicoVand_gonext() \n{PicoVand_pic = (PicoVand_pic+1) % PicoVand_nopic; PicoVand_update();}\n"
                    "function PicoVand_play() \n{PicoVand_gonext();\nif (PicoVand_playing==0){PicoVand_timerID = setTimeout(\"PicoVand_timer('PicoVand_Image')\", PicoVand_speed); PicoVand_playing=1;}}\n"
                    "function PicoVand_stop() \n{if (PicoVand_playing==1){clearTimeout(PicoVand_timerID); PicoVand_playing=0;}}\n"
                    "function PicoVand_timer() \n{PicoVand_pic = (PicoVand_pic+1) % PicoVand_nopic; PicoVand_update();\n"
                    "PicoVand_timerID = setTimeout(\"PicoVand_timer('PicoVand_Image')\", PicoVand_speed);}\n")
        page = page.replace("CORVANE_PICOVAND_JAVA_CODE", "".join(prog))
        page = page.replace("CORVANE_PICOVAND_CURRENTIMAGE", f"1/{len(SAMPLES)}")
        page = page.replace("CORVANE_PICOVAND_COMMENT", captions[0])
        page = page.replace("CORVANE_PICOVAND_IMAGE", f'<img name="PicoVand_Image" id="PicoVand_Image" src="{paths[0][0]}" border="0">\n')
        page = page.replace("CORVANE_PICOVAND_TITLE", "Sommerreise")
        finish(page, "pcv00000.htm")
    return o + ("pcv-sld-00003.htm" if fam == 7 else "pcv00000.htm"), o + "pcv00000.htm"


def shoot(url, png, width, height):
    subprocess.run(["chromium", "--headless", "--no-sandbox", "--disable-gpu", "--disable-background-networking",
                    "--disable-component-update", "--no-first-run", "--hide-scrollbars",
                    f"--screenshot={png}", f"--window-size={width},{height}", "file://" + url],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def main():
    args = [a for a in sys.argv[1:] if not a.startswith("--")]
    out, wanted = args[0], {int(a) for a in args[1:]}
    for p in PRESETS:
        if wanted and p["n"] not in wanted:
            continue
        pages = build(p, out)
        if "--shots" in sys.argv:
            for page in sorted(set(pages)):
                base = os.path.splitext(page)[0]
                shoot(page, base + "-1280.png", 1280, 900)
                shoot(page, base + "-390.png", 390, 844)
        print(p["n"], pages[0])


if __name__ == "__main__":
    main()
