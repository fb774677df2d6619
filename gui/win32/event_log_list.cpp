#include "gui/win32/event_log_list.h"

#include <string>

#include "gui/win32/wide_text.h"

namespace stravener::win32 {

void EventLogList::Attach(HWND list, HIMAGELIST pictures) {
  list_ = list;
  // One left-aligned column with an empty heading, as wide as the list's client area.
  RECT client{};
  GetClientRect(list_, &client);
  LVCOLUMNW column{};
  column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
  column.fmt = LVCFMT_LEFT;
  column.cx = client.right - client.left;
  wchar_t heading[] = L"";
  column.pszText = heading;
  ListView_InsertColumn(list_, 0, &column);
  ListView_SetImageList(list_, pictures, LVSIL_SMALL);
  ListView_SetExtendedListViewStyleEx(list_, LVS_EX_LABELTIP, LVS_EX_LABELTIP);
}

void EventLogList::Rescale(HIMAGELIST pictures) {
  if (list_ == nullptr) return;
  ListView_SetImageList(list_, pictures, LVSIL_SMALL);
  FitColumn();
}

void EventLogList::FitColumn() {
  if (list_ == nullptr) return;
  RECT client{};
  GetClientRect(list_, &client);
  ListView_SetColumnWidth(list_, 0, client.right - client.left);
}

void EventLogList::Detach() {
  if (list_ != nullptr) ListView_SetImageList(list_, nullptr, LVSIL_SMALL);
  list_ = nullptr;
}

void EventLogList::Add(const LogEntry& entry, bool droppedOldest) {
  if (list_ == nullptr) return;
  if (droppedOldest) ListView_DeleteItem(list_, 0);
  std::wstring text = Widen(entry.text);
  LVITEMW item{};
  item.mask = LVIF_TEXT | LVIF_IMAGE;
  item.iItem = ListView_GetItemCount(list_);
  item.pszText = text.data();
  item.iImage = static_cast<int>(entry.kind);
  const int index = ListView_InsertItem(list_, &item);
  if (index >= 0) ListView_EnsureVisible(list_, index, FALSE);
}

}  // namespace stravener::win32
