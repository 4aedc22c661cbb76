// Listed entries of the file list and the texts a row shows for them.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/file_attributes.h"
#include "common/file_system.h"

namespace velmora {

// One row of the file list. Row i of the view is record i of the list. Nothing derived is
// cached here: rename, the worker and paste refresh edit these fields in place, so sort
// keys are built by each sort instead (see record_sort.h).
struct FileRecord {
  std::string relativePath;   // full path minus the root folder's text (see RelativePath)
  std::string name;           // CP932, characters it cannot spell marked (kUnspellableMark)
  std::string modifiedText;   // "yyyy/mm/dd hh:nn" with the system separators
  std::string typeText;       // empty until the worker fills it
  std::string attributeText;  // "SHRAN" letters
  int64_t size = 0;           // bytes; 0 for a folder
  bool isFile = true;
  int32_t overlayIndex = -1;  // -1 none, 0 shared folder, 1 shortcut
  int32_t iconIndex = -1;     // system image list index
  int32_t thumbnailIndex = -1;  // its picture in the thumbnail list; apart from iconIndex, which the worker writes
};

using FileRecordList = std::vector<std::unique_ptr<FileRecord>>;

// The three tool-bar switches: an entry carrying one of these attributes is listed only
// when the matching switch is on.
struct AttributeSwitches {
  bool system = false;
  bool hidden = false;
  bool readOnly = true;
};

// Letters in the fixed order S, H, R, A, N; other bits (the directory bit too) add nothing.
std::string FormatAttributes(uint32_t attributes);

bool PassesAttributeFilter(uint32_t attributes, const AttributeSwitches& switches);

// Size column text: whole kilobytes rounded down, at least 1 for a non-empty file, grouped
// by three with the system's thousands separator, then "KB". Empty for a folder.
std::string FormatSizeText(int64_t size, bool isFile, std::string_view thousandsSeparator);

// size-high * 2^32 + size-low for a file, 0 for a folder.
int64_t EntrySize(const FindEntry& entry, bool isFile);

struct CalendarTime {
  int year = 1601, month = 1, day = 1, hour = 0, minute = 0, second = 0;
};

// Calendar fields of a FILETIME value (no time-zone change; seconds are cut, not rounded).
CalendarTime FileTimeToCalendar(uint64_t fileTime);

// "yyyy/mm/dd hh:nn" with the system's date and time separators in place of "/" and ":".
std::string FormatModifiedText(int year, int month, int day, int hour, int minute,
                               std::string_view dateSeparator, std::string_view timeSeparator);

// The full path with the root folder's text cut off, so that root + result gives the path
// back. A path that does not begin with the root (a shortcut's target folder entered from
// inside the root) is returned whole, since cutting it would address some other file.
std::string RelativePath(std::string_view fullPath, std::string_view rootFolder);

// Inverse of RelativePath: root + relative, or the relative text alone when it is itself a
// full path ("X:..." or "\\...").
std::string RecordFullPath(std::string_view rootFolder, std::string_view relativePath);

// The record of a renamed item takes its new name and its path under the root; asking for
// the icon again when the extension changed is the caller's.
void ApplyRename(FileRecord& record, std::string_view newPath, std::string_view rootFolder);

// Type text when the shell names none: "txt ファイル" for a.txt, " ファイル" for a file
// without extension, "フォルダ" for a folder.
std::string FallbackTypeText(std::string_view name, bool isFile);

// Sub-item texts of a row: 0 size, 1 type, 2 date, 3 attributes, 4 relative path,
// 5 "1" for a file or "0" for a folder; any other index gives an empty text.
std::string SubItemText(const FileRecord& record, int subItem, std::string_view thousandsSeparator);

// A row is drawn ghosted when its entry is hidden.
bool IsGhosted(const FileRecord& record);

// List-view overlay state bits for an overlay index (-1 none gives 0).
uint32_t OverlayStateBits(int32_t overlayIndex);

// The overlay the shell's answer gives: a shared folder (0), a shortcut that is not a folder
// (1), else none (-1).
int32_t ShellOverlayIndex(bool isFolder, bool shared, bool link);

// Values a record takes from the listing rather than from its entry.
struct RecordContext {
  std::string rootFolder;
  std::string dateSeparator = "/";
  std::string timeSeparator = ":";
  int32_t defaultFileIcon = -1;
  int32_t defaultFolderIcon = -1;
};

// Fills what a directory entry decides: name, size, date text, attribute text and relative
// path. Type, icon, overlay and isFile are left to the caller (a refreshed record keeps its
// isFile). The platform has already converted the name to CP932 and the time to local time.
void ApplyEntry(FileRecord& record, const FindEntry& entry, std::string ansiName,
                std::string_view fullPath, bool isFile, uint64_t localWriteTime,
                const RecordContext& context);

// A record as a listing makes it: placeholder icon, no overlay, no type text yet.
std::unique_ptr<FileRecord> MakeListedRecord(const FindEntry& entry, std::string ansiName,
                                             std::string_view fullPath, bool isFile,
                                             uint64_t localWriteTime,
                                             const RecordContext& context);

}  // namespace velmora
