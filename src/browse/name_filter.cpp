#include "browse/name_filter.h"

namespace velmora {

namespace {

// U+FF61 to U+FF9F in their full-width forms.
const char16_t kHalfWidthKana[] = {
    0x3002, 0x300C, 0x300D, 0x3001, 0x30FB, 0x30F2, 0x30A1, 0x30A3, 0x30A5, 0x30A7, 0x30A9,
    0x30E3, 0x30E5, 0x30E7, 0x30C3, 0x30FC, 0x30A2, 0x30A4, 0x30A6, 0x30A8, 0x30AA, 0x30AB,
    0x30AD, 0x30AF, 0x30B1, 0x30B3, 0x30B5, 0x30B7, 0x30B9, 0x30BB, 0x30BD, 0x30BF, 0x30C1,
    0x30C4, 0x30C6, 0x30C8, 0x30CA, 0x30CB, 0x30CC, 0x30CD, 0x30CE, 0x30CF, 0x30D2, 0x30D5,
    0x30D8, 0x30DB, 0x30DE, 0x30DF, 0x30E0, 0x30E1, 0x30E2, 0x30E4, 0x30E6, 0x30E8, 0x30E9,
    0x30EA, 0x30EB, 0x30EC, 0x30ED, 0x30EF, 0x30F3, 0x309B, 0x309C};

constexpr wchar_t kVoicedMark = 0xFF9E;
constexpr wchar_t kSemiVoicedMark = 0xFF9F;

bool TakesVoicedMark(wchar_t kana) {
  if (kana == 0x30A6) return true;                      // ウ
  if (kana >= 0x30AB && kana <= 0x30C2) return (kana - 0x30AB) % 2 == 0;  // カ to ヂ
  if (kana >= 0x30C4 && kana <= 0x30C8) return (kana - 0x30C4) % 2 == 0;  // ツ, テ, ト
  return kana >= 0x30CF && kana <= 0x30DB && (kana - 0x30CF) % 3 == 0;    // ハ to ホ
}

bool TakesSemiVoicedMark(wchar_t kana) { return kana >= 0x30CF && kana <= 0x30DB && (kana - 0x30CF) % 3 == 0; }

wchar_t Voiced(wchar_t kana) { return kana == 0x30A6 ? wchar_t(0x30F4) : wchar_t(kana + 1); }

wchar_t UpperCase(wchar_t c) {
  if (c >= L'a' && c <= L'z') return static_cast<wchar_t>(c - 0x20);
  if (c < 0xE0) return c;
  if ((c <= 0xFE && c != 0xF7) || (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) || (c >= 0x430 && c <= 0x44F))
    return static_cast<wchar_t>(c - 0x20);
  if (c == 0x3C2) return 0x3A3;  // final sigma
  if (c >= 0x450 && c <= 0x45F) return static_cast<wchar_t>(c - 0x50);
  return c;
}

bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

}  // namespace

void FoldWidth(std::wstring_view text, std::wstring& out) {
  // Written through a pointer: this runs once per name on every keystroke.
  out.resize(text.size());
  wchar_t* to = &out[0];
  for (std::size_t i = 0; i < text.size(); ++i) {
    const wchar_t c = text[i];
    if (c < 0x3000) {
      *to++ = c;
    } else if (c >= 0xFF01 && c <= 0xFF5E) {
      *to++ = static_cast<wchar_t>(c - 0xFF01 + 0x21);
    } else if (c == 0x3000) {
      *to++ = L' ';
    } else if (c >= 0xFF61 && c <= 0xFF9F) {
      const wchar_t kana = static_cast<wchar_t>(kHalfWidthKana[c - 0xFF61]);
      const wchar_t next = i + 1 < text.size() ? text[i + 1] : 0;
      if (next == kVoicedMark && TakesVoicedMark(kana)) {
        *to++ = Voiced(kana);
        ++i;
      } else if (next == kSemiVoicedMark && TakesSemiVoicedMark(kana)) {
        *to++ = static_cast<wchar_t>(kana + 2);
        ++i;
      } else {
        *to++ = kana;
      }
    } else {
      *to++ = c;
    }
  }
  out.resize(static_cast<std::size_t>(to - out.data()));
}

void PortableNameFolding::Fold(std::wstring_view text, std::wstring& out) const {
  FoldWidth(text, out);
  for (wchar_t& c : out) c = UpperCase(c);
}

NameMatcher::NameMatcher(std::wstring_view typed, const NameFolding& folding) : folding_(folding) {
  // The wildcards are taken from the text as typed, so that a full-width "＊" in a name is
  // still found as itself.
  Piece piece;
  std::wstring literal, folded;
  auto flushLiteral = [&] {
    if (literal.empty()) return;
    folding_.Fold(literal, folded);
    piece.text += folded;
    piece.anyChar.insert(piece.anyChar.end(), folded.size(), false);
    literal.clear();
  };
  auto flushPiece = [&] {
    flushLiteral();
    if (!piece.text.empty()) pieces_.push_back(std::move(piece));
    piece = Piece();
  };
  for (wchar_t c : typed) {
    if (c == L'*') {
      flushPiece();
    } else if (c == L'?') {
      flushLiteral();
      piece.text += L'?';
      piece.anyChar.push_back(true);
    } else {
      literal += c;
    }
  }
  flushPiece();
  matchesAll_ = pieces_.empty();
}

bool NameMatcher::PieceAt(const Piece& piece, std::wstring_view name, std::size_t at, std::size_t& end) const {
  std::size_t n = at;
  for (std::size_t i = 0; i < piece.text.size(); ++i) {
    if (n >= name.size()) return false;
    if (piece.anyChar[i]) {
      // One character, which may take two code units.
      n += IsHighSurrogate(name[n]) && n + 1 < name.size() && IsLowSurrogate(name[n + 1]) ? 2 : 1;
    } else if (name[n++] != piece.text[i]) {
      return false;
    }
  }
  end = n;
  return true;
}

bool NameMatcher::Matches(std::wstring_view name) const {
  if (matchesAll_) return true;
  folding_.Fold(name, folded_);
  // Each piece at its leftmost place after the one before: with "*" on both ends of every
  // piece, the leftmost choice never loses a match a later one would find.
  std::size_t from = 0;
  for (const Piece& piece : pieces_) {
    bool found = false;
    for (std::size_t at = from; at < folded_.size() && !found; ++at) {
      std::size_t end = 0;
      if (PieceAt(piece, folded_, at, end)) {
        from = end;
        found = true;
      }
    }
    if (!found) return false;
  }
  return true;
}

std::vector<uint32_t> MatchingRecords(const FileRecordList& records, const NameMatcher& matcher,
                                      const WideNameOf& nameOf) {
  std::vector<uint32_t> shown;
  std::wstring scratch;
  for (std::size_t i = 0; i < records.size(); ++i)
    if (matcher.Matches(nameOf(*records[i], scratch))) shown.push_back(static_cast<uint32_t>(i));
  return shown;
}

}  // namespace velmora
