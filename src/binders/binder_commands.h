// The commands that change binders and their folders, decided against the store alone:
// new binder, rename, delete, remove a folder, and the registration of folders (folder
// browser, companion request, paste, drops, drags, and the registration started from the
// command line). Each changes the in-memory store and tells the caller what the tree must
// change; questions and refusals go through the prompter given to the call.
//
// Rules every command keeps:
// - titles match case-insensitively (the store's collation), so no two titles equal but
//   for letter case ever arise, and a name given in another letter case means the binder
//   that exists;
// - no binder shares the settings section "Orvik": a new binder of that name is numbered
//   like a duplicate, a rename to it is refused silently, a registration into it goes to
//   the numbered name ("Orvik 1");
// - a title must read back from the files as the same title: no line break, no zero byte,
//   no lone lead byte at its end (kBadTitleText otherwise);
// - folders are registered by their full path without a trailing backslash (a root keeps
//   its own), shortcuts by their target; only existing folders are registered, except that
//   one named by the folder browser or the companion may be away now (a disconnected share,
//   a removable drive): it is registered as given and shows as missing until it is back.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "binders/binder_model.h"

namespace velmora {

class BinderStore;
class Collation;
class FileSystem;
class Prompter;

// What the tree must change after a command.
struct TreeChange {
  bool happened = false;     // false: refused or cancelled, the tree stays as it is
  std::string binder;        // the binder node concerned, by its title as stored
  bool binderAdded = false;  // add a binder node of that title under the root
  // Folder nodes to add under the binder (a binder that takes over a section no binder
  // owned shows that section's folders).
  std::vector<FolderEntry> foldersAdded;
  // After sorting: select the folder node of selectPath under the binder (the binder node
  // itself when selectPath is empty) and run TreeView1Click.
  bool selectAndList = false;
  std::string selectPath;
  // Folders refused because the files cannot spell their paths (see kUnspellableFolderText).
  std::vector<std::string> unspellable;
};

// What filing folders sent to the program into a binder came to.
enum class SentFolders {
  kRegistered,
  kUnknownBinder,  // no binder or section of that name, nothing changed: ask before creating it
  kRefused,        // no existing folder among them, or a name the files cannot hold
};

// Texts, code page 932 at run time.
constexpr const char* kNewBinderCaption = "バインダーの作成";
constexpr const char* kNewBinderPrompt = "名前を入力";
constexpr const char* kAddFolderBrowseTitle = "バインダーに追加するフォルダを選択して下さい";
constexpr const char* kCreateBinderQuestion = "新しいバインダーを作成しますか？";
constexpr const char* kCreateBinderCaption = "新規の作成確認";          // companion request
constexpr const char* kCreateBinderCaptionRegistration = "作成確認";     // command line
constexpr const char* kDeleteCaption = "削除の確認";
constexpr const char* kBadTitleCaption = "バインダー名";
constexpr const char* kBadTitleText =
    "この名前はバインダー名に使えません。改行や、途中で切れた文字を含まない名前にして下さい。";

// A folder whose path code page 932 cannot spell is never registered: the store's files
// are read by peer programs in that code page. It may still be browsed into.
constexpr const char* kUnspellableFolderCaption = "バインダーへの登録";
std::string UnspellableFolderText(const std::vector<std::string>& paths);

std::string DeleteBinderQuestion(const std::string& title, bool hasFolders);
std::string RemoveFolderQuestion(const std::string& binder, const std::string& path);

// True when a title reads back from titlelist.txt and folderlist.ini as itself: the store's
// rule (store/storable_text.h), which also refuses characters code page 932 cannot spell.
bool IsStorableTitle(const std::string& title);
// The refusal of a title code page 932 cannot spell (caption kBadTitleCaption), naming it.
std::string UnspellableTitleText(const std::string& title);
// True for a full path ("X:\..." or "\\server\...") that a folder-list line holds as its key.
bool IsStorableFolderPath(const std::string& path);
// The key a folder is registered under: trailing backslashes removed unless they are a
// root's ("C:\", the "\\" that starts a network path), so that "C:\users\" and "C:\users"
// are one folder. A trail byte 0x5C ends a character, not the path, and stays.
std::string RegistrationPath(const std::string& path);
// The paths of a text, one a line (CR, LF or CR LF); empty lines are skipped.
std::vector<std::string> SplitPathLines(const std::string& text);

class BinderCommands {
 public:
  BinderCommands(BinderStore& store, const Collation& collation, FileSystem& folders);

