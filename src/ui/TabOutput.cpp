#include "ui/TabOutput.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <memory>

#include "state/AppState.h"
#include "gallery/BuildManifest.h"
#include "pages/OwnPage.h"
#include "pages/PageEngine.h"
#include "util/FileSystem.h"
#include "settings/Presets.h"
#include "ui/Desktop.h"
#include "ui/Explorer.h"
#include "ui/QtText.h"
#include "ui/SelTemplate.h"
#include "ui/TabOptions.h"
#include "ui/TabOptions2.h"
#include "ui/TabOutput2.h"
#include "ui/Worker.h"

namespace {

QString stepText(pv::BuildStep step) {
  switch (step) {
    case pv::BuildStep::Watermarks: return "Wasserzeichen vorbereiten";
    case pv::BuildStep::OutputFolder: return "Ausgabeordner anlegen";
    case pv::BuildStep::CheckOutputs: return "Vorhandene Ausgabe prüfen";
    case pv::BuildStep::Convert: return "Bilder umwandeln";
    case pv::BuildStep::StyleFiles: return "Projektdateien kopieren";
    case pv::BuildStep::Pages: return "Webseiten schreiben";
    case pv::BuildStep::Statistics: return "Ausgabe zählen";
  }
  return {};
}

QLineEdit* readOnlyField(const char* name, const QString& label, QWidget* parent) {
  auto* f = new QLineEdit(parent);
  f->setObjectName(name);
  f->setReadOnly(true);
  f->setAccessibleName(label);
  return f;
}

}  // namespace

CTabOutput::CTabOutput(pv::AppState& state, const Pages& pages, const SharedPictures& pictures, Desktop& desktop,
                       QWidget* parent)
    : CPage(pictures, desktop, parent), state_(state), pages_(pages) {
  name_ = new QLineEdit(this);
  name_->setObjectName("projectName");
  name_->setMaxLength(int(pv::kMaxProjectNameLength));
  connect(name_, &QLineEdit::textEdited, this, &CTabOutput::nameEdited);
  projectFolder_ = readOnlyField("projectFolder", "Projektordner", this);
  outputFolder_ = readOnlyField("outputFolder", "Ausgabeordner", this);
  QPushButton* choose = makeButton("Projektordner auswählen", "chooseProjectFolder", pictures.chooseIcon);
  QPushButton* open = makeButton("Projektordner öffnen", "openProjectFolder", pictures.chooseIcon);
  createButton_ = makeButton("Projekt erstellen", "createProject", pictures.standardIcon);
  connect(choose, &QPushButton::clicked, this, &CTabOutput::chooseProjectFolder);
  connect(open, &QPushButton::clicked, this,
          [this] { desktop_.open(QUrl::fromLocalFile(pathToQt(values.projectFolder))); });
  connect(createButton_, &QPushButton::clicked, this, &CTabOutput::create);

  // The busy display of a build: the step, and the images done of all.
  progress_ = new QProgressBar(this);
  progress_->setObjectName("buildProgress");
  progress_->setAccessibleName("Fortschritt");
  step_ = makeLabel(QString(), "buildStep");
  progress_->hide();
  step_->hide();

  auto* grid = makeGroupGrid();
  const struct {
    const char* label;
    QLineEdit* field;
  } rows[3] = {{"Projektname", name_}, {"Projektordner", projectFolder_}, {"Ausgabeordner", outputFolder_}};
  for (int i = 0; i < 3; ++i) {
    QLabel* label = makeLabel(rows[i].label);
    label->setBuddy(rows[i].field);
    rows[i].field->setAccessibleName(rows[i].label);
    grid->addWidget(label, i, 0);
    grid->addWidget(rows[i].field, i, 1);
  }
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(choose);
  buttons->addWidget(open);
  buttons->addStretch(1);
  buttons->addWidget(createButton_);
  grid->addLayout(buttons, 3, 0, 1, 2);
  grid->addWidget(step_, 4, 0, 1, 2);
  grid->addWidget(progress_, 5, 0, 1, 2);
  grid->setColumnStretch(1, 1);

  list_ = new QTableWidget(0, 5, this);
  list_->setObjectName("previewList");
  list_->setAccessibleName("Bildinformationen");
  list_->setShowGrid(true);
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list_->setSelectionBehavior(QAbstractItemView::SelectRows);
  list_->verticalHeader()->hide();
  list_->setWordWrap(false);
  list_->verticalHeader()->setDefaultSectionSize(list_->fontMetrics().height() + 6);
  for (int c = 0; c < 5; ++c) {
    list_->setHorizontalHeaderItem(c, new QTableWidgetItem(pv::kPreviewColumns[c].title));
    list_->setColumnWidth(c, pv::kPreviewColumns[c].width);
  }
  auto* listLayout = new QVBoxLayout;
  listLayout->setContentsMargins(10, 8, 10, 10);
  listLayout->addWidget(list_);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(10, 10, 10, 10);
  layout->setSpacing(10);
  layout->addWidget(makeGroup("   Projektdaten erstellen", grid));
  layout->addWidget(makeGroup("   Bildinformationen", listLayout), 1);
}

