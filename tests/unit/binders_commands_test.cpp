// The binder commands against an in-memory store: what they change and what they tell the tree.
#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "binders/binder_commands.h"
#include "binders/binder_model.h"
#include "store/binder_store.h"
#include "text/cp932.h"
#include "support/portable_collation.h"
#include "support/fake_file_system.h"
#include "support/recording_prompter.h"

namespace velmora {
namespace {

using Strings = std::vector<std::string>;

class BinderCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    disk.folders = {"D:\\Data", "D:\\ソ", "E:\\Other", "\\\\srv\\share\\x"};
    disk.links = {{"C:\\Desktop\\data.lnk", "D:\\Data"}, {"C:\\Desktop\\file.LNK", "C:\\a.txt"}};
    for (const char* file : {"C:\\a.txt", "C:\\Desktop\\data.lnk", "C:\\Desktop\\file.LNK", "C:\\Desktop\\broken.lnk"})
      disk.files[file];
  }
  Strings Titles() const {
    Strings out;
    for (int i = 0; i < store.titles.Count(); ++i) out.push_back(store.titles[i]);
    return out;
  }
  Strings Keys(const std::string& section) const {
    Strings keys;
    store.folders.ReadSectionKeys(section, keys);
    return keys;
  }
  static Strings Paths(const std::vector<FolderEntry>& folders) {
    Strings out;
    for (const FolderEntry& f : folders) out.push_back(f.path);
    return out;
  }

  PortableCollation collation;
  FakeFileSystem files;
  BinderStore store{collation, files};
  FakeFileSystem disk;
  RecordingPrompter prompter;
  BinderCommands commands{store, collation, disk};
};

TEST_F(BinderCommandsTest, NewBinderNumbersTakenNamesAndTheSettingsName) {
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(commands.NewBinder("Work", prompter).happened);
  EXPECT_TRUE(commands.NewBinder("work", prompter).happened);
  TreeChange orvik = commands.NewBinder("Orvik", prompter);
  EXPECT_EQ(orvik.binder, "Orvik 1");
  EXPECT_TRUE(orvik.binderAdded);
  EXPECT_FALSE(orvik.selectAndList);  // selected, not listed
  EXPECT_EQ(commands.NewBinder("oRVIK", prompter).binder, "oRVIK 2");
  commands.NewBinder("", prompter);
  commands.NewBinder("", prompter);
  EXPECT_EQ(Titles(), (Strings{"Work", "Work 1", "Work 2", "work 3", "Orvik 1", "oRVIK 2", "", " 1"}));
  EXPECT_TRUE(prompter.asked.empty());
  EXPECT_TRUE(prompter.messages.empty());
  EXPECT_FALSE(store.folders.SectionExists("Work"));  // no section until a folder or the exit
}

TEST_F(BinderCommandsTest, TitlesTheFilesCannotHoldAreRefusedWithAMessage) {
  for (const std::string& bad : {std::string("a\r\nb"), std::string("a\nb"), std::string("x\x83"),
                                std::string("a\0b", 3)}) {
    prompter.messages.clear();
    EXPECT_FALSE(commands.NewBinder(bad, prompter).happened);
    EXPECT_EQ(prompter.messages, Strings{std::string(kBadTitleCaption) + ": " + kBadTitleText});
  }
  commands.NewBinder("A", prompter);
  prompter.messages.clear();
  EXPECT_FALSE(commands.Rename("A", "B\x83", prompter).happened);
  EXPECT_EQ(prompter.messages.size(), 1u);
  EXPECT_FALSE(commands.RegisterFolder("C\x83", "D:\\Data", nullptr, prompter).happened);
  EXPECT_EQ(prompter.messages.size(), 2u);
  EXPECT_FALSE(commands.RegisterFromCommandLine("D\r", {"D:\\Data"}, prompter));
  EXPECT_EQ(prompter.messages.size(), 3u);
  EXPECT_TRUE(prompter.asked.empty());
  EXPECT_EQ(Titles(), Strings{"A"});
  EXPECT_TRUE(IsStorableTitle("ソフト"));  // trail bytes 0x5C are whole characters
  EXPECT_TRUE(IsStorableTitle(""));
}

