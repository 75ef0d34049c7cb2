#include "interpreter.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace larch::host {
namespace {

constexpr int kErrorFileMissing = 1;
constexpr int kErrorSyntax = 10;
constexpr int kErrorArguments = 11;
constexpr int kErrorNoVariable = 12;
constexpr int kErrorUnknownVerb = 16;
constexpr int kErrorSubscript = 31;
constexpr int kErrorKeyword = 36;
constexpr int kErrorCannotOpen = 101;
constexpr int kErrorOperands = 107;
constexpr int kErrorDivideByZero = 1307;
constexpr int kErrorTooLong = 1903;

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

// Where the text literal opened at `pos` ends (the closing delimiter), or
// npos. A two-byte character's second byte never closes it.
size_t LiteralEnd(const LeadBytes& leads, const std::string& s, size_t pos) {
  char close = s[pos] == '[' ? ']' : s[pos];
  return FindChar(leads, s, close, pos + 1);
}

// Removes a trailing && comment, outside text literals.
std::string StripComment(const LeadBytes& leads, const std::string& line) {
  for (size_t i = 0; i < line.size(); i += CharLength(leads, line, i)) {
    char c = line[i];
    if (c == '"' || c == '\'' || (c == '[' && BracketOpensText(line, i))) {
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
  if (!std::isfinite(r)) throw HostError{kErrorOperands, "Numeric overflow. Data was lost."};
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
  *handled = false;
  return {};
}

// Splits "target = expr" at the first '=' outside literals and brackets;
// the target must be a name, _screen.tag, or an element name[..] / name(..).
bool SplitAssignment(const LeadBytes& leads, const std::string& line, std::string* target, std::string* expression) {
  int depth = 0;
  for (size_t i = 0; i < line.size(); i += CharLength(leads, line, i)) {
    char c = line[i];
    if (c == '"' || c == '\'' || (c == '[' && BracketOpensText(line, i))) {
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
    case 43: return "There is not enough memory to complete this operation.";
    case 101: return "Cannot open file.";
    case 107: return "Operator/operand type mismatch.";
    case 182: return "There is not enough memory to complete this operation.";
    case 1307: return "Division by 0.";
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

void Interpreter::run(const std::string& line) {
  try {
    execute(line);
  } catch (const HostError& e) {
    report(e);
  }
}

void Interpreter::report(const HostError& error) {
  ++errors_;
  std::string text = HostErrorMessage(error);
  if (!script_.empty()) text = script_ + "(" + std::to_string(commandLine_) + "): " + text;
  if (!openLine_.empty()) emitLine("");
  emitLine(text);
}

void Interpreter::beginScript(const std::string& name) {
  finish();
  script_ = name;
  lineNumber_ = 0;
}

void Interpreter::finish() {
  if (!openLine_.empty()) emitLine("");
  pending_.clear();
  continued_ = false;
}

bool Interpreter::feed(const std::string& raw) {
  ++lineNumber_;
  std::string line = raw;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  if (!continued_) commandLine_ = lineNumber_;
  std::string trimmed = Trim(line);
  // A comment line ends here, even one that ends in ';'.
  if (!continued_ && (trimmed.rfind('*', 0) == 0 || WordAt(trimmed, 0, "NOTE"))) return true;
  std::string code = Trim(StripComment(host_.leadBytes(), line));
  if (!code.empty() && code.back() == ';') {
    pending_ += code.substr(0, code.size() - 1) + " ";
    continued_ = true;
    return true;
  }
  std::string command = pending_ + code;
  pending_.clear();
  continued_ = false;
  if (UpperCase(Trim(command)) == "QUIT") return false;
  run(command);
  return true;
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

static std::string Unquoted(const std::string& text) {
  if (text.size() >= 2 && (text[0] == '"' || text[0] == '\'') && text.back() == text[0]) {
    return text.substr(1, text.size() - 2);
  }
  return text;
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
