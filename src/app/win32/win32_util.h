// Small Win32 helpers shared by the windows: COM pointers, conversions, existence checks.
#pragma once
#include <windows.h>

#include <string>

#include "app/prompter.h"

namespace velmora {

template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() { Reset(); }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ComPtr(ComPtr&& o) noexcept : p_(o.p_) { o.p_ = nullptr; }
  ComPtr& operator=(ComPtr&& o) noexcept {
    if (this != &o) {
      Reset();
      p_ = o.p_;
      o.p_ = nullptr;
    }
    return *this;
  }
  T* get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  T** put() {
    Reset();
    return &p_;
  }
  void** put_void() { return reinterpret_cast<void**>(put()); }
  void Reset() {
    if (p_) {
      p_->Release();
      p_ = nullptr;
    }
  }

 private:
  T* p_ = nullptr;
};

// ANSI (code page 932) to wide, at most maxChars characters.
std::wstring AnsiToWide(const std::string& s, std::size_t maxChars = MAX_PATH);
std::string WideToAnsi(const wchar_t* s, int length = -1);

bool IsExistingFolder(const std::string& path);
bool IsExistingFile(const std::string& path);

std::string GetWindowTextString(HWND hwnd);

// One bulk update of a control: drawing is off for the object's life and the whole control
// is repainted at its end, also when a step in between throws.
class BulkUpdate {
 public:
  explicit BulkUpdate(HWND control) : control_(control) { SendMessageA(control_, WM_SETREDRAW, FALSE, 0); }
  ~BulkUpdate() {
    SendMessageA(control_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(control_, nullptr, TRUE);
  }
  BulkUpdate(const BulkUpdate&) = delete;
  BulkUpdate& operator=(const BulkUpdate&) = delete;

 private:
  HWND control_;
};

class Win32Prompter : public Prompter {
 public:
  explicit Win32Prompter(HWND owner = nullptr) : owner_(owner) {}
  void SetOwner(HWND owner) { owner_ = owner; }
  bool AskYesNo(const std::string& text, const std::string& caption) override;
  void Message(const std::string& text, const std::string& caption) override;

 private:
  HWND owner_;
};

}  // namespace velmora
