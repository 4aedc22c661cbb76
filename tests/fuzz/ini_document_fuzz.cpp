// The INI document against a plain model of its rules (a list of sections of lines, searched
// from the front): any text read, then edits picked by the input, must give the same text and
// the same answers; whatever is written must read back the same from its saved text.
#include <fuzzer/FuzzedDataProvider.h>

#include <climits>
#include <string>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "store/ini_document.h"
#include "support/portable_collation.h"

namespace {

using velmora::IniDocument;
using velmora::PortableCollation;

const PortableCollation kCollation;

std::string Fold(const std::string& s) { return kCollation.FoldKey(s); }

class Model {
 public:
  void Parse(const std::string& text) {
    sections_.clear();
    std::size_t pos = 0;
    while (pos < text.size()) {
      std::size_t end = text.find_first_of("\r\n", pos);
      if (end == std::string::npos) end = text.size();
      const std::string line = text.substr(pos, end - pos);
      pos = end;
      if (pos < text.size()) pos += text.compare(pos, 2, "\r\n") == 0 ? 2 : 1;
      if (line.empty() || line[0] == ';') continue;
      if (line[0] == '[' && line.size() >= 2 && line.back() == ']') {
        sections_.push_back({line.substr(1, line.size() - 2), {}});
      } else if (!sections_.empty()) {
        sections_.back().lines.push_back(line);
      }
    }
  }

  std::string Text() const {
    std::string out;
    for (const Section& s : sections_) {
      out += "[" + s.name + "]\r\n";
      for (const std::string& l : s.lines) out += l + "\r\n";
      out += "\r\n";
    }
    return out;
  }

  void Write(const std::string& section, const std::string& key, const std::string& value) {
    Section* s = First(section);
    if (!s) {
      sections_.push_back({section, {}});
      s = &sections_.back();
    }
    const int at = KeyLine(*s, key);
    if (at >= 0) {
      s->lines[at] = key + "=" + value;
    } else {
      s->lines.push_back(key + "=" + value);
    }
  }

  void DeleteKey(const std::string& section, const std::string& key) {
    Section* s = First(section);
    if (!s) return;
    std::vector<std::string> kept;
    for (const std::string& l : s->lines)
      if (!HasKey(l) || Fold(KeyOf(l)) != Fold(key)) kept.push_back(l);
    s->lines = kept;
  }

  void Erase(const std::string& section) {
    std::vector<Section> kept;
    for (const Section& s : sections_)
      if (Fold(s.name) != Fold(section)) kept.push_back(s);
    sections_ = kept;
  }

  bool Rename(const std::string& from, const std::string& to) {
    Section* into = First(from);
    if (!into) return false;
    if (Fold(from) != Fold(to)) {
      for (const Section& other : sections_) {
        if (Fold(other.name) != Fold(to)) continue;
        for (const std::string& l : other.lines)
          if (!HasKey(l) || KeyLine(*into, KeyOf(l)) < 0) into->lines.push_back(l);
      }
      Erase(to);
    }
    const std::string fromFold = Fold(from);
    for (Section& s : sections_)
      if (Fold(s.name) == fromFold) s.name = to;
    return true;
  }

  bool Read(const std::string& section, const std::string& key, std::string& value) const {
    const Section* s = First(section);
    const int at = s ? KeyLine(*s, key) : -1;
    if (at < 0) return false;
    value = s->lines[at].substr(KeyOf(s->lines[at]).size() + 1);
    return true;
  }

  bool SectionExists(const std::string& section) const { return First(section) != nullptr; }

  std::vector<std::string> SectionNames() const {
    std::vector<std::string> names;
    for (const Section& s : sections_)
      if (First(s.name) == &s) names.push_back(s.name);
    return names;
  }

  std::vector<std::string> Keys(const std::string& section) const {
    std::vector<std::string> keys;
    const Section* s = First(section);
    if (!s) return keys;
    for (std::size_t i = 0; i < s->lines.size(); ++i)
      if (HasKey(s->lines[i]) && KeyLine(*s, KeyOf(s->lines[i])) == static_cast<int>(i))
        keys.push_back(KeyOf(s->lines[i]));
    return keys;
  }

