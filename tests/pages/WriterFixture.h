#pragma once
// A small gallery for the page writer tests: templates and own pages the
// test writes, records whose pictures the test names as the planning would,
// and the written pages read back.
#include <gtest/gtest.h>

#include <string>

#include "PageTestInputs.h"
#include "TestSupport.h"
#include "util/FileSystem.h"
#include "util/Text.h"

namespace pvtest {

struct WriterFixture : ::testing::Test {
  ScratchDir dir;
  pv::AppState state{scratchEnvironment(dir)};
  pv::ProjectSettings& s = state.settings;
  std::string out = dir.path() + "out/";
  Pictures pictures;
  pv::PageSink sink;

  WriterFixture() {
    s.fileTag = "pcv";
    s.projectName = "Reise";
    s.imageFolderName = "images";
    s.draftsFolder = dir.path() + "drafts/";
    s.controlSet = 101;
    s.sizeAWidth = 120;
    s.sizeAHeight = 90;
    s.sizeBWidth = 640;
    s.sizeBHeight = 480;
    s.slideDurationMs = 3000;
    pv::makeDirectories(out);
  }

  void templateFile(const std::string& name, const std::string& text) {
    dir.write("drafts/" + std::to_string(s.presetNumber) + "/" + name, text);
  }

  // An image with `sizes` outputs (A, B, C), numbered as the conversion does.
  pv::CollectionItem& image(const std::string& album = "/", const std::string& caption = "", size_t sizes = 2) {
    auto item = std::make_unique<pv::CollectionItem>();
    int k = 0;
    for (auto& r : state.items.list) k += r->isAlbum ? 0 : 1;
    item->name = pv::format("img%d.jpg", k);
    item->albumPath = album;
    item->caption = caption;
    const std::string folder = album == "/" ? "images/" : "images" + album + "/";
    for (size_t i = 0; i < sizes; ++i)
      pictures[item.get()].push_back(pv::format("%spcv%c%05d.jpg", folder.c_str(), "abc"[i], k));
    state.items.list.push_back(std::move(item));
    return *state.items.list.back();
  }
  pv::CollectionItem& album(const std::string& parent, const std::string& name) {
    return state.items.addAlbum(parent, name);
  }

  pv::PageInputs inputs(const std::string& folder = {}) const {
    return pageInputs(state, folder.empty() ? out : folder, pictures);
  }

  std::string page(const std::string& name) const {
    std::string text;
    pv::readWholeFile(out + name, text);
    return text;
  }
  bool written(const std::string& name) const { return pv::fileExists(out + name); }
  size_t pagesWritten() const { return pv::listDirectory(out).size(); }
};

inline bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }
inline int occurrences(const std::string& text, const std::string& part) {
  int n = 0;
  for (size_t p = text.find(part); p != std::string::npos; p = text.find(part, p + part.size())) ++n;
  return n;
}

}  // namespace pvtest
