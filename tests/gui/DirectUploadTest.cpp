// "Direkt hochladen" against the servers of the upload tests: what the user
// types goes to the server, progress and the end show in the group, the
// unknown SFTP host is trusted only after the question.
#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include "GuiSupport.h"
#include "Servers.h"
#include "ui/DirectUpload.h"

namespace {

class DirectUploadTest : public QObject {
  Q_OBJECT

  pvtest::ScratchDir local;
  std::string gallery;
  std::string records;

  void fill(CDirectUpload& w, int protocol, int port, const std::string& password) {
    w.protocol()->setCurrentIndex(protocol);
    QTest::keyClicks(w.server(), "127.0.0.1");
    w.port()->setValue(port);
    QTest::keyClicks(w.folder(), "galerie");
    QTest::keyClicks(w.user(), pvtest::kTestAccount);
    QTest::keyClicks(w.password(), QString::fromStdString(password));
  }
  bool uploadAndWait(CDirectUpload& w) {
    QTest::mouseClick(w.uploadButton(), Qt::LeftButton);
    if (!w.running() || w.uploadButton()->isEnabled() || !w.cancelButton()->isEnabled()) return false;
    return QTest::qWaitFor([&] { return !w.running(); }, 60000);
  }

 private slots:
  void initTestCase() {
    gallery = local.path() + "Reise/";
    local.write("Reise/bilder/00000.jpg", std::string(30000, 'x'));
    local.write("Reise/Grüße 100%.htm", "<html>seite</html>");
    local.write("Reise/seite00000.htm", "<html>start</html>");
    records = local.path() + "data/";
  }

  void uploadsWhatIsTypedAndRecordsIt() {
    pvtest::FtpServer server;
    if (!server.skipReason.empty()) QSKIP(server.skipReason.c_str());
    guitest::ScriptedDesktop scripted;
    CDirectUpload w(scripted.desktop, gallery, records);
    w.setTrustFiles("", server.caFile());
    for (QWidget* c : w.findChildren<QWidget*>()) {
      QAccessibleInterface* a = QAccessible::queryAccessibleInterface(c);
      QVERIFY2(a && !a->text(QAccessible::Name).isEmpty(), qPrintable(c->objectName()));
    }
    QCOMPARE(w.password()->echoMode(), QLineEdit::Password);
    QVERIFY(lastUploadText(records, gallery).isEmpty());

    fill(w, 1, server.port, "falsch");
    QVERIFY(uploadAndWait(w));
    QVERIFY2(w.status()->text().contains("Anmeldung abgelehnt"), qPrintable(w.status()->text()));
    QVERIFY(w.uploadButton()->isEnabled());

    w.password()->clear();
    QTest::keyClicks(w.password(), QString::fromStdString(server.password));
    QVERIFY(uploadAndWait(w));
    QVERIFY2(w.status()->text().startsWith("Fertig: 3 Dateien"), qPrintable(w.status()->text()));
    QCOMPARE(guitest::readFile(server.root + "galerie/Grüße 100%.htm"), std::string("<html>seite</html>"));
    const QString line = lastUploadText(records, gallery);
    QVERIFY2(line.startsWith("Zuletzt hochgeladen: ") &&
                 line.endsWith(QString("nach ftps://%1@127.0.0.1:%2/galerie").arg(pvtest::kTestAccount).arg(server.port)),
             qPrintable(line));
  }

  void unknownHostIsTrustedOnlyAfterAskingOnce() {
    pvtest::SftpServer server;
    if (!server.skipReason.empty()) QSKIP(server.skipReason.c_str());
    guitest::ScriptedDesktop scripted;
    CDirectUpload w(scripted.desktop, gallery, records);
    const std::string knownHosts = server.dir.path() + "user_known_hosts";
    w.setTrustFiles(knownHosts, "");
    fill(w, 2, server.port, server.password);
    QCOMPARE(w.port()->value(), server.port);

    // "No": nothing is sent and nothing is trusted.
    scripted.answers.push_back(false);
    QVERIFY(uploadAndWait(w));
    QCOMPARE(scripted.questions.size(), size_t(1));
    QVERIFY2(scripted.questions[0].contains(QString::fromStdString(server.fingerprint())),
             qPrintable(scripted.questions[0]));
    QVERIFY(!QFile::exists(QString::fromStdString(server.home + "galerie")));

    // "Yes": the key is added and the upload runs at once.
    scripted.answers.push_back(true);
    QVERIFY(uploadAndWait(w));
    QVERIFY(QTest::qWaitFor([&] { return !w.running() && w.status()->text().startsWith("Fertig"); }, 60000));
    QCOMPARE(scripted.questions.size(), size_t(2));
    QVERIFY(guitest::readFile(knownHosts).find("ssh-ed25519") != std::string::npos);
  }

  // Somebody's index.html on the server stays unless the user agrees, and
  // the question's default keeps it.
  void foreignIndexIsReplacedOnlyAfterAsking() {
    pvtest::FtpServer server;
    if (!server.skipReason.empty()) QSKIP(server.skipReason.c_str());
    const std::string withIndex = local.path() + "Mit Index/";
    local.write("Mit Index/seite00000.htm", "<html>start</html>");
    local.write("Mit Index/index.html", "<html>start</html>");
    pv::makeDirectories(server.root + "galerie");
    pv::writeWholeFile(server.root + "galerie/index.html", "homepage");
    pvtest::run("chown -R " + std::string(pvtest::kTestAccount) + " '" + server.root + "galerie'");
    guitest::ScriptedDesktop scripted;
    CDirectUpload w(scripted.desktop, withIndex, records);
    w.setTrustFiles("", server.caFile());
    fill(w, 1, server.port, server.password);

    scripted.answers.push_back(false);
    QVERIFY(uploadAndWait(w));
    QCOMPARE(scripted.safeQuestions.size(), size_t(1));
    QVERIFY2(scripted.questions.back().contains("index.html"), qPrintable(scripted.questions.back()));
    QVERIFY2(w.status()->text().contains("index.html"), qPrintable(w.status()->text()));
    QCOMPARE(guitest::readFile(server.root + "galerie/index.html"), std::string("homepage"));
    QVERIFY(!QFile::exists(QString::fromStdString(server.root + "galerie/seite00000.htm")));

    scripted.answers.push_back(true);
    QVERIFY(uploadAndWait(w));
    QVERIFY(QTest::qWaitFor([&] { return !w.running() && w.status()->text().startsWith("Fertig"); }, 60000));
    QCOMPARE(guitest::readFile(server.root + "galerie/index.html"), std::string("<html>start</html>"));
  }
};

}  // namespace

PV_GUI_TEST(DirectUploadTest);
#include "DirectUploadTest.moc"