 private:
  struct Section {
    std::string name;
    std::vector<std::string> lines;
  };
  static bool HasKey(const std::string& line) { return line.find('=') != std::string::npos; }
  static std::string KeyOf(const std::string& line) { return line.substr(0, line.rfind('=')); }
  static int KeyLine(const Section& s, const std::string& key) {
    for (std::size_t i = 0; i < s.lines.size(); ++i)
      if (HasKey(s.lines[i]) && Fold(KeyOf(s.lines[i])) == Fold(key)) return static_cast<int>(i);
    return -1;
  }
  const Section* First(const std::string& name) const {
    for (const Section& s : sections_)
      if (Fold(s.name) == Fold(name)) return &s;
    return nullptr;
  }
  Section* First(const std::string& name) {
    return const_cast<Section*>(static_cast<const Model*>(this)->First(name));
  }
  std::vector<Section> sections_;
};

// Names that fold alike or nearly (full-width letters, a double-byte character whose trail
// byte is "\" or "]", half a character), so that the indexes meet collisions and duplicates.
const char* const kNames[] = {"a", "A", "b", "Orvik", "ORVIK", "\x82\x81", "\x82\x60", "a=b", "",
                              "\x81\x5d", "C:\\x", "c:\\X", "\xB1", "k\x81", "[x", "x]"};

std::string PickName(FuzzedDataProvider& in) {
  if (in.ConsumeBool()) return kNames[in.ConsumeIntegralInRange<std::size_t>(0, std::size(kNames) - 1)];
  return in.ConsumeRandomLengthString(12);
}

// What a line can hold and still read back as written (the reading rules in ini_document.h).
bool Storable(const std::string& s) { return s.find_first_of("\r\n") == std::string::npos; }
bool StorableLine(const std::string& key, const std::string& value) {
  if (!Storable(key) || !Storable(value) || value.find('=') != std::string::npos) return false;
  if (!key.empty() && key[0] == ';') return false;
  return !(!key.empty() && key[0] == '[' && !value.empty() && value.back() == ']');
}

// A decimal integer in int's range, with an optional sign.
bool Decimal(const std::string& s, int& out) {
  std::size_t i = s.empty() || (s[0] != '-' && s[0] != '+') ? 0 : 1;
  if (i == s.size()) return false;
  long double value = 0;
  for (; i < s.size(); ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
    value = value * 10 + (s[i] - '0');
  }
  if (s[0] == '-') value = -value;
  if (value < INT_MIN || value > INT_MAX) return false;
  out = static_cast<int>(value);
  return true;
}

void Compare(const IniDocument& doc, const Model& model, FuzzedDataProvider& in) {
  FUZZ_CHECK(doc.Text() == model.Text());
  FUZZ_CHECK(doc.SectionNames() == model.SectionNames());
  const std::string section = PickName(in), key = PickName(in);
  FUZZ_CHECK(doc.SectionExists(section) == model.SectionExists(section));
  std::vector<std::string> keys;
  doc.ReadSectionKeys(section, keys);
  FUZZ_CHECK(keys == model.Keys(section));
  std::string value;
  const bool exists = model.Read(section, key, value);
  FUZZ_CHECK(doc.ValueExists(section, key) == exists);
  FUZZ_CHECK(doc.ReadString(section, key, "\x01") == (exists ? value : "\x01"));
  int number = 0;
  const bool isNumber = exists && Decimal(value, number);
  FUZZ_CHECK(doc.ReadInteger(section, key, -7) == (isNumber ? number : -7));
  FUZZ_CHECK(doc.ReadBool(section, key, false) == (isNumber && number != 0));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  IniDocument doc(kCollation);
  Model model;
  const std::string text = in.ConsumeRandomLengthString(4096);
  doc.Parse(text);
  model.Parse(text);
  Compare(doc, model, in);
  for (int steps = 0; steps < 200 && in.remaining_bytes() > 0; ++steps) {
    const std::string section = PickName(in), key = PickName(in);
    switch (in.ConsumeIntegralInRange(0, 7)) {
      case 0: {
        const std::string value = in.ConsumeBool() ? std::string() : in.ConsumeRandomLengthString(in.ConsumeBool() ? 16 : 600);
        if (!Storable(section) || !StorableLine(key, value)) continue;
        doc.WriteString(section, key, value);
        model.Write(section, key, value);
        break;
      }
      case 1:
        doc.DeleteKey(section, key);
        model.DeleteKey(section, key);
        break;
      case 2:
        doc.EraseSection(section);
        model.Erase(section);
        break;
      case 3:
        if (!Storable(key)) continue;
        FUZZ_CHECK(doc.RenameSection(section, key) == model.Rename(section, key));
        break;
      case 4: {
        // Many keys at once, so that removals reach the point where the section is swept.
        const int count = in.ConsumeIntegralInRange(0, 80);
        for (int i = 0; i < count; ++i) {
          const std::string many = key + std::to_string(i);
          if (!Storable(section) || !StorableLine(many, "")) break;
          doc.WriteString(section, many, "");
          model.Write(section, many, "");
        }
        break;
      }
      case 5: {
        // And many removed at once: keys, or whole sections.
        const bool sections = in.ConsumeBool();
        const int first = in.ConsumeIntegralInRange(0, 40), count = in.ConsumeIntegralInRange(0, 80);
        for (int i = first; i < first + count; ++i) {
          const std::string many = key + std::to_string(i);
          if (sections) {
            doc.EraseSection(many);
            model.Erase(many);
          } else {
            doc.DeleteKey(section, many);
            model.DeleteKey(section, many);
          }
        }
        break;
      }
      case 6: {
        // Values rewritten until the replaced bytes are swept out of the section's buffer.
        const std::string value(in.ConsumeIntegralInRange(0, 1500), in.ConsumeBool() ? '0' : 'v');
        const int count = in.ConsumeIntegralInRange(1, 12);
        if (!Storable(section) || !StorableLine(key, value)) continue;
        for (int i = 0; i < count; ++i) {
          doc.WriteString(section, key, value + std::to_string(i));
          model.Write(section, key, value + std::to_string(i));
        }
        break;
      }
      default: {
        // Sections made in bulk, so that erasing them sweeps the section list.
        const int count = in.ConsumeIntegralInRange(0, 80);
        for (int i = 0; i < count; ++i) {
          const std::string many = key + std::to_string(i);
          if (!Storable(many) || !StorableLine(section, "1")) break;
          doc.WriteString(many, section, "1");
          model.Write(many, section, "1");
        }
        break;
      }
    }
    Compare(doc, model, in);
  }
  // The saved text reads back as the same document.
  IniDocument again(kCollation);
  again.Parse(doc.Text());
  FUZZ_CHECK(again.Text() == doc.Text());
  FUZZ_CHECK(again.SectionNames() == doc.SectionNames());
  return 0;
}
