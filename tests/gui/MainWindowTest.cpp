// The main window with its pages, built once (the embedded browser is slow
// to start): presets chosen in the tree and seen through the settings pages'
// widgets, the page flow, the footer, the busy state and the new project.
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTabBar>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include "GuiSupport.h"
#include "app/PicoVandDlg.h"
#include "controls/EnTabCtrl.h"
#include "controls/StaticControls.h"
#include "ui/Explorer.h"
#include "ui/TabFiles.h"
#include "ui/TabOptions.h"
#include "ui/TabOptions2.h"
#include "ui/TabOutput.h"
#include "ui/TabOutput2.h"
#include "ui/TabProject.h"

using guitest::ScratchProgram;
using guitest::ScriptedDesktop;

class MainWindowTest : public QObject {
  Q_OBJECT
  ScratchProgram program;
  std::unique_ptr<pv::AppState> state;
  ScriptedDesktop scripted;
  std::unique_ptr<CPicoVandDlg> window;

  QWidget* imagePage() const { return window->pages().image; }
  QWidget* settingsPage() const { return window->pages().settings; }
  QLineEdit* imageField(const char* name) const { return imagePage()->findChild<QLineEdit*>(name); }
  QLineEdit* settingsField(const char* name) const { return settingsPage()->findChild<QLineEdit*>(name); }
  template <typename T>
  T* find(QWidget* in, const char* name) const {
    T* w = in->findChild<T*>(name);
    if (!w) qFatal("no control %s", name);
    return w;
  }
  CLinkStatic2* button(const char* name) const { return find<CLinkStatic2>(window.get(), name); }
  QTreeWidget* tree() const { return window->pages().project->tree(); }

  QTreeWidgetItem* node(int number) const {
    for (QTreeWidgetItemIterator it(tree()); *it; ++it)
      if ((*it)->data(0, Qt::UserRole).toInt() == number) return *it;
    qFatal("no tree node %d", number);
  }
  void select(int number) const { tree()->setCurrentItem(node(number)); }

  // Which footer buttons are shown: back, next, create, open.
  QString footer() const {
    QString s;
    for (const char* name : {"back", "next", "create", "open"})
      if (button(name)->isVisible()) s += s.isEmpty() ? name : QString(" ") + name;
    return s;
  }

 private slots:
  void initTestCase() {
    program.preset(1000, "[LANG]\nDE=Alle Webalben\nID=1000\n");
    program.preset(1001,
                   "[LANG]\nDE=Klassisch\nID=1001\n[FOLDER]\nSUB=1\n[IMAGE]\nENABLEA=0\nENABLEB=1\nSIZEAX=120\n"
                   "SIZEAY=0\nSIZEBX=640\nSIZEBY=480\nENABLEFORMAT=1\n[PROJECT]\nIMAGEX=4\nIMAGEY=3\nENABLEXY=1\n"
                   "[TABLE]\nENABLEWIDTH=1\nWIDTH=800\nBORDER=2\n[COLFONTS]\nENABLE=0\nTEXTCOLOR=#112233\n");
    program.preset(1002,
                   "[LANG]\nDE=Farbig\nID=1002\n[IMAGE]\nENABLEA=1\nSIZEAX=100\nSIZEAY=75\nENABLEB=1\nSIZEBX=0\n"
                   "SIZEBY=300\n[COLFONTS]\nENABLE=1\n");
    program.preset(5001, "[LANG]\nDE=Skript\nID=5001\n[FOLDER]\nSUB=1\n[JAVA]\nENABLE=1\n");
    program.preset(2001,
                   "[LANG]\nDE=Eigene Seite\nID=2001\n[IMAGE]\nENABLEA=0\nSIZEAX=200\nSIZEAY=150\n[PROJECT]\n"
                   "ENABLETEMPLATE=1\n");
    program.write("resources/DE/draft.html", "<h1>##DRAFT##</h1><img src=\"##IMAGE##\">");
    state = program.makeState();
    window = std::make_unique<CPicoVandDlg>(*state, scripted.desktop);
    window->show();
  }

