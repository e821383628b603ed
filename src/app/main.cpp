#include <QApplication>
#include <QFont>
#include <cstdio>
#include <string>

#include "state/AppState.h"
#include "app/PicoVandApp.h"
#include "ui/Desktop.h"

int main(int argc, char** argv) {
  // --help and --version answer before anything needs a display.
  if (const int status = answerInformationOptions(argc, argv); status >= 0) return status;
  // The one state of the program, made before the application and gone after it.
  static pv::AppState state;
  prepareWebEngine();
  QApplication application(argc, argv);
  setApplicationIdentity();
  useLightLook();
  installQtGerman();
  std::string project;
  if (const QString refusal = projectFromArguments(QApplication::arguments(), project); !refusal.isEmpty()) {
    std::fprintf(stderr, "picovand: %s\n", qPrintable(refusal));
    return 2;
  }
  Desktop desktop = systemDesktop();
  CPicoVandApp app(state, desktop);
  const int status = app.initInstance(project);
  app.exitInstance();
  return status;
}
