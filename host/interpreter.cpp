#include "interpreter.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <utility>
#include <vector>

#ifndef _WIN32
#include <sys/time.h>
#else
#include <sys/timeb.h>
#endif

namespace larch::host {
namespace {

constexpr int kErrorFileMissing = 1;
constexpr int kErrorDataType = 9;
constexpr int kErrorSyntax = 10;
constexpr int kErrorArguments = 11;
constexpr int kErrorNoVariable = 12;
constexpr int kErrorUnknownVerb = 16;
constexpr int kErrorSubscript = 31;
constexpr int kErrorOverflow = 39;
constexpr int kErrorKeyword = 36;
constexpr int kErrorNesting = 96;
constexpr int kErrorCannotOpen = 101;
constexpr int kErrorOperands = 107;
constexpr int kErrorNotArray = 232;
constexpr int kErrorDivideByZero = 1307;
constexpr int kErrorNotLibrary = 1753;
constexpr int kErrorTooLong = 1903;

// Structures inside one another, and files including one another, at most.
constexpr int kMaxNesting = 128;
constexpr size_t kMaxIncludes = 16;

// The longest text the host holds.
constexpr size_t kMaxText = 16777184;
// The longest path the system takes; a longer one is refused here.
constexpr size_t kMaxPath = 259;
// The most elements an array may have.
constexpr size_t kMaxElements = 65000;
// The most decimals a number is shown with.
constexpr int kMaxDecimals = 18;
// Decimals of a quotient, a power and of VAL() at the least.
constexpr int kDefaultDecimals = 2;

std::string Trim(const std::string& s) {
  size_t b = s.find_first_not_of(" \t\r\n");
  if (b == std::string::npos) return "";
  size_t e = s.find_last_not_of(" \t\r\n");
  return s.substr(b, e - b + 1);
}

// Whether c is one of the bytes of set (never the terminating NUL).
bool OneOf(char c, const char* set) { return c != '\0' && std::strchr(set, c) != nullptr; }

bool IsNameStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool IsNameChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// Whether `word` (upper case) stands at `pos` as a whole word.
bool WordAt(const std::string& s, size_t pos, const char* word) {
  size_t n = std::strlen(word);
  if (s.size() < pos + n) return false;
  for (size_t i = 0; i < n; ++i) {
    if (std::toupper(static_cast<unsigned char>(s[pos + i])) != word[i]) return false;
  }
  return pos + n == s.size() || !IsNameChar(s[pos + n]);
}

// Whether a '[' at this point opens a text rather than subscripts: it does
// unless it follows a name or a closing bracket.
bool BracketOpensText(const std::string& s, size_t pos) {
  size_t i = pos;
  while (i > 0 && (s[i - 1] == ' ' || s[i - 1] == '\t')) --i;
  if (i == 0) return true;
  char before = s[i - 1];
  return !(IsNameChar(before) || before == ')' || before == ']');
}

// Whether the byte at `pos` opens a text literal: a quote, or a '[' that
// opens a text.
bool OpensLiteral(const std::string& s, size_t pos) {
  char c = s[pos];
  return c == '"' || c == '\'' || (c == '[' && BracketOpensText(s, pos));
}

// Where the text literal opened at `pos` ends (the closing delimiter), or
// npos. A two-byte character's second byte never closes it.
size_t LiteralEnd(const LeadBytes& leads, const std::string& s, size_t pos) {
  char close = s[pos] == '[' ? ']' : s[pos];
  return FindChar(leads, s, close, pos + 1);
}

// Copies the text literal opened at `pos` to `out` as it stands (to the end
// of `s` when it is never closed); answers where the text after it starts.
size_t CopyLiteral(const LeadBytes& leads, const std::string& s, size_t pos, std::string* out) {
  size_t end = LiteralEnd(leads, s, pos);
  if (end == std::string::npos) end = s.size() - 1;
  out->append(s, pos, end + 1 - pos);
  return end + 1;
}

// Removes a trailing && comment, outside text literals.
std::string StripComment(const LeadBytes& leads, const std::string& line) {
  for (size_t i = 0; i < line.size(); i += CharLength(leads, line, i)) {
    char c = line[i];
    if (OpensLiteral(line, i)) {
      size_t end = LiteralEnd(leads, line, i);
      if (end == std::string::npos) return line;
      i = end;
      continue;
    }
    if (c == '&' && i + 1 < line.size() && line[i + 1] == '&') return line.substr(0, i);
  }
  return line;
}

double NumberOf(const Value& v, int error = kErrorOperands) {
  if (v.kind == Value::Kind::Int) return v.integer;
  if (v.kind == Value::Kind::Number) return v.number;
  throw HostError{error, ""};
}

bool IsNumber(const Value& v) { return v.kind == Value::Kind::Int || v.kind == Value::Kind::Number; }

// Decimals a number is shown with, for working out those of a result.
int DecimalsOf(const Value& v) {
  if (v.kind == Value::Kind::Number) {
    if (v.decimals >= 0) return v.decimals;
    return std::floor(v.number) == v.number ? 0 : kDefaultDecimals;
  }
  return 0;
}

// A number the host computed; one beyond the range of numbers is an error,
// not an infinity carried on.
Value Numeric(double r, int decimals) {
  if (!std::isfinite(r)) throw HostError{kErrorOverflow, "Numeric overflow. Data was lost."};
  return Value::Decimal(r, decimals);
}

// A whole result as an integer when it fits, else a number.
Value Whole(double r) {
  if (r >= -2147483648.0 && r <= 2147483647.0) return Value::Int(static_cast<int32_t>(r), 0);
  return Numeric(r, 0);
}

// Rounds half away from zero, as the host does (not to even).
double RoundHalfAway(double x, int decimals) {
  double scale = std::pow(10.0, decimals);
  double scaled = std::fabs(x) * scale;
  double r = std::floor(scaled + 0.5 + 1e-9 * std::max(1.0, scaled)) / scale;
  return x < 0 ? -r : r;
}

std::string FixedText(double x, int decimals) {
  char buffer[400];
  std::snprintf(buffer, sizeof buffer, "%.*f", decimals, RoundHalfAway(x, decimals));
  std::string s = buffer;
  if (s.find_first_not_of("-0.") == std::string::npos && s[0] == '-') s.erase(0, 1);  // no "-0"
  return s;
}

// Text comparison with the host's default (inexact) rule: the left text is
// compared over the length of the right one, blanks filling a shorter one.
int CompareTexts(const std::string& a, const std::string& b, bool exact) {
  if (exact) return a.compare(b);
  std::string left = a.size() >= b.size() ? a.substr(0, b.size()) : a + std::string(b.size() - a.size(), ' ');
  return left.compare(b);
}

void CheckLength(size_t n) {
  if (n > kMaxText) throw HostError{kErrorTooLong, ""};
}

std::string UpperOrLower(const LeadBytes& leads, std::string text, bool upper) {
  for (size_t i = 0; i < text.size();) {
    size_t n = CharLength(leads, text, i);
    if (n == 1) {
      unsigned char c = static_cast<unsigned char>(text[i]);
      if (c < 0x80) text[i] = static_cast<char>(upper ? std::toupper(c) : std::tolower(c));
    }
    i += n;
  }
  return text;
}

// Every offset where `needle` starts at a character start of `hay`.
std::vector<size_t> Occurrences(const LeadBytes& leads, const std::string& needle, const std::string& hay) {
  std::vector<size_t> found;
  if (needle.empty()) return found;
  for (size_t i = 0; i + needle.size() <= hay.size(); i += CharLength(leads, hay, i)) {
    if (hay.compare(i, needle.size(), needle) == 0) found.push_back(i);
  }
  return found;
}

// The first and last days the host's dates reach.
const int32_t kFirstDay = DayNumber(1, 1, 1);
const int32_t kLastDay = DayNumber(9999, 12, 31);

Value DateValue(double day) {
  if (!(day >= kFirstDay && day <= kLastDay)) throw HostError{kErrorOperands, ""};
  return Value::Day(static_cast<int32_t>(day));
}

// Date arithmetic: a date plus or minus days, and the days between dates.
Value DateSum(const Value& left, const Value& right, char op) {
  const bool leftDate = left.kind == Value::Kind::Date, rightDate = right.kind == Value::Kind::Date;
  if (leftDate && rightDate) {
    if (op != '-') throw HostError{kErrorOperands, ""};
    return Value::Int(left.integer - right.integer, 0);
  }
  if (leftDate) {
    double days = std::trunc(NumberOf(right));
    return DateValue(op == '+' ? left.integer + days : left.integer - days);
  }
  if (op != '+') throw HostError{kErrorOperands, ""};
  return DateValue(right.integer + std::trunc(NumberOf(left)));
}

// Sum of two numbers as the host keeps it: whole numbers stay whole.
Value AddNumbers(const Value& a, const Value& b) {
  double r = NumberOf(a) + NumberOf(b);
  if (a.kind == Value::Kind::Int && b.kind == Value::Kind::Int) return Whole(r);
  return Numeric(r, std::max(DecimalsOf(a), DecimalsOf(b)));
}

// The local date and time now.
struct Now {
  int year, month, day, hour, minute, second, hundredths;
};
Now LocalNow() {
  std::time_t t = 0;
  int millis = 0;
#ifdef _WIN32
  struct _timeb tb;
  _ftime(&tb);
  t = tb.time;
  millis = tb.millitm;
#else
  struct timeval tv;
  gettimeofday(&tv, nullptr);
  t = tv.tv_sec;
  millis = static_cast<int>(tv.tv_usec / 1000);
#endif
  std::tm parts{};
#ifdef _WIN32
  localtime_s(&parts, &t);
#else
  localtime_r(&t, &parts);
#endif
  return Now{parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday, parts.tm_hour,
             parts.tm_min,         parts.tm_sec,     millis / 10};
}

// A value as TRANSFORM and the PAD functions show it without a picture.
std::string PlainText(const Value& v) {
  if (v.kind == Value::Kind::Char) return v.text;
  return Trim(v.display());
}

// The digits of a number laid into a numeric picture: 9 and # take a digit,
// ',' separates digits, '.' is the decimal point, other characters stand.
// A number too wide for the picture shows as asterisks.
std::string NumberPicture(double x, const std::string& picture, bool leadingZeros) {
  auto digitPlace = [](char c) { return c == '9' || c == '#'; };
  size_t point = picture.find('.');
  int decimals = 0;
  if (point != std::string::npos) {
    for (size_t i = point + 1; i < picture.size(); ++i) decimals += digitPlace(picture[i]) ? 1 : 0;
  }
  std::string fixed = FixedText(std::fabs(x), std::min(decimals, kMaxDecimals));
  size_t dot = fixed.find('.');
  std::string whole = fixed.substr(0, dot);
  std::string fraction = dot == std::string::npos ? "" : fixed.substr(dot + 1);
  bool negative = x < 0 && fixed.find_first_not_of("0.") != std::string::npos;
  size_t end = point == std::string::npos ? picture.size() : point;
  bool wholePlaces = false;
  for (size_t i = 0; i < end; ++i) wholePlaces = wholePlaces || digitPlace(picture[i]);
  if (!wholePlaces && whole == "0") whole.clear();

  std::string out(picture.size(), ' ');
  size_t next = whole.size();  // digits of the whole part not placed yet
  bool signPlaced = !negative;
  for (size_t i = end; i-- > 0;) {
    char c = picture[i];
    if (digitPlace(c)) {
      if (next > 0) {
        out[i] = whole[--next];
      } else if (!signPlaced && !leadingZeros) {
        out[i] = '-';
        signPlaced = true;
      } else {
        out[i] = leadingZeros ? '0' : ' ';
      }
    } else if (c == ',') {
      out[i] = next > 0 ? ',' : (leadingZeros ? ',' : ' ');
    } else {
      out[i] = c;
    }
  }
  if (leadingZeros && !signPlaced) {
    // The sign takes the first place.
    size_t first = picture.find_first_of("9#");
    if (first < end && out[first] == '0') {
      out[first] = '-';
      signPlaced = true;
    }
  }
  if (next > 0 || !signPlaced) return std::string(picture.size(), '*');
  size_t f = 0;
  for (size_t i = end; i < picture.size(); ++i) {
    char c = picture[i];
    if (digitPlace(c)) {
      out[i] = f < fraction.size() ? fraction[f++] : '0';
    } else {
      out[i] = c;
    }
  }
  return out;
}

// TRANSFORM(value, format): the format is "@functions picture", either
// part optional. Functions: ! upper case, R (literals inserted, as they
// are anyway here), Z blank for zero, T trimmed text, B left-aligned,
// L leading zeros. Text pictures: X 9 A N # take a character, ! takes it
// upper-cased, other characters stand.
std::string Transform(const LeadBytes& leads, const Value& v, const std::string& format) {
  std::string functions, picture = format;
  if (!format.empty() && format[0] == '@') {
    size_t space = format.find(' ');
    functions = UpperCase(format.substr(1, space == std::string::npos ? std::string::npos : space - 1));
    picture = space == std::string::npos ? "" : format.substr(space + 1);
  }
  auto has = [&](char f) { return functions.find(f) != std::string::npos; };
  if (v.kind == Value::Kind::Char) {
    std::string text = v.text;
    if (has('T')) text = Trim(text);
    if (picture.empty()) return has('!') ? UpperOrLower(leads, text, true) : text;
    std::string out;
    size_t from = 0;
    for (size_t i = 0; i < picture.size();) {
      size_t n = CharLength(leads, picture, i);
      char c = picture[i];
      if (n == 1 && OneOf(c, "X9AN#!")) {
        if (from < text.size()) {
          size_t m = CharLength(leads, text, from);
          std::string one = text.substr(from, m);
          out += c == '!' || has('!') ? UpperOrLower(leads, one, true) : one;
          from += m;
        } else {
          out += ' ';
        }
      } else {
        out += picture.substr(i, n);
      }
      i += n;
    }
    return out;
  }
  if (IsNumber(v)) {
    double x = NumberOf(v);
    if (has('Z') && x == 0) return std::string(picture.size(), ' ');
    std::string out = picture.empty() ? PlainText(v) : NumberPicture(x, picture, has('L'));
    if (has('B')) {
      size_t lead = std::min(out.size(), out.find_first_not_of(' '));
      out = out.substr(lead) + std::string(lead, ' ');
    }
    return out;
  }
  return PlainText(v);
}

// The first `width` bytes of a text, a character cut in two left out.
size_t WholeCharacters(const LeadBytes& leads, const std::string& text, size_t width) {
  size_t i = 0;
  while (i < text.size()) {
    size_t n = CharLength(leads, text, i);
    if (i + n > width) break;
    i += n;
  }
  return i;
}

// `count` bytes of padding made of `unit` (one character); a two-byte unit
// that does not fit the last byte leaves a blank there.
std::string Padding(const std::string& unit, size_t count) {
  std::string out;
  out.reserve(count);
  while (out.size() + unit.size() <= count) out += unit;
  out.append(count - out.size(), ' ');
  return out;
}

// Recursive-descent parser over one expression text.
class Parser {
 public:
  Parser(ShellHost& host, const std::string& text) : host_(host), s_(text) {}

