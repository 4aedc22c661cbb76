// Shared by the timing harnesses that run under Wine: a clock, medians, a plain-text table,
// test folders and a message pump. Header-only, since each harness is its own executable.
// The harnesses only report; none of them fails because something was slow.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "common/prompter.h"
#include "app/win32/orvik_binder.h"
#include "win32/strings.h"

namespace velmora {
namespace bench {

// The process's private bytes now.
inline std::size_t PrivateBytes() {
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof(counters);
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
  return counters.PagefileUsage;
}

// One figure the project tracks, beside its target and its value before the work on it (this
// machine, under Wine); scripts/bench.sh gathers these lines after every harness has run.
inline void Figure(const std::string& name, const std::string& value, const char* target, const char* before) {
  std::printf("figure: %s: %s (target %s; before %s)\n", name.c_str(), value.c_str(), target, before);
}

inline double Seconds() {
  static const double frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart);
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) / frequency;
}

template <typename F>
double Time(F&& f) {
  const double start = Seconds();
  f();
  return Seconds() - start;
}

inline double Median(std::vector<double> v) {
  if (v.empty()) return 0.0;
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2.0;
}

inline std::string Fixed(double value, int decimals) {
  char buf[64];
  std::snprintf(buf, sizeof(buf), "%.*f", decimals, value);
  return buf;
}

inline std::string Count(unsigned long long value) {
  // Grouped by three so that large counts read at a glance.
  std::string digits = std::to_string(value), out;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return out;
}

inline std::string Ratio(double numerator, double denominator) {
  return denominator > 0 ? Fixed(numerator / denominator, 2) + "x" : std::string("-");
}

// A table of ASCII cells: the first column left-aligned, the others right-aligned.
class Table {
 public:
  explicit Table(std::vector<std::string> header) { rows_.push_back(std::move(header)); }
  void Add(std::vector<std::string> cells) { rows_.push_back(std::move(cells)); }

  void Print(const char* title) const {
    std::vector<std::size_t> width;
    for (const auto& row : rows_) {
      if (width.size() < row.size()) width.resize(row.size(), 0);
      for (std::size_t c = 0; c < row.size(); ++c) width[c] = std::max(width[c], row[c].size());
    }
    std::printf("\n%s\n", title);
    for (std::size_t r = 0; r < rows_.size(); ++r) {
      std::string line;
      for (std::size_t c = 0; c < rows_[r].size(); ++c) {
        const std::string& cell = rows_[r][c];
        const std::string pad(width[c] - cell.size(), ' ');
        line += c == 0 ? cell + pad : "  " + pad + cell;
      }
      std::printf("%s\n", line.c_str());
      if (r == 0) {
        std::size_t total = 0;
        for (std::size_t c = 0; c < width.size(); ++c) total += width[c] + (c ? 2 : 0);
        std::printf("%s\n", std::string(total, '-').c_str());
      }
    }
    std::fflush(stdout);
  }

 private:
  std::vector<std::vector<std::string>> rows_;
};

// Every literal of the project is code page 932; under another code page the names would
// be converted differently and the figures would not be comparable.
inline void CheckCodePage() {
  if (GetACP() != 932) std::printf("WARNING: ANSI code page is %u, not 932 (run with LC_ALL=ja_JP.UTF-8)\n", GetACP());
}

inline std::wstring Widen(const std::string& ansi) {
  if (ansi.empty()) return std::wstring();
  const int n = MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), &wide[0], n);
  return wide;
}

inline std::string WithBackslash(std::string path) {
  if (path.empty() || path.back() != '\\') path += '\\';
  return path;
}

inline std::string WithoutBackslash(std::string path) {
  while (path.size() > 3 && path.back() == '\\') path.pop_back();
  return path;
}

// A new folder "velmora-<tag>-<pid>" under the temporary folder, with trailing backslash.
inline std::string MakeTempFolder(const char* tag) {
  char buf[MAX_PATH] = "";
  GetTempPathA(MAX_PATH, buf);
  std::string folder = WithBackslash(buf) + "velmora-" + tag + "-" + std::to_string(GetCurrentProcessId());
  CreateDirectoryA(folder.c_str(), nullptr);
  return WithBackslash(folder);
}

