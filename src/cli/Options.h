#pragma once
// The command line of picovand-cli: what it accepts, how each option lands
// in the window's working values, and the help text.
#include <functional>
#include <string>
#include <vector>

#include "settings/PageValues.h"

namespace pvcli {

// The working values of the window's pages that options write into.
struct Pages {
  pv::AppState& state;
  pv::ImagePageValues& image;
  pv::ProjectPageValues& project;
};

// One option that sets a page value; those of the settings pages come from
// the field table.
struct ValueOption {
  std::string name;      // "--quality"
  std::string argument;  // "Q"; empty for a switch
  std::string label;     // where the window shows the value, in its own words
  std::string help;
  // True when the preset has the control disabled.
  std::function<bool(const Pages&)> locked;
  // Sets the value; returns why the text was refused, or nothing.
  std::function<std::string(Pages&, const std::string&)> apply;
};
const std::vector<ValueOption>& valueOptions();

struct Input {
  std::string path;
  bool folder = false;  // --import
  bool recursive = false;
  bool albums = false;
};

struct BuildRequest {
  int preset = -1;
  std::string output;
  std::vector<Input> inputs;
  std::vector<std::pair<const ValueOption*, std::string>> values;  // in the order given
  bool force = false;
  bool overwrite = false;
  bool full = false;  // convert every image even where an earlier build's output is unchanged
  std::string project;      // --project: a saved project to start from
  std::string saveProject;  // --save-project: where to save what the command line describes
  bool noConfig = false;    // --no-config: leave the window's config.ini defaults out
};

// Every option build takes, for the nearest to a misspelt one.
std::vector<std::string> buildOptionNames();

// Parses the arguments after "build". Returns an error text, or nothing.
std::string parseBuildArguments(const std::vector<std::string>& args, BuildRequest& request);

std::string helpText();

}  // namespace pvcli
