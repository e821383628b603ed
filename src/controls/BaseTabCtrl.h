#pragma once
// A row of page tabs over a stack of pages, with a background colour and a
// paint routine whose steps a derived control supplies. Selection, keys and
// notifications are those of QTabBar; assistive tools see a list of page
// tabs with the shown page's tab selected.
#include <QColor>
#include <QTabBar>
#include <QWidget>
#include <optional>

class QAccessibleInterface;
class QStackedWidget;

class CBaseTabCtrl : public QWidget {
  Q_OBJECT
 public:
  explicit CBaseTabCtrl(QWidget* parent = nullptr);

  int addTab(QWidget* page, const QString& caption);
  int count() const;
  int currentIndex() const;
  void setCurrentIndex(int index);
  QWidget* page(int index) const;
  QTabBar* tabBar() const;

  // No colour: the system's button face.
  void setBackgroundColour(std::optional<QColor> colour);
  QColor backgroundColour() const;
  void setMinimumTabWidth(int pixels);
  int minimumTabWidth() const { return minimumTabWidth_; }
  // 0: the system paints everything; 1: the system paints the frame and the
  // control each tab; 2: the control paints everything. Other values are
  // refused with false.
  bool setDrawingMode(int mode);
  int drawingMode() const { return drawingMode_; }

 signals:
  void currentChanged(int index);

 protected:
  // The steps of the paint routine; the base draws nothing.
  virtual void drawTab(QPainter& p, QRect tab, int index, bool selected);
  virtual void drawPageBorder(QPainter& p, QRect page);
  virtual void drawTabBorder(QPainter& p, QRect tab, int index, bool selected);
  virtual QColor tabColour(bool selected) const;
  virtual QColor tabTextColour(bool selected) const;

  void paintEvent(QPaintEvent* event) override;

 private:
  class Bar;
  static QAccessibleInterface* accessibleBar(const QString& className, QObject* object);
  void announceSelection(int index);
  void paintTabRow(QPainter& p, bool withStrip);
  QRect pageArea() const;

  Bar* bar_;
  QStackedWidget* stack_;
  std::optional<QColor> background_;
  int minimumTabWidth_ = 0;
  int drawingMode_ = 0;
  int announced_ = -1;  // the tab last reported as selected
};