  Value expression() { return orExpr(); }

  // Arguments of a call: values, or @name for a variable by reference.
  std::vector<Arg> arguments(char close) {
    std::vector<Arg> args;
    skip();
    if (peek() == close) {
      ++pos_;
      return args;
    }
    for (;;) {
      skip();
      if (peek() == '@') {
        ++pos_;
        std::string n = name();
        if (!host_.variable(n)) throw HostError{kErrorNoVariable, VariableMissing(n)};
        args.push_back(ByRef(n));
      } else {
        args.push_back(expression());
      }
      skip();
      char c = next();
      if (c == close) return args;
      if (c != ',') throw HostError{kErrorSyntax, ""};
    }
  }

  // Consumes a comma between values; false when none follows.
  bool comma() {
    skip();
    if (peek() != ',') return false;
    ++pos_;
    return true;
  }

  // Consumes the bracket that opens subscripts.
  char open() {
    skip();
    char c = next();
    if (c != '(' && c != '[') throw HostError{kErrorSyntax, ""};
    return c;
  }

  bool atEnd() {
    skip();
    return pos_ >= s_.size();
  }

  void expectEnd() {
    if (!atEnd()) throw HostError{kErrorSyntax, ""};
  }

  // A name, with object members joined by dots (_screen.tag).
  std::string name() {
    skip();
    if (!IsNameStart(peek())) throw HostError{kErrorSyntax, ""};
    size_t start = pos_;
    for (;;) {
      while (pos_ < s_.size() && IsNameChar(s_[pos_])) ++pos_;
      if (peek() == '.' && pos_ + 1 < s_.size() && IsNameStart(s_[pos_ + 1]) && !dottedOperatorAt(pos_)) {
        ++pos_;
        continue;
      }
      break;
    }
    return s_.substr(start, pos_ - start);
  }

  static std::string VariableMissing(const std::string& n) { return "Variable '" + UpperCase(n) + "' is not found."; }

  // Picks the element that subscripts name: one subscript over a
  // two-dimensional array counts elements row by row.
  static Value* Element(Variable& v, const std::vector<Arg>& subscripts) {
    if (!v.isArray || subscripts.empty() || subscripts.size() > 2) throw HostError{kErrorSubscript, ""};
    auto index = [](const Arg& a) -> long {
      if (!a.byRef.empty() || !IsNumber(a.value)) throw HostError{kErrorSubscript, ""};
      double d = NumberOf(a.value);
      if (d < 1 || d > 65535) throw HostError{kErrorSubscript, ""};
      return static_cast<long>(d);
    };
    long row = index(subscripts[0]);
    long column = subscripts.size() == 2 ? index(subscripts[1]) : 1;
    if (subscripts.size() == 1 && v.array.columns > 0) {
      long cell = row;
      row = (cell - 1) / v.array.columns + 1;
      column = (cell - 1) % v.array.columns + 1;
    }
    if (row > 65535 || column > 65535) throw HostError{kErrorSubscript, ""};
    Value* value = v.array.at(static_cast<uint16_t>(row), static_cast<uint16_t>(column));
    if (!value) throw HostError{kErrorSubscript, ""};
    return value;
  }

 private:
  void skip() {
    while (pos_ < s_.size() && std::isspace(static_cast<unsigned char>(s_[pos_]))) ++pos_;
  }
  char peek() const { return pos_ < s_.size() ? s_[pos_] : '\0'; }
  char next() { return pos_ < s_.size() ? s_[pos_++] : '\0'; }

  // .AND. .OR. .NOT. .T. .F. at this dot.
  bool dottedOperatorAt(size_t pos) const {
    for (const char* word : {".AND.", ".OR.", ".NOT.", ".T.", ".F."}) {
      size_t n = std::strlen(word);
      if (s_.size() >= pos + n && UpperCase(s_.substr(pos, n)) == word) return true;
    }
    return false;
  }

  // Consumes a word operator (AND) or its dotted form (.AND.).
  bool wordOperator(const char* word) {
    skip();
    std::string dotted = std::string(".") + word + ".";
    if (s_.size() >= pos_ + dotted.size() && UpperCase(s_.substr(pos_, dotted.size())) == dotted) {
      pos_ += dotted.size();
      return true;
    }
    if (WordAt(s_, pos_, word)) {
      pos_ += std::strlen(word);
      return true;
    }
    return false;
  }

  static bool LogicalOf(const Value& v) {
    if (v.kind != Value::Kind::Logical) throw HostError{kErrorOperands, ""};
    return v.logical;
  }

  Value orExpr() {
    Value left = andExpr();
    while (wordOperator("OR")) {
      Value right = andExpr();
      const bool x = LogicalOf(left), y = LogicalOf(right);
      left = Value::Bool(x || y);
    }
    return left;
  }

  Value andExpr() {
    Value left = notExpr();
    while (wordOperator("AND")) {
      Value right = notExpr();
      const bool x = LogicalOf(left), y = LogicalOf(right);
      left = Value::Bool(x && y);
    }
    return left;
  }

  Value notExpr() {
    skip();
    if (wordOperator("NOT") || (peek() == '!' && s_.compare(pos_, 2, "!=") != 0 && (++pos_, true))) {
      return Value::Bool(!LogicalOf(notExpr()));
    }
    return comparison();
  }

  Value comparison() {
    Value left = sum();
    skip();
    static const char* const kOperators[] = {"==", "<>", "!=", "<=", ">=", "=", "#", "<", ">", "$"};
    for (const char* op : kOperators) {
      size_t n = std::strlen(op);
      if (s_.compare(pos_, n, op) != 0) continue;
      pos_ += n;
      return Value::Bool(compare(left, sum(), op));
    }
    return left;
  }

  static bool compare(const Value& a, const Value& b, const std::string& op) {
    if (op == "$") {
      if (a.kind != Value::Kind::Char || b.kind != Value::Kind::Char) throw HostError{kErrorOperands, ""};
      return b.text.find(a.text) != std::string::npos;
    }
    int order = 0;
    if (a.kind == Value::Kind::Char && b.kind == Value::Kind::Char) {
      order = CompareTexts(a.text, b.text, op == "==");
    } else if (a.kind == Value::Kind::Logical && b.kind == Value::Kind::Logical) {
      order = static_cast<int>(a.logical) - static_cast<int>(b.logical);
    } else if (a.kind == Value::Kind::Date && b.kind == Value::Kind::Date) {
      order = a.integer < b.integer ? -1 : a.integer > b.integer ? 1 : 0;
    } else {
      double x = NumberOf(a), y = NumberOf(b);
      order = x < y ? -1 : x > y ? 1 : 0;
    }
    if (op == "=" || op == "==") return order == 0;
    if (op == "<>" || op == "!=" || op == "#") return order != 0;
    if (op == "<") return order < 0;
    if (op == ">") return order > 0;
    if (op == "<=") return order <= 0;
    return order >= 0;
  }

  Value sum() {
    Value left = product();
    for (;;) {
      skip();
      char op = peek();
      if (op != '+' && op != '-') return left;
      ++pos_;
      Value right = product();
      if (left.kind == Value::Kind::Date || right.kind == Value::Kind::Date) {
        left = DateSum(left, right, op);
        continue;
      }
      if (left.kind == Value::Kind::Char && right.kind == Value::Kind::Char) {
        CheckLength(left.text.size() + right.text.size());
        if (op == '+') {
          left = Value::Text(left.text + right.text);
        } else {
          // Trailing blanks of the left text move to the end.
          size_t keep = left.text.find_last_not_of(' ');
          keep = keep == std::string::npos ? 0 : keep + 1;
          left = Value::Text(left.text.substr(0, keep) + right.text + left.text.substr(keep));
        }
        continue;
      }
      double x = NumberOf(left), y = NumberOf(right);
      double r = op == '+' ? x + y : x - y;
      if (left.kind == Value::Kind::Int && right.kind == Value::Kind::Int) {
        left = Whole(r);
      } else {
        left = Numeric(r, std::max(DecimalsOf(left), DecimalsOf(right)));
      }
    }
  }

  Value product() {
    Value left = power();
    for (;;) {
      skip();
      char op = peek();
      if ((op != '*' && op != '/' && op != '%') || s_.compare(pos_, 2, "**") == 0) return left;
      ++pos_;
      Value right = power();
      double x = NumberOf(left), y = NumberOf(right);
      bool whole = left.kind == Value::Kind::Int && right.kind == Value::Kind::Int;
      if (op == '*') {
        left = whole ? Whole(x * y) : Numeric(x * y, std::min(kMaxDecimals, DecimalsOf(left) + DecimalsOf(right)));
      } else if (op == '/') {
        if (y == 0) throw HostError{kErrorDivideByZero, ""};
        left = Numeric(x / y, std::max({kDefaultDecimals, DecimalsOf(left), DecimalsOf(right)}));
      } else {
        if (y == 0) throw HostError{kErrorDivideByZero, ""};
        // The remainder takes the divisor's sign.
        double r = std::fmod(x, y);
        if (r != 0 && ((r < 0) != (y < 0))) r += y;
        left = whole ? Whole(r) : Numeric(r, std::max(DecimalsOf(left), DecimalsOf(right)));
      }
    }
  }

