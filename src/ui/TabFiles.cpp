#include "ui/TabFiles.h"

#include <QApplication>
#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <unordered_set>

#include "state/AppState.h"
#include "controls/TabFilesListBox.h"
#include "model/FolderImport.h"
#include "model/ThumbnailCache.h"
#include "util/FileSystem.h"
#include "util/Text.h"
#include "ui/Desktop.h"
#include "ui/QtText.h"
#include "ui/TabOutput.h"
#include "ui/TabOptions2.h"
#include "ui/Worker.h"

namespace {

const char* const kHelpText =
    "Bilder können auf Wunsch auch zu Alben gruppiert werden. Alben sind virtuelle Verzeichnisse, die beliebig viele "
    "Bilder und Unteralben mit Bildern enthalten können.\n\nAlle Bilder und Alben erscheinen auf den Webseiten in der "
    "hier festgelegten Struktur.";

const char* const kNoAlbums = "Dieses Projekt enthält keine Alben";
const char* const kCoverText = "Titelbild des Albums";

// The row's description; the image chosen as its album's cover says so on
// its first line.
QString rowText(const pv::CollectionItem& item) {
  QString text = toQt(pv::describeItem(item));
  if (!item.isAlbum && item.albumCover) text.insert(text.indexOf('\n') < 0 ? text.size() : text.indexOf('\n'), " (Titelbild)");
  return text;
}

// The thumbnail of a record as Qt draws it. FreeImage keeps its rows bottom
// up; mirrored() turns them and copies, so the list never points into a
// bitmap the collection may replace.
QImage thumbnailImage(const pv::CollectionItem& item) {
  FIBITMAP* dib = item.thumbnail.get();
  if (!dib || FreeImage_GetBPP(dib) != 32) return {};
  const QImage wrapped(FreeImage_GetBits(dib), int(FreeImage_GetWidth(dib)), int(FreeImage_GetHeight(dib)),
                       int(FreeImage_GetPitch(dib)), QImage::Format_RGB32);
  return wrapped.mirrored();
}

// The two pictures of the program's own rows, drawn at 80 x 48.
QImage albumRowPicture() {
  QImage image(80, 48, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(150, 110, 30), 1.5));
  p.setBrush(QColor(240, 200, 90));
  QPainterPath folder;
  folder.moveTo(18, 10);
  folder.lineTo(34, 10);
  folder.lineTo(38, 15);
  folder.lineTo(62, 15);
  folder.lineTo(62, 42);
  folder.lineTo(18, 42);
  folder.closeSubpath();
  p.drawPath(folder);
  p.setBrush(QColor(250, 220, 120));
  p.drawRect(QRectF(18, 20, 44, 22));
  return image;
}

QImage upRowPicture() {
  QImage image(80, 48, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(70, 110, 170));
  const QPointF arrow[] = {{40, 6}, {58, 24}, {47, 24}, {47, 42}, {33, 42}, {33, 24}, {22, 24}};
  p.drawPolygon(arrow, 7);
  return image;
}

QString countText(size_t n, const char* one, const char* many) {
  return n == 1 ? QString(one) : QString(many).arg(n);
}

}  // namespace

// One add or import: what to add, and what the worker found on the way.
struct CTabFiles::Job {
  pv::ImportRequest request;
  pv::ImportResult result;
};

CTabFiles::CTabFiles(pv::AppState& state, const Pages& pages, const SharedPictures& pictures, Desktop& desktop,
                     QWidget* parent)
    : CPage(pictures, desktop, parent),
      state_(state),
      pages_(pages),
      albumPicture_(albumRowPicture()),
      upPicture_(upRowPicture()) {
  // The caption of the selected row right under the list; the commands beside it.
  auto* left = new QVBoxLayout;
  left->setSpacing(10);
  left->addWidget(makeListGroup(), 1);
  left->addWidget(makeCaptionGroup());
  auto* right = makeColumn({makeImagesGroup(), makeOrderGroup(), makeEditGroup()});
  right->addWidget(makeAlbumGroup());
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(10, 10, 10, 10);
  layout->setSpacing(10);
  layout->addLayout(left, 3);
  layout->addLayout(right, 2);

  list_->setImageList(&pictures_);
  refreshAlbumChooser();
  showAlbum("/");
}

CTabFiles::~CTabFiles() {
  stopThumbnails();
  if (worker_) {
    state_.abortRequested = true;
    worker_->wait();
  }
}

