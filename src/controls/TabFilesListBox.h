#pragma once
// The picture list of the album page: the rows of one album, with the keys
// people expect of a file list and files or folders dropped onto it.
#include <QStringList>

#include "controls/ListBoxST.h"

class CTabFilesListBox : public CListBoxST {
  Q_OBJECT
 public:
  explicit CTabFilesListBox(QWidget* parent = nullptr);

 signals:
  // Local paths dropped from a file manager, in the order given.
  void pathsDropped(const QStringList& paths);
  void deletePressed();
  // Backspace: up one album.
  void upPressed();
  // Enter: like a double click on the current row.
  void enterPressed(int index);

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
};
