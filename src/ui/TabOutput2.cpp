#include "ui/TabOutput2.h"

#include <QVBoxLayout>

#include "ui/Explorer.h"

const char* const kOwnPageWarning =
    "WICHTIG! Inhalte aus Ihrer Webpräsenz werden im Ausgabeordner nicht korrekt dargestellt. Bitte kopieren Sie "
    "alle erzeugten Dateien und Ordner in Ihre Webpräsenz.";

CTabOutput2::CTabOutput2(const SharedPictures& pictures, Desktop& desktop, QWidget* parent)
    : CPage(pictures, desktop, parent), browser_(new CExplorer1(this)), warning_(new QLabel(kOwnPageWarning, this)) {
  warning_->setObjectName("ownPageWarning");
  warning_->setAlignment(Qt::AlignCenter);
  warning_->setFixedHeight(25);
  warning_->setAutoFillBackground(true);
  QPalette pal = warning_->palette();
  pal.setColor(QPalette::Window, QColor(255, 255, 192));
  pal.setColor(QPalette::WindowText, Qt::black);
  warning_->setPalette(pal);
  warning_->hide();

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(10, 10, 10, 10);
  layout->setSpacing(0);
  layout->addWidget(warning_);
  layout->addWidget(browser_, 1);
}

void CTabOutput2::showWarningStrip(bool on) { warning_->setVisible(on); }
