#include "cli/Options.h"

#include "cli/Upload.h"

#include <filesystem>

#include "state/AppState.h"
#include "model/Image.h"
#include "pages/ControlSets.h"
#include "pages/OwnPage.h"
#include "util/FileSystem.h"
#include "util/Text.h"

using namespace pv;

namespace pvcli {

namespace {

std::string absolutePath(const std::string& path) {
  std::error_code ec;
  std::string p = std::filesystem::absolute(path, ec).string();
  return ec ? path : p;
}

// A decimal number within lo..hi, digits only (as the window's number fields).
std::string readNumber(const std::string& text, int lo, int hi, int& out) {
  const std::string t = trimWhite(text);
  const std::string range = format("a whole number from %d to %d", lo, hi);
  if (t.empty() || t.size() > 7 || t.find_first_not_of("0123456789") != std::string::npos)
    return "'" + text + "' is not " + range;
  int v = std::stoi(t);
  if (v < lo || v > hi) return t + " is out of range: give " + range;
  out = v;
  return {};
}

// One of a fixed list of words, ignoring case; returns its index.
std::string readChoice(const std::string& text, std::initializer_list<const char*> words, int& out) {
  std::string list;
  int i = 0;
  for (const char* w : words) {
    if (equalsNoCase(trimWhite(text), w)) {
      out = i;
      return {};
    }
    list += (i++ ? ", " : "") + std::string(w);
  }
  return "'" + text + "' is none of " + list;
}

std::string setSize(Pages& p, int row, const std::string& text) {
  const std::string t = toLower(trimWhite(text));
  if (t == "off") {
    chooseSize(p.image, row, 0);
    return {};
  }
  if (t == "original") {
    if (row == kSizeA) return "size A has no 'original': give WxH (9999x9999 copies the source files)";
    chooseSize(p.image, row, 2);
    return {};
  }
  size_t x = t.find('x');
  int w = 0, h = 0;
  std::string error = x == std::string::npos ? "'" + text + "' is not WxH, off" + (row ? " or original" : "")
                                              : readNumber(t.substr(0, x), 1, 9999, w);
  if (error.empty()) error = readNumber(t.substr(x + 1), 1, 9999, h);
  if (!error.empty()) return error;
  chooseSize(p.image, row, 1);  // "(Benutzer)": the fields take the typed box
  p.image.sizes[row].width = w;
  p.image.sizes[row].height = h;
  return {};
}

std::string setPrefix(Pages& p, int row, const std::string& text) {
  if (text.find_first_of(kForbiddenNameChars) != std::string::npos)
    return "'" + text + "' holds a character a file name cannot have (\\ / : * ? \" < > |)";
  p.image.sizes[row].prefix = text;
  return {};
}

std::string setNumber(int& field, const std::string& text, int lo, int hi) { return readNumber(text, lo, hi, field); }

std::string setColour(StyleValue& v, const std::string& text) {
  const std::string t = trimWhite(text);
  if (equalsNoCase(t, "standard") || t == kStandard) {
    v.value = kStandard;
    return {};
  }
  auto rgb = parseColourText(t);
  if (!rgb || t.find_first_not_of("#0123456789abcdefABCDEF") != std::string::npos)
    return "'" + text + "' is not a colour: give #RRGGBB or standard";
  v.value = colourText(*rgb);
  return {};
}

// Font names and CSS sizes go into style rules: nothing that could end one.
std::string setStyleText(StyleValue& v, const std::string& text, bool font) {
  const std::string t = trimWhite(text);
  if (t.empty() || t.find_first_of("\"<>{};") != std::string::npos) return "'" + text + "' cannot be used here";
  v.value = equalsNoCase(t, "standard") || t == kStandard ? std::string(kStandard) : font ? fontChoiceFor(t) : t;
  return {};
}

std::string setCaptions(Pages& p, const std::string& text) {
  CaptionSources c{false, false, false, false};
  if (!equalsNoCase(trimWhite(text), "none")) {
    size_t from = 0;
    while (from <= text.size()) {
      size_t comma = text.find(',', from);
      std::string word = trimWhite(text.substr(from, comma == std::string::npos ? std::string::npos : comma - from));
      int which = 0;
      if (std::string e = readChoice(word, {"iptc", "comment", "exif", "filename"}, which); !e.empty()) return e;
      bool* flags[] = {&c.captionFromIptc, &c.captionFromJpegComment, &c.captionFromExif, &c.captionFromFileName};
      *flags[which] = true;
      if (comma == std::string::npos) break;
      from = comma + 1;
    }
  }
  if (c.captionFromFileName && (c.captionFromIptc || c.captionFromJpegComment || c.captionFromExif))
    return "filename cannot be combined with iptc, comment or exif";
  p.project.captions = c;
  return {};
}

// A message about a file with the system's reason added, when there is one
// ("File name too long", "is not a regular file").
std::string withReason(const std::string& message, const std::string& path) {
  const std::string problem = path.empty() ? std::string() : fileProblem(path);
  return problem.empty() ? message : message + " ('" + path + "': " + problem + ")";
}

std::string setExistingFile(std::string& field, const std::string& text) {
  if (const std::string problem = fileProblem(text); !problem.empty()) return "'" + text + "': " + problem;
  field = absolutePath(text);
  return {};
}

// Only a set with a description file: its buttons are what the pages show.
std::string setControlSet(Pages& p, const std::string& text) {
  int n = 0;
  if (std::string e = readNumber(text, 0, 9999, n); !e.empty()) return e;
  for (const ControlSetEntry& set : listControlSets(p.state.settings.ctrlFolder))
    if (set.id == n) {
      p.state.settings.controlSet = n;
      return {};
    }
  return format("no control set %d is installed (picovand-cli control-sets lists them)", n);
}

bool never(const Pages&) { return false; }

#define PAGES_APPLY(body) [](Pages& p, const std::string& t) -> std::string { body }
#define PAGES_LOCK(cond) [](const Pages& p) -> bool { return cond; }

}  // namespace

const std::vector<ValueOption>& valueOptions() {
  static const std::vector<ValueOption> options = {
      // Image settings page.
      {"--size-a", "WxH|off", "Bild A", "box of the thumbnails in pixels",
       PAGES_LOCK(!p.image.sizes[kSizeA].rowEnabled), PAGES_APPLY(return setSize(p, kSizeA, t);)},
      {"--size-b", "WxH|off|original", "Bild B", "box of the large images; original copies the source files",
       PAGES_LOCK(!p.image.sizes[kSizeB].rowEnabled), PAGES_APPLY(return setSize(p, kSizeB, t);)},
      {"--size-c", "WxH|off|original", "Bild C", "box of a third size",
       PAGES_LOCK(!p.image.sizes[kSizeC].rowEnabled), PAGES_APPLY(return setSize(p, kSizeC, t);)},
      {"--prefix-a", "TEXT", "Datei-Prefix (Bild A)", "file name prefix of size A (default pcva)", never,
       PAGES_APPLY(return setPrefix(p, kSizeA, t);)},
      {"--prefix-b", "TEXT", "Datei-Prefix (Bild B)", "file name prefix of size B (default pcvb)", never,
       PAGES_APPLY(return setPrefix(p, kSizeB, t);)},
      {"--prefix-c", "TEXT", "Datei-Prefix (Bild C)", "file name prefix of size C (default pcvc)", never,
       PAGES_APPLY(return setPrefix(p, kSizeC, t);)},
      {"--image-folder", "NAME", "Ablageordner", "sub-folder of the output that holds the images (default images)",
       never, PAGES_APPLY(p.image.imageFolder = t; return {};)},
      {"--filter", "box|bicubic|bilinear|bspline", "Algorithmus", "scaling filter (default bilinear)", never,
       PAGES_APPLY(return readChoice(t, {"box", "bicubic", "bilinear", "bspline"}, p.image.resizeFilter);)},
      {"--format", "jpg|png|bmp|tif|gif", "Bildformat", "format of the written images (default jpg)",
       PAGES_LOCK(!p.image.formatEnabled),
       PAGES_APPLY(return readChoice(t, {"jpg", "png", "bmp", "tif", "gif"}, p.image.format);)},
      {"--no-enlarge", nullptr, "Kleine Bilder nicht vergrößern",
       "a picture smaller than its box keeps its own size", never,
       PAGES_APPLY((void)t; p.image.noEnlarge = true; return {};)},
      {"--strip-gps", nullptr, "Standortdaten entfernen",
       "the unchanged copies of a size 'original' lose their GPS data, nothing else", never,
       PAGES_APPLY((void)t; p.image.stripGps = true; return {};)},
      {"--quality", "Q", "Bildqualität", "JPEG quality 25..100 (default 75)", never,
       PAGES_APPLY(return setNumber(p.image.quality, t, 25, 100);)},
      {"--watermark", "FILE", "Wasserzeichen: Bilddatei", "picture put onto every written image", never,
       PAGES_APPLY(if (formatFromFileName(t) == FIF_UNKNOWN) return "'" + t + "' is not an image file";
                   return setExistingFile(p.image.watermarkFile, t);)},
      {"--watermark-position", "N", "Wasserzeichen: Position",
       "0 Zentriert, 1 Oben-Links, 2 Oben-Mitte, 3 Oben-Rechts, 4 Links, 5 Rechts, 6 Unten-Links, 7 Unten-Mitte, "
       "8 Unten-Rechts",
       never, PAGES_APPLY(return setNumber(p.image.watermarkPosition, t, 0, 8);)},
      {"--transparency", "N", "Wasserzeichen: Transparenz", "blend factor of the watermark 1..255 (default 150)",
       never, PAGES_APPLY(return setNumber(p.image.transparency, t, 1, 255);)},
      {"--watermark-size", "N", "Wasserzeichen: Grösse", "watermark size in percent 1..100 (default 50)", never,
       PAGES_APPLY(return setNumber(p.image.watermarkSize, t, 1, 100);)},
      {"--offset-x", "N", "Wasserzeichen: Abstand X", "horizontal distance from the edge 0..200", never,
       PAGES_APPLY(return setNumber(p.image.offsetX, t, 0, 200);)},
      {"--offset-y", "N", "Wasserzeichen: Abstand Y", "vertical distance from the edge 0..200", never,
       PAGES_APPLY(return setNumber(p.image.offsetY, t, 0, 200);)},
      // Caption metadata dialog.
      {"--iptc-title", "TEXT", "IPTC: Titel", "IPTC object name of every JPEG written", never,
       PAGES_APPLY(p.state.iptcTitle = trimBlanks(t); return {};)},
      {"--iptc-caption", "TEXT", "IPTC: Kommentar", "IPTC caption; <IMAGE> writes each image's own caption", never,
       PAGES_APPLY(p.state.iptcCaption = trimBlanks(t); return {};)},
      {"--iptc-author", "TEXT", "IPTC: Autor", "IPTC by-line", never,
       PAGES_APPLY(p.state.iptcAuthor = trimBlanks(t); return {};)},
      {"--iptc-copyright", "TEXT", "IPTC: Coypright", "IPTC copyright notice", never,
       PAGES_APPLY(p.state.iptcCopyright = trimBlanks(t); return {};)},
      {"--jpeg-comment", "TEXT", "JPEG: Kommentar", "JPEG comment; <IMAGE> writes each image's own caption", never,
       PAGES_APPLY(p.state.jpegComment = trimBlanks(t); return {};)},
      // Project settings page.
      {"--columns", "N", "Spaltenanzahl", "images per table row 1..100", PAGES_LOCK(!p.project.tableSizeEnabled),
       PAGES_APPLY(return setNumber(p.project.columns, t, 1, 100);)},
      {"--rows", "N", "Zeilenanzahl", "table rows per page 0..100 (0: all on one page)",
       PAGES_LOCK(!p.project.tableSizeEnabled), PAGES_APPLY(return setNumber(p.project.rowsPerPage, t, 0, 100);)},
      {"--table-width", "N", "Tabellenbreite", "table width in pixels 0..10000 (0: full width)",
       PAGES_LOCK(!p.project.tableWidthEnabled), PAGES_APPLY(return setNumber(p.project.tableWidth, t, 0, 10000);)},
      {"--table-border", "N", "Tabellenrand", "table border in pixels 0..10", PAGES_LOCK(!p.project.tableBorderEnabled),
       PAGES_APPLY(return setNumber(p.project.tableBorder, t, 0, 10);)},
      {"--cell-spacing", "N", "Zellenabstand", "cell spacing in pixels 0..100",
       PAGES_LOCK(!p.project.cellSpacingEnabled), PAGES_APPLY(return setNumber(p.project.cellSpacing, t, 0, 100);)},
      {"--cell-padding", "N", "Textabstand", "cell padding in pixels 0..100", PAGES_LOCK(!p.project.cellPaddingEnabled),
       PAGES_APPLY(return setNumber(p.project.cellPadding, t, 0, 100);)},
      {"--background-color", "#RRGGBB|standard", "Hintergrundfarbe", "page background",
       PAGES_LOCK(!p.project.style[kBackgroundRow].enabled),
       PAGES_APPLY(return setColour(p.project.style[kBackgroundRow], t);)},
      {"--foreground-color", "#RRGGBB|standard", "Vordergrundfarbe", "table and border colour",
       PAGES_LOCK(!p.project.style[kForegroundRow].enabled),
       PAGES_APPLY(return setColour(p.project.style[kForegroundRow], t);)},
      {"--font", "NAME|standard", "Schriftart", "font family of the page texts",
       PAGES_LOCK(!p.project.style[kFontRow].enabled),
       PAGES_APPLY(return setStyleText(p.project.style[kFontRow], t, true);)},
      {"--text-color", "#RRGGBB|standard", "Schriftfarbe", "text colour",
       PAGES_LOCK(!p.project.style[kTextColourRow].enabled),
       PAGES_APPLY(return setColour(p.project.style[kTextColourRow], t);)},
      {"--link-color", "#RRGGBB|standard", "Link Color", "link colour",
       PAGES_LOCK(!p.project.style[kLinkColourRow].enabled),
       PAGES_APPLY(return setColour(p.project.style[kLinkColourRow], t);)},
      {"--text-size", "SIZE|standard", "Textgrösse", "text size as a CSS size, e.g. 12px",
       PAGES_LOCK(!p.project.style[kTextSizeRow].enabled),
       PAGES_APPLY(return setStyleText(p.project.style[kTextSizeRow], t, false);)},
      {"--captions", "iptc,comment,exif,filename|none", "Bildkommentar",
       "where captions come from, tried in this order; filename stands alone (default iptc,comment)", never,
       PAGES_APPLY(return setCaptions(p, t);)},
      {"--no-javascript", nullptr, "Kein Javascript benutzen", "pages without scripts",
       PAGES_LOCK(!p.project.noScriptEnabled), PAGES_APPLY((void)t; p.project.noScript = true; return {};)},
      {"--display-time", "MS", "Dauer der Bildeinblendung", "slideshow time per image 1000..120000 ms",
       PAGES_LOCK(!p.project.slideshowEnabled), PAGES_APPLY(return setNumber(p.project.displayTime, t, 1000, 120000);)},
      {"--cross-fade", nullptr, "Überblendeffekt benutzen", "slideshow images fade into each other",
       PAGES_LOCK(!p.project.slideshowEnabled), PAGES_APPLY((void)t; p.project.crossFade = true; return {};)},
      {"--no-cross-fade", nullptr, "Überblendeffekt benutzen", "slideshow images change without fading",
       PAGES_LOCK(!p.project.slideshowEnabled), PAGES_APPLY((void)t; p.project.crossFade = false; return {};)},
      {"--page", "FILE", "Webseite", "your own web page holding ##PICOVAND## (own-page presets)",
       PAGES_LOCK(!p.project.ownWebPageEnabled), PAGES_APPLY(OwnPageCheck c = checkOwnPage(t);
                                                             if (!c.ok) return withReason(c.message, c.path);
                                                             p.project.ownWebPage = absolutePath(c.path); return {};)},
      {"--control-set", "N", "Steuerelemente",
       "navigation buttons of your own web page (default 101; picovand-cli control-sets lists them)",
       PAGES_LOCK(!p.project.ownWebPageEnabled), PAGES_APPLY(return setControlSet(p, t);)},
  };
  return options;
}

std::string parseBuildArguments(const std::vector<std::string>& args, BuildRequest& r) {
  bool optionsEnded = false;
  for (size_t i = 0; i < args.size(); ++i) {
    std::string arg = args[i];
    if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
      r.inputs.push_back({arg});
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    std::string value;
    bool hasValue = false;
    if (size_t eq = arg.find('='); startsWith(arg, "--") && eq != std::string::npos) {
      value = arg.substr(eq + 1);
      arg = arg.substr(0, eq);
      hasValue = true;
    }
    auto takeValue = [&](std::string& out) -> bool {
      if (hasValue) {
        out = value;
        return true;
      }
      if (i + 1 >= args.size()) return false;
      out = args[++i];
      return true;
    };
    auto noValue = [&] { return hasValue ? arg + " takes no value" : std::string(); };

    if (arg == "--preset" || arg == "--output" || arg == "--import" || arg == "--project" ||
        arg == "--save-project") {
      std::string v;
      if (!takeValue(v)) return arg + " needs a value";
      if (arg == "--preset") {
        int n = 0;
        if (std::string e = readNumber(v, 0, 999999, n); !e.empty()) return "--preset: " + e;
        r.preset = n;
      } else if (arg == "--output") {
        r.output = v;
      } else if (arg == "--project") {
        r.project = v;
      } else if (arg == "--save-project") {
        r.saveProject = v;
      } else {
        r.inputs.push_back({v, true});
      }
    } else if (arg == "--recursive" || arg == "--albums") {
      if (!noValue().empty()) return noValue();
      if (r.inputs.empty() || !r.inputs.back().folder) return arg + " belongs after --import FOLDER";
      if (arg == "--recursive") r.inputs.back().recursive = true;
      else if (!r.inputs.back().recursive) return "--albums makes albums of sub-folders: give --recursive first";
      else r.inputs.back().albums = true;
    } else if (arg == "--force" || arg == "--overwrite" || arg == "--full") {
      if (!noValue().empty()) return noValue();
      (arg == "--force" ? r.force : arg == "--overwrite" ? r.overwrite : r.full) = true;
    } else {
      const ValueOption* option = nullptr;
      for (const ValueOption& o : valueOptions())
        if (arg == o.name) option = &o;
      if (!option) return "unknown option " + arg + " (see picovand-cli --help)";
      std::string v;
      if (option->argument && !takeValue(v)) return arg + " needs a value (" + option->argument + ")";
      if (!option->argument && !noValue().empty()) return noValue();
      r.values.emplace_back(option, v);
    }
  }
  if (r.preset < 0 && r.project.empty())
    return "--preset N is required unless --project FILE gives it (picovand-cli presets lists them)";
  if (r.output.empty() && r.project.empty() && r.saveProject.empty())
    return "--output DIR is required unless --project FILE gives it or --save-project FILE only saves";
  return {};
}

namespace {
std::string padded(const std::string& s, size_t width) {
  return s + std::string(width > s.size() ? width - s.size() : 1, ' ');
}
}  // namespace

std::string helpText() {
  std::string h =
      "picovand-cli: builds a web photo gallery without the window, with the same engine.\n"
      "\n"
      "Usage:\n"
      "  picovand-cli presets\n"
      "      lists the installed presets by family, with their numbers\n"
      "  picovand-cli control-sets\n"
      "      lists the installed navigation button sets of the own web page presets\n"
      "  picovand-cli build --preset N --output DIR [FILE...] [--import FOLDER [--recursive] [--albums]]...\n"
      "                     [OPTION...]\n"
      "      builds the gallery into the folder DIR; the folder above it is the project folder and\n"
      "      must exist, the name of DIR is the project name\n"
      "  picovand-cli build --project FILE [--output DIR] [FILE...] [OPTION...]\n"
      "      builds a saved project; every option given replaces the project's value, --preset\n"
      "      chooses another project type as the window does (its values replace the page values)\n"
      "  picovand-cli build ... --save-project FILE\n"
      "      saves the project the command line describes, to open it in the window; without\n"
      "      --output and --project nothing is built\n";
  h += uploadHelpText();
  h +=
      "\n"
      "Each option sets what the window shows under the German label beside it; the window's\n"
      "defaults and the preset's values apply to everything not given.\n"
      "\n";
  auto line = [&](const std::string& option, const std::string& label, const std::string& help) {
    h += "  " + (label.empty() ? option : padded(option, 42) + label) + "\n        " + help + "\n";
  };
  h += "Projektauswahl, Erstellen, Bild- und Albumauswahl:\n";
  line("--preset N", "Projektauswahl", "the preset (picovand-cli presets)");
  line("--output DIR", "Projektordner + Projektname", "where the gallery goes (the Ausgabeordner)");
  line("FILE...", "Bilder hinzufügen", "images added to the top album, in this order");
  line("--import FOLDER", "Ordner hinzufügen", "every image of the folder, by name");
  line("  --recursive", "Unterverzeichnisse einbeziehen", "with the images of all sub-folders");
  line("  --albums", "Erzeuge Alben aus Unterverzeichnissen", "each sub-folder becomes an album");
  const char* const groups[] = {"--size-a", "Bild - Einstellungen:", "--iptc-title",
                                "IPTC/JPEG Bildbeschreibung bearbeiten:", "--columns", "Projekt - Einstellungen:"};
  for (const ValueOption& o : valueOptions()) {
    for (size_t g = 0; g < std::size(groups); g += 2)
      if (std::string(o.name) == groups[g]) h += std::string("\n") + groups[g + 1] + "\n";
    line(std::string(o.name) + (o.argument ? std::string(" ") + o.argument : ""), o.label, o.help);
  }
  h += "\nBuilding:\n";
  line("--force", "", "set values the preset locks (their fields are disabled in the window)");
  line("--overwrite", "",
       "build into an existing non-empty DIR (same-named files are replaced); replace an existing\n"
       "        --save-project FILE");
  line("--project FILE", "Projekt öffnen", "start from a saved project (.pvproj)");
  line("--save-project FILE", "Projekt speichern unter", "save the project before building");
  line("--full", "", "convert every image again, even those an earlier build into DIR left unchanged");
  line("--help", "", "this text");
  h += "\nA value outside its range, a missing file or folder, an unknown or family preset, or a value\n"
       "the preset locks ends the program with a message and exit status 2; nothing on disk is touched.\n"
       "Ctrl+C during the build skips the remaining images; the pages are still written (exit status 130).\n"
       "A DIR that an earlier build wrote is built into again without --overwrite: only the images whose\n"
       "inputs changed are converted, and the files that build wrote and this one does not are removed.\n";
  return h;
}

}  // namespace pvcli
