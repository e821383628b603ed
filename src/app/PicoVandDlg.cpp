#include "app/PicoVandDlg.h"

#include <QAction>
#include <QHBoxLayout>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QSettings>
#include <QTabBar>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "state/AppState.h"
#include "app/Info.h"
#include "app/WebAddresses.h"
#include "controls/EnTabCtrl.h"
#include "controls/ResourcePicture.h"
#include "util/FileSystem.h"
#include "settings/Presets.h"
#include "util/Text.h"
#include "ui/Desktop.h"
#include "ui/Explorer.h"
#include "ui/QtText.h"
#include "ui/TabFiles.h"
#include "ui/TabOptions.h"
#include "ui/TabOptions2.h"
#include "ui/TabOutput.h"
#include "ui/TabOutput2.h"
#include "ui/TabProject.h"

namespace {

// A strip of the window painted with one picture: drawn at its natural size
// from the left (the header) or stretched over the whole strip (the footer).
class PictureStrip : public QWidget {
 public:
  PictureStrip(const QPixmap& picture, bool stretch, QWidget* parent)
      : QWidget(parent), picture_(picture), stretch_(stretch) {
    setFixedHeight(picture.deviceIndependentSize().toSize().height());
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    if (stretch_)
      p.drawPixmap(rect(), picture_);
    else
      p.drawPixmap(0, 0, picture_);
  }

 private:
  QPixmap picture_;
  bool stretch_;
};

// Gaps of the footer buttons: next at 21 pixels from the right edge, back 31
// pixels to the left of it.
constexpr int kFooterRight = 21;
constexpr int kFooterGap = 31;

// The window's size and place between runs, beside the recovery copy in the data folder.
QString windowPlaceFile(const pv::AppState& state) { return pathToQt(state.settings.appDataFolder + "window.ini"); }
constexpr const char* kGeometryKey = "geometry";

}  // namespace

CPicoVandDlg::CPicoVandDlg(pv::AppState& state, Desktop& desktop, QWidget* parent)
    : QDialog(parent), state_(state), desktop_(desktop), pictures_(SharedPictures::load()) {
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                 Qt::WindowCloseButtonHint);
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64, 128, 256}) icon.addFile(QString(":/art/icon-%1.png").arg(size));
  setWindowIcon(icon);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, windowQColor());
  setPalette(pal);
  setAutoFillBackground(true);

  tabs_ = new CEnTabCtrl(this);
  tabs_->setObjectName("pageTabs");
  tabs_->setBackgroundColour(windowQColor());
  tabs_->setMinimumTabWidth(150);
  tabs_->setDrawingMode(2);
  pages_.project = new CTabProject(state, pages_, pictures_, desktop);
  pages_.image = new CTabOptions(state, pictures_, desktop);
  pages_.settings = new CTabOptions2(state, pictures_, desktop);
  pages_.album = new CTabFiles(state, pages_, pictures_, desktop);
  pages_.create = new CTabOutput(state, pages_, pictures_, desktop);
  pages_.output = new CTabOutput2(pages_, pictures_, desktop);
  tabs_->addTab(pages_.project, "Projektauswahl");
  tabs_->addTab(pages_.image, "Bild - Einstellungen");
  tabs_->addTab(pages_.settings, "Projekt - Einstellungen");
  tabs_->addTab(pages_.album, "Bild- und Albumauswahl");
  tabs_->addTab(pages_.create, "Erstellen");
  tabs_->addTab(pages_.output, "Ausgabe");
  for (int i = 0; i < kPageCount; ++i) {
    auto* page = static_cast<CPage*>(tabs_->page(i));
    connect(page, &CPage::busy, this, [this](bool on) { setControlsEnabled(!on); });
    connect(page, &CPage::pageRequested, this, &CPicoVandDlg::goToPage);
  }
  connect(tabs_, &CBaseTabCtrl::currentChanged, this, [this](int i) {
    if (shownPage_ >= 0) hidePage(shownPage_);
    showPage(i);
  });

  auto* body = new QVBoxLayout;
  body->setContentsMargins(4, 6, 4, 4);
  body->addWidget(tabs_);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(makeHeader());
  layout->addLayout(body, 1);
  layout->addWidget(makeFooter());

  addPageKeys();
  pages_.project->buildTypeTree();
  pages_.create->setupPage(state.settings.projectsFolder);
  pages_.output->browser()->navigate(pv::infoPagePath(state.settings, 0));
  showPage(kProjectPage);
  pages_.project->loadPreset(0);
  markSaved();
  // Every few seconds: the unsaved mark, and the recovery copy when the
  // project changed.
  auto* recovery = new QTimer(this);
  connect(recovery, &QTimer::timeout, this, &CPicoVandDlg::keepRecovery);
  recovery->start(2000);

  QSize size(1120, 780);
  if (const QScreen* s = screen()) size = size.boundedTo(s->availableSize());
  resize(size.expandedTo(minimumSizeHint()));
  restoreGeometry(QSettings(windowPlaceFile(state), QSettings::IniFormat).value(kGeometryKey).toByteArray());
}

