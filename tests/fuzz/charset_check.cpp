// The fuzz build's narrow literals are the program's: code page 932 bytes, whether written in
// a source, a header or here, so that byte rules meet the bytes that ship.
#include <cstdio>
#include <string>

#include "browse/file_record.h"
#include "common/link_names.h"

int main() {
  using velmora::FileMogChk;
  const struct {
    std::string got, want;
  } checks[] = {
      {"ソ表", "\x83\x5C\x95\x5C"},  // trail bytes that look like "\"
      {FileMogChk("C:\\"), "C\x81\x46\x81\x8F"},  // "C：￥": the "\" after "：" is a character of its own
      {FileMogChk("ソ\\x"), "\x83\x5C\x81\x8F" "x"},
      {velmora::FallbackTypeText("a.txt", true), "txt \x83\x74\x83\x40\x83\x43\x83\x8B"},  // "txt ファイル"
  };
  int failed = 0;
  for (const auto& check : checks) {
    if (check.got == check.want) continue;
    std::fprintf(stderr, "charset_check: a literal is not in code page 932 (%zu bytes, not %zu)\n", check.got.size(),
                 check.want.size());
    ++failed;
  }
  return failed ? 1 : 0;
}
