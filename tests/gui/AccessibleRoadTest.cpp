// The window as a screen reader or an automation tool drives it: through
// Qt's accessibility interface alone (what AT-SPI hands on), from the choice
// of a preset to the gallery on "Ausgabe"; the page tabs' selected state;
// names, keys and the safe answers of questions; and
// what the window says about pictures it could not use.
#include <QAbstractSlider>
#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAccessibleEditableTextInterface>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabBar>
#include <QTimer>
#include <QTreeWidget>

#include "GuiSupport.h"
#include "app/PicoVandDlg.h"
#include "controls/EnTabCtrl.h"
#include "controls/StaticControls.h"
#include "util/FileSystem.h"
#include "ui/TabFiles.h"
#include "ui/TabOptions.h"
#include "ui/TabOptions2.h"
#include "ui/TabOutput.h"
#include "ui/TabProject.h"

using guitest::ScriptedDesktop;
using guitest::contents;
using guitest::filesBelow;

namespace {

const QString kPhotos = PICOVAND_TESTDATA;

QAccessibleInterface* accessible(QObject* o) { return QAccessible::queryAccessibleInterface(o); }

// The first shown element below root of that role and name (the embedded
// browser's page is not searched).
QAccessibleInterface* findElement(QAccessibleInterface* root, QAccessible::Role role, const QString& name) {
  if (!root || root->state().invisible) return nullptr;
  if (root->object() && QByteArray(root->object()->metaObject()->className()).startsWith("QWebEngine")) return nullptr;
  if (root->role() == role && root->text(QAccessible::Name).trimmed() == name) return root;
  for (int i = 0; i < root->childCount(); ++i)
    if (QAccessibleInterface* found = findElement(root->child(i), role, name)) return found;
  return nullptr;
}

void dump(QAccessibleInterface* e, int depth) {
  if (!e || depth > 12) return;
  qWarning("%*s%d '%s' %s", depth * 2, "", int(e->role()), qPrintable(e->text(QAccessible::Name)),
           e->state().invisible ? "invisible" : "");
  for (int i = 0; i < e->childCount(); ++i) dump(e->child(i), depth + 1);
}

QAccessibleInterface* element(QObject* in, QAccessible::Role role, const QString& name) {
  QAccessibleInterface* found = findElement(accessible(in), role, name);
  if (!found) {
    qWarning("no accessible %d named %s", int(role), qPrintable(name));
    if (qEnvironmentVariableIsSet("PV_DUMP")) dump(accessible(in), 0);
  }
  return found;
}

bool act(QAccessibleInterface* e, const QString& action) {
  if (!e || !e->actionInterface() || !e->actionInterface()->actionNames().contains(action)) return false;
  e->actionInterface()->doAction(action);
  return true;
}
bool press(QAccessibleInterface* e) { return act(e, QAccessibleActionInterface::pressAction()); }

bool typeInto(QAccessibleInterface* e, const QString& text) {
  if (!e || !e->editableTextInterface() || !e->textInterface()) return false;
  e->editableTextInterface()->replaceText(0, e->textInterface()->characterCount(), text);
  return true;
}

// Runs f in the next modal dialog, once it is shown: polled, because the
// dialog's own loop runs inside whatever opened it. A failed check closes it.
void inNextDialog(std::function<void(QWidget*)> f) {
  auto* poll = new QTimer;
  poll->setInterval(20);
  QObject::connect(poll, &QTimer::timeout, [poll, f] {
    QWidget* dialog = QApplication::activeModalWidget();
    if (!dialog) return;
    poll->stop();
    poll->deleteLater();
    f(dialog);
    if (QTest::currentTestFailed()) dialog->close();
  });
  poll->start();
}

}  // namespace

class AccessibleRoadTest : public QObject {
  Q_OBJECT
  QTemporaryDir scratch;
  std::unique_ptr<pv::AppState> state;
  ScriptedDesktop scripted;
  std::unique_ptr<CPicoVandDlg> window;

  QString path(const QString& relative) const { return scratch.path() + "/" + relative; }
  QAccessibleInterface* tab(const QString& name) const { return element(window.get(), QAccessible::PageTab, name); }
  bool tabSelected(const QString& name) const {
    QAccessibleInterface* t = tab(name);
    return t && t->state().selected;
  }
  // A folder of photos with two sub-folders, which become albums.
  QString photoFolder() const {
    const QString root = path("Reise");
    const struct {
      const char* folder;
      const char* photo;
    } files[] = {{"", "exif_canon_powershot_sd300.jpg"},
                 {"Berlin", "portrait_nikon_d70s.jpg"},
                 {"Berlin", "orientation6_canon_sx60.jpg"},
                 {"Hamburg", "exif_kodak_dc210_comment.jpg"}};
    for (const auto& f : files) {
      QDir().mkpath(root + "/" + f.folder);
      QFile::copy(kPhotos + "/" + f.photo, root + "/" + f.folder + "/" + f.photo);
    }
    return root;
  }

