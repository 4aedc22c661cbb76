// The binder titles in creation order (titlelist.txt): one title per line.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "common/collation.h"

namespace velmora {

class TitleList {
 public:
  explicit TitleList(const Collation& collation);

  // Lines end at CR, LF or CR LF; an empty line is an empty title. A last line without a
  // line end is a title too, but the line end after the last title does not start another.
  void Parse(std::string_view text);
  // Every title followed by CR LF, the last one included.
  std::string Text() const;

  // First title at or after start equal to s under the case-insensitive comparison, or -1.
  int IndexOf(std::string_view s, int start = 0) const;
  void Add(std::string title);
  // Replace and Delete ignore an index out of range.
  void Replace(int index, std::string title);
  void Delete(int index);
  void Clear();
  int Count() const { return static_cast<int>(titles_.size()); }
  const std::string& operator[](int index) const { return titles_[static_cast<std::size_t>(index)]; }

  // A title holding CR or LF would come back from the file as several titles.
  static bool IsStorable(std::string_view title);

 private:
  const Collation* collation_;
  std::vector<std::string> titles_;
  std::vector<std::string> folded_;  // FoldKey of each title, so IndexOf compares bytes only
};

}  // namespace velmora
