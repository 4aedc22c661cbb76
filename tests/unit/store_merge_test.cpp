// Two processes working on the same store files: whichever saves last, both keep their work.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "store/binder_store.h"
#include "support/portable_collation.h"
#include "support/fake_file_system.h"

namespace velmora {
namespace {

const std::string& kTitles = kFakeTitleList;
const std::string& kFolders = kFakeFolderList;
const std::string& kSelect = kFakeSelectList;

using Strings = std::vector<std::string>;

class StoreMergeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs.files = {{kTitles, "Work\r\nOther\r\nGone\r\n"},
                {kFolders,
                 "[Work]\r\nD:\\Projects=2\r\ncmp=1\r\n\r\n[Other]\r\nE:\\x=0\r\ncmp=0\r\n\r\n[Gone]\r\nF:\\old=0\r\n\r\n"
                 "[Orvik]\r\nFRG=0\r\nWID=152\r\n\r\n"},
                {kSelect, "[Work-Projects]\r\na.txt=\r\n\r\n"}};
  }
  // What a process writes at exit whatever it did: every binder's flag and both settings.
  static void ExitWrites(BinderStore& s, int width) {
    for (int i = 0; i < s.titles.Count(); ++i)
      s.folders.WriteBool(s.titles[i], "cmp", s.folders.ReadBool(s.titles[i], "cmp", true));
    s.folders.WriteBool("Orvik", "FRG", s.folders.ReadBool("Orvik", "FRG", false));
    s.folders.WriteInteger("Orvik", "WID", width);
  }
  Strings Titles() {
    BinderStore s(collation, fs);
    s.SetUpPaths(kFakeExeDir, "u");
    s.Load();
    Strings out;
    for (int i = 0; i < s.titles.Count(); ++i) out.push_back(s.titles[i]);
    return out;
  }
  Strings Keys(const std::string& section, const std::string& file = kFolders) {
    IniDocument doc(collation);
    doc.Parse(fs.files[file]);
    Strings keys;
    doc.ReadSectionKeys(section, keys);
    return keys;
  }
  std::string Value(const std::string& section, const std::string& key) {
    IniDocument doc(collation);
    doc.Parse(fs.files[kFolders]);
    return doc.ReadString(section, key, "<none>");
  }
  static std::string Sorted(Strings v) {
    std::sort(v.begin(), v.end());
    std::string out;
    for (const std::string& s : v) out += s + "|";
    return out;
  }
  BinderStore Loaded() {
    BinderStore s(collation, fs);
    s.SetUpPaths(kFakeExeDir, "u");
    s.Load();
    return s;
  }

  PortableCollation collation;
  FakeFileSystem fs;
};

TEST_F(StoreMergeTest, WindowAndRegistrationBothSurviveInEitherOrder) {
  for (bool windowSavesLast : {true, false}) {
    SetUp();
    BinderStore window = Loaded();
    BinderStore registration = Loaded();

    // The open window: a rename, a view style, a removed folder, a deleted binder, a
    // selection, a wider pane, a new binder.
    window.RenameBinder("Other", "Renamed");
    window.folders.WriteString("Work", "D:\\Projects", "1");
    window.folders.DeleteKey("Renamed", "E:\\x");
    window.folders.WriteString("Renamed", "E:\\y", "0");
    window.titles.Delete(window.titles.IndexOf("Gone"));
    window.folders.EraseSection("Gone");
    window.selections.EraseSection("Work-Projects");
    window.selections.WriteString("Work-Projects", "b.txt", "");
    window.titles.Add("Fresh");
    ExitWrites(window, 300);

    // Send To: folders into Work and Other, and a new binder; the hidden window then writes
    // its flags and its (unchanged) width.
    registration.folders.WriteString("Work", "D:\\Sent", "0");
    registration.folders.WriteString("Other", "E:\\sent", "0");
    registration.titles.Add("New");
    registration.folders.WriteString("New", "G:\\n", "0");
    ExitWrites(registration, 152);

    BinderStore& first = windowSavesLast ? registration : window;
    BinderStore& last = windowSavesLast ? window : registration;
    ASSERT_TRUE(first.Save().empty());
    ASSERT_TRUE(last.Save().empty());

    SCOPED_TRACE(windowSavesLast ? "window saves last" : "registration saves last");
    // Who saved first decides only the order in which additions were appended.
    Strings titles = {"Work", "Renamed", "Fresh", "New"};
    if (!windowSavesLast) titles.push_back("Other");  // see below
    EXPECT_EQ(Sorted(Titles()), Sorted(titles));
    EXPECT_EQ(Sorted(Keys("Work")), Sorted({"D:\\Projects", "cmp", "D:\\Sent"}));
    EXPECT_EQ(Value("Work", "D:\\Projects"), "1");
    EXPECT_EQ(Value("Renamed", "cmp"), "0");
    if (windowSavesLast) {
      // The folder sent to the old name follows the rename; the removed one stays removed.
      EXPECT_EQ(Sorted(Keys("Renamed")), Sorted({"cmp", "E:\\y", "E:\\sent"}));
      EXPECT_EQ(Keys("Other"), Strings{});
    } else {
      // The rename is in the files already, unknown to the registration: the folder it sent
      // brings the old name back as a binder of its own rather than being lost.
      EXPECT_EQ(Sorted(Keys("Renamed")), Sorted({"cmp", "E:\\y"}));
      EXPECT_EQ(Keys("Other"), Strings{"E:\\sent"});
    }
    EXPECT_EQ(Keys("Gone"), Strings{});  // deleted, and the other's flag did not revive it
    EXPECT_EQ(Keys("New"), (Strings{"G:\\n", "cmp"}));
    EXPECT_EQ(Value("Orvik", "WID"), "300");
    EXPECT_EQ(Keys("Work-Projects", kSelect), Strings{"b.txt"});
    // The saving process now holds the merge: a further save changes nothing.
    const auto files = fs.files;
    EXPECT_TRUE(last.Save().empty());
    EXPECT_EQ(fs.files, files);
  }
}