  Value power() {
    Value left = unary();
    for (;;) {
      skip();
      size_t n = peek() == '^' ? 1 : s_.compare(pos_, 2, "**") == 0 ? 2 : 0;
      if (n == 0) return left;
      pos_ += n;
      Value right = unary();
      double r = std::pow(NumberOf(left), NumberOf(right));
      left = Numeric(r, std::max(kDefaultDecimals, DecimalsOf(left)));
    }
  }

  Value unary() {
    skip();
    char c = peek();
    if (c == '-' || c == '+') {
      ++pos_;
      Value v = unary();
      if (c == '+') {
        NumberOf(v);
        return v;
      }
      if (v.kind == Value::Kind::Int)
        return v.integer == INT32_MIN ? Numeric(2147483648.0, 0) : Value::Int(-v.integer, v.width);
      if (v.kind == Value::Kind::Number) {
        Value r = v;
        r.number = -v.number;
        return r;
      }
      throw HostError{kErrorOperands, ""};
    }
    return primary();
  }

  Value primary() {
    skip();
    char c = peek();
    if (c == '(') {
      ++pos_;
      Value v = expression();
      skip();
      if (next() != ')') throw HostError{kErrorSyntax, ""};
      return v;
    }
    if (c == '"' || c == '\'' || c == '[') return literalText();
    if (std::isdigit(static_cast<unsigned char>(c)) ||
        (c == '.' && std::isdigit(static_cast<unsigned char>(pos_ + 1 < s_.size() ? s_[pos_ + 1] : 'x')))) {
      return literalNumber();
    }
    if (c == '.') {
      std::string word = UpperCase(s_.substr(pos_, 3));
      if (word == ".T." || word == ".F.") {
        pos_ += 3;
        return Value::Bool(word == ".T.");
      }
    }
    if (IsNameStart(c)) return reference(name());
    throw HostError{kErrorSyntax, ""};
  }

  Value literalText() {
    size_t end = LiteralEnd(host_.leadBytes(), s_, pos_);
    if (end == std::string::npos) throw HostError{kErrorSyntax, ""};
    std::string text = s_.substr(pos_ + 1, end - pos_ - 1);
    pos_ = end + 1;
    return Value::Text(text);
  }

  Value literalNumber() {
    size_t start = pos_;
    while (std::isdigit(static_cast<unsigned char>(peek()))) ++pos_;
    int decimals = -1;
    if (peek() == '.' && pos_ + 1 < s_.size() && std::isdigit(static_cast<unsigned char>(s_[pos_ + 1]))) {
      ++pos_;
      size_t first = pos_;
      while (std::isdigit(static_cast<unsigned char>(peek()))) ++pos_;
      decimals = static_cast<int>(pos_ - first);
    }
    double n = std::strtod(s_.substr(start, pos_ - start).c_str(), nullptr);
    if (decimals >= 0) return Numeric(n, std::min(decimals, kMaxDecimals));
    return Whole(n);
  }

  Value reference(const std::string& id) {
    std::string upper = UpperCase(id);
    skip();
    if (upper == "_SCREEN.TAG") return host_.screenTagValue();
    Variable* v = host_.variable(id);
    if (peek() == '[' || (peek() == '(' && v && v->isArray)) {
      char open = next();
      std::vector<Arg> subscripts = arguments(open == '[' ? ']' : ')');
      if (!v) throw HostError{kErrorNoVariable, VariableMissing(id)};
      return *Element(*v, subscripts);
    }
    if (peek() == '(') {
      ++pos_;
      if (upper == "ALEN") return alen();
      if (upper == "TYPE") return type();
      if (upper == "ASCAN") return ascan();
      if (upper == "ALINES") return alines();
      std::vector<Arg> args = arguments(')');
      bool handled = false;
      Value result = builtin(upper, args, &handled);
      if (handled) return result;
      if (!host_.hasFunction(id)) throw HostError{kErrorFileMissing, "Function '" + upper + "' is not found."};
      CallResult r = host_.callFunction(id, args);
      if (r.error) throw HostError{r.error, ""};
      return r.sent() ? r.value : Value::Bool(true);
    }
    if (!v) throw HostError{kErrorNoVariable, VariableMissing(id)};
    if (v->isArray) {
      const Value* first = v->array.at(1, 1);
      return first ? *first : Value::Bool(false);
    }
    return v->scalar;
  }

  // ALEN(array[, n]): the array by its bare name, or its name as a text.
  Value alen() {
    size_t mark = pos_;
    Variable* array = nullptr;
    skip();
    if (IsNameStart(peek())) {
      std::string n = name();
      skip();
      Variable* v = host_.variable(n);
      if (v && v->isArray && (peek() == ',' || peek() == ')')) array = v;
    }
    if (!array) pos_ = mark;
    std::vector<Arg> args;
    if (array) {
      args.push_back(Value::Bool(false));
      if (next() == ',') {
        std::vector<Arg> rest = arguments(')');
        args.insert(args.end(), rest.begin(), rest.end());
      }
    } else {
      args = arguments(')');
      if (args.empty() || args[0].value.kind != Value::Kind::Char) throw HostError{kErrorArguments, ""};
      array = host_.variable(args[0].value.text);
      if (!array || !array->isArray) throw HostError{kErrorNoVariable, VariableMissing(args[0].value.text)};
    }
    if (args.size() > 2 || (args.size() == 2 && !IsNumber(args[1].value))) throw HostError{kErrorArguments, ""};
    double wanted = args.size() == 2 ? NumberOf(args[1].value) : 0;
    if (!(wanted >= 0 && wanted < 3)) throw HostError{kErrorArguments, ""};
    int which = static_cast<int>(wanted);
    if (which == 1) return Value::Int(array->array.rows, 0);
    if (which == 2) return Value::Int(array->array.columns, 0);
    if (which != 0) throw HostError{kErrorArguments, ""};
    return Value::Int(static_cast<int32_t>(array->array.cells.size()), 0);
  }

  // TYPE(text): the type letter of the expression the text holds, "U" when
  // it cannot be evaluated.
  Value type() {
    std::vector<Arg> args = arguments(')');
    if (args.size() != 1 || args[0].value.kind != Value::Kind::Char) throw HostError{kErrorArguments, ""};
    try {
      Parser inner(host_, args[0].value.text);
      Value v = inner.expression();
      inner.expectEnd();
      return Value::Text(std::string(1, v.typeLetter()));
    } catch (const HostError&) {
      return Value::Text("U");
    }
  }

  // The array argument of ASCAN and ALINES: its bare name (or @name),
  // before the first comma.
  std::string arrayName() {
    skip();
    if (peek() == '@') ++pos_;
    std::string n = name();
    skip();
    if (peek() != ',') throw HostError{kErrorArguments, ""};
    ++pos_;
    return n;
  }

  // ASCAN(array, value[, start[, count[, column[, flags]]]]): the number
  // of the first element that matches, 0 when none. Texts match as = does
  // (the element starts with the value) unless flags ask for exactness;
  // flags: 1 letter case ignored, 4 + 2 exact, 8 the row rather than the
  // element.
  Value ascan() {
    std::string n = arrayName();
    Variable* v = host_.variable(n);
    if (!v) throw HostError{kErrorNoVariable, VariableMissing(n)};
    if (!v->isArray) throw HostError{kErrorNotArray, "'" + UpperCase(n) + "' is not an array."};
    std::vector<Arg> args = arguments(')');
    if (args.empty() || args.size() > 5) throw HostError{kErrorArguments, ""};
    for (const Arg& a : args) {
      if (!a.byRef.empty()) throw HostError{kErrorArguments, ""};
    }
    const Array& array = v->array;
    const size_t total = array.cells.size();
    auto whole = [&](size_t i, long fallback) -> long {
      if (args.size() <= i) return fallback;
      double d = NumberOf(args[i].value, kErrorArguments);
      return d < 0 ? -1 : d > 1e9 ? 1000000000L : static_cast<long>(d);
    };
    long start = whole(1, 1), count = whole(2, -1), column = whole(3, -1), flags = whole(4, 0);
    if (start < 1 || static_cast<size_t>(start) > total) throw HostError{kErrorArguments, ""};
    if (column > 0 && (array.columns == 0 || column > array.columns)) throw HostError{kErrorArguments, ""};
    const bool fold = (flags & 1) != 0;
    const bool exact = (flags & 4) != 0 && (flags & 2) != 0;
    const Value& wanted = args[0].value;
    const LeadBytes& leads = host_.leadBytes();
    size_t last = count < 0 ? total : std::min(total, static_cast<size_t>(start - 1) + static_cast<size_t>(count));
    for (size_t i = static_cast<size_t>(start - 1); i < last; ++i) {
      if (column > 0 && static_cast<long>(i % array.width()) + 1 != column) continue;
      const Value& cell = array.cells[i];
      bool match = false;
      if (cell.kind == Value::Kind::Char && wanted.kind == Value::Kind::Char) {
        std::string a = fold ? UpperOrLower(leads, cell.text, true) : cell.text;
        std::string b = fold ? UpperOrLower(leads, wanted.text, true) : wanted.text;
        match = CompareTexts(a, b, exact) == 0;
      } else if (IsNumber(cell) && IsNumber(wanted)) {
        match = NumberOf(cell) == NumberOf(wanted);
      } else if (cell.kind == wanted.kind && cell.kind != Value::Kind::Char) {
        match = cell == wanted;
      }
      if (!match) continue;
      if ((flags & 8) != 0 && array.columns > 0) return Value::Int(static_cast<int32_t>(i / array.width() + 1), 0);
      return Value::Int(static_cast<int32_t>(i + 1), 0);
    }
    return Value::Int(0, 0);
  }

  // ALINES(array, text[, flags[, separator, ...]]): the text's lines (or
  // pieces between the separators) into a one-dimensional array, made or
  // resized; the result is their number. Lines end at CR, LF or CR LF.
  // Flags: 1 trims blanks, 2 keeps an empty last piece, 4 leaves empty
  // pieces out, 8 matches separators regardless of letter case, 16 keeps
  // each separator at the end of its piece. A logical .T. is flag 1.
  Value alines() {
    std::string n = arrayName();
    std::vector<Arg> args = arguments(')');
    if (args.empty()) throw HostError{kErrorArguments, ""};
    for (const Arg& a : args) {
      if (!a.byRef.empty()) throw HostError{kErrorArguments, ""};
    }
    if (args[0].value.kind != Value::Kind::Char) throw HostError{kErrorArguments, ""};
    const std::string& text = args[0].value.text;
    long flags = 0;
    if (args.size() >= 2) {
      const Value& f = args[1].value;
      if (f.kind == Value::Kind::Logical) {
        flags = f.logical ? 1 : 0;
      } else {
        double d = NumberOf(f, kErrorArguments);
        if (d < 0 || d > 255) throw HostError{kErrorArguments, ""};
        flags = static_cast<long>(d);
      }
    }
    std::vector<std::string> separators;
    for (size_t i = 2; i < args.size(); ++i) {
      if (args[i].value.kind != Value::Kind::Char) throw HostError{kErrorArguments, ""};
      if (!args[i].value.text.empty()) separators.push_back(args[i].value.text);
    }
    const LeadBytes& leads = host_.leadBytes();
    const bool fold = (flags & 8) != 0;
    const std::string folded = fold ? UpperOrLower(leads, text, true) : text;
    std::vector<std::string> folds;
    for (const std::string& sep : separators) folds.push_back(fold ? UpperOrLower(leads, sep, true) : sep);

    std::vector<std::string> pieces;
    size_t from = 0;
    bool endedBySeparator = false;
    for (size_t i = 0; i < text.size();) {
      size_t sepLength = 0;
      if (separators.empty()) {
        if (text[i] == '\r') sepLength = i + 1 < text.size() && text[i + 1] == '\n' ? 2 : 1;
        if (text[i] == '\n') sepLength = 1;
      } else {
        for (const std::string& sep : folds) {
          if (folded.compare(i, sep.size(), sep) == 0) {
            sepLength = sep.size();
            break;
          }
        }
      }
      if (sepLength == 0) {
        i += CharLength(leads, text, i);
        continue;
      }
      pieces.push_back(text.substr(from, (flags & 16) != 0 ? i + sepLength - from : i - from));
      i += sepLength;
      from = i;
      endedBySeparator = true;
      if (pieces.size() > kMaxElements) throw HostError{kErrorArguments, ""};
    }
    if (from < text.size() || !endedBySeparator || (flags & 2) != 0) pieces.push_back(text.substr(from));
    std::vector<std::string> kept;
    for (std::string& piece : pieces) {
      if ((flags & 1) != 0) piece = Trim(piece);
      if ((flags & 4) != 0 && piece.empty()) continue;
      kept.push_back(std::move(piece));
    }
    if (kept.size() > kMaxElements) throw HostError{kErrorArguments, ""};
    if (kept.empty()) return Value::Int(0, 0);
    Array array;
    array.rows = static_cast<uint16_t>(kept.size());
    for (std::string& piece : kept) array.cells.push_back(Value::Text(std::move(piece)));
    host_.setArray(n, std::move(array));
    return Value::Int(static_cast<int32_t>(kept.size()), 0);
  }