// "Büro" typed into a title box comes as its mark: refused with a message naming it, never
// stored as a look-alike or with the mark.
TEST_F(BinderCommandsTest, TitlesTheCodePageCannotSpellAreRefusedWithAMessageNamingThem) {
  std::string buero = "B";
  AppendUnspellable(buero, 0xFC);
  buero += "ro";
  const Strings refusal = {std::string(kBadTitleCaption) + ": " + UnspellableTitleText(buero)};
  EXPECT_NE(UnspellableTitleText(buero).find(buero), std::string::npos);
  EXPECT_FALSE(commands.NewBinder(buero, prompter).happened);
  EXPECT_EQ(prompter.messages, refusal);
  commands.NewBinder("A", prompter);
  prompter.messages.clear();
  EXPECT_FALSE(commands.Rename("A", buero, prompter).happened);
  EXPECT_EQ(prompter.messages, refusal);
  prompter.messages.clear();
  EXPECT_FALSE(commands.RegisterFolder(buero, "D:\\Data", nullptr, prompter).happened);
  EXPECT_EQ(prompter.messages, refusal);
  prompter.messages.clear();
  EXPECT_FALSE(commands.RegisterFromCommandLine(buero, {"D:\\Data"}, prompter));
  EXPECT_EQ(prompter.messages, refusal);
  TreeChange change;
  EXPECT_EQ(commands.FileSentFolders(buero, {"D:\\Data"}, true, change), SentFolders::kRefused);
  EXPECT_TRUE(prompter.asked.empty());
  EXPECT_EQ(Titles(), Strings{"A"});
  EXPECT_FALSE(store.folders.SectionExists(buero));
}

TEST_F(BinderCommandsTest, NewBinderTakesOverASectionNoBinderOwned) {
  store.folders.Parse("[Old]\r\nD:\\Data=2\r\ncmp=0\r\n");
  TreeChange change = commands.NewBinder("old", prompter);
  EXPECT_EQ(change.binder, "old");
  EXPECT_EQ(Paths(change.foldersAdded), Strings{"D:\\Data"});
}

TEST_F(BinderCommandsTest, RenameRefusalsAreSilent) {
  store.titles.Parse("work\r\nOther\r\n");
  store.folders.Parse("[work]\r\nD:\\Data=0\r\n");
  for (const char* refused : {"", "work", "Work", "OTHER", "Orvik", "orvik"})
    EXPECT_FALSE(commands.Rename("work", refused, prompter).happened) << refused;
  EXPECT_FALSE(commands.Rename("Missing", "New", prompter).happened);
  EXPECT_TRUE(prompter.messages.empty());
  EXPECT_EQ(Titles(), (Strings{"work", "Other"}));
  EXPECT_EQ(store.folders.Text(), "[work]\r\nD:\\Data=0\r\n\r\n");
}

TEST_F(BinderCommandsTest, RenameKeepsPlacesAndTakesInTheFoldersOfASectionOfTheNewName) {
  store.titles.Parse("A\r\nB\r\n");
  store.folders.Parse("[Z]\r\nE:\\Other=1\r\nD:\\Data=2\r\ncmp=0\r\n\r\n[A]\r\nD:\\Data=0\r\ncmp=1\r\n\r\n[B]\r\n");
  store.selections.Parse("[A-Data]\r\nx=\r\n\r\n[B-Data]\r\ny=\r\n");
  TreeChange change = commands.Rename("A", "Z", prompter);
  ASSERT_TRUE(change.happened);
  EXPECT_EQ(change.binder, "Z");
  EXPECT_FALSE(change.binderAdded);
  EXPECT_EQ(Paths(change.foldersAdded), Strings{"E:\\Other"});  // D:\Data is shown already
  EXPECT_EQ(Titles(), (Strings{"Z", "B"}));
  EXPECT_EQ(store.folders.Text(), "[Z]\r\nD:\\Data=0\r\ncmp=1\r\nE:\\Other=1\r\n\r\n[B]\r\n\r\n");
  // The binder's remembered selections go with it; another binder's stay.
  EXPECT_EQ(store.selections.Text(), "[Z-Data]\r\nx=\r\n\r\n[B-Data]\r\ny=\r\n\r\n");
}

