#include "pages/Template.h"

#include "util/FileSystem.h"
#include "util/Text.h"

namespace pv {

bool loadTemplate(const std::string& path, std::string& text) {
  // A web page of 64 MB is no web page; the cap keeps a wrong file from
  // filling the memory.
  constexpr std::uint64_t kMaxTemplateBytes = std::uint64_t(64) << 20;
  std::string raw;
  if (!readWholeFile(path, raw, kMaxTemplateBytes)) {
    text.clear();
    return false;
  }
  text.clear();
  text.reserve(raw.size());
  for (size_t i = 0; i < raw.size(); ++i)
    if (!(raw[i] == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n')) text += raw[i];
  return true;
}

int replaceToken(std::string& text, std::string_view token, std::string_view value) {
  return replaceAll(text, token, value);
}

std::string writePresetPreview(const ProjectSettings& s) {
  const std::string& resources = s.resourceFolder;
  std::string page;
  loadTemplate(resources + "DE/draft.html", page);
  replaceToken(page, "##DRAFT##", s.presetName);
  replaceToken(page, "##IMAGE##", resources + "IMAGES/" + std::to_string(s.presetNumber) + ".jpg");
  replaceToken(page, "../IMAGES/tback.png", resources + "IMAGES/tback.png");
  makeDirectories(s.appDataFolder);
  const std::string out = s.appDataFolder + "temp.html";
  writeWholeFile(out, page);
  return out;
}

}  // namespace pv
