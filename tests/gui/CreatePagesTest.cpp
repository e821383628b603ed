// "Erstellen", "Ausgabe" and their dialogs in one main window that uses the
// installed data tree beside the programs, so its builds write real
// galleries: the name and folder fields, the list of planned files, the
// create command's refusals, whole builds (cancelled too), the statistics,
// the warning strip, the own-template dialog, the upload dialog, the window
// against picovand-cli, and closing during a build.
#include <QAbstractButton>
#include <QAccessible>
#include <QHeaderView>
#include <QImageReader>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QWebEnginePage>
#include <unistd.h>

#include "GuiSupport.h"
#include "app/PicoVandDlg.h"
#include "controls/EnTabCtrl.h"
#include "controls/StaticControls.h"
#include "util/FileSystem.h"
#include "util/Text.h"
#include "ui/Explorer.h"
#include "ui/Ftp.h"
#include "ui/SelTemplate.h"
#include "ui/TabOptions.h"
#include "ui/TabOptions2.h"
#include "ui/TabOutput.h"
#include "ui/TabOutput2.h"
#include "ui/TabProject.h"

using guitest::ScriptedDesktop;
using guitest::contents;
using guitest::filesBelow;

namespace {

const QString kPhotos = PICOVAND_TESTDATA;
const char* const kThreePhotos[3] = {"exif_canon_powershot_sd300.jpg", "portrait_nikon_d70s.jpg",
                                     "orientation6_canon_sx60.jpg"};

// Runs f on the next modal dialog once it is shown.
void onModalDialog(std::function<void(QDialog*)> f) {
  QTimer::singleShot(0, [f] {
    QTRY_VERIFY(QApplication::activeModalWidget() != nullptr);
    f(qobject_cast<QDialog*>(QApplication::activeModalWidget()));
  });
}

}  // namespace

class CreatePagesTest : public QObject {
  Q_OBJECT
  QTemporaryDir scratch;
  std::unique_ptr<pv::AppState> state;
  ScriptedDesktop scripted;
  std::unique_ptr<CPicoVandDlg> window;
  int projects = 0;

  QString path(const QString& relative) const { return scratch.path() + "/" + relative; }
  CTabOutput* createPage() const { return window->pages().create; }
  CTabOutput2* outputPage() const { return window->pages().output; }
  template <typename T>
  T* find(QObject* in, const char* name) const {
    T* w = in->findChild<T*>(name);
    if (!w) qFatal("no control %s", name);
    return w;
  }
  QLineEdit* field(const char* name) const { return find<QLineEdit>(createPage(), name); }
  QTableWidget* list() const { return createPage()->previewList(); }
  QUrl outputFolderUrl() const {
    return QUrl::fromLocalFile(QString::fromStdString(pv::withSlash(field("outputFolder")->text().toStdString())));
  }

  void select(int number) const {
    QTreeWidget* tree = window->pages().project->tree();
    for (QTreeWidgetItemIterator it(tree); *it; ++it)
      if ((*it)->data(0, Qt::UserRole).toInt() == number) {
        tree->setCurrentItem(*it);
        return;
      }
    qFatal("no tree node %d", number);
  }
  // What the album page does for each image it adds.
  void addImage(const QString& file) const {
    const std::string p = (kPhotos + "/" + file).toStdString();
    QVERIFY(state->items.addImage(p, pv::fileNameOf(p), "/", window->pages().settings->values.captions));
  }
  // A fresh project folder chosen through the folder browser and a name typed.
  QString newProject(const QString& name = "Urlaub") {
    const QString folder = path(QString("projects%1").arg(++projects));
    QDir().mkpath(folder);
    scripted.folders.push_back(folder);
    QTest::mouseClick(find<QPushButton>(createPage(), "chooseProjectFolder"), Qt::LeftButton);
    field("projectName")->selectAll();
    QTest::keyClicks(field("projectName"), name);
    return folder + "/" + name;
  }
  void pressCreate() const { QTest::mouseClick(find<QPushButton>(createPage(), "createProject"), Qt::LeftButton); }
  void waitForBuild() const {
    QTRY_VERIFY_WITH_TIMEOUT(find<QProgressBar>(createPage(), "buildProgress")->isHidden(), 180000);
    QVERIFY(!createPage()->buildRunning());
  }
  void sizes(int b, int bw, int bh, const std::string& prefix) const {
    pv::ImagePageValues& v = window->pages().image->values;
    v.sizes[b].width = bw;
    v.sizes[b].height = bh;
    v.sizes[b].prefix = prefix;
    window->pages().image->showPage();
  }

