#include "ui/TabProject.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>

#include "state/AppState.h"
#include "pages/Template.h"
#include "ui/Explorer.h"
#include "ui/Pages.h"
#include "ui/QtText.h"
#include "ui/TabFiles.h"
#include "ui/TabOptions.h"
#include "ui/TabOptions2.h"
#include "ui/TabOutput2.h"

namespace {
constexpr int kNumberRole = Qt::UserRole;

QTreeWidgetItem* addNode(QTreeWidgetItem* parent, const std::string& text, int number) {
  auto* item = new QTreeWidgetItem(parent, QStringList(toQt(text)));
  item->setData(0, kNumberRole, number);
  return item;
}

QVBoxLayout* filling(QWidget* w) {
  auto* layout = new QVBoxLayout;
  layout->setContentsMargins(1, 0, 1, 1);
  layout->addWidget(w);
  return layout;
}
}  // namespace

CTabProject::CTabProject(pv::AppState& state, Pages& pages, const SharedPictures& pictures, Desktop& desktop,
                         QWidget* parent)
    : CPage(pictures, desktop, parent),
      state_(state),
      pages_(pages),
      tree_(new QTreeWidget(this)),
      browser_(new CExplorer1(this)) {
  tree_->setObjectName("typeTree");
  tree_->setAccessibleName("Verfügbare Projektarten");
  tree_->setHeaderHidden(true);
  tree_->setFrameShape(QFrame::NoFrame);
  tree_->setRootIsDecorated(true);
  // One column: items and rows are the same. Qt's accessible tree selects a
  // whole row by the item's row under its parent, which is another node.
  tree_->setSelectionBehavior(QAbstractItemView::SelectItems);
  browser_->setObjectName("typeInfo");
  connect(tree_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* current) {
    if (current) nodeSelected(current->data(0, kNumberRole).toInt());
  });
  // Assistive tools choose a node by selecting it, which leaves the current
  // item where it was: the selected node becomes the current one, and a
  // family opens to show its presets (such a tool has no other way to open it).
  connect(tree_, &QTreeWidget::itemSelectionChanged, this, [this] {
    const QList<QTreeWidgetItem*> chosen = tree_->selectedItems();
    if (chosen.size() != 1 || chosen.front() == tree_->currentItem()) return;
    tree_->setCurrentItem(chosen.front());
    chosen.front()->setExpanded(true);
  });

  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(10, 10, 10, 10);
  layout->setSpacing(10);
  layout->addWidget(makeGroup("   Verfügbare Projektarten", filling(tree_), Qt::white), 2);
  layout->addWidget(makeGroup("   Infos zur ausgewählten Projektart", filling(browser_)), 3);
}

// The online news page this program once showed has no counterpart here; the
// installed start page takes its place.
std::string CTabProject::newsPage() const { return pv::infoPagePath(state_.settings, 0); }

void CTabProject::buildTypeTree() {
  browser_->navigate(newsPage());
  tree_->clear();
  root_ = new QTreeWidgetItem(tree_, QStringList("Corvane Pico Vand"));
  root_->setData(0, kNumberRole, 0);
  for (const pv::PresetFamily& family : pv::presetTree(state_.settings.configFolder)) {
    QTreeWidgetItem* node = addNode(root_, family.label, family.groupNumber);
    for (const pv::PresetNode& preset : family.presets) addNode(node, preset.text, preset.number);
  }
  root_->setExpanded(true);
}

void CTabProject::loadPreset(int number) {
  presetApplied(pv::loadPreset(state_, number, pages_.image->values, pages_.settings->values));
}

void CTabProject::selectRoot() {
  for (int i = 0; i < root_->childCount(); ++i) root_->child(i)->setExpanded(false);
  if (tree_->currentItem() == root_)
    nodeSelected(0);
  else
    tree_->setCurrentItem(root_);
}

void CTabProject::nodeSelected(int n) {
  const pv::ProjectTypeSelection sel = pv::selectProjectType(state_, n, pages_.image->values, pages_.settings->values);
  if (n != 0) presetApplied(sel.load);
  showTypeInfo(n, sel);
}

void CTabProject::showProjectType(int n) {
  QTreeWidgetItem* node = root_;
  for (QTreeWidgetItemIterator it(tree_); *it; ++it)
    if ((*it)->data(0, kNumberRole).toInt() == n) node = *it;
  {
    const QSignalBlocker quiet(tree_);
    tree_->setCurrentItem(node);
  }
  presetApplied({});
  showTypeInfo(n, pv::projectTypeView(state_.settings, n));
}

void CTabProject::showTypeInfo(int n, const pv::ProjectTypeSelection& sel) {
  if (n == 0) {
    browser_->navigate(newsPage());
    return;
  }
  if (sel.view == pv::InfoView::InfoPage)
    browser_->navigate(sel.infoPage);
  else
    browser_->navigate(pv::writePresetPreview(state_.settings));
  pages_.output->showWarningStrip(pv::isOwnTemplate(n));
}

void CTabProject::presetApplied(const pv::PresetLoad& load) {
  pages_.album->setAlbumsAllowed(state_.settings.albumsAllowed);
  if (load.collectionCleared) pages_.album->collectionCleared();
  pages_.image->showPage();
  pages_.settings->showPage();
}
