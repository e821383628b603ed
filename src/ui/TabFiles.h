#pragma once
// "Bild- und Albumauswahl": the albums and images of the project, one album
// at a time. Every command changes the collection at once; adding images
// and importing folders run on a worker thread while the window is busy.
#include <QPointer>
#include <QThread>
#include <QStringList>
#include <memory>
#include <string>
#include <vector>

#include "controls/ListBoxST.h"
#include "ui/AddStructureDlg.h"
#include "ui/Page.h"
#include "ui/Pages.h"

class CTabFilesListBox;
class QComboBox;
class QPushButton;
class QProgressBar;
class QThread;

namespace pv {
struct AppState;
struct CollectionItem;
class ItemCollection;
}  // namespace pv

class CTabFiles : public CPage {
  Q_OBJECT
 public:
  CTabFiles(pv::AppState& state, const Pages& pages, const SharedPictures& pictures, Desktop& desktop,
            QWidget* parent = nullptr);
  // A running add stops after its current file; the page waits for it.
  ~CTabFiles() override;

  // Lists the content of the album (its full path; "/" for the top level).
  void showAlbum(const std::string& path);
  // Refills the album chooser, keeping its selection where it still exists.
  void refreshAlbumChooser();
  // Albums may be created for this kind of project or not.
  void setAlbumsAllowed(bool allowed);
  // The collection was emptied: the page shows its empty top level.
  void collectionCleared();
  // The album shown: the chooser's text, "/" when it has none.
  std::string currentAlbumPath() const;

  // Adds files and folders (dropped, or chosen in the file dialog) to the
  // current album on the worker thread. A folder is imported with its
  // sub-folders, as albums where the project allows them.
  void addPaths(const QStringList& paths);
  // The folder import of "Ordner hinzufügen" with the dialog's values.
  void importFolder(const AddStructureValues& values);
  // The worker of an add or import, while one runs.
  QThread* worker() const { return worker_; }
  // What the last add or import left out, empty when nothing.
  QString noteText() const;
  // Thumbnails of added images are still being made.
  bool thumbnailsPending() const { return thumbnails_ != nullptr; }

 private:
  struct Job;
  struct ThumbnailRun;
  QWidget* makeListGroup();
  QWidget* makeImagesGroup();
  QWidget* makeCaptionGroup();
  QWidget* makeOrderGroup();
  QWidget* makeEditGroup();
  QWidget* makeAlbumGroup();

  pv::CollectionItem* record(int row) const;
  void selectionChanged();
  void enterRow(int row);
  void goUp();
  void goTo(const std::string& path);
  void chooseImages();
  void chooseFolder();
  void removeImages();
  void changeCaption();
  void move(int step);
  void transform(void (pv::ItemCollection::*change)(pv::CollectionItem&));
  void markCover(bool on);
  void showCoverState();
  void showContextMenu(const QPoint& at);
  void newAlbum();
  void renameAlbum();
  void deleteAlbum();
  void clearFields();
  void startJob(Job job);
  void runJob(Job& job);
  void jobProgress(int done, int total);
  void jobFinished(const Job& job);
  void startThumbnails();
  void stopThumbnails();
  void thumbnailsArrived(ThumbnailRun& run);
  void setRowText(int row);
  int thumbnailPicture(const pv::CollectionItem& item);

  pv::AppState& state_;
  const Pages& pages_;
  bool albumsAllowed_ = true;
  CImageList pictures_{QSize(80, 48)};
  QImage albumPicture_;
  QImage upPicture_;
  QPointer<QThread> worker_;
  std::shared_ptr<ThumbnailRun> thumbnails_;

  QComboBox* chooser_;
  CTabFilesListBox* list_;
  QWidget* progressBox_;
  QLabel* progressText_;
  QProgressBar* progressBar_;
  QLabel* note_;
  QLineEdit* caption_;
  QPushButton* cover_;
  QLineEdit* albumName_;
  QWidget* newAlbum_;
  QWidget* renameAlbum_;
  QWidget* deleteAlbum_;
  QString lastImportFolder_;  // the parent of the folder last imported
};
