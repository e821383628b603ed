#pragma once
// The application: start-up checks, the main window run modally, and the end.
struct Desktop;

namespace pv {
struct AppState;
}

// Called before the QApplication exists: the embedded browser's Chromium
// refuses to start as root unless its sandbox is off.
void prepareWebEngine();

// Qt's own dialogs and buttons (file and colour dialogs, yes and no) speak
// German like the rest of the window. False when Qt's German texts are not
// installed; the window then works with Qt's English ones.
bool installQtGerman();

class CPicoVandApp {
 public:
  CPicoVandApp(pv::AppState& state, Desktop& desktop) : state_(state), desktop_(desktop) {}

  // Refuses unsupported screens and a second instance, starts the image
  // library and runs the main window. Returns the process exit status.
  int initInstance();
  void exitInstance();

 private:
  pv::AppState& state_;
  Desktop& desktop_;
};
