#include "win32/shell_link.h"

#include <shellapi.h>
#include <shobjidl.h>

#include "common/link_names.h"
#include "text/cp932.h"
#include "win32/com_ptr.h"
#include "win32/owned_handle.h"
#include "win32/strings.h"

namespace velmora {

namespace {

// COM for the life of one shell link object. Declared before the interface pointers, so
// that they are released while COM still runs. Where the thread has COM in another mode
// already, that one serves and nothing is ended here.
class ComApartment {
 public:
  ComApartment() : result_(CoInitialize(nullptr)) {}
  ~ComApartment() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

 private:
  HRESULT result_;
};

bool ExistsAtAll(const std::string& path) { return GetFileAttributesW(AnsiToWide(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

// A file name for IPersistFile, or empty when the path does not fit: a shortened name
// would save the shortcut under another name.
std::wstring PersistName(const std::string& path) {
  std::wstring wide;
  PathToWide(path, wide);
  return wide;
}

void PumpPendingMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

// A shell link object loaded from a shortcut file and resolved; the step that failed, if any.
struct LoadedLink {
  ComPtr<IShellLinkA> link;
  ComPtr<IPersistFile> file;
  HRESULT result = E_FAIL;
};

void LoadAndResolve(const std::string& linkPath, HWND window, LoadedLink& loaded) {
  loaded.result = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   loaded.link.put_void());
  if (FAILED(loaded.result)) return;
  loaded.result = loaded.link->QueryInterface(IID_IPersistFile, loaded.file.put_void());
  if (FAILED(loaded.result)) return;
  const std::wstring name = PersistName(linkPath);
  loaded.result = name.empty() ? E_INVALIDARG : loaded.file->Load(name.c_str(), STGM_READ);
  if (FAILED(loaded.result)) return;
  // Without a window the shell must not ask anything.
  const DWORD flags = SLR_UPDATE | (window ? 0 : SLR_NO_UI);
  loaded.result = loaded.link->Resolve(window, flags);
}

}  // namespace

bool TShellLink::ItemIdListFree(LPITEMIDLIST pidl) {
  ComPtr<IMalloc> allocator;
  if (FAILED(SHGetMalloc(allocator.put())) || !allocator) return false;
  allocator->Free(pidl);
  return true;
}

ItemIdList TShellLink::GetCodeToItemIdList(int csidl) {
  ItemIdList list;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, list.put()))) list.Reset();
  return list;
}

std::string TShellLink::GetPath(int csidl) {
  // Wide: a user folder the code page cannot spell comes back marked, not lost.
  wchar_t buffer[MAX_PATH] = L"";
  ItemIdList list = GetCodeToItemIdList(csidl);
  if (list && !SHGetPathFromIDListW(list.get(), buffer)) buffer[0] = L'\0';
  if (buffer[0] == L'\0' && csidl == kWindows) GetWindowsDirectoryW(buffer, MAX_PATH);
  if (buffer[0] == L'\0' && csidl == kSystem) GetSystemDirectoryW(buffer, MAX_PATH);
  return WideToAnsi(buffer);
}

std::string TShellLink::GetNameOrHandIcon(int csidl, HICON& icon, bool small) {
  icon = nullptr;
  ItemIdList list = GetCodeToItemIdList(csidl);
  if (!list) return std::string();
  SHFILEINFOA info = {};
  const UINT flags = SHGFI_PIDL | SHGFI_DISPLAYNAME | SHGFI_ICON | (small ? SHGFI_SMALLICON : SHGFI_LARGEICON);
  if (!SHGetFileInfoA(reinterpret_cast<LPCSTR>(list.get()), 0, &info, sizeof info, flags)) return std::string();
  icon = info.hIcon;
  return info.szDisplayName;
}

std::string TShellLink::ShellLinkCreate(const std::string& targetPath, LPCITEMIDLIST pidl, const std::string& folder,
                                        const std::string& description, bool checkOnly) {
  const std::string failed = checkOnly ? "0" : "";
  // A special folder without a path must not turn into the root of the current drive.
  if (folder.empty()) return failed;
  std::string name;
  if (!targetPath.empty()) {
    if (!ExistsAtAll(targetPath)) return failed;
    name = ShortcutNameForPath(LinkName, targetPath);
  } else {
    if (!pidl) return failed;
    SHFILEINFOA info = {};
    bool isFolder = false;
    if (FileMogChk(LinkName).empty() &&
        SHGetFileInfoA(reinterpret_cast<LPCSTR>(pidl), 0, &info, sizeof info,
                       SHGFI_PIDL | SHGFI_DISPLAYNAME | SHGFI_ATTRIBUTES))
      isFolder = (info.dwAttributes & SFGAO_FOLDER) != 0;
    name = ShortcutNameForItem(LinkName, info.szDisplayName, isFolder);
  }
  if (name.empty()) return failed;

  const std::string base = PathToSetKugiriMog(folder, IsExistingFile(folder));
  const std::string first = base + name + ".lnk";
  const std::string link = (!Overwrite || checkOnly) ? NumberedLinkPath(base, name, ExistsAtAll) : first;
  if (checkOnly) return link != first ? "1" : "0";

  const std::wstring saveName = PersistName(link);
  if (saveName.empty()) return "";
  // The wide object: the target is checked by its own name above, and must be set by it too.
  std::wstring wideTarget;
  if (!targetPath.empty() && !PathToWide(targetPath, wideTarget)) return "";
  ComApartment com;
  ComPtr<IShellLinkW> shellLink;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              shellLink.put_void())))
    return "";
  const HRESULT target = !targetPath.empty() ? shellLink->SetPath(wideTarget.c_str()) : shellLink->SetIDList(pidl);
  if (FAILED(target) || FAILED(shellLink->SetDescription(AnsiToWide(description).c_str()))) return "";
  ComPtr<IPersistFile> file;
  if (FAILED(shellLink->QueryInterface(IID_IPersistFile, file.put_void()))) return "";
  if (FAILED(file->Save(saveName.c_str(), TRUE))) return "";
  return link;
}