  // New binder from the text entered in the input box (after OK; any text, even empty).
  // A taken name, or the settings section's, gets " 1", " 2", ... appended. The caller
  // adds the binder node (and foldersAdded), sorts and selects it without listing.
  TreeChange NewBinder(const std::string& entered, Prompter& prompter);

  // A binder label edit ended with newText. Refused silently (nothing happened: the node
  // keeps oldTitle) when newText is empty, the same bytes, a title that exists, or the
  // settings section. The binder keeps its place in the files. When a section of the new
  // name exists without a binder, its folders join the binder's (its own win where both
  // hold a folder), so no folder of either is lost: the caller adds foldersAdded. The
  // remembered selections of its folders (selectlist.ini) move to the new title; the tree
  // order does not change.
  TreeChange Rename(const std::string& oldTitle, const std::string& newText, Prompter& prompter);

  // Asks the delete question; on Yes removes the title (and any title equal to it but for
  // letter case), the binder's section and the remembered selections of its folders. True:
  // delete the node with its children and select the root.
  bool DeleteBinder(const std::string& title, bool hasFolders, Prompter& prompter);

  // Asks the removal question; on Yes removes the folder from the binder's section. True:
  // select the binder, delete the folder node, run TreeView1Click.
  bool RemoveFolder(const std::string& binder, const std::string& path, Prompter& prompter);

  // One folder into a binder named by title (folder browser: empty title; companion: the
  // request's binder). The folder need not exist now; an existing file is refused. An empty title means selectedBinder, the title of the selected
  // binder node, or nothing at all when no binder node is selected (nullptr). A title no
  // binder has asks kCreateBinderQuestion (the prompter's owner is the companion window
  // that asked for the titles last, or none) and creates the binder on Yes. A folder the
  // binder holds already adds nothing; the binder is selected and listed.
  TreeChange RegisterFolder(const std::string& title, const std::string& path, const std::string* selectedBinder,
                            Prompter& prompter);

  // Paste, shell drop and drag onto the binder node of that title: the paths of text, one a
  // line. Anything but a folder is skipped silently. The last folder added or found is selected.
  TreeChange RegisterFolders(const std::string& binder, const std::string& text);

  // Registration mode: the command-line parameters that are folders or shortcuts to
  // folders, as the folders to register, by their full paths.
  std::vector<std::string> FoldersFromCommandLine(const std::vector<std::string>& parameters,
                                                 std::vector<std::string>* unspellable = nullptr);

  // Registration mode, after the dialog's OK with name: writes every folder into the binder
  // with the view "0" (a folder it holds already gets "0" again) and adds the title when
  // missing. A name neither a binder nor a section has asks kCreateBinderQuestion with
  // kCreateBinderCaptionRegistration first. False when nothing was registered (No, or a
  // name the files cannot hold). The tree is not touched; the store is saved at close.
  bool RegisterFromCommandLine(const std::string& name, const std::vector<std::string>& folders,
                               Prompter& prompter);
  // The same, with the filing done by file (here, or in a Velmora window open on the same
  // store): it is called with create false, and once more with create true when it reports an
  // unknown binder and the user agrees to a new one.
  bool RegisterFromCommandLine(const std::string& name, Prompter& prompter,
                               const std::function<SentFolders(bool create)>& file);

  // Files folders sent to the program into the binder named name, as the registration mode
  // does, in this store: every existing folder among them is written with the view "0" and
  // the title is added when missing. A name neither a binder nor a section has changes nothing
  // and is kUnknownBinder unless create. change shows it in a tree: the binder node (with its
  // section's folders) when added, the folders new to it, and the last folder selected.
  SentFolders FileSentFolders(const std::string& name, const std::vector<std::string>& folders, bool create,
                              TreeChange& change);

  // The binder a registration into name goes to: the title as stored when it exists, the
  // numbered name for the settings section.
  std::string RegistrationTitle(const std::string& name) const;

 private:
  // The key to register path under, or empty when it is not to be registered: a file, a
  // path the files cannot hold, or, when mustExist, anything but an existing folder. A
  // folder refused for its spelling is added to unspellable.
  std::string ResolvedFolder(const std::string& path, bool mustExist, std::vector<std::string>* unspellable = nullptr);
  // The key under which the binder holds folder, spelt as stored, or empty.
  std::string HeldKey(const std::string& binder, const std::string& folder) const;
  // Adds path to the binder unless it holds it; fills change's foldersAdded and selection.
  void AddFolder(const std::string& binder, const std::string& folder, TreeChange& change);

  BinderStore* store_;
  const Collation* collation_;
  FileSystem* folders_;
};

}  // namespace velmora
