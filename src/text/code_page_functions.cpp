// Big5 <-> GBK with simplified/traditional mapping. The code pages are the
// system's; the character mapping is the library's own data, applied to
// GBK text at the one point of each conversion where it belongs.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "bridge/host.h"
#include "bridge/params.h"
#include "text/chinese_chars.h"
#include "text/text_functions.h"

namespace larch {
namespace {

constexpr UINT kGbk = 936;
constexpr UINT kBig5 = 950;
// Room the result is given beyond the source: a character never grows.
constexpr size_t kResultSlack = 10;

// Maps NUL-terminated GBK text into dest (destSize bytes) and returns the
// bytes written with the NUL, 0 on failure. The mapped characters are all
// GBK characters, so the text keeps its length.
int MapGbkText(const char* source, char* dest, int destSize, ChineseForm target) {
  const int n = MultiByteToWideChar(kGbk, 0, source, -1, nullptr, 0);
  if (n <= 0) return 0;
  std::vector<wchar_t> wide(static_cast<size_t>(n));
  if (MultiByteToWideChar(kGbk, 0, source, -1, wide.data(), n) <= 0) return 0;
  for (wchar_t& c : wide) c = static_cast<wchar_t>(ChineseCounterpart(static_cast<char16_t>(c), target));
  return WideCharToMultiByte(kGbk, 0, wide.data(), -1, dest, destSize, nullptr, nullptr);
}

// The converted text as the result buffer (source length + 10) holds it.
std::string ResultText(const std::vector<char>& converted, size_t sourceLength) {
  const size_t limit = std::min(converted.size(), sourceLength + kResultSlack - 1);
  return std::string(converted.data(), strnlen(converted.data(), limit));
}

std::string Big5ToGbk(const char* source, size_t length) {
  const int n = MultiByteToWideChar(kBig5, 0, source, -1, nullptr, 0);
  if (n <= 0) return {};
  std::vector<wchar_t> wide(static_cast<size_t>(n) + 1);
  MultiByteToWideChar(kBig5, 0, source, -1, wide.data(), n);
  const int m = WideCharToMultiByte(kGbk, 0, wide.data(), -1, nullptr, 0, nullptr, nullptr);
  if (m <= 0) return {};
  std::vector<char> gbk(static_cast<size_t>(m) + 1);
  std::vector<char> simplified(static_cast<size_t>(m) + 1);
  WideCharToMultiByte(kGbk, 0, wide.data(), -1, gbk.data(), m, nullptr, nullptr);
  MapGbkText(gbk.data(), simplified.data(), m, ChineseForm::Simplified);
  return ResultText(simplified, length);
}

std::string GbkToBig5(const char* source, size_t length) {
  const int n = MultiByteToWideChar(kGbk, 0, source, -1, nullptr, 0);
  if (n <= 0) return {};
  // Traditional forms first, still in GBK bytes.
  std::vector<char> traditional(2 * static_cast<size_t>(n) + 1);
  MapGbkText(source, traditional.data(), 2 * n, ChineseForm::Traditional);
  std::vector<wchar_t> wide(static_cast<size_t>(n) + 1);
  MultiByteToWideChar(kGbk, 0, traditional.data(), -1, wide.data(), n);
  const int m = WideCharToMultiByte(kBig5, 0, wide.data(), -1, nullptr, 0, nullptr, nullptr);
  if (m <= 0) return {};
  std::vector<char> big5(static_cast<size_t>(m) + 1);
  WideCharToMultiByte(kBig5, 0, wide.data(), -1, big5.data(), m, nullptr, nullptr);
  return ResultText(big5, length);
}

template <typename Convert>
void ConvertTextParam(ParamBlock* block, Convert convert) {
  Params p(block);
  if (p.length(1) == 0) return ReturnText("");
  TextParam text = p.text(1);
  ReturnText(convert(text.c_str(), text.size()));
}

}  // namespace

void KVBig5ToGb2312(ParamBlock* block) { ConvertTextParam(block, Big5ToGbk); }
void KVGb2312ToBig5(ParamBlock* block) { ConvertTextParam(block, GbkToBig5); }

}  // namespace larch
