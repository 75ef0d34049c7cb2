#include "interpreter.h"

#include <cctype>
#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "host_emulator.h"

namespace larch::host {
namespace {

constexpr int kErrorSyntax = 10;
constexpr int kErrorType = 9;
constexpr int kErrorNoVariable = 12;
constexpr int kErrorSubscript = 31;
constexpr int kErrorNoFunction = 1;

std::string Trim(const std::string& s) {
  size_t b = s.find_first_not_of(" \t\r\n");
  if (b == std::string::npos) return "";
  size_t e = s.find_last_not_of(" \t\r\n");
  return s.substr(b, e - b + 1);
}

bool IsNameChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.'; }

// Recursive-descent parser over one expression text.
class Parser {
 public:
  Parser(HostEmulator& host, const std::string& text) : host_(host), s_(text) {}

  // A comparison, or a plain sum.
  Value expression() {
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

  Value sum() {
    Value left = term();
    for (;;) {
      skip();
      char op = peek();
      if (op != '+' && op != '-') return left;
      ++pos_;
      left = combine(left, term(), op);
    }
  }

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
        args.push_back(ByRef(name()));
      } else {
        args.push_back(expression());
      }
      skip();
      char c = next();
      if (c == close) return args;
      if (c != ',') throw HostError{kErrorSyntax};
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
    if (c != '(' && c != '[') throw HostError{kErrorSyntax};
    return c;
  }

  void expectEnd() {
    skip();
    if (pos_ != s_.size()) throw HostError{kErrorSyntax};
  }

  std::string name() {
    skip();
    size_t start = pos_;
    while (pos_ < s_.size() && IsNameChar(s_[pos_])) ++pos_;
    if (start == pos_) throw HostError{kErrorSyntax};
    return s_.substr(start, pos_ - start);
  }

 private:
  void skip() {
    while (pos_ < s_.size() && std::isspace(static_cast<unsigned char>(s_[pos_]))) ++pos_;
  }
  char peek() const { return pos_ < s_.size() ? s_[pos_] : '\0'; }
  char next() { return pos_ < s_.size() ? s_[pos_++] : '\0'; }

  static double NumberOf(const Value& v) {
    if (v.kind == Value::Kind::Int) return v.integer;
    if (v.kind == Value::Kind::Number) return v.number;
    throw HostError{kErrorType};
  }

