#include "app/win32/hint_bar.h"

#include "app/hint_text.h"
#include "app/win32/control_ids.h"
#include "win32/strings.h"

namespace velmora {

HWND HintBar::status() const { return GetDlgItem(hwnd_, IDC_STATUS); }

void HintBar::AddControlHint(HWND control, const std::string& hint) {
  controlHints_[control] = hint;
  if (!tooltip_) {
    tooltip_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr,
                               instance_, nullptr);
  }
  const std::string tip = ShortHint(hint);
  TTTOOLINFOA info = {};
  info.cbSize = TTTOOLINFOA_V1_SIZE;
  info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  info.hwnd = hwnd_;
  info.uId = reinterpret_cast<UINT_PTR>(control);
  info.lpszText = const_cast<char*>(tip.c_str());
  SendMessageA(tooltip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info));
}

std::string HintBar::HintAt(HWND window, POINT screenPoint) const {
  auto found = controlHints_.find(window);
  if (found != controlHints_.end()) return found->second;
  const int id = GetDlgCtrlID(window);
  if (GetParent(window) == hwnd_ && (id == IDC_TREEBAR || id == IDC_LISTBAR)) {
    POINT p = screenPoint;
    ScreenToClient(window, &p);
    const int index = static_cast<int>(SendMessageA(window, TB_HITTEST, 0, reinterpret_cast<LPARAM>(&p)));
    TBBUTTON button = {};
    if (index >= 0 && SendMessageA(window, TB_GETBUTTON, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&button))) {
      return commands_.Hint(button.idCommand);
    }
  }
  return std::string();
}

void HintBar::Track(const MSG& msg) {
  if (msg.message == WM_MOUSEMOVE && (msg.hwnd == hwnd_ || IsChild(hwnd_, msg.hwnd))) {
    POINT p = msg.pt;
    const std::string hint = HintAt(msg.hwnd, p);
    ApplicationHintChanged(hint);
    // The pointer may leave for another program's window, which tells us nothing.
    if (!hint.empty() && hintWindow_ != msg.hwnd) {
      TRACKMOUSEEVENT track = {sizeof(track), TME_LEAVE, msg.hwnd, 0};
      TrackMouseEvent(&track);
    }
    hintWindow_ = hint.empty() ? nullptr : msg.hwnd;
  }
  if (msg.message == WM_MOUSELEAVE && msg.hwnd == hintWindow_) {
    hintWindow_ = nullptr;
    ApplicationHintChanged(std::string());
  }
}

void HintBar::ApplicationHintChanged(const std::string& hint) {
  if (hint == applicationHint_) return;
  applicationHint_ = hint;
  // Without a hint the panel shows the path again rather than going blank.
  ShowInPanel(hint.empty() ? statusPath_ : LongHint(hint));
}

void HintBar::SetStatusPath(const std::string& text) {
  statusPath_ = text;
  ShowInPanel(text);
}

void HintBar::ShowInPanel(const std::string& text) {
  // Wide, so that a name the code page cannot spell shows its own characters, not its mark.
  SendMessageW(status(), SB_SETTEXTW, 1, reinterpret_cast<LPARAM>(AnsiToWide(text).c_str()));
}

void HintBar::OnToolTipText(NMHDR* header) {
  const std::string hint = commands_.Hint(static_cast<int>(header->idFrom));
  if (hint.empty()) return;
  static std::string shortTextA;
  static std::wstring shortTextW;
  shortTextA = ShortHint(hint);
  if (header->code == TTN_GETDISPINFOA) {
    reinterpret_cast<NMTTDISPINFOA*>(header)->lpszText = const_cast<char*>(shortTextA.c_str());
  } else {
    shortTextW = AnsiToWide(shortTextA, 1024);
    reinterpret_cast<NMTTDISPINFOW*>(header)->lpszText = const_cast<wchar_t*>(shortTextW.c_str());
  }
}

}  // namespace velmora