std::string TShellLink::CreateLink(const std::string& targetPath, LPCITEMIDLIST pidl, int csidl,
                                   const std::string& linkName, bool overwrite) {
  return CreateLink2(targetPath, pidl, GetPath(csidl), linkName, overwrite);
}

std::string TShellLink::CreateLink2(const std::string& targetPath, LPCITEMIDLIST pidl, const std::string& folder,
                                    const std::string& linkName, bool overwrite) {
  Overwrite = overwrite;
  LinkName = linkName;
  return ShellLinkCreate(targetPath, pidl, folder, "", false);
}

bool TShellLink::ChkLink(const std::string& targetPath, LPCITEMIDLIST pidl, const std::string& altName, int csidl) {
  const std::string folder = GetPath(csidl);
  LinkName.clear();
  if (ShellLinkCreate(targetPath, pidl, folder, "", true) == "1") return true;
  if (altName.empty()) return false;
  LinkName = altName;
  return ShellLinkCreate(targetPath, pidl, folder, "", true) == "1";
}

void TShellLink::DeleteLink(int csidl, const std::string& name, const std::string& altName) {
  const std::string folder = GetPath(csidl);
  if (folder.empty()) return;
  const std::string base = IncludeTrailingBackslash(folder);
  // The last one is the name CreateLink gives altName, whose dots and the like it replaces.
  for (const std::string& candidate :
       {FileBaseName(name), name, altName, altName.empty() ? std::string() : FileMogChk(altName)}) {
    if (candidate.empty()) continue;
    if (DeleteFileW(AnsiToWide(base + candidate + ".lnk").c_str())) return;
  }
}

bool TShellLink::ChkLinkOrDel(const std::string& targetPath, const std::string& namePart, int csidl, bool del) {
  TargetPath = targetPath;
  return ChkLinkFileOrDel(GetPath(csidl), namePart, del);
}

bool TShellLink::ChkLinkFileOrDel(const std::string& folder, const std::string& namePart, bool del) {
  if (folder.empty()) return false;
  const std::string base = IncludeTrailingBackslash(folder);
  WIN32_FIND_DATAW entry;
  const FindHandle find(FindFirstFileW(AnsiToWide(base + "*.*").c_str(), &entry));
  if (!find) return false;
  bool found = false;
  do {
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    const std::string name = WideToAnsi(entry.cFileName);
    if (!IsShortcutPath(name)) continue;
    std::string target;
    const bool resolved = GetLinkToPath(base + name, target, nullptr) == S_OK && target != base + name;
    const bool leadsThere = resolved && !TargetPath.empty() && lstrcmpiA(target.c_str(), TargetPath.c_str()) == 0;
    const bool named = !namePart.empty() && FindChars(name, namePart) != std::string::npos;
    if (leadsThere || named) {
      found = true;
      if (del) DeleteFileW(AnsiToWide(base + name).c_str());
    }
    PumpPendingMessages();
  } while (FindNextFileW(find.get(), &entry));
  return found;
}

HRESULT TShellLink::GetLinkToPath(const std::string& linkPath, std::string& target, HWND window) {
  target = linkPath;
  ComApartment com;
  LoadedLink loaded;
  LoadAndResolve(linkPath, window, loaded);
  if (FAILED(loaded.result)) return loaded.result;
  // The wide path: the ANSI one gives look-alikes of characters the code page lacks.
  ComPtr<IShellLinkW> wide;
  HRESULT result = loaded.link->QueryInterface(IID_IShellLinkW, wide.put_void());
  if (FAILED(result)) return result;
  wchar_t buffer[MAX_PATH] = L"";
  WIN32_FIND_DATAW data;
  result = wide->GetPath(buffer, MAX_PATH, &data, SLGP_RAWPATH);
  if (SUCCEEDED(result) && buffer[0] != L'\0' && GetFileAttributesW(buffer) != INVALID_FILE_ATTRIBUTES)
    target = WideToAnsi(buffer);
  return result;
}

ItemIdList TShellLink::GetLinkToItemId(const std::string& linkPath, HWND window) {
  ComApartment com;
  LoadedLink loaded;
  LoadAndResolve(linkPath, window, loaded);
  ItemIdList list;
  if (SUCCEEDED(loaded.result) && FAILED(loaded.link->GetIDList(list.put()))) list.Reset();
  return list;
}

}  // namespace velmora
