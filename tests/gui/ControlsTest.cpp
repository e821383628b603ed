#include <QEnterEvent>
#include <QPainter>
#include <QSignalSpy>
#include <QTabBar>

#include "GuiSupport.h"
#include "controls/EnTabCtrl.h"
#include "controls/ResourcePicture.h"
#include "controls/StaticControls.h"

class ControlsTest : public QObject {
  Q_OBJECT
 private slots:
  void colourPreviewShowsOnlyHashColours() {
    CStaticColorPreview preview;
    preview.setColour("(Standard)");
    QCOMPARE(preview.shownColour(), pageQColor());
    QCOMPARE(preview.colourText(), std::string());
    preview.setColour("  #a0b1c2 ");
    QCOMPARE(preview.shownColour(), QColor(0xa0, 0xb1, 0xc2));
    QCOMPARE(preview.colourText(), std::string("#A0B1C2"));
    preview.setColour("red");
    QCOMPARE(preview.shownColour(), pageQColor());
    // A pair that is no hexadecimal number reads as 0.
    preview.setColour("#GG8000");
    QCOMPARE(preview.shownColour(), QColor(0, 0x80, 0));
    preview.setColour("");
    QCOMPARE(preview.shownColour(), pageQColor());
  }

  void linkLabelHighlightsWhileHoveredAndClicksOnPress() {
    CLinkStatic2 link;
    link.setPictures(resourcePicture("next"), resourcePicture("next-hot"));
    link.show();
    QSignalSpy clicks(&link, &CLinkStatic2::clicked);
    const QPointF inside(5, 5);
    QEnterEvent enter(inside, inside, link.mapToGlobal(inside));
    QApplication::sendEvent(&link, &enter);
    QVERIFY(link.isHighlighted());
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&link, &leave);
    QVERIFY(!link.isHighlighted());

    QApplication::sendEvent(&link, &enter);
    QTest::mousePress(&link, Qt::LeftButton, {}, inside.toPoint());
    QCOMPARE(clicks.count(), 1);
    QVERIFY(!link.isHighlighted());
    QCOMPARE(link.cursor().shape(), Qt::PointingHandCursor);

    link.setEnabled(false);
    QApplication::sendEvent(&link, &enter);
    QVERIFY(!link.isHighlighted());
  }

  void flatTabsDrawTheSelectedTabTallerAndGrey() {
    CEnTabCtrl tabs;
    tabs.setBackgroundColour(windowQColor());
    tabs.setMinimumTabWidth(150);
    QVERIFY(tabs.setDrawingMode(2));
    QVERIFY(!tabs.setDrawingMode(3));
    QCOMPARE(tabs.drawingMode(), 2);
    for (const char* caption : {"Eins", "Zwei", "Drei"}) tabs.addTab(new QWidget, caption);
    tabs.resize(600, 200);
    tabs.setCurrentIndex(1);
    tabs.show();
    QTabBar* bar = tabs.tabBar();
    QVERIFY(bar->tabRect(0).width() >= 150);

    QImage image(bar->size(), QImage::Format_RGB32);
    bar->render(&image);
    const QRect selected = bar->tabRect(1), other = bar->tabRect(2);
    const int y = selected.top() + 3;  // above the other tabs, inside the selected one
    QCOMPARE(QColor(image.pixel(selected.left() + 6, y)), QColor(175, 175, 175));
    QCOMPARE(QColor(image.pixel(other.left() + 6, y)), windowQColor());
  }
};

PV_GUI_TEST(ControlsTest);
#include "ControlsTest.moc"
