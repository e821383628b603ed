// Pictures of every page, the caption dialog and the info box, taken on a
// real X display (Xvfb) so the embedded browser paints as it does for a user.
// Before that it checks that the window works at its smallest size: at
// 1024 x 700 every control of every page lies inside its page.
#include <QApplication>
#include <QCursor>
#include <QPainter>
#include <QSignalSpy>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>
#include <cstdio>

#include "GuiSupport.h"
#include "app/Info.h"
#include "app/PicoVandApp.h"
#include "app/PicoVandDlg.h"
#include "controls/EnTabCtrl.h"
#include "model/Image.h"
#include "util/FileSystem.h"
#include "ui/DirectUpload.h"
#include "ui/Explorer.h"
#include "ui/AddStructureDlg.h"
#include "ui/Ftp.h"
#include "ui/SelTemplate.h"
#include "ui/IPTCTags.h"
#include "ui/TabFiles.h"
#include "ui/TabProject.h"

namespace {

// A small installed data tree: a few presets, the information pages and the
// preview template, so the pages show what a user sees.
void writeDataTree(const guitest::ScratchProgram& program) {
  program.preset(1001,
                 "[LANG]\nDE=Klassisches Webalbum\nID=1001\n[FOLDER]\nSUB=1\n[IMAGE]\nENABLEA=0\nENABLEB=1\n"
                 "SIZEAX=120\nSIZEAY=90\nSIZEBX=640\nSIZEBY=480\nENABLEFORMAT=1\n[PROJECT]\nIMAGEX=4\nIMAGEY=3\n"
                 "ENABLEXY=1\n[TABLE]\nENABLEWIDTH=1\nENABLEBORDER=1\nWIDTH=800\nBORDER=1\nPADDING=4\nSPACING=2\n"
                 "[COLFONTS]\nENABLE=1\nBACKGROUNDCOLOR=#F4F1EA\nTEXTCOLOR=#333333\nLINKCOLOR=#2563A8\n");
  program.preset(1002, "[LANG]\nDE=Webalbum dunkel\nID=1002\n[PROJECT]\nIMAGEX=5\nIMAGEY=4\n");
  program.preset(4001, "[LANG]\nDE=Diashow klassisch\nID=4001\n");
  program.preset(5001, "[LANG]\nDE=Diashow mit Überblendung\nID=5001\n[JAVA]\nENABLE=1\n");
  program.preset(6001, "[LANG]\nDE=Filmstreifen\nID=6001\n");
  program.preset(7001, "[LANG]\nDE=Album mit Diashow\nID=7001\n");
  program.preset(3001, "[LANG]\nDE=Bilder umwandeln\nID=3001\n");
  program.preset(2001, "[LANG]\nDE=Eigene Seite mit Album\nID=2001\n");
  program.preset(2002, "[LANG]\nDE=Eigene Seite mit Diashow\nID=2002\n");
  program.preset(2003, "[LANG]\nDE=Eigene Seite mit Skript-Diashow\nID=2003\n");
  const std::string style =
      "<style>body{font-family:'DejaVu Sans',sans-serif;margin:24px;color:#2b333b;background:#fff}"
      "h1{font-size:20px;color:#25506f}p{line-height:1.5}</style>";
  program.write("resources/DE/0.html",
                "<html><head><meta charset=\"utf-8\">" + style +
                    "</head><body><h1>Willkommen</h1><p>Wählen Sie links eine Projektart. Hier sehen Sie "
                    "dann, wie die Galerie aussehen wird.</p></body></html>");
  program.write("resources/DE/draft.html",
                "<html><head><meta charset=\"utf-8\">" + style +
                    "</head><body style=\"background:url('../IMAGES/tback.png')\"><h1>##DRAFT##</h1>"
                    "<img src=\"##IMAGE##\" style=\"max-width:100%\"></body></html>");
  QDir().mkpath(QString::fromStdString(program.programFolder() + "resources/IMAGES"));
  QImage sample(":/art/ill-web-album@2x.png");
  sample.setDevicePixelRatio(1);
  QImage opaque(sample.size(), QImage::Format_RGB32);
  opaque.fill(Qt::white);
  QPainter(&opaque).drawImage(0, 0, sample);
  opaque.save(QString::fromStdString(program.programFolder() + "resources/IMAGES/1001.jpg"));
  QImage back(8, 8, QImage::Format_RGB32);
  back.fill(QColor(0xf7, 0xf9, 0xfb));
  back.save(QString::fromStdString(program.programFolder() + "resources/IMAGES/tback.png"));
}

void settle(int ms = 150) {
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 20);
}

bool save(QWidget* w, const QString& file) {
  settle();
  const bool ok = w->grab().save(file);
  if (!ok) std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
  return ok;
}

// Every shown control of the page inside the page: nothing cut off or
// pushed out when the window is at its smallest.
int controlsOutside(QWidget* page) {
  int outside = 0;
  for (QWidget* w : page->findChildren<QWidget*>()) {
    if (!w->isVisible() || w->isWindow()) continue;
    const QRect r(w->mapTo(page, QPoint(0, 0)), w->size());
    if (!page->rect().contains(r)) {
      std::fprintf(stderr, "%s: %s (%s) at %d,%d %dx%d outside %dx%d\n", page->metaObject()->className(),
                   w->metaObject()->className(), qPrintable(w->objectName()), r.x(), r.y(), r.width(), r.height(),
                   page->width(), page->height());
      ++outside;
    }
  }
  return outside;
}

}  // namespace