 private slots:
  void initTestCase() {
    QVERIFY(QDir(kPhotos).exists());
    const pv::Environment env{PICOVAND_BIN_DIR "/", path("home").toStdString(), "", "", "", ""};
    state = std::make_unique<pv::AppState>(env);
    QDir().mkpath(QString::fromStdString(state->settings.appDataFolder));
    window = std::make_unique<CPicoVandDlg>(*state, scripted.desktop);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
  }

  void init() {
    scripted.clear();
    state->items.clear();
  }

  // What a screen reader hears: a name for every control of both pages and
  // of the two dialogs.
  void everyControlHasAnAccessibleName() {
    CSelTemplate own(*state, scripted.desktop, "", window.get());
    CFtp upload(scripted.desktop, "/tmp/", window.get());
    for (QWidget* root : std::initializer_list<QWidget*>{createPage(), outputPage(), &own, &upload})
      for (QWidget* w : root->findChildren<QWidget*>()) {
        const bool control = qobject_cast<QAbstractButton*>(w) || qobject_cast<QLineEdit*>(w) ||
                             qobject_cast<QAbstractItemView*>(w) || qobject_cast<QProgressBar*>(w) ||
                             qobject_cast<CLinkStatic2*>(w);
        // A table's header is part of the table: its columns are named by their titles.
        if (!control || qobject_cast<QHeaderView*>(w) || !w->isVisibleTo(root)) continue;
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
        QVERIFY2(a && !a->text(QAccessible::Name).isEmpty(),
                 qPrintable(QString(w->metaObject()->className()) + " " + w->objectName() + " in " + root->metaObject()->className()));
      }
  }

  void nameFieldCleansAndFolderIsRemembered() {
    const QString folder = newProject("Urlaub:2011");
    Q_UNUSED(folder);
    QCOMPARE(field("projectName")->text(), QString("Urlaub_2011"));
    QCOMPARE(field("outputFolder")->text(), path("projects1/Urlaub_2011"));
    QCOMPARE(scripted.folderTitles, std::vector<QString>{"Projektordner auswählen"});
    // The next start of the program begins with the chosen folder.
    pv::AppState next(pv::Environment{PICOVAND_BIN_DIR "/", path("home").toStdString(), "", "", "", ""});
    pv::readConfigIni(next);
    QCOMPARE(QString::fromStdString(next.settings.projectsFolder), path("projects1/"));
    // A cancelled folder browser changes nothing.
    QTest::mouseClick(find<QPushButton>(createPage(), "chooseProjectFolder"), Qt::LeftButton);
    QCOMPARE(field("projectFolder")->text(), path("projects1/"));
    // "Projektordner öffnen" opens the project folder, not the output folder.
    QTest::mouseClick(find<QPushButton>(createPage(), "openProjectFolder"), Qt::LeftButton);
    QCOMPARE(scripted.opened, std::vector<QUrl>{QUrl::fromLocalFile(path("projects1/"))});
  }

  void noProjectTypeWritesNothingButCaptures() {
    window->pages().project->selectRoot();
    const QString output = newProject("Ohne Typ");
    addImage(kThreePhotos[0]);
    pressCreate();
    QCOMPARE(scripted.messages.size(), size_t(1));
    QCOMPARE(scripted.messages[0].caption, QString("Kein Projekt gewählt"));
    QCOMPARE(scripted.messages[0].text, QString("Bitte wählen Sie zuerst ein Projekt im Bereich 'Projektauswahl' aus."));
    QCOMPARE(scripted.messages[0].icon, QMessageBox::Information);
    QVERIFY(!QFileInfo::exists(output));
    QCOMPARE(QString::fromStdString(state->settings.projectName), QString("Ohne Typ"));
    QVERIFY(!createPage()->buildRunning());
  }

