#include "browse/record_sort.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

namespace velmora {

const std::string& ColumnText(const FileRecord& r, SortColumn column) {
  switch (column) {
    case SortColumn::Type: return r.typeText;
    case SortColumn::Date: return r.modifiedText;
    case SortColumn::Attributes: return r.attributeText;
    default: return r.name;
  }
}

namespace {

int Sign(int c) { return c < 0 ? -1 : (c > 0 ? 1 : 0); }

// Zero padding keeps the order: where a shorter key ends, the longer one is greater or
// goes on with zero bytes, and then the full comparison decides.
uint64_t KeyHead(std::string_view key) {
  uint64_t head = 0;
  for (std::size_t i = 0; i < 8; ++i)
    head = (head << 8) | (i < key.size() ? static_cast<unsigned char>(key[i]) : 0u);
  return head;
}

// One record as the sort sees it: the size, or the sort key of the column's text, then the
// sort key of the name. Keys live in one arena; records with the same column text share
// its key, so types and attribute letters, which repeat a lot, cost one key each.
struct SortEntry {
  uint64_t size;  // sign bit flipped, so that unsigned order is signed order
  uint64_t columnHead, nameHead;  // first 8 key bytes, big-endian: most pairs differ here
  std::size_t columnKey, columnKeyLength;
  std::size_t nameKey, nameKeyLength;
  uint32_t index;
  bool isFile;

  // key sits at offset in the sort's key arena.
  void SetNameKey(std::size_t offset, std::string_view key) {
    nameKey = offset;
    nameKeyLength = key.size();
    nameHead = KeyHead(key);
  }
};

class EntryLess {
 public:
  EntryLess(const char* arena, bool ascending) : arena_(arena), ascending_(ascending) {}
  bool operator()(const SortEntry& a, const SortEntry& b) const {
    return ascending_ ? Less(a, b) : Less(b, a);
  }

