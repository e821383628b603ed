#include "pages/PageEngine.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <random>

#include "pages/Template.h"
#include "util/FileSystem.h"
#include "settings/Product.h"
#include "util/Text.h"

namespace pv {

std::string pageFileName(const ProjectSettings& s, int n) { return format("%s%05d.htm", s.fileTag.c_str(), n); }

std::string slidePageFileName(const ProjectSettings& s, int n) {
  return format("%s-sld-%05d.htm", s.fileTag.c_str(), n);
}

std::string templatePath(const ProjectSettings& s, const char* name) {
  return format("%s%d/%s", s.draftsFolder.c_str(), s.presetNumber, name);
}

std::string templateImageFolder(const ProjectSettings& s) {
  return format("%s/_pcv_%d", s.imageFolderName.c_str(), s.presetNumber);
}

std::string controlFolder(const ProjectSettings& s) {
  return format("%s/_ctrl_%04d/", s.imageFolderName.c_str(), s.controlSet);
}

namespace {

std::string numberLinks(const ProjectSettings& s, int first, int last, int current, const char* linkFormat) {
  int start = first, end = last;
  if (last - first > 8) {
    start = current - first > 4 ? current - 4 : first;
    end = start + 8;
    if (end > last) {
      start = last - 8;
      end = last;
    }
  }
  std::string out;
  for (int p = start; p <= end; ++p) {
    // The current number keeps its brackets for pages without a style of
    // their own, and says what it is to screen readers and stylesheets.
    out += p == current ? format("[<span aria-current=\"page\">%d</span>]\n", p - first + 1)
                        : format(linkFormat, s.fileTag.c_str(), p, p - first + 1);
    if (p < end) out += " | ";
  }
  return out;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }
}  // namespace

bool isChosen(const std::string& v) { return !v.empty() && v != kStandard; }

std::string pageNumberLinks(const ProjectSettings& s, int first, int last, int current) {
  return numberLinks(s, first, last, current, "<a href=\"%s%05d.htm\">%d</a> \n");
}

std::string slidePageNumberLinks(const ProjectSettings& s, int first, int last, int current) {
  return numberLinks(s, first, last, current, "<a href=\"%s-sld-%05d.htm\">%d</a> \n");
}

std::string galleryStyleRules(const ProjectSettings& s) {
  std::string main, link;
  if (isChosen(s.textFont)) {
    main += format("font-family:%s; ", s.textFont.c_str());
    link += format("font-family:%s; ", s.textFont.c_str());
  }
  if (isChosen(s.textSize)) {
    main += format("font-size:%s; ", s.textSize.c_str());
    link += format("font-size:%s; ", s.textSize.c_str());
  }
  if (isChosen(s.textColor)) main += format("color:%s; ", s.textColor.c_str());
  if (isChosen(s.linkColor)) link += format("color:%s; ", s.linkColor.c_str());

  std::string out = ".PicoVandCSS {" + main + "}\n";
  for (const char* selector :
       {".PicoVandNAV a {text-decoration:none; ", ".PicoVandNAV a:link {text-decoration:none; ",
        ".PicoVandNAV a:visited {text-decoration:none; ", ".PicoVandNAV a:active {text-decoration:none; ",
        ".PicoVandNAV a:hover {text-decoration:none; ", ".PicoVandNAV {text-decoration:none; "})
    out += selector + link + "}\n";
  return out;
}

std::string windowOpenerScript(const char* functionName) {
  return std::string("function ") + functionName + "(x)\n" +
         "{PicoVandWindow = window.open(x,\"PicoVandWindowSLD\",\"location=no,toolbar=no,status=yes,resizable=yes\");\n"
         "PicoVandWindow.focus();}\n";
}

std::string albumTitle(const ProjectSettings& s, const std::string& albumPath) {
  const std::string key = trimBlanks(albumPath);
  std::string title = s.projectName + key;
  replaceAll(title, "/", " - ");
  if (key == "/") title = s.projectName;
  if (title.size() > 40) {
    title = key;
    if (title.size() > 40) {
      // Start the tail on a whole character, so no broken UTF-8 sequence shows.
      size_t from = key.size() - 40;
      while (from < key.size() && (static_cast<unsigned char>(key[from]) & 0xC0) == 0x80) ++from;
      title = "..." + key.substr(from);
    }
  }
  return title;
}

int replaceSlotToken(std::string& text, std::string_view token, std::string_view value) {
  if (token.empty()) return 0;
  std::string out;
  size_t last = 0;
  int n = 0;
  for (size_t pos = text.find(token); pos != std::string::npos; pos = text.find(token, pos + 1)) {
    size_t after = pos + token.size();
    if (pos < last || (after < text.size() && isDigit(text[after]))) continue;
    out.append(text, last, pos - last);
    out.append(value);
    last = after;
    ++n;
  }
  if (n == 0) return 0;
  out.append(text, last, std::string::npos);
  text.swap(out);
  return n;
}

void fillExifSlot(std::string& page, const CollectionItem* image, int slot) {
  // A value the image lacks (and every value of an album or an empty slot)
  // shows as a blank cell, not as nothing or a bare "ISO ".
  auto shown = [](const std::string& prefix, const std::string& value) {
    return value.empty() ? std::string("&nbsp;") : prefix + escapeAttribute(value);
  };
  static const CollectionItem emptySlot;
  const CollectionItem& r = image ? *image : emptySlot;
  const std::string values[7] = {shown("", r.exifMake),        shown("", r.exifModel),       shown("", r.exifDateTime),
                                 shown("ISO ", r.exifIsoSpeed), shown("", r.exifFNumber),     shown("", r.exifExposureTime),
                                 shown("", r.exifFocalLength)};
  static const char* const names[7] = {"MAKE", "MODEL", "DATE", "ISO", "FNUMBER", "EXPOSURE", "FOCAL"};
  for (int k = 0; k < 7; ++k) replaceSlotToken(page, format("PCV_EXIF_%s_%d", names[k], slot), values[k]);
}

std::string stripScripts(const std::string& page) {
  std::string out = page;
  const std::string lower = toLower(page);
  const std::string open = "<script type=\"text/javascript\">", close = "</script>";
  size_t b = lower.find(open);
  if (b != std::string::npos) {
    size_t e = lower.find(close, b);
    if (e != std::string::npos) out.erase(b, e + close.size() - b);
  }
  replaceAll(out, "onclick=\"PicoVand_openimg(this.href); return false\"", " ");
  replaceAll(out, "onclick=\"PicoVandOpenWin (this.href); return false\"", " ");
  return out;
}

void normalizePage(std::string& page) {
  replaceAll(page, "<meta content=\"Microsoft FrontPage 4.0\" name=\"GENERATOR\">",
             "<meta name=\"GENERATOR\" content=\"Corvane Pico Vand\">");
  replaceAll(page, "<meta content=\"FrontPage.Editor.Document\" name=\"ProgId\">", " ");
  page = removeChars(page, "\t\r");
  for (int pass = 0; pass < 5; ++pass) {
    replaceAll(page, "\n\n", "\n");
    replaceAll(page, "\n ", "\n");
    replaceAll(page, "  ", " ");
  }
}

void appendCredit(PageSink& sink, std::string& page) {
  if (sink.creditPlaced) return;
  sink.creditPlaced = true;
  static const char* const makeTexts[] = {"Webgalerie erstellen", "Fotogalerie für das Web", "Web-Fotoalbum",
                                          "Bildergalerie erstellen", "Fotos ins Netz bringen"};
  static const char* const showTexts[] = {"Diashow erstellen", "Fotoalbum gestalten", "Bilder online zeigen",
                                          "Galerie-Software", "Fotos präsentieren"};
  std::minstd_rand pick(unsigned(std::chrono::steady_clock::now().time_since_epoch().count()));
  const char* make = makeTexts[pick() % std::size(makeTexts)];
  const char* show = showTexts[pick() % std::size(showTexts)];
  // Grey #767676 is the lightest that keeps 4.5:1 on white, 12px the least a
  // phone shows readably, and the links are underlined because their colour
  // is the text's.
  const std::string block = format(
      "<style type=\"text/css\">\n"
      ".PicoVandCredit {font-family:Arial; font-size:12px; color:#767676; text-align:center;}\n"
      ".PicoVandCredit a, .PicoVandCredit a:link, .PicoVandCredit a:visited, .PicoVandCredit a:hover "
      "{color:#767676; text-decoration:underline;}\n"
      "</style>\n"
      "<p class=\"PicoVandCredit\"><div class=\"PicoVandCredit\">Erstellt mit %s %s &ndash; "
      "<a href=\"%s\" target=\"_blank\">%s</a> und <a href=\"%s\" target=\"_blank\">%s</a>"
      "</div></p></body>",
      kProductName, kProductVersion, kMakerAddress, make, kSupportAddress, show);
  for (const char* body : {"</body>", "</Body>", "</BODY>"})
    if (page.find(body) != std::string::npos) {
      replaceAll(page, body, block);
      return;
    }
}

bool writePage(PageSink& sink, const std::string& path, std::string& page) {
  const bool creditPlaced = sink.creditPlaced;
  std::string credited = page;
  appendCredit(sink, credited);
  // Whole or not at all: a build that dies here leaves the older page. A page
  // that cannot be written leaves the credit for the next one.
  if (!writeFileAtomically(path, credited)) {
    sink.failures.push_back(path + ": " + std::strerror(errno));
    sink.creditPlaced = creditPlaced;
    return false;
  }
  page = std::move(credited);
  sink.written.push_back(path);
  return true;
}

int fillColourTokens(const ProjectSettings& s, std::string& text) {
  int n = replaceToken(text, "CORVANE_PICOVAND_TABLECOLOR", s.borderColor);
  n += replaceToken(text, "CORVANE_PICOVAND_BACKCOLOR", s.backgroundColor);
  n += replaceToken(text, "CORVANE_PICOVAND_FONTTYPE", s.textFont);
  n += replaceToken(text, "CORVANE_PICOVAND_FONTCOLOR", s.textColor);
  n += replaceToken(text, "CORVANE_PICOVAND_LINKCOLOR", s.linkColor);
  n += replaceToken(text, "CORVANE_PICOVAND_FONTSIZE", s.textSize);
  return n;
}

bool applyColourTokens(const ProjectSettings& s, const std::string& path) {
  std::string text;
  if (!loadTemplate(path, text)) return false;
  return fillColourTokens(s, text) == 0 || writeFileAtomically(path, text);
}

std::string encodeWebPath(std::string_view path) {
  static const char* const hex = "0123456789ABCDEF";
  std::string out;
  for (char ch : path) {
    unsigned char c = static_cast<unsigned char>(ch);
    bool keep = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || isDigit(ch) || ch == '-' || ch == '.' ||
                ch == '_' || ch == '~' || ch == '/';
    if (keep) {
      out += ch;
    } else {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    }
  }
  return out;
}

std::string escapeJsString(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '"': out += "\\\""; break;
      case '\'': out += "\\'"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '<': out += "\\x3C"; break;  // no "</script>" or "<!--" can end the element
      default:
        // U+2028 and U+2029 end a line inside older script engines' strings.
        if (c == '\xE2' && i + 2 < text.size() && text[i + 1] == '\x80' && (text[i + 2] == '\xA8' || text[i + 2] == '\xA9')) {
          out += text[i + 2] == '\xA8' ? "\\u2028" : "\\u2029";
          i += 2;
        } else {
          out += c;
        }
    }
  }
  return out;
}

