#pragma once
// "Ordner wählen": the folder, the image type and the two options of a
// folder import.
#include <QDialog>
#include <string>

class QCheckBox;
class QComboBox;
class QFileSystemModel;
class QLineEdit;
class QTreeView;

struct AddStructureValues {
  std::string folder;
  int imageType = 0;  // index into pv::imageTypeFilters()
  bool includeSubfolders = false;
  bool albumsFromSubfolders = false;
};

class CAddStructureDlg : public QDialog {
  Q_OBJECT
 public:
  // Every opening starts empty with "All Image Formats" and both options off,
  // the tree open at start (the home folder when empty).
  CAddStructureDlg(bool albumsAllowed, QWidget* parent = nullptr, const QString& start = QString());
  AddStructureValues values() const;

 private:
  void includeClicked(bool ticked);

  bool albumsAllowed_;
  QFileSystemModel* folders_;
  QTreeView* tree_;
  QComboBox* type_;
  QLineEdit* folder_;
  QCheckBox* include_;
  QCheckBox* albums_;
};
