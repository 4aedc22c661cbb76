#include "binders/folder_presence.h"

#include "binders/binder_model.h"
#include "common/file_attributes.h"

namespace velmora {

bool IsMissingFolder(const FolderPresence& presence) {
  return presence.known && (!presence.found || (presence.attributes & kAttrDirectory) == 0);
}

bool IsGhostedPresence(const std::string& path, const FolderPresence& presence) {
  return presence.known && IsGhostedFolder(path, presence.found, presence.attributes);
}

FolderPresence FolderPresenceCache::Look(const std::string& path, Clock::time_point now, bool& startCheck) {
  Entry& entry = entries_[path];
  const bool stale = !entry.presence.known || now - entry.answeredAt >= freshFor_;
  startCheck = stale && !entry.checking;
  if (startCheck) entry.checking = true;
  return entry.presence;
}

bool FolderPresenceCache::Answer(const std::string& path, bool found, std::uint32_t attributes,
                                 Clock::time_point now) {
  Entry& entry = entries_[path];
  const FolderPresence before = entry.presence;
  entry.presence = {true, found, found ? attributes : 0};
  entry.answeredAt = now;
  entry.checking = false;
  return !before.known || before.found != found || before.attributes != entry.presence.attributes;
}

bool DriveKindCache::IsSlow(char letter, Clock::time_point now) {
  if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
  auto it = entries_.find(letter);
  if (it != entries_.end() && now - it->second.askedAt < freshFor_) return it->second.slow;
  const bool slow = isSlowDrive_(letter);
  entries_[letter] = {slow, now};
  return slow;
}

}  // namespace velmora
