// Process entry: creates the main window and runs the message loop.
#include <windows.h>
#include <commctrl.h>

#include <exception>

#include "app/win32/control_ids.h"
#include "app/win32/orvik_binder.h"
#include "browse/listing_loader.h"
#include "win32/win32_prompter.h"

namespace {
void ShowFatal(const char* what) { velmora::Win32Prompter().Error(what, velmora::kApplicationTitle); }
}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES |
                                               ICC_TREEVIEW_CLASSES | ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&icc);
  try {
    velmora::TOrvikBinder orvikBinder(velmora::AppEnvironment::FromProcess());
    orvikBinder.Create(instance);
    // With parameters the window stays hidden: no taskbar button, no window.
    orvikBinder.Show(showCommand);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
      if (orvikBinder.PreTranslateMessage(msg)) continue;
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    // The store is saved. A listing stuck on a hung drive may not be waited for, nor may
    // the libraries be unloaded under it: the process ends here, its threads with it.
    if (velmora::ListingLoader::Running() > 0) TerminateProcess(GetCurrentProcess(), static_cast<UINT>(msg.wParam));
    return static_cast<int>(msg.wParam);
  } catch (const std::exception& e) {
    ShowFatal(e.what());
  } catch (...) {
    ShowFatal("予期しないエラーが発生しました。");
  }
  return 1;
}
