#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "support/portable_collation.h"
#include "store/ini_document.h"

namespace velmora {
namespace {

class IniDocumentTest : public ::testing::Test {
 protected:
  std::vector<std::string> KeysOf(std::string_view section) const {
    std::vector<std::string> keys;
    doc.ReadSectionKeys(section, keys);
    return keys;
  }
  PortableCollation collation;
  IniDocument doc{collation};
};

using Keys = std::vector<std::string>;

TEST_F(IniDocumentTest, SavedTextRoundTripsByteForByte) {
  // Titles and paths whose second bytes are "\" or "|", a key holding "=", empty values.
  const std::string text =
      "[ソフト表]\r\n"
      "D:\\能力\\ソ=2\r\n"
      "\\\\srv\\ポ|x=0\r\n"
      "D:\\a=b=1\r\n"
      "cmp=1\r\n"
      "\r\n"
      "[]\r\n"
      "C:\\=0\r\n"
      "\r\n"
      "[ソフト表-能]\r\n"
      "x=y.txt=\r\n"
      "表.doc=\r\n"
      "\r\n";
  doc.Parse(text);
  EXPECT_EQ(doc.Text(), text);
  EXPECT_EQ(KeysOf("ソフト表"), (Keys{"D:\\能力\\ソ", "\\\\srv\\ポ|x", "D:\\a=b", "cmp"}));
  EXPECT_EQ(doc.ReadInteger("ソフト表", "D:\\a=b", -1), 1);
  EXPECT_EQ(KeysOf(""), (Keys{"C:\\"}));
  EXPECT_EQ(KeysOf("ソフト表-能"), (Keys{"x=y.txt", "表.doc"}));
  EXPECT_TRUE(doc.ValueExists("ソフト表-能", "x=y.txt"));
  EXPECT_EQ(doc.ReadString("ソフト表-能", "x=y.txt", "missing"), "");
}

TEST_F(IniDocumentTest, ReadingDropsWhatSavingDoesNotKeep) {
  // Mixed line ends, comments, empty lines and lines before the first section.
  doc.Parse("orphan=1\n;comment\r\n\r\n[A]\rk=v\n;k2=x\n\n[B]\r\n\r\nz=1");
  EXPECT_EQ(doc.Text(), "[A]\r\nk=v\r\n\r\n[B]\r\nz=1\r\n\r\n");
  EXPECT_EQ(doc.SectionNames(), (Keys{"A", "B"}));
  EXPECT_FALSE(doc.ValueExists("A", "orphan"));
  doc.Parse("");
  EXPECT_EQ(doc.Text(), "");
  EXPECT_TRUE(doc.SectionNames().empty());
}

TEST_F(IniDocumentTest, LineWithoutEqualsIsKeptButIsNoKey) {
  doc.Parse("[A]\r\nstray text\r\nk=1\r\n[ x ]\r\n");
  EXPECT_EQ(KeysOf("A"), (Keys{"k"}));
  EXPECT_FALSE(doc.ValueExists("A", "stray text"));
  EXPECT_EQ(doc.Text(), "[A]\r\nstray text\r\nk=1\r\n\r\n[ x ]\r\n\r\n");
  EXPECT_TRUE(doc.SectionExists(" x "));  // no trimming
  EXPECT_FALSE(doc.SectionExists("x"));
}

TEST_F(IniDocumentTest, HeaderNeedsARealClosingBracket) {
  // "[ゾ" ends in the byte 0x5D as the trail of "ゾ": a line of section A, not a header.
  doc.Parse("[A]\r\n[\x83\x5D\r\n[ゾ]\r\nk=1\r\n");
  EXPECT_EQ(doc.SectionNames(), (Keys{"A", "ゾ"}));
  EXPECT_TRUE(doc.ValueExists("ゾ", "k"));
  EXPECT_EQ(doc.Text(), "[A]\r\n[\x83\x5D\r\n\r\n[ゾ]\r\nk=1\r\n\r\n");
}

TEST_F(IniDocumentTest, BinderSectionWithFoldersAndExpandedFlag) {
  doc.Parse("[Work]\r\nD:\\Work=2\r\ncmp=0\r\nC:\\=0\r\n");
  EXPECT_EQ(KeysOf("work"), (Keys{"D:\\Work", "cmp", "C:\\"}));
  EXPECT_EQ(doc.ReadInteger("Work", "d:\\work", 0), 2);
  EXPECT_EQ(doc.ReadInteger("WORK", "c:\\", 7), 0);
  EXPECT_FALSE(doc.ReadBool("Work", "CMP", true));
  EXPECT_TRUE(doc.ReadBool("Other", "cmp", true));  // a missing flag reads as expanded
}

TEST_F(IniDocumentTest, WritesReplaceInPlaceOrAppend) {
  doc.Parse("[Work]\r\nD:\\Projects=0\r\ncmp=1\r\n\r\n[Orvik]\r\nWID=152\r\n");
  // Same key in another letter case: the line stays where it was, spelled as written.
  doc.WriteString("WORK", "d:\\projects", "2");
  doc.WriteInteger("Work", "C:\\", 0);
  doc.WriteBool("New", "cmp", false);  // a missing section is created with only this line
  doc.WriteBool("Orvik", "FRG", true);
  EXPECT_EQ(doc.Text(),
            "[Work]\r\nd:\\projects=2\r\ncmp=1\r\nC:\\=0\r\n\r\n"
            "[Orvik]\r\nWID=152\r\nFRG=1\r\n\r\n"
            "[New]\r\ncmp=0\r\n\r\n");
  // Registering the same folder again in another case finds it: nothing is added.
  EXPECT_TRUE(doc.ValueExists("work", "D:\\PROJECTS"));
  doc.WriteString("Work", "D:\\PROJECTS", "2");
  EXPECT_EQ(KeysOf("Work").size(), 3u);
}

TEST_F(IniDocumentTest, IntegerAndBooleanValues) {
  doc.Parse(
      "[S]\r\nw=300\r\nneg=-5\r\nplus=+7\r\nbad=12px\r\nempty=\r\nbig=99999999999\r\n"
      "min=-2147483648\r\nzero=0\r\ntwo=2\r\nword=true\r\nsp= 1\r\n");
  EXPECT_EQ(doc.ReadInteger("S", "w", 152), 300);
  EXPECT_EQ(doc.ReadInteger("S", "neg", 0), -5);
  EXPECT_EQ(doc.ReadInteger("S", "plus", 0), 7);
  EXPECT_EQ(doc.ReadInteger("S", "min", 0), -2147483647 - 1);
  for (const char* key : {"bad", "empty", "big", "word", "sp", "missing"}) {
    EXPECT_EQ(doc.ReadInteger("S", key, 152), 152) << key;
    EXPECT_TRUE(doc.ReadBool("S", key, true)) << key;
    EXPECT_FALSE(doc.ReadBool("S", key, false)) << key;
  }
  EXPECT_FALSE(doc.ReadBool("S", "zero", true));
  EXPECT_TRUE(doc.ReadBool("S", "two", false));
  EXPECT_TRUE(doc.ReadBool("S", "neg", false));
  doc.WriteInteger("T", "i", -42);
  doc.WriteBool("T", "t", true);
  doc.WriteBool("T", "f", false);
  EXPECT_EQ(doc.Text().substr(doc.Text().find("[T]")), "[T]\r\ni=-42\r\nt=1\r\nf=0\r\n\r\n");
}

TEST_F(IniDocumentTest, DuplicateKeysFirstWinsAndDeleteRemovesAll) {
  doc.Parse("[A]\r\nk=1\r\nx=0\r\nK=2\r\n");
  EXPECT_EQ(doc.ReadString("A", "k", ""), "1");
  EXPECT_EQ(KeysOf("A"), (Keys{"k", "x"}));  // each key reported once
  doc.WriteString("A", "k", "3");
  EXPECT_EQ(doc.Text(), "[A]\r\nk=3\r\nx=0\r\nK=2\r\n\r\n");
  doc.DeleteKey("A", "K");
  EXPECT_FALSE(doc.ValueExists("A", "k"));
  EXPECT_EQ(doc.Text(), "[A]\r\nx=0\r\n\r\n");
  doc.WriteString("A", "k", "4");
  EXPECT_EQ(doc.Text(), "[A]\r\nx=0\r\nk=4\r\n\r\n");
}

TEST_F(IniDocumentTest, DuplicateSectionsFirstWinsAndEraseRemovesAll) {
  doc.Parse("[A]\r\nk=1\r\n[B]\r\n[a]\r\nk=2\r\nm=3\r\n");
  EXPECT_EQ(doc.SectionNames(), (Keys{"A", "B"}));
  EXPECT_EQ(doc.ReadString("a", "k", ""), "1");
  EXPECT_FALSE(doc.ValueExists("A", "m"));
  doc.WriteString("A", "n", "4");
  EXPECT_EQ(doc.Text(), "[A]\r\nk=1\r\nn=4\r\n\r\n[B]\r\n\r\n[a]\r\nk=2\r\nm=3\r\n\r\n");
  doc.EraseSection("A");
  EXPECT_FALSE(doc.SectionExists("A"));
  EXPECT_EQ(doc.Text(), "[B]\r\n\r\n");
}

TEST_F(IniDocumentTest, EraseAndDeleteOnMissingNamesChangeNothing) {
  const std::string text = "[A]\r\nk=1\r\n\r\n";
  doc.Parse(text);
  doc.DeleteKey("A", "nope");
  doc.DeleteKey("Z", "k");
  doc.EraseSection("Z");
  EXPECT_EQ(doc.Text(), text);
  EXPECT_EQ(doc.ReadString("Z", "k", "def"), "def");
  EXPECT_FALSE(doc.RenameSection("Z", "Y"));
}

TEST_F(IniDocumentTest, SelectionSectionIsErasedAndRewritten) {
  doc.Parse("[Work-Projects]\r\nold.txt=\r\n\r\n[Other-X]\r\na=\r\n\r\n");
  doc.EraseSection("work-projects");
  doc.WriteString("Work-Projects", "report.doc", "");
  doc.WriteString("Work-Projects", "plan.xls", "");
  EXPECT_EQ(doc.Text(), "[Other-X]\r\na=\r\n\r\n[Work-Projects]\r\nreport.doc=\r\nplan.xls=\r\n\r\n");
}

TEST_F(IniDocumentTest, RenameKeepsPlaceLikeReplacingTheWholeText) {
  const std::string text = "[A]\r\nD:\\x=0\r\n\r\n[B]\r\ncmp=1\r\n\r\n";
  doc.Parse(text);
  ASSERT_TRUE(doc.RenameSection("a", "Z"));
  const std::string renamed = "[Z]\r\nD:\\x=0\r\n\r\n[B]\r\ncmp=1\r\n\r\n";
  EXPECT_EQ(doc.Text(), renamed);
  EXPECT_FALSE(doc.SectionExists("A"));
  EXPECT_EQ(doc.ReadInteger("z", "d:\\X", -1), 0);

  // Replacing the whole text re-reads it the same way.
  IniDocument other(collation);
  other.Parse(text);
  std::string replaced = other.Text();
  replaced.replace(0, 3, "[Z]");
  other.Parse(replaced);
  EXPECT_EQ(other.Text(), renamed);

  ASSERT_TRUE(doc.RenameSection("Z", "z"));  // only the spelling changes
  EXPECT_EQ(doc.SectionNames(), (Keys{"z", "B"}));
}

TEST_F(IniDocumentTest, RenameOntoAStaleSectionDropsTheStaleOne) {
  // C is a section no binder owns; renaming binder A to C must show A's folders, not C's.
  doc.Parse("[C]\r\nD:\\stale=0\r\n[A]\r\nD:\\mine=2\r\n");
  ASSERT_TRUE(doc.RenameSection("A", "C"));
  EXPECT_EQ(KeysOf("C"), (Keys{"D:\\mine"}));
  EXPECT_EQ(doc.Text(), "[C]\r\nD:\\mine=2\r\n\r\n");
}

TEST_F(IniDocumentTest, IndexStaysRightThroughManyDeletesAndErases) {
  // Enough removals to sweep out the removed lines and sections several times.
  for (int i = 0; i < 500; ++i) doc.WriteInteger("Big", "key" + std::to_string(i), i);
  for (int i = 0; i < 500; ++i)
    if (i % 5 != 0) doc.DeleteKey("BIG", "KEY" + std::to_string(i));
  std::vector<std::string> keys;
  doc.ReadSectionKeys("big", keys);
  ASSERT_EQ(keys.size(), 100u);
  for (int i = 0; i < 500; i += 5) {
    EXPECT_EQ(doc.ReadInteger("Big", "Key" + std::to_string(i), -1), i);
    EXPECT_EQ(keys[static_cast<std::size_t>(i / 5)], "key" + std::to_string(i));
  }
  doc.WriteInteger("Big", "key3", 33);
  doc.WriteInteger("Big", "key5", 55);
  EXPECT_EQ(doc.ReadInteger("Big", "key5", -1), 55);
  EXPECT_EQ(KeysOf("Big").back(), "key3");
  // Rewriting one key again and again leaves old bytes behind until they are swept out.
  for (int i = 0; i < 2000; ++i) doc.WriteInteger("Big", i % 2 ? "KEY0" : "key0", i);
  EXPECT_EQ(doc.ReadInteger("Big", "key0", -1), 1999);
  EXPECT_EQ(doc.ReadInteger("Big", "key10", -1), 10);
  EXPECT_EQ(KeysOf("Big").front(), "KEY0");

  for (int s = 0; s < 300; ++s) doc.WriteBool("S" + std::to_string(s), "cmp", s % 2 == 0);
  for (int s = 0; s < 300; ++s)
    if (s % 3 != 0) doc.EraseSection("s" + std::to_string(s));
  std::vector<std::string> names = doc.SectionNames();
  ASSERT_EQ(names.size(), 101u);
  EXPECT_EQ(names[0], "Big");
  for (int s = 0; s < 300; s += 3) {
    EXPECT_EQ(names[static_cast<std::size_t>(1 + s / 3)], "S" + std::to_string(s));
    EXPECT_EQ(doc.ReadBool("S" + std::to_string(s), "cmp", s % 2 != 0), s % 2 == 0);
  }
  EXPECT_EQ(doc.ReadInteger("Big", "key5", -1), 55);

  IniDocument reread(collation);
  reread.Parse(doc.Text());
  EXPECT_EQ(reread.Text(), doc.Text());
}

TEST_F(IniDocumentTest, DuplicatesStayTogetherThroughSweeps) {
  // Duplicates behind many lines and sections that are then removed: once the removed ones
  // are swept out, deleting, erasing or renaming must still reach every duplicate.
  std::string text = "[Big]\r\n";
  for (int i = 0; i < 100; ++i) text += "k" + std::to_string(i) + "=" + std::to_string(i) + "\r\n";
  text += "dup=1\r\nDUP=2\r\nk5=dup\r\n";
  for (int i = 0; i < 100; ++i) text += "[S" + std::to_string(i) + "]\r\n";
  text += "[Twin]\r\na=1\r\n[twin]\r\nb=2\r\n[TWIN]\r\nc=3\r\n[Pair]\r\n[pair]\r\n";
  doc.Parse(text);
  for (int i = 0; i < 100; ++i)
    if (i != 5) doc.DeleteKey("Big", "K" + std::to_string(i));
  for (int i = 0; i < 100; ++i) doc.EraseSection("s" + std::to_string(i));
  EXPECT_EQ(doc.ReadString("Big", "Dup", ""), "1");
  doc.DeleteKey("Big", "dUp");
  EXPECT_EQ(doc.Text(),
            "[Big]\r\nk5=5\r\nk5=dup\r\n\r\n[Twin]\r\na=1\r\n\r\n[twin]\r\nb=2\r\n\r\n[TWIN]\r\nc=3\r\n\r\n"
            "[Pair]\r\n\r\n[pair]\r\n\r\n");
  doc.DeleteKey("Big", "k5");
  ASSERT_TRUE(doc.RenameSection("TWIN", "Two"));
  EXPECT_EQ(doc.Text(), "[Big]\r\n\r\n[Two]\r\na=1\r\n\r\n[Two]\r\nb=2\r\n\r\n[Two]\r\nc=3\r\n\r\n[Pair]\r\n\r\n[pair]\r\n\r\n");
  ASSERT_TRUE(doc.RenameSection("Big", "pair"));  // both Pair sections go
  doc.EraseSection("two");
  EXPECT_EQ(doc.Text(), "[pair]\r\n\r\n");
}

// The same rules done the slow way, by comparing name after name: what the indexes must
// agree with whatever order of writes, deletes, erases and renames.
class ScanningModel {
 public:
  explicit ScanningModel(const Collation& c) : c_(c) {}