TEST_F(BinderCommandsTest, DeleteAsksWithTheExactTextsAndTakesTheSectionAlong) {
  store.titles.Parse("Work\r\nwork\r\nKeep\r\n");
  store.folders.Parse("[Work]\r\nD:\\Data=0\r\n\r\n[Keep]\r\nD:\\ソ=1\r\n\r\n[Orvik]\r\nWID=9\r\n");
  store.selections.Parse("[Work-Data]\r\nx=\r\n\r\n[Keep-ソ]\r\ny=\r\n");
  prompter.answer = false;
  EXPECT_FALSE(commands.DeleteBinder("Work", true, prompter));
  EXPECT_FALSE(commands.RemoveFolder("Keep", "D:\\ソ", prompter));
  EXPECT_EQ(prompter.asked, (Strings{"削除の確認: 'Work' バインダーとそのフォルダを削除します。よろしいですか？",
                                     "削除の確認: 'Keep' バインダーから 'ソ' を削除します。よろしいですか？"}));
  EXPECT_EQ(Titles().size(), 3u);
  prompter.answer = true;
  EXPECT_TRUE(commands.DeleteBinder("Work", true, prompter));
  EXPECT_EQ(Titles(), Strings{"Keep"});  // its twin in another letter case went too
  EXPECT_FALSE(store.folders.SectionExists("Work"));
  // Its remembered selections went with it.
  EXPECT_EQ(store.selections.Text(), "[Keep-ソ]\r\ny=\r\n\r\n");
  EXPECT_TRUE(commands.RemoveFolder("Keep", "d:\\ソ", prompter));
  EXPECT_EQ(Keys("Keep"), Strings{});
  EXPECT_EQ(DeleteBinderQuestion("Keep", false), "'Keep' バインダーを削除します。よろしいですか？");
  EXPECT_FALSE(commands.DeleteBinder("Missing", false, prompter));
  EXPECT_EQ(store.folders.ReadInteger("Orvik", "WID", 0), 9);
}

