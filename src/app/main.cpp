#include <QApplication>
#include <QFont>

#include "state/AppState.h"
#include "app/PicoVandApp.h"
#include "ui/Desktop.h"

int main(int argc, char** argv) {
  // The one state of the program, made before the application and gone after it.
  static pv::AppState state;
  prepareWebEngine();
  QApplication application(argc, argv);
  QApplication::setApplicationName("Pico Vand");
  QApplication::setOrganizationName("Corvane");
  installQtGerman();
  Desktop desktop = systemDesktop();
  CPicoVandApp app(state, desktop);
  const int status = app.initInstance();
  app.exitInstance();
  return status;
}