QWidget* CTabFiles::makeListGroup() {
  chooser_ = new QComboBox(this);
  chooser_->setObjectName("albumChooser");
  chooser_->setAccessibleName("Album");
  connect(chooser_, &QComboBox::currentIndexChanged, this, [this] {
    if (albumsAllowed_) albumName_->clear();
    showAlbum(currentAlbumPath());
  });

  list_ = new CTabFilesListBox(this);
  list_->setObjectName("albumList");
  list_->setAccessibleName("Bilder und Alben");
  connect(list_, &CListBoxST::selectionChanged, this, &CTabFiles::selectionChanged);
  connect(list_, &CListBoxST::entryDoubleClicked, this, &CTabFiles::enterRow);
  connect(list_, &CTabFilesListBox::enterPressed, this, &CTabFiles::enterRow);
  connect(list_, &CTabFilesListBox::upPressed, this, &CTabFiles::goUp);
  connect(list_, &CTabFilesListBox::deletePressed, this, &CTabFiles::removeImages);
  connect(list_, &CTabFilesListBox::pathsDropped, this, &CTabFiles::addPaths);
  list_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(list_, &QWidget::customContextMenuRequested, this, &CTabFiles::showContextMenu);

  // Stands where the busy animation would: what the worker has done so far.
  progressBox_ = new QWidget(this);
  progressText_ = new QLabel(progressBox_);
  progressText_->setObjectName("progressText");
  progressBar_ = new QProgressBar(progressBox_);
  progressBar_->setObjectName("progress");
  progressBar_->setAccessibleName("Fortschritt");
  progressBar_->setTextVisible(false);
  auto* progressLayout = new QVBoxLayout(progressBox_);
  progressLayout->setContentsMargins(0, 0, 0, 0);
  progressLayout->addWidget(progressText_);
  progressLayout->addWidget(progressBar_);
  progressBox_->hide();

  note_ = new QLabel(this);
  note_->setObjectName("note");
  note_->setWordWrap(true);
  note_->hide();

  auto* grid = makeGroupGrid();
  grid->addWidget(chooser_, 0, 0);
  grid->addWidget(list_, 1, 0);
  grid->addWidget(progressBox_, 2, 0);
  grid->addWidget(note_, 3, 0);
  grid->setRowStretch(1, 1);
  return makeGroup("   Album", grid);
}

namespace {
QPushButton* withIcon(QPushButton* button, QStyle::StandardPixmap icon) {
  button->setIcon(button->style()->standardIcon(icon));
  button->setIconSize(QSize(25, 22));
  return button;
}
}  // namespace

QWidget* CTabFiles::makeImagesGroup() {
  auto* folder = withIcon(makeButton("Ordner hinzufügen", "addFolder"), QStyle::SP_DirIcon);
  auto* images = withIcon(makeButton("Bilder hinzufügen", "addImages"), QStyle::SP_FileIcon);
  auto* remove = withIcon(makeButton("Bild entfernen", "removeImage"), QStyle::SP_TrashIcon);
  connect(folder, &QPushButton::clicked, this, &CTabFiles::chooseFolder);
  connect(images, &QPushButton::clicked, this, &CTabFiles::chooseImages);
  connect(remove, &QPushButton::clicked, this, &CTabFiles::removeImages);
  cover_ = withIcon(makeButton(kCoverText, "albumCover"), QStyle::SP_DialogApplyButton);
  cover_->setCheckable(true);
  cover_->setToolTip("Das gewählte Bild steht auf der Kachel des Albums, wenn \"Alben mit Titelbild und "
                     "Bildanzahl\" eingeschaltet ist. Ohne Wahl ist es das erste Bild des Albums.");
  cover_->setEnabled(false);
  connect(cover_, &QPushButton::clicked, this, &CTabFiles::markCover);
  auto* grid = makeGroupGrid();
  grid->addWidget(folder, 0, 0);
  grid->addWidget(images, 0, 1);
  grid->addWidget(remove, 1, 0);
  grid->addWidget(cover_, 1, 1);
  return makeGroup("   Verwendete Bilder", grid);
}