TEST_F(BinderCommandsTest, RegisterFolderFindsTheBinderInAnyLetterCaseOrAsksToCreateIt) {
  store.titles.Parse("Work\r\n");
  TreeChange change = commands.RegisterFolder("WORK", "D:\\Data", nullptr, prompter);
  EXPECT_TRUE(prompter.asked.empty());
  EXPECT_EQ(change.binder, "Work");
  EXPECT_FALSE(change.binderAdded);
  EXPECT_TRUE(change.selectAndList);
  EXPECT_EQ(change.selectPath, "D:\\Data");
  EXPECT_EQ(Paths(change.foldersAdded), Strings{"D:\\Data"});
  EXPECT_EQ(store.folders.ReadString("Work", "D:\\Data", ""), "0");

  // Held already (in another letter case): nothing added, the binder is selected, its view stays.
  store.folders.WriteString("Work", "D:\\Data", "2");
  disk.folders.insert("d:\\data");
  change = commands.RegisterFolder("Work", "d:\\data", nullptr, prompter);
  EXPECT_TRUE(change.happened);
  EXPECT_TRUE(change.foldersAdded.empty());
  EXPECT_EQ(change.selectPath, "");
  EXPECT_EQ(store.folders.ReadString("Work", "D:\\Data", ""), "2");

  prompter.answer = false;
  EXPECT_FALSE(commands.RegisterFolder("New", "D:\\Data", nullptr, prompter).happened);
  EXPECT_EQ(prompter.asked, Strings{"新規の作成確認: 新しいバインダーを作成しますか？"});
  prompter.answer = true;
  change = commands.RegisterFolder("New", "C:\\Desktop\\data.lnk", nullptr, prompter);
  EXPECT_TRUE(change.binderAdded);
  EXPECT_EQ(change.selectPath, "D:\\Data");  // the shortcut's target
  EXPECT_EQ(change.foldersAdded[0].displayName, "Data");
  // The settings section's name goes to its numbered name, asked once, then found.
  EXPECT_EQ(commands.RegisterFolder("orvik", "E:\\Other", nullptr, prompter).binder, "orvik 1");
  EXPECT_EQ(commands.RegisterFolder("ORVIK", "D:\\ソ", nullptr, prompter).binder, "orvik 1");
  EXPECT_EQ(prompter.asked.size(), 3u);
  EXPECT_EQ(Titles(), (Strings{"Work", "New", "orvik 1"}));
  EXPECT_EQ(Keys("Orvik"), Strings{});
}

TEST_F(BinderCommandsTest, RegisterFolderWithoutATitleNeedsASelectedBinderAndAFolder) {
  store.titles.Parse("Work\r\n");
  const std::string work = "Work", gone = "Gone";
  EXPECT_FALSE(commands.RegisterFolder("", "D:\\Data", nullptr, prompter).happened);
  EXPECT_FALSE(commands.RegisterFolder("", "D:\\Data", &gone, prompter).happened);
  EXPECT_EQ(commands.RegisterFolder("", "D:\\Data", &work, prompter).binder, "Work");
  // A file, a shortcut to one or one that leads nowhere, or no full path: ignored before any question.
  for (const char* path : {"C:\\a.txt", "C:\\Desktop\\file.LNK", "C:\\Desktop\\broken.lnk", ""})
    EXPECT_FALSE(commands.RegisterFolder("Other", path, nullptr, prompter).happened) << path;
  // Not even when the file system finds it: these would not read back as the same folder.
  for (const std::string& path : {std::string("cmp"), std::string(";D:\\Data"), std::string("D:\\Data\r\n[Orvik]"),
                                 std::string("D:\\Data\0x", 10), std::string("Data")}) {
    disk.folders.insert(path);
    EXPECT_FALSE(commands.RegisterFolder("Other", path, nullptr, prompter).happened) << path;
  }
  EXPECT_TRUE(prompter.asked.empty());
  EXPECT_EQ(Titles(), Strings{"Work"});
  EXPECT_TRUE(commands.RegisterFolder("Work", "\\\\srv\\share\\x", nullptr, prompter).happened);
}

// A folder on a disconnected share or a removable drive that is out: the folder browser and
// the companion name it on purpose, so it is registered; the other ways take only folders there now.
TEST_F(BinderCommandsTest, AFolderAwayNowIsRegisteredOnlyWhenNamedOnPurpose) {
  store.titles.Parse("Work\r\n");
  const std::string away = "\\\\nas\\photos\\2023";
  TreeChange change = commands.RegisterFolder("Work", away, nullptr, prompter);
  ASSERT_TRUE(change.happened);
  EXPECT_EQ(change.selectPath, away);
  EXPECT_EQ(change.foldersAdded[0].displayName, "2023");
  EXPECT_EQ(store.folders.ReadString("Work", away, ""), "0");
  EXPECT_TRUE(commands.RegisterFolder("", "E:\\Card\\DCIM", &store.titles[0], prompter).happened);

  EXPECT_FALSE(commands.RegisterFolders("Work", "F:\\Away").happened);
  EXPECT_TRUE(commands.FoldersFromCommandLine({"F:\\Away"}).empty());
  EXPECT_EQ(Keys("Work"), (Strings{away, "E:\\Card\\DCIM"}));
}

