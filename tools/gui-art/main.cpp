// Draws the artwork of the window: header, footer, picture buttons, page
// background, block title, illustrations of the image page, info box and
// icons. Every picture is drawn in logical pixels and written twice, as
// name.png and as name@2x.png for screens scaled to 200 %.
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cstdio>
#include <functional>

namespace {

QString outDir;

// The palette: slate header, one blue accent, and the window's greys.
const QColor kSlateTop(0x27, 0x50, 0x6f);
const QColor kSlateBottom(0x1a, 0x36, 0x50);
const QColor kAccent(0x3c, 0x8d, 0xd6);
const QColor kAccentDark(0x25, 0x63, 0xa8);
const QColor kAccentLight(0x5c, 0xa8, 0xec);
const QColor kSun(0xf2, 0xb1, 0x3c);
const QColor kWindow(224, 224, 224);
const QColor kPage(239, 239, 239);
const QColor kInk(0x2b, 0x33, 0x3b);
const QColor kSizeColour[3] = {QColor(0x3c, 0x8d, 0xd6), QColor(0xe8, 0x91, 0x2d), QColor(0x3a, 0xa3, 0x66)};

using Draw = std::function<void(QPainter&)>;

void save(const QString& name, int w, int h, const Draw& draw) {
  for (int scale : {1, 2}) {
    QImage img(w * scale, h * scale, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.scale(scale, scale);
    draw(p);
    p.end();
    QString file = outDir + "/" + name + (scale == 2 ? "@2x.png" : ".png");
    if (!img.save(file)) std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
  }
}

QFont font(double px, bool bold = false) {
  QFont f("DejaVu Sans");
  f.setPointSizeF(px * 0.75);  // QImage paints at 96 dpi
  f.setBold(bold);
  return f;
}

QPen line(const QColor& c, double w) {
  QPen pen(c, w);
  pen.setCapStyle(Qt::RoundCap);
  pen.setJoinStyle(Qt::RoundJoin);
  return pen;
}

// ---- line icons, drawn into a 24 x 24 box at the origin ----

void iconHelp(QPainter& p, const QColor& c) {
  p.setPen(line(c, 2));
  p.drawEllipse(QRectF(2, 2, 20, 20));
  QPainterPath q;
  q.moveTo(9, 9.5);
  q.cubicTo(9, 5.5, 15.5, 5.5, 15.5, 9.5);
  q.cubicTo(15.5, 12, 12, 12, 12, 14.5);
  p.drawPath(q);
  p.setBrush(c);
  p.setPen(Qt::NoPen);
  p.drawEllipse(QPointF(12, 18), 1.4, 1.4);
  p.setBrush(Qt::NoBrush);
}

void iconSupport(QPainter& p, const QColor& c) {
  p.setPen(line(c, 2));
  p.drawEllipse(QRectF(2, 2, 20, 20));
  p.drawEllipse(QRectF(7.5, 7.5, 9, 9));
  for (int a = 45; a < 360; a += 90) {
    p.save();
    p.translate(12, 12);
    p.rotate(a);
    p.drawLine(QPointF(4.5, 0), QPointF(10, 0));
    p.restore();
  }
}

void iconInfo(QPainter& p, const QColor& c) {
  p.setPen(line(c, 2));
  p.drawEllipse(QRectF(2, 2, 20, 20));
  p.drawLine(QPointF(12, 11), QPointF(12, 17));
  p.setBrush(c);
  p.setPen(Qt::NoPen);
  p.drawEllipse(QPointF(12, 7.5), 1.4, 1.4);
  p.setBrush(Qt::NoBrush);
}

void iconWeb(QPainter& p, const QColor& c) {
  p.setPen(line(c, 2));
  p.drawEllipse(QRectF(2, 2, 20, 20));
  p.drawEllipse(QRectF(7.5, 2, 9, 20));
  p.drawLine(QPointF(2.5, 9), QPointF(21.5, 9));
  p.drawLine(QPointF(2.5, 15), QPointF(21.5, 15));
}

void iconExit(QPainter& p, const QColor& c) {
  p.setPen(line(c, 2));
  p.drawArc(QRectF(3, 4, 18, 18), 120 * 16, 300 * 16);
  p.drawLine(QPointF(12, 2), QPointF(12, 11));
}

void iconStop(QPainter& p, const QColor& c) {
  p.setPen(line(c, 2));
  QPolygonF oct;
  for (int i = 0; i < 8; ++i) {
    double a = (22.5 + 45 * i) * M_PI / 180;
    oct << QPointF(12 + 10.5 * std::cos(a), 12 + 10.5 * std::sin(a));
  }
  p.drawPolygon(oct);
  p.drawLine(QPointF(8.5, 8.5), QPointF(15.5, 15.5));
  p.drawLine(QPointF(15.5, 8.5), QPointF(8.5, 15.5));
}

void iconHome(QPainter& p, const QColor& c) {
  p.setPen(line(c, 2));
  p.drawPolyline(QPolygonF({QPointF(2.5, 12), QPointF(12, 3.5), QPointF(21.5, 12)}));
  p.drawPolyline(QPolygonF({QPointF(5.5, 10), QPointF(5.5, 21), QPointF(18.5, 21), QPointF(18.5, 10)}));
  p.drawRect(QRectF(10, 14, 4, 7));
}

void iconQuestions(QPainter& p, const QColor& c) {
  p.setPen(line(c, 2));
  QPainterPath b;
  b.addRoundedRect(QRectF(2, 3, 20, 14), 4, 4);
  p.drawPath(b);
  p.drawPolyline(QPolygonF({QPointF(7, 17), QPointF(6, 22), QPointF(12, 17)}));
  p.setFont(font(11, true));
  p.drawText(QRectF(2, 3, 20, 14), Qt::AlignCenter, "?");
}

void iconClose(QPainter& p, const QColor& c) {
  p.setPen(line(c, 2.2));
  p.drawLine(QPointF(5, 5), QPointF(19, 19));
  p.drawLine(QPointF(19, 5), QPointF(5, 19));
}

void iconPlus(QPainter& p, const QColor& c) {
  p.setPen(line(c, 2.4));
  p.drawLine(QPointF(12, 6), QPointF(12, 18));
  p.drawLine(QPointF(6, 12), QPointF(18, 12));
}

// ---- shared pieces ----

// The logo mark: a framed photograph with sun and hills.
void logoMark(QPainter& p, QRectF r) {
  QLinearGradient g(r.topLeft(), r.bottomRight());
  g.setColorAt(0, kAccentLight);
  g.setColorAt(1, kAccentDark);
  p.setPen(Qt::NoPen);
  p.setBrush(g);
  p.drawRoundedRect(r, r.width() * 0.22, r.width() * 0.22);
  const double u = r.width() / 40;
  QRectF pic(r.left() + 7 * u, r.top() + 9 * u, 26 * u, 22 * u);
  p.setBrush(Qt::white);
  p.drawRoundedRect(pic, 2 * u, 2 * u);
  p.setBrush(kSun);
  p.drawEllipse(QPointF(pic.left() + 19 * u, pic.top() + 6 * u), 3.2 * u, 3.2 * u);
  p.setBrush(kAccentDark);
  QPainterPath hills;
  hills.moveTo(pic.left() + 2 * u, pic.bottom() - 2 * u);
  hills.lineTo(pic.left() + 9 * u, pic.top() + 8 * u);
  hills.lineTo(pic.left() + 14 * u, pic.top() + 14 * u);
  hills.lineTo(pic.left() + 18 * u, pic.top() + 11 * u);
  hills.lineTo(pic.right() - 2 * u, pic.bottom() - 2 * u);
  hills.closeSubpath();
  p.drawPath(hills);
}

void slateGradient(QPainter& p, QRectF r) {
  QLinearGradient g(0, r.top(), 0, r.bottom());
  g.setColorAt(0, kSlateTop);
  g.setColorAt(1, kSlateBottom);
  p.fillRect(r, g);
}

// A small landscape photograph.
void photo(QPainter& p, QRectF r, double hue = 0) {
  p.save();
  QLinearGradient sky(0, r.top(), 0, r.bottom());
  sky.setColorAt(0, QColor::fromHsvF(0.56 + hue, 0.35, 0.98));
  sky.setColorAt(1, QColor::fromHsvF(0.55 + hue, 0.15, 1.0));
  p.setPen(Qt::NoPen);
  p.fillRect(r, sky);
  p.setClipRect(r);
  const double s = std::min(r.width(), r.height());
  p.setBrush(kSun);
  p.drawEllipse(QPointF(r.right() - r.width() * 0.25, r.top() + r.height() * 0.3), s * 0.12, s * 0.12);
  p.setBrush(QColor::fromHsvF(0.33 + hue * 0.5, 0.45, 0.62));
  QPainterPath h;
  h.moveTo(r.left(), r.bottom());
  h.lineTo(r.left(), r.top() + r.height() * 0.7);
  h.lineTo(r.left() + r.width() * 0.35, r.top() + r.height() * 0.4);
  h.lineTo(r.left() + r.width() * 0.6, r.top() + r.height() * 0.65);
  h.lineTo(r.left() + r.width() * 0.78, r.top() + r.height() * 0.52);
  h.lineTo(r.right(), r.top() + r.height() * 0.72);
  h.lineTo(r.right(), r.bottom());
  h.closeSubpath();
  p.drawPath(h);
  p.restore();
  p.setPen(QPen(QColor(0, 0, 0, 40), 1));
  p.setBrush(Qt::NoBrush);
  p.drawRect(r.adjusted(0.5, 0.5, -0.5, -0.5));
}

// A browser window with its content area returned.
QRectF browser(QPainter& p, QRectF r) {
  p.setPen(QPen(QColor(0xb8, 0xc0, 0xc8), 1));
  p.setBrush(Qt::white);
  p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), 5, 5);
  QPainterPath bar;
  QRectF barRect(r.left() + 1, r.top() + 1, r.width() - 2, 13);
  bar.addRoundedRect(barRect, 4, 4);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0xe6, 0xea, 0xee));
  p.drawPath(bar);
  p.fillRect(QRectF(barRect.left(), barRect.bottom() - 4, barRect.width(), 4), QColor(0xe6, 0xea, 0xee));
  const QColor dots[3] = {QColor(0xec, 0x6a, 0x5e), QColor(0xf4, 0xbf, 0x4f), QColor(0x61, 0xc5, 0x54)};
  for (int i = 0; i < 3; ++i) {
    p.setBrush(dots[i]);
    p.drawEllipse(QPointF(r.left() + 8 + 7 * i, r.top() + 7.5), 2.2, 2.2);
  }
  return QRectF(r.left() + 5, r.top() + 18, r.width() - 10, r.height() - 23);
}

