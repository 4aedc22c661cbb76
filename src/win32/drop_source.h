// Dragging paths out of the window as a shell drag.
#pragma once
#include <windows.h>
#include <ole2.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "win32/com_ptr.h"
#include "win32/shell_context.h"

namespace velmora {

// Drop source of a drag that leaves the window: a drop onto the program's own controls is
// refused, anywhere else it is made.
class TDropSource : public IDropSource {
 public:
  explicit TDropSource(HWND mainWindow) : mainWindow_(mainWindow) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escapePressed, DWORD keyState) override;
  HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD effect) override;

 private:
  virtual ~TDropSource() = default;
  LONG refs_ = 1;
  HWND mainWindow_;
};

// The shell's data object for the paths: the items of one folder as that folder's children;
// items of several folders (a flat listing) each from the desktop, every one its own item.
ComPtr<IDataObject> MakeShellDataObject(const ShellContext& shell, const std::vector<std::string>& paths);

// A shell drag of the paths that offers copy only; returns when the drag has ended.
void DoShellDrag(const ShellContext& shell, HWND mainWindow, const std::vector<std::string>& paths);

}  // namespace velmora
