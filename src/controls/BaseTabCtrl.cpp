#include "controls/BaseTabCtrl.h"

#include <QPainter>
#include <QStackedWidget>
#include <QStyleOptionTabBarBase>
#include <QVBoxLayout>

#include "controls/StaticControls.h"

namespace {
const QColor kStripGrey(128, 128, 128);
const QColor kPageOutline(175, 175, 175);
// Room above the tabs for the selected one to stand out.
constexpr int kLift = 2;
// The grey strip under the row of tabs.
constexpr int kStrip = 3;
}  // namespace

class CBaseTabCtrl::Bar : public QTabBar {
 public:
  explicit Bar(CBaseTabCtrl* owner) : QTabBar(owner), owner_(owner) {
    setDrawBase(false);
    setExpanding(false);
    setElideMode(Qt::ElideRight);
  }

 protected:
  QSize tabSizeHint(int index) const override {
    QSize s = QTabBar::tabSizeHint(index);
    if (owner_->drawingMode_ == 0) return s.expandedTo(QSize(owner_->minimumTabWidth_, 0));
    const int h = fontMetrics().height() + 10;
    return {std::max(owner_->minimumTabWidth_, fontMetrics().horizontalAdvance(tabText(index)) + 24),
            h + kLift + kStrip};
  }
  QSize minimumTabSizeHint(int index) const override { return tabSizeHint(index); }

  void paintEvent(QPaintEvent* event) override {
    if (owner_->drawingMode_ == 0) return QTabBar::paintEvent(event);
    QPainter p(this);
    if (owner_->drawingMode_ == 1) {
      QStyleOptionTabBarBase base;
      base.initFrom(this);
      base.rect = QRect(0, height() - kStrip, width(), kStrip);
      style()->drawPrimitive(QStyle::PE_FrameTabBarBase, &base, &p, this);
    }
    owner_->paintTabRow(p, owner_->drawingMode_ == 2);
  }

 private:
  CBaseTabCtrl* owner_;
};

CBaseTabCtrl::CBaseTabCtrl(QWidget* parent) : QWidget(parent), bar_(new Bar(this)), stack_(new QStackedWidget(this)) {
  auto* layout = new QVBoxLayout(this);
  // One pixel all round the pages for the outline of the page area.
  layout->setContentsMargins(1, 0, 1, 1);
  layout->setSpacing(0);
  layout->addWidget(bar_);
  layout->addWidget(stack_, 1);
  connect(bar_, &QTabBar::currentChanged, this, [this](int index) {
    stack_->setCurrentIndex(index);
    emit currentChanged(index);
  });
}

int CBaseTabCtrl::addTab(QWidget* page, const QString& caption) {
  stack_->addWidget(page);
  return bar_->addTab(caption);
}

QTabBar* CBaseTabCtrl::tabBar() const { return bar_; }
int CBaseTabCtrl::count() const { return bar_->count(); }
int CBaseTabCtrl::currentIndex() const { return bar_->currentIndex(); }
void CBaseTabCtrl::setCurrentIndex(int index) { bar_->setCurrentIndex(index); }
QWidget* CBaseTabCtrl::page(int index) const { return stack_->widget(index); }

void CBaseTabCtrl::setBackgroundColour(std::optional<QColor> colour) {
  background_ = colour;
  update();
  bar_->update();
}

QColor CBaseTabCtrl::backgroundColour() const { return background_.value_or(palette().color(QPalette::Button)); }

void CBaseTabCtrl::setMinimumTabWidth(int pixels) {
  minimumTabWidth_ = pixels;
  // The tab sizes are cached by QTabBar; changing a text makes it measure again.
  for (int i = 0; i < bar_->count(); ++i) bar_->setTabText(i, bar_->tabText(i));
}

bool CBaseTabCtrl::setDrawingMode(int mode) {
  if (mode < 0 || mode > 2) return false;
  drawingMode_ = mode;
  setMinimumTabWidth(minimumTabWidth_);
  update();
  bar_->update();
  return true;
}

void CBaseTabCtrl::drawTab(QPainter&, QRect, int, bool) {}
void CBaseTabCtrl::drawPageBorder(QPainter&, QRect) {}
void CBaseTabCtrl::drawTabBorder(QPainter&, QRect, int, bool) {}
QColor CBaseTabCtrl::tabColour(bool) const { return palette().color(QPalette::Button); }
QColor CBaseTabCtrl::tabTextColour(bool) const { return palette().color(QPalette::WindowText); }

QRect CBaseTabCtrl::pageArea() const { return stack_->geometry().adjusted(-1, 0, 1, 1); }

void CBaseTabCtrl::paintEvent(QPaintEvent*) {
  if (drawingMode_ == 0) return;
  QPainter p(this);
  p.fillRect(rect(), backgroundColour());
  p.setPen(QPen(kPageOutline, 0));
  p.drawRect(pageArea().adjusted(0, 0, -1, -1));
  drawPageBorder(p, pageArea().adjusted(0, -2, 0, 0));
}

// The strip under the tabs, then every tab from the last to the first with
// the selected one last, so that it overlaps its neighbours.
void CBaseTabCtrl::paintTabRow(QPainter& p, bool withStrip) {
  if (withStrip) {
    QRect tabs;
    for (int i = 0; i < bar_->count(); ++i) tabs |= bar_->tabRect(i);
    p.fillRect(bar_->rect(), backgroundColour());
    p.fillRect(QRect(2, bar_->height() - kStrip, tabs.right() - 1, kStrip), kStripGrey);
  }
  p.setFont(bar_->font());
  const int current = bar_->currentIndex();
  for (int i = bar_->count() - 1; i >= 0; --i) {
    if (i == current) continue;
    QRect t = bar_->tabRect(i).adjusted(0, kLift + 2, 0, -kStrip);
    drawTab(p, t, i, false);
    drawTabBorder(p, t, i, false);
  }
  if (current >= 0) {
    QRect t = bar_->tabRect(current).adjusted(0, kLift, 0, -kStrip + 2);
    drawTab(p, t, current, true);
    drawTabBorder(p, t, current, true);
  }
}