// The round letter that marks where an output size appears.
void badge(QPainter& p, QPointF c, int size) {
  p.setPen(QPen(Qt::white, 1.5));
  p.setBrush(kSizeColour[size]);
  p.drawEllipse(c, 9, 9);
  p.setPen(Qt::white);
  p.setFont(font(11, true));
  p.drawText(QRectF(c.x() - 9, c.y() - 9, 18, 18), Qt::AlignCenter, QString(QChar('A' + size)));
}

// A size box: the area outlined in the size's colour with its badge.
void marked(QPainter& p, QRectF r, int size, bool badgeLeft = false) {
  p.setPen(QPen(kSizeColour[size], 1.6, Qt::DashLine));
  p.setBrush(Qt::NoBrush);
  p.drawRoundedRect(r.adjusted(-2.5, -2.5, 2.5, 2.5), 3, 3);
  badge(p, badgeLeft ? QPointF(r.left() - 2, r.top() - 2) : QPointF(r.right() + 2, r.top() - 2), size);
}

void thumbGrid(QPainter& p, QRectF area, int cols, int rows) {
  const double gap = 4;
  const double w = (area.width() - gap * (cols - 1)) / cols;
  const double h = (area.height() - gap * (rows - 1)) / rows;
  for (int y = 0; y < rows; ++y)
    for (int x = 0; x < cols; ++x)
      photo(p, QRectF(area.left() + x * (w + gap), area.top() + y * (h + gap), w, h), 0.03 * ((x + 2 * y) % 4));
}

