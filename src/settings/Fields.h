#pragma once
// Every field of the two settings pages, declared once: its name, where the
// project file keeps it, its label in the window, its range and start value,
// and the picovand-cli option that sets it. The clamping, the window's number
// fields, the project file and picovand-cli's options and help all read this
// table, so a range or label is never written twice.
#include <span>
#include <string>
#include <string_view>
#include <variant>

namespace pv {

struct ImagePageValues;
struct ProjectPageValues;

enum class FieldPage { Image, Project };

// What a field holds and how a text given for it is read.
enum class FieldKind {
  Number,    // whole number within lo..hi
  Choice,    // index lo..hi of a fixed list; the option names the entries in its argument
  Switch,    // on or off
  Text,      // free text
  Prefix,    // part of a file name
  Picture,   // path of a picture file
  WebPage,   // path of the user's own web page
  Colour,    // "(Standard)" or #RRGGBB
  Font,      // font family or "(Standard)"
  CssSize,   // CSS size or "(Standard)"
  Size,      // the width of a size row: its option gives the box as WxH
  Captions,  // the first caption source: its option gives all four
  State,     // what the window keeps of its controls (the size choice), no label
};

// The two records a field may live in; a field reaches only its own page's.
struct PageRecords {
  ImagePageValues* image = nullptr;
  ProjectPageValues* project = nullptr;
};
using FieldValue = std::variant<int*, bool*, std::string*>;

struct Field {
  const char* name;  // the window control's object name
  FieldPage page;
  const char* stored;  // JSON pointer below the page's object in a project file
  FieldKind kind;
  const char* group;  // the window's group, where the label alone does not say it; or null
  const char* label;  // the window's label
  int lo = 0, hi = 0;  // range of a number or list index
  int start = 0;  // start value of a number, index or switch
  const char* startText = "";  // start value of a text
  const char* note = nullptr;  // the window's note beside the field; {lo}, {hi} and {start} are filled in
  const char* option = nullptr;  // picovand-cli's option, or null
  const char* argument = nullptr;  // its argument; null for a switch
  const char* help = nullptr;  // its help text, filled in like the note
  // "SECTION/KEY" of a preset file that sets this switch (1 on, 0 off; a
  // preset without the key leaves the user's choice), or null.
  const char* preset = nullptr;
  FieldValue (*value)(PageRecords) = nullptr;
  // Whether the preset lets the user change the field; null: always.
  bool (*enabled)(PageRecords) = nullptr;
};

std::span<const Field> settingsFields();
// The field of that name; throws std::out_of_range for a name not in the table.
const Field& settingsField(std::string_view name);

// The range rule of a number field as typing applies it: the upper bound
// first, then the lower one (typing 0 where 1 is the least gives 1). True
// when it changed the value.
bool clampField(const Field& field, int& value);
// The field's range rule applied to its value in records.
bool clampField(const Field& field, PageRecords records);
// A text of the table with {lo}, {hi} and {start} filled in from the field.
std::string fieldText(const char* text, const Field& field);
// The label picovand-cli shows: the group before the label where there is one.
std::string optionLabel(const Field& field);
// Every field of the page set to its start value.
void setStartValues(FieldPage page, PageRecords records);

}  // namespace pv