std::string escapeAttribute(std::string_view text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string pictureAlt(const CollectionItem& record) {
  if (record.isAlbum) return record.name;
  const std::string caption = trimWhite(record.caption);
  if (!caption.empty()) return caption;
  return fileNameWithoutExtension(fileNameOf(record.sourcePath.empty() ? record.name : record.sourcePath));
}

PictureSize pictureSize(const std::string& file) {
  FIBITMAP* header = FreeImage_Load(FreeImage_GetFIFFromFilename(file.c_str()), file.c_str(), FIF_LOAD_NOPIXELS);
  if (!header) return {};
  PictureSize size{int(FreeImage_GetWidth(header)), int(FreeImage_GetHeight(header))};
  FreeImage_Unload(header);
  return size;
}

std::optional<PictureChoice> pictureChoice(const std::string& outputFolder, const PageEntry& entry, size_t k) {
  if (k >= entry.pictures.size() || k >= entry.twins.size() || entry.twins[k].empty()) return std::nullopt;
  const PictureSize single = pictureSize(withSlash(outputFolder) + entry.pictures[k]);
  const PictureSize twin = pictureSize(withSlash(outputFolder) + entry.twins[k]);
  if (single.width <= 0 || twin.width <= 0) return std::nullopt;
  return PictureChoice{format("%s %dw, %s %dw", encodeWebPath(entry.pictures[k]).c_str(), single.width,
                              encodeWebPath(entry.twins[k]).c_str(), twin.width),
                       format("(max-width: %dpx) 100vw, %dpx", single.width, single.width)};
}

std::string pictureTag(const std::string& outputFolder, const PageEntry& entry, size_t k, Fetch fetch) {
  return pictureTag(outputFolder, entry, k, fetch, pictureAlt(*entry.record));
}

std::string pictureTag(const std::string& outputFolder, const PageEntry& entry, size_t k, Fetch fetch,
                       std::string_view alt) {
  if (k >= entry.pictures.size()) return {};
  const std::string& web = entry.pictures[k];
  std::string tag = format("<img src=\"%s\"", encodeWebPath(web).c_str());
  if (const std::optional<PictureChoice> choice = pictureChoice(outputFolder, entry, k))
    tag += format(" srcset=\"%s\" sizes=\"%s\"", choice->srcset.c_str(), choice->sizes.c_str());
  tag += format(" alt=\"%s\"", escapeAttribute(alt).c_str());
  const PictureSize size = pictureSize(withSlash(outputFolder) + web);
  if (size.width > 0 && size.height > 0) tag += format(" width=\"%d\" height=\"%d\"", size.width, size.height);
  if (fetch == Fetch::WhenNear) tag += " loading=\"lazy\"";
  if (fetch == Fetch::Last) tag += " fetchpriority=\"low\"";
  return tag + " border=\"0\">";
}

}  // namespace pv