  void init() { scripted.clear(); }

  void startsOnTheFirstPageWithPresetZero() {
    QCOMPARE(window->currentPage(), 0);
    QCOMPARE(footer(), QString("next"));
    QStringList captions;
    for (int i = 0; i < window->tabControl()->count(); ++i) captions << window->tabControl()->tabBar()->tabText(i);
    QCOMPARE(captions, QStringList({"Projektauswahl", "Bild - Einstellungen", "Projekt - Einstellungen",
                                    "Bild- und Albumauswahl", "Erstellen", "Ausgabe"}));
    // No preset 0 installed: every size row, the format and the colour rows are locked.
    for (const char* name : {"sizeChoiceA", "sizeChoiceB", "sizeChoiceC", "format"})
      QVERIFY(!find<QComboBox>(imagePage(), name)->isEnabled());
    QVERIFY(!settingsField("backgroundColour")->isEnabled());
    QVERIFY(!settingsField("columns")->isEnabled());
    QCOMPARE(find<QLabel>(imagePage(), "hint")->text(), QString(pv::kChooseProjectHint));
    const std::string startPage = program.programFolder() + "resources/DE/0.html";
    QCOMPARE(window->pages().output->browser()->location(), startPage);
    QCOMPARE(window->pages().project->browser()->location(), startPage);
    QVERIFY(!button("cancel")->isVisible());
  }

  void presetValuesAndEnabledStatesReachTheWidgets() {
    tree()->expandAll();
    // A prefix typed before the preset is chosen stays.
    imageField("prefixC")->selectAll();
    QTest::keyClicks(imageField("prefixC"), "gross");
    select(1001);
    QCOMPARE(state->settings.presetNumber, 1001);
    auto* choiceA = find<QComboBox>(imagePage(), "sizeChoiceA");
    QCOMPARE(choiceA->currentText(), QString("(Kein Bild)"));  // the height is 0
    QCOMPARE(imageField("widthA")->text(), QString("120"));
    QVERIFY(!choiceA->isEnabled() && !imageField("widthA")->isEnabled());
    QCOMPARE(find<QComboBox>(imagePage(), "sizeChoiceB")->currentText(), QString("(Benutzer)"));
    QCOMPARE(imageField("heightB")->text(), QString("480"));
    QVERIFY(imageField("widthB")->isEnabled());
    QVERIFY(!imageField("widthC")->isEnabled());
    QVERIFY(find<QComboBox>(imagePage(), "format")->isEnabled());
    QCOMPARE(imageField("prefixC")->text(), QString("gross"));
    QVERIFY(find<QLabel>(imagePage(), "hint")->text().startsWith("Webalbum: Bildgrösse A ist fest vorgegeben"));

    QCOMPARE(settingsField("columns")->text(), QString("4"));
    QCOMPARE(settingsField("rowsPerPage")->text(), QString("3"));
    QVERIFY(settingsField("columns")->isEnabled());
    QCOMPARE(settingsField("tableWidth")->text(), QString("800"));
    QVERIFY(settingsField("tableWidth")->isEnabled());
    QCOMPARE(settingsField("tableBorder")->text(), QString("2"));
    QVERIFY(!settingsField("tableBorder")->isEnabled());
    // Colour flag off: only the row with a value is free.
    QCOMPARE(settingsField("textColour")->text(), QString("#112233"));
    QVERIFY(settingsField("textColour")->isEnabled());
    QVERIFY(find<QPushButton>(settingsPage(), "textColourChoose")->isEnabled());
    QCOMPARE(find<CStaticColorPreview>(settingsPage(), "textColourPreview")->shownColour(), QColor(0x11, 0x22, 0x33));
    for (const char* row : {"backgroundColour", "foregroundColour", "linkColour", "textSize"}) {
      QCOMPARE(settingsField(row)->text(), QString("(Standard)"));
      QVERIFY(!settingsField(row)->isEnabled());
    }
    QVERIFY(!find<QPushButton>(settingsPage(), "backgroundColourStandard")->isEnabled());
    QVERIFY(!find<QComboBox>(settingsPage(), "font")->isEnabled());
    QVERIFY(!find<QCheckBox>(settingsPage(), "crossFade")->isEnabled());
    QCOMPARE(settingsField("displayTime")->text(), QString("5000"));

    // The browser shows the preview made from the installed template.
    const std::string preview = state->settings.appDataFolder + "temp.html";
    QCOMPARE(window->pages().project->browser()->location(), preview);
    QVERIFY(guitest::readFile(preview).find("<h1>Klassisch</h1>") != std::string::npos);
    QVERIFY(!window->pages().output->warningStripShown());
  }

