// The two settings pages on their own: what typing, choosing and clicking
// does to their fields and working values.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <tuple>

#include "GuiSupport.h"
#include "controls/StaticControls.h"
#include "settings/Presets.h"
#include "util/FileSystem.h"
#include "ui/TabOptions.h"
#include "ui/TabOptions2.h"

using guitest::ScratchProgram;
using guitest::ScriptedDesktop;

namespace {

template <typename T = QLineEdit>
T* child(QWidget* page, const char* name) {
  T* w = page->findChild<T*>(name);
  if (!w) qFatal("no control %s", name);
  return w;
}

// Selects the field's text and types over it, key by key.
void retype(QLineEdit* field, const QString& text) {
  field->selectAll();
  QTest::keyClicks(field, text);
}

void choose(QComboBox* box, int index) {
  box->setCurrentIndex(index);
  emit box->activated(index);
}

}  // namespace

class SettingsPagesTest : public QObject {
  Q_OBJECT
  ScratchProgram program;
  std::unique_ptr<pv::AppState> state;
  ScriptedDesktop scripted;
  SharedPictures pictures;
  std::unique_ptr<CTabOptions> image;
  std::unique_ptr<CTabOptions2> project;

 private slots:
  void init() {
    state = program.makeState();
    scripted.clear();
    pictures = SharedPictures::load();
    image = std::make_unique<CTabOptions>(*state, pictures, scripted.desktop);
    project = std::make_unique<CTabOptions2>(*state, pictures, scripted.desktop);
    // Everything editable, as a preset that frees every control leaves it.
    for (pv::SizeRow& r : image->values.sizes) r.rowEnabled = r.fieldsEnabled = true;
    pv::ProjectPageValues& v = project->values;
    v.tableSizeEnabled = v.tableWidthEnabled = v.tableBorderEnabled = v.cellPaddingEnabled = v.cellSpacingEnabled =
        v.slideshowEnabled = true;
    for (pv::StyleValue& s : v.style) s.enabled = true;
    image->showPage();
    project->showPage();
  }

  void numberFieldsClampWhileTyping() {
    QLineEdit* width = child(image.get(), "widthA");
    retype(width, "1000");
    QCOMPARE(width->text(), QString("1000"));
    QTest::keyClick(width, Qt::Key_0);
    QCOMPARE(width->text(), QString("9999"));
    QCOMPARE(image->values.sizes[pv::kSizeA].width, 9999);

    QLineEdit* transparency = child(image.get(), "transparency");
    retype(transparency, "0");
    QCOMPARE(transparency->text(), QString("1"));
    retype(transparency, "300");
    QCOMPARE(transparency->text(), QString("255"));
    retype(child(image.get(), "watermarkSize"), "0");
    QCOMPARE(image->values.watermarkSize, 1);
    retype(child(image.get(), "offsetX"), "0");
    QCOMPARE(child(image.get(), "offsetX")->text(), QString("0"));
    retype(child(image.get(), "offsetY"), "250");
    QCOMPARE(image->values.offsetY, 200);

    retype(child(project.get(), "columns"), "0");
    QCOMPARE(child(project.get(), "columns")->text(), QString("1"));
    retype(child(project.get(), "rowsPerPage"), "0");
    QCOMPARE(project->values.rowsPerPage, 0);
    retype(child(project.get(), "tableBorder"), "12");
    QCOMPARE(child(project.get(), "tableBorder")->text(), QString("10"));
    retype(child(project.get(), "tableWidth"), "20000");
    QCOMPARE(project->values.tableWidth, 10000);
    // The first digit typed into the emptied display time already falls short.
    retype(child(project.get(), "displayTime"), "7");
    QCOMPARE(child(project.get(), "displayTime")->text(), QString("1000"));
    QVERIFY(scripted.messages.empty());
  }

  void emptiedNumberFieldStopsTheReading() {
    image->show();
    QLineEdit* width = child(image.get(), "widthA");
    retype(width, "12");
    QTest::keyClick(width, Qt::Key_Backspace);
    QVERIFY(scripted.messages.empty());
    // Set without a change notification: taken only by a complete reading.
    child(image.get(), "widthB")->setText("333");
    QTest::keyClick(width, Qt::Key_Backspace);
    QCOMPARE(scripted.messages.size(), size_t(1));
    QCOMPARE(scripted.messages[0].text, QString("Enter an integer."));
    QCOMPARE(image->focusWidget(), width);
    QCOMPARE(image->values.sizes[pv::kSizeB].width, 0);
    QVERIFY(!image->readPage());

    child(project.get(), "cellSpacing")->setText("");
    QVERIFY(!project->readPage());
    QCOMPARE(scripted.messages.back().text, QString("Enter an integer."));
  }

