#include "gui/win32/file_dialogs.h"

#include <commdlg.h>

#include <vector>

#include "gui/common/file_filter.h"
#include "gui/win32/wide_text.h"

namespace stravener::win32 {

namespace {

// Room for the chosen path: far beyond MAX_PATH, so a long path is never cut short.
constexpr DWORD kPathRoom = 32768;

// The system's filter: each file type's label and its patterns (separated by ';'), each
// text ended by a zero, and one more zero at the end.
std::wstring SystemFilter(const std::string& filter) {
  std::string system;
  for (const gui::FileFilterEntry& entry : gui::ParseFileFilter(filter)) {
    system += entry.label;
    system.push_back('\0');
    for (size_t i = 0; i < entry.patterns.size(); ++i) system += (i == 0 ? "" : ";") + entry.patterns[i];
    system.push_back('\0');
  }
  system.push_back('\0');
  return Widen(system);
}

std::optional<std::string> Choose(HWND owner, const gui::FileChoice& choice, bool save) {
  const std::wstring filter = SystemFilter(choice.filter);
  const std::wstring title = Widen(choice.title);
  const std::wstring extension = Widen(choice.defaultExtension);
  std::vector<wchar_t> path(kPathRoom, L'\0');
  const std::wstring name = Widen(choice.defaultName);
  if (name.size() < path.size()) std::copy(name.begin(), name.end(), path.begin());

  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = filter.size() > 1 ? filter.c_str() : nullptr;
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = path.data();
  dialog.nMaxFile = kPathRoom;
  dialog.lpstrTitle = title.empty() ? nullptr : title.c_str();
  dialog.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
  dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST |
                 (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
  const BOOL chosen = save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
  if (!chosen) return std::nullopt;
  return Narrow(std::wstring(path.data()));
}

}  // namespace

std::optional<std::string> ChooseSaveFile(HWND owner, const gui::FileChoice& choice) { return Choose(owner, choice, true); }

std::optional<std::string> ChooseOpenFile(HWND owner, const gui::FileChoice& choice) { return Choose(owner, choice, false); }

}  // namespace stravener::win32
