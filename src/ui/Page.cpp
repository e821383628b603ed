#include "ui/Page.h"

#include <QGridLayout>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "controls/ComboAccessible.h"
#include "controls/ResourcePicture.h"
#include "util/Text.h"
#include "ui/Desktop.h"

namespace {
// The page background is laid as tiles of this size along the top.
constexpr int kTileWidth = 400;
constexpr int kTileHeight = 527;
}  // namespace

SharedPictures SharedPictures::load() {
  return {resourcePicture("page"), resourcePicture("block-title"), resourcePicture("choose"),
          resourcePicture("standard"), resourcePicture("icon-256")};
}

CPage::CPage(const SharedPictures& pictures, Desktop& desktop, QWidget* parent)
    : QWidget(parent), pictures_(pictures), desktop_(desktop) {
  installComboAccessible();
  QPalette pal = palette();
  pal.setColor(QPalette::WindowText, labelTextQColor());
  setPalette(pal);
}

void CPage::paintEvent(QPaintEvent*) {
  QPainter p(this);
  for (int x = 0; x < width(); x += kTileWidth)
    p.drawPixmap(QRect(x, 0, kTileWidth, kTileHeight), pictures_.pageBackground);
  if (height() > kTileHeight) p.fillRect(QRect(0, kTileHeight, width(), height() - kTileHeight), windowQColor());
}

QWidget* CPage::makeGroup(const QString& title, QLayout* content, const QColor& fill) {
  auto* frame = new CStaticFrame(this, fill);
  auto* layout = new QVBoxLayout(frame);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(new CStaticBlock(title, pictures_.blockTitle, frame));
  auto* inner = new QWidget(frame);
  inner->setLayout(content);
  layout->addWidget(inner, 1);
  return frame;
}

QGridLayout* CPage::makeGroupGrid() {
  auto* grid = new QGridLayout;
  grid->setContentsMargins(10, 8, 10, 10);
  return grid;
}

QVBoxLayout* CPage::makeColumn(std::initializer_list<QWidget*> groups) {
  auto* column = new QVBoxLayout;
  column->setSpacing(10);
  for (QWidget* g : groups) column->addWidget(g);
  column->addStretch(1);
  return column;
}

QLabel* CPage::makeLabel(const QString& text, const char* name) {
  auto* label = new QLabel(text, this);
  if (name) label->setObjectName(name);
  return label;
}

QLabel* CPage::makeLabel(const QString& text, QWidget* buddy) {
  QLabel* label = makeLabel(text);
  label->setBuddy(buddy);
  return label;
}

QPushButton* CPage::makeButton(const QString& text, const QString& name, const QPixmap& icon) {
  auto* button = new QPushButton(QIcon(icon), text, this);
  button->setObjectName(name);
  button->setAutoDefault(false);
  return button;
}

QLineEdit* CPage::makeNumberField(const char* name) {
  auto* field = new QLineEdit(this);
  field->setObjectName(name);
  field->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), field));
  field->setMaximumWidth(field->fontMetrics().horizontalAdvance("0000000") + 12);
  return field;
}

bool CPage::readNumber(QLineEdit* field, int& value) {
  const std::string text = field->text().toStdString();
  if (text.empty()) {
    desktop_.message(this, "Enter an integer.", kMessageCaption, QMessageBox::Warning);
    field->setFocus();
    field->selectAll();
    return false;
  }
  value = pv::leadingInt(text);
  return true;
}
