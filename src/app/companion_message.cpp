#include "app/companion_message.h"

#include <cstring>

#include "text/cp932.h"

namespace velmora {

CompanionRequest ParseCompanionMessage(std::uintptr_t code, const void* data, std::size_t size,
                                       std::string_view senderClass) {
  CompanionRequest request;
  const std::size_t prefixLength = std::strlen(kCompanionPrefix);
  if (senderClass != kCompanionClass) return request;
  if (data == nullptr || size > kMaxCompanionPayload || size < prefixLength) return request;
  std::string_view payload(static_cast<const char*>(data), size);
  if (payload.substr(0, prefixLength) != kCompanionPrefix) return request;
  std::string_view text = payload.substr(prefixLength);
  switch (code) {
    case kCompanionTitlesCode:
      request.kind = CompanionRequest::Kind::kTitles;
      return request;
    case kCompanionRegisterCode: {
      // The text ends at its first zero byte, as a C string would.
      text = text.substr(0, text.find('\0'));
      // Another program's bytes: a mark byte among them is no mark of ours.
      if (!PassesOutsideGate(text)) return request;
      const std::size_t at = FindChars(text, kCompanionSeparator);
      if (at == std::string_view::npos) return request;
      request.kind = CompanionRequest::Kind::kRegister;
      request.binder = std::string(text.substr(0, at));
      request.path = std::string(text.substr(at + std::strlen(kCompanionSeparator)));
      return request;
    }
    default:
      return request;
  }
}

std::string CompanionPayload(std::string_view text) {
  std::string payload(kCompanionPrefix);
  payload.append(text.data(), text.size());
  return payload;
}

}  // namespace velmora