  void colourFlagFreesEveryStyleRowAndEmptyWidthLocksRowB() {
    select(1002);
    for (const char* row : {"backgroundColour", "foregroundColour", "textColour", "linkColour", "textSize"}) {
      QCOMPARE(settingsField(row)->text(), QString("(Standard)"));
      QVERIFY(settingsField(row)->isEnabled());
    }
    QVERIFY(find<QComboBox>(settingsPage(), "font")->isEnabled());
    QVERIFY(find<QPushButton>(settingsPage(), "linkColourChoose")->isEnabled());
    // Width B is 0 for a web album: "(Kein Bild)" and locked fields, though the preset frees the row.
    QCOMPARE(find<QComboBox>(imagePage(), "sizeChoiceB")->currentText(), QString("(Kein Bild)"));
    QVERIFY(find<QComboBox>(imagePage(), "sizeChoiceB")->isEnabled());
    QVERIFY(!imageField("widthB")->isEnabled());
    QCOMPARE(find<QComboBox>(imagePage(), "sizeChoiceA")->currentText(), QString("(Benutzer)"));
  }

  void scriptSlideshowForbidsTheScriptFreeOption() {
    select(1001);
    auto* noScript = find<QCheckBox>(settingsPage(), "noScript");
    QVERIFY(noScript->isEnabled());
    noScript->click();
    QVERIFY(noScript->isChecked());
    select(5001);
    QVERIFY(!noScript->isChecked() && !noScript->isEnabled());
    QVERIFY(find<QCheckBox>(settingsPage(), "crossFade")->isChecked());
    QVERIFY(settingsField("displayTime")->isEnabled());
  }

  void ownTemplateShowsItsWarningAndPageOnce() {
    select(2001);
    QVERIFY(window->pages().output->warningStripShown());
    QCOMPARE(window->pages().project->browser()->location(), program.programFolder() + "resources/DE/2001.html");
    // Size A keeps its locked chooser but its fields follow the width.
    QVERIFY(!find<QComboBox>(imagePage(), "sizeChoiceA")->isEnabled());
    QVERIFY(imageField("widthA")->isEnabled());
    QVERIFY(find<QPushButton>(settingsPage(), "chooseOwnWebPage")->isEnabled());
    select(1001);
    QVERIFY(!window->pages().output->warningStripShown());
    QVERIFY(!find<QPushButton>(settingsPage(), "chooseOwnWebPage")->isEnabled());
  }

  void familyNodeLoadsItsGroupPreset() {
    select(1000);
    QCOMPARE(state->settings.presetNumber, 1000);
    QCOMPARE(state->settings.presetName, std::string("Alle Webalben"));
    QCOMPARE(window->pages().project->browser()->location(), program.programFolder() + "resources/DE/1000.html");
  }

