// The send-to menu's decisions, apart from the shell: which entries of the SendTo folder
// become rows and under which captions, what each entry does with the paths sent to it,
// and the text a program receives.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// One entry of a folder listing, as the file system delivers it.
struct ListedEntry {
  std::string name;
  std::uint32_t attributes = 0;
};

// One item of the send-to submenu.
struct SendToRow {
  std::string caption;  // the menu text
  std::string path;     // the entry's full path: the item's hint
};

// The rows of a SendTo folder listing, in the listing's own order: "." and "..", hidden and
// system entries are left out. A file's caption is its name without the extension (the
// whole name when nothing is left); a folder keeps its whole name. "&" is doubled so that
// the menu shows the name as it is instead of an access key.
std::vector<SendToRow> SendToRows(std::string_view folder, const std::vector<ListedEntry>& listing);

// What a program entry is started with: every path in double quotes, joined by one LF.
std::string SendToParameters(const std::vector<std::string>& paths);

enum class SendToKind {
  kDeskLink,       // the shell's "create a desktop shortcut" entry
  kMyDocs,         // the shell's documents entry
  kMailRecipient,  // the shell's mail entry (.MAPIMail)
  kFolder,         // an existing folder: receives copies
  kProgram,        // anything else: started with the paths as its parameters
};

// Decided on the target's own name (after a shortcut entry is resolved), letter case
// ignored; the folders above it do not count, so that a user or folder called "mydocs"
// does not turn every entry into the documents entry.
SendToKind ClassifySendTarget(std::string_view target, bool targetIsFolder);

// " へのショートカット" after the name of the path (a file without its extension).
constexpr const char* kShortcutSuffix = " へのショートカット";
std::string DeskLinkName(std::string_view path, bool isFolder);

// The class identifier ("{...}") of a file type's registry default value of the form
// "CLSID\{...}"; empty for any other value.
std::string DropHandlerClassId(std::string_view value);

// "「送る」メニューに追加": its picture while the program's shortcut is absent or present.
constexpr const char* kSendToOptionCaption = "「送る」メニューに追加";
constexpr int kSendToOptionImageOff = 26;
constexpr int kSendToOptionImageOn = 27;
inline int SendToOptionImage(bool checked) { return checked ? kSendToOptionImageOn : kSendToOptionImageOff; }

}  // namespace velmora
