// Test helper: GBK bytes of a UTF-8 literal, so expectations stay readable.
#pragma once

#include <iconv.h>

#include <stdexcept>
#include <string>

namespace larch::testing {

inline std::string Recode(const std::string& text, const char* from, const char* to) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv_open");
  std::string out(text.size() * 4 + 4, '\0');
  char* in = const_cast<char*>(text.data());
  size_t inLeft = text.size();
  char* outPtr = out.data();
  size_t outLeft = out.size();
  const size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
  iconv_close(cd);
  if (rc == static_cast<size_t>(-1)) throw std::runtime_error("iconv: " + text);
  out.resize(out.size() - outLeft);
  return out;
}

inline std::string Gbk(const std::string& utf8) { return Recode(utf8, "UTF-8", "GBK"); }
inline std::string Big5(const std::string& utf8) { return Recode(utf8, "UTF-8", "BIG5"); }
inline std::string FromGbk(const std::string& gbk) { return Recode(gbk, "GBK", "UTF-8"); }

}  // namespace larch::testing