void textLines(QPainter& p, QRectF area, int n, double step = 6) {
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0xd5, 0xda, 0xe0));
  for (int i = 0; i < n; ++i)
    p.drawRoundedRect(QRectF(area.left(), area.top() + i * step, area.width() * (i % 2 ? 0.7 : 1.0), 3), 1.5, 1.5);
}

void arrow(QPainter& p, QPointF from, QPointF to) {
  p.setPen(line(QColor(0x8a, 0x96, 0xa3), 2));
  p.drawLine(from, to);
  QLineF l(to, from);
  l.setLength(6);
  QLineF a = l, b = l;
  a.setAngle(l.angle() + 30);
  b.setAngle(l.angle() - 30);
  p.drawLine(a);
  p.drawLine(b);
}

void navArrows(QPainter& p, QRectF img) {
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(255, 255, 255, 200));
  const double cy = img.center().y();
  p.drawEllipse(QPointF(img.left() + 10, cy), 7, 7);
  p.drawEllipse(QPointF(img.right() - 10, cy), 7, 7);
  p.setPen(line(kInk, 1.8));
  p.drawPolyline(QPolygonF(
      {QPointF(img.left() + 11.5, cy - 3.5), QPointF(img.left() + 8, cy), QPointF(img.left() + 11.5, cy + 3.5)}));
  p.drawPolyline(QPolygonF(
      {QPointF(img.right() - 11.5, cy - 3.5), QPointF(img.right() - 8, cy), QPointF(img.right() - 11.5, cy + 3.5)}));
}

void caption(QPainter& p, QRectF r, const QString& text) {
  p.setPen(QColor(0x5a, 0x66, 0x72));
  p.setFont(font(10));
  p.drawText(r, Qt::AlignHCenter | Qt::AlignTop, text);
}

// ---- the illustrations of the image page (382 x 243) ----

constexpr int kIllW = 382, kIllH = 243;

void illustrationBackground(QPainter& p) {
  QLinearGradient g(0, 0, 0, kIllH);
  g.setColorAt(0, QColor(0xf7, 0xf9, 0xfb));
  g.setColorAt(1, QColor(0xe9, 0xee, 0xf3));
  p.setPen(QPen(QColor(0xc9, 0xd1, 0xd9), 1));
  p.setBrush(g);
  p.drawRoundedRect(QRectF(0.5, 0.5, kIllW - 1, kIllH - 1), 6, 6);
}

void drawWebAlbum(QPainter& p) {
  illustrationBackground(p);
  QRectF a = browser(p, QRectF(14, 22, 170, 190));
  textLines(p, QRectF(a.left() + 4, a.top() + 4, 80, 10), 1);
  QRectF grid(a.left() + 10, a.top() + 20, a.width() - 20, 108);
  thumbGrid(p, grid, 3, 3);
  marked(p, QRectF(grid.left(), grid.top(), (grid.width() - 8) / 3, (108 - 8) / 3.0), 0, true);
  caption(p, QRectF(14, 216, 170, 20), "Übersicht");
  arrow(p, QPointF(190, 117), QPointF(208, 117));
  QRectF b = browser(p, QRectF(214, 22, 154, 190));
  QRectF img(b.left() + 10, b.top() + 14, b.width() - 20, 96);
  photo(p, img);
  navArrows(p, img);
  marked(p, img, 1);
  textLines(p, QRectF(b.left() + 10, img.bottom() + 12, b.width() - 20, 20), 3);
  caption(p, QRectF(214, 216, 154, 20), "Bildseite");
}

