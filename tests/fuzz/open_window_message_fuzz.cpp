// The messages between two open windows: any bytes under any code give a message or nothing,
// reading only the bytes given; a message read, sent again and read back is the same.
#include <fuzzer/FuzzedDataProvider.h>

#include <string>
#include <vector>

#include "app/open_window_message.h"
#include "fuzz/fuzz_check.h"

namespace {

using velmora::OpenWindowMessage;

bool Same(const OpenWindowMessage& a, const OpenWindowMessage& b) {
  return a.kind == b.kind && a.dataFolder == b.dataFolder && a.titles == b.titles &&
         a.createBinder == b.createBinder && a.binder == b.binder && a.folders == b.folders;
}

const std::uintptr_t kCodes[] = {0, 4, 5, velmora::kAskTitlesCode, velmora::kTitlesReplyCode,
                                 velmora::kRegisterSentCode, velmora::kRegisterSentCode + 1};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  const std::uintptr_t code = kCodes[in.ConsumeIntegralInRange<std::size_t>(0, std::size(kCodes) - 1)];
  const bool fromWindow = in.ConsumeIntegralInRange(0, 7) != 0;
  const std::vector<char> payload = in.ConsumeRemainingBytes<char>();
  const OpenWindowMessage message = velmora::ParseOpenWindowMessage(
      code, payload.empty() ? nullptr : payload.data(), payload.size(),
      fromWindow ? velmora::kOpenWindowClass : "TOrvikSearcher");
  if (!fromWindow) FUZZ_CHECK(message.kind == OpenWindowMessage::Kind::kIgnore);
  if (message.kind == OpenWindowMessage::Kind::kIgnore) return 0;
  FUZZ_CHECK(velmora::OpenWindowCode(message.kind) == code);
  FUZZ_CHECK(!message.dataFolder.empty());
  if (message.kind == OpenWindowMessage::Kind::kRegister) {
    FUZZ_CHECK(!message.binder.empty() && !message.folders.empty());
    for (const std::string& folder : message.folders) FUZZ_CHECK(!folder.empty());
  }
  const std::string again = velmora::OpenWindowPayload(message);
  const OpenWindowMessage back = velmora::ParseOpenWindowMessage(code, again.data(), again.size(), velmora::kOpenWindowClass);
  FUZZ_CHECK(Same(back, message));
  return 0;
}
