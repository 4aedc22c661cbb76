#include "win32/thread_stack.h"

#include <windows.h>

#include <cstdint>

namespace velmora {

void GiveBackUnusedStack() {
  // Room left for the frames above this one and whatever the caller does next before the
  // stack is used deeper, which then simply touches the pages again.
  constexpr std::uintptr_t kKeptBelow = 64 * 1024;
  SYSTEM_INFO system;
  GetSystemInfo(&system);
  const std::uintptr_t page = system.dwPageSize;
  volatile char here = 0;
  MEMORY_BASIC_INFORMATION region;
  if (VirtualQuery(const_cast<char*>(&here), &region, sizeof(region)) == 0) return;
  const auto now = reinterpret_cast<std::uintptr_t>(&here);
  if (now < kKeptBelow) return;
  const std::uintptr_t high = (now - kKeptBelow) & ~(page - 1);
  // The stack's whole reservation, region by region: only committed pages can be reset, and
  // the guard page is left as it is.
  for (auto at = reinterpret_cast<std::uintptr_t>(region.AllocationBase); at < high;) {
    if (VirtualQuery(reinterpret_cast<void*>(at), &region, sizeof(region)) == 0) return;
    const std::uintptr_t end = reinterpret_cast<std::uintptr_t>(region.BaseAddress) + region.RegionSize;
    const std::uintptr_t stop = end < high ? end : high;
    if (region.State == MEM_COMMIT && (region.Protect & PAGE_GUARD) == 0)
      VirtualAlloc(reinterpret_cast<void*>(at), stop - at, MEM_RESET, PAGE_READWRITE);
    at = end;
  }
}

}  // namespace velmora
