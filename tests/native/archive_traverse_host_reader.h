// A reader of the host expressions the walk builds around a path: text
// literals ('..', "..", [..]) joined with + and grouped with parentheses.
// It reads either byte by byte or by double-byte character, as a host
// under that code page would, and refuses a literal in which '&' starts a
// macro name. Used to check that a command hands the host the path intact.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "bridge/dbcs.h"

namespace larch::test {

class HostExpressionReader {
 public:
  HostExpressionReader(const LeadBytes& leads, std::string_view text) : leads_(leads), s_(text) {}

  // The value of the whole text as one expression, or nothing when it is
  // not exactly one such expression.
  std::optional<std::string> read() {
    std::optional<std::string> value = expression();
    skip();
    if (!value || pos_ != s_.size()) return std::nullopt;
    return value;
  }

 private:
  std::optional<std::string> expression() {
    std::optional<std::string> value = term();
    for (;;) {
      skip();
      if (!value || pos_ >= s_.size() || s_[pos_] != '+') return value;
      ++pos_;
      std::optional<std::string> more = term();
      if (!more) return std::nullopt;
      *value += *more;
    }
  }

  std::optional<std::string> term() {
    skip();
    if (pos_ >= s_.size()) return std::nullopt;
    char c = s_[pos_];
    if (c == '(') {
      ++pos_;
      std::optional<std::string> value = expression();
      skip();
      if (!value || pos_ >= s_.size() || s_[pos_] != ')') return std::nullopt;
      ++pos_;
      return value;
    }
    char close = c == '[' ? ']' : c;
    if (c != '\'' && c != '"' && c != '[') return std::nullopt;
    size_t begin = ++pos_;
    while (pos_ < s_.size()) {
      size_t n = CharLength(leads_, s_, pos_);
      if (n == 1 && s_[pos_] == close) {
        std::string value(s_.substr(begin, pos_ - begin));
        ++pos_;
        if (StartsMacro(value)) return std::nullopt;
        return value;
      }
      pos_ += n;
    }
    return std::nullopt;
  }

  static bool StartsMacro(std::string_view literal) {
    for (size_t i = 0; i + 1 < literal.size(); ++i) {
      unsigned char next = static_cast<unsigned char>(literal[i + 1]);
      bool nameStart = (next >= 'A' && next <= 'Z') || (next >= 'a' && next <= 'z') || next == '_' || next >= 0x80;
      if (literal[i] == '&' && nameStart) return true;
    }
    return false;
  }

  void skip() {
    while (pos_ < s_.size() && s_[pos_] == ' ') ++pos_;
  }

  const LeadBytes& leads_;
  std::string_view s_;
  size_t pos_ = 0;
};

// The value of an expression, read under the given lead bytes.
inline std::optional<std::string> ReadHostExpression(const LeadBytes& leads, std::string_view text) {
  return HostExpressionReader(leads, text).read();
}

// The command styles a walk is given, with the code the host should see
// around the one expression that carries the path.
struct WalkCommandStyle {
  const char* command;
  const char* before;  // code before the expression
  const char* after;   // code after it
  const char* prefix;  // literal text before the path
};
// clang-format off
inline constexpr WalkCommandStyle kWalkCommandStyles[] = {
    {"? '%s'", "? ", "", ""},
    {"? \"%s\"", "? ", "", ""},
    {"? [%s]", "? ", "", ""},
    {"? [file: %s]", "? ", "", "file: "},
    {"MYPROC", "MYPROC(", ")", ""},
    {"DO p WITH '%s', 1", "DO p WITH ", ", 1", ""},
};
// clang-format on

}  // namespace larch::test