// "C:\users\" and "C:\users" are one folder whichever way it comes; a root keeps its
// backslash, and a double-byte character whose second byte is 0x5C is not cut.
TEST_F(BinderCommandsTest, TrailingBackslashesAreOneRuleForEveryWayOfRegistering) {
  const std::vector<std::pair<std::string, std::string>> keys = {
      {"C:\\users\\", "C:\\users"},       {"C:\\users", "C:\\users"},
      {"C:\\users\\\\", "C:\\users"},     {"C:\\", "C:\\"},
      {"c:\\\\", "c:\\"},                 {"\\\\server\\share\\", "\\\\server\\share"},
      {"\\\\server\\share\\sub\\", "\\\\server\\share\\sub"}, {"\\\\", "\\\\"},
      {"D:\\ソ", "D:\\ソ"},                 {"D:\\ソ\\", "D:\\ソ"},
      {"D:\\表能", "D:\\表能"},             {"", ""}};
  for (const auto& [given, key] : keys) EXPECT_EQ(RegistrationPath(given), key) << given;

  store.titles.Parse("Work\r\n");
  store.folders.Parse("[Work]\r\nE:\\Other\\=2\r\n");  // written by an older version
  disk.links["C:\\Desktop\\slash.lnk"] = "D:\\ソ\\";
  disk.files["C:\\Desktop\\slash.lnk"];
  // Folder browser or companion.
  TreeChange change = commands.RegisterFolder("Work", "D:\\Data\\", nullptr, prompter);
  EXPECT_EQ(change.selectPath, "D:\\Data");
  EXPECT_EQ(change.foldersAdded[0].displayName, "Data");
  EXPECT_TRUE(commands.RegisterFolder("Work", "E:\\Other", nullptr, prompter).foldersAdded.empty());
  // Paste, drops and drags; a shortcut's target gets the same rule.
  change = commands.RegisterFolders("Work", "D:\\Data\\\r\nE:\\Other\r\nC:\\Desktop\\slash.lnk\r\n");
  EXPECT_EQ(Paths(change.foldersAdded), Strings{"D:\\ソ"});
  // Registration mode: the key an older version wrote gets its view reset, no twin.
  const Strings sent = commands.FoldersFromCommandLine({"D:\\Data\\", "E:\\Other\\"});
  EXPECT_EQ(sent, (Strings{"D:\\Data", "E:\\Other"}));
  EXPECT_TRUE(commands.RegisterFromCommandLine("Work", sent, prompter));
  EXPECT_EQ(store.folders.Text(), "[Work]\r\nE:\\Other\\=0\r\nD:\\Data=0\r\nD:\\ソ=0\r\n\r\n");
}

TEST_F(BinderCommandsTest, RegisterFoldersSkipsWhatIsNoFolderAndSelectsTheLast) {
  store.titles.Parse("Work\r\n");
  store.folders.Parse("[Work]\r\nE:\\Other=1\r\n");
  TreeChange change = commands.RegisterFolders("work", "D:\\Data\r\nC:\\a.txt\r\n\r\nC:\\Desktop\\data.lnk\nD:\\ソ\r\n");
  EXPECT_EQ(change.binder, "Work");
  EXPECT_EQ(Paths(change.foldersAdded), (Strings{"D:\\Data", "D:\\ソ"}));
  EXPECT_EQ(change.selectPath, "D:\\ソ");
  change = commands.RegisterFolders("Work", "C:\\a.txt\r\nE:\\Other\r\n");
  EXPECT_TRUE(change.selectAndList);
  EXPECT_EQ(change.selectPath, "");  // held already: the binder
  EXPECT_FALSE(commands.RegisterFolders("Work", "C:\\a.txt\r\n").selectAndList);
  // Nothing is left over from the call before.
  EXPECT_FALSE(commands.RegisterFolders("Work", "").happened);
  EXPECT_FALSE(commands.RegisterFolders("Nope", "D:\\Data").happened);
  EXPECT_EQ(Keys("Work"), (Strings{"E:\\Other", "D:\\Data", "D:\\ソ"}));
}

