#pragma once
// "Ausgabe": the preview of the result.
#include "ui/Page.h"

class CExplorer1;

// The warning shown above the preview for the own-web-page project types.
extern const char* const kOwnPageWarning;

class CTabOutput2 : public CPage {
  Q_OBJECT
 public:
  CTabOutput2(const SharedPictures& pictures, Desktop& desktop, QWidget* parent = nullptr);
  CExplorer1* browser() const { return browser_; }
  void showWarningStrip(bool on);
  bool warningStripShown() const { return !warning_->isHidden(); }

 private:
  CExplorer1* browser_;
  QLabel* warning_;
};
