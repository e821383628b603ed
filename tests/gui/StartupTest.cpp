// The start-up checks of the application.
#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

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

  // The test program starts like the window: with Qt's German texts.
  void qtsOwnDialogsSpeakGerman() {
    QVERIFY(installQtGerman());
    QMessageBox box(QMessageBox::Question, "Neues Projekt", "?", QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(box.button(QMessageBox::Yes)->text().remove('&'), QString("Ja"));
    QCOMPARE(box.button(QMessageBox::No)->text().remove('&'), QString("Nein"));
    QFileDialog files;
    files.setOption(QFileDialog::DontUseNativeDialog);
    QStringList texts;
    for (QPushButton* b : files.findChildren<QPushButton*>()) texts << b->text().remove('&');
    QVERIFY2(texts.contains("Öffnen") && texts.contains("Abbrechen"), qPrintable(texts.join(",")));
    QColorDialog colours;
    colours.setOption(QColorDialog::DontUseNativeDialog);
    QVERIFY(colours.findChild<QPushButton*>() != nullptr);
    texts.clear();
    for (QPushButton* b : colours.findChildren<QPushButton*>()) texts << b->text().remove('&');
    QVERIFY2(texts.contains("Abbrechen"), qPrintable(texts.join(",")));
  }
};

PV_GUI_TEST(StartupTest);
#include "StartupTest.moc"