TEST_F(BinderCommandsTest, CommandLineRegistration) {
  const Strings folders =
      commands.FoldersFromCommandLine({"D:\\Data", "C:\\a.txt", "C:\\Desktop\\data.lnk", "E:\\Other", "D:\\Missing"});
  EXPECT_EQ(folders, (Strings{"D:\\Data", "D:\\Data", "E:\\Other"}));
  EXPECT_TRUE(commands.FoldersFromCommandLine({"C:\\a.txt"}).empty());

  // A name that exists only as a section: no question, its old folders come back with it.
  store.folders.Parse("[Old]\r\nD:\\ソ=1\r\nD:\\Data=2\r\n");
  EXPECT_TRUE(commands.RegisterFromCommandLine("old", folders, prompter));
  EXPECT_TRUE(prompter.asked.empty());
  EXPECT_EQ(Titles(), Strings{"old"});
  EXPECT_EQ(store.folders.Text(), "[Old]\r\nD:\\ソ=1\r\nD:\\Data=0\r\nE:\\Other=0\r\n\r\n");  // view reset to "0"

  // A binder without a section is no new binder either.
  store.titles.Add("Empty");
  EXPECT_TRUE(commands.RegisterFromCommandLine("EMPTY", {"D:\\Data"}, prompter));
  EXPECT_TRUE(prompter.asked.empty());
  EXPECT_EQ(Keys("Empty"), Strings{"D:\\Data"});

  prompter.answer = false;
  EXPECT_FALSE(commands.RegisterFromCommandLine("New", folders, prompter));
  EXPECT_EQ(prompter.asked, Strings{"作成確認: 新しいバインダーを作成しますか？"});
  prompter.answer = true;
  EXPECT_TRUE(commands.RegisterFromCommandLine("Orvik", {"D:\\Data"}, prompter));
  EXPECT_EQ(Titles(), (Strings{"old", "Empty", "Orvik 1"}));
  EXPECT_FALSE(store.folders.SectionExists("Orvik"));
  EXPECT_FALSE(commands.RegisterFromCommandLine("X", {}, prompter));
}

// Folders sent to the program and filed by an open window: checked again there, and the
// tree told what to show at once.
TEST_F(BinderCommandsTest, SentFoldersAreFiledWithWhatTheTreeMustShow) {
  store.titles.Add("Work");
  store.folders.Parse("[Work]\r\nD:\\Data=2\r\n\r\n[Old]\r\nD:\\ソ=1\r\n\r\n");
  TreeChange change;
  EXPECT_EQ(commands.FileSentFolders("work", {"D:\\Data", "E:\\Other", "D:\\Missing", "C:\\a.txt"}, false, change),
            SentFolders::kRegistered);
  EXPECT_EQ(change.binder, "Work");
  EXPECT_FALSE(change.binderAdded);
  EXPECT_EQ(Paths(change.foldersAdded), Strings{"E:\\Other"});  // D:\Data has its node already
  EXPECT_TRUE(change.selectAndList);
  EXPECT_EQ(change.selectPath, "E:\\Other");
  EXPECT_EQ(Keys("Work"), (Strings{"D:\\Data", "E:\\Other"}));
  EXPECT_EQ(store.folders.ReadString("Work", "D:\\Data", ""), "0");  // the view back to icons

  // A new name changes nothing until the user has agreed to the binder.
  EXPECT_EQ(commands.FileSentFolders("New", {"D:\\Data"}, false, change), SentFolders::kUnknownBinder);
  EXPECT_FALSE(change.happened);
  EXPECT_EQ(Titles(), Strings{"Work"});
  EXPECT_EQ(commands.FileSentFolders("New", {"D:\\Data"}, true, change), SentFolders::kRegistered);
  EXPECT_TRUE(change.binderAdded);
  EXPECT_EQ(Paths(change.foldersAdded), Strings{"D:\\Data"});
  // A section without a binder comes back with its folders, unasked.
  EXPECT_EQ(commands.FileSentFolders("old", {"D:\\Data"}, false, change), SentFolders::kRegistered);
  EXPECT_EQ(change.binder, "old");
  EXPECT_TRUE(change.binderAdded);
  EXPECT_EQ(Paths(change.foldersAdded), (Strings{"D:\\ソ", "D:\\Data"}));

  // Nothing that can be filed: no folder that exists, no name, a name the files cannot hold.
  EXPECT_EQ(commands.FileSentFolders("Work", {"D:\\Missing", "C:\\a.txt", "relative"}, true, change),
            SentFolders::kRefused);
  EXPECT_EQ(commands.FileSentFolders("", {"D:\\Data"}, true, change), SentFolders::kRefused);
  EXPECT_EQ(commands.FileSentFolders("A\r\nB", {"D:\\Data"}, true, change), SentFolders::kRefused);
  EXPECT_FALSE(change.happened);
  EXPECT_EQ(Titles(), (Strings{"Work", "New", "old"}));
}

