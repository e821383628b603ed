#pragma once
// picovand-cli upload: puts a built gallery on the user's own server.
#include <string>
#include <vector>

namespace pvcli {

// Runs the command with the arguments after "upload"; returns the exit status.
int uploadCommand(const std::vector<std::string>& args);

std::string uploadHelpText();

}  // namespace pvcli