  Value builtin(const std::string& upper, const std::vector<Arg>& args, bool* handled);

  ShellHost& host_;
  const std::string s_;
  size_t pos_ = 0;
};

// Argument checks of the host's own functions.
class Args {
 public:
  Args(const std::vector<Arg>& args, size_t least, size_t most) : args_(args) {
    if (args.size() < least || args.size() > most) throw HostError{kErrorArguments, ""};
    for (const Arg& a : args) {
      if (!a.byRef.empty()) throw HostError{kErrorArguments, ""};
    }
  }
  size_t size() const { return args_.size(); }
  const std::string& text(size_t i) const {
    if (args_[i].value.kind != Value::Kind::Char) throw HostError{kErrorArguments, ""};
    return args_[i].value.text;
  }
  double number(size_t i) const { return NumberOf(args_[i].value, kErrorArguments); }
  const Value& value(size_t i) const { return args_[i].value; }
  // A count or position: a whole number in range.
  long whole(size_t i, long least) const {
    double d = number(i);
    if (d < least || d > static_cast<double>(kMaxText) + 1) throw HostError{kErrorArguments, ""};
    return static_cast<long>(d);
  }

 private:
  const std::vector<Arg>& args_;
};

Value Parser::builtin(const std::string& upper, const std::vector<Arg>& list, bool* handled) {
  *handled = true;
  const LeadBytes& leads = host_.leadBytes();
  if (upper == "LEN") {
    Args a(list, 1, 1);
    return Value::Int(static_cast<int32_t>(a.text(0).size()), 0);
  }
  if (upper == "LOWER" || upper == "UPPER") {
    Args a(list, 1, 1);
    return Value::Text(UpperOrLower(leads, a.text(0), upper == "UPPER"));
  }
  if (upper == "LEFT" || upper == "RIGHT") {
    Args a(list, 2, 2);
    const std::string& text = a.text(0);
    double wanted = a.number(1);
    size_t n = wanted <= 0 ? 0 : wanted >= static_cast<double>(text.size()) ? text.size() : static_cast<size_t>(wanted);
    return Value::Text(upper == "LEFT" ? text.substr(0, n) : text.substr(text.size() - n));
  }
  if (upper == "SUBSTR") {
    Args a(list, 2, 3);
    const std::string& text = a.text(0);
    long start = a.whole(1, 1);
    if (static_cast<size_t>(start) > text.size()) return Value::Text("");
    size_t count = a.size() == 3 ? static_cast<size_t>(a.whole(2, 0)) : std::string::npos;
    return Value::Text(text.substr(static_cast<size_t>(start - 1), count));
  }
  if (upper == "CHR") {
    Args a(list, 1, 1);
    double code = a.number(0);
    if (code < 0 || code > 255) throw HostError{kErrorArguments, ""};
    return Value::Text(std::string(1, static_cast<char>(static_cast<int>(code))));
  }
  if (upper == "ASC") {
    Args a(list, 1, 1);
    const std::string& text = a.text(0);
    return Value::Int(text.empty() ? 0 : static_cast<unsigned char>(text[0]), 0);
  }
  if (upper == "ALLTRIM" || upper == "LTRIM" || upper == "RTRIM" || upper == "TRIM") {
    Args a(list, 1, 1);
    std::string text = a.text(0);
    if (upper != "LTRIM") {
      size_t e = text.find_last_not_of(' ');
      text.erase(e == std::string::npos ? 0 : e + 1);
    }
    if (upper == "LTRIM" || upper == "ALLTRIM") text.erase(0, std::min(text.size(), text.find_first_not_of(' ')));
    return Value::Text(text);
  }
  if (upper == "SPACE" || upper == "REPLICATE") {
    Args a(list, upper == "SPACE" ? 1 : 2, upper == "SPACE" ? 1 : 2);
    std::string unit = upper == "SPACE" ? " " : a.text(0);
    double times = a.number(upper == "SPACE" ? 0 : 1);
    if (times <= 0 || unit.empty()) return Value::Text("");
    if (times * static_cast<double>(unit.size()) > static_cast<double>(kMaxText)) throw HostError{kErrorTooLong, ""};
    std::string out;
    out.reserve(static_cast<size_t>(times) * unit.size());
    for (long i = 0; i < static_cast<long>(times); ++i) out += unit;
    return Value::Text(out);
  }
  if (upper == "AT" || upper == "OCCURS") {
    Args a(list, 2, upper == "AT" ? 3 : 2);
    std::vector<size_t> found = Occurrences(leads, a.text(0), a.text(1));
    if (upper == "OCCURS") return Value::Int(static_cast<int32_t>(found.size()), 0);
    size_t nth = a.size() == 3 ? static_cast<size_t>(a.whole(2, 1)) : 1;
    return Value::Int(nth <= found.size() ? static_cast<int32_t>(found[nth - 1] + 1) : 0, 0);
  }
  if (upper == "STUFF") {
    Args a(list, 4, 4);
    std::string text = a.text(0);
    size_t start = std::min(static_cast<size_t>(a.whole(1, 1)) - 1, text.size());
    size_t count = std::min(static_cast<size_t>(a.whole(2, 0)), text.size() - start);
    CheckLength(text.size() - count + a.text(3).size());
    return Value::Text(text.replace(start, count, a.text(3)));
  }
  if (upper == "STR") {
    Args a(list, 1, 3);
    double n = a.number(0);
    long width = a.size() >= 2 ? a.whole(1, 1) : 10;
    long decimals = a.size() == 3 ? std::min<long>(a.whole(2, 0), kMaxDecimals) : 0;
    std::string s = FixedText(n, static_cast<int>(decimals));
    // Decimals give way first; a whole part too wide gives asterisks.
    while (static_cast<long>(s.size()) > width && decimals > 0) {
      --decimals;
      s = FixedText(n, static_cast<int>(decimals));
    }
    if (static_cast<long>(s.size()) > width) s = std::string(static_cast<size_t>(width), '*');
    return Value::Text(std::string(static_cast<size_t>(width) - s.size(), ' ') + s);
  }
  if (upper == "VAL") {
    Args a(list, 1, 1);
    const std::string& text = a.text(0);
    size_t i = text.find_first_not_of(" \t");
    if (i == std::string::npos) i = text.size();
    size_t start = i;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) ++i;
    int decimals = 0;
    if (i < text.size() && text[i] == '.') {
      ++i;
      while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) ++i, ++decimals;
    }
    double n = std::strtod(text.substr(start, i - start).c_str(), nullptr);
    return Numeric(n, std::min(std::max(decimals, kDefaultDecimals), kMaxDecimals));
  }
  if (upper == "INT") {
    Args a(list, 1, 1);
    return Whole(std::trunc(a.number(0)));
  }
  if (upper == "ROUND") {
    Args a(list, 2, 2);
    double places = std::trunc(a.number(1));
    if (places < -15 || places > kMaxDecimals) throw HostError{kErrorArguments, ""};
    int d = static_cast<int>(places);
    double r = d >= 0 ? RoundHalfAway(a.number(0), d)
                      : RoundHalfAway(a.number(0) / std::pow(10.0, -d), 0) * std::pow(10.0, -d);
    if (a.value(0).kind == Value::Kind::Int && d >= 0) return a.value(0);
    return Numeric(r, std::max(d, 0));
  }
  if (upper == "ABS") {
    Args a(list, 1, 1);
    Value v = a.value(0);
    if (v.kind == Value::Kind::Int) return Whole(std::fabs(static_cast<double>(v.integer)));
    NumberOf(v, kErrorArguments);
    v.number = std::fabs(v.number);
    return v;
  }
  if (upper == "MOD") {
    Args a(list, 2, 2);
    double x = a.number(0), y = a.number(1);
    if (y == 0) throw HostError{kErrorDivideByZero, ""};
    double r = std::fmod(x, y);
    if (r != 0 && ((r < 0) != (y < 0))) r += y;
    if (a.value(0).kind == Value::Kind::Int && a.value(1).kind == Value::Kind::Int) return Whole(r);
    return Numeric(r, std::max(DecimalsOf(a.value(0)), DecimalsOf(a.value(1))));
  }
  if (upper == "MAX" || upper == "MIN") {
    Args a(list, 2, 64);
    size_t best = 0;
    for (size_t i = 1; i < a.size(); ++i) {
      const Value& x = a.value(i);
      const Value& b = a.value(best);
      bool better;
      if (x.kind == Value::Kind::Char && b.kind == Value::Kind::Char) {
        better = upper == "MAX" ? x.text.compare(b.text) > 0 : x.text.compare(b.text) < 0;
      } else if (x.kind == Value::Kind::Date && b.kind == Value::Kind::Date) {
        better = upper == "MAX" ? x.integer > b.integer : x.integer < b.integer;
      } else {
        better = upper == "MAX" ? a.number(i) > a.number(best) : a.number(i) < a.number(best);
      }
      if (better) best = i;
    }
    return a.value(best);
  }
  if (upper == "IIF") {
    Args a(list, 3, 3);
    if (a.value(0).kind != Value::Kind::Logical) throw HostError{kErrorArguments, ""};
    return a.value(0).logical ? a.value(1) : a.value(2);
  }
  if (upper == "EMPTY") {
    Args a(list, 1, 1);
    const Value& v = a.value(0);
    switch (v.kind) {
      case Value::Kind::Char: return Value::Bool(v.text.find_first_not_of(" \t\r\n") == std::string::npos);
      case Value::Kind::Logical: return Value::Bool(!v.logical);
      case Value::Kind::Date: return Value::Bool(false);
      default: return Value::Bool(NumberOf(v) == 0);
    }
  }
  if (upper == "VARTYPE") {
    Args a(list, 1, 2);
    return Value::Text(std::string(1, a.value(0).typeLetter()));
  }
  if (upper == "FILETOSTR") {
    Args a(list, 1, 1);
    const std::string& path = a.text(0);
    std::string data;
    bool tooLong = false;
    if (path.empty() || path.size() > kMaxPath || !host_.readFile(path, &data, &tooLong)) {
      if (tooLong) throw HostError{kErrorTooLong, ""};
      throw HostError{kErrorFileMissing, "File '" + path + "' does not exist."};
    }
    return Value::Text(data);
  }
  if (upper == "STRTOFILE") {
    Args a(list, 2, 3);
    bool append = false;
    if (a.size() == 3) append = a.value(2).kind == Value::Kind::Logical ? a.value(2).logical : a.number(2) == 1;
    const std::string& path = a.text(1);
    if (path.empty() || path.size() > kMaxPath || !host_.writeFile(path, a.text(0), append)) {
      throw HostError{kErrorCannotOpen, "Cannot open file " + path + "."};
    }
    return Value::Int(static_cast<int32_t>(a.text(0).size()), 0);
  }
  if (upper == "PADL" || upper == "PADR" || upper == "PADC") {
    Args a(list, 2, 3);
    std::string text = PlainText(a.value(0));
    size_t width = static_cast<size_t>(a.whole(1, 0));
    std::string unit = " ";
    if (a.size() == 3 && !a.text(2).empty()) unit = a.text(2).substr(0, CharLength(leads, a.text(2), 0));
    CheckLength(width);
    // A longer text keeps its start, never half a character.
    if (text.size() >= width) {
      size_t keep = WholeCharacters(leads, text, width);
      return Value::Text(text.substr(0, keep) + std::string(width - keep, ' '));
    }
    size_t gap = width - text.size();
    if (upper == "PADL") return Value::Text(Padding(unit, gap) + text);
    if (upper == "PADR") return Value::Text(text + Padding(unit, gap));
    return Value::Text(Padding(unit, gap / 2) + text + Padding(unit, gap - gap / 2));
  }
  if (upper == "STRTRAN") {
    // STRTRAN(text, search[, replacement[, first[, count[, flags]]]]):
    // occurrences from the first-th on, count of them (-1 or omitted: all);
    // flags 1: letter case ignored.
    Args a(list, 2, 6);
    const std::string& text = a.text(0);
    const std::string& search = a.text(1);
    std::string replacement = a.size() >= 3 ? a.text(2) : "";
    long first = a.size() >= 4 ? a.whole(3, 1) : 1;
    long count = -1;
    if (a.size() >= 5 && a.number(4) >= 0) count = a.whole(4, 0);
    long flags = a.size() >= 6 ? a.whole(5, 0) : 0;
    if (search.empty()) return Value::Text(text);
    const bool fold = (flags & 1) != 0;
    const std::string hay = fold ? UpperOrLower(leads, text, true) : text;
    const std::string needle = fold ? UpperOrLower(leads, search, true) : search;
    std::string out;
    long seen = 0, replaced = 0;
    size_t i = 0, copied = 0;
    while (i < text.size()) {
      if (hay.compare(i, needle.size(), needle) != 0) {
        i += CharLength(leads, text, i);
        continue;
      }
      ++seen;
      if (seen >= first && (count < 0 || replaced < count)) {
        out.append(text, copied, i - copied);
        out += replacement;
        CheckLength(out.size());
        ++replaced;
        i += needle.size();
        copied = i;
      } else {
        i += needle.size();
      }
    }
    out.append(text, copied, std::string::npos);
    CheckLength(out.size());
    return Value::Text(out);
  }
  if (upper == "TRANSFORM") {
    Args a(list, 1, 2);
    return Value::Text(Transform(leads, a.value(0), a.size() == 2 ? a.text(1) : ""));
  }
  if (upper == "INLIST") {
    Args a(list, 2, 255);
    for (size_t i = 1; i < a.size(); ++i) {
      if (compare(a.value(0), a.value(i), "=")) return Value::Bool(true);
    }
    return Value::Bool(false);
  }
  if (upper == "BETWEEN") {
    Args a(list, 3, 3);
    return Value::Bool(compare(a.value(0), a.value(1), ">=") && compare(a.value(0), a.value(2), "<="));
  }
  if (upper == "DATE") {
    Args a(list, 0, 3);
    if (a.size() == 0) {
      Now now = LocalNow();
      return Value::Day(DayNumber(now.year, now.month, now.day));
    }
    if (a.size() != 3) throw HostError{kErrorArguments, ""};
    double y = a.number(0), m = a.number(1), d = a.number(2);
    if (!(y >= 1 && y <= 9999 && m >= 1 && m <= 12 && d >= 1 && d <= 31)) throw HostError{kErrorArguments, ""};
    int year = static_cast<int>(y), month = static_cast<int>(m), day = static_cast<int>(d);
    if (!ValidDate(year, month, day)) throw HostError{kErrorArguments, ""};
    return Value::Day(DayNumber(year, month, day));
  }
  if (upper == "TIME") {
    Args a(list, 0, 1);
    Now now = LocalNow();
    char buffer[32];
    if (a.size() == 1) {
      a.number(0);
      std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d.%02d", now.hour, now.minute, now.second, now.hundredths);
    } else {
      std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d", now.hour, now.minute, now.second);
    }
    return Value::Text(buffer);
  }
  if (upper == "DTOC" || upper == "DTOS" || upper == "YEAR" || upper == "MONTH" || upper == "DAY") {
    Args a(list, 1, upper == "DTOC" ? 2 : 1);
    if (a.value(0).kind != Value::Kind::Date) throw HostError{kErrorArguments, ""};
    int y = 0, m = 0, d = 0;
    CivilDate(a.value(0).integer, &y, &m, &d);
    if (upper == "YEAR") return Value::Int(y, 0);
    if (upper == "MONTH") return Value::Int(m, 0);
    if (upper == "DAY") return Value::Int(d, 0);
    if (upper == "DTOC" && a.size() == 1) return Value::Text(DateText(a.value(0).integer));
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%04d%02d%02d", y, m, d);
    return Value::Text(buffer);
  }
  *handled = false;
  return {};
}