  void previewListShowsThePlannedFiles() {
    select(1001);
    for (const char* f : kThreePhotos) addImage(f);
    window->goToPage(CPicoVandDlg::kCreatePage);
    QCOMPARE(list()->columnCount(), 5);
    QCOMPARE(list()->horizontalHeaderItem(2)->text(), QString("Output-File"));
    // Sizes A and B: two rows per image; the second image is number 1.
    QCOMPARE(list()->rowCount(), 6);
    QCOMPARE(list()->item(2, 0)->text(), QString(kThreePhotos[1]));
    QCOMPARE(list()->item(2, 2)->text(), QString("pcva00001"));
    QCOMPARE(list()->item(3, 2)->text(), QString("pcvb00001"));
    QVERIFY(list()->item(0, 1)->text().contains(QRegularExpression(" \\(\\d+\\*\\d+\\)$")));
    QCOMPARE(list()->item(0, 4)->text(), QString("/"));

    // An empty prefix shows the upper-case default; a 9999 box only the format.
    sizes(pv::kSizeB, 9999, 9999, "");
    window->goToPage(CPicoVandDlg::kProjectPage);
    window->goToPage(CPicoVandDlg::kCreatePage);
    QCOMPARE(list()->item(1, 2)->text(), QString("PCVB00000"));
    QCOMPARE(list()->item(1, 3)->text(), QString("JPEG Image Format"));
    QVERIFY(list()->item(0, 3)->text().startsWith("JPEG Image Format ("));

    // ... while the build writes the lower-case default.
    const QString output = newProject("Prefix");
    pressCreate();
    waitForBuild();
    const QStringList files = filesBelow(output);
    QVERIFY2(files.filter(QRegularExpression("(^|/)pcvb00000\\.jpg$")).size() == 1, qPrintable(files.join(" ")));
    QVERIFY(files.filter("PCVB").isEmpty());
    QCOMPARE(window->currentPage(), int(CPicoVandDlg::kOutputPage));
    sizes(pv::kSizeB, 1600, 1200, "pcvb");
  }

  void batchConversionWritesNoPages() {
    select(3001);
    for (const char* f : kThreePhotos) addImage(f);
    outputPage()->browser()->navigate("/nowhere/start.html");
    const QString output = newProject("Stapel");
    pressCreate();
    waitForBuild();
    const QStringList files = filesBelow(output);
    QVERIFY(!files.isEmpty());
    QVERIFY2(files.filter(QRegularExpression("\\.html?$", QRegularExpression::CaseInsensitiveOption)).isEmpty(),
             qPrintable(files.join(" ")));
    for (const QString& f : files.filter(QRegularExpression("\\.jpg$")))
      QVERIFY2(QImageReader(output + "/" + f).canRead(), qPrintable(f));
    // The preview stays as it was; the statistics count what is there.
    QCOMPARE(outputPage()->browser()->location(), std::string("/nowhere/start.html"));
    QCOMPARE(find<QLabel>(outputPage(), "showOutputFolderLine2")->text(),
             QString("Anzahl der Dateien: %1").arg(files.size()));
    QCOMPARE(find<QLabel>(outputPage(), "showOutputFolderLine1")->text(), QString("Ausgabeordner: ./Stapel"));
  }

