#include "store/ini_document.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <functional>
#include <utility>


namespace velmora {

namespace {

constexpr std::size_t kMinSlots = 8;

std::size_t HashOf(std::string_view fold) { return std::hash<std::string_view>()(fold); }

// Removed lines and sections stay as tombstones so that the positions held by the indexes
// stay valid; they are swept out once they make up half of their vector.
constexpr std::size_t kMinDeadBeforeCompact = 32;

bool ShouldCompact(std::size_t dead, std::size_t total) {
  return dead >= kMinDeadBeforeCompact && dead * 2 >= total;
}

bool ParseDecimal(std::string_view s, int& out) {
  std::size_t i = 0;
  bool negative = false;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
  if (i == s.size()) return false;
  long long value = 0;
  for (; i < s.size(); ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
    value = value * 10 + (s[i] - '0');
    if (value > static_cast<long long>(INT_MAX) + 1) return false;
  }
  if (negative) value = -value;
  if (value > INT_MAX || value < INT_MIN) return false;
  out = static_cast<int>(value);
  return true;
}

}  // namespace

void IniDocument::FoldIndex::Clear() {
  std::vector<Entry>().swap(slots_);
  count_ = 0;
}

void IniDocument::FoldIndex::Reserve(std::size_t names) {
  std::size_t need = count_ + names;
  if (need == 0) return;
  std::size_t slotCount = slots_.empty() ? kMinSlots : slots_.size();
  while (need * 4 > slotCount * 3) slotCount *= 2;
  if (slotCount != slots_.size()) Rehash(slotCount);
}

template <class KeyOf>
std::size_t IniDocument::FoldIndex::SlotOf(const Collation& collation, std::string_view fold, std::size_t hash,
                                           KeyOf keyOf) const {
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
    const Entry& e = slots_[i];
    if (e.pos == kNone || (e.hash == hash && collation.FoldsTo(keyOf(e.pos), fold))) return i;
  }
}

template <class KeyOf>
std::size_t IniDocument::FoldIndex::Find(const Collation& collation, std::string_view fold, KeyOf keyOf) const {
  if (count_ == 0) return kNone;
  return slots_[SlotOf(collation, fold, HashOf(fold), keyOf)].pos;
}

template <class KeyOf>
std::size_t IniDocument::FoldIndex::Add(const Collation& collation, std::string_view fold, std::size_t pos,
                                        KeyOf keyOf) {
  if ((count_ + 1) * 4 > slots_.size() * 3) Rehash(slots_.empty() ? kMinSlots : slots_.size() * 2);
  std::size_t hash = HashOf(fold);
  Entry& e = slots_[SlotOf(collation, fold, hash, keyOf)];
  if (e.pos != kNone) return e.pos;
  e.hash = hash;
  e.pos = pos;
  ++count_;
  return kNone;
}

template <class KeyOf>
std::size_t IniDocument::FoldIndex::Take(const Collation& collation, std::string_view fold, KeyOf keyOf) {
  if (count_ == 0) return kNone;
  std::size_t slot = SlotOf(collation, fold, HashOf(fold), keyOf);
  std::size_t pos = slots_[slot].pos;
  if (pos == kNone) return kNone;
  EraseSlot(slot);
  --count_;
  return pos;
}

void IniDocument::FoldIndex::EraseSlot(std::size_t hole) {
  // Later entries of the same probe run move back into the hole, so that no probe ever
  // stops early at it and no tombstones pile up. An entry whose home slot lies after the
  // hole stays, or a probe from its home would never reach it.
  const std::size_t mask = slots_.size() - 1;
  slots_[hole] = Entry();
  for (std::size_t i = (hole + 1) & mask; slots_[i].pos != kNone; i = (i + 1) & mask) {
    std::size_t home = slots_[i].hash & mask;
    bool homeAfterHole = hole <= i ? (hole < home && home <= i) : (hole < home || home <= i);
    if (homeAfterHole) continue;
    slots_[hole] = slots_[i];
    slots_[i] = Entry();
    hole = i;
  }
}

void IniDocument::FoldIndex::Rehash(std::size_t slotCount) {
  std::vector<Entry> old(slotCount);
  old.swap(slots_);
  const std::size_t mask = slotCount - 1;
  for (const Entry& e : old) {
    if (e.pos == kNone) continue;
    std::size_t i = e.hash & mask;
    while (slots_[i].pos != kNone) i = (i + 1) & mask;
    slots_[i] = e;
  }
}

void IniDocument::FoldIndex::Remap(const std::vector<std::size_t>& moved) {
  for (Entry& e : slots_)
    if (e.pos != kNone) e.pos = moved[e.pos];
}

IniDocument::IniDocument(const Collation& collation) : collation_(&collation) {}

