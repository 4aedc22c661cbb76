#include "win32/shell_context.h"

#include "win32/strings.h"

namespace velmora {

ShellStartCalls ShellStartCalls::Platform() {
  return {[] { return OleInitialize(nullptr); }, [] { return CoInitialize(nullptr); }, &SHGetMalloc,
          &SHGetDesktopFolder};
}

void ShellContext::Start(const ShellStartCalls& calls) {
  if (!oleInitialized_) oleInitialized_ = SUCCEEDED(calls.oleInitialize());
  if (!comInitialized_) comInitialized_ = SUCCEEDED(calls.coInitialize());
  // A failed call leaves its pointer empty.
  if (!allocator_) calls.getMalloc(allocator_.put());
  if (!desktop_) calls.getDesktopFolder(desktop_.put());
}

void ShellContext::Stop() {
  desktop_.Reset();
  allocator_.Reset();
  if (comInitialized_) CoUninitialize();
  if (oleInitialized_) OleUninitialize();
  comInitialized_ = oleInitialized_ = false;
}

ItemIdList ShellContext::ParseToItemId(const std::string& path) const {
  ItemIdList result;
  if (!desktop_ || path.empty()) return result;
  std::wstring wide;
  if (!PathToWide(path, wide)) return result;
  ULONG eaten = 0;
  if (FAILED(desktop_->ParseDisplayName(nullptr, nullptr, &wide[0], &eaten, result.put(), nullptr)))
    result.Reset();
  return result;
}

ComPtr<IShellFolder> ShellContext::BindToFolder(const std::string& path) const {
  ComPtr<IShellFolder> folder;
  ItemIdList item = ParseToItemId(path);
  if (item) desktop_->BindToObject(item.get(), nullptr, IID_IShellFolder, folder.put_void());
  return folder;
}

}  // namespace velmora