// Splits "target = expr" at the first '=' outside literals and brackets;
// the target must be a name, _screen.tag, or an element name[..] / name(..).
bool SplitAssignment(const LeadBytes& leads, const std::string& line, std::string* target, std::string* expression) {
  int depth = 0;
  for (size_t i = 0; i < line.size(); i += CharLength(leads, line, i)) {
    char c = line[i];
    if (OpensLiteral(line, i)) {
      size_t end = LiteralEnd(leads, line, i);
      if (end == std::string::npos) return false;
      i = end;
      continue;
    }
    if (c == '(' || c == '[') {
      ++depth;
    } else if (c == ')' || c == ']') {
      --depth;
    } else if (c == '=' && depth == 0) {
      if (i + 1 < line.size() && line[i + 1] == '=') return false;
      if (i > 0 && OneOf(line[i - 1], "<>!#")) return false;
      std::string left = Trim(line.substr(0, i));
      if (left.empty() || !IsNameStart(left[0])) return false;
      size_t n = 0;
      while (n < left.size() && (IsNameChar(left[n]) || left[n] == '.')) ++n;
      if (n < left.size() && left[n] != '[' && left[n] != '(') return false;
      if (n < left.size() && left.back() != ']' && left.back() != ')') return false;
      *target = left;
      *expression = line.substr(i + 1);
      return true;
    } else if (depth == 0 && OneOf(c, "+-*/%^<>$#!")) {
      return false;
    }
  }
  return false;
}

// The first word of a command, upper case, and what follows it.
std::string Verb(const std::string& line, std::string* rest) {
  size_t n = 0;
  while (n < line.size() && IsNameChar(line[n])) ++n;
  *rest = Trim(line.substr(n));
  return UpperCase(line.substr(0, n));
}

// A command word may be shortened to its first four letters.
bool IsVerb(const std::string& word, const char* full) {
  size_t n = word.size();
  return n >= 4 && n <= std::strlen(full) && std::string(full).compare(0, n, word) == 0;
}

std::vector<std::string> SplitNames(const std::string& list) {
  std::vector<std::string> names;
  int depth = 0;
  std::string current;
  for (char c : list) {
    if (c == '(' || c == '[') ++depth;
    if (c == ')' || c == ']') --depth;
    if (c == ',' && depth == 0) {
      names.push_back(Trim(current));
      current.clear();
    } else {
      current += c;
    }
  }
  if (!Trim(current).empty() || !names.empty()) names.push_back(Trim(current));
  return names;
}

std::string Unquoted(const std::string& text) {
  if (text.size() >= 2 && (text[0] == '"' || text[0] == '\'') && text.back() == text[0]) {
    return text.substr(1, text.size() - 2);
  }
  return text;
}

// The words of structured commands.
enum class Word { None, If, Else, EndIf, DoCase, Case, Otherwise, EndCase, For, EndFor, DoWhile, EndDo, Exit, Loop };

// Which structured command a line is, and what follows its words.
Word Classify(const std::string& text, std::string* rest) {
  std::string after;
  std::string verb = Verb(text, &after);
  *rest = after;
  // "exit = 1" assigns to a variable that happens to be called so.
  if (!after.empty() && (after[0] == '=' || after[0] == '[') && after.compare(0, 2, "==") != 0) return Word::None;
  if (verb == "IF") return Word::If;
  if (verb == "ELSE" && after.empty()) return Word::Else;
  if (IsVerb(verb, "ENDIF")) return Word::EndIf;
  if (verb == "DO") {
    std::string tail;
    std::string what = Verb(after, &tail);
    if (what == "CASE" && tail.empty()) return Word::DoCase;
    if (IsVerb(what, "WHILE")) {
      *rest = tail;
      return Word::DoWhile;
    }
    return Word::None;
  }
  if (verb == "CASE") return Word::Case;
  if (IsVerb(verb, "OTHERWISE")) return Word::Otherwise;
  if (IsVerb(verb, "ENDCASE")) return Word::EndCase;
  if (verb == "FOR") return Word::For;
  if (IsVerb(verb, "ENDFOR") || verb == "NEXT") return Word::EndFor;
  if (IsVerb(verb, "ENDDO")) return Word::EndDo;
  if (verb == "EXIT" && after.empty()) return Word::Exit;
  if (verb == "LOOP" && after.empty()) return Word::Loop;
  return Word::None;
}

bool Opens(Word w) { return w == Word::If || w == Word::DoCase || w == Word::For || w == Word::DoWhile; }
bool Closes(Word w) { return w == Word::EndIf || w == Word::EndCase || w == Word::EndFor || w == Word::EndDo; }

const char* WordName(Word w) {
  switch (w) {
    case Word::If: return "IF";
    case Word::Else: return "ELSE";
    case Word::EndIf: return "ENDIF";
    case Word::DoCase: return "DO CASE";
    case Word::Case: return "CASE";
    case Word::Otherwise: return "OTHERWISE";
    case Word::EndCase: return "ENDCASE";
    case Word::For: return "FOR";
    case Word::EndFor: return "ENDFOR";
    case Word::DoWhile: return "DO WHILE";
    case Word::EndDo: return "ENDDO";
    case Word::Exit: return "EXIT";
    case Word::Loop: return "LOOP";
    default: return "";
  }
}

// The word that ends a structure.
const char* EndOf(Word w) {
  switch (w) {
    case Word::If: return "ENDIF";
    case Word::DoCase: return "ENDCASE";
    case Word::For: return "ENDFOR";
    default: return "ENDDO";
  }
}

// Where `word` (upper case) stands as a whole word outside text literals
// and brackets, from `from` on; npos when nowhere.
size_t FindWord(const LeadBytes& leads, const std::string& s, const char* word, size_t from) {
  int depth = 0;
  for (size_t i = from; i < s.size(); i += CharLength(leads, s, i)) {
    char c = s[i];
    if (OpensLiteral(s, i)) {
      size_t end = LiteralEnd(leads, s, i);
      if (end == std::string::npos) return std::string::npos;
      i = end;
      continue;
    }
    if (c == '(' || c == '[') ++depth;
    if (c == ')' || c == ']') --depth;
    if (depth != 0) continue;
    if (IsNameStart(word[0]) ? (i == 0 || !IsNameChar(s[i - 1])) && WordAt(s, i, word)
                             : s.compare(i, std::strlen(word), word) == 0) {
      return i;
    }
  }
  return std::string::npos;
}

// A compile-time failure of a structured command, at one of its lines.
struct BlockError {
  Statement at;
  HostError error;
};

BlockError Misplaced(const Statement& at, Word w) {
  return BlockError{at, HostError{kErrorNesting, std::string("Nesting error: ") + WordName(w) + " is out of place."}};
}

}  // namespace

// One command of a program, or a structured command with what it holds.
struct Block {
  enum class Kind { Command, If, Case, For, While, Exit, Loop };
  Kind kind = Kind::Command;
  Statement at;                               // the command, or the line that opens the structure
  std::string expression;                     // IF and DO WHILE: the condition
  std::vector<std::unique_ptr<Block>> body;   // IF: when true; loops: the body
  std::vector<std::unique_ptr<Block>> other;  // IF: ELSE; DO CASE: OTHERWISE
  // DO CASE: each CASE line (its condition in `text`) with its commands.
  std::vector<std::pair<Statement, std::vector<std::unique_ptr<Block>>>> cases;
  // FOR counter = from TO to [STEP by]
  std::string counter, from, to, by;
};

