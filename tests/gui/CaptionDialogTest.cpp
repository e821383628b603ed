// The caption metadata dialog: the "<IMAGE>" token, saving defaults, and
// storing the texts on confirmation.
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "GuiSupport.h"
#include "settings/Ini.h"
#include "ui/IPTCTags.h"
#include "ui/TabOptions.h"

using guitest::ScratchProgram;

namespace {
QLineEdit* field(QWidget* dialog, const char* name) { return dialog->findChild<QLineEdit*>(name); }
QAbstractButton* button(QWidget* dialog, const char* name) { return dialog->findChild<QAbstractButton*>(name); }
void retype(QLineEdit* f, const QString& text) {
  f->selectAll();
  QTest::keyClicks(f, text);
}
}  // namespace

class CaptionDialogTest : public QObject {
  Q_OBJECT
  ScratchProgram program;
  std::unique_ptr<pv::AppState> state;

 private slots:
  void init() { state = program.makeState(); }

  void imageTokenTicksItsBoxAndLocksTheField() {
    state->iptcCaption = "<IMAGE>";
    state->jpegComment = "<image>";  // the token is case-sensitive
    CIPTCTags dialog(*state);
    QCOMPARE(field(&dialog, "caption")->text(), QString("<IMAGE>"));
    QVERIFY(!field(&dialog, "caption")->isEnabled());
    QVERIFY(button(&dialog, "captionFromImage")->isChecked());
    QVERIFY(field(&dialog, "jpegComment")->isEnabled());
    QVERIFY(!button(&dialog, "commentFromImage")->isChecked());

    button(&dialog, "captionFromImage")->click();
    QCOMPARE(field(&dialog, "caption")->text(), QString());
    QVERIFY(field(&dialog, "caption")->isEnabled());
    button(&dialog, "commentFromImage")->click();
    QCOMPARE(field(&dialog, "jpegComment")->text(), QString("<IMAGE>"));
    QVERIFY(!field(&dialog, "jpegComment")->isEnabled());

    button(&dialog, "confirm")->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    dialog.storeInto(*state);
    QCOMPARE(state->iptcCaption, std::string());
    QCOMPARE(state->jpegComment, std::string("<IMAGE>"));
  }

  void savedDefaultsKeepBlanksAndCancelKeepsTheState() {
    state->iptcTitle = "Alt";
    CIPTCTags dialog(*state);
    retype(field(&dialog, "title"), "  Urlaub  ");
    retype(field(&dialog, "author"), "Eva");
    button(&dialog, "saveDefaults")->click();
    const std::string ini = guitest::readFile(state->settings.configIniPath);
    QVERIFY2(ini.find("TITLE=  Urlaub  ") != std::string::npos, ini.c_str());
    QCOMPARE(pv::readProfileString(state->settings.configIniPath, "IPTC", "AUTHOR", "-"), std::string("Eva"));
    QCOMPARE(pv::readProfileString(state->settings.configIniPath, "IPTC", "CAPTION", "-"), std::string(""));
    button(&dialog, "cancel")->click();
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QCOMPARE(state->iptcTitle, std::string("Alt"));
    // The next start reads the saved defaults, trimmed.
    pv::readConfigIni(*state);
    QCOMPARE(state->iptcTitle, std::string("Urlaub"));
  }

  void confirmedTextsAreStoredTrimmedThroughTheImagePage() {
    guitest::ScriptedDesktop scripted;
    SharedPictures pictures = SharedPictures::load();
    CTabOptions page(*state, pictures, scripted.desktop);
    bool seen = false;
    QTimer::singleShot(0, [&] {
      auto* dialog = qobject_cast<CIPTCTags*>(QApplication::activeModalWidget());
      if (!dialog) return;
      seen = true;
      retype(field(dialog, "title"), " Sommer ");
      retype(field(dialog, "copyright"), "(c) Eva ");
      button(dialog, "confirm")->click();
    });
    page.findChild<QPushButton*>("editCaptionTexts")->click();
    QVERIFY(seen);
    QCOMPARE(state->iptcTitle, std::string("Sommer"));
    QCOMPARE(state->iptcCopyright, std::string("(c) Eva"));
  }
};

PV_GUI_TEST(CaptionDialogTest);
#include "CaptionDialogTest.moc"
