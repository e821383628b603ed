#include "controls/ListBoxST.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QStyledItemDelegate>
#include <algorithm>

namespace {

struct Entry {
  QString text;
  int image = 0;
  std::int32_t value = 0;
  void* pointer = nullptr;
  int height = 0;
};

// Line 2 and 3 of a row.
const QColor kDetailTextColour(64, 64, 64);

// The three lines of a row text: only a text longer than three characters
// with at least two line breaks has them; further breaks stay in line 3.
bool splitLines(const QString& text, QString lines[3]) {
  if (text.size() <= 3) return false;
  const qsizetype first = text.indexOf('\n');
  if (first < 0) return false;
  const qsizetype second = text.indexOf('\n', first + 1);
  if (second < 0) return false;
  lines[0] = text.left(first);
  lines[1] = text.mid(first + 1, second - first - 1);
  lines[2] = text.mid(second + 1);
  return true;
}

}  // namespace

QColor listSelectionColour() { return QColor(162, 199, 240); }

QImage CImageList::fitted(const QImage& picture) const {
  return picture.size() == size || picture.isNull()
             ? picture
             : picture.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

int CImageList::add(const QImage& picture) {
  pictures_.push_back({fitted(picture), {}});
  return count() - 1;
}

int CImageList::addLater(std::function<QImage()> make) {
  pictures_.push_back({QImage(), std::move(make)});
  return count() - 1;
}

const QImage& CImageList::picture(int index) const {
  const Picture& p = pictures_[size_t(index)];
  if (p.make) {
    p.image = fitted(p.make());
    p.make = nullptr;
  }
  return p.image;
}

class CListBoxST::Model : public QAbstractListModel {
 public:
  std::vector<Entry> entries;

  int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : int(entries.size()); }

  QVariant data(const QModelIndex& index, int role) const override {
    if (!index.isValid() || size_t(index.row()) >= entries.size()) return {};
    const Entry& e = entries[size_t(index.row())];
    switch (role) {
      case Qt::DisplayRole: return e.text;
      // Screen readers read the lines as one sentence.
      case Qt::AccessibleTextRole: return QString(e.text).replace('\n', ", ");
      case Qt::SizeHintRole: return QSize(0, e.height);
      default: return {};
    }
  }

  bool valid(int index) const { return index >= 0 && size_t(index) < entries.size(); }
  void insert(int at, std::vector<Entry> rows) {
    if (rows.empty()) return;
    beginInsertRows({}, at, at + int(rows.size()) - 1);
    entries.insert(entries.begin() + at, std::make_move_iterator(rows.begin()), std::make_move_iterator(rows.end()));
    endInsertRows();
  }
  void remove(int index) {
    beginRemoveRows({}, index, index);
    entries.erase(entries.begin() + index);
    endRemoveRows();
  }
  void clearAll() {
    beginResetModel();
    entries.clear();
    endResetModel();
  }
  void changed(int index) {
    const QModelIndex i = this->index(index);
    emit dataChanged(i, i);
  }
};

class CListBoxST::Delegate : public QStyledItemDelegate {
 public:
  explicit Delegate(CListBoxST* list) : QStyledItemDelegate(list), list_(list) {}

  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    return {option.rect.width(), index.data(Qt::SizeHintRole).toSize().height()};
  }

  void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    const QRect r = option.rect;
    const bool enabled = list_->isEnabled();
    const bool selected = (option.state & QStyle::State_Selected) && enabled;
    const QColor fill = selected ? listSelectionColour() : list_->palette().color(QPalette::Base);
    const QSize icon = list_->iconSize();
    const bool hasImages = list_->imageList() != nullptr;
    // The picture column runs over the full row height; the text area beside it.
    const int pictureRight = hasImages ? r.left() + icon.width() + 6 : r.left();
    p->fillRect(r, fill);

    const int picture = list_->image(index.row());
    if (hasImages && picture >= 0 && picture < list_->imageList()->count()) {
      const QImage& image = list_->imageList()->picture(picture);
      const QRect target(r.left() + 3, r.top() + 4, icon.width(), icon.height());
      if (enabled) {
        p->drawImage(target, image);
      } else {
        QStyleOption opt;
        opt.initFrom(list_);
        p->drawPixmap(target, list_->style()->generatedIconPixmap(QIcon::Disabled, QPixmap::fromImage(image), &opt));
      }
    }

    QString lines[3];
    if (splitLines(index.data(Qt::DisplayRole).toString(), lines)) {
      const int h = (r.height() - 9) / 3;
      const int x = pictureRight + 5;
      p->save();
      p->setFont(option.font);
      for (int i = 0; i < 3; ++i) {
        p->setPen(i == 0 ? QColor(Qt::black) : kDetailTextColour);
        const QRect line(x, r.top() + 5 + i * (h + 1), r.right() - x + 1, h);
        p->drawText(line, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, lines[i]);
      }
      p->restore();
    }

    if ((option.state & QStyle::State_HasFocus) && enabled) {
      QStyleOptionFocusRect focus;
      focus.initFrom(list_);
      focus.rect = r;
      focus.backgroundColor = fill;
      list_->style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, p, list_);
    }
  }

 private:
  CListBoxST* list_;
};