namespace {

using Body = std::vector<std::unique_ptr<Block>>;

// Parses the lines of one structured command into blocks.
class BlockParser {
 public:
  BlockParser(const LeadBytes& leads, const std::vector<Statement>& lines) : leads_(leads), lines_(lines) {}

  std::unique_ptr<Block> whole() {
    std::unique_ptr<Block> block = one(0);
    if (i_ < lines_.size()) {
      std::string rest;
      throw Misplaced(lines_[i_], Classify(lines_[i_].text, &rest));
    }
    return block;
  }

 private:
  // Blocks up to (not including) a line with one of the `until` words.
  Body body(int loops, std::initializer_list<Word> until, const Statement& opener, Word opened) {
    Body blocks;
    for (;;) {
      if (i_ >= lines_.size()) {
        throw BlockError{opener, HostError{kErrorNesting, std::string("Nesting error: ") + WordName(opened) +
                                                              " has no " + EndOf(opened) + "."}};
      }
      std::string rest;
      Word w = Classify(lines_[i_].text, &rest);
      for (Word u : until) {
        if (w == u) return blocks;
      }
      blocks.push_back(one(loops));
    }
  }

  std::unique_ptr<Block> one(int loops) {
    const Statement& at = lines_[i_];
    std::string rest;
    Word w = Classify(at.text, &rest);
    auto block = std::make_unique<Block>();
    block->at = at;
    ++i_;
    switch (w) {
      case Word::None: block->kind = Block::Kind::Command; return block;
      case Word::Exit:
      case Word::Loop:
        if (loops == 0) throw Misplaced(at, w);
        block->kind = w == Word::Exit ? Block::Kind::Exit : Block::Kind::Loop;
        return block;
      case Word::If: {
        block->kind = Block::Kind::If;
        block->expression = rest;
        if (Trim(rest).empty()) throw BlockError{at, HostError{kErrorSyntax, ""}};
        block->body = body(loops, {Word::Else, Word::EndIf}, at, w);
        std::string ignored;
        if (Classify(lines_[i_].text, &ignored) == Word::Else) {
          ++i_;
          block->other = body(loops, {Word::EndIf}, at, w);
        }
        ++i_;  // ENDIF
        return block;
      }
      case Word::DoCase: {
        block->kind = Block::Kind::Case;
        // Lines before the first CASE never run.
        body(loops, {Word::Case, Word::Otherwise, Word::EndCase}, at, w);
        for (;;) {
          const Statement& line = lines_[i_];
          std::string condition;
          Word next = Classify(line.text, &condition);
          ++i_;
          if (next == Word::EndCase) return block;
          if (next == Word::Otherwise) {
            block->other = body(loops, {Word::EndCase}, at, w);
            continue;
          }
          if (!block->other.empty()) throw Misplaced(line, next);
          if (Trim(condition).empty()) throw BlockError{line, HostError{kErrorSyntax, ""}};
          Statement c = line;
          c.text = condition;
          block->cases.emplace_back(c, body(loops, {Word::Case, Word::Otherwise, Word::EndCase}, at, w));
        }
      }
      case Word::DoWhile:
        block->kind = Block::Kind::While;
        block->expression = rest;
        if (Trim(rest).empty()) throw BlockError{at, HostError{kErrorSyntax, ""}};
        block->body = body(loops + 1, {Word::EndDo}, at, w);
        ++i_;
        return block;
      case Word::For: {
        block->kind = Block::Kind::For;
        size_t equals = FindWord(leads_, rest, "=", 0);
        size_t to = equals == std::string::npos ? equals : FindWord(leads_, rest, "TO", equals + 1);
        if (to == std::string::npos) throw BlockError{at, HostError{kErrorSyntax, ""}};
        size_t by = FindWord(leads_, rest, "STEP", to + 2);
        block->counter = Trim(rest.substr(0, equals));
        block->from = rest.substr(equals + 1, to - equals - 1);
        block->to = rest.substr(to + 2, by == std::string::npos ? std::string::npos : by - to - 2);
        block->by = by == std::string::npos ? "1" : rest.substr(by + 4);
        if (block->counter.empty() || Trim(block->from).empty() || Trim(block->to).empty() || Trim(block->by).empty()) {
          throw BlockError{at, HostError{kErrorSyntax, ""}};
        }
        block->body = body(loops + 1, {Word::EndFor}, at, w);
        ++i_;
        return block;
      }
      default: throw Misplaced(at, w);
    }
  }

  const LeadBytes& leads_;
  const std::vector<Statement>& lines_;
  size_t i_ = 0;
};

}  // namespace

bool ShellHost::readFile(const std::string& path, std::string* data, bool* tooLong) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  char buffer[65536];
  size_t n = 0;
  bool ok = true;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) {
    if (data->size() + n > kMaxText) {
      *tooLong = true;
      ok = false;
      break;
    }
    data->append(buffer, n);
  }
  if (std::ferror(f)) ok = false;
  std::fclose(f);
  return ok;
}

bool ShellHost::fileExists(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  std::fclose(f);
  return true;
}

bool ShellHost::writeFile(const std::string& path, const std::string& data, bool append) {
  std::FILE* f = std::fopen(path.c_str(), append ? "ab" : "wb");
  if (!f) return false;
  size_t written = std::fwrite(data.data(), 1, data.size(), f);
  bool closed = std::fclose(f) == 0;
  return written == data.size() && closed;
}

std::string HostErrorMessage(int number) {
  switch (number) {
    case 1: return "File does not exist.";
    case 9: return "Data type mismatch.";
    case 10: return "Syntax error.";
    case 11: return "Function argument value, type, or count is invalid.";
    case 12: return "Variable is not found.";
    case 16: return "Unrecognized command verb.";
    case 31: return "Invalid subscript reference.";
    case 36: return "Command contains unrecognized phrase/keyword.";
    case 39: return "Numeric overflow. Data was lost.";
    case 96: return "Nesting error.";
    case 43: return "There is not enough memory to complete this operation.";
    case 101: return "Cannot open file.";
    case 107: return "Operator/operand type mismatch.";
    case 182: return "There is not enough memory to complete this operation.";
    case 232: return "Variable is not an array.";
    case 1307: return "Division by 0.";
    case 1753: return "File is not a valid library.";
    case 1903: return "String is too long to fit.";
    default: return "Error " + std::to_string(number) + ".";
  }
}

std::string HostErrorMessage(const HostError& error) {
  return error.message.empty() ? HostErrorMessage(error.number) : error.message;
}

Value Interpreter::evaluate(const std::string& expression) {
  Parser p(host_, expression);
  Value v = p.expression();
  p.expectEnd();
  return v;
}

Interpreter::Interpreter(ShellHost& host) : host_(host) { sources_.push_back(Source{}); }

Interpreter::~Interpreter() = default;

void Interpreter::run(const std::string& line) {
  try {
    execute(expandMacros(line));
  } catch (const HostError& e) {
    report(e);
  }
}

std::string HostErrorLine(const HostError& error) {
  std::string message = HostErrorMessage(error);
  return error.number > 0 ? "Error " + std::to_string(error.number) + ": " + message : message;
}

void Interpreter::report(const HostError& error) {
  ++errors_;
  std::string text = HostErrorLine(error);
  if (!running_.file.empty()) text = running_.file + "(" + std::to_string(running_.line) + "): " + text;
  if (!openLine_.empty()) emitLine("");
  emitLine(text);
  // A program stops at its first error; typed input goes on.
  if (stopOnError_ && !sources_.front().name.empty()) stopped_ = true;
}

static std::string FolderOf(const std::string& path) {
  size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? "" : path.substr(0, slash + 1);
}

void Interpreter::beginScript(const std::string& name, const std::string& path) {
  finish();
  sources_.assign(1, Source{name, FolderOf(path), 0});
  defines_.clear();
  stopped_ = false;
  quit_ = false;
}

void Interpreter::finish() {
  if (!openLine_.empty()) emitLine("");
  pending_.clear();
  continued_ = false;
  if (!open_.empty()) {
    // A structured command never ended: nothing of it runs.
    std::vector<Statement> lines = std::move(open_);
    open_.clear();
    depth_ = 0;
    try {
      BlockParser(host_.leadBytes(), lines).whole();
    } catch (const BlockError& e) {
      running_ = e.at;
      report(e.error);
    }
  }
}

bool Interpreter::feed(const std::string& raw) {
  if (stopped_ || quit_) return false;
  Source& source = sources_.back();
  ++source.lineNumber;
  std::string line = raw;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  if (!continued_) commandLine_ = source.lineNumber;
  std::string trimmed = Trim(line);
  // A comment line ends here, even one that ends in ';'.
  if (!continued_ && (trimmed.rfind('*', 0) == 0 || WordAt(trimmed, 0, "NOTE"))) return true;
  std::string code = Trim(StripComment(host_.leadBytes(), line));
  if (!code.empty() && code.back() == ';') {
    pending_ += code.substr(0, code.size() - 1) + " ";
    continued_ = true;
    return true;
  }
  std::string command = Trim(pending_ + code);
  pending_.clear();
  continued_ = false;
  if (command.empty()) return true;
  if (open_.empty() && UpperCase(command) == "QUIT") return false;
  accept(Statement{command, source.name, commandLine_});
  return !stopped_ && !quit_;
}

// A whole command: a directive acts at once (as the host's compiler
// would), a structured command is kept until its end, anything else runs.
void Interpreter::accept(const Statement& statement) {
  if (statement.text[0] == '#') {
    directive(statement);
    return;
  }
  Statement s = statement;
  s.text = substituteDefines(statement.text);
  std::string rest;
  Word w = Classify(s.text, &rest);
  if (open_.empty() && !Opens(w)) {
    runStatement(s);
    return;
  }
  open_.push_back(s);
  if (Opens(w)) ++depth_;
  if (Closes(w)) --depth_;
  if (depth_ > kMaxNesting) {
    open_.clear();
    depth_ = 0;
    running_ = s;
    report(HostError{kErrorNesting, "Nesting error: structures nested too deeply."});
    return;
  }
  if (depth_ > 0) return;
  std::vector<Statement> lines = std::move(open_);
  open_.clear();
  depth_ = 0;
  runBlock(lines);
}

void Interpreter::directive(const Statement& statement) {
  running_ = statement;
  try {
    std::string rest;
    std::string word = Verb(statement.text.substr(1), &rest);
    if (IsVerb(word, "DEFINE") || IsVerb(word, "UNDEF")) {
      Parser p(host_, rest);
      std::string name = p.name();
      std::string value = Trim(rest.substr(rest.find(name) + name.size()));
      if (name.find('.') != std::string::npos) throw HostError{kErrorSyntax, ""};
      if (IsVerb(word, "UNDEF")) {
        defines_.erase(UpperCase(name));
      } else {
        defines_[UpperCase(name)] = substituteDefines(value);
      }
      return;
    }
    if (IsVerb(word, "INCLUDE")) {
      include(Unquoted(Trim(rest)), statement);
      return;
    }
    throw HostError{kErrorUnknownVerb, ""};
  } catch (const HostError& e) {
    report(e);
  }
}