void IniDocument::Clear() {
  sections_.clear();
  sectionIndex_.Clear();
  deadSections_ = 0;
}

void IniDocument::Parse(std::string_view text) {
  Clear();
  const char* base = text.data();
  const std::size_t size = text.size();
  // The next CR and the next LF are each looked for with memchr and kept until passed,
  // which finds line ends far faster than a test of every byte for both.
  auto next = [base, size](char ch, std::size_t from) {
    const void* at = from < size ? std::memchr(base + from, ch, size - from) : nullptr;
    return at ? static_cast<std::size_t>(static_cast<const char*>(at) - base) : size;
  };
  std::size_t nextCr = next('\r', 0), nextLf = next('\n', 0);
  // A section's lines are gathered first, so that its buffers and index are sized once.
  std::vector<Line> found;
  std::string fold;
  bool inSection = false;
  std::size_t pos = 0;
  while (pos < size) {
    if (nextCr < pos) nextCr = next('\r', pos);
    if (nextLf < pos) nextLf = next('\n', pos);
    std::size_t end = nextCr < nextLf ? nextCr : nextLf;
    std::size_t start = pos;
    std::string_view line = text.substr(start, end - start);
    pos = end;
    if (pos < size) pos += (base[pos] == '\r' && pos + 1 < size && base[pos + 1] == '\n') ? 2 : 1;

    if (line.empty() || line[0] == ';') continue;
    // The last byte decides, even where it could pair with the byte before it: the header
    // of a section whose name ends in half a character is written that way, and reading it
    // as a line would hand that section's keys to the section before it.
    if (line[0] == '[' && line.size() >= 2 && line.back() == ']') {
      if (inSection) FillSection(sections_.back(), text, found, fold);
      found.clear();
      AddSection(std::string(line.substr(1, line.size() - 2)));
      inSection = true;
      continue;
    }
    if (!inSection) continue;
    // "=" (0x3D) is never the trail byte of a double-byte character, so a byte search is safe.
    std::size_t eq = line.rfind('=');
    Line l;
    l.offset = start;
    l.length = line.size();
    l.keyLength = eq == std::string_view::npos ? kNoKey : eq;
    found.push_back(l);
  }
  if (inSection) FillSection(sections_.back(), text, found, fold);
}

void IniDocument::FillSection(Section& section, std::string_view text, const std::vector<Line>& found,
                              std::string& fold) {
  std::size_t bytes = 0, keys = 0;
  for (const Line& l : found) {
    bytes += l.length;
    keys += l.keyLength != kNoKey;
  }
  section.bytes.reserve(section.bytes.size() + bytes);
  section.lines.reserve(section.lines.size() + found.size());
  section.keys.Reserve(keys);
  for (const Line& l : found) {
    std::string_view line = text.substr(l.offset, l.length);
    fold.clear();
    if (l.keyLength != kNoKey) collation_->AppendFoldKey(line.substr(0, l.keyLength), fold);
    AddLine(section, line, l.keyLength, fold);
  }
}

std::string IniDocument::Text() const {
  std::size_t total = 0;
  for (const Section& s : sections_) {
    if (s.dead) continue;
    total += s.name.size() + 6;
    for (const Line& l : s.lines)
      if (!l.dead) total += l.length + 2;
  }
  std::string out(total, '\0');
  char* p = total ? &out[0] : nullptr;
  auto put = [&p](const char* bytes, std::size_t n) {
    std::memcpy(p, bytes, n);
    p += n;
  };
  for (const Section& s : sections_) {
    if (s.dead) continue;
    put("[", 1);
    put(s.name.data(), s.name.size());
    put("]\r\n", 3);
    for (const Line& l : s.lines) {
      if (l.dead) continue;
      put(s.bytes.data() + l.offset, l.length);
      put("\r\n", 2);
    }
    put("\r\n", 2);
  }
  return out;
}

std::string IniDocument::Fold(std::string_view name) const {
  std::string fold;
  collation_->AppendFoldKey(name, fold);
  return fold;
}

auto IniDocument::SectionNameAt() const {
  return [this](std::size_t pos) { return std::string_view(sections_[pos].name); };
}

auto IniDocument::KeyAt(const Section& section) {
  return [&section](std::size_t pos) {
    const Line& l = section.lines[pos];
    return std::string_view(section.bytes).substr(l.offset, l.keyLength);
  };
}

void IniDocument::AddSection(std::string name) {
  std::size_t pos = sections_.size();
  std::size_t first = sectionIndex_.Add(*collation_, Fold(name), pos, SectionNameAt());
  sections_.emplace_back();
  Section& added = sections_.back();
  added.name = std::move(name);
  if (first != kNone) {
    // Later duplicates follow the first one in any order: they only ever go all together.
    added.shadowed = true;
    added.nextSame = sections_[first].nextSame;
    sections_[first].nextSame = pos;
  }
}

