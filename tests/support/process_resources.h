// What a process holds of the system: GDI and USER objects and private memory, read from
// another process, for tests that check a long run gives back what it took.
#pragma once
#include <windows.h>

#include <cstddef>
#include <string>

namespace test_support {

struct ProcessResources {
  long gdiObjects = -1;   // -1: cannot be counted here
  long userObjects = -1;
  std::size_t privateBytes = 0;
};

// GetGuiResources and the memory counters where the system has them. Wine answers neither
// (GetGuiResources is not implemented, PrivateUsage stays 0), so there the GDI objects are
// counted in the process's GDI handle table, the USER objects as its windows, and the
// private bytes as its committed private pages.
ProcessResources MeasureResources(HANDLE process);

std::string Describe(const ProcessResources& r);

}  // namespace test_support