void drawSlideAlbum(QPainter& p) {
  illustrationBackground(p);
  const double w = 112;
  QRectF a = browser(p, QRectF(10, 30, w, 170));
  QRectF grid(a.left() + 8, a.top() + 16, a.width() - 16, 70);
  thumbGrid(p, grid, 2, 2);
  marked(p, QRectF(grid.left(), grid.top(), (grid.width() - 4) / 2, 33), 0, true);
  textLines(p, QRectF(a.left() + 8, a.top() + 100, a.width() - 16, 30), 4);
  caption(p, QRectF(10, 206, w, 20), "Übersicht");
  QRectF b = browser(p, QRectF(135, 30, w, 170));
  QRectF img(b.left() + 8, b.top() + 16, b.width() - 16, 70);
  photo(p, img, 0.02);
  marked(p, img, 1);
  textLines(p, QRectF(b.left() + 8, img.bottom() + 14, b.width() - 16, 30), 4);
  caption(p, QRectF(135, 206, w, 20), "Bildseite");
  QRectF c = browser(p, QRectF(260, 30, w, 170));
  p.fillRect(c, QColor(0x22, 0x2a, 0x33));
  QRectF big(c.left() + 6, c.top() + 22, c.width() - 12, 86);
  photo(p, big, 0.05);
  navArrows(p, big);
  marked(p, big, 2, true);
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::white);
  QPointF cc(c.center().x(), big.bottom() + 18);
  p.drawPolygon(QPolygonF({cc + QPointF(-4, -6), cc + QPointF(6, 0), cc + QPointF(-4, 6)}));
  caption(p, QRectF(260, 206, w, 20), "Diashow");
  arrow(p, QPointF(124, 115), QPointF(133, 115));
  arrow(p, QPointF(249, 115), QPointF(258, 115));
}

void drawSlideshow(QPainter& p, bool script) {
  illustrationBackground(p);
  QRectF a = browser(p, QRectF(14, 30, 120, 176));
  QRectF grid(a.left() + 8, a.top() + 14, a.width() - 16, 100);
  thumbGrid(p, grid, 2, 3);
  marked(p, QRectF(grid.left(), grid.top(), (grid.width() - 4) / 2, (100 - 8) / 3.0), 0, true);
  caption(p, QRectF(14, 212, 120, 20), "Bildübersicht");
  arrow(p, QPointF(140, 118), QPointF(156, 118));
  QRectF b = browser(p, QRectF(162, 30, 206, 176));
  p.fillRect(b, QColor(0x22, 0x2a, 0x33));
  QRectF img(b.left() + 14, b.top() + 14, b.width() - 28, 112);
  photo(p, img, 0.04);
  navArrows(p, img);
  marked(p, img, 1);
  if (script) {
    p.setPen(Qt::NoPen);
    p.setBrush(kSun);
    QRectF tag(b.left() + 14, img.bottom() + 10, 26, 14);
    p.drawRoundedRect(tag, 3, 3);
    p.setPen(kInk);
    p.setFont(font(9, true));
    p.drawText(tag, Qt::AlignCenter, "JS");
    p.setPen(line(QColor(0xc0, 0xc8, 0xd0), 2));
    p.drawLine(QPointF(tag.right() + 10, tag.center().y()), QPointF(b.right() - 14, tag.center().y()));
    p.setPen(line(kAccentLight, 3));
    p.drawLine(QPointF(tag.right() + 10, tag.center().y()), QPointF(tag.right() + 70, tag.center().y()));
  } else {
    textLines(p, QRectF(b.left() + 40, img.bottom() + 12, b.width() - 80, 14), 2);
  }
  caption(p, QRectF(162, 212, 206, 20), script ? "Diashow auf einer Seite" : "Eine Seite pro Bild");
}

void drawPreviewSlideshow(QPainter& p) {
  illustrationBackground(p);
  QRectF a = browser(p, QRectF(14, 20, 226, 196));
  QRectF img(a.left() + 12, a.top() + 10, a.width() - 24, 110);
  photo(p, img, 0.03);
  navArrows(p, img);
  marked(p, img, 1);
  QRectF strip(a.left() + 12, img.bottom() + 14, a.width() - 24, 30);
  const double tw = (strip.width() - 16) / 5;
  for (int i = 0; i < 5; ++i) photo(p, QRectF(strip.left() + i * (tw + 4), strip.top(), tw, strip.height()), 0.02 * i);
  marked(p, QRectF(strip.left(), strip.top(), tw, strip.height()), 0, true);
  caption(p, QRectF(14, 220, 226, 20), "Bild mit Vorschauleiste");
  arrow(p, QPointF(246, 118), QPointF(262, 118));
  QRectF c = browser(p, QRectF(268, 40, 100, 150));
  QRectF big(c.left() + 6, c.top() + 8, c.width() - 12, 100);
  photo(p, big, 0.06);
  marked(p, big, 2, true);
  caption(p, QRectF(268, 196, 100, 20), "Grossansicht");
}