  void pageFlowAtBothEndsAndFooterPerPage() {
    window->goToPage(0);
    window->previousPage();
    QCOMPARE(window->currentPage(), 0);
    const QString expected[4] = {"next", "back next", "back next", "back next"};
    for (int page = 0; page < 4; ++page) {
      QCOMPARE(footer(), expected[page]);
      QTest::mousePress(button("next"), Qt::LeftButton);
      QCOMPARE(window->currentPage(), page + 1);
    }
    QCOMPARE(footer(), QString("back create"));
    // Choosing a tab runs the same page change.
    window->tabControl()->tabBar()->setCurrentIndex(5);
    QCOMPARE(footer(), QString("back open"));
    window->nextPage();
    QCOMPARE(window->currentPage(), 5);
    QTest::mousePress(button("back"), Qt::LeftButton);
    QCOMPARE(window->currentPage(), 4);
    emit window->pages().create->pageRequested(CPicoVandDlg::kOutputPage);
    QCOMPARE(window->currentPage(), 5);
  }

  void openNeedsAConcretePresetAndItsStartPage() {
    const std::string out = program.root() + "out";
    QDir().mkpath(QString::fromStdString(out));
    window->pages().create->values.outputFolder = out;
    state->settings.fileTag = "pcv";
    for (int n : {0, 1000, 7000}) {
      state->settings.presetNumber = n;
      window->openResult();
    }
    QVERIFY(scripted.opened.empty());
    state->settings.presetNumber = 1001;
    window->openResult();  // nothing built yet
    QVERIFY(scripted.opened.empty());
    program.write("../out/PCV00000.HTM", "<html></html>");
    window->openResult();
    QCOMPARE(scripted.opened.size(), size_t(1));
    QCOMPARE(scripted.opened[0].toLocalFile(), QString::fromStdString(out + "/PCV00000.HTM"));
    state->settings.presetNumber = 3001;
    window->openResult();
    QCOMPARE(scripted.opened[1].toLocalFile(), QString::fromStdString(out + "/"));
  }

  void busyStateLeavesOnlyCancel() {
    window->goToPage(1);
    emit window->pages().album->busy(true);
    QVERIFY(!window->tabControl()->isEnabled());
    QVERIFY(!imageField("prefixA")->isEnabled());
    for (const char* name : {"newProject", "help", "info", "exit", "back", "next"}) QVERIFY(!button(name)->isEnabled());
    QVERIFY(button("cancel")->isVisible() && button("cancel")->isEnabled());
    state->abortRequested = false;
    QTest::mousePress(button("cancel"), Qt::LeftButton);
    QVERIFY(state->abortRequested);
    QVERIFY(!button("cancel")->isVisible());
    emit window->pages().create->busy(false);
    QVERIFY(window->tabControl()->isEnabled() && button("next")->isEnabled());
    QVERIFY(!button("cancel")->isVisible());
    state->abortRequested = false;
  }

  void escapeNeverClosesTheWindow() {
    QTest::keyClick(window.get(), Qt::Key_Escape);
    QTest::keyClick(imageField("prefixA"), Qt::Key_Escape);
    QVERIFY(window->isVisible());
    QCOMPARE(window->result(), 0);
  }

  void newProjectAnsweredNoChangesNothing() {
    select(1001);
    window->goToPage(2);
    state->items.addAlbum("/", "Urlaub");
    window->pages().image->values.watermarkFile = "/bilder/zeichen.png";
    window->pages().image->showPage();
    scripted.answers.push_back(false);
    QTest::mousePress(button("newProject"), Qt::LeftButton);
    QCOMPARE(scripted.questions,
             std::vector<QString>{"Neues Projekt: Sind Sie sicher, dass Sie ein neues Projekt erstellen möchten?"});
    QCOMPARE(window->currentPage(), 2);
    QCOMPARE(state->items.size(), size_t(1));
    QCOMPARE(state->settings.presetNumber, 1001);
    QCOMPARE(imageField("watermarkFile")->text(), QString("/bilder/zeichen.png"));
  }

