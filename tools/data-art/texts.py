"""German information pages shown beside the project-type tree and on the
output page, and the preview page of a concrete preset (draft.html)."""

STYLE = """<style>
:root { color-scheme: light; }
* { box-sizing: border-box; }
body { margin: 0; background: #f6f5f2; color: #1f2226; font: 15px/1.6 system-ui, -apple-system, "Segoe UI", Roboto, "Helvetica Neue", Arial, sans-serif; }
main { max-width: 44rem; margin: 0 auto; padding: 1.75rem 1.5rem 2.5rem; }
.kicker { margin: 0 0 .3rem; font-size: .75rem; letter-spacing: .14em; text-transform: uppercase; color: #6a6d73; }
h1 { margin: 0 0 1rem; font-size: 1.6rem; line-height: 1.2; font-weight: 650; letter-spacing: -.01em; }
h2 { margin: 1.8rem 0 .6rem; font-size: 1.05rem; font-weight: 650; }
p, li { max-width: 40rem; }
a { color: #2b5f9e; }
.lead { font-size: 1.05rem; color: #3b3f45; }
.sizes { display: grid; grid-template-columns: auto 1fr; gap: .5rem 1rem; margin: 0; padding: 1rem 1.2rem; background: #fff; border: 1px solid #e2dfd8; border-radius: 12px; }
.sizes dt { font-weight: 650; white-space: nowrap; }
.sizes dd { margin: 0; }
ol { padding-left: 1.3rem; }
ol li { margin: .35rem 0; }
code { padding: .1em .35em; background: #fff; border: 1px solid #e2dfd8; border-radius: 5px; font-size: .92em; }
.note { padding: .8rem 1rem; background: #fff8e6; border: 1px solid #f0dfae; border-radius: 10px; }
.presets { padding-left: 1.1rem; }
.tag { color: #6a6d73; font-size: .9em; }
</style>
"""


def page(title, kicker, body):
    return ("<!DOCTYPE html>\n<html lang=\"de\">\n<head>\n<meta charset=\"utf-8\">\n"
            "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
            f"<title>{title}</title>\n{STYLE}</head>\n<body>\n<main>\n"
            f"<p class=\"kicker\">{kicker}</p>\n<h1>{title}</h1>\n{body}</main>\n</body>\n</html>\n")


def sizes(rows):
    return "<dl class=\"sizes\">\n" + "".join(f"<dt>{k}</dt><dd>{v}</dd>\n" for k, v in rows) + "</dl>\n"


STEPS_GALLERY = """<h2>So gehen Sie vor</h2>
<ol>
<li>Wählen Sie links unter dieser Projektart eine Vorlage. Rechts sehen Sie dann ein Beispiel ihrer Gestaltung.</li>
<li>Unter <b>Bild - Einstellungen</b> legen Sie die frei wählbaren Bildgrößen, das Bildformat, die Qualität und ein Wasserzeichen fest. Die fest vorgegebenen Größen gehören zur Gestaltung der Vorlage und lassen sich nicht ändern.</li>
<li>Unter <b>Projekt - Einstellungen</b> stellen Sie ein, was die Vorlage freigibt: Spalten und Zeilen, Farben und Schrift, bei Diashows Anzeigedauer und Überblendung.</li>
<li>Unter <b>Bild- und Albumauswahl</b> fügen Sie Ihre Bilder hinzu, ordnen sie und geben ihnen Bildunterschriften.</li>
<li>Unter <b>Erstellen</b> wählen Sie Projektordner und Projektnamen und klicken auf <b>Projekt erstellen</b>. Das Ergebnis sehen Sie anschließend unter <b>Ausgabe</b>.</li>
</ol>
"""


