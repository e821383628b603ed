#pragma once
// The info box: product name and version on the program's picture, with
// picture buttons to the maker's pages.
#include <QDialog>

struct Desktop;

class CInfo : public QDialog {
  Q_OBJECT
 public:
  CInfo(int screenDpi, Desktop& desktop, QWidget* parent = nullptr);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QPixmap background_;
};

// Runs the info box modally.
void showInfoBox(int screenDpi, Desktop& desktop, QWidget* parent);
