// Runs every registered test class in one QApplication. The embedded
// browser starts once, with the window of the main window tests.
#include <QApplication>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "GuiSupport.h"
#include "app/PicoVandApp.h"
#include "model/Image.h"

int main(int argc, char** argv) {
  // Nothing of Qt's own (caches, the browser's profile) lands in the real home.
  QTemporaryDir home;
  qputenv("HOME", home.path().toUtf8());
  qputenv("XDG_CACHE_HOME", (home.path() + "/cache").toUtf8());
  qputenv("XDG_DATA_HOME", (home.path() + "/data").toUtf8());
  qputenv("XDG_CONFIG_HOME", (home.path() + "/config").toUtf8());
  QTemporaryDir runtime;  // created with mode 0700, as the browser requires
  qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  prepareWebEngine();
  QApplication app(argc, argv);
  installQtGerman();
  pv::initialiseImageLibrary();
  int failed = 0;
  for (const auto& make : guitest::registeredTests()) {
    std::unique_ptr<QObject> test = make();
    // PV_GUI_ONLY=ClassName runs one test class, while working on it.
    const QByteArray only = qgetenv("PV_GUI_ONLY");
    if (!only.isEmpty() && only != test->metaObject()->className()) continue;
    failed += QTest::qExec(test.get(), argc, argv);
  }
  pv::shutdownImageLibrary();
  return failed == 0 ? 0 : 1;
}
