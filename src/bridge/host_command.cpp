#include "bridge/host_command.h"

namespace larch {
namespace {

struct LiteralKind {
  char open;
  char close;
};
constexpr LiteralKind kLiteralKinds[] = {{'"', '"'}, {'\'', '\''}, {'[', ']'}};

bool IsAsciiAlnum(unsigned char b) {
  return (b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z');
}

// Bytes the host reads as part of a name, never as an operator, a literal,
// a macro, a separator or the end of the line. Bytes from 0x80 up are
// letters of the code page or halves of double-byte characters.
bool IsPlainPathByte(unsigned char b) {
  if (IsAsciiAlnum(b) || b >= 0x80) return true;
  switch (b) {
    case '\\':
    case '/':
    case ':':
    case '.':
    case '_':
    case '-':
    case '~': return true;
    default: return false;
  }
}

// The host's rule for '[': it skips the blanks before it and takes it for
// a subscript after a name or a closing bracket (arr[1], arr [1], f()[1]),
// for the start of a literal anywhere else. `before` is the last byte of
// code ahead of the '[' with blanks passed over. Bytes from 0x80 up count
// as name characters: where the host may read a subscript, the library
// never opens a literal, so a path it puts in as literal text is never
// parsed as code.
bool OpensSubscript(unsigned char before) {
  return IsAsciiAlnum(before) || before == '_' || before >= 0x80 || before == ')' || before == ']';
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// A character (one or two bytes) can stand as it is in a literal that ends
// at `close` unless one of its bytes is that delimiter or a '&', which
// would make the host substitute the name after it. A byte-by-byte reader
// and a reader of double-byte characters then agree on where the literal
// ends.
bool FitsLiteral(std::string_view character, char close) {
  return character.find(close) == std::string_view::npos && character.find('&') == std::string_view::npos;
}

// The kind of literal a character is spliced in as: another kind than the
// one it leaves, and one none of its bytes can close. Of three kinds one
// always remains, since a character holds at most one ASCII byte.
const LiteralKind& SpliceKind(std::string_view character, char leaving) {
  for (const LiteralKind& kind : kLiteralKinds) {
    if (kind.close != leaving && character.find(kind.close) == std::string_view::npos) return kind;
  }
  return kLiteralKinds[0];  // not reached
}

// No form of the path is safe when it holds a control character (a CR or
// LF would end the command line) or ends in the first half of a double-byte
// character (the host would join it with the delimiter after it).
bool PathCanBeQuoted(const LeadBytes& leads, std::string_view path) {
  for (char c : path) {
    unsigned char b = static_cast<unsigned char>(c);
    if (b < 0x20 || b == 0x7F) return false;
  }
  size_t i = 0;
  while (i < path.size()) {
    size_t n = CharLength(leads, path, i);
    if (n == 1 && leads.isLead(static_cast<unsigned char>(path[i]))) return false;
    i += n;
  }
  return true;
}

bool IsPlainPath(std::string_view path) {
  for (char c : path) {
    if (!IsPlainPathByte(static_cast<unsigned char>(c))) return false;
  }
  return true;
}

// Writes the path inside the open literal `kind`, splicing what cannot
// stand in it. Returns whether anything was spliced.
bool AppendInLiteral(const LeadBytes& leads, std::string_view path, const LiteralKind& kind, std::string& line) {
  bool spliced = false;
  for (size_t i = 0; i < path.size();) {
    size_t n = CharLength(leads, path, i);
    std::string_view character = path.substr(i, n);
    if (FitsLiteral(character, kind.close)) {
      line += character;
    } else {
      const LiteralKind& other = SpliceKind(character, kind.close);
      line += kind.close;
      line += " + ";
      line += other.open;
      line += character;
      line += other.close;
      line += " + ";
      line += kind.open;
      spliced = true;
    }
    i += n;
  }
  return spliced;
}

}  // namespace

std::optional<std::string> ExpandHostCommand(const LeadBytes& leads, std::string_view command, std::string_view text) {
  if (!PathCanBeQuoted(leads, text)) return std::nullopt;
  std::string line;
  line.reserve(command.size() + text.size() + 10);
  // The command is read as the host reads it: which literal, if any, is
  // open at each "%s".
  const LiteralKind* open = nullptr;
  size_t literalStart = 0;  // where the open literal begins in line
  bool spliced = false;     // whether the text in it was spliced
  unsigned char lastCode = 0;
  for (size_t i = 0; i < command.size();) {
    char c = command[i];
    if (c == '%' && i + 1 < command.size() && (command[i + 1] == '%' || command[i + 1] == 's')) {
      if (command[i + 1] == '%') {
        line += '%';
        if (!open) lastCode = '%';
      } else if (open) {
        spliced |= AppendInLiteral(leads, text, *open, line);
      } else {
        if (!IsPlainPath(text)) return std::nullopt;
        line += text;
        if (!text.empty()) lastCode = static_cast<unsigned char>(text.back());
      }
      i += 2;
      continue;
    }
    size_t n = CharLength(leads, command, i);
    if (n == 2 && command[i + 1] == '%') n = 1;  // a conversion is never half a character
    line.append(command.substr(i, n));
    if (n == 1 && open && c == open->close) {
      if (spliced) {
        line.insert(literalStart, 1, '(');
        line += ')';
      }
      open = nullptr;
      lastCode = static_cast<unsigned char>(c);
    } else if (n == 1 && !open && (c == '\'' || c == '"' || (c == '[' && !OpensSubscript(lastCode)))) {
      for (const LiteralKind& kind : kLiteralKinds) {
        if (kind.open == c) open = &kind;
      }
      literalStart = line.size() - 1;
      spliced = false;
    } else if (!open && !(n == 1 && IsBlank(c))) {
      lastCode = static_cast<unsigned char>(command[i + n - 1]);
    }
    i += n;
  }
  return line;
}

std::optional<std::string> HostTextExpression(const LeadBytes& leads, std::string_view text) {
  return ExpandHostCommand(leads, "\"%s\"", text);
}

}  // namespace larch