  void statisticsLines() {
    // 1023 bytes: 0 KB and 0 minutes; 960 KB: 1 minute at 128 kbit only.
    // Folders count for nothing in the shown lines.
    const QString out = path("stats");
    QDir().mkpath(out + "/a/empty");
    for (qint64 size : {qint64(1023), qint64(983040)}) {
      QFile f(out + "/a/data.bin");
      QVERIFY(f.open(QIODevice::WriteOnly));
      f.write(QByteArray(size, 'x'));
      f.close();
      const pv::OutputCount count = pv::countOutput(out.toStdString());
      QCOMPARE(count.folders, 2);
      outputPage()->updateStatistics(pv::outputInfo(state->settings, count));
      const QString kb = size == 1023 ? "0" : "960";
      const QString minutes = size == 1023 ? "128kbit>0min" : "128kbit>1min";
      QCOMPARE(find<QLabel>(outputPage(), "uploadLine1")->text(), QString("Gesamtgröße der Daten: %1 KB").arg(kb));
      QCOMPARE(find<QLabel>(outputPage(), "uploadLine2")->text(),
               QString("Upload-Zeit: %1 - 256kbit>0min - 1mbit>0min").arg(minutes));
      QCOMPARE(find<QLabel>(outputPage(), "showOutputFolderLine2")->text(), QString("Anzahl der Dateien: 1"));
    }
    // "Projektdateien anzeigen", link and picture alike, opens the output folder.
    window->goToPage(CPicoVandDlg::kOutputPage);
    QTest::mouseClick(find<QPushButton>(outputPage(), "showOutputFolder"), Qt::LeftButton);
    emit find<CLinkStatic2>(outputPage(), "showOutputFolderPicture")->clicked();
    const QUrl folder = outputFolderUrl();
    QCOMPARE(scripted.opened, (std::vector<QUrl>{folder, folder}));
  }

  void warningStripMovesThePreviewOnce() {
    window->goToPage(CPicoVandDlg::kOutputPage);
    auto top = [this] { return outputPage()->browser()->geometry().top(); };
    select(1001);
    QTRY_VERIFY(!outputPage()->warningStripShown());
    QApplication::processEvents();
    const int plain = top();
    select(2001);
    QTRY_COMPARE(top(), plain + 25);
    select(2002);
    QApplication::processEvents();
    QCOMPARE(top(), plain + 25);
    QVERIFY(outputPage()->warningStripShown());
    QCOMPARE(find<QLabel>(outputPage(), "ownPageWarning")->geometry().top(), plain);
    select(1001);
    QTRY_COMPARE(top(), plain);
    QVERIFY(!outputPage()->warningStripShown());
  }

  void ownTemplateDialog() {
    const QString lower = path("lower.html"), good = path("good.html");
    {
      QFile f(lower);
      QVERIFY(f.open(QIODevice::WriteOnly));
      f.write("<html><body>##picovand##</body></html>");
      QFile g(good);
      QVERIFY(g.open(QIODevice::WriteOnly));
      g.write("<html><body><h1>Mein Urlaub</h1>##PICOVAND##</body></html>");
    }
    state->settings.controlSet = 104;
    {
      CSelTemplate dialog(*state, scripted.desktop, "");
      QCOMPARE(state->settings.controlSet, 101);  // opening starts with the first set
      QVERIFY(dialog.controlSets()->count() >= 2);
      CListBoxST* sets = dialog.controlSets();
      for (int i = 0; i < sets->count(); ++i) {
        const QImage& picture = sets->imageList()->picture(sets->image(i));
        QCOMPARE(picture.size(), QSize(80, 48));
        QVERIFY(picture.pixelColor(40, 24).alpha() > 0 || picture.pixelColor(10, 10).alpha() > 0);
        QVERIFY(sets->text(i).startsWith("Name: "));
        QVERIFY(sets->text(i).endsWith("\nFormat: Graphics Interchange Format (*.gif)"));
      }
      // Refused: no page, a page that cannot be read, a lower-case placeholder.
      for (const QString& page : {QString(), path("missing.html"), lower}) {
        if (!page.isEmpty()) {
          scripted.files.push_back(page);
          QTest::mouseClick(find<QPushButton>(&dialog, "browse"), Qt::LeftButton);
        }
        QTest::mouseClick(find<QPushButton>(&dialog, "ok"), Qt::LeftButton);
      }
      QCOMPARE(scripted.messages.size(), size_t(3));
      for (const auto& m : scripted.messages) QCOMPARE(m.caption, QString("Fehler in der Vorlage"));
      QCOMPARE(scripted.messages[0].text, QString("Bitte wählen Sie eine Datei als Vorlage aus."));
      QCOMPARE(scripted.messages[1].text, QString("Die ausgewählte Datei kann nicht geöffnet werden."));
      QVERIFY(scripted.messages[2].text.contains("Platzhalter ##PICOVAND##"));
      QCOMPARE(dialog.result(), int(QDialog::Rejected));
      // A clicked set stays chosen after cancel.
      const int clicked = sets->value(1);
      QTest::mouseClick(sets->viewport(), Qt::LeftButton, {}, sets->visualRect(sets->model()->index(1, 0)).center());
      QTest::mouseClick(find<QPushButton>(&dialog, "cancel"), Qt::LeftButton);
      QCOMPARE(state->settings.controlSet, clicked);
      QVERIFY(clicked != 101);
    }
    {
      CSelTemplate dialog(*state, scripted.desktop, ("  " + good + " ").toStdString());
      QTest::mouseClick(find<QPushButton>(&dialog, "cancel"), Qt::LeftButton);
      QCOMPARE(state->settings.controlSet, 101);
    }
    // From the project settings page: OK stores the trimmed page.
    select(2001);
    onModalDialog([&](QDialog* d) {
      find<QLineEdit>(d, "pagePath")->setText(" " + good + " ");
      QTest::mouseClick(find<QPushButton>(d, "ok"), Qt::LeftButton);
    });
    QTest::mouseClick(find<QPushButton>(window->pages().settings, "chooseOwnWebPage"), Qt::LeftButton);
    QCOMPARE(window->pages().settings->values.ownWebPage, good.toStdString());
  }

