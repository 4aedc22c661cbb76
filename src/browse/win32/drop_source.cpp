#include "browse/win32/drop_source.h"

#include "win32/strings.h"

#include "text/cp932.h"

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

ComPtr<IDataObject> MakeShellDataObject(const ShellContext& shell, const std::vector<std::string>& paths) {
  ComPtr<IDataObject> result;
  if (!shell.desktop() || paths.empty()) return result;
  ComPtr<IShellFolder> parent = shell.BindToFolder(ParentFolder(paths.front()));
  if (!parent) return result;
  std::vector<ItemIdList> items;
  for (const std::string& path : paths) {
    // An item whose whole path the shell cannot hold is not offered at all.
    std::wstring name;
    ItemIdList item;
    if (!PathFitsShell(path) || !PathToWide(LastComponent(path), name) || name.empty() ||
        FAILED(parent->ParseDisplayName(nullptr, nullptr, &name[0], nullptr, item.put(shell.allocator()), nullptr)) ||
        !item)
      return result;
    items.push_back(std::move(item));
  }
  std::vector<LPCITEMIDLIST> constItems;
  for (const ItemIdList& item : items) constItems.push_back(item.get());
  if (FAILED(parent->GetUIObjectOf(nullptr, static_cast<UINT>(constItems.size()), constItems.data(), IID_IDataObject,
                                   nullptr, result.put_void())))
    result.Reset();
  return result;
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