// A folder the binder holds already keeps its stored spelling, however it was sent: the
// node and its key must agree, or removing one leaves the other.
TEST_F(BinderCommandsTest, SentFoldersTheBinderHoldsKeepTheirStoredSpelling) {
  disk.AddFolder("D:\\Work");
  store.titles.Add("B");
  store.folders.Parse("[B]\r\nD:\\Work=2\r\ncmp=1\r\n\r\n");
  TreeChange change;
  EXPECT_EQ(commands.FileSentFolders("B", {"d:\\work"}, false, change), SentFolders::kRegistered);
  EXPECT_TRUE(change.foldersAdded.empty());
  EXPECT_EQ(change.selectPath, "D:\\Work");
  EXPECT_EQ(Keys("B"), (Strings{"D:\\Work", "cmp"}));
  EXPECT_EQ(store.folders.ReadString("B", "D:\\Work", ""), "0");
  EXPECT_NE(store.folders.Text().find("D:\\Work=0"), std::string::npos);
  // A key kept with its trailing backslash is the same folder, spelt as stored too.
  store.folders.Parse("[B]\r\nD:\\Work\\=2\r\n\r\n");
  EXPECT_EQ(commands.FileSentFolders("B", {"d:\\WORK"}, false, change), SentFolders::kRegistered);
  EXPECT_EQ(change.selectPath, "D:\\Work\\");
  EXPECT_EQ(Keys("B"), Strings{"D:\\Work\\"});
  // The other ways of registering find it held too and add nothing.
  const TreeChange one = commands.RegisterFolder("B", "d:\\work", nullptr, prompter);
  EXPECT_TRUE(one.foldersAdded.empty());
  EXPECT_EQ(Keys("B"), Strings{"D:\\Work\\"});
}

