#include "browse/file_record.h"

#include "text/cp932.h"

namespace velmora {

namespace {

void AppendPadded(std::string& out, int value, int width) {
  std::string digits = std::to_string(value < 0 ? -static_cast<long long>(value) : value);
  if (value < 0) out += '-';
  for (int i = static_cast<int>(digits.size()); i < width; ++i) out += '0';
  out += digits;
}

bool IsFullPath(std::string_view path) {
  if (IsNetworkPath(path)) return true;
  // A drive letter is a single-byte character, so byte 1 cannot be a trail byte here.
  if (path.size() >= 2 && path[1] == ':' && !IsLeadByte(static_cast<unsigned char>(path[0])))
    return true;
  return false;
}

}  // namespace

std::string FormatAttributes(uint32_t attributes) {
  std::string text;
  if (attributes & kAttrSystem) text += 'S';
  if (attributes & kAttrHidden) text += 'H';
  if (attributes & kAttrReadOnly) text += 'R';
  if (attributes & kAttrArchive) text += 'A';
  if (attributes & kAttrNormal) text += 'N';
  return text;
}

bool PassesAttributeFilter(uint32_t attributes, const AttributeSwitches& switches) {
  if ((attributes & kAttrSystem) && !switches.system) return false;
  if ((attributes & kAttrHidden) && !switches.hidden) return false;
  if ((attributes & kAttrReadOnly) && !switches.readOnly) return false;
  return true;
}

std::string FormatSizeText(int64_t size, bool isFile, std::string_view thousandsSeparator) {
  if (!isFile) return std::string();
  // The magnitude as unsigned, so that even the lowest int64 value formats without overflow.
  uint64_t magnitude = size < 0 ? 0 - static_cast<uint64_t>(size) : static_cast<uint64_t>(size);
  uint64_t kb = magnitude / 1024;
  if (kb == 0 && magnitude > 0) kb = 1;
  std::string digits = std::to_string(kb);
  std::string text;
  if (size < 0) text += '-';
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) text += thousandsSeparator;
    text += digits[i];
  }
  text += "KB";
  return text;
}

int64_t EntrySize(const FindEntry& entry, bool isFile) {
  if (!isFile) return 0;
  uint64_t bytes = (static_cast<uint64_t>(entry.sizeHigh) << 32) | entry.sizeLow;
  return static_cast<int64_t>(bytes);
}

CalendarTime FileTimeToCalendar(uint64_t fileTime) {
  constexpr uint64_t kTicksPerSecond = 10000000;
  constexpr uint64_t kSecondsPerDay = 86400;
  uint64_t seconds = fileTime / kTicksPerSecond;
  // Days since 0000-03-01 in the proleptic Gregorian calendar; 1601-01-01 is day 584694.
  int64_t days = static_cast<int64_t>(seconds / kSecondsPerDay) + 584694;
  uint64_t secondOfDay = seconds % kSecondsPerDay;

  int64_t era = days / 146097;
  int64_t dayOfEra = days - era * 146097;
  int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  int64_t monthIndex = (5 * dayOfYear + 2) / 153;  // 0 = March
  CalendarTime t;
  t.day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
  t.month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
  t.year = static_cast<int>(yearOfEra + era * 400 + (t.month <= 2 ? 1 : 0));
  t.hour = static_cast<int>(secondOfDay / 3600);
  t.minute = static_cast<int>(secondOfDay / 60 % 60);
  t.second = static_cast<int>(secondOfDay % 60);
  return t;
}

std::string FormatModifiedText(int year, int month, int day, int hour, int minute,
                               std::string_view dateSeparator, std::string_view timeSeparator) {
  std::string text;
  text.reserve(16 + 2 * dateSeparator.size() + timeSeparator.size());
  AppendPadded(text, year, 4);
  text += dateSeparator;
  AppendPadded(text, month, 2);
  text += dateSeparator;
  AppendPadded(text, day, 2);
  text += ' ';
  AppendPadded(text, hour, 2);
  text += timeSeparator;
  AppendPadded(text, minute, 2);
  return text;
}

std::string RelativePath(std::string_view fullPath, std::string_view rootFolder) {
  if (fullPath.substr(0, rootFolder.size()) != rootFolder) return std::string(fullPath);
  return std::string(fullPath.substr(rootFolder.size()));
}

std::string RecordFullPath(std::string_view rootFolder, std::string_view relativePath) {
  if (IsFullPath(relativePath)) return std::string(relativePath);
  std::string path(rootFolder);
  path += relativePath;
  return path;
}

void ApplyRename(FileRecord& record, std::string_view newPath, std::string_view rootFolder) {
  record.name = LastComponent(newPath);
  record.relativePath = RelativePath(newPath, rootFolder);
}

std::string FallbackTypeText(std::string_view name, bool isFile) {
  if (!isFile) return "フォルダ";
  std::string ext = FileExtension(name);
  if (!ext.empty()) ext.erase(0, 1);
  return ext + " ファイル";
}

std::string SubItemText(const FileRecord& record, int subItem, std::string_view thousandsSeparator) {
  switch (subItem) {
    case 0: return FormatSizeText(record.size, record.isFile, thousandsSeparator);
    case 1: return record.typeText;
    case 2: return record.modifiedText;
    case 3: return record.attributeText;
    case 4: return record.relativePath;
    case 5: return record.isFile ? "1" : "0";
    default: return std::string();
  }
}

bool IsGhosted(const FileRecord& record) {
  return record.attributeText.find('H') != std::string::npos;
}

uint32_t OverlayStateBits(int32_t overlayIndex) {
  // Only -1, 0 and 1 are meaningful; anything else would spill out of the overlay bits.
  if (overlayIndex < 0 || overlayIndex > 14) return 0;
  return static_cast<uint32_t>(overlayIndex + 1) << 8;
}

void ApplyEntry(FileRecord& record, const FindEntry& entry, std::string ansiName,
                std::string_view fullPath, bool isFile, uint64_t localWriteTime,
                const RecordContext& context) {
  record.name = std::move(ansiName);
  record.size = EntrySize(entry, isFile);
  CalendarTime t = FileTimeToCalendar(localWriteTime);
  record.modifiedText = FormatModifiedText(t.year, t.month, t.day, t.hour, t.minute,
                                           context.dateSeparator, context.timeSeparator);
  record.attributeText = FormatAttributes(entry.attributes);
  record.relativePath = RelativePath(fullPath, context.rootFolder);
}

std::unique_ptr<FileRecord> MakeListedRecord(const FindEntry& entry, std::string ansiName,
                                             std::string_view fullPath, bool isFile,
                                             uint64_t localWriteTime,
                                             const RecordContext& context) {
  auto record = std::make_unique<FileRecord>();
  ApplyEntry(*record, entry, std::move(ansiName), fullPath, isFile, localWriteTime, context);
  record->iconIndex = isFile ? context.defaultFileIcon : context.defaultFolderIcon;
  record->overlayIndex = -1;
  record->isFile = isFile;
  return record;
}

int32_t ShellOverlayIndex(bool isFolder, bool shared, bool link) {
  if (isFolder) return shared ? 0 : -1;
  return link ? 1 : -1;
}

}  // namespace velmora