  void sizeChoicesSetTheRow() {
    QComboBox* a = child<QComboBox>(image.get(), "sizeChoiceA");
    QComboBox* b = child<QComboBox>(image.get(), "sizeChoiceB");
    QCOMPARE(a->count(), 20);
    QCOMPARE(b->count(), 21);
    QCOMPARE(b->itemText(2), QString("(Orginalbild)"));

    choose(b, b->findText("(Orginalbild)"));
    QCOMPARE(child(image.get(), "widthB")->text(), QString("9999"));
    QCOMPARE(child(image.get(), "heightB")->text(), QString("9999"));
    QVERIFY(!child(image.get(), "widthB")->isEnabled());

    choose(b, b->findText("640 x 480"));
    QCOMPARE(image->values.sizes[pv::kSizeB].width, 640);
    QCOMPARE(image->values.sizes[pv::kSizeB].height, 480);
    QVERIFY(child(image.get(), "heightB")->isEnabled());

    choose(b, b->findText("(Benutzer)"));
    QCOMPARE(child(image.get(), "widthB")->text(), QString("0"));
    QVERIFY(child(image.get(), "widthB")->isEnabled());

    choose(a, a->findText("3264 x 2448"));
    choose(a, 0);
    QCOMPARE(child(image.get(), "widthA")->text(), QString("0"));
    QVERIFY(!child(image.get(), "heightA")->isEnabled());
    QVERIFY(a->isEnabled());
  }

  void typedTextsSurviveShowingThePage() {
    QLineEdit* prefix = child(image.get(), "prefixA");
    retype(prefix, "klein");
    retype(child(image.get(), "imageFolder"), "bilder");
    image->showPage();
    QCOMPARE(prefix->text(), QString("klein"));
    QCOMPARE(image->values.imageFolder, std::string("bilder"));
    // Equal prefixes stay as typed on the page.
    retype(child(image.get(), "prefixB"), "klein");
    QVERIFY(image->readPage());
    QCOMPARE(image->values.sizes[pv::kSizeB].prefix, std::string("klein"));
  }

  void captionSourcesExcludeTheFileName() {
    auto box = [this](const char* name) { return child<QCheckBox>(project.get(), name); };
    QVERIFY(box("captionFromIptc")->text().startsWith("   Kommentar"));
    box("captionFromExif")->click();
    QVERIFY(box("captionFromIptc")->isChecked() && box("captionFromExif")->isChecked());
    box("captionFromFileName")->click();
    QVERIFY(box("captionFromFileName")->isChecked());
    QVERIFY(!box("captionFromIptc")->isChecked() && !box("captionFromJpegComment")->isChecked() &&
            !box("captionFromExif")->isChecked());
    QVERIFY(!project->values.captions.captionFromIptc);
    box("captionFromJpegComment")->click();
    QVERIFY(!box("captionFromFileName")->isChecked());
    QVERIFY(project->values.captions.captionFromJpegComment && !project->values.captions.captionFromFileName);
  }

  void colourRowsChooseAndPreview() {
    QLineEdit* field = child(project.get(), "backgroundColour");
    auto* preview = child<CStaticColorPreview>(project.get(), "backgroundColourPreview");
    retype(field, " #a0b1c2 ");
    QCOMPARE(preview->shownColour(), QColor(0xa0, 0xb1, 0xc2));

    scripted.colours.push_back(QColor(1, 2, 0xab));
    child<QPushButton>(project.get(), "backgroundColourChoose")->click();
    QCOMPARE(scripted.colourRequests.back(), QColor(0xa0, 0xb1, 0xc2));
    QCOMPARE(field->text(), QString("#0102AB"));
    QCOMPARE(preview->shownColour(), QColor(1, 2, 0xab));

    // A colour name: the page colour in the preview, black in the dialog, kept on cancel.
    QLineEdit* link = child(project.get(), "linkColour");
    retype(link, "red");
    QCOMPARE(child<CStaticColorPreview>(project.get(), "linkColourPreview")->shownColour(), pageQColor());
    child<QPushButton>(project.get(), "linkColourChoose")->click();
    QCOMPARE(scripted.colourRequests.back(), QColor(Qt::black));
    QCOMPARE(link->text(), QString("red"));
    QVERIFY(project->readPage());
    QCOMPARE(project->values.style[pv::kLinkColourRow].value, std::string("red"));
  }