  void ownPageProjectAsksForItsPageFirst() {
    const QString good = path("good.html");
    select(2002);
    QVERIFY(window->pages().settings->values.ownWebPage.empty());
    for (const char* f : kThreePhotos) addImage(f);
    // Cancelled: nothing happens.
    QString output = newProject("Eigen");
    onModalDialog([](QDialog* d) { d->reject(); });
    pressCreate();
    QVERIFY(!QFileInfo::exists(output));
    QVERIFY(!createPage()->buildRunning());
    // Chosen: the page is stored and the build runs with the clicked set.
    int clicked = 0;
    onModalDialog([&](QDialog* d) {
      find<QLineEdit>(d, "pagePath")->setText(good);
      auto* sets = find<CListBoxST>(d, "controlSets");
      sets->setCurrentRow(sets->count() - 1);
      clicked = sets->value(sets->count() - 1);
      QTest::mouseClick(find<QPushButton>(d, "ok"), Qt::LeftButton);
    });
    pressCreate();
    waitForBuild();
    QCOMPARE(window->pages().settings->values.ownWebPage, good.toStdString());
    QCOMPARE(state->settings.controlSet, clicked);
    const QByteArray start = contents(output + "/pcv00000.htm");
    QVERIFY(start.contains("Mein Urlaub"));
    QVERIFY(!start.contains("##PICOVAND##"));

    // The page vanished before the next build: the page's message, nothing built.
    QFile::rename(good, good + ".weg");
    output = newProject("Eigen2");
    pressCreate();
    QFile::rename(good + ".weg", good);
    QCOMPARE(scripted.messages.size(), size_t(1));
    QCOMPARE(scripted.messages[0].caption, QString("Fehler in der Vorlage"));
    QVERIFY(!QFileInfo::exists(output));
  }