void fileIcon(QPainter& p, QRectF r, int size) {
  QPainterPath sheet;
  const double fold = r.width() * 0.25;
  sheet.moveTo(r.topLeft());
  sheet.lineTo(r.right() - fold, r.top());
  sheet.lineTo(r.right(), r.top() + fold);
  sheet.lineTo(r.bottomRight());
  sheet.lineTo(r.bottomLeft());
  sheet.closeSubpath();
  p.setPen(QPen(QColor(0xb8, 0xc0, 0xc8), 1));
  p.setBrush(Qt::white);
  p.drawPath(sheet);
  QRectF pic = r.adjusted(r.width() * 0.14, r.height() * 0.28, -r.width() * 0.14, -r.height() * 0.2);
  photo(p, pic, 0.03 * size);
  badge(p, QPointF(r.center().x(), r.bottom() + 16), size);
}

void drawBatch(QPainter& p) {
  illustrationBackground(p);
  // The source folder on the left, three converted sizes on the right.
  QRectF folder(22, 80, 80, 62);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0xf2, 0xc1, 0x5a));
  p.drawRoundedRect(QRectF(folder.left(), folder.top() - 8, 34, 14), 3, 3);
  p.setBrush(QColor(0xf6, 0xd0, 0x74));
  p.drawRoundedRect(folder, 4, 4);
  caption(p, QRectF(12, 150, 100, 20), "Ihre Fotos");
  arrow(p, QPointF(114, 111), QPointF(146, 111));
  fileIcon(p, QRectF(160, 112, 40, 50), 0);
  fileIcon(p, QRectF(220, 88, 56, 74), 1);
  fileIcon(p, QRectF(296, 62, 72, 100), 2);
  caption(p, QRectF(150, 206, 226, 20), "Drei Grössen, frei wählbar");
}

// The user's own web page with a gallery placed into it.
QRectF ownPage(QPainter& p) {
  illustrationBackground(p);
  QRectF a = browser(p, QRectF(14, 14, 354, 214));
  p.fillRect(QRectF(a.left(), a.top(), a.width(), 22), QColor(0x5b, 0x6b, 0x7d));
  p.setPen(Qt::white);
  p.setFont(font(10, true));
  p.drawText(QRectF(a.left() + 8, a.top(), 200, 22), Qt::AlignVCenter | Qt::AlignLeft, "Ihre Webseite");
  QRectF nav(a.left() + 6, a.top() + 30, 64, a.height() - 36);
  p.fillRect(nav, QColor(0xee, 0xf1, 0xf4));
  textLines(p, nav.adjusted(6, 6, -6, 0), 6, 10);
  QRectF slot(nav.right() + 10, a.top() + 30, a.right() - nav.right() - 16, a.height() - 36);
  p.setPen(QPen(QColor(0xa0, 0xaa, 0xb4), 1, Qt::DotLine));
  p.setBrush(Qt::NoBrush);
  p.drawRect(slot);
  return slot.adjusted(8, 8, -8, -8);
}

void drawOwn(QPainter& p, int variant) {
  QRectF slot = ownPage(p);
  if (variant == 1) {
    QRectF grid(slot.left(), slot.top() + 4, slot.width() * 0.48, slot.height() - 8);
    thumbGrid(p, grid, 3, 4);
    marked(p, QRectF(grid.left(), grid.top(), (grid.width() - 8) / 3, (grid.height() - 12) / 4), 0, true);
    QRectF img(grid.right() + 24, slot.top() + 14, slot.right() - grid.right() - 30, slot.height() * 0.6);
    photo(p, img);
    marked(p, img, 1);
  } else if (variant == 2) {
    QRectF img(slot.left() + 20, slot.top() + 4, slot.width() - 40, slot.height() * 0.66);
    photo(p, img, 0.03);
    navArrows(p, img);
    marked(p, img, 1);
    QRectF strip(slot.left() + 20, img.bottom() + 10, slot.width() - 40, slot.bottom() - img.bottom() - 12);
    const double tw = (strip.width() - 20) / 6;
    for (int i = 0; i < 6; ++i)
      photo(p, QRectF(strip.left() + i * (tw + 4), strip.top(), tw, strip.height()), 0.02 * i);
    marked(p, QRectF(strip.left(), strip.top(), tw, strip.height()), 0, true);
  } else {
    QRectF stage(slot.left() + 10, slot.top() + 2, slot.width() - 20, slot.height() - 4);
    p.fillRect(stage, QColor(0x22, 0x2a, 0x33));
    QRectF img(stage.left() + 16, stage.top() + 12, stage.width() - 32, stage.height() - 46);
    photo(p, img, 0.05);
    navArrows(p, img);
    marked(p, img, 1);
    QRectF thumb(stage.left() + 16, img.bottom() + 10, 30, 20);
    photo(p, thumb, 0.01);
    marked(p, thumb, 0, true);
    p.setPen(line(kAccentLight, 3));
    p.drawLine(QPointF(thumb.right() + 14, thumb.center().y()), QPointF(stage.right() - 16, thumb.center().y()));
  }
}

