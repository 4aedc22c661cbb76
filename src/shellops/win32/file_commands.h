// The file list's file commands through the Windows shell: open, open with, properties,
// clipboard copy and paste, copies of dropped files, delete to the recycle bin, rename and
// new folder. They act on full paths and the listed folder and tell the caller which rows
// to add, refresh or remove, by full path; they never see row numbers.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <string>
#include <vector>

#include "common/collation.h"
#include "common/prompter.h"
#include "shellops/change_rules.h"
#include "shellops/open_rules.h"
#include "win32/win32_file_system.h"
#include "win32/clipboard_files.h"
#include "win32/shell_context.h"

namespace velmora {

struct OpenResult {
  enum Kind { kNothing, kEnterFolder, kStarted } kind = kNothing;
  std::string path;  // the folder to enter, or the file handed to the shell
};

struct CopyResult {
  std::string folder;              // where the copies went; empty when nothing was copied
  bool intoListedFolder = false;   // the copies went into the listed folder
  std::vector<std::string> targets;  // the copies' own full paths, in source order
  int shellResult = 0;
  bool aborted = false;
};

class FileCommands {
 public:
  // owner: the main window (shell dialogs and the clipboard belong to it).
  FileCommands(HWND owner, const ShellContext& shell, Prompter& prompter, const Collation& collation);

  // For an owner made after the commands.
  void SetOwner(HWND owner) { owner_ = owner; }
  // Shortcuts are followed through this (the shell link utilities); without it the shell
  // opens a shortcut like any file.
  void SetLinkFollower(LinkFollower follower) { followLink_ = std::move(follower); }
  // The shell's questions before deleting and replacing; off only where nobody can answer.
  void SetShellConfirmations(bool on) { confirmations_ = on; }
  // Items and verbs are handed to the shell through this (ShellExecuteExW, so that any
  // file name reaches it as it is); tests watch what the shell is asked.
  using ShellExecutor = std::function<bool(SHELLEXECUTEINFOW& info)>;
  void SetShellExecutor(ShellExecutor execute) { shellExecute_ = std::move(execute); }

  // Double click, Enter, "開く(&O)" on one row: a folder (or a shortcut's folder, or a
  // namespace folder) comes back to be entered; a file is started, the process's current
  // directory moving to its folder; a shortcut to an item that is no file (a Control Panel
  // item) is handed to the shell.
  OpenResult Open(const std::string& path);
  // "アプリケーションから開く(&H)": the shell's Open-with dialog for the file.
  void OpenWith(const std::string& path);
  // "プロパティ(&P)": the shell's properties sheet; nothing when the shell cannot parse the path.
  void ShowProperties(const std::string& path);

  // "コピー(&C)": the paths as the clipboard's only content.
  bool CopyToClipboard(const std::vector<std::string>& paths);
  // "貼り付け(&P)": the clipboard's files into the first selected row when that is a folder,
  // else into the listed folder. A malformed clipboard block is refused with a message.
  CopyResult Paste(const std::string& firstSelectedPath, const std::string& listedFolder);
  // Files dropped onto the list: always into the listed folder, whatever row they fell on.
  // A malformed drop is refused with a message.
  CopyResult DropInto(const std::string& listedFolder, const ShellFileList& files);
  // Copies into a folder that is not the listed one (send-to targets).
  CopyResult CopyInto(const std::string& folder, const std::vector<std::string>& paths) {
    return CopyFilesInto(folder, false, paths);
  }

  // "削除(&D)", Delete: to the recycle bin with the shell's own confirmation.
  DeleteResult Delete(const std::vector<std::string>& paths);

  // End of a label edit.
  RenameResult Rename(const RenameRequest& request);

  // "フォルダの作成(&F)": the new folder's path, or empty after the failure message.
  std::string CreateNewFolder(const std::string& listedFolder);

  Win32FileSystem& fileSystem() { return fs_; }

 private:
  void ShellOpenFile(const std::string& path);
  // A shortcut to an item without a file-system path, opened as a double click in the
  // shell opens it.
  void ShellOpenShortcut(const std::string& link);
  void ShellExecuteVerb(const std::string& file, const std::string& parameters, const std::string& verb,
                        const std::string& path);
  bool ProbeShellFolder(const std::string& path);
  // Every command that hands paths to the shell refuses, with a message naming it, a path
  // too long for the shell's buffers.
  bool RefuseTooLong(const std::vector<std::string>& paths);
  CopyResult CopyFilesInto(const std::string& folder, bool intoListedFolder, const std::vector<std::string>& sources);

  HWND owner_;
  const ShellContext& shell_;
  Prompter& prompter_;
  const Collation& collation_;
  Win32FileSystem fs_;
  LinkFollower followLink_;
  bool confirmations_ = true;
  ShellExecutor shellExecute_ = [](SHELLEXECUTEINFOW& info) { return ShellExecuteExW(&info) != FALSE; };
};

}  // namespace velmora