  static bool compare(const Value& a, const Value& b, const std::string& op) {
    if (op == "$") {
      if (a.kind != Value::Kind::Char || b.kind != Value::Kind::Char) throw HostError{kErrorType};
      return b.text.find(a.text) != std::string::npos;
    }
    int order = 0;
    if (a.kind == Value::Kind::Char && b.kind == Value::Kind::Char) {
      order = a.text.compare(b.text);
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

  static Value combine(const Value& a, const Value& b, char op) {
    if (a.kind == Value::Kind::Char && b.kind == Value::Kind::Char && op == '+') return Value::Text(a.text + b.text);
    double r = op == '+' ? NumberOf(a) + NumberOf(b) : NumberOf(a) - NumberOf(b);
    if (a.kind == Value::Kind::Int && b.kind == Value::Kind::Int) return Value::Int(static_cast<int32_t>(r), 0);
    return Value::Num(r);
  }

  Value term() {
    skip();
    char c = peek();
    if (c == '-') {
      ++pos_;
      Value v = term();
      if (v.kind == Value::Kind::Int) return Value::Int(-v.integer, v.width);
      if (v.kind == Value::Kind::Number) return Value::Num(-v.number, v.width);
      throw HostError{kErrorType};
    }
    if (c == '(') {
      ++pos_;
      Value v = expression();
      skip();
      if (next() != ')') throw HostError{kErrorSyntax};
      return v;
    }
    if (c == '"' || c == '\'' || c == '[') return literalText(c == '[' ? ']' : c);
    if (std::isdigit(static_cast<unsigned char>(c))) return literalNumber();
    if (c == '.') {
      std::string word = UpperCase(s_.substr(pos_, 3));
      if (word == ".T." || word == ".F.") {
        pos_ += 3;
        return Value::Bool(word == ".T.");
      }
    }
    if (IsNameChar(c)) return reference(name());
    throw HostError{kErrorSyntax};
  }

  Value literalText(char close) {
    ++pos_;
    size_t end = s_.find(close, pos_);
    if (end == std::string::npos) throw HostError{kErrorSyntax};
    std::string text = s_.substr(pos_, end - pos_);
    pos_ = end + 1;
    return Value::Text(text);
  }

  Value literalNumber() {
    size_t start = pos_;
    while (std::isdigit(static_cast<unsigned char>(peek()))) ++pos_;
    bool decimal = false;
    if (peek() == '.' && pos_ + 1 < s_.size() && std::isdigit(static_cast<unsigned char>(s_[pos_ + 1]))) {
      decimal = true;
      ++pos_;
      while (std::isdigit(static_cast<unsigned char>(peek()))) ++pos_;
    }
    std::string digits = s_.substr(start, pos_ - start);
    if (decimal) {
      Value v = Value::Num(std::strtod(digits.c_str(), nullptr));
      return v;
    }
    return Value::Int(static_cast<int32_t>(std::strtoll(digits.c_str(), nullptr, 10)), 0);
  }

  Value element(Variable& v, const std::vector<Arg>& subscripts) {
    if (!v.isArray || subscripts.empty() || subscripts.size() > 2) throw HostError{kErrorSubscript};
    auto index = [](const Arg& a) -> uint16_t {
      if (!a.byRef.empty()) throw HostError{kErrorSyntax};
      if (a.value.kind == Value::Kind::Int) return static_cast<uint16_t>(a.value.integer);
      if (a.value.kind == Value::Kind::Number) return static_cast<uint16_t>(a.value.number);
      throw HostError{kErrorType};
    };
    uint16_t row = index(subscripts[0]);
    uint16_t column = subscripts.size() == 2 ? index(subscripts[1]) : 1;
    if (subscripts.size() == 1 && v.array.columns > 0) {
      // One subscript over a two-dimensional array counts cells row by row.
      uint16_t cell = row;
      if (cell < 1) throw HostError{kErrorSubscript};
      row = static_cast<uint16_t>((cell - 1) / v.array.columns + 1);
      column = static_cast<uint16_t>((cell - 1) % v.array.columns + 1);
    }
    const Value* value = v.array.at(row, column);
    if (!value) throw HostError{kErrorSubscript};
    return *value;
  }

  Value builtin(const std::string& upper, const std::vector<Arg>& args, bool* handled) {
    *handled = true;
    if (upper == "LEN" && args.size() == 1 && args[0].value.kind == Value::Kind::Char) {
      return Value::Int(static_cast<int32_t>(args[0].value.text.size()), 0);
    }
    if ((upper == "LOWER" || upper == "UPPER") && args.size() == 1 && args[0].value.kind == Value::Kind::Char) {
      std::string text = args[0].value.text;
      for (char& c : text) c = static_cast<char>(upper == "LOWER" ? std::tolower(static_cast<unsigned char>(c))
                                                                   : std::toupper(static_cast<unsigned char>(c)));
      return Value::Text(text);
    }
    if (upper == "RIGHT" && args.size() == 2 && args[0].value.kind == Value::Kind::Char &&
        args[1].value.kind == Value::Kind::Int) {
      const std::string& text = args[0].value.text;
      size_t n = static_cast<size_t>(std::max(0, args[1].value.integer));
      return Value::Text(n >= text.size() ? text : text.substr(text.size() - n));
    }
    if (upper == "CHR" && args.size() == 1 && args[0].value.kind == Value::Kind::Int) {
      return Value::Text(std::string(1, static_cast<char>(args[0].value.integer)));
    }
    if (upper == "ALEN" && !args.empty() && args[0].value.kind == Value::Kind::Char) {
      Variable* v = host_.variable(args[0].value.text);
      if (!v || !v->isArray) throw HostError{kErrorNoVariable};
      int which = args.size() > 1 ? args[1].value.integer : 0;
      if (which == 1) return Value::Int(v->array.rows, 0);
      if (which == 2) return Value::Int(v->array.columns, 0);
      return Value::Int(static_cast<int32_t>(v->array.cells.size()), 0);
    }
    *handled = false;
    return {};
  }

  Value reference(const std::string& id) {
    std::string upper = UpperCase(id);
    skip();
    if (upper == "_SCREEN.TAG") return host_.screenTag;
    Variable* v = host_.variable(id);
    if (peek() == '[' || (peek() == '(' && v && v->isArray)) {
      char open = next();
      std::vector<Arg> subscripts = arguments(open == '[' ? ']' : ')');
      if (!v) throw HostError{kErrorNoVariable};
      return element(*v, subscripts);
    }
    if (peek() == '(') {
      ++pos_;
      std::vector<Arg> args = arguments(')');
      bool handled = false;
      Value v2 = builtin(upper, args, &handled);
      if (handled) return v2;
      if (!host_.row(id)) throw HostError{kErrorNoFunction};
      CallResult r = host_.call(id, args);
      if (r.error) throw HostError{r.error};
      return r.sent() ? r.value : Value::Bool(true);
    }
    if (!v) throw HostError{kErrorNoVariable};
    if (v->isArray) {
      const Value* first = v->array.at(1, 1);
      return first ? *first : Value::Bool(false);
    }
    return v->scalar;
  }

  HostEmulator& host_;
  const std::string s_;
  size_t pos_ = 0;
};

// Splits "name = expr" at the first '=' outside quotes and brackets.
bool SplitAssignment(const std::string& line, std::string* target, std::string* expression) {
  int depth = 0;
  char quote = 0;
  for (size_t i = 0; i < line.size(); ++i) {
    char c = line[i];
    if (quote) {
      if (c == quote) quote = 0;
      continue;
    }
    if (c == '"' || c == '\'') quote = c;
    else if (c == '(' || c == '[') ++depth;
    else if (c == ')' || c == ']') --depth;
    else if (c == '=' && depth == 0) {
      std::string left = Trim(line.substr(0, i));
      if (left.empty()) return false;
      for (char ch : left) {
        if (!IsNameChar(ch) && ch != '[' && ch != ']' && ch != ',' && ch != ' ' && ch != '(' && ch != ')') return false;
      }
      *target = left;
      *expression = line.substr(i + 1);
      return true;
    }
  }
  return false;
}

}  // namespace

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
    host_.print(HostErrorMessage(e.number));
  }
}

