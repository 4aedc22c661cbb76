#include "text/cp932.h"

namespace velmora {

bool IsLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

std::size_t CharLengthAt(std::string_view s, std::size_t i) {
  return (IsLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size()) ? 2 : 1;
}

bool IsTrailByteAt(std::string_view s, std::size_t i) {
  // Only a walk from the start tells a trail byte from a lead or single byte.
  std::size_t p = 0;
  while (p < i) p += CharLengthAt(s, p);
  return p > i;
}

std::size_t LastDelimiter(std::string_view s, std::string_view delims) {
  std::size_t found = std::string_view::npos;
  for (std::size_t i = 0; i < s.size(); i += CharLengthAt(s, i)) {
    if (CharLengthAt(s, i) == 1 && delims.find(s[i]) != std::string_view::npos) found = i;
  }
  return found;
}

bool EndsWithChar(std::string_view s, char c) {
  return !s.empty() && s.back() == c && !IsTrailByteAt(s, s.size() - 1);
}

std::string LastComponent(std::string_view path) {
  std::size_t d = LastDelimiter(path, "\\:");
  return std::string(d == std::string_view::npos ? path : path.substr(d + 1));
}

std::string FolderDisplayName(std::string_view path) {
  std::string name = LastComponent(path);
  return name.empty() ? std::string(path) : name;
}

bool EndsWithBackslash(std::string_view path) { return EndsWithChar(path, '\\'); }

std::string IncludeTrailingBackslash(std::string_view path) {
  std::string out(path);
  if (!EndsWithBackslash(path)) out += '\\';
  return out;
}

std::string ExcludeTrailingBackslash(std::string_view path) {
  if (EndsWithBackslash(path)) path.remove_suffix(1);
  return std::string(path);
}

std::string FolderPart(std::string_view path) {
  std::size_t d = LastDelimiter(path, "\\:");
  return d == std::string_view::npos ? std::string() : std::string(path.substr(0, d + 1));
}

std::string ParentFolder(std::string_view path) {
  std::string parent = FolderPart(path);
  // The backslash of a root stays: "C:\", "\" and the "\\" that starts a network path.
  if (EndsWithBackslash(parent) && parent.size() > 1) {
    std::string_view before = std::string_view(parent).substr(0, parent.size() - 1);
    if (!EndsWithChar(before, ':') && !EndsWithChar(before, '\\')) parent.pop_back();
  }
  return parent;
}

std::string FileExtension(std::string_view path) {
  std::size_t d = LastDelimiter(path, ".\\:");
  if (d == std::string_view::npos || path[d] != '.') return std::string();
  return std::string(path.substr(d));
}

std::string FileBaseName(std::string_view path) {
  std::string name = LastComponent(path);
  name.resize(name.size() - FileExtension(name).size());
  return name;
}

bool IsNetworkPath(std::string_view path) { return path.size() >= 2 && path[0] == '\\' && path[1] == '\\'; }

std::string DriveRoot(std::string_view path) {
  if (!IsNetworkPath(path)) return std::string(path.substr(0, 3));
  std::size_t pos = 2;
  for (int component = 0; component < 2 && pos <= path.size(); ++component) {
    std::size_t next = pos;
    while (next < path.size() && path[next] != '\\') next += CharLengthAt(path, next);
    pos = next + 1;
  }
  return std::string(path.substr(0, pos > path.size() ? path.size() : pos));
}

std::size_t FindChars(std::string_view s, std::string_view what, std::size_t from) {
  if (what.empty()) return std::string_view::npos;
  // Walk from the start: only that tells where characters begin.
  for (std::size_t i = 0; i < s.size(); i += CharLengthAt(s, i)) {
    if (i >= from && s.compare(i, what.size(), what) == 0) return i;
  }
  return std::string_view::npos;
}

bool EndsWithLoneLeadByte(std::string_view s) {
  if (s.empty()) return false;
  std::size_t last = s.size() - 1;
  return IsLeadByte(static_cast<unsigned char>(s[last])) && !IsTrailByteAt(s, last);
}

void AppendUnspellable(std::string& out, unsigned unit) {
  static const char kHex[] = "0123456789ABCDEF";
  out += kUnspellableMark;
  for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(unit >> shift) & 0xF];
}

int UnspellableAt(std::string_view s, std::size_t i) {
  if (i + kUnspellableLength > s.size() || s[i] != kUnspellableMark) return -1;
  int unit = 0;
  for (std::size_t k = i + 1; k < i + kUnspellableLength; ++k) {
    const char c = s[k];
    const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
    if (digit < 0) return -1;
    unit = unit * 16 + digit;
  }
  return unit;
}

bool IsSpellable(std::string_view s) { return s.find(kUnspellableMark) == std::string_view::npos; }

bool PassesOutsideGate(std::string_view s) { return s.find(kUnspellableMark) == std::string_view::npos; }

}  // namespace velmora
