#include "store/title_list.h"

#include <utility>

namespace velmora {

TitleList::TitleList(const Collation& collation) : collation_(&collation) {}

void TitleList::Clear() {
  titles_.clear();
  folded_.clear();
}

void TitleList::Parse(std::string_view text) {
  Clear();
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = pos;
    while (end < text.size() && text[end] != '\r' && text[end] != '\n') ++end;
    Add(std::string(text.substr(pos, end - pos)));
    pos = end;
    if (pos < text.size()) pos += (text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n') ? 2 : 1;
  }
}

std::string TitleList::Text() const {
  std::size_t total = 0;
  for (const std::string& t : titles_) total += t.size() + 2;
  std::string out;
  out.reserve(total);
  for (const std::string& t : titles_) {
    out += t;
    out += "\r\n";
  }
  return out;
}

int TitleList::IndexOf(std::string_view s, int start) const {
  std::string fold = collation_->FoldKey(s);
  for (std::size_t i = start > 0 ? static_cast<std::size_t>(start) : 0; i < folded_.size(); ++i)
    if (folded_[i] == fold) return static_cast<int>(i);
  return -1;
}

void TitleList::Add(std::string title) {
  folded_.push_back(collation_->FoldKey(title));
  titles_.push_back(std::move(title));
}

void TitleList::Replace(int index, std::string title) {
  std::size_t i = static_cast<std::size_t>(index);
  if (i >= titles_.size()) return;
  folded_[i] = collation_->FoldKey(title);
  titles_[i] = std::move(title);
}

void TitleList::Delete(int index) {
  std::size_t i = static_cast<std::size_t>(index);
  if (i >= titles_.size()) return;
  titles_.erase(titles_.begin() + static_cast<std::ptrdiff_t>(i));
  folded_.erase(folded_.begin() + static_cast<std::ptrdiff_t>(i));
}

bool TitleList::IsStorable(std::string_view title) {
  return title.find_first_of("\r\n") == std::string_view::npos;
}

}  // namespace velmora