CListBoxST::CListBoxST(QWidget* parent) : QListView(parent), model_(new Model) {
  model_->setParent(this);
  setModel(model_);
  setItemDelegate(new Delegate(this));
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { emit selectionChanged(); });
  connect(selectionModel(), &QItemSelectionModel::currentChanged, this, [this] { emit selectionChanged(); });
  connect(this, &QAbstractItemView::doubleClicked, this,
          [this](const QModelIndex& i) { emit entryDoubleClicked(i.row()); });
}

int CListBoxST::entryHeight(const QString& text) const {
  // No row wraps, so the text is as high as its lines.
  const int textHeight = int(text.count('\n') + 1) * fontMetrics().lineSpacing();
  return std::max(textHeight, images_ ? images_->size.height() + 4 : 0) + 4;
}

void CListBoxST::rowHeightsChanged() {
  const std::vector<Entry>& rows = model_->entries;
  const bool uniform =
      std::all_of(rows.begin(), rows.end(), [&](const Entry& e) { return e.height == rows.front().height; });
  if (uniform != uniformItemSizes()) setUniformItemSizes(uniform);
}

int CListBoxST::addEntry(const QString& text, int image) { return insertEntry(count(), text, image); }

int CListBoxST::insertEntry(int index, const QString& text, int image) {
  if (index < 0 || index > count()) return -1;
  model_->insert(index, {Entry{text, image, 0, nullptr, entryHeight(text)}});
  rowHeightsChanged();
  return index;
}

void CListBoxST::addEntries(const std::vector<NewEntry>& entries) {
  std::vector<Entry> rows;
  rows.reserve(entries.size());
  for (const NewEntry& e : entries) rows.push_back(Entry{e.text, e.image, 0, nullptr, entryHeight(e.text)});
  model_->insert(count(), std::move(rows));
  rowHeightsChanged();
}

bool CListBoxST::deleteEntry(int index) {
  if (!model_->valid(index)) return false;
  model_->remove(index);
  rowHeightsChanged();
  return true;
}

bool CListBoxST::replaceEntry(int index, const QString& text, int image) {
  if (!model_->valid(index)) return false;
  model_->entries[size_t(index)] = Entry{text, image, 0, nullptr, entryHeight(text)};
  rowHeightsChanged();
  model_->changed(index);
  return true;
}

void CListBoxST::removeAll() {
  model_->clearAll();
}

void CListBoxST::setValue(int index, std::int32_t value) {
  if (model_->valid(index)) model_->entries[size_t(index)].value = value;
}

std::int32_t CListBoxST::value(int index) const { return model_->valid(index) ? model_->entries[size_t(index)].value : -1; }

void CListBoxST::setPointer(int index, void* pointer) {
  if (model_->valid(index)) model_->entries[size_t(index)].pointer = pointer;
}

void* CListBoxST::pointer(int index) const {
  return model_->valid(index) ? model_->entries[size_t(index)].pointer : kNoEntryPointer;
}

int CListBoxST::image(int index) const { return model_->valid(index) ? model_->entries[size_t(index)].image : -1; }

QString CListBoxST::text(int index) const { return model_->valid(index) ? model_->entries[size_t(index)].text : QString(); }

void CListBoxST::setImage(int index, int image) {
  if (!model_->valid(index)) return;
  model_->entries[size_t(index)].image = image;
  model_->changed(index);
}

void CListBoxST::setText(int index, const QString& text) {
  if (!model_->valid(index)) return;
  Entry& e = model_->entries[size_t(index)];
  e.text = text;
  e.height = entryHeight(text);
  rowHeightsChanged();
  model_->changed(index);
}

void CListBoxST::setImageList(const CImageList* list) {
  images_ = list;
  // Row heights depend on the picture size.
  for (Entry& e : model_->entries) e.height = entryHeight(e.text);
  rowHeightsChanged();
  scheduleDelayedItemsLayout();
  viewport()->update();
}

int CListBoxST::count() const { return int(model_->entries.size()); }

int CListBoxST::currentRow() const {
  const QModelIndex i = currentIndex();
  return i.isValid() && selectionModel()->isSelected(i) ? i.row() : -1;
}

void CListBoxST::setCurrentRow(int index) {
  if (!model_->valid(index)) {
    selectionModel()->clear();
    return;
  }
  setCurrentIndex(model_->index(index));
  scrollTo(model_->index(index));
}

std::vector<int> CListBoxST::selectedRows() const {
  std::vector<int> rows;
  for (const QModelIndex& i : selectionModel()->selectedRows()) rows.push_back(i.row());
  std::sort(rows.begin(), rows.end());
  return rows;
}
