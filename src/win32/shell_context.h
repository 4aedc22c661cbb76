// The process's shell session: OLE and COM start-up, the desktop folder and the shell allocator,
// and the path-to-item steps every shell feature takes.
#pragma once
#include <windows.h>
#include <shlobj.h>

#include <functional>
#include <string>

#include "win32/com_ptr.h"
#include "win32/owned_handle.h"

namespace velmora {

// The start-up calls, replaceable by tests that make them fail.
struct ShellStartCalls {
  std::function<HRESULT()> oleInitialize;
  std::function<HRESULT()> coInitialize;
  std::function<HRESULT(IMalloc**)> getMalloc;
  std::function<HRESULT(IShellFolder**)> getDesktopFolder;
  static ShellStartCalls Platform();
};

class ShellContext {
 public:
  ShellContext() = default;
  ~ShellContext() { Stop(); }
  ShellContext(const ShellContext&) = delete;
  ShellContext& operator=(const ShellContext&) = delete;

  // What fails is left out; the features that need it then do nothing, and the caller
  // tells the user (oleInitialized(), desktop(), allocator()).
  void Start(const ShellStartCalls& calls = ShellStartCalls::Platform());
  // Releases the shell objects before COM and OLE end, so that their Release still has COM.
  void Stop();

  IShellFolder* desktop() const { return desktop_.get(); }
  IMalloc* allocator() const { return allocator_.get(); }
  bool oleInitialized() const { return oleInitialized_; }

  // Path to item identifier list through the desktop folder; empty on failure, which
  // includes a path too long for the shell (never parsed cut, as another item).
  ItemIdList ParseToItemId(const std::string& path) const;
  // The shell folder of a folder path; empty on failure.
  ComPtr<IShellFolder> BindToFolder(const std::string& path) const;

 private:
  bool oleInitialized_ = false;
  bool comInitialized_ = false;
  ComPtr<IMalloc> allocator_;
  ComPtr<IShellFolder> desktop_;
};

}  // namespace velmora