// A hand-edited titlelist.txt with twins in letter case, blank lines, a title ending in half
// a character and one named like the settings section: shown once each (or not at all),
// no folders mixed, and saving again and again leaves the files as they are.
TEST_F(BinderCommandsTest, HandEditedTitlesLoadAndSaveWithoutLossOrGrowth) {
  files.files[kFakeTitleList] = "Work\r\nwork\r\n\r\nBad\x83\r\n\r\norvik\r\nLast";
  files.files[kFakeFolderList] =
      "[Work]\r\nD:\\Data=1\r\n\r\n[]\r\nE:\\Other=0\r\n\r\n[Bad\x83]\r\nD:\\ソ=2\r\ncmp=0\r\n\r\n"
      "[Orvik]\r\nFRG=1\r\nWID=200\r\n\r\n";
  auto run = [&] {
    BinderStore s(collation, files);
    s.SetUpPaths(kFakeExeDir, "u");
    s.Load();
    std::vector<BinderEntry> binders = ReadBinders(s, collation);
    // What the window writes at exit.
    for (const BinderEntry& b : binders) s.folders.WriteBool(b.title, "cmp", s.folders.ReadBool(b.title, "cmp", true));
    s.folders.WriteBool("Orvik", "FRG", s.folders.ReadBool("Orvik", "FRG", false));
    s.folders.WriteInteger("Orvik", "WID", s.folders.ReadInteger("Orvik", "WID", 152));
    EXPECT_TRUE(s.Save().empty());
    return binders;
  };
  std::vector<BinderEntry> binders = run();
  ASSERT_EQ(binders.size(), 4u);
  EXPECT_EQ(binders[0].title, "Work");
  EXPECT_EQ(Paths(binders[0].folders), Strings{"D:\\Data"});
  EXPECT_EQ(binders[1].title, "");
  EXPECT_EQ(Paths(binders[1].folders), Strings{"E:\\Other"});
  EXPECT_EQ(binders[2].title, "Bad\x83");
  EXPECT_EQ(Paths(binders[2].folders), Strings{"D:\\ソ"});
  EXPECT_EQ(binders[3].title, "Last");
  const auto once = files.files;
  EXPECT_EQ(once.at(kFakeTitleList), "Work\r\nwork\r\n\r\nBad\x83\r\n\r\norvik\r\nLast\r\n");
  run();
  run();
  EXPECT_EQ(files.files, once);
  EXPECT_EQ(once.at(kFakeFolderList),
            "[Work]\r\nD:\\Data=1\r\ncmp=1\r\n\r\n[]\r\nE:\\Other=0\r\ncmp=1\r\n\r\n[Bad\x83]\r\nD:\\ソ=2\r\ncmp=0\r\n\r\n"
            "[Orvik]\r\nFRG=1\r\nWID=200\r\n\r\n[Last]\r\ncmp=1\r\n\r\n");
}

// Peer programs read the store's files in code page 932: a folder it cannot spell is refused
// with a message naming it, whichever way it comes, and the files stay as they were.
TEST_F(BinderCommandsTest, AFolderTheFilesCannotSpellIsRefusedWithAMessage) {
  std::string korean = "D:\\";
  for (unsigned unit : {0xD55Cu, 0xAD6Du, 0xC5B4u}) AppendUnspellable(korean, unit);
  disk.folders.insert(korean);
  store.titles.Add("Work");
  std::string folders = store.folders.Text();

  EXPECT_FALSE(commands.RegisterFolder("Work", korean, nullptr, prompter).happened);
  EXPECT_EQ(store.folders.Text(), folders);
  ASSERT_EQ(prompter.messages.size(), 1u);
  EXPECT_EQ(prompter.messages[0], std::string(kUnspellableFolderCaption) + ": " + UnspellableFolderText({korean}));

  TreeChange change = commands.RegisterFolders("Work", korean + "\r\nD:\\Data\r\n");
  EXPECT_EQ(change.unspellable, Strings{korean});
  EXPECT_EQ(Paths(change.foldersAdded), Strings{"D:\\Data"});  // the others still go in
  folders = store.folders.Text();

  EXPECT_EQ(commands.FileSentFolders("Work", {korean}, true, change), SentFolders::kRefused);
  EXPECT_EQ(change.unspellable, Strings{korean});
  Strings unspellable;
  EXPECT_TRUE(commands.FoldersFromCommandLine({korean}, &unspellable).empty());
  EXPECT_EQ(unspellable, Strings{korean});
  EXPECT_EQ(store.folders.Text(), folders);
}

}  // namespace
}  // namespace velmora
