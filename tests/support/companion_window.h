// A window of the companion's class (or another) in this process: it sends requests as the
// companion does and records the replies it is sent.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace test_support {

class CompanionWindow {
 public:
  explicit CompanionWindow(const char* cls = "TOrvikSearcher");
  ~CompanionWindow();
  CompanionWindow(const CompanionWindow&) = delete;
  CompanionWindow& operator=(const CompanionWindow&) = delete;

  HWND hwnd() const { return hwnd_; }
  LRESULT Send(HWND to, ULONG_PTR code, const void* data, DWORD size) const {
    return SendFrom(hwnd_, to, code, data, size);
  }
  LRESULT Send(HWND to, ULONG_PTR code, const std::string& payload) const {
    return Send(to, code, payload.data(), static_cast<DWORD>(payload.size()));
  }
  // WM_COPYDATA as any window may send it; the answer, or 0 when none came within a minute.
  static LRESULT SendFrom(HWND from, HWND to, ULONG_PTR code, const void* data, DWORD size);

  std::vector<ULONG_PTR> codes;
  std::vector<std::string> replies;
  std::vector<HWND> senders;

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  const char* cls_;
  HWND hwnd_;
};

}  // namespace test_support
