#include "browse/win32/file_list_view.h"

#include <cstring>

#include "win32/strings.h"
#include "browse/record_sort.h"

namespace velmora {

namespace {
struct ColumnSpec {
  const char* caption;
  int format;
  int width;
};
const ColumnSpec kColumns[] = {
    {"名前", LVCFMT_LEFT, 200},     {"サイズ", LVCFMT_RIGHT, 60}, {"種類", LVCFMT_LEFT, 120},
    {"更新日", LVCFMT_LEFT, 120}, {"属性", LVCFMT_LEFT, 50},
};
void CopyText(char* target, int size, const std::string& text) { lstrcpynA(target, text.c_str(), size); }

void CopyText(wchar_t* target, int size, const std::string& text) {
  lstrcpynW(target, AnsiToWide(text, static_cast<std::size_t>(size - 1)).c_str(), size);
}

// One row's data for the view, in either character width.
template <typename Item>
void FillItem(Item& item, const FileRecordList& records, const ShownRows& rows, const std::string& thousands,
              bool thumbnails) {
  const FileRecord* shown = RowRecord(records, rows, item.iItem);
  if (!shown) return;
  const FileRecord& record = *shown;
  if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0)
    CopyText(item.pszText, item.cchTextMax,
             item.iSubItem == 0 ? record.name : SubItemText(record, item.iSubItem - 1, thousands));
  // A shell icon index means nothing in the thumbnail list: a row without its picture there
  // shows none rather than another.
  if (item.mask & LVIF_IMAGE)
    item.iImage = !thumbnails ? record.iconIndex : record.thumbnailIndex >= 0 ? record.thumbnailIndex : I_IMAGENONE;
  // The main column's picture carries the record's overlay, and the row its cut state.
  if (item.iSubItem == 0 && (item.mask & (LVIF_IMAGE | LVIF_STATE))) {
    item.mask |= LVIF_STATE;
    item.stateMask |= LVIS_OVERLAYMASK | LVIS_CUT;
    item.state = (item.state & ~(LVIS_OVERLAYMASK | LVIS_CUT)) | OverlayStateBits(record.overlayIndex) |
                 (IsGhosted(record) ? LVIS_CUT : 0);
  }
}
}  // namespace

