#include "ui/AddStructureDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

#include "controls/ComboAccessible.h"
#include "model/FolderImport.h"
#include "ui/QtText.h"

CAddStructureDlg::CAddStructureDlg(bool albumsAllowed, QWidget* parent, const QString& start)
    : QDialog(parent), albumsAllowed_(albumsAllowed) {
  setWindowTitle("Ordner wählen");

  folders_ = new QFileSystemModel(this);
  folders_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
  folders_->setRootPath("/");
  tree_ = new QTreeView(this);
  tree_->setObjectName("folderTree");
  tree_->setAccessibleName("Ordner");
  installComboAccessible();
  tree_->setModel(folders_);
  for (int column = 1; column < folders_->columnCount(); ++column) tree_->hideColumn(column);
  tree_->header()->hide();
  tree_->setMinimumSize(360, 260);
  const QModelIndex home = folders_->index(start.isEmpty() || !QDir(start).exists() ? QDir::homePath() : start);
  tree_->setCurrentIndex(home);
  tree_->scrollTo(home);
  tree_->expand(home);

  type_ = new QComboBox(this);
  type_->setObjectName("imageType");
  for (const pv::ImageTypeFilter& f : pv::imageTypeFilters()) type_->addItem(f.text);
  type_->setCurrentIndex(0);
  folder_ = new QLineEdit(this);
  folder_->setObjectName("folder");
  include_ = new QCheckBox("Unterverzeichnisse einbeziehen", this);
  include_->setObjectName("includeSubfolders");
  albums_ = new QCheckBox("Erzeuge Alben aus Unterverzeichnissen", this);
  albums_->setObjectName("albumsFromSubfolders");
  albums_->setEnabled(false);
  // The tree starts on the home folder, but only a folder the user picks
  // goes into the field.
  connect(tree_->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& i) {
    if (i.isValid() && tree_->hasFocus()) folder_->setText(folders_->filePath(i));
  });
  connect(tree_, &QTreeView::clicked, this, [this](const QModelIndex& i) { folder_->setText(folders_->filePath(i)); });
  connect(include_, &QCheckBox::toggled, this, &CAddStructureDlg::includeClicked);

  auto* grid = new QGridLayout;
  auto label = [this](const QString& text, QWidget* buddy) {
    auto* l = new QLabel(text, this);
    l->setBuddy(buddy);
    return l;
  };
  grid->addWidget(label("Bildtyp:", type_), 0, 0);
  grid->addWidget(type_, 0, 1);
  grid->addWidget(label("Ordner:", folder_), 1, 0);
  grid->addWidget(folder_, 1, 1);
  grid->addWidget(new QLabel("Optionen:", this), 2, 0, Qt::AlignTop);
  grid->addWidget(include_, 2, 1);
  grid->addWidget(albums_, 3, 1);
  grid->setColumnStretch(1, 1);

  auto* confirm = new QPushButton("Ordner hinzufügen", this);
  confirm->setObjectName("confirm");
  confirm->setDefault(true);
  auto* cancel = new QPushButton("Abbrechen", this);
  cancel->setObjectName("cancel");
  connect(confirm, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(confirm);
  buttons->addWidget(cancel);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tree_, 1);
  layout->addLayout(grid);
  layout->addLayout(buttons);
}

void CAddStructureDlg::includeClicked(bool ticked) {
  const bool albums = ticked && albumsAllowed_;
  albums_->setChecked(albums);
  albums_->setEnabled(albums);
}

AddStructureValues CAddStructureDlg::values() const {
  return {pathFromQt(folder_->text().trimmed()), type_->currentIndex(), include_->isChecked(), albums_->isChecked()};
}