void CPicoVandDlg::rememberPlace() const {
  pv::makeDirectories(state_.settings.appDataFolder);
  QSettings(windowPlaceFile(state_), QSettings::IniFormat).setValue(kGeometryKey, saveGeometry());
}

CLinkStatic2* CPicoVandDlg::makeButton(const char* picture, const char* name, const QString& label) {
  auto* button = new CLinkStatic2(this);
  button->setObjectName(name);
  button->setAccessibleName(label);
  button->setPictures(resourcePicture(picture), resourcePicture(QString(picture) + "-hot"));
  return button;
}

QWidget* CPicoVandDlg::makeHeader() {
  auto* header = new PictureStrip(resourcePicture("header", state_.screenDpi == 120 ? 1.25 : 1.0), false, this);
  newProject_ = makeButton("new-project", "newProject", "Neues Projekt");
  help_ = makeButton("help", "help", "Hilfe");
  support_ = makeButton("support", "support", "Support");
  info_ = makeButton("info", "info", "Info");
  webPage_ = makeButton("webpage", "webPage", "Webseite");
  exit_ = makeButton("exit", "exit", "Beenden");
  cancel_ = makeButton("cancel", "cancel", "Abbrechen");
  cancel_->hide();
  projectMenu_ = makeProjectMenu();
  connect(newProject_, &CLinkStatic2::clicked, this, &CPicoVandDlg::newProject);
  connect(help_, &CLinkStatic2::clicked, this, [this] { desktop_.open(QUrl(manualPage())); });
  connect(support_, &CLinkStatic2::clicked, this, [this] { desktop_.open(QUrl(supportPage())); });
  connect(info_, &CLinkStatic2::clicked, this, [this] { showInfoBox(state_.screenDpi, desktop_, this); });
  connect(webPage_, &CLinkStatic2::clicked, this, [this] { desktop_.open(QUrl(makerPage())); });
  connect(exit_, &CLinkStatic2::clicked, this, &QDialog::accept);
  // Keys for the header's commands; disabled with the rest while a worker runs.
  auto key = [this](const QKeySequence& keys, const char* name, CLinkStatic2* button) {
    auto* action = new QAction(this);
    action->setObjectName(name);
    action->setShortcut(keys);
    action->setShortcutContext(Qt::WindowShortcut);
    connect(action, &QAction::triggered, button, &CLinkStatic2::clicked);
    addAction(action);
    button->setToolTip(button->accessibleName() + " (" + keys.toString(QKeySequence::NativeText) + ")");
  };
  key(QKeySequence::New, "newProjectKey", newProject_);
  key(QKeySequence(Qt::CTRL | Qt::Key_Q), "exitKey", exit_);
  key(QKeySequence(Qt::Key_F1), "helpKey", help_);
  connect(cancel_, &CLinkStatic2::clicked, this, [this] {
    state_.abortRequested = true;
    cancel_->hide();
  });

  auto* row = new QHBoxLayout(header);
  row->setContentsMargins(12, 0, 12, 0);
  row->setSpacing(4);
  row->addWidget(newProject_, 0, Qt::AlignVCenter);
  row->addStretch(1);
  row->addWidget(projectMenu_, 0, Qt::AlignVCenter);
  row->addSpacing(8);
  for (CLinkStatic2* b : {help_, support_, info_, webPage_, exit_, cancel_}) row->addWidget(b, 0, Qt::AlignVCenter);
  return header;
}

QWidget* CPicoVandDlg::makeFooter() {
  auto* footer = new PictureStrip(resourcePicture("footer"), true, this);
  back_ = makeButton("back", "back", "Zurück");
  next_ = makeButton("next", "next", "Weiter");
  create_ = makeButton("create", "create", "Erstellen");
  open_ = makeButton("open", "open", "Öffnen");
  connect(back_, &CLinkStatic2::clicked, this, &CPicoVandDlg::previousPage);
  connect(next_, &CLinkStatic2::clicked, this, &CPicoVandDlg::nextPage);
  connect(create_, &CLinkStatic2::clicked, this, [this] { pages_.create->create(); });
  connect(open_, &CLinkStatic2::clicked, this, &CPicoVandDlg::openResult);
  // The footer's commands by key, on whatever has the focus, while they are shown.
  addShortcut(back_, QKeySequence(Qt::ALT | Qt::Key_Left));
  addShortcut(next_, QKeySequence(Qt::ALT | Qt::Key_Right));
  addShortcut(create_, QKeySequence(Qt::CTRL | Qt::Key_Return));

  auto* row = new QHBoxLayout(footer);
  row->setContentsMargins(0, 0, kFooterRight, 0);
  row->setSpacing(0);
  row->addStretch(1);
  row->addWidget(back_, 0, Qt::AlignVCenter);
  row->addSpacing(kFooterGap);
  // Next, create and open share one place; only one of them is shown.
  for (CLinkStatic2* b : {next_, create_, open_}) row->addWidget(b, 0, Qt::AlignVCenter);
  return footer;
}

