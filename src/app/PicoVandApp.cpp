#include "app/PicoVandApp.h"

#include <unistd.h>

#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QStyle>
#include <QStyleFactory>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <QScreen>
#include <cmath>
#include <cstdio>

#include "state/AppState.h"
#include "app/PicoVandDlg.h"
#include "model/Image.h"
#include "settings/Product.h"
#include "ui/Desktop.h"

void prepareWebEngine() {
  if (geteuid() == 0) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

bool installQtGerman() {
  auto* translator = new QTranslator(QCoreApplication::instance());
  if (translator->load("qtbase_de", QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
      QCoreApplication::installTranslator(translator))
    return true;
  delete translator;
  return false;
}

int answerInformationOptions(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--help" || a == "-h") {
      std::fputs(helpText().toUtf8().constData(), stdout);
      return 0;
    }
    if (a == "--version") {
      std::printf("%s %s\n", pv::kProductName, pv::kProductVersion);
      return 0;
    }
  }
  return -1;
}

QString helpText() {
  return QString(
             "Usage: picovand [PROJECT.pvproj]\n"
             "Opens the %1 window, which turns photographs into a web photo gallery on disk.\n"
             "With PROJECT, the window starts with that saved project, as \"Projekt öffnen\" does.\n"
             "picovand-cli builds the same galleries without the window.\n"
             "\n"
             "Options:\n"
             "  -h, --help     show this text and end\n"
             "  --version      show the version and end\n"
             "  Qt's own options (-platform, -style, ...) are taken as well.\n"
             "\n"
             "Files:\n"
             "  $XDG_CONFIG_HOME/Corvane/Pico Vand/config.ini     default captions and the project folder\n"
             "  $XDG_DATA_HOME/Corvane/Pico Vand/                 window place, recovery copy, upload records\n"
             "  $XDG_DOCUMENTS_DIR/Corvane Pico Vand/             the projects, unless another folder is chosen\n")
      .arg(pv::kProductName);
}

QString projectFromArguments(const QStringList& arguments, std::string& project) {
  project.clear();
  for (qsizetype i = 1; i < arguments.size(); ++i) {
    const QString& a = arguments[i];
    if (a.startsWith('-')) return QString("unknown option %1 (see picovand --help)").arg(a);
    if (!project.empty()) return "only one project file can be opened";
    project = QFile::encodeName(a).toStdString();
  }
  return {};
}

void setApplicationIdentity() {
  QApplication::setApplicationName(PICOVAND_WM_CLASS);
  QApplication::setOrganizationName("Corvane");
  QApplication::setApplicationVersion(pv::kProductVersion);
  QGuiApplication::setDesktopFileName(PICOVAND_APP_ID);
}

void useLightLook() {
  if (QStyle* fusion = QStyleFactory::create("Fusion")) {
    QApplication::setStyle(fusion);
    QApplication::setPalette(fusion->standardPalette());
  }
}

int CPicoVandApp::initInstance(const std::string& project) {
  state_.screenDpi = int(std::lround(QGuiApplication::primaryScreen()->logicalDotsPerInchY()));
  if (state_.screenDpi != 96 && state_.screenDpi != 120) {
    desktop_.message(nullptr,
                     "Cannot run program!\nError: Custom dpi setting not supported.\nPlease use 96dpi (default) or "
                     "120dpi (large fonts).",
                     "Corvane Pico Vand", QMessageBox::Critical);
    return 0;
  }
  pv::makeUserFolders(state_);
  pv::InstanceLock lock(state_.settings.appDataFolder);
  if (!lock.ok()) {
    desktop_.message(nullptr, "The program \"Corvane Pico Vand\" is already running.", "Pico Vand",
                     QMessageBox::Information);
    return 0;
  }
  pv::initialiseImageLibrary();
  CPicoVandDlg window(state_, desktop_);
  window.show();
  window.offerRecovery();
  if (!project.empty()) window.openGivenProject(project);
  window.exec();
  return 0;
}

void CPicoVandApp::exitInstance() { pv::shutdownImageLibrary(); }
