// The album page driven through its controls: moving between albums, the
// commands on rows, adding files and folders on the worker (with what it
// leaves out), and the folder dialog.
#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMimeData>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QUrl>

#include "GuiSupport.h"
#include "controls/TabFilesListBox.h"
#include "model/ThumbnailCache.h"
#include "ui/AddStructureDlg.h"
#include "util/FileSystem.h"
#include "util/Text.h"
#include "ui/TabFiles.h"
#include "ui/TabOptions2.h"

using guitest::ScratchProgram;
using guitest::ScriptedDesktop;

namespace {

// A photo whose four quadrants differ, so every turn and mirror shows.
void writePhoto(const QString& path, int width = 160, int height = 96) {
  QImage image(width, height, QImage::Format_RGB32);
  QPainter p(&image);
  p.fillRect(0, 0, width / 2, height / 2, Qt::red);
  p.fillRect(width / 2, 0, width - width / 2, height / 2, Qt::green);
  p.fillRect(0, height / 2, width / 2, height - height / 2, Qt::blue);
  p.fillRect(width / 2, height / 2, width - width / 2, height - height / 2, Qt::yellow);
  p.end();
  QDir().mkpath(QFileInfo(path).path());
  QVERIFY(image.save(path, "JPG", 95));
}

void writeText(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).path());
  QFile f(path);
  QVERIFY(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

}  // namespace

class AlbumPageTest : public QObject {
  Q_OBJECT
  ScratchProgram program;
  std::unique_ptr<pv::AppState> state;
  ScriptedDesktop scripted;
  SharedPictures pictures;
  std::unique_ptr<CTabOptions2> settings;
  Pages pages;
  std::unique_ptr<CTabFiles> page;
  QTemporaryDir files;

