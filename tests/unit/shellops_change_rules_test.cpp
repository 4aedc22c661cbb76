#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "browse/file_record.h"
#include "support/fake_file_system.h"
#include "common/path_lists.h"
#include "shellops/change_rules.h"
#include "support/portable_collation.h"
#include "support/recording_prompter.h"

namespace velmora {
namespace {

const char* const kDir = "C:\\d\\";

class ShellopsRename : public ::testing::Test {
 protected:
  std::string P(const std::string& name) const { return kDir + name; }

  // The edit of `edited` ends with `typed` while `selected` (names in row order) are selected.
  RenameResult Rename(const std::string& edited, const std::string& typed,
                      std::vector<std::string> selected = {}) {
    RenameRequest request;
    request.editedPath = P(edited);
    request.editedCaption = edited;
    request.typed = typed;
    if (selected.empty()) selected = {edited};
    for (const std::string& name : selected) request.selectedPaths.push_back(P(name));
    return RenameEdited(request, fs, collation, prompter);
  }

  FakeFileSystem fs;
  PortableCollation collation;
  RecordingPrompter prompter;
};

TEST_F(ShellopsRename, ExtensionIsKeptOrTakenAsTyped) {
  fs.AddFile(P("a.txt"));
  RenameResult r = Rename("a.txt", "b");
  EXPECT_EQ(r.shownText, "b.txt");
  ASSERT_EQ(r.renamed.size(), 1u);
  EXPECT_EQ(r.renamed[0].source, P("a.txt"));
  EXPECT_EQ(r.renamed[0].target, P("b.txt"));
  EXPECT_FALSE(r.renamed[0].extensionChanged);

  FileRecord record;
  ApplyRename(record, r.renamed[0].target, "C:\\");
  EXPECT_EQ(record.name, "b.txt");
  EXPECT_EQ(record.relativePath, "d\\b.txt");
  EXPECT_EQ(RecordFullPath("C:\\", record.relativePath), P("b.txt"));
  // A row listed from outside the root keeps its whole path.
  ApplyRename(record, r.renamed[0].target, "E:\\root\\");
  EXPECT_EQ(RecordFullPath("E:\\root\\", record.relativePath), P("b.txt"));

  r = Rename("b.txt", "c.doc");
  EXPECT_EQ(fs.Stored(P("c.doc")), P("c.doc"));
  EXPECT_TRUE(r.renamed.at(0).extensionChanged);

  r = Rename("c.doc", "d.DOC");
  EXPECT_EQ(r.shownText, "d.DOC");
  EXPECT_FALSE(r.renamed.at(0).extensionChanged);
  EXPECT_TRUE(prompter.texts.empty());
}

TEST_F(ShellopsRename, LetterCaseAloneIsNotNumbered) {
  fs.AddFile(P("a.txt"));
  RenameResult r = Rename("a.txt", "A.txt");
  EXPECT_EQ(r.shownText, "A.txt");
  EXPECT_EQ(fs.Stored(P("a.txt")), P("A.txt"));
  // Case of the extension alone, too.
  r = Rename("A.txt", "A.TXT");
  EXPECT_EQ(fs.Stored(P("a.txt")), P("A.TXT"));
}

TEST_F(ShellopsRename, ConfirmingThePresentNameRenamesNothing) {
  fs.AddFile(P("a.txt"));
  fs.AddFile(P("b.txt"));
  RenameResult r = Rename("a.txt", "a.txt", {"a.txt", "b.txt"});
  EXPECT_EQ(r.shownText, "a.txt");
  EXPECT_TRUE(r.renamed.empty());
  EXPECT_TRUE(fs.moves.empty());
  // Typing the base name alone gives the same name back: no "(01)" either.
  r = Rename("a.txt", "a");
  EXPECT_EQ(r.shownText, "a.txt");
  EXPECT_TRUE(fs.moves.empty());
}

TEST_F(ShellopsRename, EverySelectedRowIsNamedAfterTheTypedText) {
  fs.AddFile(P("a.txt"));
  fs.AddFile(P("b.txt"));
  fs.AddFile(P("c.jpg"));
  RenameResult r = Rename("a.txt", "x", {"a.txt", "b.txt", "c.jpg"});
  EXPECT_EQ(r.shownText, "x.txt");
  ASSERT_EQ(r.renamed.size(), 3u);
  EXPECT_EQ(r.renamed[0].target, P("x.txt"));
  EXPECT_EQ(r.renamed[1].target, P("x(01).txt"));
  EXPECT_EQ(r.renamed[2].target, P("x.jpg"));
}

TEST_F(ShellopsRename, TakenNamesAreNumbered) {
  fs.AddFile(P("a.txt"));
  fs.AddFile(P("b.txt"));
  for (const char* n : {"01", "02", "03", "04", "05"}) fs.AddFile(P(std::string("b(") + n + ").txt"));
  EXPECT_EQ(Rename("a.txt", "b").shownText, "b(06).txt");

  // Two digits at least, then as many as needed.
  fs.AddFile(P("e.txt"));
  fs.AddFile(P("f.txt"));
  for (int n = 1; n <= 99; ++n) fs.AddFile(P("e(" + std::string(n < 10 ? "0" : "") + std::to_string(n) + ").txt"));
  EXPECT_EQ(Rename("f.txt", "e").shownText, "e(100).txt");

  // A folder is numbered at the end of its whole name.
  fs.AddFolder(P("abc"));
  fs.AddFolder(P("def"));
  fs.AddFolder(P("v1.2"));
  EXPECT_EQ(Rename("abc", "def").shownText, "def(01)");
  EXPECT_EQ(Rename("def(01)", "v1.2").shownText, "v1.2(01)");
  // And takes no extension from its old name.
  EXPECT_EQ(Rename("v1.2(01)", "plain").shownText, "plain");
}

TEST_F(ShellopsRename, RefusedTextsRenameNothing) {
  fs.AddFile(P("a.txt"));
  for (const char* typed : {"", ".txt"}) {
    prompter.texts.clear();
    RenameResult r = Rename("a.txt", typed);
    EXPECT_EQ(r.shownText, "a.txt") << typed;
    EXPECT_TRUE(r.unselectEdited) << typed;
    EXPECT_EQ(prompter.texts, std::vector<std::string>{kEnterFileNameText}) << typed;
  }
  // "/" would move the file elsewhere: the system's invalid-name text.
  prompter.texts.clear();
  RenameResult r = Rename("a.txt", "x/y");
  EXPECT_EQ(r.shownText, "a.txt");
  EXPECT_EQ(prompter.texts, std::vector<std::string>{fs.ErrorText(kErrorInvalidName)});
  // A folder given no name keeps it, silently.
  fs.AddFolder(P("sub"));
  prompter.texts.clear();
  EXPECT_EQ(Rename("sub", "").shownText, "sub");
  EXPECT_TRUE(prompter.texts.empty());
  EXPECT_TRUE(fs.moves.empty());
  // A drive root is never renamed.
  RenameRequest root{"C:\\", "C:\\", "x", {"C:\\"}};
  EXPECT_EQ(RenameEdited(root, fs, collation, prompter).shownText, "C:\\");
  EXPECT_TRUE(fs.moves.empty());
}

TEST_F(ShellopsRename, AFailingRowKeepsItsNameAndTheOthersGoOn) {
  fs.AddFile(P("a.txt"));
  fs.AddFile(P("b.txt"));
  fs.RefuseMoveOf(P("a.txt"), 5);
  RenameResult r = Rename("a.txt", "x", {"a.txt", "b.txt"});
  EXPECT_EQ(r.shownText, "a.txt");
  EXPECT_EQ(prompter.texts, std::vector<std::string>{"error 5\r\n"});
  ASSERT_EQ(r.renamed.size(), 1u);
  EXPECT_EQ(r.renamed[0].source, P("b.txt"));
  EXPECT_EQ(r.renamed[0].target, P("x.txt"));  // the refused target was never taken
  EXPECT_TRUE(fs.IsExistingFile(P("a.txt")));

  // The edited row outside the selection keeps its caption; the selection is renamed.
  r = Rename("a.txt", "y", {"x.txt"});
  EXPECT_EQ(r.shownText, "a.txt");
  EXPECT_EQ(fs.Stored(P("y.txt")), P("y.txt"));
}

TEST_F(ShellopsRename, ANameThatMakesThePathTooLongIsRefusedByName) {
  fs.AddFile(P("a.txt"));
  // "C:\d\" + name + ".txt" is one character more than the shell's buffers hold.
  const std::string name(kMaxShellPathChars - 8, 'n');
  RenameResult r = Rename("a.txt", name);
  EXPECT_EQ(r.shownText, "a.txt");
  EXPECT_TRUE(r.renamed.empty());
  EXPECT_TRUE(fs.moves.empty());
  EXPECT_EQ(prompter.texts, std::vector<std::string>{PathTooLongText(P(name + ".txt"))});
  r = Rename("a.txt", name.substr(1));
  ASSERT_EQ(r.renamed.size(), 1u);
  EXPECT_EQ(r.renamed[0].target.size(), kMaxShellPathChars);
}

TEST(ShellopsNewFolder, NextFreeNameInTheListedFolder) {
  FakeFileSystem fs;
  RecordingPrompter prompter;
  EXPECT_EQ(NewFolderPath("C:\\d", fs), "C:\\d\\新しいフォルダ");
  EXPECT_EQ(NewFolderPath("C:\\", fs), "C:\\新しいフォルダ");
  fs.AddFolder("C:\\d\\新しいフォルダ");
  fs.AddFolder("C:\\d\\新しいフォルダ1");
  EXPECT_EQ(CreateNewFolder("C:\\d\\", fs, prompter), "C:\\d\\新しいフォルダ2");
  EXPECT_TRUE(fs.IsExistingFolder("C:\\d\\新しいフォルダ2"));
  EXPECT_EQ(CreateNewFolder("C:\\d", fs, prompter), "C:\\d\\新しいフォルダ3");
  EXPECT_TRUE(prompter.texts.empty());

  // A file of the name is not skipped: the creation fails with the message.
  fs.AddFile("C:\\e\\新しいフォルダ");
  EXPECT_EQ(CreateNewFolder("C:\\e", fs, prompter), "");
  EXPECT_EQ(prompter.texts,
            std::vector<std::string>{"[ C:\\e\\新しいフォルダ ]\nフォルダの作成に失敗しました。"});
  EXPECT_EQ(CreateNewFolder("", fs, prompter), "");
}

TEST(ShellopsDelete, RowsOfItemsGoneGoWhereverTheShellStopped) {
  using Paths = std::vector<std::string>;
  const Paths selected = {"C:\\d\\a.txt", "C:\\d\\big.iso", "C:\\d\\dir"};
  struct Case {
    const char* what;
    int shellResult;
    bool aborted;
    Paths left;  // what is still there afterwards
    DeleteOutcome outcome;
    Paths gone;
    Paths remaining;
  };
  const Case cases[] = {
      {"done", 0, false, {}, DeleteOutcome::kRemoveRows, selected, {}},
      {"No to the first question", 0, true, selected, DeleteOutcome::kUnchanged, {}, {}},
      // No to deleting the too big item for good, after the first went to the recycle bin.
      {"No part way", 0, true, {selected[1], selected[2]}, DeleteOutcome::kRefreshRows, {selected[0]},
       {selected[1], selected[2]}},
      {"error part way", 1026, false, {selected[2]}, DeleteOutcome::kRefreshRows, {selected[0], selected[1]},
       {selected[2]}},
      {"error before anything went", 5, false, selected, DeleteOutcome::kRefreshRows, {}, selected},
  };
  for (const Case& c : cases) {
    FakeFileSystem fs;
    for (const std::string& path : c.left) (path == selected[2] ? fs.AddFolder(path) : fs.AddFile(path));
    const DeleteResult r = RowsAfterDelete(selected, c.shellResult, c.aborted, fs);
    EXPECT_EQ(r.outcome, c.outcome) << c.what;
    EXPECT_EQ(r.gone, c.gone) << c.what;
    EXPECT_EQ(r.remaining, c.remaining) << c.what;
  }
  FakeFileSystem fs;
  EXPECT_EQ(RowsAfterDelete({}, 0, false, fs).outcome, DeleteOutcome::kUnchanged);
}

}  // namespace
}  // namespace velmora
