// A second program saving the store, as a registration started from Send To does while a
// window is open: store_saver <program folder> <binder> <count> <start event>. It waits for
// the event, then <count> times loads the store, registers one more folder into the binder
// and saves. Ends with 0 when every save was written.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "store/binder_store.h"
#include "store/win32/win32_collation.h"
#include "win32/win32_file_system.h"

int main(int argc, char** argv) {
  if (argc != 5) return 2;
  const std::string exeDir = argv[1], binder = argv[2];
  const int count = std::atoi(argv[3]);
  HANDLE start = OpenEventA(SYNCHRONIZE, FALSE, argv[4]);
  if (!start || WaitForSingleObject(start, 60000) != WAIT_OBJECT_0) return 3;
  CloseHandle(start);
  velmora::Win32Collation collation;
  velmora::Win32FileSystem files;
  for (int i = 0; i < count; ++i) {
    velmora::BinderStore store(collation, files);
    store.SetUpPaths(exeDir, "saver");
    store.Load();
    if (store.titles.IndexOf(binder) < 0) store.titles.Add(binder);
    store.folders.WriteString(binder, "C:\\" + binder + "\\" + std::to_string(i), "0");
    if (!store.Save().empty()) return 4;
  }
  return 0;
}
