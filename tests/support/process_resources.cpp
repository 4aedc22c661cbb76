#include "support/process_resources.h"

#include <psapi.h>
#include <winternl.h>

#include <cstdint>
#include <vector>

namespace test_support {

namespace {

// An entry of the GDI handle table as Wine keeps it (the same size for 32 and 64 bits);
// a free entry has type 0.
struct GdiHandleEntry {
  std::uint64_t object;
  std::uint32_t owner;
  std::uint16_t unique;
  std::uint8_t type;
  std::uint8_t flags;
  std::uint64_t userPointer;
};
static_assert(sizeof(GdiHandleEntry) == 24, "GDI handle table entry layout");
constexpr std::size_t kGdiHandleCount = 0x10000;

long CountGdiHandleTable(HANDLE process) {
  PROCESS_BASIC_INFORMATION info = {};
  ULONG length = 0;
  if (NtQueryInformationProcess(process, ProcessBasicInformation, &info, sizeof(info), &length) != 0) return -1;
  // The table's address in the process environment block.
  const std::size_t offset = sizeof(void*) == 8 ? 0xF8 : 0x94;
  void* table = nullptr;
  if (!ReadProcessMemory(process, static_cast<char*>(static_cast<void*>(info.PebBaseAddress)) + offset, &table,
                         sizeof(table), nullptr) ||
      !table)
    return -1;
  std::vector<GdiHandleEntry> entries(kGdiHandleCount);
  if (!ReadProcessMemory(process, table, entries.data(), entries.size() * sizeof(GdiHandleEntry), nullptr)) return -1;
  long count = 0;
  for (const GdiHandleEntry& e : entries)
    if (e.type != 0) ++count;
  return count;
}

struct WindowCount {
  DWORD pid;
  long count;
};

BOOL CALLBACK CountChild(HWND hwnd, LPARAM lp) {
  ++reinterpret_cast<WindowCount*>(lp)->count;
  return TRUE;
}

BOOL CALLBACK CountTopLevel(HWND hwnd, LPARAM lp) {
  auto* c = reinterpret_cast<WindowCount*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid != c->pid) return TRUE;
  ++c->count;
  EnumChildWindows(hwnd, &CountChild, lp);
  return TRUE;
}

long CountWindows(HANDLE process) {
  WindowCount c{GetProcessId(process), 0};
  EnumWindows(&CountTopLevel, reinterpret_cast<LPARAM>(&c));
  // Message-only windows are not top-level windows to EnumWindows.
  for (HWND w = FindWindowExA(HWND_MESSAGE, nullptr, nullptr, nullptr); w;
       w = FindWindowExA(HWND_MESSAGE, w, nullptr, nullptr))
    CountTopLevel(w, reinterpret_cast<LPARAM>(&c));
  return c.count;
}

std::size_t CommittedPrivateBytes(HANDLE process) {
  std::size_t total = 0;
  MEMORY_BASIC_INFORMATION m;
  const char* at = nullptr;
  while (VirtualQueryEx(process, at, &m, sizeof(m)) == sizeof(m)) {
    if (m.State == MEM_COMMIT && m.Type == MEM_PRIVATE) total += m.RegionSize;
    const char* next = static_cast<const char*>(m.BaseAddress) + m.RegionSize;
    if (next <= at) break;
    at = next;
  }
  return total;
}

}  // namespace

ProcessResources MeasureResources(HANDLE process) {
  ProcessResources r;
  SetLastError(ERROR_SUCCESS);
  const DWORD gdi = GetGuiResources(process, GR_GDIOBJECTS);
  const bool guiCounted = gdi != 0 || GetLastError() != ERROR_CALL_NOT_IMPLEMENTED;
  if (guiCounted) {
    r.gdiObjects = static_cast<long>(gdi);
    r.userObjects = static_cast<long>(GetGuiResources(process, GR_USEROBJECTS));
  } else {
    r.gdiObjects = CountGdiHandleTable(process);
    r.userObjects = CountWindows(process);
  }
  PROCESS_MEMORY_COUNTERS_EX counters = {};
  counters.cb = sizeof(counters);
  if (GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof(counters)))
    r.privateBytes = counters.PrivateUsage;
  if (r.privateBytes == 0) r.privateBytes = CommittedPrivateBytes(process);
  return r;
}

std::string Describe(const ProcessResources& r) {
  return "GDI " + std::to_string(r.gdiObjects) + ", USER " + std::to_string(r.userObjects) + ", private " +
         std::to_string(r.privateBytes / 1024) + " KB";
}

}  // namespace test_support