  void badFoldersAreRefusedClearly() {
    select(1001);
    addImage(kThreePhotos[0]);
    // An emptied number field: its message, and nothing built.
    QString output = newProject("Leer");
    find<QLineEdit>(window->pages().image, "widthB")->clear();
    pressCreate();
    window->pages().image->showPage();
    QCOMPARE(scripted.messages.size(), size_t(1));
    QCOMPARE(scripted.messages[0].text, QString("Enter an integer."));
    QVERIFY(!createPage()->buildRunning() && !QFileInfo::exists(output));
    scripted.clear();

    // The project folder was deleted after it was chosen.
    output = newProject("Weg");
    QDir(QFileInfo(output).path()).removeRecursively();
    pressCreate();
    QCOMPARE(scripted.messages.size(), size_t(1));
    QCOMPARE(scripted.messages[0].caption, QString("Projektordner fehlt"));
    QVERIFY(!createPage()->buildRunning());

    // An output folder that holds a file of the user's: asked, and no keeps it.
    output = newProject("Voll");
    QDir().mkpath(output);
    QFile mine(output + "/pcv00000.htm");
    QVERIFY(mine.open(QIODevice::WriteOnly));
    mine.write("meine Seite");
    mine.close();
    scripted.answers.push_back(false);
    pressCreate();
    QCOMPARE(scripted.questions.size(), size_t(1));
    QVERIFY(!createPage()->buildRunning());
    QCOMPARE(contents(output + "/pcv00000.htm"), QByteArray("meine Seite"));

    // A project folder that cannot be written: a message after the build.
    if (geteuid() != 0) {
      output = newProject("Gesperrt");
      QFile::setPermissions(QFileInfo(output).path(), QFile::ReadOwner | QFile::ExeOwner);
      scripted.clear();
      pressCreate();
      waitForBuild();
      QFile::setPermissions(QFileInfo(output).path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
      QCOMPARE(scripted.messages.size(), size_t(1));
      QCOMPARE(scripted.messages[0].caption, QString("Ausgabeordner"));
      QCOMPARE(window->currentPage(), int(CPicoVandDlg::kCreatePage));
    }
  }

  void ftpDialog() {
    // A ":" or "@" in the user name stays in its part of the address; no
    // password goes into it (it would show in the process list).
    const QUrl url(ftpAddress("ftp.example.org/www", "ich@home:x"));
    QVERIFY(url.isValid());
    QCOMPARE(url.scheme(), QString("ftp"));
    QCOMPARE(url.userName(), QString("ich@home:x"));
    QVERIFY(url.password().isEmpty());
    QCOMPARE(url.host(), QString("ftp.example.org"));
    QCOMPARE(url.path(), QString("/www"));

    // "Upload" with every field empty still opens both and closes; the next
    // opening starts empty again.
    window->goToPage(CPicoVandDlg::kOutputPage);
    onModalDialog([&](QDialog* d) {
      QCOMPARE(d->windowTitle(), QString("Projekt uploaden"));
      find<QLineEdit>(d, "User")->setText("anna");
      QTest::mouseClick(find<QPushButton>(d, "cancel"), Qt::LeftButton);
    });
    QTest::mouseClick(find<QPushButton>(outputPage(), "upload"), Qt::LeftButton);
    QVERIFY(scripted.opened.empty());
    onModalDialog([&](QDialog* d) {
      for (const char* name : {"FTP Server", "User"}) QVERIFY(find<QLineEdit>(d, name)->text().isEmpty());
      for (QLineEdit* f : d->findChildren<QLineEdit*>())
        QVERIFY2(f->accessibleName() != "Password", "the FTP button takes no password");
      QCOMPARE(find<QLabel>(d, "passwordNote")->text(), QString("Das Passwort fragt der Dateimanager ab."));
      QTest::mouseClick(find<QPushButton>(d, "upload"), Qt::LeftButton);
    });
    emit find<CLinkStatic2>(outputPage(), "uploadPicture")->clicked();
    QCOMPARE(scripted.opened.size(), size_t(2));
    QCOMPARE(scripted.opened[0], outputFolderUrl());
    QCOMPARE(scripted.opened[1].scheme(), QString("ftp"));
    QVERIFY(scripted.opened[1].password().isEmpty());
  }

  void cancelHalfWayStillWritesThePages() {
    select(1001);
    for (int i = 0; i < 16; ++i) addImage("large_9mp_nokia_8_3.jpg");
    const QString output = newProject("Abbruch");
    window->goToPage(CPicoVandDlg::kCreatePage);
    pressCreate();
    auto* bar = find<QProgressBar>(createPage(), "buildProgress");
    auto* cancel = find<CLinkStatic2>(window.get(), "cancel");
    QVERIFY(cancel->isVisible());
    QVERIFY(!window->tabControl()->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(bar->maximum() == 16 && bar->value() >= 1, 120000);
    emit cancel->clicked();
    waitForBuild();
    QVERIFY(!cancel->isVisible());
    QVERIFY(window->tabControl()->isEnabled());
    QCOMPARE(window->currentPage(), int(CPicoVandDlg::kCreatePage));
    QCOMPARE(outputPage()->browser()->location(), state->settings.programFolder + "resources/DE/0.html");
    const QStringList files = filesBelow(output);
    QVERIFY(files.contains("pcv00000.htm"));
    const int images = files.filter(QRegularExpression("\\.jpg$")).size();
    QVERIFY2(images >= 1 && images < 32, qPrintable(QString::number(images)));
    QVERIFY(!state->abortRequested);
  }

  void windowBuildsWhatTheCommandLineBuilds() {
    select(1001);
    for (const char* f : kThreePhotos) addImage(f);
    const QString mine = newProject("Gleich");
    pressCreate();
    waitForBuild();
    QCOMPARE(window->currentPage(), int(CPicoVandDlg::kOutputPage));
    QCOMPARE(outputPage()->browser()->location(), (mine + "/pcv00000.htm").toStdString());

    const QString theirs = path("cli/Gleich");
    QDir().mkpath(path("cli"));
    QStringList args{"build", "--preset", "1001", "--output", theirs};
    for (const char* f : kThreePhotos) args << kPhotos + "/" + f;
    QProcess cli;
    cli.start(PICOVAND_BIN_DIR "/picovand-cli", args);
    QVERIFY(cli.waitForFinished(180000));
    QVERIFY2(cli.exitCode() == 0, cli.readAllStandardError().constData());

    const QStringList files = filesBelow(mine);
    QCOMPARE(filesBelow(theirs), files);
    QVERIFY(files.size() > 6);
    QCOMPARE(guitest::firstDifference(mine, theirs, files), QString());
  }

  // The preview runs the window's own browser engine, which knows no ":has()":
  // the start page still shows its entries in the columns chosen, no empty
  // slot after them and no navigation with nowhere to go.
  void thePreviewShowsWhatABrowserShows() {
    select(1002);
    pv::ProjectPageValues& v = window->pages().settings->values;
    v.columns = 4;
    v.rowsPerPage = 5;
    window->pages().settings->showPage();
    for (const char* f : kThreePhotos) addImage(f);
    newProject("Vorschau");
    pressCreate();
    waitForBuild();
    // Asked again until the preview shows the new gallery's start page: an
    // earlier page may still be loading when the build ends.
    auto seen = std::make_shared<QString>();
    auto ask = [&] {
      outputPage()->browser()->page()->runJavaScript(R"((() => {
        const shown = (e) => e.getClientRects().length > 0;
        const grid = document.querySelector('main');
        if (!decodeURIComponent(location.pathname).includes('/Vorschau') || !grid) return '';
        const slots = [...grid.children].filter(shown);
        return [slots.length, slots.filter((s) => !s.querySelector('img')).length,
          getComputedStyle(grid).gridTemplateColumns.split(' ').length,
          [...document.querySelectorAll('nav a')].filter(shown).length].join(' ');
      })())",
                                                     [seen](const QVariant& r) { *seen = r.toString(); });
      return !seen->isEmpty();
    };
    QTRY_VERIFY_WITH_TIMEOUT(ask(), 60000);
    QCOMPARE(*seen, QString("3 0 4 0"));  // three entries, none empty, four columns, no navigation
  }

  // Last: the window closes.
  void closingDuringABuildAsksCancelsAndWaits() {
    select(1001);
    for (int i = 0; i < 16; ++i) addImage("large_9mp_nokia_8_3.jpg");
    const QString output = newProject("Schliessen");
    pressCreate();
    auto* bar = find<QProgressBar>(createPage(), "buildProgress");
    QTRY_VERIFY_WITH_TIMEOUT(bar->maximum() == 16 && bar->value() >= 1, 120000);
    // No: the window stays and the build goes on.
    scripted.answers = {false};
    QVERIFY(!window->close());
    QVERIFY(window->isVisible());
    scripted.answers = {true};
    QVERIFY(window->close());
    QCOMPARE(scripted.questions.size(), size_t(2));
    QVERIFY(!createPage()->buildRunning());
    // Every image written is whole.
    const QStringList images = filesBelow(output).filter(QRegularExpression("\\.jpg$"));
    QVERIFY(images.size() < 32);
    for (const QString& f : images) {
      QImageReader reader(output + "/" + f);
      QVERIFY2(!reader.read().isNull(), qPrintable(f));
    }
  }
};

PV_GUI_TEST(CreatePagesTest);
#include "CreatePagesTest.moc"
