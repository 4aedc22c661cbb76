#include "shellops/win32/file_commands.h"

#include <shellapi.h>
#include <shlobj.h>

#include "common/path_lists.h"
#include "win32/clipboard_files.h"
#include "win32/shell_link.h"
#include "win32/strings.h"

namespace velmora {

namespace {

// Without confirmations the shell must not show anything else a user would have to answer.
constexpr FILEOP_FLAGS kUnattended = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;

struct ShellOperation {
  int result = 0;
  bool aborted = false;
};

ShellOperation RunShellOperation(HWND owner, UINT function, const std::string& from, const std::string* to,
                                 FILEOP_FLAGS flags) {
  // Wide, so that names the code page cannot spell reach the shell as they are.
  const std::wstring wideFrom = AnsiToWide(from);
  const std::wstring wideTo = to ? AnsiToWide(*to) : std::wstring();
  SHFILEOPSTRUCTW op = {};
  op.hwnd = owner;
  op.wFunc = function;
  op.pFrom = wideFrom.c_str();
  op.pTo = to ? wideTo.c_str() : nullptr;
  op.fFlags = flags;
  op.lpszProgressTitle = L"";
  ShellOperation outcome;
  outcome.result = SHFileOperationW(&op);
  outcome.aborted = op.fAnyOperationsAborted != FALSE;
  return outcome;
}

const wchar_t* OrNull(const std::wstring& s) { return s.empty() ? nullptr : s.c_str(); }

}  // namespace

FileCommands::FileCommands(HWND owner, const ShellContext& shell, Prompter& prompter, const Collation& collation)
    : owner_(owner), shell_(shell), prompter_(prompter), collation_(collation) {}

bool FileCommands::RefuseTooLong(const std::vector<std::string>& paths) {
  return RefuseTooLongPaths(paths, prompter_, kFileCommandCaption);
}

OpenResult FileCommands::Open(const std::string& path) {
  OpenResult result;
  if (RefuseTooLong({path})) return result;
  const OpenDecision decision = DecideOpen(path, fs_, followLink_);
  switch (decision.kind) {
    case OpenKind::kEnterFolder:
      result.kind = OpenResult::kEnterFolder;
      result.path = decision.path;
      break;
    case OpenKind::kStartFile:
      SetCurrentDirectoryW(AnsiToWide(decision.workingFolder).c_str());
      ShellOpenFile(decision.path);
      result.kind = OpenResult::kStarted;
      result.path = decision.path;
      break;
    case OpenKind::kProbeFolder:
      if (ProbeShellFolder(decision.path)) {
        result.kind = OpenResult::kEnterFolder;
        result.path = decision.path;
      }
      break;
    case OpenKind::kOpenShortcut:
      ShellOpenShortcut(decision.path);
      result.kind = OpenResult::kStarted;
      result.path = decision.path;
      break;
    case OpenKind::kNothing:
      break;
  }
  return result;
}

void FileCommands::ShellOpenFile(const std::string& path) {
  const auto code = reinterpret_cast<INT_PTR>(
      ShellExecuteW(owner_, L"open", AnsiToWide(path).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  // Other failures are the shell's to report, or nobody's.
  if (code == kNoAssociation)
    ShellExecuteW(nullptr, nullptr, AnsiToWide(kOpenWithProgram).c_str(), AnsiToWide(OpenWithParameters(path)).c_str(),
                  nullptr, SW_SHOWNORMAL);
}

void FileCommands::ShellOpenShortcut(const std::string& link) {
  const std::wstring file = AnsiToWide(link);
  SHELLEXECUTEINFOW info = {};
  info.cbSize = sizeof(info);
  info.fMask = SEE_MASK_FLAG_NO_UI;
  info.hwnd = owner_;
  info.lpFile = file.c_str();
  info.nShow = SW_SHOWNORMAL;
  if (shellExecute_(info)) return;
  // A shell that cannot open shortcuts itself (Wine) is handed the item the shortcut holds.
  const ItemIdList target = TShellLink().GetLinkToItemId(link, nullptr);
  if (!target) return;
  info.fMask = SEE_MASK_INVOKEIDLIST;
  info.lpFile = nullptr;
  info.lpIDList = target.get();
  shellExecute_(info);
}

void FileCommands::OpenWith(const std::string& path) {
  if (path.empty() || RefuseTooLong({path})) return;
  ShellExecuteVerb("rundll32", OpenWithParameters(path), "", "");
}

void FileCommands::ShowProperties(const std::string& path) {
  if (path.empty() || RefuseTooLong({path})) return;
  ShellExecuteVerb("", "", "properties", path);
}

void FileCommands::ShellExecuteVerb(const std::string& file, const std::string& parameters, const std::string& verb,
                                    const std::string& path) {
  ItemIdList item;
  if (file.empty()) {
    if (!path.empty()) item = shell_.ParseToItemId(path);
    if (!item) return;
  }
  const std::wstring wideVerb = AnsiToWide(verb);
  const std::wstring wideFile = AnsiToWide(file);
  const std::wstring wideParameters = AnsiToWide(parameters);
  SHELLEXECUTEINFOW info = {};
  info.cbSize = sizeof(info);
  info.fMask = SEE_MASK_INVOKEIDLIST | SEE_MASK_NOCLOSEPROCESS;
  info.hwnd = owner_;
  info.lpVerb = OrNull(wideVerb);
  info.lpFile = OrNull(wideFile);
  info.lpParameters = OrNull(wideParameters);
  info.nShow = SW_SHOWNORMAL;
  info.lpIDList = item.get();
  if (shellExecute_(info) && info.hProcess) CloseHandle(info.hProcess);
}

bool FileCommands::ProbeShellFolder(const std::string& path) {
  const ItemIdList item = shell_.ParseToItemId(path);
  if (!item || !shell_.desktop()) return false;
  ComPtr<IShellFolder> folder;
  if (FAILED(shell_.desktop()->BindToObject(item.get(), nullptr, IID_IShellFolder, folder.put_void()))) return false;
  ComPtr<IEnumIDList> entries;
  if (folder->EnumObjects(owner_, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN, entries.put()) != S_OK ||
      !entries)
    return false;
  // Only a folder whose every item the shell can name counts as one to enter.
  LPITEMIDLIST raw = nullptr;
  while (entries->Next(1, &raw, nullptr) == S_OK) {
    const ItemIdList child(raw);
    STRRET name = {};
    if (FAILED(folder->GetDisplayNameOf(child.get(), SHGDN_FORPARSING, &name))) return false;
    if (name.uType == STRRET_WSTR) CoTaskMemFree(name.pOleStr);
  }
  return true;
}

bool FileCommands::CopyToClipboard(const std::vector<std::string>& paths) {
  // Another program would read the names into buffers of MAX_PATH and act on cut paths.
  if (RefuseTooLong(paths)) return false;
  return CopyPathsToClipboard(owner_, paths);
}

CopyResult FileCommands::Paste(const std::string& firstSelectedPath, const std::string& listedFolder) {
  const ShellFileList files = ReadClipboardFiles(owner_);
  if (files.malformed) prompter_.Message(kMalformedPasteText, kFileCommandCaption);
  const std::vector<std::string>& sources = files.paths;
  if (sources.empty()) return CopyResult();
  if (!firstSelectedPath.empty() && fs_.IsExistingFolder(firstSelectedPath))
    return CopyFilesInto(firstSelectedPath, false, sources);
  return CopyFilesInto(listedFolder, true, sources);
}

CopyResult FileCommands::DropInto(const std::string& listedFolder, const ShellFileList& files) {
  if (files.malformed) {
    prompter_.Message(kMalformedDropText, kFileCommandCaption);
    return CopyResult();
  }
  return CopyFilesInto(listedFolder, true, files.paths);
}

CopyResult FileCommands::CopyFilesInto(const std::string& folder, bool intoListedFolder,
                                       const std::vector<std::string>& sources) {
  CopyResult result;
  if (folder.empty()) return result;
  CopyPlan plan = PlanCopyInto(folder, sources);
  if (plan.sources.empty() || RefuseTooLong(plan.sources) || RefuseTooLong(plan.targets)) return result;
  const std::string from = MakeDoubleNulList(PathText(plan.sources));
  const std::string to = MakeDoubleNulList(PathText(plan.targets));
  // Every operation copies; the shell asks before replacing and reports errors itself.
  const ShellOperation op =
      RunShellOperation(owner_, FO_COPY, from, &to, FOF_MULTIDESTFILES | (confirmations_ ? 0 : kUnattended));
  result.folder = folder;
  result.intoListedFolder = intoListedFolder;
  result.targets = std::move(plan.targets);
  result.shellResult = op.result;
  result.aborted = op.aborted;
  return result;
}

DeleteResult FileCommands::Delete(const std::vector<std::string>& paths) {
  if (paths.empty() || RefuseTooLong(paths)) return DeleteResult();
  const std::string from = MakeDoubleNulList(PathText(paths));
  const FILEOP_FLAGS flags = confirmations_ ? FOF_ALLOWUNDO | FOF_WANTNUKEWARNING : FOF_ALLOWUNDO | kUnattended;
  const ShellOperation op = RunShellOperation(owner_, FO_DELETE, from, nullptr, flags);
  return RowsAfterDelete(paths, op.result, op.aborted, fs_);
}

RenameResult FileCommands::Rename(const RenameRequest& request) {
  return RenameEdited(request, fs_, collation_, prompter_);
}

std::string FileCommands::CreateNewFolder(const std::string& listedFolder) {
  return velmora::CreateNewFolder(listedFolder, fs_, prompter_);
}

}  // namespace velmora
