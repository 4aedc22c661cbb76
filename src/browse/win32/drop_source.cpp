#include "browse/win32/drop_source.h"

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
  for (HWND w = under ? GetParent(under) : nullptr; w; w = GetParent(w))
    if (w == mainWindow_) return DRAGDROP_S_CANCEL;
  return DRAGDROP_S_DROP;
}

HRESULT STDMETHODCALLTYPE TDropSource::GiveFeedback(DWORD) { return DRAGDROP_S_USEDEFAULTCURSORS; }

ComPtr<IDataObject> MakeShellDataObject(IShellFolder* desktop, IMalloc* allocator, const std::vector<std::string>& paths) {
  ComPtr<IDataObject> result;
  if (!desktop || !allocator || paths.empty()) return result;
  std::wstring parentName = AnsiToWide(ParentFolder(paths.front()));
  LPITEMIDLIST parentItem = nullptr;
  if (parentName.empty() ||
      FAILED(desktop->ParseDisplayName(nullptr, nullptr, &parentName[0], nullptr, &parentItem, nullptr)) || !parentItem)
    return result;
  ComPtr<IShellFolder> parent;
  const HRESULT bound = desktop->BindToObject(parentItem, nullptr, IID_IShellFolder, parent.put_void());
  allocator->Free(parentItem);
  if (FAILED(bound)) return result;
  std::vector<LPITEMIDLIST> items;
  bool complete = true;
  for (const std::string& path : paths) {
    std::wstring name = AnsiToWide(LastComponent(path));
    LPITEMIDLIST item = nullptr;
    if (name.empty() || FAILED(parent->ParseDisplayName(nullptr, nullptr, &name[0], nullptr, &item, nullptr)) || !item) {
      complete = false;
      break;
    }
    items.push_back(item);
  }
  if (complete) {
    std::vector<LPCITEMIDLIST> constItems(items.begin(), items.end());
    if (FAILED(parent->GetUIObjectOf(nullptr, static_cast<UINT>(constItems.size()), constItems.data(), IID_IDataObject,
                                     nullptr, result.put_void())))
      result.Reset();
  }
  for (LPITEMIDLIST item : items) allocator->Free(item);
  return result;
}

}  // namespace velmora
