#include "win32/win32_prompter.h"

#include <cstring>
#include <vector>

#include "win32/strings.h"

namespace velmora {

bool Win32Prompter::AskYesNo(const std::string& text, const std::string& caption) {
  return MessageBoxW(Owner(), AnsiToWide(text).c_str(), AnsiToWide(caption).c_str(), MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void Win32Prompter::Message(const std::string& text, const std::string& caption) {
  MessageBoxW(Owner(), AnsiToWide(text).c_str(), AnsiToWide(caption).c_str(), MB_OK);
}

void Win32Prompter::Error(const std::string& text, const std::string& caption) {
  MessageBoxW(Owner(), AnsiToWide(text).c_str(), AnsiToWide(caption).c_str(), MB_OK | MB_ICONSTOP);
}

namespace {

constexpr int kPromptId = 100;
constexpr int kEditId = 101;

// A dialog template built in memory: the input box needs no resource of its own.
class TemplateWriter {
 public:
  void Align4() {
    while (bytes_.size() % 4) bytes_.push_back(0);
  }
  template <typename T>
  void Put(const T& value) {
    const auto* p = reinterpret_cast<const unsigned char*>(&value);
    bytes_.insert(bytes_.end(), p, p + sizeof(T));
  }
  void PutString(const std::wstring& s) {
    for (wchar_t c : s) Put(static_cast<WORD>(c));
    Put(static_cast<WORD>(0));
  }
  void Item(DWORD style, short x, short y, short cx, short cy, WORD id, WORD atom, const std::wstring& text) {
    Align4();
    DLGITEMTEMPLATE item = {};
    item.style = style | WS_CHILD | WS_VISIBLE;
    item.x = x;
    item.y = y;
    item.cx = cx;
    item.cy = cy;
    item.id = id;
    Put(item);
    Put(static_cast<WORD>(0xFFFF));
    Put(atom);
    PutString(text);
    Put(static_cast<WORD>(0));  // no creation data
  }
  DLGTEMPLATE* Data() { return reinterpret_cast<DLGTEMPLATE*>(bytes_.data()); }
  std::size_t Size() const { return bytes_.size(); }
  std::vector<unsigned char>& bytes() { return bytes_; }

 private:
  std::vector<unsigned char> bytes_;
};

struct InputState {
  std::string prompt;
  std::string caption;
  std::string value;
};

INT_PTR CALLBACK InputProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_INITDIALOG: {
      auto* state = reinterpret_cast<InputState*>(lp);
      SetWindowLongPtrA(dialog, DWLP_USER, lp);
      SetWindowTextA(dialog, state->caption.c_str());
      SetDlgItemTextA(dialog, kPromptId, state->prompt.c_str());
      SetDlgItemTextA(dialog, kEditId, state->value.c_str());
      HWND edit = GetDlgItem(dialog, kEditId);
      SendMessageA(edit, EM_SETSEL, 0, -1);
      SetFocus(edit);
      return FALSE;
    }
    case WM_COMMAND:
      if (LOWORD(wp) == IDOK) {
        auto* state = reinterpret_cast<InputState*>(GetWindowLongPtrA(dialog, DWLP_USER));
        HWND edit = GetDlgItem(dialog, kEditId);
        // Wide: a character the code page cannot spell comes as its mark, never as a
        // look-alike ("Büro" as "Buro"), so that the caller can refuse it.
        const int length = GetWindowTextLengthW(edit);
        std::vector<wchar_t> text(static_cast<std::size_t>(length) + 1, L'\0');
        const int got = GetWindowTextW(edit, text.data(), length + 1);
        state->value = WideToAnsi(text.data(), got);
        EndDialog(dialog, IDOK);
        return TRUE;
      }
      if (LOWORD(wp) == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
      }
      break;
    default:
      break;
  }
  return FALSE;
}

}  // namespace

bool Win32Prompter::AskText(const std::string& prompt, const std::string& caption, std::string& value) {
  TemplateWriter t;
  DLGTEMPLATE dialog = {};
  dialog.style = DS_MODALFRAME | DS_CENTER | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU;
  dialog.cdit = 4;
  dialog.cx = 200;
  dialog.cy = 66;
  t.Put(dialog);
  t.Put(static_cast<WORD>(0));  // no menu
  t.Put(static_cast<WORD>(0));  // standard class
  t.PutString(AnsiToWide(caption, 256));
  t.Put(static_cast<WORD>(9));
  t.PutString(L"MS Shell Dlg");
  t.Item(SS_LEFT, 7, 7, 186, 10, kPromptId, 0x0082, L"");
  t.Item(ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 7, 20, 186, 13, kEditId, 0x0081, L"");
  t.Item(BS_DEFPUSHBUTTON | WS_TABSTOP, 89, 44, 50, 14, IDOK, 0x0080, L"OK");
  t.Item(BS_PUSHBUTTON | WS_TABSTOP, 143, 44, 50, 14, IDCANCEL, 0x0080, L"キャンセル");
  InputState state{prompt, caption, value};
  const INT_PTR result = DialogBoxIndirectParamA(GetModuleHandleA(nullptr), t.Data(), Owner(), &InputProc,
                                                 reinterpret_cast<LPARAM>(&state));
  if (result != IDOK) return false;
  value = state.value;
  return true;
}

}  // namespace velmora