void CPicoVandDlg::addShortcut(CLinkStatic2* button, const QKeySequence& keys) {
  auto* action = new QAction(button->accessibleName(), this);
  action->setShortcut(keys);
  connect(action, &QAction::triggered, button, [button] {
    if (button->isVisible() && button->isEnabled()) button->click();
  });
  addAction(action);
  button->setShortcutText(keys);
}

// Ctrl+Tab and Ctrl+PgDn show the next page, Ctrl+Shift+Tab and Ctrl+PgUp
// the one before, round the row as in every tabbed window.
void CPicoVandDlg::addPageKeys() {
  const struct {
    QList<QKeySequence> keys;
    int step;
  } moves[] = {{{QKeySequence(Qt::CTRL | Qt::Key_Tab), QKeySequence(Qt::CTRL | Qt::Key_PageDown)}, 1},
               {{QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), QKeySequence(Qt::CTRL | Qt::Key_PageUp)},
                kPageCount - 1}};
  for (const auto& move : moves) {
    auto* action = new QAction(this);
    action->setShortcuts(move.keys);
    connect(action, &QAction::triggered, this,
            [this, step = move.step] { goToPage((currentPage() + step) % kPageCount); });
    addAction(action);
  }
}

int CPicoVandDlg::currentPage() const { return tabs_->currentIndex(); }

void CPicoVandDlg::showPage(int i) {
  shownPage_ = i;
  back_->setVisible(i != kProjectPage);
  next_->setVisible(i < kCreatePage);
  create_->setVisible(i == kCreatePage);
  open_->setVisible(i == kOutputPage);
  for (CLinkStatic2* b : {back_, next_, create_, open_}) b->setEnabled(true);
  tabs_->tabBar()->setFocus();
  if (i == kCreatePage) pages_.create->refresh();
}

void CPicoVandDlg::hidePage(int) {
  for (CLinkStatic2* b : {back_, next_, create_, open_}) {
    b->hide();
    b->setEnabled(false);
  }
}

void CPicoVandDlg::goToPage(int i) {
  if (i == currentPage()) {
    hidePage(i);
    showPage(i);
  } else {
    tabs_->setCurrentIndex(i);
  }
}

void CPicoVandDlg::nextPage() {
  if (currentPage() < kOutputPage) goToPage(currentPage() + 1);
}

void CPicoVandDlg::previousPage() {
  if (currentPage() > kProjectPage) goToPage(currentPage() - 1);
}

void CPicoVandDlg::setControlsEnabled(bool enabled) {
  for (QWidget* w : std::initializer_list<QWidget*>{newProject_, help_, support_, info_, webPage_, exit_, back_, next_,
                                                    create_, open_, tabs_, projectMenu_})
    w->setEnabled(enabled);
  for (QAction* a : actions()) a->setEnabled(enabled);
  busy_ = !enabled;
  cancel_->setVisible(!enabled);
  cancel_->setEnabled(!enabled);
}

void CPicoVandDlg::newProject() {
  if (!desktop_.askYesNo(this, "Sind Sie sicher, dass Sie ein neues Projekt erstellen möchten?", "Neues Projekt"))
    return;
  if (!mayDiscardChanges()) return;
  state_.items.clear();
  pages_.album->collectionCleared();
  pages_.create->setupPage(state_.settings.projectsFolder);
  pages_.project->selectRoot();
  goToPage(kProjectPage);
  pages_.output->browser()->navigate(pv::infoPagePath(state_.settings, 0));
  pages_.image->values.watermarkFile.clear();
  pages_.image->showPage();
  projectFile_.clear();
  markSaved();
  pv::removeRecovery(state_);
}

void CPicoVandDlg::openResult() {
  const int n = state_.settings.presetNumber;
  if (pv::isGroupNode(n)) return;
  const std::string folder = pv::withSlash(pages_.create->values.outputFolder);
  if (pv::isBatchConversion(n)) {
    desktop_.open(QUrl::fromLocalFile(pathToQt(folder)));
    return;
  }
  // The start page is page 0; its name compares without regard to case.
  const std::string start = state_.settings.fileTag + "00000.htm";
  for (const pv::DirEntry& e : pv::listDirectory(folder))
    if (!e.isDirectory && pv::equalsNoCase(e.name, start)) {
      desktop_.open(QUrl::fromLocalFile(pathToQt(folder + e.name)));
      return;
    }
}

void CPicoVandDlg::closeEvent(QCloseEvent* event) {
  if (pages_.create->buildRunning()) {
    const bool stop = desktop_.askYesNo(
        this, "Das Projekt wird gerade erstellt. Möchten Sie die Erstellung abbrechen und das Programm beenden?",
        "Projekt wird erstellt");
    if (!stop) {
      event->ignore();
      return;
    }
    // The build may have ended while the question was open: then there is
    // nothing to cancel, and a flag set now would stop the next build.
    if (pages_.create->buildRunning()) {
      state_.abortRequested = true;
      pages_.create->waitForBuild();
    }
  }
  QDialog::closeEvent(event);
}

void CPicoVandDlg::keyPressEvent(QKeyEvent* event) {
  // Escape never closes the window.
  if (event->key() == Qt::Key_Escape) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}
