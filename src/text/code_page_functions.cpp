// Big5 <-> GBK with simplified/traditional mapping. The code pages are the
// system's; the character mapping is the library's own data, applied to
// GBK text at the one point of each conversion where it belongs.
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "bridge/host.h"
#include "bridge/params.h"
#include "text/chinese_chars.h"
#include "text/functions.h"

namespace larch {
namespace {

constexpr UINT kGbk = 936;
constexpr UINT kBig5 = 950;

// NUL-terminated UTF-16 text of NUL-terminated bytes in the code page.
std::vector<wchar_t> ToWide(UINT codePage, const char* source) {
  const int n = MultiByteToWideChar(codePage, 0, source, -1, nullptr, 0);
  if (n <= 0) return {};
  std::vector<wchar_t> wide(static_cast<size_t>(n));
  if (MultiByteToWideChar(codePage, 0, source, -1, wide.data(), n) <= 0) return {};
  return wide;
}

// The UTF-16 text in the code page, sized by the conversion itself: one
// character can take more bytes in the target than in the source (GBK's
// one-byte euro sign is two bytes in Big5).
std::string FromWide(UINT codePage, const std::vector<wchar_t>& wide) {
  if (wide.empty()) return {};
  const int m = WideCharToMultiByte(codePage, 0, wide.data(), -1, nullptr, 0, nullptr, nullptr);
  if (m <= 0) return {};
  std::vector<char> bytes(static_cast<size_t>(m));
  if (WideCharToMultiByte(codePage, 0, wide.data(), -1, bytes.data(), m, nullptr, nullptr) <= 0) return {};
  return std::string(bytes.data(), strnlen(bytes.data(), bytes.size()));
}

// GBK text with each character replaced by its counterpart in the target
// form. The counterparts are all GBK characters.
std::string MapGbkText(const char* source, ChineseForm target) {
  std::vector<wchar_t> wide = ToWide(kGbk, source);
  for (wchar_t& c : wide) c = static_cast<wchar_t>(ChineseCounterpart(static_cast<char16_t>(c), target));
  return FromWide(kGbk, wide);
}

std::string Big5ToGbk(const char* source) {
  const std::string gbk = FromWide(kGbk, ToWide(kBig5, source));
  return MapGbkText(gbk.c_str(), ChineseForm::Simplified);
}

std::string GbkToBig5(const char* source) {
  // Traditional forms first, still in GBK bytes.
  const std::string traditional = MapGbkText(source, ChineseForm::Traditional);
  return FromWide(kBig5, ToWide(kGbk, traditional.c_str()));
}

template <typename Convert>
void ConvertTextParam(ParamBlock* block, Convert convert) {
  Params p(block);
  if (p.length(1) == 0) return ReturnText("");
  TextParam text = p.text(1);
  ReturnText(convert(text.c_str()));
}

}  // namespace

void KVBig5ToGb2312(ParamBlock* block) { ConvertTextParam(block, Big5ToGbk); }
void KVGb2312ToBig5(ParamBlock* block) { ConvertTextParam(block, GbkToBig5); }

}  // namespace larch