int main(int argc, char** argv) {
  // --installed: with the data tree installed beside the program instead of
  // the test's own (for looking at the real presets; not used by the tests).
  const bool installed = argc == 3 && std::string(argv[2]) == "--installed";
  if (argc != 2 && !installed) {
    std::fprintf(stderr, "usage: gui_screenshots <output folder> [--installed]\n");
    return 2;
  }
  QTemporaryDir home;
  qputenv("HOME", home.path().toUtf8());
  qputenv("XDG_CACHE_HOME", (home.path() + "/cache").toUtf8());
  QTemporaryDir runtime;
  qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
  prepareWebEngine();
  QApplication app(argc, argv);
  pv::initialiseImageLibrary();
  const QString out = QString::fromLocal8Bit(argv[1]);
  QDir().mkpath(out);

  guitest::ScratchProgram program;
  writeDataTree(program);
  auto state = installed ? std::make_unique<pv::AppState>(
                               pv::Environment{pv::executableFolder(), home.path().toStdString() + "/home", "", "", "", ""})
                         : program.makeState();
  guitest::ScriptedDesktop scripted;
  CPicoVandDlg window(*state, scripted.desktop);
  window.show();

  // The pointer off the window, so no picture button shows its highlight.
  QCursor::setPos(window.screen()->geometry().bottomRight());
  int failures = 0;
  // The X server takes the new size in its own time, longer on a busy machine.
  window.resize(1024, 700);
  settle();
  for (QElapsedTimer t; window.size() != QSize(1024, 700) && (!t.isValid() || t.elapsed() < 5000);) {
    if (!t.isValid()) t.start();
    settle(50);
  }
  if (window.size() != QSize(1024, 700)) {
    std::fprintf(stderr, "the window needs %dx%d\n", window.width(), window.height());
    ++failures;
  }
  for (int i = 0; i < CPicoVandDlg::kPageCount; ++i) {
    window.goToPage(i);
    settle(50);
    failures += controlsOutside(window.tabControl()->page(i));
    if (i == CPicoVandDlg::kImagePage && !save(&window, out + "/smallest-window.png")) ++failures;
  }

  window.resize(1120, 780);
  window.goToPage(0);
  QTreeWidget* tree = window.pages().project->tree();
  for (QTreeWidgetItemIterator it(tree); *it; ++it)
    if ((*it)->data(0, Qt::UserRole).toInt() == 1001) {
      QSignalSpy loaded(window.pages().project->browser(), &QWebEngineView::loadFinished);
      (*it)->parent()->setExpanded(true);
      tree->setCurrentItem(*it);
      loaded.wait(10000);
    }
  // A few of the shared photos and an album on the album page.
  CTabFiles* album = window.pages().album;
  QStringList photos;
  for (const char* name : {"exif_canon_powershot_sd300.jpg", "portrait_nikon_d70s.jpg", "orientation6_canon_sx60.jpg",
                           "iptc_caption_nikon_d1x_reagan.jpg", "broken_truncated.jpg"})
    photos << QString(PICOVAND_TESTDATA) + "/" + name;
  state->items.addAlbum("/", "Urlaub");
  album->addPaths(photos);
  for (QElapsedTimer t; !t.isValid() || (album->worker() && t.elapsed() < 30000);) {
    if (!t.isValid()) t.start();
    settle(50);
  }
  static const char* const names[CPicoVandDlg::kPageCount] = {
      "projektauswahl", "bild-einstellungen", "projekt-einstellungen", "bild-und-albumauswahl", "erstellen", "ausgabe"};
  for (int i = 0; i < CPicoVandDlg::kPageCount; ++i) {
    window.goToPage(i);
    if (!save(&window, QString("%1/%2-%3.png").arg(out).arg(i + 1).arg(names[i]))) ++failures;
  }

  CAddStructureDlg folders(true, &window);
  folders.show();
  if (!save(&folders, out + "/ordner-waehlen.png")) ++failures;
  folders.close();
  CIPTCTags captions(*state, &window);
  captions.show();
  if (!save(&captions, out + "/iptc-dialog.png")) ++failures;
  captions.close();
  CInfo info(state->screenDpi, scripted.desktop, &window);
  info.show();
  if (!save(&info, out + "/info.png")) ++failures;
  info.close();
  CSelTemplate own(*state, scripted.desktop, "", &window);
  own.show();
  if (!save(&own, out + "/eigene-vorlage.png")) ++failures;
  own.close();
  CFtp upload(scripted.desktop, state->settings.projectsFolder, &window);
  upload.sections()->addWidget(new CDirectUpload(scripted.desktop, state->settings.projectsFolder, "", &upload));
  upload.show();
  if (!save(&upload, out + "/projekt-uploaden.png")) ++failures;
  upload.close();

  pv::shutdownImageLibrary();
  std::printf("screenshots in %s\n", qPrintable(out));
  return failures == 0 ? 0 : 1;
}