 private slots:
  void initTestCase() {
    QVERIFY(QDir(kPhotos).exists());
    const pv::Environment env{PICOVAND_BIN_DIR "/", path("home").toStdString(), "", ""};
    state = std::make_unique<pv::AppState>(env);
    QDir().mkpath(QString::fromStdString(state->settings.appDataFolder));
    QDir().mkpath(QString::fromStdString(state->settings.projectsFolder));
    window = std::make_unique<CPicoVandDlg>(*state, scripted.desktop);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    window->activateWindow();
    QTRY_VERIFY(window->isActiveWindow());
  }

  void cleanupTestCase() { window.reset(); }

  void init() { scripted.clear(); }

  // The tabs form a list of page tabs; whoever switches the page, the tab
  // that shows it is the selected one. (The announcements themselves need an
  // accessibility bridge, which the offscreen platform lacks.)
  void pageTabsReportTheirSelection() {
    QAccessibleInterface* bar = accessible(window->tabControl()->tabBar());
    QCOMPARE(bar->role(), QAccessible::PageTabList);
    QCOMPARE(bar->childCount(), 6);
    QCOMPARE(bar->child(0)->text(QAccessible::Name), QString("Projektauswahl"));
    QVERIFY(tabSelected("Projektauswahl"));
    QVERIFY(!tabSelected("Bild - Einstellungen"));

    press(element(window.get(), QAccessible::Button, "Weiter"));  // the footer
    QCOMPARE(window->currentPage(), 1);
    QVERIFY(tabSelected("Bild - Einstellungen") && !tabSelected("Projektauswahl"));
    press(tab("Erstellen"));  // the tab itself
    QCOMPARE(window->currentPage(), int(CPicoVandDlg::kCreatePage));
    window->goToPage(CPicoVandDlg::kProjectPage);  // the program
    QVERIFY(tabSelected("Projektauswahl"));
    // The page area is named by the page it shows.
    QCOMPARE(accessible(window->tabControl()->page(0)->parentWidget())->text(QAccessible::Name),
             QString("Projektauswahl"));
  }

