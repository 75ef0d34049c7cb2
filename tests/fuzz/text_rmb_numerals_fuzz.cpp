// Takes a double from the input (its 8 bytes, or the decimal text when the
// input starts with "#") and checks the capital numerals of it: the result
// uses only the numeral alphabet, reads back (numeral by numeral, unit by
// unit) as the number of fen that an independent rounding gives, and ends
// with 整 exactly when it does not end with 分.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "text/rmb_numerals.h"

namespace {

// GBK bytes of the numerals, the units and the closing character.
const char* const kDigits[] = {"\xC1\xE3", "\xD2\xBC", "\xB7\xA1", "\xC8\xFE", "\xCB\xC1",
                               "\xCE\xE9", "\xC2\xBD", "\xC6\xE2", "\xB0\xC6", "\xBE\xC1"};
const char* const kFen = "\xB7\xD6";
const char* const kJiao = "\xBD\xC7";
const char* const kYuan = "\xD4\xAA";
const char* const kShi = "\xCA\xB0";
const char* const kBai = "\xB0\xDB";
const char* const kQian = "\xC7\xAA";
const char* const kWan = "\xCD\xF2";
const char* const kWhole = "\xD5\xFB";

// The exact value of a positive double as decimal digits and the position of
// the decimal point, by long division of its binary fraction (amounts from
// 2^-30 to 2^27 only, so 128-bit integers hold every step).
struct Decimal {
  std::string digits;  // no leading zeros
  int point;           // digits before the decimal point (may be <= 0)
};

Decimal Exact(double amount) {
  int exponent = 0;
  const double fraction = std::frexp(amount, &exponent);  // amount = fraction * 2^exponent
  const auto mantissa = static_cast<unsigned __int128>(std::ldexp(fraction, 53));
  const int shift = 53 - exponent;  // amount = mantissa / 2^shift, shift > 0 here
  const unsigned __int128 denominator = static_cast<unsigned __int128>(1) << shift;
  unsigned __int128 whole = mantissa / denominator;
  unsigned __int128 rest = mantissa % denominator;
  std::string integer;
  while (whole > 0) {
    integer.insert(integer.begin(), static_cast<char>('0' + static_cast<int>(whole % 10)));
    whole /= 10;
  }
  std::string fractionDigits;
  while (rest > 0) {
    rest *= 10;
    fractionDigits.push_back(static_cast<char>('0' + static_cast<int>(rest / denominator)));
    rest %= denominator;
  }
  Decimal d{integer + fractionDigits, static_cast<int>(integer.size())};
  while (!d.digits.empty() && d.digits[0] == '0') {
    d.digits.erase(0, 1);
    --d.point;
  }
  return d;
}

// Fen of the amount written to 15 significant digits (exact ties of the
// binary value at that digit go to even, as printf does), then to two
// decimals with halves away from zero.
uint64_t IndependentFen(double amount) {
  const Decimal exact = Exact(amount);
  std::string digits = exact.digits.substr(0, 15);
  int point = exact.point;
  if (exact.digits.size() > 15) {
    const char next = exact.digits[15];
    const bool restZero = exact.digits.find_first_not_of('0', 16) == std::string::npos;
    const bool up = next > '5' || (next == '5' && (!restZero || (digits.back() - '0') % 2 == 1));
    if (up) {
      int k = static_cast<int>(digits.size()) - 1;
      while (k >= 0 && digits[k] == '9') digits[k--] = '0';
      if (k < 0) {
        digits.insert(digits.begin(), '1');
        digits.pop_back();
        ++point;
      } else {
        ++digits[k];
      }
    }
  }
  // fen = 0.digits * 10^(point + 2); the first dropped digit decides.
  uint64_t fen = 0;
  const int keep = point + 2;
  for (int k = 0; k < keep; ++k) fen = fen * 10 + (k < static_cast<int>(digits.size()) ? digits[k] - '0' : 0);
  if (keep >= 0 && keep < static_cast<int>(digits.size()) && digits[keep] >= '5') ++fen;
  return fen;
}

bool Next(const std::string& text, size_t& at, const char* what) {
  if (text.compare(at, 2, what) != 0) return false;
  at += 2;
  return true;
}

// Reads the numerals back: each non-zero numeral with the unit after it;
// 拾 佰 仟 before 万 count in ten-thousands.
bool ReadBack(const std::string& text, uint64_t* fen) {
  const bool hasWan = text.find(kWan) != std::string::npos && text.find(kWan) % 2 == 0;
  bool inWan = hasWan;
  uint64_t total = 0;
  int pending = -1;
  for (size_t at = 0; at < text.size();) {
    int digit = -1;
    for (int d = 0; d < 10; ++d) {
      if (Next(text, at, kDigits[d])) digit = d;
      if (digit >= 0) break;
    }
    if (digit >= 0) {
      if (pending > 0) return false;  // a numeral without its unit
      pending = digit;
      continue;
    }
    uint64_t unit = 0;
    if (Next(text, at, kFen)) unit = 1;
    else if (Next(text, at, kJiao)) unit = 10;
    else if (Next(text, at, kYuan)) unit = 100, inWan = false;
    else if (Next(text, at, kShi)) unit = inWan ? 10000000 : 1000;
    else if (Next(text, at, kBai)) unit = inWan ? 100000000 : 10000;
    else if (Next(text, at, kQian)) unit = inWan ? 1000000000 : 100000;
    else if (Next(text, at, kWan)) unit = 1000000, inWan = false;
    else if (Next(text, at, kWhole)) {
      if (at != text.size()) return false;  // 整 closes the text
      continue;
    } else {
      return false;  // outside the alphabet
    }
    if (pending > 0) total += static_cast<uint64_t>(pending) * unit;
    pending = -1;
  }
  if (pending > 0) return false;
  *fen = total;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  double amount = 0;
  if (size > 0 && data[0] == '#') {
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    amount = std::strtod(text.c_str(), nullptr);
  } else if (size >= sizeof amount) {
    std::memcpy(&amount, data, sizeof amount);
  } else {
    return 0;
  }
  for (bool zeroAfterUnit : {true, false}) {
    const std::string text = larch::RmbAmountInNumerals(amount, zeroAfterUnit);
    if (!(amount > 0)) {
      if (text != "[\xC1\xE3\xC1\xE3\xC1\xE3]") abort();
      continue;
    }
    if (amount > 99999999.99) {
      if (text != "****************") abort();
      continue;
    }
    uint64_t fen = 0;
    if (!ReadBack(text, &fen)) abort();
    const bool endsWithFen = text.size() >= 2 && text.compare(text.size() - 2, 2, kFen) == 0;
    const bool endsWithWhole = text.size() >= 2 && text.compare(text.size() - 2, 2, kWhole) == 0;
    if (endsWithFen == endsWithWhole) abort();
    if (amount < 1.0 / (1 << 30)) {
      if (fen != 0) abort();
      continue;
    }
    if (fen != IndependentFen(amount)) abort();
  }
  return 0;
}