void drawChooseProject(QPainter& p) {
  illustrationBackground(p);
  QRectF a = browser(p, QRectF(60, 24, 262, 170));
  // The tabs of the window with the first one lit, and the list of types.
  QRectF tab(a.left() + 6, a.top() + 4, 84, 16);
  p.setPen(Qt::NoPen);
  p.setBrush(kAccent);
  p.drawRoundedRect(tab, 3, 3);
  p.setPen(Qt::white);
  p.setFont(font(9, true));
  p.drawText(tab, Qt::AlignCenter, "Projektauswahl");
  p.setBrush(QColor(0xdd, 0xe2, 0xe7));
  p.setPen(Qt::NoPen);
  for (int i = 1; i < 3; ++i) p.drawRoundedRect(QRectF(tab.left() + i * 88, tab.top(), 84, 16), 3, 3);
  const QStringList rows = {"Webalbum ohne Diashow", "Webalbum mit Diashow", "Diashow", "Diashow mit Vorschau",
                            "Eigene Vorlage"};
  p.setFont(font(10));
  for (int i = 0; i < rows.size(); ++i) {
    QRectF r(a.left() + 14, a.top() + 30 + i * 22, 160, 18);
    if (i == 1) {
      p.setPen(Qt::NoPen);
      p.setBrush(QColor(0xd6, 0xe7, 0xf7));
      p.drawRoundedRect(r.adjusted(-4, 0, 4, 0), 3, 3);
    }
    p.setPen(QColor(0x8a, 0x96, 0xa3));
    p.drawText(QRectF(r.left(), r.top(), 10, r.height()), Qt::AlignVCenter, "›");
    p.setPen(kInk);
    p.drawText(r.adjusted(12, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft, rows[i]);
  }
  // A pointer on the lit row.
  QPointF tip(a.left() + 150, a.top() + 60);
  QPainterPath ptr;
  ptr.moveTo(tip);
  ptr.lineTo(tip + QPointF(0, 17));
  ptr.lineTo(tip + QPointF(4.5, 13));
  ptr.lineTo(tip + QPointF(8, 20));
  ptr.lineTo(tip + QPointF(10.5, 19));
  ptr.lineTo(tip + QPointF(7, 12));
  ptr.lineTo(tip + QPointF(12.5, 12));
  ptr.closeSubpath();
  p.setPen(QPen(kInk, 1.2));
  p.setBrush(Qt::white);
  p.drawPath(ptr);
  caption(p, QRectF(0, 204, kIllW, 20), "Zuerst eine Projektart wählen");
}

// ---- header, footer and their buttons ----

// Wide enough for any window; the header is drawn at its natural size.
constexpr int kHeaderW = 2560, kHeaderH = 72;

void drawHeader(QPainter& p) {
  slateGradient(p, QRectF(0, 0, kHeaderW, kHeaderH));
  // A faint arc of light behind the logo.
  QRadialGradient glow(QPointF(300, -40), 360);
  glow.setColorAt(0, QColor(255, 255, 255, 38));
  glow.setColorAt(1, QColor(255, 255, 255, 0));
  p.fillRect(QRectF(0, 0, kHeaderW, kHeaderH), glow);
  p.fillRect(QRectF(0, kHeaderH - 3, kHeaderW, 3), kAccent);
  logoMark(p, QRectF(208, 15, 40, 40));
  p.setPen(Qt::white);
  p.setFont(font(21, true));
  p.drawText(QRectF(258, 12, 400, 28), Qt::AlignLeft | Qt::AlignVCenter, "Corvane Pico Vand");
  p.setPen(QColor(0xb9, 0xd6, 0xf0));
  p.setFont(font(11));
  p.drawText(QRectF(259, 38, 400, 18), Qt::AlignLeft | Qt::AlignVCenter, "Webgalerien aus Ihren Fotos");
}

using Icon = void (*)(QPainter&, const QColor&);

// A header button: icon over its label, white on the slate header.
void headerButton(const QString& name, const QString& label, Icon icon) {
  const int w = 66, h = 58;
  for (bool hot : {false, true}) {
    save(name + (hot ? "-hot" : ""), w, h, [&](QPainter& p) {
      if (hot) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 255, 255, 36));
        p.drawRoundedRect(QRectF(1, 1, w - 2, h - 2), 7, 7);
        p.fillRect(QRectF(14, h - 3, w - 28, 2), kAccentLight);
      }
      p.save();
      p.translate((w - 24) / 2.0, 7);
      icon(p, hot ? Qt::white : QColor(0xdc, 0xe8, 0xf3));
      p.restore();
      p.setPen(hot ? Qt::white : QColor(0xdc, 0xe8, 0xf3));
      p.setFont(font(10.5));
      p.drawText(QRectF(0, 34, w, 18), Qt::AlignCenter, label);
    });
  }
}

