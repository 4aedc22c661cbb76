#include "app/open_window_message.h"

#include <cstring>

#include "text/cp932.h"

namespace velmora {

namespace {
// The fields after the prefix, each introduced by a zero byte.
std::vector<std::string_view> Fields(std::string_view text) {
  std::vector<std::string_view> fields;
  while (!text.empty() && text.front() == '\0') {
    text.remove_prefix(1);
    const std::size_t end = text.find('\0');
    fields.push_back(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end);
  }
  return fields;
}
}  // namespace

OpenWindowMessage ParseOpenWindowMessage(std::uintptr_t code, const void* data, std::size_t size,
                                         std::string_view senderClass) {
  using Kind = OpenWindowMessage::Kind;
  OpenWindowMessage message;
  const std::size_t prefixLength = std::strlen(kOpenWindowPrefix);
  if (senderClass != kOpenWindowClass) return message;
  if (data == nullptr || size > kMaxOpenWindowPayload || size < prefixLength) return message;
  const std::string_view payload(static_cast<const char*>(data), size);
  if (payload.substr(0, prefixLength) != kOpenWindowPrefix) return message;
  const std::vector<std::string_view> fields = Fields(payload.substr(prefixLength));
  if (fields.empty() || fields[0].empty()) return message;
  message.dataFolder = std::string(fields[0]);
  switch (code) {
    case kAskTitlesCode:
      if (fields.size() != 1) return message;
      message.kind = Kind::kAskTitles;
      break;
    case kTitlesReplyCode:
      if (fields.size() != 2 || !PassesOutsideGate(fields[1])) return message;
      message.titles = std::string(fields[1]);
      message.kind = Kind::kTitles;
      break;
    case kRegisterSentCode:
      if (fields.size() < 4 || (fields[1] != "0" && fields[1] != "1") || fields[2].empty() ||
          !PassesOutsideGate(fields[2]))
        return message;
      message.createBinder = fields[1] == "1";
      message.binder = std::string(fields[2]);
      for (std::size_t i = 3; i < fields.size(); ++i) {
        if (fields[i].empty() || !PassesOutsideGate(fields[i])) return OpenWindowMessage();
        message.folders.emplace_back(fields[i]);
      }
      message.kind = Kind::kRegister;
      break;
    default:
      return message;
  }
  return message;
}

std::uintptr_t OpenWindowCode(OpenWindowMessage::Kind kind) {
  switch (kind) {
    case OpenWindowMessage::Kind::kAskTitles: return kAskTitlesCode;
    case OpenWindowMessage::Kind::kTitles: return kTitlesReplyCode;
    case OpenWindowMessage::Kind::kRegister: return kRegisterSentCode;
    default: return 0;
  }
}

std::string OpenWindowPayload(const OpenWindowMessage& message) {
  std::string payload(kOpenWindowPrefix);
  auto field = [&payload](std::string_view text) {
    payload.push_back('\0');
    payload.append(text.data(), text.size());
  };
  field(message.dataFolder);
  switch (message.kind) {
    case OpenWindowMessage::Kind::kTitles:
      field(message.titles);
      break;
    case OpenWindowMessage::Kind::kRegister:
      field(message.createBinder ? "1" : "0");
      field(message.binder);
      for (const std::string& folder : message.folders) field(folder);
      break;
    default:
      break;
  }
  return payload;
}

}  // namespace velmora
