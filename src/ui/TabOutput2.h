#pragma once
// "Ausgabe": the preview of the result, its size and upload time, the
// upload dialog and the output folder in the file manager.
#include <QStyle>

#include "ui/Page.h"
#include "ui/Pages.h"

class CExplorer1;
class CLinkStatic2;

namespace pv {
struct OutputInfo;
}

// The warning shown above the preview for the own-web-page project types.
extern const char* const kOwnPageWarning;

class CTabOutput2 : public CPage {
  Q_OBJECT
 public:
  CTabOutput2(const Pages& pages, const SharedPictures& pictures, Desktop& desktop, QWidget* parent = nullptr);
  CExplorer1* browser() const { return browser_; }
  void showWarningStrip(bool on);
  bool warningStripShown() const { return !warning_->isHidden(); }
  // The four info lines from the statistics of the last build.
  void updateStatistics(const pv::OutputInfo& info);
  // "FTP Upload auf den eigenen Webserver": the upload dialog, modal.
  void upload();
  // "Projektdateien anzeigen": the output folder in the file manager.
  void showOutputFolder();
  // When and where the output folder was last uploaded directly; hidden when never.
  void showLastUpload();
  QLabel* lastUploadLine() const { return lastUpload_; }

 private:
  QWidget* makeAction(QStyle::StandardPixmap picture, const QString& text, const char* name, QLabel* lines[2],
                      void (CTabOutput2::*action)());

  const Pages& pages_;
  CExplorer1* browser_;
  QLabel* warning_;
  QLabel* sizeLine_;
  QLabel* uploadTimeLine_;
  QLabel* folderLine_;
  QLabel* fileCountLine_;
  QLabel* lastUpload_;
};
