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
    case Kind::Date: return 'D';
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
    case Kind::Date: return DateText(integer);
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
    case Kind::Date: return integer == o.integer;
    default: return true;
  }
}

// Days from civil dates and back: the year is shifted to start in March, so
// that the leap day ends it, and counted in 400-year eras of 146097 days.
int32_t DayNumber(int year, int month, int day) {
  const int y = year - (month <= 2 ? 1 : 0);
  const int era = y / 400;
  const int yearOfEra = y - era * 400;
  const int dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 305;  // 1 March of year 0 is day -305
}

void CivilDate(int32_t number, int* year, int* month, int* day) {
  const int32_t z = number + 305;
  const int32_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int32_t dayOfEra = z - era * 146097;
  const int32_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const int32_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const int32_t mp = (5 * dayOfYear + 2) / 153;
  *day = static_cast<int>(dayOfYear - (153 * mp + 2) / 5 + 1);
  *month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  *year = static_cast<int>(yearOfEra + era * 400 + (*month <= 2 ? 1 : 0));
}

bool ValidDate(int year, int month, int day) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1) return false;
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return day <= kDays[month - 1] + (month == 2 && leap ? 1 : 0);
}

std::string DateText(int32_t number) {
  int y = 0, m = 0, d = 0;
  CivilDate(number, &y, &m, &d);
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%02d/%02d/%02d", m, d, ((y % 100) + 100) % 100);
  return buffer;
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
