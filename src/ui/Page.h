#pragma once
// What every page of the main window shares: the page background, groups of
// a title bar over a framed panel, transparent labels and digits-only fields.
#include <QColor>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QWidget>

#include "controls/StaticControls.h"

struct Desktop;
class QGridLayout;
class QLayout;
class QVBoxLayout;
class QPushButton;

// The pictures all pages use, loaded once with the main window.
struct SharedPictures {
  QPixmap pageBackground;
  QPixmap blockTitle;
  QPixmap chooseIcon;    // "Auswählen"
  QPixmap standardIcon;  // "Standard"
  QPixmap windowIcon;
  static SharedPictures load();
};

// The caption of the program's own message boxes.
inline const char* const kMessageCaption = "Corvane Pico Vand";

class CPage : public QWidget {
  Q_OBJECT
 public:
  CPage(const SharedPictures& pictures, Desktop& desktop, QWidget* parent = nullptr);

 signals:
  // The page's worker (an import, a build) starts or ends: the window goes
  // into its busy state, where only cancel works, and back.
  void busy(bool on);
  // The page moves the user on to another page (the end of a build).
  void pageRequested(int page);

 protected:
  void paintEvent(QPaintEvent* event) override;

  // A group: the title bar over a framed panel that holds content.
  QWidget* makeGroup(const QString& title, QLayout* content, const QColor& fill = pageQColor());
  // The grid inside a group's panel.
  static QGridLayout* makeGroupGrid();
  // Groups stacked from the top of the page down.
  static QVBoxLayout* makeColumn(std::initializer_list<QWidget*> groups);
  QLabel* makeLabel(const QString& text, const char* name = nullptr);
  // A label that names the control beside it, for screen readers as well.
  QLabel* makeLabel(const QString& text, QWidget* buddy);
  // A push button that Enter in a field of the page never presses.
  QPushButton* makeButton(const QString& text, const QString& name, const QPixmap& icon = QPixmap());
  // A field that takes digits only.
  QLineEdit* makeNumberField(const char* name);
  // The field's integer, or "Enter an integer." with the focus on the field
  // and false when it holds none.
  bool readNumber(QLineEdit* field, int& value);

  const SharedPictures& pictures_;
  Desktop& desktop_;
};
