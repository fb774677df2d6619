#include "gui/win32/setup_dialog.h"

#include <string>
#include <vector>

#include "app/language.h"
#include "gui/common/control_ids.h"
#include "gui/win32/dialog_template.h"
#include "gui/win32/message_box.h"
#include "gui/win32/wide_text.h"

namespace stravener::win32 {

namespace {

// The text of a list's selected item; empty when nothing is selected.
std::wstring SelectedText(HWND list) {
  const LRESULT selected = SendMessageW(list, CB_GETCURSEL, 0, 0);
  if (selected == CB_ERR) return {};
  const LRESULT length = SendMessageW(list, CB_GETLBTEXTLEN, static_cast<WPARAM>(selected), 0);
  std::wstring text(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
  SendMessageW(list, CB_GETLBTEXT, static_cast<WPARAM>(selected), reinterpret_cast<LPARAM>(text.data()));
  text.resize(wcslen(text.c_str()));
  return text;
}

int IndexOf(const std::vector<std::string>& entries, const std::string& text) {
  for (size_t i = 0; i < entries.size(); ++i) {
    if (entries[i] == text) return static_cast<int>(i);
  }
  return -1;
}

// Shows entries in a drop-down list with the selected one chosen. The port list sorts
// itself; items are found again by their texts.
void ShowEntries(HWND list, const std::vector<std::string>& entries, int selected) {
  SendMessageW(list, CB_RESETCONTENT, 0, 0);
  for (const std::string& entry : entries) {
    SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(entry).c_str()));
  }
  LRESULT item = CB_ERR;
  if (selected >= 0) {
    item = SendMessageW(list, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                        reinterpret_cast<LPARAM>(Widen(entries[static_cast<size_t>(selected)]).c_str()));
  }
  SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(item), 0);
}

void ShowSpeeds(HWND window, const gui::SetupLists& lists) {
  ShowEntries(GetDlgItem(window, gui::kIdSpeedList), lists.SpeedEntries(), lists.SelectedSpeed());
}

// Selects the port where the logger answered, or says why none is selected.
void FindLogger(HWND window, gui::SetupLists& lists) {
  // Each silent port takes two seconds.
  const HCURSOR previous = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  const bool found = lists.FindLogger();
  SetCursor(previous);
  if (!found) {
    ShowMessageBox(window, lists.SearchReport(), MB_OK);
    return;
  }
  ShowEntries(GetDlgItem(window, gui::kIdPortList), lists.PortEntries(), lists.SelectedPort());
  ShowSpeeds(window, lists);
}

INT_PTR CALLBACK SetupProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* lists = reinterpret_cast<gui::SetupLists*>(GetWindowLongPtrW(window, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG:
      lists = reinterpret_cast<gui::SetupLists*>(lParam);
      SetWindowLongPtrW(window, DWLP_USER, reinterpret_cast<LONG_PTR>(lists));
      ShowEntries(GetDlgItem(window, gui::kIdPortList), lists->PortEntries(), lists->SelectedPort());
      ShowSpeeds(window, *lists);
      return TRUE;
    case WM_COMMAND:
      if (lists == nullptr) return FALSE;
      switch (LOWORD(wParam)) {
        case gui::kIdPortList:
          // Every change of port probes again; the speed chosen before is not kept.
          if (HIWORD(wParam) == CBN_SELCHANGE) {
            lists->SelectPort(IndexOf(lists->PortEntries(), Narrow(SelectedText(GetDlgItem(window, gui::kIdPortList)))));
            ShowSpeeds(window, *lists);
          }
          return TRUE;
        case gui::kIdSpeedList:
          if (HIWORD(wParam) == CBN_SELCHANGE) {
            lists->SelectSpeed(static_cast<int>(SendDlgItemMessageW(window, gui::kIdSpeedList, CB_GETCURSEL, 0, 0)));
          }
          return TRUE;
        case gui::kIdFindLogger:
          if (HIWORD(wParam) == BN_CLICKED) FindLogger(window, *lists);
          return TRUE;
        case IDOK:
          lists->Save();
          EndDialog(window, IDOK);
          return TRUE;
        case IDCANCEL:
          EndDialog(window, IDCANCEL);
          return TRUE;
        default:
          return FALSE;
      }
    default:
      return FALSE;
  }
}

}  // namespace

bool RunSetupDialog(HINSTANCE instance, HWND owner, const gui::SetupServices& services, uint32_t& portNumber,
                    uint32_t& speedLimit) {
  gui::SetupLists lists(services, portNumber, speedLimit);
  if (RunDescribedDialog(instance, owner, gui::SetupDescription(), SetupProc, reinterpret_cast<LPARAM>(&lists)) !=
      IDOK) {
    return false;
  }
  portNumber = lists.PortNumber();
  speedLimit = lists.Speed();
  return true;
}

}  // namespace stravener::win32
