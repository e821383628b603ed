#pragma once
// Page inputs for the writer tests: the collection's records in list order,
// each image with the pictures the test gave it, as the planning would.
#include <map>
#include <string>
#include <vector>

#include "pages/PageEngine.h"
#include "state/AppState.h"
#include "util/Text.h"

namespace pvtest {

using Pictures = std::map<const pv::CollectionItem*, std::vector<std::string>>;

inline pv::PageInputs pageInputs(const pv::AppState& state, const std::string& outputFolder, const Pictures& pictures) {
  pv::PageInputs in{state.settings, pv::withSlash(outputFolder), {}};
  for (const auto& record : state.items.list) {
    const auto it = pictures.find(record.get());
    in.entries.push_back({record.get(), it == pictures.end() ? std::vector<std::string>() : it->second});
  }
  return in;
}

}  // namespace pvtest