  struct Section {
    std::string name;
    std::vector<std::string> lines;
  };
  std::vector<Section> sections;

  std::string Text() const {
    std::string out;
    for (const Section& s : sections) {
      out += "[" + s.name + "]\r\n";
      for (const std::string& l : s.lines) out += l + "\r\n";
      out += "\r\n";
    }
    return out;
  }
  bool Exists(const std::string& section) const { return Find(section) != nullptr; }
  std::string Read(const std::string& section, const std::string& key, const std::string& def) const {
    const Section* s = Find(section);
    if (!s) return def;
    for (const std::string& l : s->lines)
      if (KeyMatches(l, key)) return l.substr(l.rfind('=') + 1);
    return def;
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const Section& s : sections)
      if (Find(s.name) == &s) names.push_back(s.name);
    return names;
  }
  std::vector<std::string> Keys(const std::string& section) const {
    std::vector<std::string> keys;
    const Section* s = Find(section);
    if (!s) return keys;
    for (const std::string& l : s->lines) {
      std::size_t eq = l.rfind('=');
      if (eq == std::string::npos) continue;
      std::string key = l.substr(0, eq);
      bool seen = false;
      for (const std::string& k : keys) seen = seen || Same(k, key);
      if (!seen) keys.push_back(key);
    }
    return keys;
  }
  void Write(const std::string& section, const std::string& key, const std::string& value) {
    Section* s = Find(section);
    if (!s) {
      sections.push_back({section, {}});
      s = &sections.back();
    }
    for (std::string& l : s->lines) {
      if (KeyMatches(l, key)) {
        l = key + "=" + value;
        return;
      }
    }
    s->lines.push_back(key + "=" + value);
  }
  void Delete(const std::string& section, const std::string& key) {
    Section* s = Find(section);
    if (!s) return;
    std::vector<std::string> kept;
    for (const std::string& l : s->lines)
      if (!KeyMatches(l, key)) kept.push_back(l);
    s->lines = kept;
  }
  void Erase(const std::string& section) {
    std::vector<Section> kept;
    for (const Section& s : sections)
      if (!Same(s.name, section)) kept.push_back(s);
    sections = kept;
  }
  bool Rename(const std::string& from, const std::string& to) {
    if (!Find(from)) return false;
    if (!Same(from, to)) Erase(to);
    for (Section& s : sections)
      if (Same(s.name, from)) s.name = to;
    return true;
  }

