// The window on a Linux desktop: a project file from the command line, the
// keys of the header's commands, its size and place kept between runs, and
// its light look on a dark desktop theme.
#include <QAction>
#include <QApplication>
#include <QStyle>
#include <QTimer>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include "GuiSupport.h"
#include "app/PicoVandApp.h"
#include "app/PicoVandDlg.h"
#include "ui/QtText.h"
#include "ui/TabProject.h"

using guitest::ScratchProgram;
using guitest::ScriptedDesktop;

namespace {

double luminance(const QColor& c) {
  auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
  return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}
double contrast(const QColor& a, const QColor& b) {
  const double x = luminance(a), y = luminance(b);
  return (std::max(x, y) + 0.05) / (std::min(x, y) + 0.05);
}

}  // namespace

class DesktopWindowTest : public QObject {
  Q_OBJECT
  ScratchProgram program;
  ScriptedDesktop scripted;

  QAction* action(QWidget* window, const char* name) const {
    auto* a = window->findChild<QAction*>(name);
    if (!a) qFatal("no action %s", name);
    return a;
  }

 private slots:
  void initTestCase() {
    program.preset(1000, "[LANG]\nDE=Alle Webalben\nID=1000\n");
    program.preset(1001, "[LANG]\nDE=Klassisch\nID=1001\n[IMAGE]\nENABLEA=1\nSIZEAX=120\nSIZEAY=90\n");
  }
  void init() { scripted.clear(); }

  void commandLineTakesOneProjectFile() {
    std::string project;
    QCOMPARE(projectFromArguments({"picovand"}, project), QString());
    QVERIFY(project.empty());
    QCOMPARE(projectFromArguments({"picovand", "/home/eva/Reise Ü.pvproj"}, project), QString());
    QCOMPARE(project, std::string("/home/eva/Reise Ü.pvproj"));
    QVERIFY(!projectFromArguments({"picovand", "--qualty"}, project).isEmpty());
    QVERIFY(!projectFromArguments({"picovand", "a.pvproj", "b.pvproj"}, project).isEmpty());
    QVERIFY(helpText().contains("picovand [PROJECT.pvproj]"));
  }

  // A double click on a project file in the file manager starts the program with it.
  void projectGivenAtStartIsOpened() {
    const std::string file = program.root() + "Reise.pvproj";
    {
      auto state = program.makeState();
      CPicoVandDlg window(*state, scripted.desktop);
      window.pages().project->tree()->expandAll();
      for (QTreeWidgetItemIterator it(window.pages().project->tree()); *it; ++it)
        if ((*it)->data(0, Qt::UserRole).toInt() == 1001) window.pages().project->tree()->setCurrentItem(*it);
      scripted.saveFiles.push_back(pathToQt(file));
      QVERIFY(window.saveProjectAs());
    }
    auto state = program.makeState();
    QCOMPARE(state->settings.presetNumber, 0);
    std::string opened;
    QTimer::singleShot(0, [&] {
      for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* window = qobject_cast<CPicoVandDlg*>(w); window && window->isVisible()) {
          opened = window->projectFile();
          window->accept();
        }
    });
    CPicoVandApp app(*state, scripted.desktop);
    QCOMPARE(app.initInstance(file), 0);
    QCOMPARE(opened, file);
    QCOMPARE(state->settings.presetNumber, 1001);
  }

  void headerCommandsHaveKeys() {
    auto state = program.makeState();
    CPicoVandDlg window(*state, scripted.desktop);
    window.show();
    QCOMPARE(action(&window, "newProjectKey")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_N));
    QCOMPARE(action(&window, "exitKey")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
    QCOMPARE(action(&window, "helpKey")->shortcut(), QKeySequence(Qt::Key_F1));

    action(&window, "helpKey")->trigger();
    QCOMPARE(scripted.opened.size(), size_t(1));
    scripted.answers.push_back(false);
    action(&window, "newProjectKey")->trigger();
    QCOMPARE(scripted.questions.size(), size_t(1));
    QVERIFY(scripted.questions[0].startsWith("Neues Projekt:"));

    // While a worker runs only cancel works.
    window.setControlsEnabled(false);
    QVERIFY(!action(&window, "exitKey")->isEnabled());
    window.setControlsEnabled(true);
    action(&window, "exitKey")->trigger();
    QVERIFY(!window.isVisible());
    QCOMPARE(window.result(), int(QDialog::Accepted));
  }

  void sizeAndPlaceAreKept() {
    auto state = program.makeState();
    QSize before;
    {
      CPicoVandDlg window(*state, scripted.desktop);
      window.show();
      window.resize(window.minimumSizeHint().expandedTo(QSize(1003, 707)));
      before = window.size();
      window.accept();
    }
    CPicoVandDlg again(*state, scripted.desktop);
    QCOMPARE(again.size(), before);
  }

  // A dark desktop palette gives way to the window's own light one, with
  // readable selected text everywhere.
  void darkDesktopThemeKeepsTheLightLook() {
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(0x20, 0x20, 0x20));
    dark.setColor(QPalette::Base, QColor(0x18, 0x18, 0x18));
    dark.setColor(QPalette::Text, Qt::white);
    dark.setColor(QPalette::WindowText, Qt::white);
    QApplication::setPalette(dark);
    useLightLook();
    const QPalette p = QApplication::palette();
    QCOMPARE(QApplication::style()->name(), QString("fusion"));
    QVERIFY(luminance(p.color(QPalette::Window)) > 0.6);
    QVERIFY(luminance(p.color(QPalette::Base)) > 0.8);
    QVERIFY(contrast(p.color(QPalette::Text), p.color(QPalette::Base)) >= 7);
    QVERIFY(contrast(p.color(QPalette::WindowText), p.color(QPalette::Window)) >= 7);
    QVERIFY(contrast(p.color(QPalette::HighlightedText), p.color(QPalette::Highlight)) >= 3);
    QVERIFY(contrast(p.color(QPalette::ButtonText), p.color(QPalette::Button)) >= 4.5);
  }
};

PV_GUI_TEST(DesktopWindowTest);
#include "DesktopWindowTest.moc"
