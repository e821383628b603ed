#include "app/Info.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

#include "app/WebAddresses.h"
#include "controls/ResourcePicture.h"
#include "controls/StaticControls.h"
#include "ui/Desktop.h"

CInfo::CInfo(int screenDpi, Desktop& desktop, QWidget* parent)
    : QDialog(parent), background_(resourcePicture("info-background", screenDpi == 120 ? 1.25 : 1.0)) {
  setWindowTitle(QString("%1 | Info | %2").arg(pv::kProductName, pv::kMakerAddress));
  setFixedSize(background_.deviceIndependentSize().toSize());

  auto textLine = [this](const QString& text, bool bold) {
    auto* label = new QLabel(text, this);
    label->setAlignment(Qt::AlignHCenter);
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, labelTextQColor());
    label->setPalette(pal);
    QFont f = label->font();
    f.setBold(bold);
    label->setFont(f);
    return label;
  };

  auto* buttons = new QHBoxLayout;
  buttons->setSpacing(8);
  buttons->addStretch(1);
  const struct {
    const char* picture;
    const char* name;
    QString address;  // empty: closes the box
  } links[] = {{"info-home", "home", makerPage()},
               {"info-support", "support", supportPage()},
               {"info-questions", "questions", questionsPage()},
               {"info-close", "close", QString()}};
  for (const auto& link : links) {
    auto* button = new CLinkStatic2(this);
    button->setObjectName(link.name);
    button->setPictures(resourcePicture(link.picture), resourcePicture(QString(link.picture) + "-hot"));
    if (!link.address.isEmpty())
      connect(button, &CLinkStatic2::clicked, this,
              [&desktop, address = link.address] { desktop.open(QUrl(address)); });
    else
      connect(button, &CLinkStatic2::clicked, this, &QDialog::accept);
    buttons->addWidget(button);
  }
  buttons->addStretch(1);

  // The text lines and the buttons sit on the light part below the logo.
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(10, height() * 2 / 5 + 8, 10, 0);
  layout->setSpacing(2);
  layout->addWidget(textLine(QString("%1 %2").arg(pv::kProductName, pv::kProductVersion), true));
  layout->addWidget(textLine("Webgalerien aus Ihren Fotos, fertig zum Hochladen", false));
  layout->addSpacing(12);
  layout->addLayout(buttons);
  layout->addStretch(1);
}

void CInfo::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.drawPixmap(0, 0, background_);
}

void showInfoBox(int screenDpi, Desktop& desktop, QWidget* parent) {
  CInfo box(screenDpi, desktop, parent);
  box.exec();
}
