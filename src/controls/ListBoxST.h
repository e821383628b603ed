#pragma once
// A list whose rows each show a picture of an attached picture list and up
// to three lines of text beside it, with a light blue selection. Built on
// Qt's model/view, so that tens of thousands of rows list and scroll at once.
#include <QAbstractListModel>
#include <QImage>
#include <QListView>
#include <QSize>
#include <cstdint>
#include <functional>
#include <vector>

// Pictures of one size that rows refer to by index. The owner keeps it alive
// as long as a list shows it.
struct CImageList {
  explicit CImageList(QSize pictureSize) : size(pictureSize) {}
  QSize size;
  // Appends a picture (scaled to the list's size when it differs) and
  // returns its index.
  int add(const QImage& picture);
  // Appends a picture made when it is first drawn: a long list makes only
  // the pictures of the rows that are shown.
  int addLater(std::function<QImage()> make);
  // The picture at index, made now if it was added for later.
  const QImage& picture(int index) const;
  int count() const { return int(pictures_.size()); }
  void clear() { pictures_.clear(); }

 private:
  struct Picture {
    mutable QImage image;
    mutable std::function<QImage()> make;
  };
  QImage fitted(const QImage& picture) const;
  std::vector<Picture> pictures_;
};

// The selection colour of the rows.
QColor listSelectionColour();

class CListBoxST : public QListView {
  Q_OBJECT
 public:
  // One row as the owner adds it.
  struct NewEntry {
    QString text;
    int image = 0;
  };

  explicit CListBoxST(QWidget* parent = nullptr);

  // Append or insert a row with value 0 and no pointer; the new row's index,
  // or -1 when the index is not a place in the list.
  int addEntry(const QString& text, int image);
  int insertEntry(int index, const QString& text, int image);
  // Appends many rows in one step (the way to fill a long list quickly).
  void addEntries(const std::vector<NewEntry>& entries);
  // False for an index that does not exist.
  bool deleteEntry(int index);
  // The row at index anew: same place, new text and picture, value and
  // pointer reset.
  bool replaceEntry(int index, const QString& text, int image);
  void removeAll();

  // The owner's free value and pointer of a row; -1 for a row that does not
  // exist.
  void setValue(int index, std::int32_t value);
  std::int32_t value(int index) const;
  void setPointer(int index, void* pointer);
  void* pointer(int index) const;
  // The picture index of a row, -1 for a row that does not exist.
  int image(int index) const;
  QString text(int index) const;
  // Gives the row its picture without touching its text, value or pointer.
  void setImage(int index, int image);
  // Sets the row's text without touching its picture, value or pointer.
  void setText(int index, const QString& text);

  // Attaches a picture list (nullptr for none): rows take its picture size.
  void setImageList(const CImageList* list);
  const CImageList* imageList() const { return images_; }
  QSize iconSize() const { return images_ ? images_->size : QSize(0, 0); }

  int count() const;
  // The current row (-1 for none) and the selected rows, in list order.
  int currentRow() const;
  void setCurrentRow(int index);
  std::vector<int> selectedRows() const;
  // The height a row with this text gets.
  int entryHeight(const QString& text) const;

 signals:
  void selectionChanged();
  void entryDoubleClicked(int index);

 private:
  class Model;
  class Delegate;
  // Rows of one height let the view skip measuring every row.
  void rowHeightsChanged();
  Model* model_;
  const CImageList* images_ = nullptr;
};

// The void* a pointer getter returns for a row that does not exist.
inline void* const kNoEntryPointer = reinterpret_cast<void*>(std::intptr_t(-1));
