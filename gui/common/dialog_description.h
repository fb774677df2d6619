#pragma once

#include <span>

namespace stravener::gui {

// A control's place in a dialog, in dialog units.
struct DialogRect {
  int x;
  int y;
  int width;
  int height;
};

// When a control of the main window is enabled (UpdateButtonStates).
enum class EnabledWhen { PortClosed, PortOpen, Always };

enum class ControlKind {
  PushButton,      // a button with a label
  FlagButton,      // the language button: a push button showing a flag instead of text
  EventLog,        // the report-view list of log lines, single selection, no header
  ProgressBar,     // smooth, with a border
  Label,           // static text, left-aligned
  DropDownList,    // a closed list to choose from; its height is that of the open list
  CheckBox,        // ticks itself when clicked
  NumberField,     // an edit field with a border that takes digits only
  ProgramIcon,     // the program's icon
  HorizontalLine,  // a sunken line
};

// What a control is beyond its kind; several may be combined.
enum ControlStyle : unsigned {
  kPlain = 0,
  kDefaultButton = 1u << 0,  // Enter where no other push button has the focus presses it
  kDisabled = 1u << 1,       // disabled when the dialog opens
  kSorted = 1u << 2,         // a list that keeps its entries sorted as text
  kBlueText = 1u << 3,       // drawn in pure blue
  kNoTabStop = 1u << 4,      // Tab passes it by (buttons, lists, fields and boxes are tab stops)
  // In a dialog with a sizing border, what a control does when the dialog grows:
  kGrowsWide = 1u << 5,      // its right edge keeps its distance to the dialog's
  kGrowsTall = 1u << 6,      // its bottom edge keeps its distance to the dialog's
  kFollowsRight = 1u << 7,   // it moves with the dialog's right edge
  kFollowsBottom = 1u << 8,  // it moves with the dialog's bottom edge
};

// A text pair, UTF-8: the Polish and the English member.
struct TextPair {
  const char* polish;
  const char* english;
};

// One control of a dialog. Dialogs list their controls in tab order.
struct ControlDescription {
  int id;  // 0 for a control that nothing refers to
  ControlKind kind;
  const char* polish;   // the text, UTF-8; "&" marks the next letter as the access key
  const char* english;  // empty texts for controls without one
  DialogRect place;
  unsigned style = kPlain;
  int englishWidth = 0;  // the English text's width where it differs from place.width
  EnabledWhen enabledWhen = EnabledWhen::Always;  // the main window's button-state rule
  TextPair tip = {nullptr, nullptr};               // shown while the control is enabled
};

// How a dialog's frame looks and behaves; several may be combined.
enum DialogFrame : unsigned {
  kPopUp = 0,                  // no title bar: the dialog draws its own raised edge
  kTitleBar = 1u << 0,         // a title bar with the caption
  kSystemMenu = 1u << 1,       // the system menu and the close box
  kMinimizeBox = 1u << 2,
  kOwnTaskbarButton = 1u << 3,  // a window of its own, not one that another owns
  kSizingBorder = 1u << 4,      // the user may make it larger than described, never smaller
};

// A dialog as both desktop programs build it: its size in dialog units, its caption, its
// font, its frame and its controls in tab order. Each dialog is centred over its owner
// (the main window on the screen).
struct DialogDescription {
  const char* polishCaption;
  const char* englishCaption;
  int width;
  int height;
  const char* fontName;
  int fontPoints;
  unsigned frame;
  std::span<const ControlDescription> controls;
};

// The text of a control, or of a dialog's caption, in the current language.
const char* ControlText(const ControlDescription& control);
const char* DialogCaption(const DialogDescription& dialog);
// A control's tip in the current language; nullptr for a control without one.
const char* ControlTip(const ControlDescription& control);
// A control's place in the current language.
DialogRect ControlPlace(const ControlDescription& control);
// Whether a control is disabled when its dialog opens: when its style says so, or, in the
// main window, when the port must be open for it.
bool DisabledAtCreation(const ControlDescription& control);
// A control's place (in any unit) in a dialog that has grown by growWidth and growHeight
// beyond its described size, as the control's style has it.
DialogRect GrownPlace(DialogRect place, unsigned style, int growWidth, int growHeight);
// The control with this id, or nullptr.
const ControlDescription* FindControl(const DialogDescription& dialog, int id);

// The program's dialogs.
const DialogDescription& MainWindowDescription();
const DialogDescription& SetupDescription();
const DialogDescription& ConfigurationDescription();
const DialogDescription& AboutDescription();

}  // namespace stravener::gui