QWidget* CTabFiles::makeCaptionGroup() {
  caption_ = new QLineEdit(this);
  caption_->setObjectName("caption");
  caption_->setAccessibleName("Bild - Kommentar");
  caption_->setEnabled(false);
  auto* change = withIcon(makeButton("Ändern", "changeCaption"), QStyle::SP_DialogApplyButton);
  connect(change, &QPushButton::clicked, this, &CTabFiles::changeCaption);
  connect(caption_, &QLineEdit::returnPressed, this, &CTabFiles::changeCaption);
  auto* grid = makeGroupGrid();
  grid->addWidget(caption_, 0, 0);
  grid->addWidget(change, 0, 1);
  grid->setColumnStretch(0, 1);
  return makeGroup("   Bild - Kommentar", grid);
}

QWidget* CTabFiles::makeOrderGroup() {
  auto* up = withIcon(makeButton("Nach oben schieben", "moveUp"), QStyle::SP_ArrowUp);
  auto* down = withIcon(makeButton("Nach unten schieben", "moveDown"), QStyle::SP_ArrowDown);
  connect(up, &QPushButton::clicked, this, [this] { move(-1); });
  connect(down, &QPushButton::clicked, this, [this] { move(1); });
  auto* grid = makeGroupGrid();
  grid->addWidget(up, 0, 0);
  grid->addWidget(down, 0, 1);
  return makeGroup("   Bild - Reihenfolge", grid);
}

QWidget* CTabFiles::makeEditGroup() {
  using C = pv::ItemCollection;
  const struct {
    const char* text;
    const char* name;
    QStyle::StandardPixmap icon;
    void (C::*change)(pv::CollectionItem&);
  } buttons[] = {{"Nach links drehen", "rotateLeft", QStyle::SP_BrowserReload, &C::rotateLeft},
                 {"Nach rechts drehen", "rotateRight", QStyle::SP_BrowserReload, &C::rotateRight},
                 {"Horizontal spiegel", "flipHorizontal", QStyle::SP_ArrowRight, &C::toggleFlipHorizontal},
                 {"Vertikal spiegeln", "flipVertical", QStyle::SP_ArrowDown, &C::toggleFlipVertical}};
  auto* grid = makeGroupGrid();
  int i = 0;
  for (const auto& b : buttons) {
    auto* button = withIcon(makeButton(b.text, b.name), b.icon);
    connect(button, &QPushButton::clicked, this, [this, change = b.change] { transform(change); });
    grid->addWidget(button, i / 2, i % 2);
    ++i;
  }
  return makeGroup("   Bild bearbeiten", grid);
}

QWidget* CTabFiles::makeAlbumGroup() {
  QLabel* help = makeLabel(kHelpText, "albumHelp");
  help->setWordWrap(true);
  albumName_ = new QLineEdit(this);
  albumName_->setObjectName("albumName");
  QLabel* nameLabel = makeLabel("Albumname");
  nameLabel->setBuddy(albumName_);
  auto* create = withIcon(makeButton("Neues Album anlegen", "newAlbum"), QStyle::SP_FileDialogNewFolder);
  auto* rename = withIcon(makeButton("Album umbenennen", "renameAlbum"), QStyle::SP_FileDialogDetailedView);
  auto* remove = withIcon(makeButton("Album löschen", "deleteAlbum"), QStyle::SP_TrashIcon);
  newAlbum_ = create;
  renameAlbum_ = rename;
  deleteAlbum_ = remove;
  connect(create, &QPushButton::clicked, this, &CTabFiles::newAlbum);
  connect(rename, &QPushButton::clicked, this, &CTabFiles::renameAlbum);
  connect(remove, &QPushButton::clicked, this, &CTabFiles::deleteAlbum);
  auto* grid = makeGroupGrid();
  grid->addWidget(help, 0, 0, 1, 2);
  grid->addWidget(nameLabel, 1, 0);
  grid->addWidget(albumName_, 1, 1);
  grid->addWidget(create, 2, 0, 1, 2);
  grid->addWidget(rename, 3, 0);
  grid->addWidget(remove, 3, 1);
  return makeGroup("   Album", grid);
}

// ---- listing ----

std::string CTabFiles::currentAlbumPath() const {
  const std::string text = fromQt(chooser_->currentText());
  return text.empty() ? "/" : text;
}

// Made when the row is first drawn. Until the list is shown anew, rows and
// their records stay together: every command that removes a record removes
// its row first.
int CTabFiles::thumbnailPicture(const pv::CollectionItem& item) {
  return pictures_.addLater([&item] { return thumbnailImage(item); });
}