 private:
  int Keys(std::size_t a, std::size_t aLength, std::size_t b, std::size_t bLength) const {
    if (a == b && aLength == bLength) return 0;
    int c = std::memcmp(arena_ + a, arena_ + b, std::min(aLength, bLength));
    if (c != 0) return c;
    return aLength < bLength ? -1 : (aLength > bLength ? 1 : 0);
  }
  bool Less(const SortEntry& a, const SortEntry& b) const {
    if (a.isFile != b.isFile) return !a.isFile;
    if (a.size != b.size) return a.size < b.size;
    if (a.columnHead != b.columnHead) return a.columnHead < b.columnHead;
    int c = Keys(a.columnKey, a.columnKeyLength, b.columnKey, b.columnKeyLength);
    if (c != 0) return c < 0;
    if (a.nameHead != b.nameHead) return a.nameHead < b.nameHead;
    c = Keys(a.nameKey, a.nameKeyLength, b.nameKey, b.nameKeyLength);
    return c < 0;
  }
  const char* arena_;
  bool ascending_;
};

// Date texts are fixed-width digits between the same separators, so where every record's text
// has one layout, comparing the digits read as a number gives the collation's order: the first
// position where two texts differ holds a digit in both. Fills numbers and returns true only
// then; any other layout (an empty text, a five-digit year, mixed separators) keeps the keys.
bool DatesAsNumbers(const FileRecordList& records, std::vector<uint64_t>& numbers) {
  const std::string& layout = records.front()->modifiedText;
  int digits = 0;
  for (char ch : layout) digits += ch >= '0' && ch <= '9';
  if (digits == 0 || digits > 19) return false;
  numbers.resize(records.size());
  for (std::size_t i = 0; i < records.size(); ++i) {
    const std::string& text = records[i]->modifiedText;
    if (text.size() != layout.size()) return false;
    uint64_t number = 0;
    for (std::size_t k = 0; k < text.size(); ++k) {
      const char ch = text[k];
      const bool digit = ch >= '0' && ch <= '9';
      if (digit != (layout[k] >= '0' && layout[k] <= '9')) return false;
      if (digit) {
        number = number * 10 + static_cast<uint64_t>(ch - '0');
      } else if (ch != layout[k]) {
        return false;
      }
    }
    numbers[i] = number;
  }
  return true;
}

void PutInOrder(FileRecordList& records, const std::vector<SortEntry>& entries) {
  FileRecordList sorted;
  sorted.reserve(records.size());
  for (const SortEntry& e : entries) sorted.push_back(std::move(records[e.index]));
  records.swap(sorted);
}

// Sizes and dates are numbers: the records are put in their order first, and only records
// with an equal number (a run) need their names' sort keys, which cost the most.
void SortByNumber(FileRecordList& records, const std::vector<uint64_t>& dates, bool bySize, bool ascending,
                  const Collation& collation, std::vector<SortEntry>& entries) {
  const std::size_t n = records.size();
  for (std::size_t i = 0; i < n; ++i) {
    const FileRecord& r = *records[i];
    SortEntry& e = entries[i];
    e = SortEntry{};
    e.size = bySize ? static_cast<uint64_t>(r.size) ^ (uint64_t{1} << 63) : dates[i];
    e.index = static_cast<uint32_t>(i);
    e.isFile = r.isFile;
  }
  auto numberLess = [](const SortEntry& a, const SortEntry& b) {
    if (a.isFile != b.isFile) return !a.isFile;
    return a.size < b.size;
  };
  std::sort(entries.begin(), entries.end(), [&](const SortEntry& a, const SortEntry& b) {
    return ascending ? numberLess(a, b) : numberLess(b, a);
  });
  std::string arena;
  for (std::size_t begin = 0; begin < n;) {
    std::size_t end = begin + 1;
    while (end < n && entries[end].isFile == entries[begin].isFile && entries[end].size == entries[begin].size) ++end;
    if (end - begin > 1) {
      for (std::size_t i = begin; i < end; ++i) {
        const std::string key = collation.SortKey(records[entries[i].index]->name);
        entries[i].SetNameKey(arena.size(), key);
        arena += key;
      }
      std::sort(entries.begin() + static_cast<std::ptrdiff_t>(begin), entries.begin() + static_cast<std::ptrdiff_t>(end),
                EntryLess(arena.data(), ascending));
    }
    begin = end;
  }
  PutInOrder(records, entries);
}

}  // namespace

int CompareRecords(const FileRecord& a, const FileRecord& b, SortColumn column, bool ascending,
                   const Collation& collation) {
  int c;
  if (a.isFile != b.isFile) {
    c = a.isFile ? 1 : -1;
  } else {
    switch (column) {
      case SortColumn::Name:
        c = 0;
        break;
      case SortColumn::Size:
        c = a.size < b.size ? -1 : (a.size > b.size ? 1 : 0);
        break;
      default:
        c = Sign(collation.Compare(ColumnText(a, column), ColumnText(b, column)));
        break;
    }
    if (c == 0) c = Sign(collation.Compare(a.name, b.name));
  }
  return ascending ? c : -c;
}

void SortRecords(FileRecordList& records, SortColumn column, bool ascending,
                 const Collation& collation) {
  std::size_t n = records.size();
  if (n < 2) return;
  std::vector<uint64_t> dates;
  std::vector<SortEntry> entries(n);
  if (column == SortColumn::Size || (column == SortColumn::Date && DatesAsNumbers(records, dates))) {
    SortByNumber(records, dates, column == SortColumn::Size, ascending, collation, entries);
    return;
  }
  const bool byText = column != SortColumn::Name;

  struct KeyRef {
    std::size_t offset, length;
    uint64_t head;
  };
  std::string arena;
  auto addKey = [&](std::string_view text) {
    std::string key = collation.SortKey(text);
    if (arena.empty()) arena.reserve(n * 48);
    KeyRef ref{arena.size(), key.size(), KeyHead(key)};
    arena += key;
    return ref;
  };
  std::unordered_map<std::string_view, KeyRef> columnKeys;

  for (std::size_t i = 0; i < n; ++i) {
    const FileRecord& r = *records[i];
    SortEntry& e = entries[i];
    e.size = 0;
    KeyRef columnKey{0, 0, 0};
    if (byText) {
      std::string_view text = ColumnText(r, column);
      auto found = columnKeys.find(text);
      if (found == columnKeys.end()) found = columnKeys.emplace(text, addKey(text)).first;
      columnKey = found->second;
    }
    e.columnKey = columnKey.offset;
    e.columnKeyLength = columnKey.length;
    e.columnHead = columnKey.head;
    KeyRef nameKey = addKey(r.name);
    e.nameKey = nameKey.offset;
    e.nameKeyLength = nameKey.length;
    e.nameHead = nameKey.head;
    e.index = static_cast<uint32_t>(i);
    e.isFile = r.isFile;
  }

  std::sort(entries.begin(), entries.end(), EntryLess(arena.data(), ascending));
  PutInOrder(records, entries);
}

void NameKeys::Add(std::string_view name, const Collation& collation) {
  // Large from the start, so that every block is one the heap gives back to the system
  // when the keys go, rather than smaller ones left behind by each doubling.
  if (spans_.empty()) {
    arena_.reserve(std::size_t{1} << 20);
    spans_.reserve(std::size_t{1} << 16);
  }
  const std::string key = collation.SortKey(name);
  spans_.emplace_back(arena_.size(), key.size());
  arena_ += key;
}

void SortRecordsByName(FileRecordList& records, const NameKeys& keys) {
  const std::size_t n = records.size();
  if (n < 2) return;
  std::vector<SortEntry> entries(n);
  for (std::size_t i = 0; i < n; ++i) {
    SortEntry& e = entries[i];
    const std::string_view key = keys[i];
    e.SetNameKey(static_cast<std::size_t>(key.data() - keys[0].data()), key);
    e.index = static_cast<uint32_t>(i);
    e.isFile = records[i]->isFile;
  }
  std::sort(entries.begin(), entries.end(), EntryLess(keys[0].data(), true));
  PutInOrder(records, entries);
}

bool IsInComparatorOrder(const FileRecordList& records, SortColumn column, bool ascending,
                         const Collation& collation) {
  for (std::size_t i = 1; i < records.size(); ++i) {
    if (CompareRecords(*records[i - 1], *records[i], column, ascending, collation) > 0)
      return false;
  }
  return true;
}

void ListSort::SortAfterListing(FileRecordList& records, const Collation& collation, const NameKeys* keys) {
  ascending_ = true;
  if (keys && keys->size() == records.size()) {
    SortRecordsByName(records, *keys);
  } else {
    SortRecords(records, SortColumn::Name, true, collation);
  }
  sortedColumn_ = SortColumn::Name;
  sortedAscending_ = true;
}

bool ListSort::ColumnClick(int column, FileRecordList& records, const Collation& collation) {
  if (column < 0 || column > 4) return false;
  sortedColumn_ = static_cast<SortColumn>(column);
  sortedAscending_ = ascending_;
  SortRecords(records, sortedColumn_, ascending_, collation);
  ascending_ = !ascending_;
  return true;
}

int SearchByName(const FileRecordList& records, std::string_view text, int start, bool wrap) {
  int count = static_cast<int>(records.size());
  if (start < 0) start = 0;
  if (start > count) start = count;
  for (int i = start; i < count; ++i) {
    if (records[i]->name == text) return i;
  }
  if (wrap) {
    for (int i = 0; i < start; ++i) {
      if (records[i]->name == text) return i;
    }
  }
  return -1;
}

}  // namespace velmora
