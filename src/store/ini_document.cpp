#include "store/ini_document.h"

#include <climits>
#include <cstring>
#include <utility>

#include "text/cp932.h"

namespace velmora {

namespace {

constexpr std::size_t kGone = static_cast<std::size_t>(-1);

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

IniDocument::IniDocument(const Collation& collation) : collation_(&collation) {}

void IniDocument::Clear() {
  sections_.clear();
  sectionIndex_.clear();
  deadSections_ = 0;
}

void IniDocument::Parse(std::string_view text) {
  Clear();
  std::size_t current = kGone;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = pos;
    while (end < text.size() && text[end] != '\r' && text[end] != '\n') ++end;
    std::string_view line = text.substr(pos, end - pos);
    pos = end;
    if (pos < text.size()) pos += (text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n') ? 2 : 1;

    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[' && line.size() >= 2 && EndsWithChar(line, ']')) {
      AddSection(std::string(line.substr(1, line.size() - 2)));
      current = sections_.size() - 1;
      continue;
    }
    if (current == kGone) continue;
    // "=" (0x3D) is never the trail byte of a double-byte character, so a byte search is safe.
    std::size_t eq = line.rfind('=');
    AddLine(sections_[current], line, eq == std::string_view::npos ? kNoKey : eq);
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

void IniDocument::AddSection(std::string name) {
  std::size_t pos = sections_.size();
  std::string fold = collation_->FoldKey(name);
  sections_.emplace_back();
  sections_.back().name = std::move(name);
  auto [it, added] = sectionIndex_.try_emplace(std::move(fold));
  if (added) {
    it->second.first = pos;
  } else {
    it->second.later.push_back(pos);
    sections_.back().shadowed = true;
  }
}

void IniDocument::AddLine(Section& section, std::string_view text, std::size_t keyLength) {
  std::size_t pos = section.lines.size();
  bool shadowed = false;
  if (keyLength != kNoKey) {
    auto [it, added] = section.keys.try_emplace(collation_->FoldKey(text.substr(0, keyLength)));
    if (added) {
      it->second.first = pos;
    } else {
      it->second.later.push_back(pos);
      shadowed = true;
    }
  }
  section.lines.emplace_back();
  Line& line = section.lines.back();
  line.offset = section.bytes.size();
  line.length = text.size();
  line.keyLength = keyLength;
  line.shadowed = shadowed;
  section.bytes.append(text.data(), text.size());
}

const IniDocument::Section* IniDocument::FindSection(std::string_view name) const {
  if (sectionIndex_.empty()) return nullptr;
  auto it = sectionIndex_.find(collation_->FoldKey(name));
  return it == sectionIndex_.end() ? nullptr : &sections_[it->second.first];
}

IniDocument::Section* IniDocument::FindSection(std::string_view name) {
  return const_cast<Section*>(static_cast<const IniDocument*>(this)->FindSection(name));
}

const IniDocument::Line* IniDocument::FindLine(const Section& section, std::string_view key) const {
  if (section.keys.empty()) return nullptr;
  auto it = section.keys.find(collation_->FoldKey(key));
  return it == section.keys.end() ? nullptr : &section.lines[it->second.first];
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
  auto it = s.keys.find(collation_->FoldKey(key));
  if (it == s.keys.end()) {
    std::string text;
    text.reserve(key.size() + 1 + value.size());
    text.append(key.data(), key.size());
    text += '=';
    text.append(value.data(), value.size());
    AddLine(s, text, key.size());
    return;
  }
  // The new text goes to the end of the buffer; the old bytes wait for the next sweep.
  Line& l = s.lines[it->second.first];
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
  if (!s || s->keys.empty()) return;
  auto it = s->keys.find(collation_->FoldKey(key));
  if (it == s->keys.end()) return;
  auto kill = [s](std::size_t pos) {
    Line& l = s->lines[pos];
    l.dead = true;
    s->garbage += l.length;
    ++s->deadLines;
  };
  kill(it->second.first);
  for (std::size_t pos : it->second.later) kill(pos);
  s->keys.erase(it);
  CompactSection(*s);
}

void IniDocument::KillSections(const Slot& slot) {
  auto kill = [this](std::size_t pos) {
    Section& s = sections_[pos];
    s.dead = true;
    std::vector<Line>().swap(s.lines);
    std::string().swap(s.bytes);
    FoldIndex().swap(s.keys);
    ++deadSections_;
  };
  kill(slot.first);
  for (std::size_t pos : slot.later) kill(pos);
}

void IniDocument::EraseSection(std::string_view section) {
  if (sectionIndex_.empty()) return;
  auto it = sectionIndex_.find(collation_->FoldKey(section));
  if (it == sectionIndex_.end()) return;
  KillSections(it->second);
  sectionIndex_.erase(it);
  CompactSections();
}

bool IniDocument::RenameSection(std::string_view from, std::string_view to) {
  if (sectionIndex_.empty()) return false;
  auto fromIt = sectionIndex_.find(collation_->FoldKey(from));
  if (fromIt == sectionIndex_.end()) return false;
  std::string toFold = collation_->FoldKey(to);
  Slot moved = fromIt->second;
  if (fromIt->first != toFold) {
    sectionIndex_.erase(fromIt);
    auto toIt = sectionIndex_.find(toFold);
    if (toIt != sectionIndex_.end()) {
      KillSections(toIt->second);
      sectionIndex_.erase(toIt);
    }
    sectionIndex_.emplace(std::move(toFold), moved);
  }
  sections_[moved.first].name = std::string(to);
  for (std::size_t pos : moved.later) sections_[pos].name = std::string(to);
  CompactSections();
  return true;
}

void IniDocument::CompactSection(Section& section) {
  bool manyDead = ShouldCompact(section.deadLines, section.lines.size());
  bool muchGarbage = section.garbage >= 4096 && section.garbage * 2 >= section.bytes.size();
  if (!manyDead && !muchGarbage) return;
  std::vector<std::size_t> moved(section.lines.size(), kGone);
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
  for (auto& entry : section.keys) {
    entry.second.first = moved[entry.second.first];
    for (std::size_t& pos : entry.second.later) pos = moved[pos];
  }
}

void IniDocument::CompactSections() {
  if (!ShouldCompact(deadSections_, sections_.size())) return;
  std::vector<std::size_t> moved(sections_.size(), kGone);
  std::vector<Section> kept;
  kept.reserve(sections_.size() - deadSections_);
  for (std::size_t i = 0; i < sections_.size(); ++i) {
    if (sections_[i].dead) continue;
    moved[i] = kept.size();
    kept.push_back(std::move(sections_[i]));
  }
  sections_ = std::move(kept);
  deadSections_ = 0;
  for (auto& entry : sectionIndex_) {
    entry.second.first = moved[entry.second.first];
    for (std::size_t& pos : entry.second.later) pos = moved[pos];
  }
}

}  // namespace velmora
