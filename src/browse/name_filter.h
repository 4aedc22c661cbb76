// Narrowing the file list by part of a name: the typed text, folded as the system folds
// names when it compares them, found anywhere in a name; "*" stands for any run of
// characters and "?" for one character.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "browse/file_record.h"

namespace velmora {

// How a name and the typed text are made comparable: letter case and the width of letters
// and kana set aside. The program folds letter case with the system's own tables; the
// portable folding knows the common scripts only.
class NameFolding {
 public:
  virtual ~NameFolding() = default;
  // Replaces out with the folded text.
  virtual void Fold(std::wstring_view text, std::wstring& out) const = 0;
};

// Width alone: full-width letters, digits and signs become their ASCII forms, the
// ideographic space a space, half-width katakana full-width (a following sound mark joins
// its kana: "ｶﾞ" gives "ガ"). Replaces out.
void FoldWidth(std::wstring_view text, std::wstring& out);

// FoldWidth, then upper case for the Latin, Greek and Cyrillic letters.
class PortableNameFolding : public NameFolding {
 public:
  void Fold(std::wstring_view text, std::wstring& out) const override;
};

class NameMatcher {
 public:
  NameMatcher(std::wstring_view typed, const NameFolding& folding);
  // Nothing typed, or wildcards that take any name: every row passes.
  bool matchesAll() const { return matchesAll_; }
  bool Matches(std::wstring_view name) const;

 private:
  // A run of the typed text between two "*": folded characters, some of them "?".
  struct Piece {
    std::wstring text;
    std::vector<bool> anyChar;
  };
  bool PieceAt(const Piece& piece, std::wstring_view name, std::size_t at, std::size_t& end) const;

  const NameFolding& folding_;
  std::vector<Piece> pieces_;
  bool matchesAll_ = true;
  mutable std::wstring folded_;  // scratch: one name at a time
};

// The name of a record as the matcher reads it (the caller's scratch may hold it).
using WideNameOf = std::function<std::wstring_view(const FileRecord& record, std::wstring& scratch)>;

// Indexes of the records whose names match, ascending.
std::vector<uint32_t> MatchingRecords(const FileRecordList& records, const NameMatcher& matcher,
                                      const WideNameOf& nameOf);

}  // namespace velmora
