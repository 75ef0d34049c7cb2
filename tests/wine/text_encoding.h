// Test helper: a UTF-8 literal in a Windows code page's bytes and back, so
// expectations stay readable.
#pragma once

#include <windows.h>

#include <string>

namespace larch::test {

constexpr UINT kGbk = 936;
constexpr UINT kBig5 = 950;

inline std::wstring Wide(const std::string& text, UINT codePage) {
  std::wstring wide(text.size() + 1, L'\0');
  const int n = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                                    static_cast<int>(wide.size()));
  wide.resize(static_cast<size_t>(n > 0 ? n : 0));
  return wide;
}

inline std::string Narrow(const std::wstring& wide, UINT codePage) {
  std::string text(wide.size() * 4 + 1, '\0');
  const int n = WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), text.data(),
                                    static_cast<int>(text.size()), nullptr, nullptr);
  text.resize(static_cast<size_t>(n > 0 ? n : 0));
  return text;
}

inline std::string InCodePage(const std::string& utf8, UINT codePage) { return Narrow(Wide(utf8, CP_UTF8), codePage); }
inline std::string Gbk(const std::string& utf8) { return InCodePage(utf8, kGbk); }
inline std::string Big5(const std::string& utf8) { return InCodePage(utf8, kBig5); }
inline std::string Utf8(const std::string& bytes, UINT codePage) { return Narrow(Wide(bytes, codePage), CP_UTF8); }

}  // namespace larch::test
