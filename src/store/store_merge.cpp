#include "store/store_merge.h"

#include <unordered_set>

namespace velmora {

namespace {

std::unordered_set<std::string> FoldsOf(const TitleList& titles, const Collation& collation) {
  std::unordered_set<std::string> folds;
  for (int i = 0; i < titles.Count(); ++i) folds.insert(collation.FoldKey(titles[i]));
  return folds;
}

std::vector<std::string> KeysOf(const IniDocument& doc, const std::string& section) {
  std::vector<std::string> keys;
  doc.ReadSectionKeys(section, keys);
  return keys;
}

bool SameSection(const IniDocument& a, const IniDocument& b, const std::string& section) {
  if (!a.SectionExists(section)) return false;
  std::vector<std::string> keys = KeysOf(a, section);
  if (keys != KeysOf(b, section)) return false;
  for (const std::string& key : keys)
    if (a.ReadString(section, key, "") != b.ReadString(section, key, "")) return false;
  return true;
}

}  // namespace

void RenameTitle(TitleList& titles, std::string_view from, std::string_view to) {
  const int at = titles.IndexOf(from);
  if (at < 0) return;
  const int other = titles.IndexOf(to);
  if (other >= 0 && other != at) {
    for (int dup = at; dup >= 0; dup = titles.IndexOf(from, dup)) titles.Delete(dup);
    return;
  }
  titles.Replace(at, std::string(to));
  for (int dup = titles.IndexOf(from, at + 1); dup >= 0; dup = titles.IndexOf(from, dup)) titles.Delete(dup);
}

void ReplayRenames(const std::vector<BinderRename>& renames, std::size_t first, TitleList& titles) {
  for (std::size_t r = first; r < renames.size(); ++r) RenameTitle(titles, renames[r].from, renames[r].to);
}

void ReplayRenames(const std::vector<BinderRename>& renames, std::size_t first, IniDocument& folders) {
  for (std::size_t r = first; r < renames.size(); ++r) folders.RenameSection(renames[r].from, renames[r].to);
}

void MergeTitles(const TitleList& base, const TitleList& ours, TitleList& theirs, const Collation& collation) {
  const std::unordered_set<std::string> baseFolds = FoldsOf(base, collation), ourFolds = FoldsOf(ours, collation);
  for (int i = 0; i < base.Count(); ++i) {
    if (ourFolds.count(collation.FoldKey(base[i]))) continue;
    for (int at = theirs.IndexOf(base[i]); at >= 0; at = theirs.IndexOf(base[i], at)) theirs.Delete(at);
  }
  for (int i = 0; i < ours.Count(); ++i)
    if (!baseFolds.count(collation.FoldKey(ours[i])) && theirs.IndexOf(ours[i]) < 0) theirs.Add(ours[i]);
}

std::vector<std::string> MergeFolderList(const IniDocument& base, const IniDocument& ours, IniDocument& theirs,
                                         const TitleList& ourTitles, const Collation& collation,
                                         std::string_view settings, std::string_view expandedKey) {
  for (const std::string& section : base.SectionNames())
    if (!ours.SectionExists(section)) theirs.EraseSection(section);
  std::vector<std::string> keepTitles;
  for (const std::string& section : ours.SectionNames()) {
    const bool inBase = base.SectionExists(section);
    const bool theyRemoved = inBase && !theirs.SectionExists(section);
    const bool binder = collation.CompareIgnoreCase(section, settings) != 0;
    if (inBase) {
      for (const std::string& key : KeysOf(base, section))
        if (!ours.ValueExists(section, key)) theirs.DeleteKey(section, key);
    }
    bool addedFolder = false;
    for (const std::string& key : KeysOf(ours, section)) {
      const std::string value = ours.ReadString(section, key, "");
      const bool added = !inBase || !base.ValueExists(section, key);
      if (!added && base.ReadString(section, key, "") == value) continue;
      const bool folder = binder && collation.CompareIgnoreCase(key, expandedKey) != 0;
      if (theyRemoved && !(added && folder)) continue;
      theirs.WriteString(section, key, value);
      addedFolder = addedFolder || (added && folder);
    }
    const int title = addedFolder ? ourTitles.IndexOf(section) : -1;
    if (title >= 0) keepTitles.push_back(ourTitles[title]);
  }
  return keepTitles;
}

void MergeSelections(const IniDocument& base, const IniDocument& ours, IniDocument& theirs) {
  for (const std::string& section : base.SectionNames())
    if (!ours.SectionExists(section)) theirs.EraseSection(section);
  for (const std::string& section : ours.SectionNames()) {
    if (SameSection(base, ours, section)) continue;
    theirs.EraseSection(section);
    for (const std::string& key : KeysOf(ours, section)) theirs.WriteString(section, key, ours.ReadString(section, key, ""));
  }
}

}  // namespace velmora