// #INCLUDE name: a relative name is looked for beside the including file
// (a script's folder; none for typed input), in the current folder, then
// beside the shell. Its lines are fed as if they stood in its place.
void Interpreter::include(const std::string& name, const Statement& at) {
  if (name.empty()) throw HostError{kErrorSyntax, ""};
  if (name.size() > kMaxPath) throw HostError{kErrorFileMissing, "File '" + name + "' does not exist."};
  if (sources_.size() > kMaxIncludes) throw HostError{kErrorNesting, "Nesting error: files included too deeply."};
  std::vector<std::string> candidates;
  const bool absolute = name[0] == '\\' || name[0] == '/' || (name.size() > 1 && name[1] == ':');
  if (absolute) {
    candidates.push_back(name);
  } else {
    if (!sources_.back().name.empty() && !sources_.back().folder.empty()) {
      candidates.push_back(sources_.back().folder + name);
    }
    candidates.push_back(name);
    if (!host_.programFolder().empty()) candidates.push_back(host_.programFolder() + name);
  }
  std::string data, path;
  for (const std::string& candidate : candidates) {
    bool tooLong = false;
    data.clear();
    if (candidate.size() <= kMaxPath && host_.readFile(candidate, &data, &tooLong)) {
      path = candidate;
      break;
    }
    if (tooLong) throw HostError{kErrorTooLong, ""};
  }
  if (path.empty()) throw HostError{kErrorFileMissing, "File '" + name + "' does not exist."};
  if (data.compare(0, 3, "\xEF\xBB\xBF") == 0) data.erase(0, 3);
  if (sourceText) data = sourceText(data);
  // The including line's state comes back afterwards.
  const int line = commandLine_;
  sources_.push_back(Source{path.substr(FolderOf(path).size()), FolderOf(path), 0});
  size_t start = 0;
  while (start < data.size()) {
    size_t end = data.find('\n', start);
    std::string text = data.substr(start, end == std::string::npos ? std::string::npos : end - start);
    start = end == std::string::npos ? data.size() : end + 1;
    if (!feed(text)) break;
  }
  pending_.clear();
  continued_ = false;
  sources_.pop_back();
  commandLine_ = line;
  running_ = at;
}

// #DEFINE names are replaced, as whole names outside texts, regardless of
// letter case; a name after a '.' (an object's member) or a '&' (a macro)
// stays.
std::string Interpreter::substituteDefines(const std::string& text) const {
  if (defines_.empty()) return text;
  const LeadBytes& leads = host_.leadBytes();
  std::string out;
  bool afterName = false;  // the character before is part of a name
  for (size_t i = 0; i < text.size();) {
    char c = text[i];
    size_t n = CharLength(leads, text, i);
    if (n == 1 && OpensLiteral(text, i)) {
      i = CopyLiteral(leads, text, i, &out);
      afterName = false;
      continue;
    }
    if (n == 1 && IsNameStart(c) && !afterName) {
      size_t e = i;
      while (e < text.size() && IsNameChar(text[e])) ++e;
      std::string name = text.substr(i, e - i);
      bool member =
          i > 0 && (text[i - 1] == '&' || (text[i - 1] == '.' && !(i >= 2 && IsNameChar(text[i - 2]) && [&] {
                                             // .AND.NAME: the dot closes an operator.
                                             std::string before = UpperCase(text.substr(0, i));
                                             for (const char* op : {".AND.", ".OR.", ".NOT."}) {
                                               size_t k = std::strlen(op);
                                               if (before.size() >= k && before.compare(before.size() - k, k, op) == 0)
                                                 return true;
                                             }
                                             return false;
                                           }())));
      auto found = member ? defines_.end() : defines_.find(UpperCase(name));
      out += found == defines_.end() ? name : found->second;
      CheckLength(out.size());
      i = e;
      afterName = true;
      continue;
    }
    out.append(text, i, n);
    afterName = n > 1 || IsNameChar(c);
    i += n;
  }
  return out;
}

// &name (or &name. when text follows) is replaced by the text the variable
// holds, outside text literals.
std::string Interpreter::expandMacros(const std::string& text) {
  const LeadBytes& leads = host_.leadBytes();
  if (text.find('&') == std::string::npos) return text;
  std::string out;
  for (size_t i = 0; i < text.size();) {
    char c = text[i];
    size_t n = CharLength(leads, text, i);
    if (n == 1 && OpensLiteral(text, i)) {
      i = CopyLiteral(leads, text, i, &out);
      continue;
    }
    if (c == '&' && i + 1 < text.size() && IsNameStart(text[i + 1])) {
      size_t e = i + 1;
      while (e < text.size() && IsNameChar(text[e])) ++e;
      std::string name = text.substr(i + 1, e - i - 1);
      Variable* v = host_.variable(name);
      if (!v || v->isArray) throw HostError{kErrorNoVariable, Parser::VariableMissing(name)};
      if (v->scalar.kind != Value::Kind::Char) throw HostError{kErrorDataType, ""};
      out += v->scalar.text;
      CheckLength(out.size());
      if (e < text.size() && text[e] == '.') ++e;
      i = e;
      continue;
    }
    out.append(text, i, n);
    i += n;
  }
  return out;
}

void Interpreter::runStatement(const Statement& statement) {
  running_ = statement;
  try {
    std::string rest;
    Word w = Classify(statement.text, &rest);
    if (w != Word::None) throw Misplaced(statement, w).error;
    execute(expandMacros(statement.text));
  } catch (const HostError& e) {
    report(e);
  }
}

// How a body of commands ended.
enum class Flow { Next, Exit, Loop, Stop };

void Interpreter::runBlock(const std::vector<Statement>& lines) {
  std::unique_ptr<Block> block;
  try {
    block = BlockParser(host_.leadBytes(), lines).whole();
  } catch (const BlockError& e) {
    running_ = e.at;
    report(e.error);
    return;
  }
  steps_ = 0;
  Body program;
  program.push_back(std::move(block));
  try {
    runBody(program);
  } catch (const HostError& e) {
    // An error ends the structured command, as it ends the host's program.
    report(e);
  }
}

void Interpreter::step() {
  if (stepLimit_ > 0 && ++steps_ > stepLimit_) {
    throw HostError{0, "The program was interrupted after " + std::to_string(stepLimit_) + " steps."};
  }
}

bool Interpreter::condition(const std::string& expression) {
  Value v = evaluate(expandMacros(expression));
  if (v.kind != Value::Kind::Logical) throw HostError{kErrorDataType, ""};
  return v.logical;
}

int Interpreter::runBody(const Body& body) {
  for (const std::unique_ptr<Block>& b : body) {
    step();
    running_ = b->at;
    switch (b->kind) {
      case Block::Kind::Command: execute(expandMacros(b->at.text)); break;
      case Block::Kind::Exit: return static_cast<int>(Flow::Exit);
      case Block::Kind::Loop: return static_cast<int>(Flow::Loop);
      case Block::Kind::If: {
        int flow = runBody(condition(b->expression) ? b->body : b->other);
        if (flow != static_cast<int>(Flow::Next)) return flow;
        break;
      }
      case Block::Kind::Case: {
        const Body* chosen = &b->other;
        for (const auto& c : b->cases) {
          running_ = c.first;
          if (condition(c.first.text)) {
            chosen = &c.second;
            break;
          }
        }
        int flow = runBody(*chosen);
        if (flow != static_cast<int>(Flow::Next)) return flow;
        break;
      }
      case Block::Kind::While:
        for (;;) {
          running_ = b->at;
          if (!condition(b->expression)) break;
          int flow = runBody(b->body);
          if (flow == static_cast<int>(Flow::Exit)) break;
          if (flow == static_cast<int>(Flow::Stop)) return flow;
          step();
        }
        break;
      case Block::Kind::For: {
        // The limits are worked out once; the counter is read each turn, so
        // the body may move it.
        Value to = evaluate(expandMacros(b->to));
        Value by = evaluate(expandMacros(b->by));
        Value from = evaluate(expandMacros(b->from));
        NumberOf(to, kErrorDataType);
        NumberOf(from, kErrorDataType);
        const bool down = NumberOf(by, kErrorDataType) < 0;
        assign(b->counter, from);
        for (;;) {
          running_ = b->at;
          Value counter = evaluate(b->counter);
          double now = NumberOf(counter, kErrorDataType);
          if (down ? now < NumberOf(to) : now > NumberOf(to)) break;
          int flow = runBody(b->body);
          if (flow == static_cast<int>(Flow::Exit)) break;
          if (flow == static_cast<int>(Flow::Stop)) return flow;
          running_ = b->at;
          assign(b->counter, AddNumbers(evaluate(b->counter), by));
          step();
        }
        break;
      }
    }
    if (stopped_ || quit_) return static_cast<int>(Flow::Stop);
  }
  return static_cast<int>(Flow::Next);
}

void Interpreter::emitLine(const std::string& text) {
  if (openShown_) {
    if (!host_.printInline(text + "\n")) host_.printLine(text);
  } else {
    host_.printLine(openLine_ + text);
  }
  openLine_.clear();
  openShown_ = false;
}

void Interpreter::printValues(const std::string& list, bool sameLine) {
  std::string out;
  if (!Trim(list).empty()) {
    Parser p(host_, list);
    out = p.expression().display();
    while (p.comma()) out += " " + p.expression().display();
    p.expectEnd();
  }
  if (!sameLine) {
    if (!openLine_.empty()) emitLine("");
    emitLine(out);
    return;
  }
  if (out.empty()) return;
  bool shown = host_.printInline(out);
  // Whatever was shown stays shown: the rest of the line follows it.
  if (openLine_.empty()) openShown_ = shown;
  openLine_ += out;
}

void Interpreter::execute(const std::string& raw) {
  const LeadBytes& leads = host_.leadBytes();
  std::string line = Trim(StripComment(leads, raw));
  if (line.empty() || line[0] == '*' || WordAt(line, 0, "NOTE")) return;

  if (line[0] == '?') {
    bool sameLine = line.size() > 1 && line[1] == '?';
    printValues(line.substr(sameLine ? 2 : 1), sameLine);
    return;
  }
  if (line[0] == '=') {
    evaluate(line.substr(1));
    return;
  }

  std::string rest;
  std::string verb = Verb(line, &rest);
  std::string upperRest = UpperCase(rest);
  size_t afterName = 0;
  while (afterName < line.size() && (IsNameChar(line[afterName]) || line[afterName] == '.')) ++afterName;
  const bool call = afterName < line.size() && Trim(line.substr(afterName)).rfind('(', 0) == 0;

  if (verb == "SET" && (upperRest.rfind("LIBRARY", 0) == 0 || upperRest.rfind("LIBR", 0) == 0)) {
    std::string tail;
    Verb(rest, &tail);
    std::string upperTail = UpperCase(tail);
    if (upperTail != "TO" && upperTail.rfind("TO ", 0) != 0) throw HostError{kErrorKeyword, ""};
    setLibrary(Trim(tail.substr(2)));
    return;
  }
  if (verb == "SET") throw HostError{kErrorKeyword, ""};  // no other settings here
  if ((verb == "DISPLAY" || verb == "LIST" || IsVerb(verb, "DISPLAY")) &&
      (upperRest == "MEMORY" || upperRest == "MEMO")) {
    displayMemory();
    return;
  }
  if ((verb == "DISPLAY" || verb == "LIST" || IsVerb(verb, "DISPLAY")) &&
      (upperRest == "STATUS" || upperRest == "STAT")) {
    displayStatus();
    return;
  }
  if (verb == "HELP" && !call) {
    help(rest);
    return;
  }
  if (verb == "QUIT" && rest.empty()) {
    quit_ = true;
    return;
  }
  if (IsVerb(verb, "RELEASE") && !call) {
    std::string tail;
    std::string what = Verb(rest, &tail);
    if (what == "LIBRARY" || what == "LIBR") {
      releaseLibrary(tail);
      return;
    }
    if (what == "ALL" && tail.empty()) {
      for (const Variable* v : host_.variables()) host_.removeVariable(v->name);
      return;
    }
    for (const std::string& n : SplitNames(rest)) {
      if (n.empty()) throw HostError{kErrorSyntax, ""};
      host_.removeVariable(n);
    }
    return;
  }
  if ((IsVerb(verb, "DIMENSION") || IsVerb(verb, "DECLARE")) && !call) {
    for (const std::string& one : SplitNames(rest)) {
      Parser p(host_, one);
      std::string n = p.name();
      char open = p.open();
      std::vector<Arg> dims = p.arguments(open == '[' ? ']' : ')');
      p.expectEnd();
      if (dims.empty() || dims.size() > 2) throw HostError{kErrorSyntax, ""};
      long sizes[2] = {0, 0};
      for (size_t i = 0; i < dims.size(); ++i) {
        if (!dims[i].byRef.empty() || !IsNumber(dims[i].value)) throw HostError{kErrorSubscript, ""};
        double d = NumberOf(dims[i].value);
        if (d < 1 || d > static_cast<double>(kMaxElements)) throw HostError{kErrorSubscript, ""};
        sizes[i] = static_cast<long>(d);
      }
      Array a;
      a.rows = static_cast<uint16_t>(sizes[0]);
      a.columns = static_cast<uint16_t>(sizes[1]);
      if (a.rows * a.width() > kMaxElements) throw HostError{kErrorSubscript, ""};
      a.cells.assign(a.rows * a.width(), Value::Bool(false));
      // A resized array keeps its elements in order.
      Variable* old = host_.variable(n);
      if (old && old->isArray) {
        std::copy_n(old->array.cells.begin(), std::min(old->array.cells.size(), a.cells.size()), a.cells.begin());
      }
      host_.setArray(n, std::move(a));
    }
    return;
  }
  if ((verb == "PUBLIC" || verb == "LOCAL" || IsVerb(verb, "PRIVATE")) && !call) {
    for (const std::string& one : SplitNames(rest)) {
      if (one.find_first_of("[(") != std::string::npos) {
        execute("DIMENSION " + one);
        continue;
      }
      Parser p(host_, one);
      std::string n = p.name();
      p.expectEnd();
      if (verb == "PRIVATE" || !host_.variable(n)) host_.setVariable(n, Value::Bool(false));
    }
    return;
  }
  if (verb == "STORE" && !call) {
    size_t to = std::string::npos;
    for (size_t i = 0; i + 4 <= upperRest.size(); ++i) {
      if ((i == 0 || upperRest[i - 1] == ' ') && WordAt(upperRest, i, "TO")) to = i;
    }
    if (to == std::string::npos) throw HostError{kErrorSyntax, ""};
    Value v = evaluate(rest.substr(0, to));
    for (const std::string& n : SplitNames(rest.substr(to + 2))) {
      if (n.empty()) throw HostError{kErrorSyntax, ""};
      assign(n, v);
    }
    return;
  }
  if ((verb == "CLEAR" || IsVerb(verb, "CLEAR")) && rest.empty()) return;

  std::string target, expression;
  if (SplitAssignment(leads, line, &target, &expression)) {
    assign(target, evaluate(expression));
    return;
  }
  if (call) {
    evaluate(line);
    return;
  }
  throw HostError{kErrorUnknownVerb, ""};
}

