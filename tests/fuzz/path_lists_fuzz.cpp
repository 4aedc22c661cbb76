// The CF_HDROP reader and the path lists: any block reads within its size into names that are
// whole and not empty; paths made into a block, ANSI or wide, read back as the same paths.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/path_lists.h"
#include "fuzz/fuzz_check.h"
#include "text/cp932.h"

namespace {

using velmora::DropFileNames;
using velmora::kDropFilesHeaderSize;

// The header of a block by hand: list offset, point, non-client flag and the wide flag.
std::string Header(std::uint32_t offset, bool wide) {
  std::string header(kDropFilesHeaderSize, '\0');
  for (int i = 0; i < 4; ++i) header[i] = static_cast<char>((offset >> (8 * i)) & 0xFF);
  header[16] = wide ? 1 : 0;
  return header;
}

void ReadAny(const std::vector<std::uint8_t>& block) {
  const auto names = velmora::ParseDropFilesBlock(block.empty() ? nullptr : block.data(), block.size());
  if (!names) return;
  FUZZ_CHECK(block.size() >= kDropFilesHeaderSize);
  std::size_t bytes = 0;
  for (const std::string& name : names->ansi) {
    FUZZ_CHECK(!name.empty() && name.find('\0') == std::string::npos);
    bytes += name.size() + 1;
  }
  for (const std::u16string& name : names->utf16) {
    FUZZ_CHECK(!name.empty() && name.find(u'\0') == std::u16string::npos);
    bytes += 2 * (name.size() + 1);
  }
  FUZZ_CHECK(names->wide ? names->ansi.empty() : names->utf16.empty());
  FUZZ_CHECK(kDropFilesHeaderSize + bytes <= block.size());
}

// Paths as the platform gives them: no line ends, no zero bytes, no half character at the end.
std::vector<std::string> PathsOf(const std::string& bytes) {
  std::vector<std::string> paths;
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t end = bytes.find('\0', start);
    if (end == std::string::npos) end = bytes.size();
    std::string path = bytes.substr(start, end - start);
    start = end + 1;
    if (path.empty() || path.find_first_of("\r\n") != std::string::npos || velmora::EndsWithLoneLeadByte(path))
      continue;
    paths.push_back(path);
  }
  return paths;
}

void BuildAndRead(const std::vector<std::string>& paths) {
  const std::string text = velmora::PathText(paths);
  const std::string list = velmora::MakeDoubleNulList(text);
  FUZZ_CHECK(list.size() >= 2 && list.compare(list.size() - 2, 2, std::string(2, '\0')) == 0);
  const std::string block = velmora::BuildDropFilesBlock(text);
  if (paths.empty()) {
    FUZZ_CHECK(block.empty());
    return;
  }
  const auto names = velmora::ParseDropFilesBlock(block.data(), block.size());
  FUZZ_CHECK(names && !names->wide);
  FUZZ_CHECK(names->ansi == paths);
}

void WideBuildAndRead(const std::vector<std::u16string>& paths, std::size_t cut) {
  std::string block = Header(kDropFilesHeaderSize, true);
  for (const std::u16string& path : paths)
    for (char16_t unit : path + u'\0') {
      block += static_cast<char>(unit & 0xFF);
      block += static_cast<char>(unit >> 8);
    }
  block.append(2, '\0');
  const std::size_t whole = block.size();
  // A block cut short keeps the names completed before the cut.
  block.resize(whole - cut % (whole - kDropFilesHeaderSize + 1));
  const auto names = velmora::ParseDropFilesBlock(block.data(), block.size());
  FUZZ_CHECK(names && names->wide);
  FUZZ_CHECK(names->utf16.size() <= paths.size());
  for (std::size_t i = 0; i < names->utf16.size(); ++i) FUZZ_CHECK(names->utf16[i] == paths[i]);
  if (block.size() == whole) FUZZ_CHECK(names->utf16 == paths);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  switch (in.ConsumeIntegralInRange(0, 3)) {
    case 0:
      ReadAny(in.ConsumeRemainingBytes<std::uint8_t>());
      break;
    case 1: {
      // A header that points somewhere, then any list.
      const std::uint32_t offset = in.ConsumeIntegralInRange<std::uint32_t>(0, 64);
      const std::string header = Header(offset, in.ConsumeBool());
      std::vector<std::uint8_t> block(header.begin(), header.end());
      const std::vector<std::uint8_t> rest = in.ConsumeRemainingBytes<std::uint8_t>();
      block.insert(block.end(), rest.begin(), rest.end());
      ReadAny(block);
      break;
    }
    case 2:
      BuildAndRead(PathsOf(in.ConsumeRemainingBytesAsString()));
      break;
    default: {
      const std::size_t cut = in.ConsumeIntegral<std::size_t>();
      std::vector<std::u16string> paths;
      while (in.remaining_bytes() > 0 && paths.size() < 16) {
        std::u16string path;
        for (std::size_t n = in.ConsumeIntegralInRange<std::size_t>(1, 12); n > 0 && in.remaining_bytes() > 0; --n)
          path += static_cast<char16_t>(in.ConsumeIntegralInRange<std::uint16_t>(1, 0xFFFF));
        if (!path.empty()) paths.push_back(path);
      }
      WideBuildAndRead(paths, cut);
      break;
    }
  }
  return 0;
}