void IniDocument::AddLine(Section& section, std::string_view text, std::size_t keyLength, std::string_view keyFold) {
  std::size_t pos = section.lines.size();
  std::size_t first = keyLength == kNoKey ? kNone : section.keys.Add(*collation_, keyFold, pos, KeyAt(section));
  section.lines.emplace_back();
  Line& line = section.lines.back();
  line.offset = section.bytes.size();
  line.length = text.size();
  line.keyLength = keyLength;
  if (first != kNone) {
    line.shadowed = true;
    line.nextSame = section.lines[first].nextSame;
    section.lines[first].nextSame = pos;
  }
  section.bytes.append(text.data(), text.size());
}

const IniDocument::Section* IniDocument::FindSection(std::string_view name) const {
  std::size_t pos = sectionIndex_.Find(*collation_, Fold(name), SectionNameAt());
  return pos == kNone ? nullptr : &sections_[pos];
}

IniDocument::Section* IniDocument::FindSection(std::string_view name) {
  return const_cast<Section*>(static_cast<const IniDocument*>(this)->FindSection(name));
}

const IniDocument::Line* IniDocument::FindLine(const Section& section, std::string_view key) const {
  std::size_t pos = section.keys.Find(*collation_, Fold(key), KeyAt(section));
  return pos == kNone ? nullptr : &section.lines[pos];
}

IniDocument::Section& IniDocument::SectionForWrite(std::string_view name) {
  if (Section* s = FindSection(name)) return *s;
  AddSection(std::string(name));
  return sections_.back();
}

bool IniDocument::SectionExists(std::string_view section) const { return FindSection(section) != nullptr; }

void IniDocument::ReadSectionKeys(std::string_view section, std::vector<std::string>& out) const {
  const Section* s = FindSection(section);
  if (!s) return;
  for (const Line& l : s->lines) {
    if (!l.dead && !l.shadowed && l.keyLength != kNoKey) out.emplace_back(s->TextOf(l).substr(0, l.keyLength));
  }
}

std::vector<std::string> IniDocument::SectionNames() const {
  std::vector<std::string> names;
  for (const Section& s : sections_)
    if (!s.dead && !s.shadowed) names.push_back(s.name);
  return names;
}

bool IniDocument::ValueExists(std::string_view section, std::string_view key) const {
  const Section* s = FindSection(section);
  return s && FindLine(*s, key);
}

std::string IniDocument::StoredKey(std::string_view section, std::string_view key) const {
  const Section* s = FindSection(section);
  const Line* l = s ? FindLine(*s, key) : nullptr;
  return l ? std::string(s->TextOf(*l).substr(0, l->keyLength)) : std::string();
}

std::string IniDocument::ReadString(std::string_view section, std::string_view key,
                                    std::string_view def) const {
  const Section* s = FindSection(section);
  const Line* l = s ? FindLine(*s, key) : nullptr;
  return std::string(l ? s->TextOf(*l).substr(l->keyLength + 1) : def);
}

int IniDocument::ReadInteger(std::string_view section, std::string_view key, int def) const {
  const Section* s = FindSection(section);
  const Line* l = s ? FindLine(*s, key) : nullptr;
  int value = def;
  if (l && ParseDecimal(s->TextOf(*l).substr(l->keyLength + 1), value)) return value;
  return def;
}

bool IniDocument::ReadBool(std::string_view section, std::string_view key, bool def) const {
  const Section* s = FindSection(section);
  const Line* l = s ? FindLine(*s, key) : nullptr;
  int value = 0;
  if (l && ParseDecimal(s->TextOf(*l).substr(l->keyLength + 1), value)) return value != 0;
  return def;
}

void IniDocument::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  Section& s = SectionForWrite(section);
  std::string fold = Fold(key);
  std::size_t pos = s.keys.Find(*collation_, fold, KeyAt(s));
  if (pos == kNone) {
    std::string text;
    text.reserve(key.size() + 1 + value.size());
    text.append(key.data(), key.size());
    text += '=';
    text.append(value.data(), value.size());
    AddLine(s, text, key.size(), fold);
    return;
  }
  // The new text goes to the end of the buffer; the old bytes wait for the next sweep.
  Line& l = s.lines[pos];
  s.garbage += l.length;
  l.offset = s.bytes.size();
  l.length = key.size() + 1 + value.size();
  l.keyLength = key.size();
  s.bytes.append(key.data(), key.size());
  s.bytes += '=';
  s.bytes.append(value.data(), value.size());
  CompactSection(s);
}

void IniDocument::WriteInteger(std::string_view section, std::string_view key, int value) {
  WriteString(section, key, std::to_string(value));
}

