// The window's project commands: save as and the unsaved mark in the title,
// opening into every page, the question before work is thrown away, images
// whose files are gone, and the recovery copy offered at the next start.
#include <QAction>
#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include "GuiSupport.h"
#include "app/PicoVandDlg.h"
#include "controls/TabFilesListBox.h"
#include "ui/QtText.h"
#include "ui/TabFiles.h"
#include "ui/TabOptions.h"
#include "ui/TabOutput.h"
#include "ui/TabProject.h"

using guitest::ScratchProgram;
using guitest::ScriptedDesktop;

class ProjectWindowTest : public QObject {
  Q_OBJECT
  ScratchProgram program;
  std::unique_ptr<pv::AppState> state;
  ScriptedDesktop scripted;
  std::unique_ptr<CPicoVandDlg> window;
  QString photos;  // the photos of the project, below its folder

  QAction* action(const char* name) const {
    auto* a = window->findChild<QAction*>(name);
    if (!a) qFatal("no action %s", name);
    return a;
  }
  QLineEdit* imageField(const char* name) const { return window->pages().image->findChild<QLineEdit*>(name); }
  CTabFilesListBox* albumList() const { return window->pages().album->findChild<CTabFilesListBox*>("albumList"); }
  QStringList albumRows() const {
    QStringList rows;
    for (int i = 0; i < albumList()->count(); ++i) rows << albumList()->text(i).section('\n', 0, 0);
    return rows;
  }
  std::string projectPath() const { return program.root() + "Reise/Reise.pvproj"; }
  void addPhoto(const QString& name) {
    QImage image(120, 80, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QVERIFY(image.save(photos + name, "JPG"));
    const std::string path = pathFromQt(photos + name);
    QVERIFY(state->items.addImage(path, name.toStdString(), "/", {}) != nullptr);
  }
  void typeInto(QLineEdit* field, const QString& text) {
    field->selectAll();
    QTest::keyClicks(field, text);
  }

 private slots:
  void initTestCase() {
    program.preset(1000, "[LANG]\nDE=Alle Webalben\nID=1000\n");
    program.preset(1001, "[LANG]\nDE=Klassisch\nID=1001\n[FOLDER]\nSUB=1\n[IMAGE]\nENABLEA=1\nSIZEAX=120\nSIZEAY=90\n");
    photos = QString::fromStdString(program.root()) + "Reise/Fotos/";
    QDir().mkpath(photos);
    state = program.makeState();
    window = std::make_unique<CPicoVandDlg>(*state, scripted.desktop);
    window->show();
  }

  void init() { scripted.clear(); }

  void savedProjectOpensIntoEveryPage() {
    QVERIFY(!window->isWindowModified());
    QCOMPARE(action("saveProject")->shortcut(), QKeySequence(QKeySequence::Save));
    QCOMPARE(action("openProject")->shortcut(), QKeySequence(QKeySequence::Open));

    window->pages().project->tree()->expandAll();
    for (QTreeWidgetItemIterator it(window->pages().project->tree()); *it; ++it)
      if ((*it)->data(0, Qt::UserRole).toInt() == 1001) window->pages().project->tree()->setCurrentItem(*it);
    QCOMPARE(state->settings.presetNumber, 1001);
    typeInto(imageField("prefixC"), "gross");
    addPhoto("a.jpg");
    addPhoto("b.jpg");
    window->pages().album->collectionCleared();
    window->keepRecovery();
    QVERIFY(window->isWindowModified());
    QVERIFY(window->windowTitle().startsWith("Unbenannt[*] - "));
    QVERIFY(pv::hasRecovery(*state));

    scripted.saveFiles.push_back(QString::fromStdString(program.root()) + "Reise/Reise");  // the extension is added
    action("saveProject")->trigger();
    QCOMPARE(window->projectFile(), projectPath());
    QVERIFY(QFile::exists(QString::fromStdString(projectPath())));
    QVERIFY(!window->isWindowModified());
    QVERIFY(window->windowTitle().startsWith("Reise[*] - "));
    QVERIFY(!pv::hasRecovery(*state));  // the file holds the work now

    // A new project after the question, then the saved one opened again.
    scripted.answers.push_back(true);
    window->newProject();
    QCOMPARE(state->items.size(), size_t(0));
    QCOMPARE(window->projectFile(), std::string());
    QVERIFY(scripted.saveQuestions.empty());  // nothing unsaved was lost
    scripted.files.push_back(QString::fromStdString(projectPath()));
    action("openProject")->trigger();
    QVERIFY2(scripted.messages.empty(), scripted.messages.empty() ? "" : qPrintable(scripted.messages[0].text));
    QCOMPARE(state->settings.presetNumber, 1001);
    QCOMPARE(window->pages().project->tree()->currentItem()->data(0, Qt::UserRole).toInt(), 1001);
    QCOMPARE(imageField("prefixC")->text(), QString("gross"));
    QCOMPARE(albumRows(), QStringList({"Image: a.jpg", "Image: b.jpg"}));
    QVERIFY(!window->isWindowModified());
  }

  void unsavedWorkIsAskedAbout() {
    typeInto(imageField("prefixC"), "riesig");
    window->keepRecovery();
    QVERIFY(window->isWindowModified());
    // Cancel keeps the window and the work.
    scripted.saveAnswers.push_back(QMessageBox::Cancel);
    window->reject();
    QVERIFY(window->isVisible());
    QCOMPARE(scripted.saveQuestions.size(), size_t(1));
    QVERIFY(scripted.saveQuestions[0].contains("Reise"));
    // Opening another project asks as well; saving first keeps the change in the file.
    scripted.saveAnswers.push_back(QMessageBox::Save);
    scripted.files.push_back(QString::fromStdString(projectPath()));
    window->openProject();
    QCOMPARE(scripted.saveQuestions.size(), size_t(2));
    QCOMPARE(imageField("prefixC")->text(), QString("riesig"));
    QVERIFY(!window->isWindowModified());
  }

  void missingImagesAreMarkedAndFoundAgain() {
    QVERIFY(QDir().rename(photos, QString::fromStdString(program.root()) + "Neu"));
    QVERIFY(window->openProjectFile(projectPath()));
    QCOMPARE(scripted.messages.size(), size_t(1));
    QVERIFY(scripted.messages[0].text.startsWith("2 Bilder des Projekts wurden nicht gefunden"));
    QCOMPARE(albumRows(),
             QStringList({"Image: a.jpg (Datei nicht gefunden)", "Image: b.jpg (Datei nicht gefunden)"}));
    scripted.folders.push_back(QString::fromStdString(program.root()) + "Neu");
    action("findMissingImages")->trigger();
    QCOMPARE(scripted.messages.back().text, QString("2 von 2 fehlenden Bildern wurden gefunden."));
    QCOMPARE(albumRows(), QStringList({"Image: a.jpg", "Image: b.jpg"}));
    QVERIFY(window->hasUnsavedChanges());  // the new paths are not saved yet
  }

  void recoveryIsOfferedAtTheNextStart() {
    window->keepRecovery();
    QVERIFY(pv::hasRecovery(*state));
    // The window is gone without closing (as after a crash); a new one starts.
    ScriptedDesktop second;
    auto restartedState = program.makeState();
    CPicoVandDlg restarted(*restartedState, second.desktop);
    restarted.show();
    second.answers.push_back(true);
    restarted.offerRecovery();
    QCOMPARE(second.questions.size(), size_t(1));
    QVERIFY(second.questions[0].startsWith("Wiederherstellen: "));
    QCOMPARE(restarted.projectFile(), projectPath());
    QCOMPARE(restartedState->items.size(), size_t(2));
    QCOMPARE(restartedState->items.list[0]->sourcePath, program.root() + "Neu/a.jpg");
    QVERIFY(restarted.isWindowModified());
    // A clean exit (the work thrown away on purpose) removes the copy.
    second.saveAnswers.push_back(QMessageBox::Discard);
    restarted.accept();
    QVERIFY(!pv::hasRecovery(*restartedState));
  }

  void cleanupTestCase() { window.reset(); }
};

PV_GUI_TEST(ProjectWindowTest);
#include "ProjectWindowTest.moc"
