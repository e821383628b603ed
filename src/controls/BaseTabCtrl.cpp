#include "controls/BaseTabCtrl.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPainter>
#include <QPointer>
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
  // Focus coming to the row is focus on its selected tab: that is the tab a
  // screen reader names.
  void focusInEvent(QFocusEvent* event) override {
    QTabBar::focusInEvent(event);
    if (currentIndex() < 0) return;
    QAccessibleEvent focus(this, QAccessible::Focus);
    focus.setChild(currentIndex());
    QAccessible::updateAccessibility(&focus);
  }

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

namespace {

// One page tab to assistive tools: named by its text, selected while its page
// is shown, pressed to show its page. (The tabs Qt reports never say which
// one is selected.)
class TabAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
 public:
  TabAccessible(QTabBar* bar, int index) : bar_(bar), index_(index) {}
  void* interface_cast(QAccessible::InterfaceType type) override {
    return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this) : nullptr;
  }
  bool isValid() const override { return bar_ && index_ < bar_->count(); }
  QObject* object() const override { return nullptr; }
  QWindow* window() const override { return bar_ ? bar_->window()->windowHandle() : nullptr; }
  QAccessible::Role role() const override { return QAccessible::PageTab; }
  QAccessible::State state() const override {
    QAccessible::State s;
    if (!isValid()) {
      s.invalid = true;
      return s;
    }
    s.selectable = s.focusable = true;
    s.selected = bar_->currentIndex() == index_;
    s.focused = s.selected && bar_->hasFocus();
    s.disabled = !bar_->isEnabled() || !bar_->isTabEnabled(index_);
    s.invisible = !bar_->isVisible();
    return s;
  }
  QRect rect() const override {
    if (!isValid()) return {};
    const QRect r = bar_->tabRect(index_);
    return QRect(bar_->mapToGlobal(r.topLeft()), r.size());
  }
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }
  int childCount() const override { return 0; }
  QAccessibleInterface* child(int) const override { return nullptr; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }
  QString text(QAccessible::Text t) const override {
    if (!isValid()) return {};
    if (t == QAccessible::Name) return bar_->tabText(index_);
    if (t == QAccessible::Description) return bar_->tabToolTip(index_);
    return {};
  }
  void setText(QAccessible::Text, const QString&) override {}
  QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(bar_.data()); }
  QStringList actionNames() const override { return {pressAction()}; }
  void doAction(const QString& action) override {
    if (action == pressAction() && isValid() && bar_->isEnabled()) bar_->setCurrentIndex(index_);
  }
  QStringList keyBindingsForAction(const QString&) const override { return {}; }
  int index() const { return index_; }

 private:
  QPointer<QTabBar> bar_;
  int index_;
};

class TabBarAccessible : public QAccessibleWidget {
 public:
  explicit TabBarAccessible(QTabBar* bar) : QAccessibleWidget(bar, QAccessible::PageTabList) {}
  ~TabBarAccessible() override {
    for (QAccessible::Id id : tabs_) QAccessible::deleteAccessibleInterface(id);
  }
  int childCount() const override { return bar()->count(); }
  QAccessibleInterface* child(int index) const override {
    if (index < 0 || index >= bar()->count()) return nullptr;
    if (tabs_.contains(index)) return QAccessible::accessibleInterface(tabs_.value(index));
    auto* tab = new TabAccessible(bar(), index);
    tabs_.insert(index, QAccessible::registerAccessibleInterface(tab));
    return tab;
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    if (!child || child->role() != QAccessible::PageTab) return -1;
    for (auto it = tabs_.cbegin(); it != tabs_.cend(); ++it)
      if (QAccessible::accessibleInterface(it.value()) == child) return it.key();
    return -1;
  }
  QAccessibleInterface* childAt(int x, int y) const override {
    const QPoint p = bar()->mapFromGlobal(QPoint(x, y));
    return child(bar()->tabAt(p));
  }
  QAccessibleInterface* focusChild() const override { return bar()->hasFocus() ? child(bar()->currentIndex()) : nullptr; }

 private:
  QTabBar* bar() const { return static_cast<QTabBar*>(widget()); }
  mutable QHash<int, QAccessible::Id> tabs_;
};

}  // namespace

QAccessibleInterface* CBaseTabCtrl::accessibleBar(const QString&, QObject* object) {
  if (auto* bar = dynamic_cast<Bar*>(object)) return new TabBarAccessible(bar);
  return nullptr;
}

CBaseTabCtrl::CBaseTabCtrl(QWidget* parent) : QWidget(parent), bar_(new Bar(this)), stack_(new QStackedWidget(this)) {
  // Registered once, with the first tab control.
  static const bool registered = (QAccessible::installFactory(accessibleBar), true);
  (void)registered;
  auto* layout = new QVBoxLayout(this);
  // One pixel all round the pages for the outline of the page area.
  layout->setContentsMargins(1, 0, 1, 1);
  layout->setSpacing(0);
  layout->addWidget(bar_);
  layout->addWidget(stack_, 1);
  connect(bar_, &QTabBar::currentChanged, this, [this](int index) {
    stack_->setCurrentIndex(index);
    announceSelection(index);
    emit currentChanged(index);
  });
}

int CBaseTabCtrl::addTab(QWidget* page, const QString& caption) {
  stack_->addWidget(page);
  return bar_->addTab(caption);
}

// Whoever switched the page (a tab, "Weiter", the program), the tab that
// lost its page and the one that shows it now say so; QTabBar itself reports
// the selection and, with focus in the row, the focus moving to the new tab.
void CBaseTabCtrl::announceSelection(int index) {
  QAccessible::State changed;
  changed.selected = true;
  for (int tab : {announced_, index}) {
    if (tab < 0 || tab >= bar_->count()) continue;
    QAccessibleStateChangeEvent event(bar_, changed);
    event.setChild(tab);
    QAccessible::updateAccessibility(&event);
  }
  announced_ = index;
  stack_->setAccessibleName(index >= 0 ? bar_->tabText(index) : QString());
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