// Removes a folder and everything beneath it (wide calls, so any name goes).
inline void RemoveTree(const std::wstring& folder) {
  std::wstring base = folder;
  if (!base.empty() && base.back() != L'\\') base += L'\\';
  WIN32_FIND_DATAW data;
  HANDLE h = FindFirstFileW((base + L"*").c_str(), &data);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring path = base + name;
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path);
      } else {
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(path.c_str());
      }
    } while (FindNextFileW(h, &data));
    FindClose(h);
  }
  RemoveDirectoryW(base.c_str());
}

inline bool MakeEmptyFile(const std::wstring& path) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  CloseHandle(h);
  return true;
}

inline bool WriteBytes(const std::string& path, const std::string& bytes) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(h);
  return ok && written == bytes.size();
}

inline bool ReadBytes(const std::string& path, std::string& out) {
  out.clear();
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size;
  GetFileSizeEx(h, &size);
  out.resize(static_cast<std::size_t>(size.QuadPart));
  DWORD got = 0;
  const BOOL ok = out.empty() || ReadFile(h, &out[0], static_cast<DWORD>(out.size()), &got, nullptr);
  CloseHandle(h);
  out.resize(got);
  return ok != FALSE;
}

// Names of the varied part of a test folder: letter case, digits, symbols, half- and
// full-width kana and letters, and double-byte characters whose trail byte is a backslash.
inline std::vector<std::string> VariedNames(int count) {
  static const char* const kStems[] = {"Report", "report", "REPORT", "IMG_", "ソフト表", "ｱｲｳ", "アイウ",
                                       "Ａｂｃ", "ａｂｃ", "データ", "_x", "(1)", "~tmp", "a=b", "能力",
                                       "表示", "work 1", "Work 1", "10", "9", "#", "あいう", "ﾃﾞｰﾀ"};
  static const char* const kExtensions[] = {".txt", ".JPG", ".doc", "", ".ソフト", ".htm"};
  std::vector<std::string> names;
  for (int i = 0; i < count; ++i) {
    char number[16];
    std::snprintf(number, sizeof(number), "%04d", i);
    names.push_back(std::string(kStems[i % 23]) + number + kExtensions[(i / 23) % 6]);
  }
  return names;
}

// The harness's arguments in the ANSI code page.
inline std::vector<std::string> Arguments(int argc, char** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.push_back(argv[i]);
  return args;
}

// Answers nothing and shows nothing: a benchmark must never stop at a modal box.
class QuietPrompter : public Prompter {
 public:
  bool AskYesNo(const std::string&, const std::string&) override {
    ++questions;
    return false;
  }
  void Message(const std::string&, const std::string&) override { ++messages; }
  bool AskText(const std::string&, const std::string&, std::string&) override {
    ++questions;
    return false;
  }
  int questions = 0;
  int messages = 0;
};

inline void InitControls() {
  INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES |
                                               ICC_TREEVIEW_CLASSES | ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&icc);
}

// Runs the message loop as the program's does until done() holds; false on time-out.
template <typename Done>
bool PumpUntil(TOrvikBinder& window, Done done, double timeoutSeconds) {
  const double limit = Seconds() + timeoutSeconds;
  while (!done()) {
    MSG msg;
    bool any = false;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      any = true;
      if (msg.message == WM_QUIT) continue;  // a destroyed window of an earlier round
      if (!window.PreTranslateMessage(msg)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
      }
      if (done()) return true;
    }
    if (Seconds() > limit) return false;
    // Wakes for the worker's sent items as well as for posted messages.
    if (!any) MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
  return true;
}

// A listing is read on its loader's thread: waits for its last row.
inline bool WaitForListing(TOrvikBinder& window, double timeoutSeconds = 600) {
  return PumpUntil(window, [&] { return !window.browser().loading(); }, timeoutSeconds);
}

// Handles the messages already waiting, then returns.
inline void PumpPending(TOrvikBinder& window) {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) continue;
    if (!window.PreTranslateMessage(msg)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
}

}  // namespace bench
}  // namespace velmora
