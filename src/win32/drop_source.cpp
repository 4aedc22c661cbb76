#include "win32/drop_source.h"

#include <cstring>

#include "common/path_lists.h"
#include "text/cp932.h"
#include "win32/clipboard_files.h"
#include "win32/owned_handle.h"
#include "win32/strings.h"

namespace velmora {

HRESULT STDMETHODCALLTYPE TDropSource::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDropSource)) {
    *object = static_cast<IDropSource*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE TDropSource::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }

ULONG STDMETHODCALLTYPE TDropSource::Release() {
  const LONG n = InterlockedDecrement(&refs_);
  if (n == 0) delete this;
  return static_cast<ULONG>(n);
}

HRESULT STDMETHODCALLTYPE TDropSource::QueryContinueDrag(BOOL escapePressed, DWORD keyState) {
  const bool left = (keyState & MK_LBUTTON) != 0, right = (keyState & MK_RBUTTON) != 0;
  if (escapePressed || (left && right)) return DRAGDROP_S_CANCEL;
  if (left || right) return S_OK;
  POINT p;
  GetCursorPos(&p);
  HWND under = WindowFromPoint(p);
  for (HWND w = under; w; w = GetParent(w))
    if (w == mainWindow_) return DRAGDROP_S_CANCEL;
  return DRAGDROP_S_DROP;
}

HRESULT STDMETHODCALLTYPE TDropSource::GiveFeedback(DWORD) { return DRAGDROP_S_USEDEFAULTCURSORS; }

namespace {

// The shell's data object for items of several folders, with the file list its CF_HDROP
// gives replaced by the items' own full paths. Bound at the desktop, the items are
// multi-level lists, and a shell may build each CF_HDROP name from the desktop's folder
// and an item's first level only (Wine does); the item list itself is right everywhere.
class FullPathDataObject : public IDataObject {
 public:
  FullPathDataObject(ComPtr<IDataObject> shell, std::string dropFiles)
      : shell_(std::move(shell)), dropFiles_(std::move(dropFiles)) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (!object) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDataObject)) {
      *object = static_cast<IDataObject*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG n = InterlockedDecrement(&refs_);
    if (n == 0) delete this;
    return static_cast<ULONG>(n);
  }

  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
    if (!IsFileList(format)) return shell_->GetData(format, medium);
    if (!medium) return E_POINTER;
    OwnedGlobal memory = GlobalCopy(dropFiles_.data(), dropFiles_.size());
    if (!memory) return E_OUTOFMEMORY;
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = memory.Release();
    medium->pUnkForRelease = nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC* format, STGMEDIUM* medium) override {
    return IsFileList(format) ? DATA_E_FORMATETC : shell_->GetDataHere(format, medium);
  }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
    return IsFileList(format) ? S_OK : shell_->QueryGetData(format);
  }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC* in, FORMATETC* out) override {
    return shell_->GetCanonicalFormatEtc(in, out);
  }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) override {
    return shell_->SetData(format, medium, release);
  }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) override {
    return shell_->EnumFormatEtc(direction, formats);
  }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC* format, DWORD flags, IAdviseSink* sink, DWORD* connection) override {
    return shell_->DAdvise(format, flags, sink, connection);
  }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD connection) override { return shell_->DUnadvise(connection); }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA** advises) override { return shell_->EnumDAdvise(advises); }

 private:
  virtual ~FullPathDataObject() = default;
  static bool IsFileList(const FORMATETC* format) {
    return format && format->cfFormat == CF_HDROP && (format->tymed & TYMED_HGLOBAL) &&
           format->dwAspect == DVASPECT_CONTENT;
  }
  LONG refs_ = 1;
  ComPtr<IDataObject> shell_;
  std::string dropFiles_;
};

ComPtr<IDataObject> ItemsDataObject(IShellFolder* folder, const std::vector<ItemIdList>& items) {
  std::vector<LPCITEMIDLIST> constItems;
  for (const ItemIdList& item : items) constItems.push_back(item.get());
  ComPtr<IDataObject> result;
  if (FAILED(folder->GetUIObjectOf(nullptr, static_cast<UINT>(constItems.size()), constItems.data(), IID_IDataObject,
                                   nullptr, result.put_void())))
    result.Reset();
  return result;
}

// Items of one folder: children of that folder, as the shell hands them out itself.
ComPtr<IDataObject> OneFolderDataObject(const ShellContext& shell, const std::vector<std::string>& paths) {
  ComPtr<IShellFolder> parent = shell.BindToFolder(ParentFolder(paths.front()));
  if (!parent) return ComPtr<IDataObject>();
  std::vector<ItemIdList> items;
  for (const std::string& path : paths) {
    // An item whose whole path the shell cannot hold is not offered at all.
    std::wstring name;
    ItemIdList item;
    if (!PathFitsShell(path) || !PathToWide(LastComponent(path), name) || name.empty() ||
        FAILED(parent->ParseDisplayName(nullptr, nullptr, &name[0], nullptr, item.put(), nullptr)) ||
        !item)
      return ComPtr<IDataObject>();
    items.push_back(std::move(item));
  }
  return ItemsDataObject(parent.get(), items);
}

// Items of several folders (a flat listing): each parsed whole at the desktop, so that a
// name found in two folders stays two items.
ComPtr<IDataObject> ManyFoldersDataObject(const ShellContext& shell, const std::vector<std::string>& paths) {
  std::vector<ItemIdList> items;
  for (const std::string& path : paths) {
    ItemIdList item = shell.ParseToItemId(path);
    if (!item) return ComPtr<IDataObject>();
    items.push_back(std::move(item));
  }
  ComPtr<IDataObject> shellData = ItemsDataObject(shell.desktop(), items);
  const std::string dropFiles = FileListBlock(paths);
  ComPtr<IDataObject> result;
  if (shellData && !dropFiles.empty()) *result.put() = new FullPathDataObject(std::move(shellData), dropFiles);
  return result;
}

}  // namespace

ComPtr<IDataObject> MakeShellDataObject(const ShellContext& shell, const std::vector<std::string>& paths) {
  if (!shell.desktop() || paths.empty()) return ComPtr<IDataObject>();
  const std::string folder = ParentFolder(paths.front());
  for (const std::string& path : paths)
    if (ParentFolder(path) != folder) return ManyFoldersDataObject(shell, paths);
  return OneFolderDataObject(shell, paths);
}

void DoShellDrag(const ShellContext& shell, HWND mainWindow, const std::vector<std::string>& paths) {
  if (paths.empty()) return;
  ComPtr<IDataObject> data = MakeShellDataObject(shell, paths);
  if (!data) return;
  ComPtr<IDropSource> source;
  *source.put() = new TDropSource(mainWindow);
  DWORD effect = DROPEFFECT_NONE;
  DoDragDrop(data.get(), source.get(), DROPEFFECT_COPY, &effect);
}

}  // namespace velmora
