#include "controls/EnTabCtrl.h"

#include <QPainter>

namespace {
const QColor kSelectedTab(175, 175, 175);
const QColor kTabLine(128, 128, 128);
}  // namespace

QColor CEnTabCtrl::tabColour(bool selected) const { return selected ? kSelectedTab : backgroundColour(); }

QColor CEnTabCtrl::tabTextColour(bool selected) const {
  return selected ? palette().color(QPalette::WindowText) : palette().color(QPalette::Shadow);
}

void CEnTabCtrl::drawTab(QPainter& p, QRect t, int index, bool selected) {
  p.fillRect(t, tabColour(selected));
  t.adjust(3, selected ? 1 : 0, -3, 0);
  const QString text = p.fontMetrics().elidedText(tabBar()->tabText(index), Qt::ElideRight, t.width());
  p.setPen(tabTextColour(selected));
  p.drawText(t, Qt::AlignCenter | Qt::TextSingleLine, text);
}

void CEnTabCtrl::drawTabBorder(QPainter& p, QRect t, int, bool selected) {
  p.setPen(QPen(kTabLine, 0));
  if (selected) {
    p.drawLine(t.left() - 1, t.top(), t.left() - 1, t.bottom());
    p.drawLine(t.left() - 1, t.top(), t.right(), t.top());
    p.drawLine(t.right(), t.top(), t.right(), t.bottom());
  } else {
    // The first tab has no line of its own at the control's left edge.
    if (t.left() > 20) p.drawLine(t.left() - 1, t.top(), t.left() - 1, t.bottom());
    p.drawLine(t.right(), t.top(), t.right(), t.bottom());
  }
}