  void standardButtonsReadTheCurrentPreset() {
    program.preset(1001, "[COLFONTS]\nBACKGROUNDCOLOR= #123456 \nTEXTSIZE=12px\n");
    state->settings.presetNumber = 1001;
    retype(child(project.get(), "backgroundColour"), "#FFFFFF");
    retype(child(project.get(), "linkColour"), "#FFFFFF");
    child<QPushButton>(project.get(), "backgroundColourStandard")->click();
    QCOMPARE(child(project.get(), "backgroundColour")->text(), QString("#123456"));
    QCOMPARE(child<CStaticColorPreview>(project.get(), "backgroundColourPreview")->shownColour(), QColor(0x123456));
    child<QPushButton>(project.get(), "linkColourStandard")->click();
    QCOMPARE(child(project.get(), "linkColour")->text(), QString("(Standard)"));
    QCOMPARE(child<CStaticColorPreview>(project.get(), "linkColourPreview")->shownColour(), pageQColor());
    child<QPushButton>(project.get(), "textSizeStandard")->click();
    QCOMPARE(project->values.style[pv::kTextSizeRow].value, std::string("12px"));
  }

  void fontValueSelectsItsListEntry() {
    auto* font = child<QComboBox>(project.get(), "font");
    project->values.style[pv::kFontRow].value = "times";
    project->showPage();
    QCOMPARE(font->currentText(), QString("Times New Roman"));
    QVERIFY(project->readPage());
    QCOMPARE(project->values.style[pv::kFontRow].value, std::string("Times New Roman"));
    project->values.style[pv::kFontRow].value = "Fira Sans";
    project->showPage();
    QCOMPARE(font->currentText(), QString("Fira Sans"));
  }

  void watermarkFileComesOnlyFromItsButtons() {
    QLineEdit* file = child(image.get(), "watermarkFile");
    QVERIFY(file->isReadOnly());
    scripted.files.push_back("/bilder/zeichen.png");
    child<QPushButton>(image.get(), "chooseWatermark")->click();
    QCOMPARE(file->text(), QString("/bilder/zeichen.png"));
    QVERIFY(scripted.fileFilters.back().startsWith("All Image Formats (*.jpg *.jpeg *.jif *.jpe *.gif"));
    QVERIFY(scripted.fileFilters.back().endsWith(";;Adobe Photoshop (*.psd) (*.psd)"));
    child<QPushButton>(image.get(), "chooseWatermark")->click();  // cancelled
    QCOMPARE(image->values.watermarkFile, std::string("/bilder/zeichen.png"));
    child<QPushButton>(image.get(), "clearWatermark")->click();
    QCOMPARE(file->text(), QString());
    QCOMPARE(image->values.watermarkFile, std::string());
  }

  // The presets for today's screens choose WebP and leave the choice open;
  // the older ones keep the format locked.
  void presetsForTodaysScreensOfferWebPAndTheChoice() {
    QComboBox* format = child<QComboBox>(image.get(), "format");
    for (const auto& [number, text, open] : {std::tuple{4004, "WebP Image Format (*.webp)", true},
                                             std::tuple{4001, "JPEG Image Format (*.jpg)", false}}) {
      std::string preset;
      QVERIFY(pv::readWholeFile(PICOVAND_SOURCE_DIR "/resources/CONFIG/" + std::to_string(number) + ".config", preset));
      program.preset(number, preset);
      pv::loadPreset(*state, number, image->values, project->values);
      image->showPage();
      QCOMPARE(format->currentText(), QString(text));
      QCOMPARE(format->isEnabled(), open);
    }
    choose(format, 0);
    QCOMPARE(image->values.format, 0);
  }
};

PV_GUI_TEST(SettingsPagesTest);
#include "SettingsPagesTest.moc"