void FileListView::Attach(HWND list, const FileRecordList* records, const ShownRows* rows) {
  list_ = list;
  records_ = records;
  rows_ = rows;
  // Wide notifications, so that names the code page cannot spell are shown as they are.
  ListView_SetUnicodeFormat(list_, TRUE);
  ListView_SetExtendedListViewStyle(list_, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
  ListView_SetCallbackMask(list_, LVIS_OVERLAYMASK | LVIS_CUT);
}

void FileListView::CreateColumns() {
  for (int i = 0; i < 5; ++i) {
    LVCOLUMNA column = {};
    column.mask = LVCF_TEXT | LVCF_FMT | LVCF_WIDTH | LVCF_SUBITEM;
    column.fmt = kColumns[i].format;
    column.cx = kColumns[i].width;
    column.pszText = const_cast<char*>(kColumns[i].caption);
    column.iSubItem = i;
    SendMessageA(list_, LVM_INSERTCOLUMNA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
  }
}

void FileListView::SetRowCount(int count) {
  const int before = ListView_GetItemCount(list_);
  ListView_SetItemCountEx(list_, count, LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
  // Rows added to a listing already shown get no place of their own in icon view under Wine:
  // they lie under the first until the view is arranged again.
  if (count > before && GetViewStyle() == kIconView) ListView_Arrange(list_, LVA_DEFAULT);
}

int FileListView::RowCount() const { return ListView_GetItemCount(list_); }

void FileListView::SetViewStyle(ViewStyle style) {
  static const DWORD kStyles[] = {LV_VIEW_ICON, LV_VIEW_LIST, LV_VIEW_DETAILS};
  LONG_PTR s = GetWindowLongPtrA(list_, GWL_STYLE) & ~static_cast<LONG_PTR>(LVS_TYPEMASK);
  static const LONG_PTR kTypes[] = {LVS_ICON, LVS_LIST, LVS_REPORT};
  SetWindowLongPtrA(list_, GWL_STYLE, s | kTypes[style]);
  SendMessageA(list_, LVM_SETVIEW, kStyles[style], 0);
  // Wine's list view copies its buffered paint over the rows' area alone, which the list
  // style makes shorter than the window: the strip below would keep the previous style's
  // rows. That style paints straight to the window, background first.
  ListView_SetExtendedListViewStyleEx(list_, LVS_EX_DOUBLEBUFFER, style == kListView ? 0 : LVS_EX_DOUBLEBUFFER);
  // Rows of the previous style must not linger where the new one draws nothing.
  InvalidateRect(list_, nullptr, TRUE);
}

ViewStyle FileListView::GetViewStyle() const {
  switch (GetWindowLongPtrA(list_, GWL_STYLE) & LVS_TYPEMASK) {
    case LVS_ICON: return kIconView;
    case LVS_LIST: return kListView;
    default: return kDetailView;
  }
}

void FileListView::FitNameColumn() {
  RECT client;
  GetClientRect(list_, &client);
  int others = 0;
  for (int i = 1; i < 5; ++i) others += ListView_GetColumnWidth(list_, i);
  const int width = client.right - others;
  ListView_SetColumnWidth(list_, 0, width > 60 ? width : 60);
}

void FileListView::RedrawRow(int row) { ListView_RedrawItems(list_, row, row); }

void FileListView::Repaint() { InvalidateRect(list_, nullptr, FALSE); }

void FileListView::ShowSortArrow(int column, bool ascending) {
  HWND header = ListView_GetHeader(list_);
  const int count = Header_GetItemCount(header);
  for (int i = 0; i < count; ++i) {
    HDITEMA item = {};
    item.mask = HDI_FORMAT;
    if (!SendMessageA(header, HDM_GETITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item))) continue;
    int format = item.fmt & ~(HDF_SORTUP | HDF_SORTDOWN);
    if (i == column) format |= ascending ? HDF_SORTUP : HDF_SORTDOWN;
    if (format == item.fmt) continue;
    item.fmt = format;
    SendMessageA(header, HDM_SETITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
  }
}

std::vector<int> FileListView::SelectedRows() const {
  std::vector<int> rows;
  for (int i = ListView_GetNextItem(list_, -1, LVNI_SELECTED); i >= 0; i = ListView_GetNextItem(list_, i, LVNI_SELECTED))
    rows.push_back(i);
  return rows;
}

int FileListView::SelectedCount() const { return static_cast<int>(ListView_GetSelectedCount(list_)); }

int FileListView::FirstSelected() const { return ListView_GetNextItem(list_, -1, LVNI_SELECTED); }

void FileListView::SelectRow(int row, bool makeVisible) {
  ListView_SetItemState(list_, row, LVIS_SELECTED, LVIS_SELECTED);
  if (makeVisible && !IsRowVisible(row)) ListView_EnsureVisible(list_, row, TRUE);
}

void FileListView::DeselectAll() { ListView_SetItemState(list_, -1, 0, LVIS_SELECTED); }

bool FileListView::IsRowVisible(int row) const {
  RECT item, client;
  if (!ListView_GetItemRect(list_, row, &item, LVIR_BOUNDS)) return false;
  GetClientRect(list_, &client);
  RECT overlap;
  return IntersectRect(&overlap, &item, &client) != FALSE;
}

int FileListView::RowAt(POINT client) const {
  LVHITTESTINFO hit = {};
  hit.pt = client;
  return ListView_HitTest(list_, &hit);
}

bool FileListView::HandleNotify(NMHDR* header, LRESULT& result) {
  switch (header->code) {
    case LVN_GETDISPINFOA:
      FillItem(reinterpret_cast<NMLVDISPINFOA*>(header)->item, *records_, *rows_, thousands_, thumbnails_);
      result = 0;
      return true;
    case LVN_GETDISPINFOW:
      FillItem(reinterpret_cast<NMLVDISPINFOW*>(header)->item, *records_, *rows_, thousands_, thumbnails_);
      result = 0;
      return true;
    case LVN_ODFINDITEMA: {
      auto* find = reinterpret_cast<NMLVFINDITEMA*>(header);
      const bool wrap = (find->lvfi.flags & LVFI_WRAP) != 0;
      result = (find->lvfi.flags & (LVFI_STRING | LVFI_PARTIAL)) && find->lvfi.psz
                   ? SearchShownByName(*records_, *rows_, find->lvfi.psz, find->iStart, wrap)
                   : -1;
      return true;
    }
    case LVN_ODFINDITEMW: {
      auto* find = reinterpret_cast<NMLVFINDITEMW*>(header);
      const bool wrap = (find->lvfi.flags & LVFI_WRAP) != 0;
      result = (find->lvfi.flags & (LVFI_STRING | LVFI_PARTIAL)) && find->lvfi.psz
                   ? SearchShownByName(*records_, *rows_, WideToAnsi(find->lvfi.psz), find->iStart, wrap)
                   : -1;
      return true;
    }
    default:
      return false;
  }
}

}  // namespace velmora
