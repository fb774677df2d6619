#include "gui/win32/configuration_dialog_box.h"

#include <string>

#include "app/language.h"
#include "gui/common/configuration_dialog.h"
#include "gui/common/control_ids.h"
#include "gui/win32/dialog_template.h"
#include "gui/win32/message_box.h"
#include "gui/win32/wide_text.h"

namespace stravener::win32 {

using gui::ConfigurationDialog;
using gui::ConfigurationDialogView;
using gui::kSkipCheckBoxId;
using gui::kSkipCountFieldId;

namespace {

// The dialog's controls as the configuration dialog sees them.
class ControlsView : public ConfigurationDialogView {
 public:
  ControlsView(HWND window, ConfigurationDialog& dialog) : window_(window), dialog_(dialog) {}

  ConfigurationDialog& Dialog() { return dialog_; }

  std::string NumberFieldText() const override {
    const HWND field = Field();
    const int length = GetWindowTextLengthW(field);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(field, text.data(), length + 1);
    return Narrow(text.data(), static_cast<size_t>(copied > 0 ? copied : 0));
  }
  void SetNumberFieldText(const std::string& text) override { SetWindowTextW(Field(), Widen(text).c_str()); }
  void EnableNumberField(bool enabled) override { EnableWindow(Field(), enabled ? TRUE : FALSE); }
  void FocusNumberField() override {
    SendMessageW(window_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Field()), TRUE);
  }
  void SelectAllOfNumberField() override { SendMessageW(Field(), EM_SETSEL, 0, -1); }
  bool SkipBoxChecked() const override {
    return IsDlgButtonChecked(window_, kSkipCheckBoxId) == BST_CHECKED;
  }
  void SetSkipBoxChecked(bool checked) override {
    CheckDlgButton(window_, kSkipCheckBoxId, checked ? BST_CHECKED : BST_UNCHECKED);
  }
  void ShowRangeWarning(const std::string& text) override {
    ShowMessageBox(window_, text, MB_OK | MB_ICONEXCLAMATION);
  }

 private:
  HWND Field() const { return GetDlgItem(window_, kSkipCountFieldId); }

  HWND window_;
  ConfigurationDialog& dialog_;
};

INT_PTR CALLBACK ConfigurationProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* view = reinterpret_cast<ControlsView*>(GetWindowLongPtrW(window, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG: {
      auto& dialog = *reinterpret_cast<ConfigurationDialog*>(lParam);
      view = new ControlsView(window, dialog);
      SetWindowLongPtrW(window, DWLP_USER, reinterpret_cast<LONG_PTR>(view));
      dialog.Attach(view);
      return dialog.InitDialog() ? TRUE : FALSE;
    }
    case WM_COMMAND:
      if (view == nullptr) return FALSE;
      switch (LOWORD(wParam)) {
        case kSkipCheckBoxId:
          if (HIWORD(wParam) == BN_CLICKED) view->Dialog().OnSkipClicked();
          return TRUE;
        case IDOK:
          if (view->Dialog().OnSave()) EndDialog(window, IDOK);
          return TRUE;
        case IDCANCEL:
          EndDialog(window, IDCANCEL);
          return TRUE;
        default:
          return FALSE;
      }
    case WM_DESTROY:
      if (view != nullptr) {
        view->Dialog().Attach(nullptr);
        delete view;
        SetWindowLongPtrW(window, DWLP_USER, 0);
      }
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

bool RunConfigurationDialogBox(HINSTANCE instance, HWND owner, ConfigurationDialog& dialog) {
  return RunDescribedDialog(instance, owner, gui::ConfigurationDescription(), ConfigurationProc,
                            reinterpret_cast<LPARAM>(&dialog)) == IDOK;
}

}  // namespace stravener::win32
