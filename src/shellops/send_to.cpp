#include "shellops/send_to.h"

#include "common/file_attributes.h"
#include "common/path_lists.h"
#include "text/cp932.h"

namespace velmora {

namespace {

// ASCII letters lowered; the second byte of a double-byte character is left alone.
std::string LowerAscii(std::string_view s) {
  std::string out(s);
  for (std::size_t i = 0; i < out.size();) {
    const std::size_t n = CharLengthAt(out, i);
    if (n == 1 && out[i] >= 'A' && out[i] <= 'Z') out[i] = static_cast<char>(out[i] - 'A' + 'a');
    i += n;
  }
  return out;
}

bool Contains(std::string_view s, std::string_view what) { return FindChars(s, what) != std::string::npos; }

std::string NameWithoutExtension(std::string_view name, bool isFolder) {
  if (isFolder) return std::string(name);
  std::string base = FileBaseName(name);
  return base.empty() ? std::string(name) : base;
}

}  // namespace

std::vector<SendToRow> SendToRows(std::string_view folder, const std::vector<ListedEntry>& listing) {
  std::vector<SendToRow> rows;
  for (const ListedEntry& entry : listing) {
    if (entry.name.empty() || entry.name == "." || entry.name == "..") continue;
    if (entry.attributes & (kAttrHidden | kAttrSystem)) continue;
    SendToRow row;
    const std::string shown = NameWithoutExtension(entry.name, (entry.attributes & kAttrDirectory) != 0);
    for (std::size_t i = 0; i < shown.size();) {
      const std::size_t n = CharLengthAt(shown, i);
      if (n == 1 && shown[i] == '&') row.caption += '&';
      row.caption.append(shown, i, n);
      i += n;
    }
    row.path = JoinPath(folder, entry.name);
    rows.push_back(std::move(row));
  }
  return rows;
}

std::string SendToParameters(const std::vector<std::string>& paths) {
  std::string text;
  for (const std::string& path : paths) {
    if (!text.empty()) text += '\n';
    text += '"' + path + '"';
  }
  return text;
}

SendToKind ClassifySendTarget(std::string_view target, bool targetIsFolder) {
  const std::string name = LowerAscii(LastComponent(ExcludeTrailingBackslash(target)));
  if (Contains(name, "desklink")) return SendToKind::kDeskLink;
  if (Contains(name, "mydocs")) return SendToKind::kMyDocs;
  if (Contains(name, ".mapimail")) return SendToKind::kMailRecipient;
  return targetIsFolder ? SendToKind::kFolder : SendToKind::kProgram;
}

std::string DeskLinkName(std::string_view path, bool isFolder) {
  const std::string trimmed = ExcludeTrailingBackslash(path);
  const std::string name = LastComponent(trimmed);
  // A drive root has no name of its own: "C:" stands for it.
  return (name.empty() ? trimmed : NameWithoutExtension(name, isFolder)) + kShortcutSuffix;
}

std::string DropHandlerClassId(std::string_view value) {
  constexpr std::string_view kPrefix = "clsid\\";
  if (value.size() <= kPrefix.size() || LowerAscii(value.substr(0, kPrefix.size())) != kPrefix) return std::string();
  std::string_view id = value.substr(kPrefix.size());
  if (id.size() < 3 || id.front() != '{' || id.back() != '}') return std::string();
  return std::string(id);
}

}  // namespace velmora