def preset_list(presets, family):
    items = []
    for p in presets:
        if p["n"] // 1000 != family:
            continue
        extra = []
        if p.get("free"):
            extra.append("Spalten und Zeilen frei wählbar")
        elif "cols" in p:
            extra.append(f"{p['cols']} × {p['rows']} Bilder je Seite")
        if p.get("albums") and family in (1, 7):
            extra.append("mit Alben")
        elif family in (1, 7):
            extra.append("ohne Alben")
        enable, values = p["colfonts"]
        if enable or values:
            extra.append("eigene Farben möglich")
        if family == 5:
            extra.append("mit Überblendung" if p.get("java") else "ohne Überblendung")
        if p.get("today"):
            extra.append("Fotos bildschirmfüllend auf der Seite")
        items.append(f"<li><b>{p['name']}</b> <span class=\"tag\">– {', '.join(extra)}</span></li>\n"
                     if extra else f"<li><b>{p['name']}</b></li>\n")
    return "<h2>Vorlagen dieser Art</h2>\n<ul class=\"presets\">\n" + "".join(items) + "</ul>\n"


def pages(presets):
    out = {}
    out["0.html"] = page("Willkommen bei Corvane Pico Vand", "Corvane Pico Vand", """<p class="lead">Aus Ihren Fotos entsteht eine fertige Web-Galerie: verkleinerte Bilder, Vorschaubilder und HTML-Seiten, die Sie auf jeden Webserver kopieren oder direkt von der Festplatte aus ansehen können.</p>
<p>Hier erscheint die Vorschau Ihrer Galerie, sobald Sie ein Projekt erstellt haben. Wurde die Erstellung abgebrochen, ist noch keine vollständige Galerie vorhanden: starten Sie sie unter <b>Erstellen</b> einfach noch einmal.</p>
<h2>So gehen Sie vor</h2>
<ol>
<li><b>Projektauswahl:</b> Wählen Sie eine Projektart und darunter eine Vorlage.</li>
<li><b>Bild - Einstellungen:</b> Bildgrößen, Format, Qualität und Wasserzeichen.</li>
<li><b>Projekt - Einstellungen:</b> Aufteilung der Seiten, Farben und Schrift, Diashow.</li>
<li><b>Bild- und Albumauswahl:</b> Bilder und ganze Ordner hinzufügen, Alben anlegen, Bildunterschriften.</li>
<li><b>Erstellen:</b> Projektordner und -name wählen und das Projekt erstellen.</li>
<li><b>Ausgabe:</b> Ergebnis ansehen, Datenmenge prüfen und per FTP veröffentlichen.</li>
</ol>
<h2>Die Bildgrößen A, B und C</h2>
<p>Jedes Bild kann in bis zu drei Größen geschrieben werden. Welche Größe wo erscheint, hängt von der Projektart ab: meist ist A das Bild auf der Seite oder das Vorschaubild, B die große Ansicht und C eine zusätzliche, noch größere Fassung. Die Informationen zu jeder Projektart sagen es genau.</p>
""")

    out["1000.html"] = page("Webalbum ohne Diashow", "Projektart", """<p class="lead">Ein klassisches Fotoalbum: Seiten mit Vorschaubildern, auf Wunsch gegliedert in Alben und Unteralben. Ein Klick auf ein Vorschaubild öffnet die große Ansicht in einem eigenen Fenster.</p>
""" + sizes([("Bild A", "Das Vorschaubild auf den Albumseiten. Die Größe gibt die Vorlage fest vor."),
             ("Bild B", "Die große Ansicht, die ein Klick auf das Vorschaubild öffnet. Frei wählbar; ohne Bild B sind die Vorschaubilder nicht verlinkt."),
             ("Bild C", "Wird bei dieser Projektart nicht verwendet.")])
        + """<p>Spalten und Zeilen bestimmen, wie viele Bilder eine Seite zeigt; bei mehr Bildern entstehen weitere Seiten mit Seitenzahlen. Alben erscheinen als Ordnersymbol mit ihrem Namen und haben eigene Seiten.</p>
""" + preset_list(presets, 1) + STEPS_GALLERY)

    out["7000.html"] = page("Webalbum mit Diashow", "Projektart", """<p class="lead">Albumseiten mit Vorschaubildern wie beim Webalbum – ein Klick auf ein Bild startet aber eine Diashow in einem eigenen Fenster, durch die man Bild für Bild blättert.</p>
""" + sizes([("Bild A", "Das Vorschaubild auf den Albumseiten. Fest vorgegeben."),
             ("Bild B", "Das Bild der Diashow-Seiten. Fest vorgegeben."),
             ("Bild C", "Optional: eine noch größere Fassung, die ein Klick auf das Diashow-Bild öffnet. Ohne Bild C bleibt das Diashow-Bild unverlinkt.")])
        + preset_list(presets, 7) + STEPS_GALLERY)

    out["4000.html"] = page("Diashow", "Projektart", """<p class="lead">Eine Seite je Bild: groß in der Mitte, darunter Bildunterschrift und Bedienelemente zum Blättern. Die Diashow kommt ohne Skript aus; die Pfeiltasten blättern ebenfalls.</p>
""" + sizes([("Bild A", "Das Bild auf jeder Seite der Diashow. Fest vorgegeben."),
             ("Bild B", "Optional: die große Fassung, die ein Klick auf das Bild öffnet. Frei wählbar."),
             ("Bild C", "Wird bei dieser Projektart nicht verwendet.")])
        + """<p>Alle Bilder erscheinen in der Reihenfolge der Bildauswahl; Alben gibt es bei dieser Projektart nicht.</p>
""" + preset_list(presets, 4) + STEPS_GALLERY)

    out["5000.html"] = page("Diashow mit JAVA-Funktionen", "Projektart", """<p class="lead">Die ganze Diashow auf einer einzigen Seite: ein Skript wechselt die Bilder im Browser, auf Wunsch automatisch und mit sanfter Überblendung. Start, Pause, Vor und Zurück bedient man mit Schaltflächen oder den Pfeiltasten.</p>
""" + sizes([("Bild A", "Das Bild der Diashow. Fest vorgegeben."),
             ("Bild B", "Optional: die große Fassung, die ein Klick auf das Bild in einem eigenen Fenster öffnet. Frei wählbar."),
             ("Bild C", "Wird bei dieser Projektart nicht verwendet.")])
        + """<p class="note">Diese Diashow braucht JavaScript; die Option „Kein Javascript benutzen“ steht hier deshalb nicht zur Verfügung. Anzeigedauer und Überblendung stellen Sie unter <b>Projekt - Einstellungen</b> ein, wenn die Vorlage es erlaubt.</p>
""" + preset_list(presets, 5) + STEPS_GALLERY)

    out["6000.html"] = page("Diashow mit Vorschau", "Projektart", """<p class="lead">Eine Seite je Bild mit einer Leiste kleiner Vorschaubilder: das aktuelle Bild in der Mitte, die Nachbarn davor und dahinter. Ein Klick auf ein Vorschaubild springt direkt dorthin.</p>
""" + sizes([("Bild A", "Die kleinen Bilder der Vorschauleiste. Fest vorgegeben."),
             ("Bild B", "Das große Bild jeder Seite. Fest vorgegeben."),
             ("Bild C", "Optional: eine noch größere Fassung, die ein Klick auf das Bild öffnet.")])
        + preset_list(presets, 6) + STEPS_GALLERY)

    out["3000.html"] = page("Serienkonvertierung von Dateien", "Projektart", """<p class="lead">Ohne Webseiten: Pico Vand rechnet alle ausgewählten Bilder in bis zu drei Größen um, auf Wunsch in ein anderes Bildformat und mit Wasserzeichen.</p>
<p>Wählen Sie darunter die Vorlage <b>Serienkonvertierung</b>.</p>
""")

    out["3001.html"] = page("Serienkonvertierung", "Serienkonvertierung von Dateien", """<p class="lead">Alle Bilder werden umgerechnet und in den Projektordner geschrieben – Webseiten entstehen keine. Alben werden dabei zu Unterordnern.</p>
""" + sizes([("Bild A", "Erste Ausgabegröße, frei wählbar."),
             ("Bild B", "Zweite Ausgabegröße, frei wählbar; „(Kein Bild)“ lässt sie weg."),
             ("Bild C", "Dritte Ausgabegröße, frei wählbar; „(Kein Bild)“ lässt sie weg.")])
        + """<p>Jede Größe ist ein Rahmen: das Bild wird so eingepasst, dass sein Seitenverhältnis erhalten bleibt. „(Orginalbild)“ übernimmt die Datei unverändert. Die Dateinamen beginnen mit dem Datei-Prefix der jeweiligen Größe und tragen eine fortlaufende Nummer.</p>
<h2>So gehen Sie vor</h2>
<ol>
<li>Unter <b>Bild - Einstellungen</b> Größen, Bildformat, Qualität, Algorithmus und Wasserzeichen festlegen.</li>
<li>Unter <b>Bild- und Albumauswahl</b> die Bilder hinzufügen; Alben werden zu Unterordnern.</li>
<li>Unter <b>Erstellen</b> Projektordner und -name wählen und das Projekt erstellen. Die fertigen Bilder liegen dann im Ausgabeordner; <b>Öffnen</b> zeigt ihn im Dateimanager.</li>
</ol>
""")

    own_intro = """<h2>Ihre Webseite vorbereiten</h2>
<p>Schreiben Sie an die Stelle Ihrer Seite, an der die Galerie erscheinen soll, den Platzhalter <code>##PICOVAND##</code> – genau so, in Großbuchstaben und mit den Rauten. Pico Vand ersetzt ihn beim Erstellen durch eine Tabelle mit den Bildern und Schaltflächen; der Rest Ihrer Seite bleibt, wie er ist. Eine leere <a href="beispielseite.html">Beispielseite</a> zeigt, wie das aussieht.</p>
<p>Unter <b>Projekt - Einstellungen</b> wählen Sie mit <b>Auswählen</b> die Webseite und eines der Steuerelement-Designs für die Schaltflächen. Tabellenbreite, Rahmen, Abstände, Farben und Schrift der Tabelle stellen Sie dort ebenfalls ein.</p>
"""
    own_sizes = sizes([("Bild A", "Das Bild in Ihrer Seite, frei wählbar."),
                       ("Bild B", "Optional: die große Fassung, die ein Klick auf Bild A in einem eigenen Fenster öffnet."),
                       ("Bild C", "Wird bei eigenen Vorlagen nicht verwendet.")])
    own_steps = """<h2>So gehen Sie vor</h2>
<ol>
<li>Platzhalter <code>##PICOVAND##</code> in Ihre Seite einfügen und speichern.</li>
<li>Bildgrößen unter <b>Bild - Einstellungen</b> festlegen.</li>
<li>Webseite und Steuerelemente unter <b>Projekt - Einstellungen</b> wählen.</li>
<li>Bilder hinzufügen und unter <b>Erstellen</b> das Projekt erstellen. Pico Vand schreibt Kopien Ihrer Seite in den Projektordner; Ihre Originalseite bleibt unverändert.</li>
</ol>
"""
    out["2000.html"] = page("Eigene Vorlage", "Projektart", """<p class="lead">Die Galerie erscheint in einer Webseite, die Sie selbst gestaltet haben – mit Ihrem Kopf, Ihrem Menü und Ihren Farben.</p>
<ul class="presets">
<li><b>Album</b> – Seiten mit Vorschaubildern, auf Wunsch mit Alben.</li>
<li><b>Einzelbilder</b> – eine Seite je Bild zum Durchblättern.</li>
<li><b>Diashow</b> – alle Bilder auf einer Seite, per Skript gewechselt.</li>
</ul>
""" + own_intro + own_sizes)
    out["2001.html"] = page("Eigene Webseite: Album", "Eigene Vorlage", """<p class="lead">Seiten mit einer Tabelle von Vorschaubildern in Ihrer eigenen Webseite. Alben erscheinen als Ordnersymbol und haben eigene Seiten; bei vielen Bildern blättern Schaltflächen und Seitenzahlen weiter.</p>
<p>Spalten und Zeilen unter <b>Projekt - Einstellungen</b> bestimmen, wie viele Bilder eine Seite zeigt.</p>
""" + own_sizes + own_intro + own_steps)
    out["2002.html"] = page("Eigene Webseite: Einzelbilder", "Eigene Vorlage", """<p class="lead">Eine Kopie Ihrer Webseite je Bild: das Bild mit Titel, Position und Bildunterschrift, darunter Schaltflächen zum Blättern und die Seitenzahlen.</p>
""" + own_sizes + own_intro + own_steps)
    out["2003.html"] = page("Eigene Webseite: Diashow", "Eigene Vorlage", """<p class="lead">Eine einzige Seite: Ihre Webseite mit einer Diashow, die ein Skript im Browser abspielt – mit Start, Pause, Vor und Zurück und auf Wunsch mit Überblendung.</p>
<p class="note">Diese Diashow braucht JavaScript; die Option „Kein Javascript benutzen“ steht hier nicht zur Verfügung.</p>
""" + own_sizes + own_intro + own_steps)

    out["beispielseite.html"] = """<!DOCTYPE html>
<html lang="de">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>Meine Fotos</title>
<style>
body { margin: 0; background: #fafaf8; color: #222; font: 16px/1.6 system-ui, sans-serif; }
header, main, footer { max-width: 60rem; margin: 0 auto; padding: 1.5rem; }
header { border-bottom: 1px solid #ddd; }
h1 { margin: 0; font-size: 1.6rem; }
footer { color: #777; font-size: .85rem; }
/* The gallery table and its pictures shrink with a narrow window. */
table.PicoVandCSS { max-width: 100%; }
.PicoVandCSS img { max-width: 100%; height: auto; }
.PicoVandCSS img[src$="folder.gif"] { width: 160px; }
</style>
</head>
<body>
<header><h1>Meine Fotos</h1></header>
<main>
<p>Eine Beispielseite: an der Stelle des Platzhalters erscheint die Galerie.</p>
##PICOVAND##
</main>
<footer>Kopf, Menü und Fuß dieser Seite gestalten Sie selbst.</footer>
</body>
</html>
"""

    out["draft.html"] = """<!DOCTYPE html>
<html lang="de">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>##DRAFT##</title>
<style>
* { box-sizing: border-box; }
body { margin: 0; min-height: 100vh; background: #ecebe7 url("../IMAGES/tback.png"); color: #1f2226; font: 15px/1.55 system-ui, -apple-system, "Segoe UI", Roboto, "Helvetica Neue", Arial, sans-serif; }
main { max-width: 44rem; margin: 0 auto; padding: 1.5rem 1.25rem 2rem; }
.kicker { margin: 0 0 .25rem; font-size: .75rem; letter-spacing: .14em; text-transform: uppercase; color: #6a6d73; }
h1 { margin: 0 0 1rem; font-size: 1.5rem; line-height: 1.2; font-weight: 650; }
figure { margin: 0; padding: .6rem; background: #fff; border-radius: 14px; box-shadow: 0 1px 2px rgb(0 0 0 / .06), 0 12px 32px -16px rgb(0 0 0 / .35); }
figure img { display: block; width: 100%; height: auto; border-radius: 9px; }
figcaption { padding: .6rem .3rem .2rem; color: #6a6d73; font-size: .85rem; }
.lead { margin: 0 0 1.1rem; color: #3b3f45; }
</style>
</head>
<body>
<main>
<p class="kicker">Vorlage</p>
<h1>##DRAFT##</h1>
<p class="lead">Die Größen, die diese Vorlage fest vorgibt, sind unter <b>Bild - Einstellungen</b> bereits eingetragen. Fügen Sie unter <b>Bild- und Albumauswahl</b> Ihre Bilder hinzu und erstellen Sie das Projekt unter <b>Erstellen</b>.</p>
<figure><img src="##IMAGE##" alt="Beispiel der Vorlage ##DRAFT##"><figcaption>So sieht eine Galerie mit dieser Vorlage aus.</figcaption></figure>
</main>
</body>
</html>
"""
    return out