void newProjectButton() {
  const int w = 172, h = 50;
  for (bool hot : {false, true}) {
    save(QString("new-project") + (hot ? "-hot" : ""), w, h, [&](QPainter& p) {
      QLinearGradient g(0, 0, 0, h);
      g.setColorAt(0, hot ? kAccentLight : kAccent);
      g.setColorAt(1, hot ? kAccent : kAccentDark);
      p.setPen(QPen(QColor(255, 255, 255, hot ? 120 : 60), 1));
      p.setBrush(g);
      p.drawRoundedRect(QRectF(1.5, 1.5, w - 3, h - 3), 9, 9);
      p.setPen(Qt::NoPen);
      p.setBrush(QColor(255, 255, 255, 50));
      p.drawEllipse(QPointF(26, h / 2.0), 14, 14);
      p.save();
      p.translate(14, h / 2.0 - 12);
      iconPlus(p, Qt::white);
      p.restore();
      p.setPen(Qt::white);
      p.setFont(font(13.5, true));
      p.drawText(QRectF(46, 0, w - 52, h), Qt::AlignVCenter | Qt::AlignLeft, "Neues Projekt");
    });
  }
}

void drawFooter(QPainter& p) {
  QLinearGradient g(0, 0, 0, 47);
  g.setColorAt(0, QColor(0xf6, 0xf6, 0xf6));
  g.setColorAt(1, QColor(0xd9, 0xdb, 0xde));
  p.fillRect(QRectF(0, 0, 1303, 47), g);
  p.fillRect(QRectF(0, 0, 1303, 1), QColor(0xb4, 0xb8, 0xbd));
  p.fillRect(QRectF(0, 1, 1303, 1), Qt::white);
}

// A footer button: a rounded key, filled with the accent for the way on.
void footerButton(const QString& name, const QString& label, int w, int h, bool primary, int chevron) {
  for (bool hot : {false, true}) {
    save(name + (hot ? "-hot" : ""), w, h, [&](QPainter& p) {
      QRectF r(0.5, 0.5, w - 1, h - 1);
      if (primary) {
        QLinearGradient g(0, 0, 0, h);
        g.setColorAt(0, hot ? kAccentLight : kAccent);
        g.setColorAt(1, hot ? kAccent : kAccentDark);
        p.setPen(QPen(kAccentDark, 1));
        p.setBrush(g);
      } else {
        QLinearGradient g(0, 0, 0, h);
        g.setColorAt(0, Qt::white);
        g.setColorAt(1, hot ? QColor(0xe4, 0xef, 0xfa) : QColor(0xec, 0xee, 0xf0));
        p.setPen(QPen(hot ? kAccent : QColor(0xa6, 0xad, 0xb5), 1));
        p.setBrush(g);
      }
      p.drawRoundedRect(r, 6, 6);
      const QColor ink = primary ? Qt::white : kInk;
      p.setPen(ink);
      p.setFont(font(12, true));
      QRectF text(0, 0, w, h);
      p.drawText(text, Qt::AlignCenter, label);
      if (chevron) {
        // Beside the label: "‹" to its left for back, "›" to its right for next.
        const double tw = p.fontMetrics().horizontalAdvance(label);
        const double x = chevron < 0 ? (w - tw) / 2 - 10 : (w + tw) / 2 + 10;
        const double cy = h / 2.0;
        p.setPen(line(ink, 1.8));
        p.drawPolyline(QPolygonF(
            {QPointF(x - 2 * chevron, cy - 4), QPointF(x + 2 * chevron, cy), QPointF(x - 2 * chevron, cy + 4)}));
      }
    });
  }
}

// ---- page background, block title, icons ----

void drawPageTile(QPainter& p) {
  QLinearGradient g(0, 0, 0, 527);
  g.setColorAt(0, QColor(0xfb, 0xfc, 0xfd));
  g.setColorAt(0.35, QColor(0xf0, 0xf2, 0xf4));
  g.setColorAt(1, kWindow);
  p.fillRect(QRectF(0, 0, 400, 527), g);
}

void drawBlockTitle(QPainter& p) {
  const int w = 3000, h = 24;
  QLinearGradient g(0, 0, 0, h);
  g.setColorAt(0, QColor(0xfd, 0xfe, 0xff));
  g.setColorAt(1, QColor(0xdb, 0xe4, 0xed));
  p.fillRect(QRectF(0, 0, w, h), g);
  p.fillRect(QRectF(0, 0, 4, h), kAccent);
}

void iconChoose(QPainter& p) {
  // A palette with three colour dots.
  QPainterPath pal;
  pal.addEllipse(QRectF(1.5, 2, 13, 12));
  QPainterPath hole;
  hole.addEllipse(QRectF(9, 8.5, 3.5, 3.5));
  p.setPen(QPen(QColor(0x7a, 0x5a, 0x2c), 1));
  p.setBrush(QColor(0xf3, 0xdc, 0xae));
  p.drawPath(pal.subtracted(hole));
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0xd9, 0x48, 0x3b));
  p.drawEllipse(QPointF(5, 6.5), 1.7, 1.7);
  p.setBrush(kSizeColour[2]);
  p.drawEllipse(QPointF(8.5, 4.8), 1.7, 1.7);
  p.setBrush(kAccent);
  p.drawEllipse(QPointF(5.2, 10.5), 1.7, 1.7);
}

