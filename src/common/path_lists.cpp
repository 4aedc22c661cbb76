#include "common/path_lists.h"

#include "text/cp932.h"

namespace velmora {

namespace {

void PutLittleEndian32(std::string& out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

uint32_t GetLittleEndian32(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

}  // namespace

std::string PathText(const std::vector<std::string>& paths) {
  std::string text;
  for (const std::string& path : paths) {
    text += path;
    text += "\r\n";
  }
  return text;
}

std::string MakeDoubleNulList(std::string_view text) {
  std::string list;
  list.reserve(text.size() + 2);
  std::size_t lineStart = 0;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t length = CharLengthAt(text, i);
    if (length == 1 && text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      if (list.size() > lineStart) {
        list += '\0';
        lineStart = list.size();
      }
      i += 2;
      continue;
    }
    list.append(text.substr(i, length));
    i += length;
  }
  if (list.size() > lineStart) list += '\0';
  list.append(2, '\0');
  return list;
}

std::string BuildDropFilesBlock(std::string_view text) {
  const std::string list = MakeDoubleNulList(text);
  if (list.size() <= 2) return std::string();
  std::string block;
  block.reserve(kDropFilesHeaderSize + list.size());
  PutLittleEndian32(block, static_cast<uint32_t>(kDropFilesHeaderSize));  // pFiles
  PutLittleEndian32(block, 0);                                            // pt.x
  PutLittleEndian32(block, 0);                                            // pt.y
  PutLittleEndian32(block, 0);                                            // fNC
  PutLittleEndian32(block, 0);                                            // fWide
  block += list;
  return block;
}

std::string BuildWideDropFilesBlock(const std::vector<std::u16string>& names) {
  std::string block;
  for (const std::u16string& name : names) {
    if (name.empty()) continue;  // its NUL would end the list early
    for (char16_t unit : name) {
      block += static_cast<char>(unit & 0xFF);
      block += static_cast<char>(unit >> 8);
    }
    block.append(2, '\0');
  }
  if (block.empty()) return block;
  block.append(2, '\0');
  std::string header;
  PutLittleEndian32(header, static_cast<uint32_t>(kDropFilesHeaderSize));  // pFiles
  PutLittleEndian32(header, 0);                                            // pt.x
  PutLittleEndian32(header, 0);                                            // pt.y
  PutLittleEndian32(header, 0);                                            // fNC
  PutLittleEndian32(header, 1);                                            // fWide
  return header + block;
}

std::optional<DropFileNames> ParseDropFilesBlock(const void* block, std::size_t size) {
  if (!block || size < kDropFilesHeaderSize) return std::nullopt;
  const auto* bytes = static_cast<const unsigned char*>(block);
  const uint32_t offset = GetLittleEndian32(bytes);
  if (offset < kDropFilesHeaderSize || offset > size) return std::nullopt;
  DropFileNames names;
  names.wide = GetLittleEndian32(bytes + 16) != 0;
  if (names.wide) {
    std::u16string name;
    for (std::size_t i = offset; i + 1 < size; i += 2) {
      const char16_t unit = static_cast<char16_t>(bytes[i] | bytes[i + 1] << 8);
      if (unit != 0) {
        name += unit;
        continue;
      }
      if (name.empty()) break;
      names.utf16.push_back(std::move(name));
      name.clear();
    }
  } else {
    std::string name;
    for (std::size_t i = offset; i < size; ++i) {
      if (bytes[i] != 0) {
        name += static_cast<char>(bytes[i]);
        continue;
      }
      if (name.empty()) break;
      names.ansi.push_back(std::move(name));
      name.clear();
    }
  }
  return names;
}

bool PathTooLong(std::string_view path) {
  std::size_t characters = 0;
  for (std::size_t i = 0; i < path.size(); i += UnspellableAt(path, i) >= 0 ? kUnspellableLength : CharLengthAt(path, i)) {
    if (++characters > kMaxShellPathChars) return true;
  }
  return false;
}

std::string PathTooLongText(const std::string& path) {
  return "[ " + path + " ]\nパスが" + std::to_string(kMaxShellPathChars) + "文字を超えているため、処理を中止しました。";
}

bool RefuseTooLongPaths(const std::vector<std::string>& paths, Prompter& prompter, const char* caption) {
  for (const std::string& path : paths) {
    if (!PathTooLong(path)) continue;
    prompter.Message(PathTooLongText(path), caption);
    return true;
  }
  return false;
}

std::string JoinPath(std::string_view folder, std::string_view name) {
  std::string path = IncludeTrailingBackslash(folder);
  path += name;
  return path;
}

CopyPlan PlanCopyInto(std::string_view folder, const std::vector<std::string>& sources) {
  CopyPlan plan;
  for (const std::string& source : sources) {
    const std::string name = LastComponent(ExcludeTrailingBackslash(source));
    if (name.empty()) continue;
    plan.sources.push_back(source);
    plan.targets.push_back(JoinPath(folder, name));
  }
  return plan;
}

}  // namespace velmora