void CTabOutput::setupPage(const std::string& projectsFolder) {
  pv::setupCreatePage(values, projectsFolder);
  showValues();
  refresh();
}

void CTabOutput::showValues() {
  name_->setText(pathToQt(values.projectName));
  projectFolder_->setText(pathToQt(values.projectFolder));
  outputFolder_->setText(pathToQt(values.outputFolder));
}

void CTabOutput::nameEdited(const QString& text) {
  const int cursor = name_->cursorPosition();
  pv::typeProjectName(values, pathFromQt(text));
  showValues();
  name_->setCursorPosition(cursor);
}

// The name as the field holds it, however it got there: typed, pasted,
// dictated or set by an assistive tool (which sends no key).
void CTabOutput::readPage() {
  if (pathFromQt(name_->text()) != values.projectName) {
    pv::typeProjectName(values, pathFromQt(name_->text()));
    showValues();
  }
}

void CTabOutput::chooseProjectFolder() {
  readPage();
  const QString folder = desktop_.chooseFolder(this, "Projektordner auswählen", pathToQt(values.projectFolder));
  if (folder.isEmpty()) return;
  pv::chooseProjectFolder(state_, values, pathFromQt(folder));
  showValues();
}

void CTabOutput::refresh() {
  readPage();
  pages_.image->readPage();
  pages_.settings->readPage();
  const std::vector<pv::PreviewRow> rows = pv::previewListRows(state_, pages_.image->values);
  list_->setUpdatesEnabled(false);
  list_->setRowCount(0);
  list_->setRowCount(int(rows.size()));
  for (int r = 0; r < int(rows.size()); ++r) {
    const pv::PreviewRow& row = rows[size_t(r)];
    const std::string* cells[5] = {&row.inputFile, &row.inputFormat, &row.outputFile, &row.outputFormat, &row.folder};
    for (int c = 0; c < 5; ++c) list_->setItem(r, c, new QTableWidgetItem(toQt(*cells[c])));
  }
  list_->setUpdatesEnabled(true);
}

