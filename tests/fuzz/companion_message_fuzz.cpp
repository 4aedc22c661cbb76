// The companion's WM_COPYDATA payloads: any bytes under any code give a request or nothing,
// reading only the bytes given, and a register request sent back as a payload reads the same.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/companion_message.h"
#include "fuzz/fuzz_check.h"

using velmora::CompanionRequest;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  const std::uintptr_t code = in.ConsumeIntegralInRange<std::uintptr_t>(0, 7);
  const bool fromCompanion = in.ConsumeIntegralInRange(0, 7) != 0;
  // The payload in a block of its own size, so that a read past it is caught.
  const std::vector<char> payload = in.ConsumeRemainingBytes<char>();
  const CompanionRequest request = velmora::ParseCompanionMessage(
      code, payload.empty() ? nullptr : payload.data(), payload.size(),
      fromCompanion ? velmora::kCompanionClass : "TOrvikSearcher2");
  if (!fromCompanion) FUZZ_CHECK(request.kind == CompanionRequest::Kind::kIgnore);
  if (request.kind == CompanionRequest::Kind::kIgnore) return 0;
  FUZZ_CHECK(payload.size() >= std::strlen(velmora::kCompanionPrefix));
  FUZZ_CHECK(std::memcmp(payload.data(), velmora::kCompanionPrefix, std::strlen(velmora::kCompanionPrefix)) == 0);
  if (request.kind == CompanionRequest::Kind::kTitles) {
    FUZZ_CHECK(code == velmora::kCompanionTitlesCode);
    return 0;
  }
  FUZZ_CHECK(code == velmora::kCompanionRegisterCode);
  FUZZ_CHECK(request.binder.find('\0') == std::string::npos && request.path.find('\0') == std::string::npos);
  const std::string again =
      velmora::CompanionPayload(request.binder + velmora::kCompanionSeparator + request.path);
  const CompanionRequest back = velmora::ParseCompanionMessage(code, again.data(), again.size(), velmora::kCompanionClass);
  FUZZ_CHECK(back.kind == CompanionRequest::Kind::kRegister);
  FUZZ_CHECK(back.binder == request.binder && back.path == request.path);
  return 0;
}