TEST_F(StoreMergeTest, ChangesMadeAfterASaveAreMergedOnceAndOnlyOnce) {
  BinderStore a = Loaded();
  BinderStore b = Loaded();
  a.folders.WriteString("Work", "D:\\A1", "0");
  ASSERT_TRUE(a.Save().empty());
  b.folders.WriteString("Work", "D:\\B1", "0");
  b.folders.DeleteKey("Work", "D:\\Projects");
  ASSERT_TRUE(b.Save().empty());
  // a's second save: its earlier change is in its base now, b's work must stay.
  a.folders.WriteString("Other", "E:\\A2", "0");
  a.RenameBinder("Work", "Job");
  ASSERT_TRUE(a.Save().empty());
  EXPECT_EQ(Keys("Job"), (Strings{"cmp", "D:\\A1", "D:\\B1"}));
  EXPECT_EQ(Keys("Other"), (Strings{"E:\\x", "cmp", "E:\\A2"}));
  EXPECT_EQ(Titles(), (Strings{"Job", "Other", "Gone"}));
  // b renames again after a's rename reached the files; its rename of the old name finds
  // nothing there and does no harm.
  b.RenameBinder("Work", "Task");
  ASSERT_TRUE(b.Save().empty());
  EXPECT_EQ(Titles(), (Strings{"Job", "Other", "Gone"}));
  EXPECT_EQ(Keys("Job"), (Strings{"cmp", "D:\\A1", "D:\\B1"}));
}

TEST_F(StoreMergeTest, ABinderTheOtherRemovedComesBackOnlyWithFoldersAddedToIt) {
  BinderStore remover = Loaded();
  BinderStore adder = Loaded();
  remover.titles.Delete(remover.titles.IndexOf("Work"));
  remover.folders.EraseSection("Work");
  remover.titles.Delete(remover.titles.IndexOf("Other"));
  remover.folders.EraseSection("Other");
  ASSERT_TRUE(remover.Save().empty());
  adder.folders.WriteString("Work", "D:\\late", "0");  // added after the other removed it
  adder.folders.WriteBool("Other", "cmp", true);       // a flag alone brings nothing back
  ASSERT_TRUE(adder.Save().empty());
  EXPECT_EQ(Titles(), (Strings{"Gone", "Work"}));
  EXPECT_EQ(Keys("Work"), Strings{"D:\\late"});
  EXPECT_EQ(Keys("Other"), Strings{});
}

TEST_F(StoreMergeTest, SelectionsAreMergedPerFolder) {
  BinderStore a = Loaded();
  BinderStore b = Loaded();
  a.selections.EraseSection("Work-Projects");
  a.selections.WriteString("Work-Projects", "mine.txt", "");
  b.selections.WriteString("Other-x", "theirs.txt", "");
  ASSERT_TRUE(b.Save().empty());
  ASSERT_TRUE(a.Save().empty());
  EXPECT_EQ(fs.files[kSelect], "[Other-x]\r\ntheirs.txt=\r\n\r\n[Work-Projects]\r\nmine.txt=\r\n\r\n");
}

TEST_F(StoreMergeTest, AFileUnreadableAtLoadTakesInOurChangesOnceItCanBeRead) {
  fs.unreadable = {kTitles};
  BinderStore s = Loaded();
  EXPECT_EQ(s.titles.Count(), 0);
  s.titles.Add("Mine");
  EXPECT_EQ(s.Save(), Strings{kTitles});  // still locked: left alone
  EXPECT_EQ(fs.files[kTitles], "Work\r\nOther\r\nGone\r\n");
  fs.unreadable.clear();
  EXPECT_TRUE(s.Save().empty());
  EXPECT_EQ(fs.files[kTitles], "Work\r\nOther\r\nGone\r\nMine\r\n");
}

}  // namespace
}  // namespace velmora
