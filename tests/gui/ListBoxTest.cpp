// The picture list: rows of a picture and three lines, checked on what the
// list draws (rendered offscreen) and on its row bookkeeping.
#include <QImage>
#include <QSignalSpy>

#include "GuiSupport.h"
#include "controls/ListBoxST.h"
#include "controls/TabFilesListBox.h"

namespace {

// Pixels of the row's band [top, bottom) from x on that are not the fill colour.
int inkIn(const QImage& image, int x0, int top, int bottom, QColor fill) {
  int ink = 0;
  for (int y = std::max(0, top); y < std::min(image.height(), bottom); ++y)
    for (int x = x0; x < image.width(); ++x)
      if (image.pixelColor(x, y) != fill) ++ink;
  return ink;
}

QImage grabRows(CListBoxST& list) {
  list.resize(300, 200);
  list.show();
  QCoreApplication::processEvents();
  return list.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

QImage solid(QColor c, QSize size) {
  QImage i(size, QImage::Format_RGB32);
  i.fill(c);
  return i;
}

}  // namespace

class ListBoxTest : public QObject {
  Q_OBJECT
 private slots:
  void upRowDrawsOnlyTheMiddleLine() {
    CListBoxST list;
    list.addEntry("\n..\n", 0);
    const QImage image = grabRows(list);
    const QColor base = list.palette().color(QPalette::Base);
    const int h = (list.entryHeight("\n..\n") - 9) / 3;
    QVERIFY(list.entryHeight("\n..\n") >= 3 * h + 9);
    QCOMPARE(inkIn(image, 0, 5, 5 + h, base), 0);
    QVERIFY(inkIn(image, 0, 6 + h, 6 + 2 * h, base) > 0);
    QCOMPARE(inkIn(image, 0, 7 + 2 * h, 7 + 3 * h, base), 0);
  }

  void textWithoutTwoBreaksShowsThePictureOnly() {
    CImageList pictures(QSize(80, 48));
    pictures.add(solid(Qt::red, {80, 48}));
    CListBoxST list;
    list.setImageList(&pictures);
    list.addEntry("Nur eine\nZeile", 0);
    const QImage image = grabRows(list);
    QCOMPARE(list.entryHeight("a\nb\nc"), 56);  // 80 x 48 pictures give rows of 56 pixels
    QCOMPARE(image.pixelColor(3 + 40, 4 + 24), QColor(Qt::red));
    QCOMPARE(inkIn(image, 80 + 6, 0, 56, list.palette().color(QPalette::Base)), 0);
  }

  void withoutPicturesTheTextStartsFivePixelsIn() {
    CListBoxST list;
    list.addEntry("Erste\nZweite\nDritte", 0);
    const QImage image = grabRows(list);
    const QImage left = image.copy(0, 0, 5, list.entryHeight("a\nb\nc"));
    QCOMPARE(inkIn(left, 0, 0, left.height(), list.palette().color(QPalette::Base)), 0);
    QVERIFY(inkIn(image, 5, 0, 20, list.palette().color(QPalette::Base)) > 0);
  }

  void selectedRowIsLightBlueOnlyWhileEnabled() {
    CListBoxST list;
    list.addEntry("a\nb\nc", 0);
    list.addEntry("d\ne\nf", 0);
    list.setCurrentRow(1);
    QCOMPARE(list.currentRow(), 1);
    const int rowTop = list.entryHeight("a\nb\nc");
    QImage image = grabRows(list);
    QCOMPARE(image.pixelColor(250, rowTop + 2), listSelectionColour());
    QCOMPARE(image.pixelColor(250, 2), list.palette().color(QPalette::Base));
    list.setEnabled(false);
    image = grabRows(list);
    QVERIFY(image.pixelColor(250, rowTop + 2) != listSelectionColour());
  }

  void rowsKeepTheOwnersValuesUntilReplaced() {
    CListBoxST list;
    int owner = 0;
    QCOMPARE(list.addEntry("a\nb\nc", 4), 0);
    QCOMPARE(list.addEntry("d\ne\nf", 5), 1);
    QCOMPARE(list.insertEntry(1, "x\ny\nz", 6), 1);
    QCOMPARE(list.insertEntry(9, "nope", 0), -1);
    list.setValue(1, 42);
    list.setPointer(1, &owner);
    QCOMPARE(list.value(1), 42);
    QCOMPARE(list.pointer(1), static_cast<void*>(&owner));
    QCOMPARE(list.value(0), 0);
    QCOMPARE(list.pointer(0), nullptr);

    QVERIFY(list.replaceEntry(1, "neu\nneu\nneu", list.image(1)));
    QCOMPARE(list.text(1), QString("neu\nneu\nneu"));
    QCOMPARE(list.image(1), 6);
    QCOMPARE(list.value(1), 0);
    QCOMPARE(list.pointer(1), nullptr);
    QCOMPARE(list.text(2), QString("d\ne\nf"));

    for (int bad : {-1, 3}) {
      QCOMPARE(list.value(bad), -1);
      QCOMPARE(list.pointer(bad), kNoEntryPointer);
      QCOMPARE(list.image(bad), -1);
      QVERIFY(!list.deleteEntry(bad));
    }
    QVERIFY(list.deleteEntry(0));
    QCOMPARE(list.text(0), QString("neu\nneu\nneu"));
    list.removeAll();
    QCOMPARE(list.count(), 0);
    QCOMPARE(list.currentRow(), -1);
  }

  void fileListSelectsManyRowsAndReportsItsKeys() {
    CTabFilesListBox list;
    std::vector<CListBoxST::NewEntry> rows;
    for (int i = 0; i < 5; ++i) rows.push_back({QString("Bild %1\nb\nc").arg(i), 0});
    list.addEntries(rows);
    list.show();
    list.setCurrentRow(1);
    list.selectionModel()->select(list.model()->index(3, 0), QItemSelectionModel::Select);
    QCOMPARE(list.selectedRows(), (std::vector<int>{1, 3}));
    QSignalSpy deletes(&list, &CTabFilesListBox::deletePressed);
    QSignalSpy ups(&list, &CTabFilesListBox::upPressed);
    QTest::keyClick(&list, Qt::Key_Delete);
    QTest::keyClick(&list, Qt::Key_Backspace);
    QCOMPARE(deletes.count(), 1);
    QCOMPARE(ups.count(), 1);
  }
};

PV_GUI_TEST(ListBoxTest);
#include "ListBoxTest.moc"
