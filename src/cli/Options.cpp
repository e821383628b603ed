#include "cli/Options.h"

#include "cli/Console.h"
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

// One of the words of a list "a|b|c", ignoring case; returns its index.
std::string readChoice(const std::string& text, std::string_view words, int& out) {
  std::string list;
  int i = 0;
  for (size_t from = 0; from <= words.size(); ++i) {
    const size_t bar = std::min(words.find('|', from), words.size());
    const std::string w(words.substr(from, bar - from));
    if (equalsNoCase(trimWhite(text), w)) {
      out = i;
      return {};
    }
    list += (i ? ", " : "") + w;
    from = bar + 1;
  }
  return "'" + text + "' is none of " + list;
}

std::string setSize(Pages& p, const Field& field, const std::string& text) {
  int row = 0;
  while (row < 2 && std::get<int*>(field.value({&p.image, &p.project})) != &p.image.sizes[row].width) ++row;
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
  // A box of 0 would be "off": the least size is 1.
  const int lo = std::max(1, field.lo);
  size_t x = t.find('x');
  int w = 0, h = 0;
  std::string error = x == std::string::npos ? "'" + text + "' is not WxH, off" + (row ? " or original" : "")
                                              : readNumber(t.substr(0, x), lo, field.hi, w);
  if (error.empty()) error = readNumber(t.substr(x + 1), lo, field.hi, h);
  if (!error.empty()) return error;
  chooseSize(p.image, row, 1);  // "(Benutzer)": the fields take the typed box
  p.image.sizes[row].width = w;
  p.image.sizes[row].height = h;
  return {};
}

std::string setPrefix(std::string& prefix, const std::string& text) {
  if (text.find_first_of(kForbiddenNameChars) != std::string::npos)
    return "'" + text + "' holds a character a file name cannot have (\\ / : * ? \" < > |)";
  prefix = text;
  return {};
}

std::string setColour(std::string& value, const std::string& text) {
  const std::string t = trimWhite(text);
  if (equalsNoCase(t, "standard") || t == kStandard) {
    value = kStandard;
    return {};
  }
  auto rgb = parseColourText(t);
  if (!rgb || t.find_first_not_of("#0123456789abcdefABCDEF") != std::string::npos)
    return "'" + text + "' is not a colour: give #RRGGBB or standard";
  value = colourText(*rgb);
  return {};
}

