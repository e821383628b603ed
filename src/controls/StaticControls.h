#pragma once
// The small label controls that give the window its look: picture buttons,
// the title bars and outlines of the page groups, and colour previews.
#include <QKeySequence>
#include <QLabel>
#include <QPixmap>
#include <QWidget>
#include <cstdint>
#include <string>

// The shared greys of the window as Qt colours.
QColor windowQColor();
QColor pageQColor();
QColor frameQColor();
QColor labelTextQColor();

// A picture that acts as a button: hand cursor, highlighted picture while the
// pointer is over it, clicked() on a press of the left button, or of Space or
// Enter while it has the keyboard focus (Tab reaches it). Assistive tools see
// a button named by the text its picture shows.
class CLinkStatic2 : public QLabel {
  Q_OBJECT
 public:
  explicit CLinkStatic2(QWidget* parent = nullptr);
  void setPictures(const QPixmap& normal, const QPixmap& highlighted);
  bool isHighlighted() const { return highlighted_; }
  // What a press does, for keyboard and assistive tools.
  void click();
  // The key that presses it from anywhere in the window, shown in its tool
  // tip and told to assistive tools.
  void setShortcutText(const QKeySequence& keys);
  QKeySequence shortcutText() const { return keys_; }

 signals:
  void clicked();

 protected:
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void changeEvent(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void setHighlighted(bool on);
  QPixmap normal_;
  QPixmap highlighted_picture_;
  bool highlighted_ = false;
  QKeySequence keys_;
};

// The title bar of a group: the shared title picture at its natural size,
// a thin outline, and the title in the label text colour.
class CStaticBlock : public QWidget {
  Q_OBJECT
 public:
  CStaticBlock(const QString& text, const QPixmap& titlePicture, QWidget* parent = nullptr);
  QString text() const { return text_; }
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QString text_;
  QPixmap picture_;
};

// The panel of a group: filled with the page colour (or white for a list),
// with a thin outline. It holds the group's controls.
class CStaticFrame : public QWidget {
  Q_OBJECT
 public:
  explicit CStaticFrame(QWidget* parent = nullptr, QColor fill = pageQColor());

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QColor fill_;
};

// A small box showing the colour written in a colour text field: the colour
// when the text is "#" with six hexadecimal digits, the page colour otherwise.
class CStaticColorPreview : public QWidget {
  Q_OBJECT
 public:
  explicit CStaticColorPreview(QWidget* parent = nullptr);
  void setColour(const std::string& text);
  // The stored text: empty unless it named a colour.
  const std::string& colourText() const { return text_; }
  QColor shownColour() const;
  QSize sizeHint() const override { return {22, 18}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::string text_;
  QColor colour_;
};