  template <typename T>
  T* find(const char* name) const {
    T* w = page->findChild<T*>(name);
    if (!w) qFatal("no control %s", name);
    return w;
  }
  CTabFilesListBox* list() const { return find<CTabFilesListBox>("albumList"); }
  QComboBox* chooser() const { return find<QComboBox>("albumChooser"); }
  void press(const char* name) const { find<QPushButton>(name)->click(); }
  void newAlbum(const QString& name) const {
    find<QLineEdit>("albumName")->setText(name);
    press("newAlbum");
  }
  int rowOf(const QString& firstLine) const {
    for (int i = 0; i < list()->count(); ++i)
      if (list()->text(i).section('\n', 0, 0) == firstLine) return i;
    return -1;
  }
  void doubleClick(int row) const {
    const QRect r = list()->visualRect(list()->model()->index(row, 0));
    // A double click is a press, a release and the second press.
    QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, r.center());
    QTest::mouseDClick(list()->viewport(), Qt::LeftButton, {}, r.center());
  }
  QString path(const QString& relative) const { return files.path() + "/" + relative; }
  void waitForWorker() const { QTRY_VERIFY_WITH_TIMEOUT(!page->worker() && !page->thumbnailsPending(), 60000); }
  void drop(const QStringList& paths) const {
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& p : paths) urls << QUrl::fromLocalFile(p);
    data.setUrls(urls);
    const QPoint at = list()->viewport()->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(list()->viewport(), &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent event(at, Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(list()->viewport(), &event);
    QVERIFY(event.isAccepted());
    waitForWorker();
  }
  std::vector<std::string> namesIn(const std::string& album) const {
    std::vector<std::string> names;
    for (const pv::CollectionItem* i : state->items.itemsIn(album)) names.push_back(i->name);
    return names;
  }

 private slots:
  void initTestCase() {
    pictures = SharedPictures::load();
    state = program.makeState();
    settings = std::make_unique<CTabOptions2>(*state, pictures, scripted.desktop);
    pages.settings = settings.get();
    page = std::make_unique<CTabFiles>(*state, pages, pictures, scripted.desktop);
    page->resize(1000, 700);
    page->show();
  }

  void init() {
    state->items.clear();
    page->setAlbumsAllowed(true);
    page->collectionCleared();
    scripted.clear();
  }

  void upRowAndDoubleClicksMoveBetweenAlbums() {
    newAlbum("Urlaub");
    QCOMPARE(list()->count(), 1);  // no up row at the top level
    QCOMPARE(list()->text(0), QString("Album: Urlaub\nParent: /\nCaption: "));
    doubleClick(0);
    QCOMPARE(chooser()->currentText(), QString("/Urlaub"));
    QCOMPARE(list()->text(0), QString("\n..\n"));
    newAlbum("Berge");
    doubleClick(rowOf("Album: Berge"));
    QCOMPARE(chooser()->currentText(), QString("/Urlaub/Berge"));
    QCOMPARE(list()->count(), 1);
    QTest::keyClick(list(), Qt::Key_Backspace);
    QCOMPARE(chooser()->currentText(), QString("/Urlaub"));
    doubleClick(0);
    QCOMPARE(chooser()->currentText(), QString("/"));
    QCOMPARE(page->currentAlbumPath(), std::string("/"));
    // Choosing an album in the chooser lists it.
    chooser()->setCurrentText("/Urlaub/Berge");
    QCOMPARE(list()->text(0), QString("\n..\n"));
  }

  void albumNamesAreCleanedAndMayRepeat() {
    newAlbum("Ferien");
    newAlbum("  Fe/rien  ");
    newAlbum(" .. ");
    newAlbum("*?");
    QStringList entries;
    for (int i = 0; i < chooser()->count(); ++i) entries << chooser()->itemText(i);
    QCOMPARE(entries, QStringList({"/", "/Ferien", "/Ferien"}));
    QCOMPARE(find<QLineEdit>("albumName")->text(), QString("*?"));  // a refused name stays for correcting

    // Rename and delete act on the selected album row only.
    list()->setCurrentRow(1);
    QCOMPARE(find<QLineEdit>("albumName")->text(), QString("Ferien"));
    find<QLineEdit>("albumName")->setText("Winter");
    press("renameAlbum");
    QCOMPARE(list()->text(1), QString("Album: Winter\nParent: /\nCaption: "));
    list()->setCurrentRow(0);
    press("deleteAlbum");
    QCOMPARE(list()->count(), 1);
    QCOMPARE(chooser()->count(), 2);
  }

  void captionsAreTrimmedAndShownInTheRow() {
    writePhoto(path("caption/a.jpg"));
    press("addImages");  // cancelled: nothing
    scripted.fileLists.push_back({path("caption/a.jpg")});
    press("addImages");
    waitForWorker();
    QCOMPARE(scripted.fileFilters.size(), size_t(2));
    QVERIFY(scripted.fileFilters[0].startsWith("All Image Formats (*.jpg *.jpeg *.jif *.jpe *.gif *.bmp *.png *.tif "
                                               "*.tiff *.psd *.heic *.heif *.hif *.avif *.webp *.dng *.cr2 *.cr3 "
                                               "*.nef *.arw *.orf *.rw2 *.raf *.pef);;JPEG Image Format "
                                               "(*.jpg,*.jpeg,*.jif,*.jpe) (*.jpg"));
    QVERIFY(scripted.fileFilters[0].contains(";;Adobe Photoshop (*.psd) (*.psd);;High Efficiency Image File Format"));
    QVERIFY(scripted.fileFilters[0].endsWith(
        ";;Camera RAW (*.dng,*.cr2,*.cr3,*.nef,*.arw,*.orf,*.rw2,*.raf,*.pef) (*.dng *.cr2 *.cr3 *.nef *.arw *.orf "
        "*.rw2 *.raf *.pef)"));
    QCOMPARE(list()->count(), 1);
    list()->setCurrentRow(0);
    QVERIFY(find<QLineEdit>("caption")->isEnabled());
    find<QLineEdit>("caption")->setText("  Am Strand \t");
    press("changeCaption");
    QCOMPARE(state->items.list[0]->caption, std::string("Am Strand"));
    QVERIFY(list()->text(0).endsWith("\nCaption: Am Strand"));
    QCOMPARE(list()->currentRow(), 0);
  }

  void movesSwapRecordsButNotTheUpRow() {
    for (const char* name : {"m/1.jpg", "m/2.jpg"}) writePhoto(path(name));
    newAlbum("Sub");
    doubleClick(0);
    page->addPaths({path("m/1.jpg"), path("m/2.jpg")});
    waitForWorker();
    newAlbum("Innen");
    QCOMPARE(list()->count(), 4);  // up, 1.jpg, 2.jpg, Innen
    list()->setCurrentRow(1);
    press("moveUp");
    QCOMPARE(list()->currentRow(), 1);
    QCOMPARE(namesIn("/Sub"), (std::vector<std::string>{"1.jpg", "2.jpg", "Innen"}));
    // An image moved past an album changes the order of the whole project.
    list()->setCurrentRow(3);
    press("moveUp");
    press("moveUp");
    QCOMPARE(list()->currentRow(), 1);
    QCOMPARE(namesIn("/Sub"), (std::vector<std::string>{"Innen", "1.jpg", "2.jpg"}));
    QCOMPARE(list()->text(1), QString("Album: Innen\nParent: /Sub\nCaption: "));
    press("moveDown");
    press("moveDown");
    press("moveDown");  // past the end: nothing
    QCOMPARE(list()->currentRow(), 3);
    QCOMPARE(namesIn("/Sub"), (std::vector<std::string>{"1.jpg", "2.jpg", "Innen"}));
  }

  // The cover of an album: one image of the album, marked by its button
  // (or the keyboard), shown in its row, and kept when the image moves.
  void theCoverIsMarkedAndFollowsItsImage() {
    for (const char* name : {"c/1.jpg", "c/2.jpg"}) writePhoto(path(name));
    QPushButton* cover = find<QPushButton>("albumCover");
    QCOMPARE(QAccessible::queryAccessibleInterface(cover)->text(QAccessible::Name), QString("Titelbild des Albums"));
    page->addPaths({path("c/1.jpg")});
    waitForWorker();
    list()->setCurrentRow(0);
    QVERIFY(!cover->isEnabled());  // the top level has no tile
    newAlbum("Sub");
    doubleClick(rowOf("Album: Sub"));
    page->addPaths({path("c/1.jpg"), path("c/2.jpg")});
    waitForWorker();
    auto marked = [&] {
      std::vector<std::string> names;
      for (const pv::CollectionItem* i : state->items.itemsIn("/Sub"))
        if (i->albumCover) names.push_back(i->name);
      return names;
    };
    list()->setCurrentRow(2);
    QVERIFY(cover->isEnabled() && !cover->isChecked());
    press("albumCover");
    QCOMPARE(marked(), std::vector<std::string>{"2.jpg"});
    QVERIFY2(list()->text(2).startsWith("Image: 2.jpg (Titelbild)\n"), qPrintable(list()->text(2)));
    list()->setCurrentRow(1);
    QVERIFY(!cover->isChecked());
    press("moveDown");
    list()->setCurrentRow(1);
    QVERIFY(cover->isChecked());
    QVERIFY(list()->text(1).startsWith("Image: 2.jpg (Titelbild)"));
    // Marking the other one by keyboard takes the mark from the first.
    list()->setCurrentRow(2);
    cover->setFocus();
    QTest::keyClick(cover, Qt::Key_Space);
    QCOMPARE(marked(), std::vector<std::string>{"1.jpg"});
    QVERIFY(!list()->text(1).contains("Titelbild"));
    QVERIFY(list()->text(2).startsWith("Image: 1.jpg (Titelbild)"));
  }

  void turnsAndMirrorsComeBackToTheFirstThumbnail() {
    writePhoto(path("t/a.jpg"));
    writePhoto(path("t/b.jpg"), 96, 160);
    page->addPaths({path("t/a.jpg"), path("t/b.jpg")});
    waitForWorker();
    auto thumbnail = [&](int row) { return list()->imageList()->picture(list()->image(row)); };
    const QImage first = thumbnail(0), second = thumbnail(1);
    list()->setCurrentRow(0);
    list()->selectionModel()->select(list()->model()->index(1, 0), QItemSelectionModel::Select);
    press("rotateRight");
    QVERIFY(thumbnail(0) != first);
    QVERIFY(thumbnail(1) != second);
    QCOMPARE(state->items.list[1]->rotation, 270);
    for (int i = 0; i < 3; ++i) press("rotateRight");
    QCOMPARE(thumbnail(0), first);
    QCOMPARE(thumbnail(1), second);
    press("rotateLeft");
    QCOMPARE(state->items.list[0]->rotation, 90);
    press("rotateRight");
    press("flipHorizontal");
    QVERIFY(thumbnail(0) != first);
    press("flipHorizontal");
    press("flipVertical");
    press("flipVertical");
    QCOMPARE(thumbnail(0), first);
    // Delete removes every selected image.
    QTest::keyClick(list(), Qt::Key_Delete);
    QCOMPARE(list()->count(), 0);
    QCOMPARE(state->items.size(), size_t(0));
  }

  // The rows come as soon as the files are read; their pictures follow from
  // other threads and are kept in the user's cache for the next add.
  void thumbnailsFollowTheRowsAndAreCached() {
    writePhoto(path("cache/a.jpg"));
    page->addPaths({path("cache/a.jpg")});
    QTRY_VERIFY_WITH_TIMEOUT(!page->worker(), 60000);
    QCOMPARE(namesIn(page->currentAlbumPath()).back(), std::string("a.jpg"));
    waitForWorker();
    const pv::CollectionItem& added = *state->items.list.back();
    QVERIFY(added.thumbnail);
    const std::string file = pathFromQtPath(path("cache/a.jpg"));
    const std::string entry = pv::userThumbnailFolder() + pv::thumbnailCacheName(file);
    QVERIFY(pv::fileExists(entry));
    QVERIFY(pv::startsWith(pv::userThumbnailFolder(), qgetenv("XDG_CACHE_HOME").toStdString()));
    const int row = rowOf("Image: a.jpg");
    QVERIFY(!list()->imageList()->picture(list()->image(row)).isNull());
  }

  void withoutAlbumsTheNameFieldSaysSoAndFoldersFlatten() {
    page->setAlbumsAllowed(false);
    QCOMPARE(find<QLineEdit>("albumName")->text(), QString("Dieses Projekt enthält keine Alben"));
    QVERIFY(!find<QLineEdit>("albumName")->isEnabled());
    QVERIFY(!find<QPushButton>("newAlbum")->isEnabled());
    QVERIFY(!chooser()->isEnabled());
    writePhoto(path("flat/oben.jpg"));
    writePhoto(path("flat/unter/tief.jpg"));
    drop({path("flat")});
    QCOMPARE(namesIn("/"), (std::vector<std::string>{"oben.jpg", "tief.jpg"}));
    QCOMPARE(find<QLineEdit>("albumName")->text(), QString("Dieses Projekt enthält keine Alben"));
  }

  void droppedFilesAndFoldersGoIntoTheCurrentAlbum() {
    QStringList ten;
    for (int i = 0; i < 10; ++i) {
      ten << path(QString("drop/%1.jpg").arg(i));
      writePhoto(ten.back());
    }
    newAlbum("Ziel");
    doubleClick(0);
    drop(ten);
    QCOMPARE(namesIn("/Ziel").size(), size_t(10));
    QCOMPARE(namesIn("/Ziel").front(), std::string("0.jpg"));
    QCOMPARE(list()->count(), 11);
    QCOMPARE(page->noteText(), QString());

    // Reise/Rom holds two photos, Reise/Leer none: only /Ziel/Rom stays.
    writePhoto(path("Reise/Rom/a.jpg"));
    writePhoto(path("Reise/Rom/b.jpg"));
    QDir().mkpath(path("Reise/Leer"));
    writePhoto(path("Reise/Sommer.2011/c.jpg"));
    drop({path("Reise")});
    QStringList entries;
    for (int i = 0; i < chooser()->count(); ++i) entries << chooser()->itemText(i);
    QCOMPARE(entries, QStringList({"/", "/Ziel", "/Ziel/Rom", "/Ziel/Sommer"}));
    QCOMPARE(namesIn("/Ziel/Rom"), (std::vector<std::string>{"a.jpg", "b.jpg"}));
    QCOMPARE(chooser()->currentText(), QString("/Ziel"));
  }

  void whatCannotBeAddedIsNamedInTheNote() {
    writePhoto(path("bad/gut.jpg"));
    writeText(path("bad/kaputt.jpg"), "no picture at all");
    writeText(path("bad/liesmich.txt"), "text");
    writePhoto(path("bad/gesperrt.jpg"));
    QFile::setPermissions(path("bad/gesperrt.jpg"), QFileDevice::WriteOwner);
    QDir().mkpath(path("bad/leer"));
    drop({path("bad/gut.jpg"), path("bad/kaputt.jpg"), path("bad/gesperrt.jpg"), path("bad/liesmich.txt"),
          path("bad/fehlt.jpg"), path("bad/leer")});
    QCOMPARE(namesIn("/"), (std::vector<std::string>{"gut.jpg", "kaputt.jpg", "gesperrt.jpg"}));
    // As root the locked file is still readable.
    const bool root = QFileInfo(path("bad/gesperrt.jpg")).isReadable();
    const QString unreadable = root ? "1 Datei konnte nicht gelesen werden" : "2 Dateien konnten nicht gelesen werden";
    QCOMPARE(page->noteText(), unreadable + "\n1 Datei oder Ordner wurde nicht gefunden\n1 Datei ist kein Bild\n"
                                            "In 1 Ordner wurden keine Bilder gefunden");
    const QString details = find<QLabel>("note")->toolTip();
    QVERIFY(details.contains("kaputt.jpg") && details.contains("fehlt.jpg") && details.contains("liesmich.txt"));
    QVERIFY(!details.contains("gut.jpg"));
    QVERIFY(list()->text(rowOf("Image: kaputt.jpg")).contains("(0*0)"));

    // Found in a folder, an unreadable picture is left out; videos and
    // hidden files are counted by their reason. A photo cut short is taken
    // and named as damaged.
    writePhoto(path("ordner/gut.jpg"));
    writeText(path("ordner/kaputt.jpg"), "no picture at all");
    for (const char* video : {"ordner/a.mp4", "ordner/b.MOV", "ordner/c.avi"}) writeText(path(video), "video");
    writeText(path("ordner/.hidden.jpg"), "hidden");
    writePhoto(path("ordner/halb.jpg"), 640, 480);
    QFile::resize(path("ordner/halb.jpg"), QFileInfo(path("ordner/halb.jpg")).size() / 2);
    drop({path("ordner")});
    QCOMPARE(namesIn("/"), (std::vector<std::string>{"gut.jpg", "kaputt.jpg", "gesperrt.jpg", "gut.jpg", "halb.jpg"}));
    QCOMPARE(page->noteText(), QString("1 Datei konnte nicht gelesen werden\n1 Bild ist beschädigt, nur teilweise lesbar\n"
                                       "3 Videos werden nicht übernommen\n1 versteckte Datei wird nicht übernommen"));
    QVERIFY(find<QLabel>("note")->toolTip().contains("b.MOV"));
    QVERIFY(find<QLabel>("note")->toolTip().contains("beschädigt, nur teilweise lesbar:\n    " + path("ordner/halb.jpg")));
  }

  void aLinkBackIntoTheTreeIsSkipped() {
    writePhoto(path("loop/a.jpg"));
    QVERIFY(QFile::link(path("loop"), path("loop/zurueck")));
    drop({path("loop")});
    QCOMPARE(namesIn("/"), (std::vector<std::string>{"a.jpg"}));
    QCOMPARE(chooser()->count(), 1);  // the album of the link had nothing new and went again
    QCOMPARE(page->noteText(), QString("1 Ordner wurde übersprungen, weil er schon gelesen war"));
  }

  // Where a cancel stops depends on how fast the files are read (the engine's
  // own tests stop at an exact count); the window must say what it kept.
  void cancelKeepsWhatWasAddedAndSaysSo() {
    const QString photo = QString(PICOVAND_TESTDATA) + "/large_9mp_nokia_8_3.jpg";
    if (!QFile::exists(photo)) QSKIP("the shared test photos are missing");
    QDir().mkpath(path("viele"));
    for (int i = 0; i < 2000; ++i) QVERIFY(QFile::link(photo, path(QString("viele/%1.jpg").arg(i, 4, 10, QChar('0')))));
    page->importFolder({pathFromQtPath(path("viele")), 1, false, false});
    auto* bar = find<QProgressBar>("progress");
    QTRY_VERIFY_WITH_TIMEOUT(bar->value() >= 2 || !page->worker(), 60000);
    state->abortRequested = true;
    waitForWorker();
    const std::vector<std::string> names = namesIn("/");
    QVERIFY2(names.size() >= 2, std::to_string(names.size()).c_str());
    for (size_t i = 0; i < names.size(); ++i)
      QCOMPARE(names[i], QString("%1.jpg").arg(i, 4, 10, QChar('0')).toStdString());
    if (names.size() < 2000) {
      QVERIFY(page->noteText().startsWith(QString("Abgebrochen: %1 Bilder hinzugefügt").arg(names.size())));
      QVERIFY(!state->abortRequested);  // the next import is not cancelled at once
    } else {
      // Everything was read before the cancel came.
      QVERIFY(!page->noteText().contains("Abgebrochen"));
    }
  }

  void folderDialogTiesAlbumsToSubFolders() {
    for (bool allowed : {true, false}) {
      CAddStructureDlg dialog(allowed);
      QCOMPARE(dialog.windowTitle(), QString("Ordner wählen"));
      auto* type = dialog.findChild<QComboBox*>("imageType");
      QCOMPARE(type->count(), 11);
      QCOMPARE(type->currentText(), QString("All Image Formats"));
      auto* include = dialog.findChild<QCheckBox*>("includeSubfolders");
      auto* albums = dialog.findChild<QCheckBox*>("albumsFromSubfolders");
      QVERIFY(!albums->isEnabled() && !albums->isChecked());
      include->click();
      QCOMPARE(albums->isEnabled(), allowed);
      QCOMPARE(albums->isChecked(), allowed);
      include->click();
      QVERIFY(!albums->isEnabled() && !albums->isChecked());
      for (QWidget* w : std::initializer_list<QWidget*>{type, include, albums, dialog.findChild<QLineEdit*>("folder"),
                                                       dialog.findChild<QWidget*>("folderTree")})
        QVERIFY(!QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name).isEmpty());
      dialog.findChild<QLineEdit*>("folder")->setText("  /tmp/x ");
      type->setCurrentIndex(5);
      const AddStructureValues v = dialog.values();
      QCOMPARE(v.folder, std::string("/tmp/x"));
      QCOMPARE(v.imageType, 5);
    }
  }

  void folderImportHonoursTheImageType() {
    writePhoto(path("typ/a.jpg"));
    pv::ImagePtr photo(FreeImage_Load(FIF_JPEG, pathFromQtPath(path("typ/a.jpg")).c_str(), 0));
    for (const char* name : {"typ/b.TIF", "typ/c.tiff"})
      QVERIFY(FreeImage_Save(FIF_TIFF, photo.get(), pathFromQtPath(path(name)).c_str(), 0));
    QVERIFY(FreeImage_Save(FIF_PNG, photo.get(), pathFromQtPath(path("typ/d.png")).c_str(), 0));
    page->importFolder({pathFromQtPath(path("typ")), 5, false, false});
    waitForWorker();
    QCOMPARE(namesIn("/"), (std::vector<std::string>{"b.TIF", "c.tiff"}));
    QCOMPARE(page->noteText(), QString("2 Bilder eines nicht gewählten Typs werden nicht übernommen"));
  }

 private:
  static std::string pathFromQtPath(const QString& p) { return QFile::encodeName(p).toStdString(); }
};

PV_GUI_TEST(AlbumPageTest);
#include "AlbumPageTest.moc"