 private:
  bool Same(const std::string& a, const std::string& b) const { return c_.CompareIgnoreCase(a, b) == 0; }
  bool KeyMatches(const std::string& line, const std::string& key) const {
    std::size_t eq = line.rfind('=');
    return eq != std::string::npos && Same(line.substr(0, eq), key);
  }
  const Section* Find(const std::string& name) const {
    for (const Section& s : sections)
      if (Same(s.name, name)) return &s;
    return nullptr;
  }
  Section* Find(const std::string& name) {
    return const_cast<Section*>(static_cast<const ScanningModel*>(this)->Find(name));
  }
  const Collation& c_;
};

// Folds of another length than the text, through the folding built on FoldKey alone, as
// with the platform's sort keys.
class BracketedFoldCollation : public PortableCollation {
 public:
  std::string FoldKey(std::string_view s) const override { return "<" + PortableCollation::FoldKey(s) + ">"; }
  void AppendFoldKey(std::string_view s, std::string& out) const override { Collation::AppendFoldKey(s, out); }
  bool FoldsTo(std::string_view s, std::string_view fold) const override { return Collation::FoldsTo(s, fold); }
};

void ExpectIndexesAgreeWithAScan(const Collation& c) {
  IniDocument doc(c);
  std::mt19937 rng(20240611);
  auto pick = [&rng](std::size_t n) { return static_cast<std::size_t>(rng() % n); };
  // Names that differ only in letter case, full-width letters, and a kana whose trail byte
  // is "A": many collide when folded, some only look alike.
  const std::vector<std::string> stems = {"k", "Work", "Ａb", "ア", "D:\\ソ\\x", "x=y"};
  auto name = [&](std::size_t range) {
    std::size_t r = pick(range);
    std::string n = stems[r % stems.size()] + std::to_string(r / stems.size());
    for (char& ch : n) {
      if (pick(2) == 0 && ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 'a' + 'A');
    }
    if (n.compare(0, 2, "Ａ") == 0 && pick(2) == 0) n.replace(0, 2, "ａ");
    return n;
  };
  for (int trial = 0; trial < 12; ++trial) {
    // Few sections with many keys, so that removed lines pile up and are swept out, or many
    // sections with few keys, so that removed sections are.
    const bool manyKeys = trial % 2 == 0;
    const std::size_t sectionNames = manyKeys ? 3 : 40, keyNames = manyKeys ? 150 : 4;
    ScanningModel model(c);
    // A start with duplicate sections and keys, as only a read file can have them.
    for (int s = 0; s < 6; ++s) {
      model.sections.push_back({name(sectionNames), {}});
      for (int k = 0; k < 20; ++k) model.sections.back().lines.push_back(name(keyNames) + "=" + std::to_string(k));
      if (pick(3) == 0) model.sections.back().lines.push_back("no key here");
    }
    doc.Parse(model.Text());
    ASSERT_EQ(doc.Text(), model.Text());
    for (int step = 0; step < 300; ++step) {
      std::string section = name(sectionNames), key = name(keyNames);
      switch (pick(10)) {
        case 0:
          doc.EraseSection(section);
          model.Erase(section);
          break;
        case 1: {
          std::string to = name(4);
          ASSERT_EQ(doc.RenameSection(section, to), model.Rename(section, to));
          break;
        }
        case 2:
        case 3:
        case 4:
          doc.DeleteKey(section, key);
          model.Delete(section, key);
          break;
        default: {
          std::string value = std::to_string(step);
          doc.WriteString(section, key, value);
          model.Write(section, key, value);
        }
      }
      ASSERT_EQ(doc.Text(), model.Text()) << "trial " << trial << " step " << step;
      ASSERT_EQ(doc.ReadString(section, key, "-"), model.Read(section, key, "-"));
      ASSERT_EQ(doc.SectionExists(section), model.Exists(section));
    }
    EXPECT_EQ(doc.SectionNames(), model.Names());
    for (const std::string& n : model.Names()) {
      std::vector<std::string> keys;
      doc.ReadSectionKeys(n, keys);
      EXPECT_EQ(keys, model.Keys(n)) << n;
    }
    IniDocument reread(c);
    reread.Parse(doc.Text());
    EXPECT_EQ(reread.Text(), model.Text());
  }
}

TEST(IniDocumentIndex, AgreesWithAScanThroughRandomEdits) {
  ExpectIndexesAgreeWithAScan(PortableCollation());
  ExpectIndexesAgreeWithAScan(BracketedFoldCollation());
}

}  // namespace
}  // namespace velmora
