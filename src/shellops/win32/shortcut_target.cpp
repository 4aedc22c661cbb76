#include "shellops/win32/shortcut_target.h"

#include <shlobj.h>

#include "win32/com_ptr.h"
#include "win32/strings.h"

namespace velmora {

HRESULT GetLinkToPath(std::string& path, HWND owner) {
  ComPtr<IShellLinkA> link;
  HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.put_void());
  if (FAILED(hr)) return hr;
  ComPtr<IPersistFile> file;
  hr = link->QueryInterface(IID_IPersistFile, file.put_void());
  if (FAILED(hr)) return hr;
  hr = file->Load(AnsiToWide(path).c_str(), STGM_READ);
  if (FAILED(hr)) return hr;
  hr = link->Resolve(owner, SLR_UPDATE | (owner ? 0 : SLR_NO_UI));
  if (FAILED(hr)) return hr;
  char target[MAX_PATH] = "";
  hr = link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH);
  if (FAILED(hr)) return hr;
  const std::string found = target;
  if (!found.empty() && (IsExistingFile(found) || IsExistingFolder(found))) path = found;
  return hr;
}

}  // namespace velmora