// Font names and CSS sizes go into style rules: nothing that could end one.
std::string setStyleText(std::string& value, const std::string& text, bool font) {
  const std::string t = trimWhite(text);
  if (t.empty() || t.find_first_of("\"<>{};") != std::string::npos) return "'" + text + "' cannot be used here";
  value = equalsNoCase(t, "standard") || t == kStandard ? std::string(kStandard) : font ? fontChoiceFor(t) : t;
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
      if (std::string e = readChoice(word, "iptc|comment|exif|filename", which); !e.empty()) return e;
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

// A settings field set from the text given for its option, read as its kind says.
std::string applyField(const Field& f, Pages& p, const std::string& t) {
  const FieldValue value = f.value({&p.image, &p.project});
  auto text = [&]() -> std::string& { return *std::get<std::string*>(value); };
  switch (f.kind) {
    case FieldKind::Number: return readNumber(t, f.lo, f.hi, *std::get<int*>(value));
    case FieldKind::Choice: return readChoice(t, f.argument, *std::get<int*>(value));
    case FieldKind::Switch: *std::get<bool*>(value) = true; return {};
    case FieldKind::Text: text() = t; return {};
    case FieldKind::Prefix: return setPrefix(text(), t);
    case FieldKind::Picture:
      if (formatFromFileName(t) == FIF_UNKNOWN) return "'" + t + "' is not an image file";
      return setExistingFile(text(), t);
    case FieldKind::WebPage: {
      OwnPageCheck c = checkOwnPage(t);
      if (!c.ok) return withReason(c.message, c.path);
      text() = absolutePath(c.path);
      return {};
    }
    case FieldKind::Colour: return setColour(text(), t);
    case FieldKind::Font: return setStyleText(text(), t, true);
    case FieldKind::CssSize: return setStyleText(text(), t, false);
    case FieldKind::Size: return setSize(p, f, t);
    case FieldKind::Captions: return setCaptions(p, t);
    case FieldKind::State: break;
  }
  return "cannot be set";
}

ValueOption fieldOption(const Field& f) {
  return {f.option, f.argument ? f.argument : "", optionLabel(f), fieldText(f.help, f),
          [&f](const Pages& p) { return f.enabled && !f.enabled({&p.image, &p.project}); },
          [&f](Pages& p, const std::string& t) { return applyField(f, p, t); }};
}

bool never(const Pages&) { return false; }

// The options of values outside the settings pages, each placed after the
// field option it belongs with.
struct ExtraOption {
  const char* after;
  ValueOption option;
};

#define PAGES_APPLY(body) [](Pages& p, const std::string& t) -> std::string { body }
#define PAGES_LOCK(cond) [](const Pages& p) -> bool { return cond; }

const ExtraOption kExtraOptions[] = {
    // Caption metadata dialog.
    {"offsetY", {"--iptc-title", "TEXT", "IPTC: Titel", "IPTC object name of every JPEG written (XMP title of WebP and AVIF)", never,
                 PAGES_APPLY(p.state.iptcTitle = trimBlanks(t); return {};)}},
    {"offsetY", {"--iptc-caption", "TEXT", "IPTC: Kommentar", "IPTC caption (EXIF/XMP description of WebP and AVIF); <IMAGE> writes each image's own caption",
                 never, PAGES_APPLY(p.state.iptcCaption = trimBlanks(t); return {};)}},
    {"offsetY", {"--iptc-author", "TEXT", "IPTC: Autor", "IPTC by-line (EXIF artist, XMP creator of WebP and AVIF)", never,
                 PAGES_APPLY(p.state.iptcAuthor = trimBlanks(t); return {};)}},
    {"offsetY", {"--iptc-copyright", "TEXT", "IPTC: Coypright", "IPTC copyright notice (EXIF copyright, XMP rights of WebP and AVIF)", never,
                 PAGES_APPLY(p.state.iptcCopyright = trimBlanks(t); return {};)}},
    {"offsetY", {"--jpeg-comment", "TEXT", "JPEG: Kommentar", "JPEG comment (EXIF user comment of WebP and AVIF); <IMAGE> writes each image's own caption",
                 never, PAGES_APPLY(p.state.jpegComment = trimBlanks(t); return {};)}},
    {"crossFade", {"--no-cross-fade", "", "Überblendeffekt benutzen", "slideshow images change without fading",
                   PAGES_LOCK(!p.project.slideshowEnabled),
                   PAGES_APPLY((void)t; p.project.crossFade = false; return {};)}},
    // The own page dialog's control set.
    {"ownWebPage", {"--control-set", "N", "Steuerelemente",
                    "navigation buttons of your own web page (default 101; picovand-cli control-sets lists them)",
                    PAGES_LOCK(!p.project.ownWebPageEnabled), PAGES_APPLY(return setControlSet(p, t);)}},
};

}  // namespace

const std::vector<ValueOption>& valueOptions() {
  static const std::vector<ValueOption> options = [] {
    std::vector<ValueOption> list;
    for (const Field& f : settingsFields()) {
      if (f.option) list.push_back(fieldOption(f));
      for (const ExtraOption& extra : kExtraOptions)
        if (std::string_view(extra.after) == f.name) list.push_back(extra.option);
    }
    return list;
  }();
  return options;
}

