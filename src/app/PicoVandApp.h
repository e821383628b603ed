#pragma once
// The application: start-up checks, the main window run modally, and the end.
#include <string>

#include <QString>
#include <QStringList>

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

// Prints the help or the version for --help, -h or --version among the
// arguments and returns 0; returns -1 when neither is asked for.
int answerInformationOptions(int argc, char** argv);
QString helpText();

// The arguments after Qt took its own: at most one project file to open.
// Returns why they are refused, or nothing.
QString projectFromArguments(const QStringList& arguments, std::string& project);

// The names the desktop knows the window by: its menu entry (the desktop
// file's name) and its window class, which the menu entry matches.
void setApplicationIdentity();

// The window is drawn in its own light greys; a dark desktop theme would
// give it dark lists and fields with light text beside them, so every
// control keeps the light Fusion look whatever the desktop's theme.
void useLightLook();

class CPicoVandApp {
 public:
  CPicoVandApp(pv::AppState& state, Desktop& desktop) : state_(state), desktop_(desktop) {}

  // Refuses unsupported screens and a second instance, starts the image
  // library and runs the main window, with project opened when given.
  // Returns the process exit status.
  int initInstance(const std::string& project = {});
  void exitInstance();

 private:
  pv::AppState& state_;
  Desktop& desktop_;
};
