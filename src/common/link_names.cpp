#include "common/link_names.h"

#include <utility>

#include "text/cp932.h"

namespace velmora {

void MogChange(std::string& s, std::string_view from, std::string_view to) {
  if (from.empty()) return;
  std::string out;
  std::size_t copied = 0;
  // Searching the original text, never the replaced one, so that a replacement holding
  // from cannot be replaced again.
  for (std::size_t at = FindChars(s, from); at != std::string::npos; at = FindChars(s, from, at + from.size())) {
    out.append(s, copied, at - copied);
    out.append(to.data(), to.size());
    copied = at + from.size();
  }
  if (copied == 0) return;
  out.append(s, copied, std::string::npos);
  s = std::move(out);
}

std::string FileMogChk(std::string name) {
  static const char* const kPairs[][2] = {
      {".", "．"}, {"/", "／"}, {"\"", "”"}, {":", "："}, {";", "；"}, {"*", "＊"},
      {"<", "＜"}, {">", "＞"}, {"?", "？"}, {"\\", "￥"}, {"|", "｜"},
  };
  for (const auto& pair : kPairs) MogChange(name, pair[0], pair[1]);
  return name;
}

std::string PathToSetKugiriMog(std::string_view path, bool pathIsFile) {
  if (pathIsFile) return std::string(path);
  return IncludeTrailingBackslash(path);
}

std::string ShortcutNameForPath(std::string_view linkName, std::string_view targetPath) {
  std::string name = FileMogChk(std::string(linkName));
  if (!name.empty()) return name;
  // A folder given with its trailing "\" is still named after its last component.
  std::string target = ExcludeTrailingBackslash(targetPath);
  name = FileBaseName(target);
  if (name.empty()) name = FileMogChk(LastComponent(target));  // ".profile"
  if (name.empty()) name = FileMogChk(target);                // a drive root: "C："
  return name;
}

std::string ShortcutNameForItem(std::string_view linkName, std::string_view displayName, bool isFolder) {
  std::string name = FileMogChk(std::string(linkName));
  if (!name.empty()) return name;
  name = std::string(displayName);
  if (!isFolder) {
    std::string extension = FileExtension(name);
    if (extension.size() < name.size()) name.resize(name.size() - extension.size());
  }
  // Display names such as "Local Disk (C:)" hold characters a file name cannot.
  return FileMogChk(std::move(name));
}

std::string NumberedLinkPath(const std::string& base, const std::string& name,
                             const std::function<bool(const std::string&)>& fileExists) {
  std::string link = base + name + ".lnk";
  for (unsigned long long n = 1; fileExists(link); ++n) link = base + name + "(" + std::to_string(n) + ").lnk";
  return link;
}

bool IsShortcutPath(std::string_view path) {
  std::string extension = FileExtension(path);
  if (extension.size() != 4) return false;
  for (char& c : extension)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return extension == ".lnk";
}

}  // namespace velmora
