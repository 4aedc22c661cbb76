// An INI file held in memory: ordered sections of ordered "key=value" lines, read and
// written whole. Section names and keys match case-insensitively through a Collation.
//
// Reading rules:
// - lines end at CR, LF or CR LF and are taken unchanged (no trimming);
// - empty lines, lines starting with ";" and lines before the first section are dropped;
// - a line that starts with "[" and whose last byte is "]" opens a section named by what lies
//   between, also where that "]" could be read as the trail byte of a double-byte character:
//   a name ending in half a character is saved that way and must read back;
// - a key ends at the LAST "=" of its line: the values this program writes never hold "=",
//   while folder paths and file names used as keys may;
// - a line without "=" inside a section is kept as it is and written back unchanged, but it
//   is not a key (so it is never shown as a folder or a selected item).
// Duplicates: the first section and the first key of a name win for reading and writing;
// later ones are kept in the text. Deleting a key or erasing a section removes every
// occurrence, so the name is really gone afterwards.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "common/collation.h"

namespace velmora {

class IniDocument {
 public:
  explicit IniDocument(const Collation& collation);

  // Replaces the whole document by the text read by the rules above.
  void Parse(std::string_view fileText);
  void Clear();
  // Exactly what saving writes: per section "[" name "]", its lines, an empty line; CR LF.
  std::string Text() const;

  bool SectionExists(std::string_view section) const;
  // Appends the section's keys in order, each once.
  void ReadSectionKeys(std::string_view section, std::vector<std::string>& out) const;
  // Section names in order, each once.
  std::vector<std::string> SectionNames() const;

  bool ValueExists(std::string_view section, std::string_view key) const;
  // The key as the document spells it (its letter case may differ from key's), or empty
  // when the section has no such key.
  std::string StoredKey(std::string_view section, std::string_view key) const;
  std::string ReadString(std::string_view section, std::string_view key, std::string_view def) const;
  // Decimal integer; a missing key or a value that is not one gives def.
  int ReadInteger(std::string_view section, std::string_view key, int def) const;
  // True unless the value is the integer 0; missing or not an integer gives def.
  bool ReadBool(std::string_view section, std::string_view key, bool def) const;

  // An existing key's line is replaced in place and then carries the key as spelled here;
  // a new key goes to the end of its section, a new section to the end of the document.
  // The value must not hold "=", CR or LF (it would not read back the same).
  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  void WriteInteger(std::string_view section, std::string_view key, int value);
  void WriteBool(std::string_view section, std::string_view key, bool value);

  void DeleteKey(std::string_view section, std::string_view key);
  void EraseSection(std::string_view section);

  // Gives the section "from" the name "to" where it stands, with its lines. Another section
  // already named "to" is merged into it and removed, or it would hide the renamed one: its
  // lines whose keys the renamed section lacks are appended, so no key of either is lost.
  // False when "from" does not exist.
  bool RenameSection(std::string_view from, std::string_view to);

 private:
  static constexpr std::size_t kNoKey = static_cast<std::size_t>(-1);
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

  // Positions of names by the hash of their folded form, so that a lookup does not scan.
  // Only hashes and positions are kept, not a folded copy of every name: where a hash
  // matches, the name at that position (keyOf(pos)) is folded again and compared, which is
  // rare except for the name being looked for. Open addressing with linear probing.
  class FoldIndex {
   public:
    void Clear();
    // Room for that many more names without growing.
    void Reserve(std::size_t names);
    // The position of the name that folds to fold, or kNone.
    template <class KeyOf>
    std::size_t Find(const Collation& collation, std::string_view fold, KeyOf keyOf) const;
    // Adds the name folding to fold at pos and gives kNone; a name already there keeps its
    // position, which is given back.
    template <class KeyOf>
    std::size_t Add(const Collation& collation, std::string_view fold, std::size_t pos, KeyOf keyOf);
    // Removes the name folding to fold and gives its position, or kNone.
    template <class KeyOf>
    std::size_t Take(const Collation& collation, std::string_view fold, KeyOf keyOf);
    // Every position p becomes moved[p].
    void Remap(const std::vector<std::size_t>& moved);

   private:
    struct Entry {
      std::size_t hash = 0;
      std::size_t pos = kNone;  // kNone: a free slot
    };
    // The slot holding fold, or the free slot that ends its probe.
    template <class KeyOf>
    std::size_t SlotOf(const Collation& collation, std::string_view fold, std::size_t hash, KeyOf keyOf) const;
    void Rehash(std::size_t slotCount);
    void EraseSlot(std::size_t slot);

    std::vector<Entry> slots_;  // a power of two, at most three quarters in use
    std::size_t count_ = 0;
  };

  // A line's bytes live in its section's buffer, so that reading and saving walk memory in
  // order instead of chasing one allocation per line.
  struct Line {
    std::size_t offset = 0;
    std::size_t length = 0;
    std::size_t keyLength = kNoKey;  // position of the last "=", kNoKey for a line without one
    std::size_t nextSame = kNone;    // the next line of the same key, from the first one on
    bool shadowed = false;           // a later duplicate of an earlier key
    bool dead = false;
  };

  struct Section {
    std::string name;
    std::string bytes;        // the text of every line, back to back
    std::size_t garbage = 0;  // bytes of replaced or deleted lines still in the buffer
    std::vector<Line> lines;
    FoldIndex keys;           // each key's first line
    std::size_t deadLines = 0;
    std::size_t nextSame = kNone;  // the next section of the same name, from the first one on
    bool shadowed = false;
    bool dead = false;
    std::string_view TextOf(const Line& l) const { return std::string_view(bytes).substr(l.offset, l.length); }
  };

  std::string Fold(std::string_view name) const;
  // What the indexes read back the names from.
  auto SectionNameAt() const;
  static auto KeyAt(const Section& section);
  const Section* FindSection(std::string_view name) const;
  Section* FindSection(std::string_view name);
  const Line* FindLine(const Section& section, std::string_view key) const;
  Section& SectionForWrite(std::string_view name);
  // keyFold is the folded key, unused for a line without one.
  void AddLine(Section& section, std::string_view text, std::size_t keyLength, std::string_view keyFold);
  // Fills a new section with the lines found for it while parsing; their offsets are into
  // text. fold is scratch space, so that all the keys are folded into one buffer.
  void FillSection(Section& section, std::string_view text, const std::vector<Line>& found, std::string& fold);
  void AddSection(std::string name);
  void KillSections(std::size_t first);
  // Appends to into the lines of the section at first and its duplicates whose keys into
  // lacks, and the lines without a key.
  void TakeLinesOf(std::size_t first, Section& into);
  void CompactSection(Section& section);
  void CompactSections();

  const Collation* collation_;
  std::vector<Section> sections_;
  FoldIndex sectionIndex_;  // each name's first section
  std::size_t deadSections_ = 0;
};

}  // namespace velmora