  // Ctrl+Tab and Ctrl+PgDn go on, Ctrl+PgUp back, round the row; the footer
  // and header commands are reached with Tab and pressed with Space.
  void keysChangePagesAndReachTheCommands() {
    window->activateWindow();
    QTRY_VERIFY(window->isActiveWindow());
    QTest::keyClick(window.get(), Qt::Key_PageDown, Qt::ControlModifier);
    QCOMPARE(window->currentPage(), 1);
    QTest::keyClick(window.get(), Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(window->currentPage(), 2);
    QTest::keyClick(window.get(), Qt::Key_PageUp, Qt::ControlModifier);
    QTest::keyClick(window.get(), Qt::Key_PageUp, Qt::ControlModifier);
    QTest::keyClick(window.get(), Qt::Key_PageUp, Qt::ControlModifier);
    QCOMPARE(window->currentPage(), int(CPicoVandDlg::kOutputPage));
    QTest::keyClick(window.get(), Qt::Key_Left, Qt::AltModifier);  // "Zurück"
    QCOMPARE(window->currentPage(), int(CPicoVandDlg::kCreatePage));

    for (const char* name : {"back", "next", "newProject", "help", "exit"})
      QVERIFY2(window->findChild<CLinkStatic2*>(name)->focusPolicy() & Qt::TabFocus, name);
    auto* back = window->findChild<CLinkStatic2*>("back");
    back->setFocus();
    QTRY_VERIFY(back->hasFocus());
    QTest::keyClick(back, Qt::Key_Space);
    QCOMPARE(window->currentPage(), int(CPicoVandDlg::kAlbumPage));
    QVERIFY(window->findChild<CLinkStatic2*>("next")->toolTip().contains("Alt"));
    window->goToPage(CPicoVandDlg::kProjectPage);
  }

  // Drop-down lists are named by their row, the font's text field too, and
  // the quality is shown as a number.
  void controlsAreNamedByTheirRow() {
    window->goToPage(CPicoVandDlg::kImagePage);
    QAccessibleInterface* sizeB = element(window->pages().image, QAccessible::ComboBox, "Bild B");
    QVERIFY(sizeB);
    QVERIFY(!sizeB->text(QAccessible::Value).isEmpty());
    QVERIFY(element(window->pages().image, QAccessible::ComboBox, "Algorithmus"));
    QVERIFY(element(window->pages().image, QAccessible::ComboBox, "Bildformat"));
    auto* quality = window->pages().image->findChild<QAbstractSlider*>("quality");
    const int before = quality->value();
    quality->setValue(77);
    QCOMPARE(window->pages().image->findChild<QLabel*>("qualityValue")->text(), QString("77"));
    QVERIFY(quality->isVisible() && window->pages().image->findChild<QLabel*>("qualityValue")->isVisible());
    quality->setValue(before);

    window->goToPage(CPicoVandDlg::kSettingsPage);
    // Every text field of the page has a name.
    for (QLineEdit* field : window->pages().settings->findChildren<QLineEdit*>())
      QVERIFY2(!accessible(field)->text(QAccessible::Name).isEmpty(), qPrintable(field->objectName()));
    QVERIFY(element(window->pages().settings, QAccessible::ComboBox, "Schriftart"));
    window->goToPage(CPicoVandDlg::kProjectPage);
  }

  // Nothing to build: a message, and nothing is written.
  void creatingWithoutImagesIsRefused() {
    state->items.clear();
    window->goToPage(CPicoVandDlg::kProjectPage);
    window->pages().project->findChild<QTreeWidget*>()->expandAll();
    QVERIFY(act(element(window.get(), QAccessible::TreeItem, "Helle Kacheln (4x3)"), QAccessibleActionInterface::toggleAction()));
    QCOMPARE(state->settings.presetNumber, 1001);
    window->goToPage(CPicoVandDlg::kCreatePage);
    QVERIFY(typeInto(element(window.get(), QAccessible::EditableText, "Projektname"), "Leer"));
    window->pages().create->create();
    QCOMPARE(scripted.messages.size(), size_t(1));
    QCOMPARE(scripted.messages[0].caption, QString("Keine Bilder"));
    QVERIFY(!QDir(QString::fromStdString(state->settings.projectsFolder) + "Leer").exists());
    QVERIFY(!window->pages().create->buildRunning());
  }

  // The question before building into someone else's folder: the safe
  // answer is the default, and a start page of theirs is named.
  void aFullFolderIsOnlyUsedOnRequest() {
    const QString output = QString::fromStdString(state->settings.projectsFolder) + "Fremd";
    QDir().mkpath(output);
    QFile page(output + "/index.html");
    QVERIFY(page.open(QIODevice::WriteOnly));
    page.write("<h1>Meine Seite</h1>");
    page.close();
    QVERIFY(state->items.addImage((kPhotos + "/portrait_nikon_d70s.jpg").toStdString(), "portrait_nikon_d70s.jpg", "/", {}));
    window->goToPage(CPicoVandDlg::kCreatePage);
    QVERIFY(typeInto(element(window.get(), QAccessible::EditableText, "Projektname"), "Fremd"));
    window->pages().create->create();  // answered no
    QCOMPARE(scripted.safeQuestions, std::vector<QString>{"Ausgabeordner nicht leer"});
    QVERIFY(scripted.questions[0].contains("index.html"));
    QCOMPARE(filesBelow(output), QStringList{"index.html"});

    // The real question box: Enter gives the default, which is no.
    Desktop real = systemDesktop();
    bool shown = false;
    inNextDialog([&](QWidget* box) {
      auto* question = qobject_cast<QMessageBox*>(box);
      QVERIFY(question);
      QCOMPARE(question->defaultButton(), question->button(QMessageBox::No));
      shown = true;
      QTest::keyClick(question, Qt::Key_Return);
    });
    QVERIFY(!real.askYesNoSafe(window.get(), "Ersetzen?", "Ausgabeordner nicht leer"));
    QVERIFY(shown);
    state->items.clear();
  }

  // The whole road by accessibility alone: a preset, a folder with albums,
  // the name through the editable text, create, and "Ausgabe" selected. The
  // gallery is the one picovand-cli builds from the same inputs.
  void theWholeRoadByAccessibility() {
    state->items.clear();
    window->pages().album->collectionCleared();
    const QString photos = photoFolder();
    press(tab("Projektauswahl"));
    QVERIFY(tabSelected("Projektauswahl"));
    window->pages().project->selectRoot();
    QVERIFY(act(element(window.get(), QAccessible::TreeItem, "Webalbum ohne Diashow"),
                QAccessibleActionInterface::toggleAction()));
    QVERIFY(act(element(window.get(), QAccessible::TreeItem, "Helle Kacheln (4x3)"), QAccessibleActionInterface::toggleAction()));
    QCOMPARE(state->settings.presetNumber, 1001);

    QVERIFY(press(tab("Bild - Einstellungen")));
    QAccessibleInterface* sharp = element(window.get(), QAccessible::CheckBox, "Bilder für hochauflösende Bildschirme");
    QVERIFY(sharp && !sharp->state().checked);
    QVERIFY(press(sharp) || act(sharp, QAccessibleActionInterface::toggleAction()));
    QTRY_VERIFY(sharp->state().checked);

    QVERIFY(press(tab("Bild- und Albumauswahl")));
    QVERIFY(tabSelected("Bild- und Albumauswahl"));
    bool imported = false;
    inNextDialog([&](QWidget* dialog) {
      QVERIFY(typeInto(element(dialog, QAccessible::EditableText, "Ordner:"), photos));
      QAccessibleInterface* include = element(dialog, QAccessible::CheckBox, "Unterverzeichnisse einbeziehen");
      QVERIFY(press(include) || act(include, QAccessibleActionInterface::toggleAction()));
      QAccessibleInterface* albums = element(dialog, QAccessible::CheckBox, "Erzeuge Alben aus Unterverzeichnissen");
      // Sub-folders as albums comes on with the sub-folders, where the preset allows albums.
      QTRY_VERIFY(!albums->state().disabled && albums->state().checked);
      QVERIFY(press(element(dialog, QAccessible::Button, "Ordner hinzufügen")));
      imported = true;
    });
    QVERIFY(press(element(window->pages().album, QAccessible::Button, "Ordner hinzufügen")));
    QTRY_VERIFY_WITH_TIMEOUT(imported, 20000);
    QTRY_VERIFY_WITH_TIMEOUT(state->items.size() == 6 && window->tabControl()->isEnabled(), 60000);

    QVERIFY(press(element(window.get(), QAccessible::Button, "Weiter")));
    QVERIFY(tabSelected("Erstellen"));
    QVERIFY(typeInto(element(window.get(), QAccessible::EditableText, "Projektname"), "Reise"));
    QVERIFY(press(element(window.get(), QAccessible::Button, "Projekt erstellen")));
    QTRY_VERIFY_WITH_TIMEOUT(tabSelected("Ausgabe"), 180000);
    QVERIFY(scripted.messages.empty());

    const QString mine = QString::fromStdString(state->settings.projectsFolder) + "Reise";
    QVERIFY(QFile::exists(mine + "/pcv00000.htm"));
    const QString theirs = path("cli/Reise");
    QDir().mkpath(path("cli"));
    QProcess cli;
    cli.start(PICOVAND_BIN_DIR "/picovand-cli",
              {"build", "--preset", "1001", "--output", theirs, "--import", photos, "--recursive", "--albums", "--hidpi"});
    QVERIFY(cli.waitForFinished(180000));
    QVERIFY2(cli.exitCode() == 0, cli.readAllStandardError().constData());
    const QStringList files = filesBelow(mine);
    QCOMPARE(filesBelow(theirs), files);
    QVERIFY(files.filter(QRegularExpression("^images/(Berlin|Hamburg)/")).size() >= 3);
    QVERIFY(files.filter(QRegularExpression("-2x\\.jpg$")).size() >= 4);
    QCOMPARE(guitest::firstDifference(mine, theirs, files), QString());
  }

  // A picture that cannot be read and one cut short: the build leaves the
  // first out of the pages and names both.
  void brokenPicturesAreNamedAfterTheBuild() {
    state->items.clear();
    window->pages().album->collectionCleared();
    QFile junk(path("kaputt.jpg"));
    QVERIFY(junk.open(QIODevice::WriteOnly));
    junk.write("no picture");
    junk.close();
    for (const QString& p : {kPhotos + "/portrait_nikon_d70s.jpg", path("kaputt.jpg"), kPhotos + "/broken_truncated.jpg"})
      QVERIFY(state->items.addImage(p.toStdString(), QFileInfo(p).fileName().toStdString(), "/", {}));
    window->goToPage(CPicoVandDlg::kCreatePage);
    QVERIFY(typeInto(element(window.get(), QAccessible::EditableText, "Projektname"), "Kaputt"));
    window->pages().create->create();
    QTRY_VERIFY_WITH_TIMEOUT(!window->pages().create->buildRunning() && tabSelected("Ausgabe"), 120000);
    QCOMPARE(scripted.messages.size(), size_t(1));
    const QString text = scripted.messages[0].text;
    QVERIFY2(text.contains("kaputt.jpg") && text.contains("nicht gelesen"), qPrintable(text));
    QVERIFY2(text.contains("beschädigt, nur teilweise lesbar") && text.contains("broken_truncated.jpg"), qPrintable(text));
    const QString output = QString::fromStdString(state->settings.projectsFolder) + "Kaputt";
    QVERIFY(!contents(output + "/pcv00000.htm").contains("pcva00001"));
    QVERIFY(QFile::exists(output + "/images/pcva00002.jpg"));
    state->items.clear();
    window->pages().album->collectionCleared();
  }
};

PV_GUI_TEST(AccessibleRoadTest);
#include "AccessibleRoadTest.moc"
