#include "ui/TabOutput2.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "state/AppState.h"
#include "gallery/BuildDriver.h"
#include "util/Text.h"
#include "ui/Desktop.h"
#include "ui/DirectUpload.h"
#include "ui/Explorer.h"
#include "ui/Ftp.h"
#include "ui/QtText.h"
#include "ui/TabOutput.h"

const char* const kOwnPageWarning =
    "WICHTIG! Inhalte aus Ihrer Webpräsenz werden im Ausgabeordner nicht korrekt dargestellt. Bitte kopieren Sie "
    "alle erzeugten Dateien und Ordner in Ihre Webpräsenz.";

CTabOutput2::CTabOutput2(const Pages& pages, const SharedPictures& pictures, Desktop& desktop, QWidget* parent)
    : CPage(pictures, desktop, parent),
      pages_(pages),
      browser_(new CExplorer1(this)),
      warning_(new QLabel(kOwnPageWarning, this)) {
  browser_->setObjectName("preview");
  browser_->setAccessibleName("Vorschau");
  warning_->setObjectName("ownPageWarning");
  warning_->setAlignment(Qt::AlignCenter);
  warning_->setFixedHeight(25);
  warning_->setAutoFillBackground(true);
  QPalette pal = warning_->palette();
  pal.setColor(QPalette::Window, QColor(255, 255, 192));
  pal.setColor(QPalette::WindowText, Qt::black);
  warning_->setPalette(pal);
  warning_->hide();

  QLabel* uploadLines[2];
  QLabel* folderLines[2];
  auto* actions = new QHBoxLayout;
  actions->setContentsMargins(10, 8, 10, 10);
  actions->addWidget(makeAction(QStyle::SP_DriveNetIcon, "FTP Upload auf den eigenen Webserver", "upload", uploadLines,
                                &CTabOutput2::upload),
                     1);
  actions->addWidget(makeAction(QStyle::SP_DirOpenIcon, "Projektdateien anzeigen", "showOutputFolder", folderLines,
                                &CTabOutput2::showOutputFolder),
                     1);
  sizeLine_ = uploadLines[0];
  uploadTimeLine_ = uploadLines[1];
  folderLine_ = folderLines[0];
  fileCountLine_ = folderLines[1];

  auto* preview = new QVBoxLayout;
  preview->setContentsMargins(1, 0, 1, 1);
  preview->setSpacing(0);
  preview->addWidget(warning_);
  preview->addWidget(browser_, 1);

  lastUpload_ = makeLabel(QString(), "lastUpload");
  lastUpload_->setContentsMargins(10, 0, 10, 8);
  lastUpload_->hide();
  auto* closing = new QVBoxLayout;
  closing->setContentsMargins(0, 0, 0, 0);
  closing->addLayout(actions);
  closing->addWidget(lastUpload_);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(10, 10, 10, 10);
  layout->setSpacing(10);
  layout->addWidget(makeGroup("   Abschliessende Aktionen", closing));
  layout->addWidget(makeGroup("   Vorschau", preview), 1);
  updateStatistics(pv::outputInfo(pv::ProjectSettings{}, {}));
}

// A picture button, a link beside it (a click on either runs the action) and
// two info lines under the link.
QWidget* CTabOutput2::makeAction(QStyle::StandardPixmap picture, const QString& text, const char* name, QLabel* lines[2],
                                 void (CTabOutput2::*action)()) {
  auto* box = new QWidget(this);
  auto* button = new CLinkStatic2(box);
  button->setObjectName(QString(name) + "Picture");
  // The desktop theme's own pictures for a network drive and an open folder.
  const QIcon icon = style()->standardIcon(picture);
  button->setPictures(icon.pixmap(40, QIcon::Normal), icon.pixmap(40, QIcon::Active));
  button->setAccessibleName(text);
  auto* link = new QPushButton(text, box);
  link->setObjectName(name);
  link->setFlat(true);
  link->setCursor(Qt::PointingHandCursor);
  link->setToolTip(text);
  link->setAccessibleName(text);
  link->setStyleSheet("QPushButton { color: #0645AD; text-decoration: underline; border: none; text-align: left; "
                      "padding: 0; background: transparent; }");
  connect(button, &CLinkStatic2::clicked, this, action);
  connect(link, &QPushButton::clicked, this, action);
  auto* grid = new QGridLayout(box);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->addWidget(button, 0, 0, 3, 1, Qt::AlignTop);
  grid->addWidget(link, 0, 1, Qt::AlignLeft);
  for (int i = 0; i < 2; ++i) {
    lines[i] = makeLabel(QString(), i == 0 ? (QString(name) + "Line1").toUtf8().constData()
                                           : (QString(name) + "Line2").toUtf8().constData());
    grid->addWidget(lines[i], i + 1, 1);
  }
  grid->setColumnStretch(1, 1);
  return box;
}

void CTabOutput2::updateStatistics(const pv::OutputInfo& info) {
  sizeLine_->setText(toQt(info.size));
  uploadTimeLine_->setText(toQt(info.uploadTime));
  folderLine_->setText(toQt(info.folder));
  fileCountLine_->setText(toQt(info.fileCount));
  showLastUpload();
}

void CTabOutput2::showLastUpload() {
  if (!pages_.create) return;
  const QString text = lastUploadText(pages_.create->state().settings.appDataFolder, pages_.create->values.outputFolder);
  lastUpload_->setText(text);
  lastUpload_->setAccessibleName(text);
  lastUpload_->setVisible(!text.isEmpty());
}

void CTabOutput2::showWarningStrip(bool on) { warning_->setVisible(on); }

void CTabOutput2::upload() {
  CFtp dialog(desktop_, pv::withSlash(pages_.create->values.outputFolder), this);
  auto* direct = new CDirectUpload(desktop_, pages_.create->values.outputFolder,
                                   pages_.create->state().settings.appDataFolder, &dialog);
  dialog.sections()->addWidget(direct);
  direct->showPlace(pages_.create->values.upload);
  connect(direct, &CDirectUpload::finished, this, [this, direct] {
    pages_.create->values.upload = direct->place();
    showLastUpload();
  });
  dialog.exec();
}

void CTabOutput2::showOutputFolder() {
  desktop_.open(QUrl::fromLocalFile(pathToQt(pv::withSlash(pages_.create->values.outputFolder))));
}