void Interpreter::assign(const std::string& target, const Value& value) {
  if (UpperCase(target) == "_SCREEN.TAG") {
    host_.screenTagValue() = value;
    return;
  }
  size_t open = target.find_first_of("[(");
  std::string name = Trim(target.substr(0, open));
  Parser check(host_, name);
  check.name();
  check.expectEnd();
  Variable* var = host_.variable(name);
  if (open == std::string::npos) {
    if (var && var->isArray) {
      std::fill(var->array.cells.begin(), var->array.cells.end(), value);
    } else {
      host_.setVariable(name, value);
    }
    return;
  }
  if (!var || !var->isArray) throw HostError{kErrorNoVariable, Parser::VariableMissing(name)};
  Parser p(host_, target.substr(open + 1));
  std::vector<Arg> subscripts = p.arguments(target[open] == '[' ? ']' : ')');
  p.expectEnd();
  *Parser::Element(*var, subscripts) = value;
}

// The file name of a path, upper case, without its extension.
static std::string LibraryStem(const std::string& path) {
  std::string name = path.substr(path.find_last_of("\\/:") == std::string::npos ? 0 : path.find_last_of("\\/:") + 1);
  size_t dot = name.find_last_of('.');
  return UpperCase(dot == std::string::npos ? name : name.substr(0, dot));
}

void Interpreter::setLibrary(const std::string& rest) {
  std::string path = Trim(rest);
  // ADDITIVE keeps what is loaded; this host holds one library at a time,
  // so loading another replaces it either way.
  std::string upper = UpperCase(path);
  if (upper.size() >= 8 && upper.compare(upper.size() - 8, 8, "ADDITIVE") == 0 &&
      (upper.size() == 8 || upper[upper.size() - 9] == ' ')) {
    path = Trim(path.substr(0, path.size() - 8));
  }
  if (path.empty()) {
    host_.releaseLibrary();
    return;
  }
  if (path[0] == '(') {
    Value v = evaluate(path);
    if (v.kind != Value::Kind::Char) throw HostError{kErrorOperands, ""};
    path = v.text;
  } else {
    path = Unquoted(path);
  }
  if (!host_.libraryPath().empty() && UpperCase(host_.libraryPath()) == UpperCase(path)) return;
  std::string error;
  if (host_.loadLibrary(path, &error)) return;
  bool bare = path.find_first_of("\\/:") == std::string::npos;
  if (bare && !host_.programFolder().empty() && host_.loadLibrary(host_.programFolder() + path, &error)) return;
  // A file that is there but cannot be loaded is not a library (or not one
  // for this host).
  if (host_.fileExists(path) ||
      (bare && !host_.programFolder().empty() && host_.fileExists(host_.programFolder() + path))) {
    throw HostError{kErrorNotLibrary, "File '" + path + "' is not a valid library."};
  }
  throw HostError{kErrorFileMissing, "File '" + path + "' does not exist."};
}

void Interpreter::releaseLibrary(const std::string& rest) {
  std::string path = Unquoted(Trim(rest));
  if (path.empty()) throw HostError{kErrorSyntax, ""};
  std::string loaded = host_.libraryPath();
  if (!loaded.empty() && LibraryStem(loaded) == LibraryStem(path)) host_.releaseLibrary();
}

void Interpreter::displayMemory() {
  char buffer[160];
  auto shown = [](const Value& v) { return v.kind == Value::Kind::Char ? "\"" + v.text + "\"" : v.display(); };
  for (const Variable* v : host_.variables()) {
    if (!v->isArray) {
      std::snprintf(buffer, sizeof buffer, "%-16s Pub %c  %s", v->name.c_str(), v->scalar.typeLetter(),
                    shown(v->scalar).c_str());
      emitLine(buffer);
      continue;
    }
    std::snprintf(buffer, sizeof buffer, "%-16s Pub A", v->name.c_str());
    emitLine(buffer);
    const Array& a = v->array;
    for (uint16_t r = 1; r <= a.rows; ++r) {
      for (uint16_t c = 1; c <= a.width(); ++c) {
        const Value& cell = *a.at(r, a.columns ? c : 1);
        if (a.columns) {
          std::snprintf(buffer, sizeof buffer, "   (%4u,%4u) %c  %s", r, c, cell.typeLetter(), shown(cell).c_str());
        } else {
          std::snprintf(buffer, sizeof buffer, "   (%4u)      %c  %s", r, cell.typeLetter(), shown(cell).c_str());
        }
        emitLine(buffer);
      }
    }
  }
}

}  // namespace larch::host

namespace larch::host {

// The host's own functions, for HELP.
static const char* const kHostFunctions[] = {
    "ABS",       "ALEN",      "ALINES", "ALLTRIM", "ASC",       "ASCAN", "AT",        "BETWEEN", "CHR",   "DATE",
    "DAY",       "DTOC",      "DTOS",   "EMPTY",   "FILETOSTR", "IIF",   "INLIST",    "INT",     "LEFT",  "LEN",
    "LOWER",     "LTRIM",     "MAX",    "MIN",     "MOD",       "MONTH", "OCCURS",    "PADC",    "PADL",  "PADR",
    "REPLICATE", "RIGHT",     "ROUND",  "RTRIM",   "SPACE",     "STR",   "STRTOFILE", "STRTRAN", "STUFF", "SUBSTR",
    "TIME",      "TRANSFORM", "TRIM",   "TYPE",    "UPPER",     "VAL",   "VARTYPE",   "YEAR",
};

// The cells of a Markdown table row, "\|" inside a cell kept as "|".
static std::vector<std::string> TableCells(const std::string& row) {
  std::vector<std::string> cells;
  std::string cell;
  for (size_t i = 1; i < row.size(); ++i) {
    if (row[i] == '\\' && i + 1 < row.size() && row[i + 1] == '|') {
      cell += '|';
      ++i;
    } else if (row[i] == '|') {
      cells.push_back(Trim(cell));
      cell.clear();
    } else {
      cell += row[i];
    }
  }
  return cells;
}

// HELP name: the function's line of the quick reference, which lies beside
// the shell (or in a docs folder there).
void Interpreter::help(const std::string& rest) {
  std::string name = UpperCase(Trim(rest));
  if (name.size() > 2 && name.compare(name.size() - 2, 2, "()") == 0) name.resize(name.size() - 2);
  if (name.empty()) {
    emitLine("HELP name shows what a function of the library takes and gives.");
    emitLine("Commands: ? ?? = STORE SET LIBRARY TO, RELEASE LIBRARY, DIMENSION, PUBLIC, LOCAL, PRIVATE,");
    emitLine("RELEASE, DISPLAY MEMORY, DISPLAY STATUS, IF/ELSE/ENDIF, DO CASE/CASE/OTHERWISE/ENDCASE,");
    emitLine("FOR/ENDFOR, DO WHILE/ENDDO, EXIT, LOOP, #DEFINE, #INCLUDE, QUIT.");
    return;
  }
  for (const char* f : kHostFunctions) {
    if (name == f) {
      emitLine(name + "() is a function of the host language.");
      return;
    }
  }
  const std::string folder = host_.programFolder();
  const std::string candidates[] = {folder + "quick-reference.md", folder + "docs\\quick-reference.md"};
  std::string text;
  bool found = false;
  for (const std::string& path : candidates) {
    bool tooLong = false;
    text.clear();
    if (host_.readFile(path, &text, &tooLong)) {
      found = true;
      break;
    }
  }
  if (!found) throw HostError{kErrorFileMissing, "File '" + candidates[0] + "' does not exist."};
  // Columns by their headings, in whatever order the table has them.
  size_t nameColumn = 1, parameterColumn = 2, resultColumn = 3;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    std::string line = Trim(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
    start = end == std::string::npos ? text.size() : end + 1;
    if (line.empty() || line[0] != '|') continue;
    std::vector<std::string> cells = TableCells(line);
    for (size_t i = 0; i < cells.size(); ++i) {
      std::string heading = UpperCase(cells[i]);
      if (heading == "FUNCTION") nameColumn = i;
      if (heading == "PARAMETERS") parameterColumn = i;
      if (heading == "RESULT") resultColumn = i;
    }
    if (cells.size() <= std::max({nameColumn, parameterColumn, resultColumn})) continue;
    const std::string& cell = cells[nameColumn];
    size_t open = cell.find('`');
    size_t close = open == std::string::npos ? open : cell.find('`', open + 1);
    if (close == std::string::npos || UpperCase(cell.substr(open + 1, close - open - 1)) != name) continue;
    std::string parameters = cells[parameterColumn];
    if (parameters == "\xE2\x80\x94" || parameters == "-") parameters.clear();  // an em dash: none
    std::string out = cell.substr(open + 1, close - open - 1) + "(" + parameters + "): " + cells[resultColumn];
    size_t link = cell.find("](");
    if (link != std::string::npos && cell.back() == ')') {
      out += "  (see docs/" + cell.substr(link + 2, cell.size() - link - 3) + ")";
    }
    emitLine(utf8Text ? utf8Text(out) : out);
    return;
  }
  throw HostError{kErrorFileMissing, "Function '" + name + "' is not found."};
}

// DISPLAY STATUS: the library loaded, and its functions with the types of
// their parameters as its table gives them.
void Interpreter::displayStatus() {
  const std::string path = host_.libraryPath();
  if (path.empty()) {
    emitLine("Library: none loaded");
    return;
  }
  std::vector<std::pair<std::string, std::string>> functions = host_.libraryFunctions();
  emitLine("Library: " + path);
  emitLine("Functions (" + std::to_string(functions.size()) + "):");
  for (const auto& f : functions) {
    char buffer[160];
    std::snprintf(buffer, sizeof buffer, "   %-24s %s", f.first.c_str(), f.second.c_str());
    emitLine(Trim(buffer).insert(0, "   "));
  }
}

}  // namespace larch::host
