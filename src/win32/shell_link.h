// TShellLink: everything the program does with shortcut (.lnk) files: special folders by
// CSIDL, creating shortcuts under safe numbered names, telling whether one exists, deleting
// and resolving them. No operation shows a message or throws; failures give empty results
// and the callers decide what the user sees. COM is started on the calling thread for
// every shell link object, and ended again, so callers need not have started it.
#pragma once
#include <windows.h>
#include <shlobj.h>

#include <string>

#include "win32/owned_handle.h"

namespace velmora {

class TShellLink {
 public:
  static constexpr int kDesktop = 0x00;      // CSIDL_DESKTOP
  static constexpr int kDocuments = 0x05;    // CSIDL_PERSONAL
  static constexpr int kSendTo = 0x09;       // CSIDL_SENDTO
  static constexpr int kWindows = 0x24;      // CSIDL_WINDOWS
  static constexpr int kSystem = 0x25;       // CSIDL_SYSTEM

  TShellLink() = default;
  virtual ~TShellLink() = default;
  TShellLink(const TShellLink&) = delete;
  TShellLink& operator=(const TShellLink&) = delete;

  // Read by ShellLinkCreate; each creating operation sets both before it writes.
  bool Overwrite = false;
  std::string LinkName;    // the name wanted for the next shortcut, without ".lnk"
  std::string TargetPath;  // set by ChkLinkOrDel

  // File-system path of a special folder, empty when it has none (the Windows and system
  // folders always have one). Virtual so that tests can point folders elsewhere.
  virtual std::string GetPath(int csidl);
  // The special folder's item identifier list; empty when the shell has none.
  ItemIdList GetCodeToItemIdList(int csidl);
  // Frees a list the shell allocated; false when there is no shell allocator.
  static bool ItemIdListFree(LPITEMIDLIST pidl);
  // Display name of a special folder and, in icon, its icon (large or small), which the
  // caller destroys with DestroyIcon; null when the shell gives none.
  std::string GetNameOrHandIcon(int csidl, HICON& icon, bool small);

  // A shortcut to targetPath (or, with an empty path, to the item pidl) in the special
  // folder csidl, named linkName or after the target. With overwrite, a shortcut of that
  // name is replaced; otherwise the name is numbered: name(1).lnk, name(2).lnk, ... Gives
  // the shortcut's full path, or "" when nothing was written.
  std::string CreateLink(const std::string& targetPath, LPCITEMIDLIST pidl, int csidl, const std::string& linkName,
                         bool overwrite);
  // As CreateLink, into the folder given by its path.
  std::string CreateLink2(const std::string& targetPath, LPCITEMIDLIST pidl, const std::string& folder,
                          const std::string& linkName, bool overwrite);

  // True when the special folder holds a shortcut named after the target, or named
  // altName. Only names are compared.
  bool ChkLink(const std::string& targetPath, LPCITEMIDLIST pidl, const std::string& altName, int csidl);
  // Deletes the first that exists of: folder\<name's file name>.lnk, folder\<name>.lnk,
  // folder\<altName>.lnk. Silent.
  void DeleteLink(int csidl, const std::string& name, const std::string& altName);

  // Whether the special folder (or folder) holds shortcuts that lead to targetPath, or whose
  // name contains namePart; with del they are deleted. Only shortcut files are looked at,
  // so the target itself is never taken for one. Pumps messages once per entry.
  bool ChkLinkOrDel(const std::string& targetPath, const std::string& namePart, int csidl, bool del);
  bool ChkLinkFileOrDel(const std::string& folder, const std::string& namePart, bool del);

  // The target of the shortcut linkPath. target is linkPath unless the shortcut resolves to
  // a file or folder that exists. With a window, the shell may ask the user about a moved
  // target; with none it never shows anything. Resolving may update the shortcut file.
  // Gives the result of the last step taken (S_OK on full success).
  HRESULT GetLinkToPath(const std::string& linkPath, std::string& target, HWND window);
  // The target of a shortcut as an item identifier list; empty on any failure.
  ItemIdList GetLinkToItemId(const std::string& linkPath, HWND window);

  // The core of the creating and checking operations. In check mode gives "1" when a
  // shortcut of the plain name exists and "0" otherwise, and writes nothing; else the path
  // of the shortcut written or "".
  std::string ShellLinkCreate(const std::string& targetPath, LPCITEMIDLIST pidl, const std::string& folder,
                              const std::string& description, bool checkOnly);
};

}  // namespace velmora