void IniDocument::WriteBool(std::string_view section, std::string_view key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

void IniDocument::DeleteKey(std::string_view section, std::string_view key) {
  Section* s = FindSection(section);
  if (!s) return;
  for (std::size_t pos = s->keys.Take(*collation_, Fold(key), KeyAt(*s)); pos != kNone; pos = s->lines[pos].nextSame) {
    Line& l = s->lines[pos];
    l.dead = true;
    s->garbage += l.length;
    ++s->deadLines;
  }
  CompactSection(*s);
}

void IniDocument::KillSections(std::size_t first) {
  for (std::size_t pos = first; pos != kNone; pos = sections_[pos].nextSame) {
    Section& s = sections_[pos];
    s.dead = true;
    std::vector<Line>().swap(s.lines);
    std::string().swap(s.bytes);
    s.keys = FoldIndex();
    ++deadSections_;
  }
}

void IniDocument::EraseSection(std::string_view section) {
  std::size_t pos = sectionIndex_.Take(*collation_, Fold(section), SectionNameAt());
  if (pos == kNone) return;
  KillSections(pos);
  CompactSections();
}

bool IniDocument::RenameSection(std::string_view from, std::string_view to) {
  std::string fromFold = Fold(from), toFold = Fold(to);
  std::size_t moved = sectionIndex_.Find(*collation_, fromFold, SectionNameAt());
  if (moved == kNone) return false;
  // The same position for both names means they fold alike: only the spelling changes.
  std::size_t other = sectionIndex_.Find(*collation_, toFold, SectionNameAt());
  if (other != moved) {
    sectionIndex_.Take(*collation_, fromFold, SectionNameAt());
    if (other != kNone) {
      sectionIndex_.Take(*collation_, toFold, SectionNameAt());
      TakeLinesOf(other, sections_[moved]);
      KillSections(other);
    }
    sectionIndex_.Add(*collation_, toFold, moved, SectionNameAt());
  }
  for (std::size_t pos = moved; pos != kNone; pos = sections_[pos].nextSame) sections_[pos].name = std::string(to);
  CompactSections();
  return true;
}

void IniDocument::TakeLinesOf(std::size_t first, Section& into) {
  // The duplicates are chained in no particular order; their lines go in document order.
  std::vector<std::size_t> positions;
  for (std::size_t pos = first; pos != kNone; pos = sections_[pos].nextSame) positions.push_back(pos);
  std::sort(positions.begin(), positions.end());
  std::string fold;
  for (std::size_t pos : positions) {
    const Section& from = sections_[pos];
    for (const Line& l : from.lines) {
      if (l.dead) continue;
      std::string_view text = from.TextOf(l);
      fold.clear();
      if (l.keyLength != kNoKey) {
        collation_->AppendFoldKey(text.substr(0, l.keyLength), fold);
        if (into.keys.Find(*collation_, fold, KeyAt(into)) != kNone) continue;
      }
      AddLine(into, text, l.keyLength, fold);
    }
  }
}

void IniDocument::CompactSection(Section& section) {
  bool manyDead = ShouldCompact(section.deadLines, section.lines.size());
  bool muchGarbage = section.garbage >= 4096 && section.garbage * 2 >= section.bytes.size();
  if (!manyDead && !muchGarbage) return;
  std::vector<std::size_t> moved(section.lines.size(), kNone);
  std::vector<Line> kept;
  kept.reserve(section.lines.size() - section.deadLines);
  std::string bytes;
  bytes.reserve(section.bytes.size() - section.garbage);
  for (std::size_t i = 0; i < section.lines.size(); ++i) {
    Line l = section.lines[i];
    if (l.dead) continue;
    bytes.append(section.bytes, l.offset, l.length);
    l.offset = bytes.size() - l.length;
    moved[i] = kept.size();
    kept.push_back(l);
  }
  section.lines = std::move(kept);
  section.bytes = std::move(bytes);
  section.deadLines = 0;
  section.garbage = 0;
  for (Line& l : section.lines)
    if (l.nextSame != kNone) l.nextSame = moved[l.nextSame];
  section.keys.Remap(moved);
}

void IniDocument::CompactSections() {
  if (!ShouldCompact(deadSections_, sections_.size())) return;
  std::vector<std::size_t> moved(sections_.size(), kNone);
  std::vector<Section> kept;
  kept.reserve(sections_.size() - deadSections_);
  for (std::size_t i = 0; i < sections_.size(); ++i) {
    if (sections_[i].dead) continue;
    moved[i] = kept.size();
    kept.push_back(std::move(sections_[i]));
  }
  sections_ = std::move(kept);
  deadSections_ = 0;
  for (Section& s : sections_)
    if (s.nextSame != kNone) s.nextSame = moved[s.nextSame];
  sectionIndex_.Remap(moved);
}

}  // namespace velmora