  void newProjectAnsweredYesStartsAfresh() {
    tree()->expandAll();
    window->pages().create->values.projectName = "alt";
    scripted.answers.push_back(true);
    QTest::mousePress(button("newProject"), Qt::LeftButton);
    QCOMPARE(state->items.size(), size_t(0));
    QCOMPARE(state->settings.presetNumber, 0);
    QCOMPARE(tree()->currentItem(), tree()->topLevelItem(0));
    QVERIFY(tree()->topLevelItem(0)->isExpanded());
    for (int i = 0; i < tree()->topLevelItem(0)->childCount(); ++i)
      QVERIFY(!tree()->topLevelItem(0)->child(i)->isExpanded());
    QCOMPARE(window->currentPage(), 0);
    QCOMPARE(footer(), QString("next"));
    QCOMPARE(window->pages().output->browser()->location(), program.programFolder() + "resources/DE/0.html");
    QCOMPARE(imageField("watermarkFile")->text(), QString());
    const pv::CreatePageValues& create = window->pages().create->values;
    QCOMPARE(create.projectFolder, state->settings.projectsFolder);
    QCOMPARE(create.projectName.size(), size_t(14));
    QCOMPARE(create.outputFolder, create.projectFolder + create.projectName);
    // The other settings keep their values.
    QCOMPARE(settingsField("columns")->text(), QString("4"));

    // Asked again with the root already selected: still nothing chosen.
    scripted.answers.push_back(true);
    window->newProject();
    QCOMPARE(state->settings.presetNumber, 0);
  }

  void cleanupTestCase() { window.reset(); }

  // Screen readers and automation tools find every control by the German
  // label it shows or stands beside, and picture buttons as buttons.
  void everyControlHasAnAccessibleName() {
    QStringList unnamed;
    for (QWidget* w : window->findChildren<QWidget*>()) {
      const bool control = qobject_cast<QLineEdit*>(w) || qobject_cast<QComboBox*>(w) ||
                           qobject_cast<QAbstractButton*>(w) || qobject_cast<QAbstractItemView*>(w) ||
                           qobject_cast<QAbstractSlider*>(w) || qobject_cast<CLinkStatic2*>(w);
      // Scroll bars, headers, a combo box's own field and its pop-up list are parts of another control.
      if (!control || qobject_cast<QScrollBar*>(w) || qobject_cast<QComboBox*>(w->parentWidget()) ||
          qobject_cast<QAbstractItemView*>(w->parentWidget()) ||
          w->window() != window.get())
        continue;
      QAccessibleInterface* face = QAccessible::queryAccessibleInterface(w);
      if (!face || face->text(QAccessible::Name).trimmed().isEmpty())
        unnamed << QString("%1 %2").arg(w->metaObject()->className(), w->objectName());
    }
    QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(", ")));

    const struct {
      const char* name;
      const char* label;
    } pictureButtons[] = {{"newProject", "Neues Projekt"}, {"help", "Hilfe"},       {"support", "Support"},
                          {"info", "Info"},                {"webPage", "Webseite"}, {"exit", "Beenden"},
                          {"cancel", "Abbrechen"},         {"back", "Zurück"},      {"next", "Weiter"},
                          {"create", "Erstellen"},         {"open", "Öffnen"}};
    for (const auto& b : pictureButtons) {
      QAccessibleInterface* face = QAccessible::queryAccessibleInterface(button(b.name));
      QCOMPARE(face->role(), QAccessible::Button);
      QCOMPARE(face->text(QAccessible::Name), QString(b.label));
    }
    // Pressing "Weiter" through the accessible action moves on like a click.
    window->goToPage(0);
    QAccessibleInterface* next = QAccessible::queryAccessibleInterface(button("next"));
    QVERIFY(next->actionInterface()->actionNames().contains(QAccessibleActionInterface::pressAction()));
    next->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(window->currentPage(), 1);
    window->goToPage(0);
  }
};

PV_GUI_TEST(MainWindowTest);
#include "MainWindowTest.moc"
