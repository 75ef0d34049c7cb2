// Values as the emulated host holds them: variables, array cells, results.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace larch::host {

struct Value {
  enum class Kind { None, Char, Int, Number, Logical, Date };
  Kind kind = Kind::None;
  std::string text;
  int32_t integer = 0;  // also a date's day number (DayNumber)
  double number = 0;
  bool logical = false;
  uint16_t width = 0;
  // Decimal places a number shows with; -1: as few as the value needs.
  int decimals = -1;

  static Value Text(std::string s) {
    Value v;
    v.kind = Kind::Char;
    v.text = std::move(s);
    return v;
  }
  static Value Int(int32_t i, uint16_t width = 10) {
    Value v;
    v.kind = Kind::Int;
    v.integer = i;
    v.width = width;
    return v;
  }
  static Value Num(double n, uint16_t width = 0) {
    Value v;
    v.kind = Kind::Number;
    v.number = n;
    v.width = width;
    return v;
  }
  // A number the host computed itself, shown with this many decimals.
  static Value Decimal(double n, int decimals) {
    Value v = Num(n);
    v.decimals = decimals;
    return v;
  }
  static Value Bool(bool b) {
    Value v;
    v.kind = Kind::Logical;
    v.logical = b;
    return v;
  }
  // A date, by its day number (DayNumber).
  static Value Day(int32_t day) {
    Value v;
    v.kind = Kind::Date;
    v.integer = day;
    return v;
  }

  // The host's type letter: C, N, L, D, or U for none.
  char typeLetter() const;
  // How the host's `?` command prints the value.
  std::string display() const;
  bool operator==(const Value& other) const;
};

// Dates count days from 1 January 1 of the proleptic Gregorian calendar
// (day 1). DayNumber takes a valid date; CivilDate gives it back.
int32_t DayNumber(int year, int month, int day);
void CivilDate(int32_t number, int* year, int* month, int* day);
bool ValidDate(int year, int month, int day);
// A date as the host shows it by default: mm/dd/yy.
std::string DateText(int32_t number);

// Names and keywords are matched regardless of letter case.
std::string UpperCase(std::string s);

struct Array {
  uint16_t rows = 0;
  uint16_t columns = 0;  // 0 for a one-dimensional array
  std::vector<Value> cells;

  size_t width() const { return columns == 0 ? 1 : columns; }
  // Subscripts count from 1; nullptr when out of range.
  Value* at(uint16_t row, uint16_t column);
  const Value* at(uint16_t row, uint16_t column) const;
};

struct Variable {
  std::string name;
  bool isArray = false;
  Value scalar;
  Array array;
};

// One argument of a call: a value, or a variable passed by reference.
struct Arg {
  Arg(Value v) : value(std::move(v)) {}  // NOLINT: values convert implicitly
  Value value;
  std::string byRef;  // variable name when passed by reference
};
Arg ByRef(std::string name);

struct CallResult {
  int returns = 0;                 // how many results the library sent
  char rawType = 0;                // type letter of the last result: H, C, I, N, L
  Value value;                     // the result as the host received it
  int error = 0;                   // host error raised during the call, 0 when none
  std::vector<std::string> audit;  // blocks left allocated or locked

  bool sent() const { return returns > 0; }
};

}  // namespace larch::host