void CTabOutput::create() {
  if (buildRunning()) return;
  readPage();
  // A number field without a number has shown its message: build nothing
  // from values the user cannot see.
  if (!pages_.image->readPage() || !pages_.settings->readPage()) return;
  pv::ProjectPageValues& project = pages_.settings->values;
  pv::CreateCommand cmd = pv::prepareBuild(state_, pages_.image->values, project, values);
  if (cmd.status == pv::CreateStatus::NeedsOwnPage) {
    CSelTemplate dialog(state_, desktop_, std::string(), this);
    if (dialog.exec() != QDialog::Accepted) return;
    project.ownWebPage = dialog.pagePath();
    pages_.settings->showPage();
    cmd = pv::prepareBuild(state_, pages_.image->values, project, values);
  }
  showValues();
  // A gallery without pictures helps nobody: say why nothing is built.
  if (cmd.status == pv::CreateStatus::Ready && pv::buildableImages(state_.items).empty()) {
    desktop_.message(this,
                     "Das Projekt enthält keine Bilder, die gelesen werden können. Bitte fügen Sie im Bereich "
                     "'Bild- und Albumauswahl' Bilder hinzu.",
                     "Keine Bilder", QMessageBox::Information);
    return;
  }
  if (cmd.status == pv::CreateStatus::Refused) {
    desktop_.message(this, toQt(cmd.message), toQt(cmd.title), QMessageBox::Information);
    return;
  }
  // What was checked when the page was chosen may have changed since: the
  // page deleted or edited, the project folder removed.
  if (pv::isOwnTemplate(state_.settings.presetNumber)) {
    const pv::OwnPageCheck check = pv::checkOwnPage(project.ownWebPage);
    if (!check.ok) {
      desktop_.message(this, toQt(check.message), pv::kOwnPageErrorTitle, QMessageBox::Information);
      return;
    }
  }
  if (!pv::directoryExists(values.projectFolder)) {
    desktop_.message(this,
                     QString("Der Projektordner %1 existiert nicht. Bitte wählen Sie mit \"Projektordner auswählen\" "
                             "einen vorhandenen Ordner aus.")
                         .arg(pathToQt(values.projectFolder)),
                     "Projektordner fehlt", QMessageBox::Information);
    return;
  }
  if (pv::holdsOtherFiles(cmd.outputFolder, state_.settings.appDataFolder)) {
    QString question = QString("Der Ausgabeordner %1 enthält bereits Dateien. Dateien mit gleichem Namen werden "
                               "ersetzt. Möchten Sie das Projekt trotzdem dort erstellen?")
                           .arg(pathToQt(cmd.outputFolder));
    // A web server shows such a page before the gallery's own start page.
    for (const std::string& page : pv::foreignStartPages(cmd.outputFolder, state_.settings.appDataFolder))
      question += QString("\n\nDie Datei %1 gehört nicht zur Galerie und bleibt die Startseite des Ordners; die "
                          "Galerie beginnt mit %2.")
                      .arg(pathToQt(page), pathToQt(pv::pageFileName(state_.settings, 0)));
    if (!desktop_.askYesNoSafe(this, question, "Ausgabeordner nicht leer")) return;
  }

  const pv::ProjectSettings& s = state_.settings;
  if (s.sizeAWidth == 0 && s.sizeAHeight == 0) return;  // size A off: the build ends at once

  createButton_->setEnabled(false);
  emit busy(true);
  step_->setText(stepText(pv::BuildStep::Watermarks));
  progress_->setRange(0, 0);
  step_->show();
  progress_->show();
  auto result = std::make_shared<pv::BuildResult>();
  const std::string folder = cmd.outputFolder;
  build_ = startWorker(
      this,
      [this, result, folder] {
        *result = pv::buildProject(state_, folder, [this](pv::BuildStep step, int done, int total, int reused) {
          postToGui(this, [this, step, done, total, reused] { showProgress(step, done, total, reused); });
        });
      },
      [this, result, folder] { buildDone(*result, folder); });
}

void CTabOutput::showProgress(pv::BuildStep step, int done, int total, int reused) {
  if (step == pv::BuildStep::Convert && total > 0) {
    progress_->setRange(0, total);
    progress_->setValue(done);
    QString text = QString("%1: %2 von %3 Bildern").arg(stepText(step)).arg(done).arg(total);
    if (reused > 0) text += QString(" (%1 unverändert übernommen)").arg(reused);
    step_->setText(text);
  } else {
    step_->setText(stepText(step));
  }
}