void CTabFiles::showAlbum(const std::string& path) {
  list_->setUpdatesEnabled(false);
  list_->removeAll();
  pictures_.clear();
  pictures_.add(albumPicture_);
  pictures_.add(upPicture_);
  std::vector<CListBoxST::NewEntry> rows;
  std::vector<pv::CollectionItem*> records;
  if (path != "/") {
    rows.push_back({"\n..\n", 1});
    records.push_back(nullptr);
  }
  for (pv::CollectionItem* item : state_.items.itemsIn(path)) {
    rows.push_back({rowText(*item), item->isAlbum ? 0 : thumbnailPicture(*item)});
    records.push_back(item);
  }
  list_->addEntries(rows);
  for (size_t i = 0; i < records.size(); ++i) list_->setPointer(int(i), records[i]);
  list_->setUpdatesEnabled(true);
}

void CTabFiles::refreshAlbumChooser() {
  const QString remembered = state_.items.size() == 0 ? QString("/") : chooser_->currentText();
  std::vector<QString> paths;
  for (const std::string& p : state_.items.albumPaths()) paths.push_back(toQt(p));
  std::stable_sort(paths.begin(), paths.end(),
                   [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
  const QSignalBlocker quiet(chooser_);
  chooser_->clear();
  for (const QString& p : paths) chooser_->addItem(p);
  chooser_->setCurrentIndex(chooser_->findText(remembered.isEmpty() ? QString("/") : remembered, Qt::MatchExactly));
}

void CTabFiles::setAlbumsAllowed(bool allowed) {
  albumsAllowed_ = allowed;
  for (QWidget* w : {newAlbum_, renameAlbum_, deleteAlbum_, static_cast<QWidget*>(chooser_)}) w->setEnabled(allowed);
  albumName_->setText(allowed ? QString() : QString(kNoAlbums));
  albumName_->setEnabled(allowed);
}

void CTabFiles::collectionCleared() {
  stopThumbnails();
  refreshAlbumChooser();
  showAlbum("/");
  clearFields();
  note_->hide();
}

pv::CollectionItem* CTabFiles::record(int row) const {
  void* p = list_->pointer(row);
  return p == kNoEntryPointer ? nullptr : static_cast<pv::CollectionItem*>(p);
}

void CTabFiles::setRowText(int row) {
  if (pv::CollectionItem* item = record(row)) list_->setText(row, rowText(*item));
}

void CTabFiles::clearFields() {
  caption_->clear();
  if (albumsAllowed_) albumName_->clear();
}

// ---- selection and moving between albums ----

void CTabFiles::selectionChanged() {
  showCoverState();
  const int row = list_->currentRow();
  if (row < 0) return;
  const pv::CollectionItem* item = record(row);
  if (!item) {
    clearFields();
    caption_->setEnabled(false);
    return;
  }
  if (albumsAllowed_) albumName_->setText(item->isAlbum ? toQt(item->name) : QString());
  caption_->setEnabled(true);
  caption_->setText(toQt(item->caption));
}

void CTabFiles::goTo(const std::string& path) {
  {
    const QSignalBlocker quiet(chooser_);
    chooser_->setCurrentIndex(chooser_->findText(toQt(path), Qt::MatchExactly));
  }
  clearFields();
  showAlbum(path);
}

void CTabFiles::enterRow(int row) {
  if (row < 0 || row >= list_->count()) return;
  const pv::CollectionItem* item = record(row);
  if (!item)
    goUp();
  else if (item->isAlbum)
    goTo(pv::albumFullPath(*item));
}

void CTabFiles::goUp() {
  const std::string path = currentAlbumPath();
  if (path == "/") return;
  const std::string parent = path.substr(0, path.find_last_of('/'));
  goTo(parent.empty() ? "/" : parent);
}

// ---- commands on the selected rows ----

void CTabFiles::removeImages() {
  const std::vector<int> rows = list_->selectedRows();
  for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
    const pv::CollectionItem* item = record(*it);
    if (!item || item->isAlbum) continue;
    list_->deleteEntry(*it);
    state_.items.removeImage(*item);
  }
  clearFields();
}

void CTabFiles::changeCaption() {
  const int row = list_->currentRow();
  pv::CollectionItem* item = record(row);
  if (!item) return;
  state_.items.setCaption(*item, pv::trimWhite(fromQt(caption_->text())));
  setRowText(row);
  caption_->setText(toQt(item->caption));
  list_->setCurrentRow(row);
}

void CTabFiles::move(int step) {
  const int from = list_->currentRow(), to = from + step;
  pv::CollectionItem* a = record(from);
  pv::CollectionItem* b = record(to);
  if (from < 0 || !a || !b) return;
  state_.items.swapItems(*a, *b);
  const QString textA = list_->text(from), textB = list_->text(to);
  const int pictureA = list_->image(from), pictureB = list_->image(to);
  list_->setText(from, textB);
  list_->setImage(from, pictureB);
  list_->setPointer(from, b);
  list_->setText(to, textA);
  list_->setImage(to, pictureA);
  list_->setPointer(to, a);
  list_->setCurrentRow(to);
}

void CTabFiles::transform(void (pv::ItemCollection::*change)(pv::CollectionItem&)) {
  const std::vector<int> rows = list_->selectedRows();
  QApplication::setOverrideCursor(Qt::WaitCursor);
  for (int row : rows) {
    pv::CollectionItem* item = record(row);
    if (!item || item->isAlbum) continue;
    (state_.items.*change)(*item);
    list_->setImage(row, thumbnailPicture(*item));
  }
  QApplication::restoreOverrideCursor();
}

// ---- the album's cover ----

// The button shows whether the selected image stands for its album; only an
// image inside an album can, as the top level has no tile.
void CTabFiles::showCoverState() {
  const pv::CollectionItem* item = record(list_->currentRow());
  const bool image = item && !item->isAlbum && item->albumPath != "/";
  cover_->setEnabled(image);
  cover_->setChecked(image && item->albumCover);
}

void CTabFiles::markCover(bool on) {
  pv::CollectionItem* item = record(list_->currentRow());
  if (!item || item->isAlbum) return;
  state_.items.setAlbumCover(*item, on);
  // The album's former cover, if listed, loses its mark in its row too.
  for (int row = 0; row < list_->count(); ++row) setRowText(row);
  showCoverState();
}

void CTabFiles::showContextMenu(const QPoint& at) {
  const int row = list_->currentRow();
  if (!cover_->isEnabled() || row < 0) return;
  QMenu menu(this);
  QAction* cover = menu.addAction(kCoverText);
  cover->setCheckable(true);
  cover->setChecked(cover_->isChecked());
  connect(cover, &QAction::triggered, this, &CTabFiles::markCover);
  menu.exec(list_->mapToGlobal(at));
}

// ---- albums ----

void CTabFiles::newAlbum() {
  const std::string name = pv::cleanAlbumName(fromQt(albumName_->text()));
  if (name.empty()) return;
  const std::string path = currentAlbumPath();
  state_.items.addAlbum(path, name);
  refreshAlbumChooser();
  showAlbum(path);
  albumName_->clear();
}

void CTabFiles::renameAlbum() {
  pv::CollectionItem* item = record(list_->currentRow());
  if (!item || !item->isAlbum) return;
  const std::string name = pv::cleanAlbumName(fromQt(albumName_->text()));
  if (name.empty()) return;
  state_.items.renameAlbum(*item, name);
  refreshAlbumChooser();
  showAlbum(currentAlbumPath());
  albumName_->clear();
}

void CTabFiles::deleteAlbum() {
  const pv::CollectionItem* item = record(list_->currentRow());
  if (!item || !item->isAlbum) return;
  state_.items.deleteAlbum(*item);
  showAlbum(currentAlbumPath());
  refreshAlbumChooser();
  albumName_->clear();
}

// ---- adding images ----

void CTabFiles::chooseImages() {
  const QStringList files = desktop_.chooseFiles(this, qtFileFilter(QString::fromStdString(pv::fileDialogFilter())));
  if (!files.isEmpty()) addPaths(files);
}

void CTabFiles::chooseFolder() {
  // The tree opens where the last folder came from.
  CAddStructureDlg dialog(albumsAllowed_, this, lastImportFolder_);
  if (dialog.exec() != QDialog::Accepted) return;
  const AddStructureValues values = dialog.values();
  lastImportFolder_ = QFileInfo(pathToQt(values.folder)).absolutePath();
  importFolder(values);
}

// A dropped or chosen folder comes with its sub-folders, as albums where
// the project allows them.
void CTabFiles::addPaths(const QStringList& paths) {
  Job job;
  for (const QString& path : paths) job.request.sources.push_back({pathFromQt(path), true, albumsAllowed_});
  startJob(std::move(job));
}

void CTabFiles::importFolder(const AddStructureValues& values) {
  Job job;
  job.request.sources.push_back({values.folder, values.includeSubfolders, values.albumsFromSubfolders});
  job.request.endings = pv::endingsOfType(values.imageType);
  startJob(std::move(job));
}

void CTabFiles::startJob(Job job) {
  if (worker_) return;
  // The add changes the collection; the thumbnails not made yet follow it.
  stopThumbnails();
  job.request.albumPath = currentAlbumPath();
  job.request.captions = pages_.settings->readCaptionSources();
  if (pages_.create)
    job.request.outputFolder = pages_.create->values.projectFolder + pages_.create->values.projectName;
  state_.abortRequested = false;
  note_->hide();
  progressText_->setText("Bilder werden gesucht …");
  progressBar_->setRange(0, 0);
  progressBox_->show();
  emit busy(true);
  auto shared = std::make_shared<Job>(std::move(job));
  worker_ = startWorker(
      this, [this, shared] { runJob(*shared); }, [this, shared] { jobFinished(*shared); });
}

// On the worker thread: the window is busy, so nothing else touches the
// collection until jobFinished.
void CTabFiles::runJob(Job& job) {
  const std::atomic<bool>& abort = state_.abortRequested;
  // Everything is found first, so the page can say how many files there are.
  const pv::ImportPlan plan = pv::planImport(job.request, abort);
  const int total = int(plan.files.size());
  postToGui(this, [this, total] { jobProgress(0, total); });
  job.result = pv::carryOutImport(state_.items, plan, job.request, abort, [this, total](int added, const std::string&) {
    postToGui(this, [this, added, total] { jobProgress(added, total); });
  });
}

void CTabFiles::jobProgress(int done, int total) {
  if (!worker_) return;
  progressBar_->setRange(0, std::max(total, 1));
  progressBar_->setValue(done);
  progressText_->setText(QString("%1 von %2 Dateien hinzugefügt").arg(done).arg(total));
}

QString CTabFiles::noteText() const { return note_->isHidden() ? QString() : note_->text(); }

void CTabFiles::jobFinished(const Job& job) {
  worker_ = nullptr;
  const pv::ImportResult& result = job.result;
  const std::vector<std::vector<std::string>> by = pv::pathsByReason(result);
  using R = pv::SkipReason;
  QStringList lines, details;
  auto report = [&](const std::vector<std::string>& paths, const char* one, const char* many) {
    if (paths.empty()) return;
    const QString line = countText(paths.size(), one, many);
    lines << line;
    details << line + ":";
    for (const std::string& p : paths) details << "    " + pathToQt(p);
  };
  auto reason = [&](R r) -> const std::vector<std::string>& { return by[size_t(r)]; };
  report(reason(R::Unreadable), "1 Datei konnte nicht gelesen werden", "%1 Dateien konnten nicht gelesen werden");
  report(result.damaged, "1 Bild ist beschädigt, nur teilweise lesbar", "%1 Bilder sind beschädigt, nur teilweise lesbar");
  report(reason(R::Missing), "1 Datei oder Ordner wurde nicht gefunden", "%1 Dateien oder Ordner wurden nicht gefunden");
  report(reason(R::NotPicture), "1 Datei ist kein Bild", "%1 Dateien sind keine Bilder");
  report(reason(R::Video), "1 Video wird nicht übernommen", "%1 Videos werden nicht übernommen");
  report(reason(R::TypeNotRead), "1 Bild eines nicht lesbaren Typs wird nicht übernommen",
         "%1 Bilder eines nicht lesbaren Typs werden nicht übernommen");
  report(reason(R::TypeNotChosen), "1 Bild eines nicht gewählten Typs wird nicht übernommen",
         "%1 Bilder eines nicht gewählten Typs werden nicht übernommen");
  report(reason(R::Hidden), "1 versteckte Datei wird nicht übernommen", "%1 versteckte Dateien werden nicht übernommen");
  report(result.emptyFolders, "In 1 Ordner wurden keine Bilder gefunden", "In %1 Ordnern wurden keine Bilder gefunden");
  report(result.repeatedFolders, "1 Ordner wurde übersprungen, weil er schon gelesen war",
         "%1 Ordner wurden übersprungen, weil sie schon gelesen waren");
  report(result.leftOut, "Der Ausgabeordner des Projekts wurde nicht eingelesen",
         "Der Ausgabeordner des Projekts wurde %1-mal nicht eingelesen");
  if (result.cancelled) lines.prepend(QString("Abgebrochen: %1 Bilder hinzugefügt").arg(result.added));
  note_->setText(lines.join("\n"));
  note_->setToolTip(details.join("\n"));
  note_->setAccessibleDescription(details.join("\n"));
  note_->setVisible(!lines.isEmpty());

  progressBox_->hide();
  showAlbum(job.request.albumPath);
  refreshAlbumChooser();
  emit busy(false);
  state_.abortRequested = false;
  startThumbnails();
}

// ---- thumbnails ----

// The thumbnails of added images, made on every core after the rows are
// shown, each from the user's cache when it holds one for the photo as it
// is now. Finished ones wait in ready until the GUI thread takes them all
// at once, so a burst from the cache costs one repaint, not hundreds.
struct CTabFiles::ThumbnailRun {
  std::vector<pv::ThumbnailOrder> orders;
  std::vector<pv::CollectionItem*> records;  // compared, never read, on the working threads
  std::atomic<bool> abort{false};
  std::thread thread;
  std::mutex lock;
  std::vector<std::pair<size_t, pv::ImagePtr>> ready;
  bool queued = false;  // thumbnailsArrived is on its way to the GUI thread
  size_t arrived = 0;
};

void CTabFiles::startThumbnails() {
  stopThumbnails();
  auto run = std::make_shared<ThumbnailRun>();
  for (const auto& item : state_.items.list)
    if (!item->isAlbum && !item->thumbnail && !item->sourceMissing) {
      run->orders.push_back({item->sourcePath, item->rotation, item->flipHorizontal, item->flipVertical});
      run->records.push_back(item.get());
    }
  if (run->orders.empty()) return;
  thumbnails_ = run;
  // The thread ends before the run goes (stopThumbnails joins it); a
  // delivery still queued then finds the run gone.
  ThumbnailRun* r = run.get();
  std::weak_ptr<ThumbnailRun> weak = run;
  run->thread = std::thread([this, r, weak] {
    pv::makeThumbnails(r->orders, pv::userThumbnailFolder(), r->abort, [&](size_t i, pv::ImagePtr thumbnail) {
      std::lock_guard<std::mutex> guard(r->lock);
      r->ready.emplace_back(i, std::move(thumbnail));
      if (r->queued) return;
      r->queued = true;
      postToGui(this, [this, weak] {
        if (std::shared_ptr<ThumbnailRun> run = weak.lock(); run && run == thumbnails_) thumbnailsArrived(*run);
      });
    });
  });
}

// Waits for the pictures in hand.
void CTabFiles::stopThumbnails() {
  if (!thumbnails_) return;
  thumbnails_->abort = true;
  thumbnails_->thread.join();
  thumbnails_.reset();
}

void CTabFiles::thumbnailsArrived(ThumbnailRun& run) {
  std::vector<std::pair<size_t, pv::ImagePtr>> ready;
  {
    std::lock_guard<std::mutex> guard(run.lock);
    ready.swap(run.ready);
    run.queued = false;
  }
  // A record removed, turned or pointed at another file since keeps its own thumbnail.
  std::unordered_set<const pv::CollectionItem*> live;
  for (const auto& item : state_.items.list) live.insert(item.get());
  std::unordered_map<const pv::CollectionItem*, int> rows;
  for (int row = 0; row < list_->count(); ++row)
    if (const pv::CollectionItem* item = record(row)) rows.emplace(item, row);
  for (auto& [index, thumbnail] : ready) {
    pv::CollectionItem* item = run.records[index];
    const pv::ThumbnailOrder& order = run.orders[index];
    if (!live.count(item) || item->sourcePath != order.sourcePath || item->rotation != order.rotation ||
        item->flipHorizontal != order.flipHorizontal || item->flipVertical != order.flipVertical)
      continue;
    item->thumbnail = std::move(thumbnail);
    if (auto row = rows.find(item); row != rows.end()) list_->setImage(row->second, thumbnailPicture(*item));
  }
  run.arrived += ready.size();
  if (run.arrived == run.orders.size()) stopThumbnails();
}