void iconStandard(QPainter& p) {
  // A turning arrow: back to the design's own value.
  p.setPen(line(kAccentDark, 1.8));
  p.drawArc(QRectF(2.5, 2.5, 11, 11), 60 * 16, 270 * 16);
  p.setPen(Qt::NoPen);
  p.setBrush(kAccentDark);
  p.drawPolygon(QPolygonF({QPointF(9.8, 0.6), QPointF(13.6, 3.2), QPointF(9.4, 5.6)}));
}

// ---- info box ----

constexpr int kInfoW = 460, kInfoH = 300;

void drawInfoBackground(QPainter& p) {
  p.fillRect(QRectF(0, 0, kInfoW, kInfoH), QColor(0xf7, 0xf8, 0xfa));
  slateGradient(p, QRectF(0, 0, kInfoW, 112));
  QRadialGradient glow(QPointF(120, -30), 260);
  glow.setColorAt(0, QColor(255, 255, 255, 40));
  glow.setColorAt(1, QColor(255, 255, 255, 0));
  p.fillRect(QRectF(0, 0, kInfoW, 112), glow);
  p.fillRect(QRectF(0, 109, kInfoW, 3), kAccent);
  logoMark(p, QRectF(kInfoW / 2.0 - 28, 18, 56, 56));
  p.setPen(Qt::white);
  p.setFont(font(17, true));
  p.drawText(QRectF(0, 78, kInfoW, 26), Qt::AlignCenter, "Corvane Pico Vand");
  // A row of small photographs along the bottom edge.
  for (int i = 0; i < 7; ++i) photo(p, QRectF(18 + i * 62, 268, 54, 24), 0.025 * i);
  p.fillRect(QRectF(0, 262, kInfoW, 30), QColor(0xf7, 0xf8, 0xfa, 110));
}

void infoButton(const QString& name, const QString& label, Icon icon) {
  const int w = 88, h = 56;
  for (bool hot : {false, true}) {
    save(name + (hot ? "-hot" : ""), w, h, [&](QPainter& p) {
      if (hot) {
        p.setPen(QPen(QColor(0xbf, 0xd7, 0xef), 1));
        p.setBrush(QColor(0xe6, 0xf0, 0xfa));
        p.drawRoundedRect(QRectF(0.5, 0.5, w - 1, h - 1), 7, 7);
      }
      const QColor ink = hot ? kAccentDark : QColor(0x4a, 0x56, 0x62);
      p.save();
      p.translate((w - 24) / 2.0, 6);
      icon(p, ink);
      p.restore();
      p.setPen(ink);
      p.setFont(font(10.5));
      p.drawText(QRectF(0, 33, w, 18), Qt::AlignCenter, label);
    });
  }
}

void appIcon() {
  for (int size : {16, 24, 32, 48, 64, 128, 256}) {
    QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    logoMark(p, QRectF(0, 0, size, size));
    p.end();
    img.save(outDir + QString("/icon-%1.png").arg(size));
  }
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: gui-art <output folder>\n");
    return 2;
  }
  outDir = QString::fromLocal8Bit(argv[1]);
  QDir().mkpath(outDir);

  save("header", kHeaderW, kHeaderH, drawHeader);
  newProjectButton();
  headerButton("help", "Hilfe", iconHelp);
  headerButton("support", "Support", iconSupport);
  headerButton("info", "Info", iconInfo);
  headerButton("webpage", "Webseite", iconWeb);
  headerButton("exit", "Beenden", iconExit);
  headerButton("cancel", "Abbrechen", iconStop);

  save("footer", 1303, 47, drawFooter);
  footerButton("back", "Zurück", 99, 27, false, -1);
  footerButton("next", "Weiter", 96, 28, true, 1);
  footerButton("create", "Erstellen", 96, 28, true, 0);
  footerButton("open", "Öffnen", 96, 28, true, 0);

  save("page", 400, 527, drawPageTile);
  save("block-title", 3000, 24, drawBlockTitle);
  save("choose", 16, 16, iconChoose);
  save("standard", 16, 16, iconStandard);

  save("ill-choose-project", kIllW, kIllH, drawChooseProject);
  save("ill-batch", kIllW, kIllH, drawBatch);
  save("ill-own-1", kIllW, kIllH, [](QPainter& p) { drawOwn(p, 1); });
  save("ill-own-2", kIllW, kIllH, [](QPainter& p) { drawOwn(p, 2); });
  save("ill-own-3", kIllW, kIllH, [](QPainter& p) { drawOwn(p, 3); });
  save("ill-web-album", kIllW, kIllH, drawWebAlbum);
  save("ill-slide-album", kIllW, kIllH, drawSlideAlbum);
  save("ill-slideshow", kIllW, kIllH, [](QPainter& p) { drawSlideshow(p, false); });
  save("ill-script-slideshow", kIllW, kIllH, [](QPainter& p) { drawSlideshow(p, true); });
  save("ill-preview-slideshow", kIllW, kIllH, drawPreviewSlideshow);

  save("info-background", kInfoW, kInfoH, drawInfoBackground);
  infoButton("info-home", "Homepage", iconHome);
  infoButton("info-support", "Support", iconSupport);
  infoButton("info-questions", "Fragen", iconQuestions);
  infoButton("info-close", "Schliessen", iconClose);

  appIcon();
  return 0;
}
