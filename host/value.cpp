#include "value.h"

#include <cctype>
#include <cmath>
#include <cstdio>

namespace larch::host {

char Value::typeLetter() const {
  switch (kind) {
    case Kind::Char: return 'C';
    case Kind::Int: return 'N';  // the host shows integers as numbers
    case Kind::Number: return 'N';
    case Kind::Logical: return 'L';
    default: return 'U';
  }
}

std::string Value::display() const {
  char buffer[512];
  switch (kind) {
    case Kind::Char: return text;
    case Kind::Int:
      std::snprintf(buffer, sizeof buffer, "%*d", static_cast<int>(width), static_cast<int>(integer));
      return buffer;
    case Kind::Number:
      if (decimals >= 0) {
        std::snprintf(buffer, sizeof buffer, "%*.*f", static_cast<int>(width), decimals, number);
        return buffer;
      }
      if (std::floor(number) == number && std::fabs(number) < 1e15) {
        std::snprintf(buffer, sizeof buffer, "%*.0f", static_cast<int>(width), number);
      } else {
        std::snprintf(buffer, sizeof buffer, "%*.*g", static_cast<int>(width), 15, number);
      }
      return buffer;
    case Kind::Logical: return logical ? ".T." : ".F.";
    default: return "";
  }
}

bool Value::operator==(const Value& o) const {
  if (kind != o.kind) return false;
  switch (kind) {
    case Kind::Char: return text == o.text;
    case Kind::Int: return integer == o.integer;
    case Kind::Number: return number == o.number;
    case Kind::Logical: return logical == o.logical;
    default: return true;
  }
}

Arg ByRef(std::string name) {
  Arg a(Value{});
  a.byRef = std::move(name);
  return a;
}

std::string UpperCase(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

Value* Array::at(uint16_t row, uint16_t column) {
  if (row < 1 || row > rows) return nullptr;
  if (columns == 0) {
    if (column > 1) return nullptr;
    return &cells[row - 1];
  }
  if (column < 1 || column > columns) return nullptr;
  return &cells[(row - 1) * columns + (column - 1)];
}

const Value* Array::at(uint16_t row, uint16_t column) const { return const_cast<Array*>(this)->at(row, column); }

}  // namespace larch::host
