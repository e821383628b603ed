#include "controls/TabFilesListBox.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QUrl>

namespace {
QStringList localPaths(const QMimeData* data) {
  QStringList paths;
  if (!data || !data->hasUrls()) return paths;
  for (const QUrl& url : data->urls())
    if (url.isLocalFile()) paths << url.toLocalFile();
  return paths;
}
}  // namespace

CTabFilesListBox::CTabFilesListBox(QWidget* parent) : CListBoxST(parent) {
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setAcceptDrops(true);
  viewport()->setAcceptDrops(true);
  setDropIndicatorShown(false);
  setDragDropMode(QAbstractItemView::DropOnly);
}

void CTabFilesListBox::dragEnterEvent(QDragEnterEvent* event) {
  if (!localPaths(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void CTabFilesListBox::dragMoveEvent(QDragMoveEvent* event) {
  if (!localPaths(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void CTabFilesListBox::dropEvent(QDropEvent* event) {
  const QStringList paths = localPaths(event->mimeData());
  if (paths.isEmpty()) return;
  event->acceptProposedAction();
  emit pathsDropped(paths);
}

void CTabFilesListBox::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Delete: emit deletePressed(); return;
    case Qt::Key_Backspace: emit upPressed(); return;
    case Qt::Key_Return:
    case Qt::Key_Enter: emit enterPressed(currentRow()); return;
    default: CListBoxST::keyPressEvent(event);
  }
}
