// The start-up checks of the application.
#include <QApplication>

#include "GuiSupport.h"
#include "app/PicoVandApp.h"
#include "app/PicoVandDlg.h"

class StartupTest : public QObject {
  Q_OBJECT
 private slots:
  void secondInstanceIsRefusedWithItsMessage() {
    guitest::ScratchProgram program;
    auto state = program.makeState();
    guitest::ScriptedDesktop scripted;
    pv::InstanceLock running(state->settings.appDataFolder);
    QVERIFY(running.ok());
    CPicoVandApp app(*state, scripted.desktop);
    QCOMPARE(app.initInstance(), 0);
    QCOMPARE(scripted.messages.size(), size_t(1));
    QCOMPARE(scripted.messages[0].text, QString("The program \"Corvane Pico Vand\" is already running."));
    QCOMPARE(scripted.messages[0].caption, QString("Pico Vand"));
    QCOMPARE(scripted.messages[0].icon, QMessageBox::Information);
    for (QWidget* w : QApplication::topLevelWidgets()) QVERIFY(!qobject_cast<CPicoVandDlg*>(w));
    QCOMPARE(state->screenDpi, 96);
  }
};

PV_GUI_TEST(StartupTest);
#include "StartupTest.moc"