void CTabOutput::buildDone(const pv::BuildResult& result, const std::string& outputFolder) {
  progress_->hide();
  step_->hide();
  createButton_->setEnabled(true);
  CTabOutput2* output = pages_.output;
  output->updateStatistics(pv::outputInfo(state_.settings, result.output));
  pv::markMissingSources(state_.items, result);
  if (result.folderCreated && !result.previewPage.empty()) output->browser()->navigate(result.previewPage);
  emit busy(false);
  if (!result.folderCreated) {
    desktop_.message(this,
                     QString("Der Ausgabeordner %1 konnte nicht angelegt werden. Bitte prüfen Sie, ob der "
                             "Projektordner beschreibbar ist und genug Platz bietet.")
                         .arg(pathToQt(outputFolder)),
                     "Ausgabeordner", QMessageBox::Warning);
    return;
  }
  if (!result.linkInTheWay.empty()) {
    desktop_.message(this,
                     QString("Im Ausgabeordner %1 ist %2 eine Verknüpfung (oder eine Datei, wo ein Ordner "
                             "hingehört). Das Projekt schreibt durch keine Verknüpfung; es wurde nichts "
                             "geschrieben. Bitte entfernen Sie sie oder wählen Sie einen anderen Ordner.")
                         .arg(pathToQt(outputFolder), pathToQt(result.linkInTheWay)),
                     "Ausgabeordner", QMessageBox::Warning);
    return;
  }
  if (!result.failedWrites.empty()) {
    QStringList names;
    for (const std::string& failure : result.failedWrites) names << pathToQt(failure);
    desktop_.message(this,
                     QString("%1 Dateien konnten nicht geschrieben werden; die bisherige Galerie bleibt erhalten.\n\n%2")
                         .arg(int(result.failedWrites.size()))
                         .arg(names.mid(0, 10).join("\n")),
                     "Ausgabeordner", QMessageBox::Warning);
    return;
  }
  if (!result.missingSources.empty())
    desktop_.message(this,
                     QString("%1 Bilder wurden übersprungen, weil ihre Datei fehlt. Mit \"Projekt\" > \"Fehlende "
                             "Bilder suchen …\" geben Sie ihren neuen Ordner an.")
                         .arg(int(result.missingSources.size())),
                     "Fehlende Bilder", QMessageBox::Information);
  reportOutcome(result, outputFolder);
  if (!result.cancelled) emit pageRequested(5);
}

namespace {

// "a, b, c" of the file names; the full paths go to the details.
QString fileNames(const std::vector<std::string>& paths) {
  QStringList names;
  for (const std::string& p : paths) names << pathToQt(pv::fileNameOf(p));
  return names.join(", ");
}

}  // namespace

// What the build left out or could read only in part, and after a cancel
// what was written and what stayed as it was: nothing ends without a word.
void CTabOutput::reportOutcome(const pv::BuildResult& result, const std::string& outputFolder) {
  QStringList parts;
  if (result.cancelled)
    parts << QString("Die Erstellung wurde abgebrochen. %1 Bilder wurden umgewandelt, %2 unverändert übernommen; "
                     "%3 Bilder wurden nicht mehr erreicht und fehlen in den Webseiten. Die Webseiten wurden für die "
                     "fertigen Bilder geschrieben. Alle anderen Dateien im Ausgabeordner %4 blieben erhalten.")
                 .arg(result.imagesConverted)
                 .arg(result.imagesReused)
                 .arg(int(result.notReached.size()))
                 .arg(pathToQt(outputFolder));
  if (!result.withoutOutput.empty())
    parts << QString("%1 Bilder konnten nicht gelesen werden und fehlen in der Galerie: %2")
                 .arg(int(result.withoutOutput.size()))
                 .arg(fileNames(result.withoutOutput));
  if (!result.damaged.empty())
    parts << QString("%1 Bilder sind beschädigt, nur teilweise lesbar; in der Galerie sind sie teilweise grau: %2")
                 .arg(int(result.damaged.size()))
                 .arg(fileNames(result.damaged));
  if (result.foreignIndexKept)
    parts << QString("Im Ausgabeordner liegt eine index.html, die nicht von Pico Vand stammt. Sie wurde nicht "
                     "überschrieben; die Galerie beginnt mit %1. Entfernen Sie diese index.html, wenn die Startseite "
                     "der Galerie an ihre Stelle treten soll.")
                 .arg(pathToQt(pv::pageFileName(state_.settings, 0)));
  if (parts.isEmpty()) return;
  desktop_.message(this, parts.join("\n\n"), result.cancelled ? "Erstellung abgebrochen" : "Projekt erstellt",
                   result.cancelled ? QMessageBox::Information : QMessageBox::Warning);
}

CTabOutput::~CTabOutput() {
  // A build must not outlive the page it reports to.
  if (buildRunning()) {
    state_.abortRequested = true;
    waitForBuild();
  }
}

void CTabOutput::waitForBuild() {
  if (build_) build_->wait();
}
