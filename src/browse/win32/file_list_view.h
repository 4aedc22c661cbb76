// The virtual file list (ListView1): the view holds only a row count and asks for each row's
// texts, picture and state when it draws it; the records stay the one source.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "browse/file_record.h"
#include "browse/shown_rows.h"

namespace velmora {

enum ViewStyle { kIconView = 0, kListView = 1, kDetailView = 2 };

class FileListView {
 public:
  // Row i shows the record rows->RecordOf(i).
  void Attach(HWND list, const FileRecordList* records, const ShownRows* rows);
  HWND hwnd() const { return list_; }
  void SetThousandsSeparator(std::string separator) { thousands_ = std::move(separator); }
  // Rows show their thumbnail index, for the thumbnail list installed as the large icons.
  void ShowThumbnailIndexes(bool on) { thumbnails_ = on; }
  bool showsThumbnailIndexes() const { return thumbnails_; }

  void CreateColumns();
  void SetRowCount(int count);
  int RowCount() const;
  void SetViewStyle(ViewStyle style);
  ViewStyle GetViewStyle() const;
  void RedrawRow(int row);
  // The name column takes whatever width the other columns leave.
  void FitNameColumn();
  void Repaint();
  // The header marks the sorted column with the direction's arrow, and no other.
  void ShowSortArrow(int column, bool ascending);

  std::vector<int> SelectedRows() const;
  int SelectedCount() const;
  int FirstSelected() const;
  void SelectRow(int row, bool makeVisible);
  void DeselectAll();
  bool IsRowVisible(int row) const;
  bool IsEditingLabel() const { return ListView_GetEditControl(list_) != nullptr; }
  int RowAt(POINT client) const;

  // Row data, the overlay pre-handling and the search by name. True when handled.
  bool HandleNotify(NMHDR* header, LRESULT& result);

 private:
  HWND list_ = nullptr;
  const FileRecordList* records_ = nullptr;
  const ShownRows* rows_ = nullptr;
  std::string thousands_ = ",";
  bool thumbnails_ = false;
};

}  // namespace velmora
