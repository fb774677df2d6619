#include "gui/win32/dialog_template.h"

#include <commctrl.h>

#include <string>

#include "gui/win32/resource_ids.h"
#include "gui/win32/wide_text.h"

namespace stravener::win32 {

namespace {

using gui::ControlKind;

// The system's classes that a template names by number.
constexpr WORD kButtonClass = 0x0080;
constexpr WORD kEditClass = 0x0081;
constexpr WORD kStaticClass = 0x0082;
constexpr WORD kComboBoxClass = 0x0085;

// A class or a text of a template: a number, or a name.
struct NameOrNumber {
  const wchar_t* name = nullptr;
  WORD number = 0;
};

struct ItemStyle {
  NameOrNumber windowClass;
  DWORD style;
};

ItemStyle StyleOf(const gui::ControlDescription& control) {
  const bool tabStop = (control.style & gui::kNoTabStop) == 0;
  const DWORD tab = tabStop ? WS_TABSTOP : 0;
  switch (control.kind) {
    case ControlKind::PushButton: {
      const DWORD kind = (control.style & gui::kDefaultButton) != 0 ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
      return {{nullptr, kButtonClass}, kind | tab};
    }
    case ControlKind::FlagButton:
      return {{nullptr, kButtonClass}, BS_PUSHBUTTON | BS_ICON | tab};
    case ControlKind::EventLog:
      return {{WC_LISTVIEWW, 0}, LVS_REPORT | LVS_SINGLESEL | LVS_NOCOLUMNHEADER | LVS_NOLABELWRAP | WS_BORDER | tab};
    case ControlKind::ProgressBar:
      return {{PROGRESS_CLASSW, 0}, PBS_SMOOTH | WS_BORDER | tab};
    case ControlKind::Label:
      return {{nullptr, kStaticClass}, SS_LEFT | WS_GROUP};
    case ControlKind::DropDownList: {
      const DWORD sorted = (control.style & gui::kSorted) != 0 ? CBS_SORT : 0;
      return {{nullptr, kComboBoxClass}, CBS_DROPDOWNLIST | sorted | WS_VSCROLL | tab};
    }
    case ControlKind::CheckBox:
      return {{nullptr, kButtonClass}, BS_AUTOCHECKBOX | tab};
    case ControlKind::NumberField:
      return {{nullptr, kEditClass}, ES_LEFT | ES_NUMBER | ES_AUTOHSCROLL | WS_BORDER | tab};
    case ControlKind::ProgramIcon:
      return {{nullptr, kStaticClass}, SS_ICON};
    case ControlKind::HorizontalLine:
      return {{L"Static", 0}, SS_ETCHEDHORZ};
  }
  return {{nullptr, kStaticClass}, 0};
}

class TemplateWriter {
 public:
  void Word(WORD value) { words_.push_back(value); }
  void Dword(DWORD value) {
    Word(LOWORD(value));
    Word(HIWORD(value));
  }
  void Text(const std::wstring& text) {
    for (const wchar_t c : text) Word(static_cast<WORD>(c));
    Word(0);
  }
  void NameOrNumberOf(const NameOrNumber& value) {
    if (value.name != nullptr) {
      Text(value.name);
    } else {
      Word(0xFFFF);
      Word(value.number);
    }
  }
  // Items start on a four-byte boundary.
  void AlignToDword() {
    if (words_.size() % 2 != 0) Word(0);
  }
  std::vector<WORD> Take() { return std::move(words_); }

 private:
  std::vector<WORD> words_;
};

}  // namespace

std::vector<WORD> BuildDialogTemplate(const gui::DialogDescription& dialog, DWORD extraStyle) {
  DWORD style = DS_SETFONT | DS_MODALFRAME | DS_CENTER | WS_POPUP | extraStyle;
  if ((dialog.frame & gui::kTitleBar) != 0) style |= WS_CAPTION;
  if ((dialog.frame & gui::kSystemMenu) != 0) style |= WS_SYSMENU;
  if ((dialog.frame & gui::kMinimizeBox) != 0) style |= WS_MINIMIZEBOX;
  if ((dialog.frame & gui::kSizingBorder) != 0) style |= WS_THICKFRAME;
  const DWORD exStyle = (dialog.frame & gui::kOwnTaskbarButton) != 0 ? WS_EX_APPWINDOW : 0;

  TemplateWriter out;
  out.Word(1);       // version
  out.Word(0xFFFF);  // an extended template
  out.Dword(0);      // help id
  out.Dword(exStyle);
  out.Dword(style);
  out.Word(static_cast<WORD>(dialog.controls.size()));
  out.Word(0);
  out.Word(0);
  out.Word(static_cast<WORD>(dialog.width));
  out.Word(static_cast<WORD>(dialog.height));
  out.Word(0);  // no menu
  out.Word(0);  // the dialog class
  out.Text((dialog.frame & gui::kTitleBar) != 0 ? Widen(gui::DialogCaption(dialog)) : std::wstring());
  out.Word(static_cast<WORD>(dialog.fontPoints));
  out.Word(0);  // weight: the font's own
  out.Word(DEFAULT_CHARSET << 8);  // not italic; the default character set
  out.Text(Widen(dialog.fontName));

  for (const gui::ControlDescription& control : dialog.controls) {
    out.AlignToDword();
    ItemStyle item = StyleOf(control);
    item.style |= WS_CHILD | WS_VISIBLE;
    if (gui::DisabledAtCreation(control)) item.style |= WS_DISABLED;
    const gui::DialogRect place = gui::ControlPlace(control);
    out.Dword(0);  // help id
    out.Dword(0);  // extended style
    out.Dword(item.style);
    out.Word(static_cast<WORD>(place.x));
    out.Word(static_cast<WORD>(place.y));
    out.Word(static_cast<WORD>(place.width));
    out.Word(static_cast<WORD>(place.height));
    out.Dword(control.id != 0 ? static_cast<DWORD>(control.id) : static_cast<DWORD>(-1));
    out.NameOrNumberOf(item.windowClass);
    if (control.kind == ControlKind::ProgramIcon) {
      out.NameOrNumberOf({nullptr, IDI_PROGRAM});
    } else {
      out.Text(Widen(gui::ControlText(control)));
    }
    out.Word(0);  // no creation data
  }
  return out.Take();
}

INT_PTR RunDescribedDialog(HINSTANCE instance, HWND owner, const gui::DialogDescription& dialog, DLGPROC proc,
                           LPARAM parameter, DWORD extraStyle) {
  const std::vector<WORD> words = BuildDialogTemplate(dialog, extraStyle);
  return DialogBoxIndirectParamW(instance, reinterpret_cast<LPCDLGTEMPLATEW>(words.data()), owner, proc, parameter);
}

}  // namespace stravener::win32