void Interpreter::execute(const std::string& raw) {
  std::string line = Trim(raw);
  if (line.empty() || line[0] == '*' || line.rfind("&&", 0) == 0) return;
  std::string upper = UpperCase(line);

  if (line[0] == '?') {
    std::string rest = line.substr(line.size() > 1 && line[1] == '?' ? 2 : 1);
    if (Trim(rest).empty()) {
      host_.print("");
      return;
    }
    Parser p(host_, rest);
    std::string out = p.expression().display();
    while (p.comma()) out += " " + p.expression().display();
    p.expectEnd();
    host_.print(out);
    return;
  }
  if (upper.rfind("SET LIBRARY TO", 0) == 0) {
    std::string path = Trim(line.substr(14));
    if (path.size() >= 2 && (path[0] == '"' || path[0] == '\'')) path = path.substr(1, path.size() - 2);
    std::string error;
    if (!host_.load(path, &error)) {
      std::string beside = DefaultLibraryPath();
      beside = beside.substr(0, beside.find_last_of('\\') + 1) + path;
      if (!host_.load(beside, &error)) throw HostError{1};
    }
    return;
  }
  if (upper == "DISPLAY MEMORY" || upper == "LIST MEMORY") {
    displayMemory();
    return;
  }
  if (upper.rfind("RELEASE ", 0) == 0) {
    std::string names = line.substr(8);
    size_t start = 0;
    while (start <= names.size()) {
      size_t comma = names.find(',', start);
      std::string n = Trim(names.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
      if (!n.empty()) host_.removeVariable(n);
      if (comma == std::string::npos) break;
      start = comma + 1;
    }
    return;
  }
  if (upper.rfind("DIMENSION ", 0) == 0 || upper.rfind("DECLARE ", 0) == 0) {
    Parser p(host_, line.substr(line.find(' ') + 1));
    std::string n = p.name();
    char open = p.open();
    std::vector<Arg> dims = p.arguments(open == '[' ? ']' : ')');
    if (dims.empty() || dims.size() > 2) throw HostError{kErrorSyntax};
    Array a;
    a.rows = static_cast<uint16_t>(dims[0].value.integer);
    a.columns = dims.size() == 2 ? static_cast<uint16_t>(dims[1].value.integer) : 0;
    if (a.rows == 0) throw HostError{kErrorSubscript};
    a.cells.assign(static_cast<size_t>(a.rows) * a.width(), Value::Bool(false));
    host_.setArray(n, std::move(a));
    return;
  }
  if (line[0] == '=') {
    evaluate(line.substr(1));
    return;
  }
  std::string target, expression;
  if (SplitAssignment(line, &target, &expression)) {
    Value v = evaluate(expression);
    std::string t = UpperCase(target);
    if (t == "_SCREEN.TAG") {
      host_.screenTag = v;
      return;
    }
    size_t open = target.find_first_of("[(");
    if (open == std::string::npos) {
      host_.setVariable(target, v);
      return;
    }
    std::string name = Trim(target.substr(0, open));
    Variable* var = host_.variable(name);
    if (!var || !var->isArray) throw HostError{kErrorNoVariable};
    Parser p(host_, target.substr(open + 1));
    std::vector<Arg> subs = p.arguments(target[open] == '[' ? ']' : ')');
    uint16_t row = static_cast<uint16_t>(subs.at(0).value.integer);
    uint16_t column = subs.size() > 1 ? static_cast<uint16_t>(subs[1].value.integer) : 1;
    Value* cell = var->array.at(row, column);
    if (!cell) throw HostError{kErrorSubscript};
    *cell = v;
    return;
  }
  evaluate(line);
}

void Interpreter::displayMemory() {
  char buffer[160];
  for (const Variable* v : host_.variables()) {
    if (!v->isArray) {
      std::snprintf(buffer, sizeof buffer, "%-16s Pub %c  %s", v->name.c_str(), v->scalar.typeLetter(),
                    v->scalar.kind == Value::Kind::Char ? ("\"" + v->scalar.text + "\"").c_str()
                                                  : v->scalar.display().c_str());
      host_.print(buffer);
      continue;
    }
    std::snprintf(buffer, sizeof buffer, "%-16s Pub A", v->name.c_str());
    host_.print(buffer);
    const Array& a = v->array;
    for (uint16_t r = 1; r <= a.rows; ++r) {
      for (uint16_t c = 1; c <= a.width(); ++c) {
        const Value& cell = *a.at(r, a.columns ? c : 1);
        std::string shown = cell.kind == Value::Kind::Char ? "\"" + cell.text + "\"" : cell.display();
        if (a.columns) {
          std::snprintf(buffer, sizeof buffer, "   (%4u,%4u) %c  %s", r, c, cell.typeLetter(), shown.c_str());
        } else {
          std::snprintf(buffer, sizeof buffer, "   (%4u)      %c  %s", r, cell.typeLetter(), shown.c_str());
        }
        host_.print(buffer);
      }
    }
  }
}

}  // namespace larch::host
