#include "app/PicoVandApp.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <QScreen>
#include <cmath>

#include "state/AppState.h"
#include "app/PicoVandDlg.h"
#include "model/Image.h"
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

int CPicoVandApp::initInstance() {
  state_.screenDpi = int(std::lround(QGuiApplication::primaryScreen()->logicalDotsPerInchY()));
  if (state_.screenDpi != 96 && state_.screenDpi != 120) {
    desktop_.message(nullptr,
                     "Cannot run program!\nError: Custom dpi setting not supported.\nPlease use 96dpi (default) or "
                     "120dpi (large fonts).",
                     "Corvane Pico Vand", QMessageBox::Critical);
    return 0;
  }
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
  window.exec();
  return 0;
}

void CPicoVandApp::exitInstance() { pv::shutdownImageLibrary(); }
