#include "gui/win32/about_dialog.h"

#include "app/language.h"
#include "gui/common/build_text.h"
#include "gui/common/control_ids.h"
#include "gui/win32/dialog_template.h"
#include "gui/win32/wide_text.h"
#include "platform/program_version.h"

namespace stravener::win32 {

namespace {

INT_PTR CALLBACK AboutProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      SetDlgItemTextW(window, gui::kIdVersionText, Widen(ProgramVersionText()).c_str());
      SetDlgItemTextW(window, gui::kIdBuildText, Widen(gui::BuildText(__DATE__, __TIME__, Language)).c_str());
      return TRUE;
    case WM_CTLCOLORSTATIC: {
      // The contact line in pure blue (its description says so); the rest, and the background, as the system draws it.
      const auto brush = DefWindowProcW(window, message, wParam, lParam);
      const gui::ControlDescription* control =
          gui::FindControl(gui::AboutDescription(), GetDlgCtrlID(reinterpret_cast<HWND>(lParam)));
      if (control != nullptr && (control->style & gui::kBlueText) != 0) {
        SetTextColor(reinterpret_cast<HDC>(wParam), RGB(0, 0, 255));
      }
      return static_cast<INT_PTR>(brush);
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        EndDialog(window, LOWORD(wParam));
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

void RunAboutDialog(HINSTANCE instance, HWND owner) {
  RunDescribedDialog(instance, owner, gui::AboutDescription(), AboutProc, 0);
}

}  // namespace stravener::win32
