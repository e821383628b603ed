#pragma once
// The six pages of the main window in tab order. The window owns them; a page
// that adapts another (the project types adapt the settings pages) reaches it
// through here.
class CTabProject;
class CTabOptions;
class CTabOptions2;
class CTabFiles;
class CTabOutput;
class CTabOutput2;

struct Pages {
  CTabProject* project = nullptr;
  CTabOptions* image = nullptr;
  CTabOptions2* settings = nullptr;
  CTabFiles* album = nullptr;
  CTabOutput* create = nullptr;
  CTabOutput2* output = nullptr;
};