std::vector<std::string> buildOptionNames() {
  std::vector<std::string> names = {"--preset", "--output",    "--import", "--recursive", "--albums",   "--force",
                                    "--overwrite", "--full", "--project", "--save-project", "--no-config"};
  names.insert(names.end(), std::begin(kOutputOptions), std::end(kOutputOptions));
  for (const ValueOption& o : valueOptions()) names.push_back(o.name);
  return names;
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
    } else if (arg == "--force" || arg == "--overwrite" || arg == "--full" || arg == "--no-config") {
      if (!noValue().empty()) return noValue();
      (arg == "--force" ? r.force : arg == "--overwrite" ? r.overwrite : arg == "--full" ? r.full : r.noConfig) = true;
    } else if (takeOutputOption(arg)) {
      if (!noValue().empty()) return noValue();
    } else {
      const ValueOption* option = nullptr;
      for (const ValueOption& o : valueOptions())
        if (arg == o.name) option = &o;
      if (!option) return "unknown option " + arg + didYouMean(arg, buildOptionNames()) + " (see picovand-cli --help)";
      std::string v;
      if (!option->argument.empty() && !takeValue(v)) return arg + " needs a value (" + option->argument + ")";
      if (option->argument.empty() && !noValue().empty()) return noValue();
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
      "  picovand-cli [-q|-v] [--json] COMMAND ...\n"
      "      -q, -v and --json may also stand among the command's options (see Output)\n"
      "  picovand-cli --version\n"
      "      prints the program's name and version\n"
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
      if (o.name == groups[g]) h += std::string("\n") + groups[g + 1] + "\n";
    line(o.name + (o.argument.empty() ? "" : " " + o.argument), o.label, o.help);
  }
  h += "\nBuilding:\n";
  line("--force", "", "set values the preset locks (their fields are disabled in the window)");
  line("--overwrite", "",
       "build into an existing non-empty DIR (same-named files are replaced); replace an existing\n"
       "        --save-project FILE");
  line("--project FILE", "Projekt öffnen", "start from a saved project (.pvproj)");
  line("--save-project FILE", "Projekt speichern unter", "save the project before building");
  line("--full", "", "convert every image again, even those an earlier build into DIR left unchanged");
  line("--no-config", "", "leave out the defaults of the window's config.ini (see Settings)");
  h += "\nOutput:\n";
  line("-q, --quiet", "", "only errors and the pictures left out; nothing at all when everything went well");
  line("-v, --verbose", "", "also the settings read and each step of the build with its time");
  line("--json", "",
       "one JSON object on stdout at the end and nothing else there (messages stay on stderr):\n"
       "        command, result (success, partial, failed, invalid, cancelled), exitStatus, error;\n"
       "        for build: outputFolder, startPage, projectSaved, images {converted, reused, leftOut},\n"
       "        leftOut and notTaken [{path, reason}], damaged [path], files, folders, bytes;\n"
       "        for upload: address, dryRun, sent, removed, bytes, notSent [{path, reason}],\n"
       "        toSend [{path, size}], toRemove [path]; for presets and control-sets: their lists.\n"
       "        A reason is one of unreadable, missing, type-not-read, not-converted, not-reached,\n"
       "        not-a-picture, video, type-not-chosen, hidden, output-folder");
  line("--version", "", "the program's name and version");
  line("--help", "", "this text");
  h += "\nSettings:\n"
       "  Like the window, picovand-cli reads the defaults the window keeps in config.ini, in\n"
       "  $XDG_CONFIG_HOME/Corvane/Pico Vand/ (else ~/.config/Corvane/Pico Vand/config.ini): the IPTC\n"
       "  title, caption, author and copyright and the JPEG comment go into every JPEG, WebP and AVIF\n"
       "  written (as EXIF and XMP in the latter two) unless\n"
       "  the options of \"IPTC/JPEG Bildbeschreibung bearbeiten\" replace them; the project folder\n"
       "  chosen in the window is the default one. --no-config leaves them out. Options, a --project\n"
       "  FILE and the preset decide everything else.\n";
  h += "\nExit status:\n"
       "  0    success: the gallery holds every picture given (files that are no pictures, videos and\n"
       "       hidden files of an --import folder are not counted)\n"
       "  1    failure: a file could not be written (with the system's reason), or the upload did not\n"
       "       finish; the previous gallery is left as it was\n"
       "  2    bad input: a value outside its range, a missing file or folder, an unknown option or\n"
       "       preset, a value the preset locks, no readable picture; nothing on disk is touched\n"
       "  3    partial: the gallery was built, but pictures given were left out (unreadable, missing,\n"
       "       of a type that is not read, or not convertible); they are named on stderr and in --json\n"
       "  130  cancelled: Ctrl+C during the build skips the remaining images and still writes the pages\n"
       "\nA DIR that an earlier build wrote is built into again without --overwrite: only the images whose\n"
       "inputs changed are converted, and the files that build wrote and this one does not are removed.\n";
  return h;
}

}  // namespace pvcli
