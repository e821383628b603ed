#include "controls/StaticControls.h"

#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>

#include "state/AppState.h"
#include "settings/PageValues.h"
#include "util/Text.h"

// Shared greys of the window and its controls.
QColor windowQColor() { return QColor(QRgb(0xE0E0E0)); }
QColor pageQColor() { return QColor(QRgb(0xEFEFEF)); }
QColor frameQColor() { return QColor(QRgb(0x808080)); }
QColor labelTextQColor() { return QColor(QRgb(0x000000)); }

namespace {
// A 1-pixel outline just inside the widget.
void outline(QPainter& p, const QWidget* w, const QColor& c) {
  p.setPen(QPen(c, 0));
  p.setBrush(Qt::NoBrush);
  p.drawRect(w->rect().adjusted(0, 0, -1, -1));
}
}  // namespace

// ---- link label ----

namespace {

// A label to Qt, but a button to the user: so it is one to assistive tools.
class LinkAccessible : public QAccessibleWidget {
 public:
  explicit LinkAccessible(CLinkStatic2* link) : QAccessibleWidget(link, QAccessible::Button) {}
  QStringList actionNames() const override { return {pressAction()}; }
  void doAction(const QString& action) override {
    if (action == pressAction() && widget()->isEnabled()) link()->click();
  }
  QStringList keyBindingsForAction(const QString& action) const override {
    if (action != pressAction() || link()->shortcutText().isEmpty()) return {};
    return {link()->shortcutText().toString(QKeySequence::NativeText)};
  }
  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Accelerator) return link()->shortcutText().toString(QKeySequence::NativeText);
    return QAccessibleWidget::text(t);
  }

 private:
  CLinkStatic2* link() const { return static_cast<CLinkStatic2*>(widget()); }
};

QAccessibleInterface* linkAccessible(const QString& className, QObject* object) {
  if (className == QLatin1String("CLinkStatic2") && object && object->isWidgetType())
    return new LinkAccessible(static_cast<CLinkStatic2*>(object));
  return nullptr;
}

}  // namespace

CLinkStatic2::CLinkStatic2(QWidget* parent) : QLabel(parent) {
  // Registered once, with the first picture button.
  static const bool registered = (QAccessible::installFactory(linkAccessible), true);
  (void)registered;
  setCursor(Qt::PointingHandCursor);
  // Reached with Tab like any button, pressed with Space or Enter.
  setFocusPolicy(Qt::StrongFocus);
}

void CLinkStatic2::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
        event->accept();
        click();
        return;
      }
      break;
    default: break;
  }
  QLabel::keyPressEvent(event);
}

void CLinkStatic2::focusInEvent(QFocusEvent* event) {
  update();
  QLabel::focusInEvent(event);
}

void CLinkStatic2::focusOutEvent(QFocusEvent* event) {
  update();
  QLabel::focusOutEvent(event);
}

// The picture, with the highlighted one and the system's focus frame while
// the keyboard is on it.
void CLinkStatic2::paintEvent(QPaintEvent* event) {
  QLabel::paintEvent(event);
  if (!hasFocus()) return;
  QPainter p(this);
  QStyleOptionFocusRect frame;
  frame.initFrom(this);
  frame.rect = rect().adjusted(1, 1, -1, -1);
  style()->drawPrimitive(QStyle::PE_FrameFocusRect, &frame, &p, this);
}

void CLinkStatic2::click() {
  setHighlighted(false);
  emit clicked();
}

void CLinkStatic2::setShortcutText(const QKeySequence& keys) {
  keys_ = keys;
  setToolTip(QString("%1 (%2)").arg(accessibleName(), keys.toString(QKeySequence::NativeText)));
}

void CLinkStatic2::setPictures(const QPixmap& normal, const QPixmap& highlighted) {
  normal_ = normal;
  highlighted_picture_ = highlighted;
  setFixedSize(normal.deviceIndependentSize().toSize());
  setPixmap(highlighted_ ? highlighted_picture_ : normal_);
}

void CLinkStatic2::setHighlighted(bool on) {
  highlighted_ = on;
  setPixmap(on ? highlighted_picture_ : normal_);
}

void CLinkStatic2::enterEvent(QEnterEvent* event) {
  if (isEnabled() && !highlighted_) setHighlighted(true);
  QLabel::enterEvent(event);
}

void CLinkStatic2::leaveEvent(QEvent* event) {
  if (highlighted_) setHighlighted(false);
  QLabel::leaveEvent(event);
}

void CLinkStatic2::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QLabel::mousePressEvent(event);
  // Back to the normal picture first (in click): the click may open a modal box.
  click();
}

void CLinkStatic2::hideEvent(QHideEvent* event) {
  if (highlighted_) setHighlighted(false);
  QLabel::hideEvent(event);
}

void CLinkStatic2::changeEvent(QEvent* event) {
  if (event->type() == QEvent::EnabledChange && !isEnabled() && highlighted_) setHighlighted(false);
  QLabel::changeEvent(event);
}

// ---- block label ----

CStaticBlock::CStaticBlock(const QString& text, const QPixmap& titlePicture, QWidget* parent)
    : QWidget(parent), text_(text), picture_(titlePicture) {
  QFont f = font();
  f.setBold(true);
  setFont(f);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QSize CStaticBlock::sizeHint() const {
  const QFontMetrics fm(font());
  return {fm.horizontalAdvance(text_) + 12, std::max(24, fm.height() + 8)};
}

void CStaticBlock::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QSize natural = picture_.deviceIndependentSize().toSize();
  // At its natural size; a label larger than the picture gets it stretched.
  p.drawPixmap(QRect(0, 0, std::max(width(), natural.width()), std::max(height(), natural.height())), picture_);
  outline(p, this, frameQColor());
  p.setPen(labelTextQColor());
  p.drawText(rect().adjusted(4, 0, -4, 0), Qt::AlignVCenter | Qt::AlignLeft, text_);
}

// ---- framed area ----

CStaticFrame::CStaticFrame(QWidget* parent, QColor fill) : QWidget(parent), fill_(fill) {}

void CStaticFrame::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), fill_);
  outline(p, this, frameQColor());
}

// ---- colour preview ----

CStaticColorPreview::CStaticColorPreview(QWidget* parent) : QWidget(parent), colour_(pageQColor()) {
  setFixedSize(sizeHint());
}

void CStaticColorPreview::setColour(const std::string& text) {
  text_ = pv::toUpper(pv::trimBlanks(text));
  if (auto rgb = pv::parseColourText(text_))
    colour_ = QColor(QRgb(*rgb));
  else {
    text_.clear();
    colour_ = pageQColor();
  }
  update();
}

QColor CStaticColorPreview::shownColour() const { return text_.empty() ? pageQColor() : colour_; }

void CStaticColorPreview::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), shownColour());
  outline(p, this, windowQColor());
}
