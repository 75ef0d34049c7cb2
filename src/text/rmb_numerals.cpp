#include "text/rmb_numerals.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace larch {
namespace {

// All characters are two-byte GBK.
constexpr std::string_view kDigits =  // 零壹贰叁肆伍陆柒捌玖
    "\xC1\xE3\xD2\xBC\xB7\xA1\xC8\xFE\xCB\xC1\xCE\xE9\xC2\xBD\xC6\xE2\xB0\xC6\xBE\xC1";
constexpr std::string_view kUnits =  // 分角元拾佰仟万拾佰仟, by position from the right
    "\xB7\xD6\xBD\xC7\xD4\xAA\xCA\xB0\xB0\xDB\xC7\xAA\xCD\xF2\xCA\xB0\xB0\xDB\xC7\xAA";
constexpr std::string_view kZero = kDigits.substr(0, 2);
constexpr std::string_view kFen = kUnits.substr(0, 2);
constexpr std::string_view kWhole = "\xD5\xFB";                          // 整
constexpr std::string_view kNotPositive = "[\xC1\xE3\xC1\xE3\xC1\xE3]";  // [零零零]
constexpr std::string_view kTooLarge = "****************";
constexpr double kLargest = 99999999.99;
constexpr size_t kMaxDigits = 10;
constexpr size_t kYuanPosition = 3;
constexpr size_t kWanPosition = 7;

uint64_t Power10(int n) {
  uint64_t p = 1;
  while (n-- > 0) p *= 10;
  return p;
}

std::string_view Digit(int d) { return kDigits.substr(2 * static_cast<size_t>(d), 2); }
std::string_view Unit(size_t position) { return kUnits.substr(2 * (position - 1), 2); }

std::string_view LastChar(const std::string& text) {
  return text.size() < 2 ? std::string_view() : std::string_view(text).substr(text.size() - 2);
}

// Whole fen of the amount as it is written: the decision is taken on its
// decimal digits to 15 significant places, the digits the host shows for
// the value, not on the binary product. 1.005 is stored a shade below
// 1.005, and a cheque for it reads 1.01; exact halves go away from zero
// whatever the C runtime's own formatting would do with them. An amount of
// at most two decimals comes out as it was written.
uint64_t RoundToFen(double amount) {
  // d.dddddddddddddde+XX: 15 significant digits and the decimal exponent.
  char text[40];
  const int length = snprintf(text, sizeof text, "%.14e", amount);
  if (length <= 0 || static_cast<size_t>(length) >= sizeof text) return 0;
  uint64_t digits = static_cast<uint64_t>(text[0] - '0');
  for (int k = 2; k < 16; ++k) digits = digits * 10 + static_cast<uint64_t>(text[k] - '0');
  const int exponent = std::atoi(text + 17);
  // amount = digits * 10^(exponent - 14), so fen = digits * 10^(exponent - 12).
  const int shift = exponent - 12;
  if (shift >= 0) return shift > 4 ? UINT64_MAX : digits * Power10(shift);
  if (shift < -15) return 0;  // below a tenth of a fen
  const uint64_t divisor = Power10(-shift);
  const uint64_t fen = digits / divisor;
  return digits % divisor * 2 >= divisor ? fen + 1 : fen;
}

}  // namespace

std::string RmbAmountInNumerals(double amount, bool zeroAfterUnit) {
  if (!(amount > 0)) return std::string(kNotPositive);
  if (amount > kLargest) return std::string(kTooLarge);
  const std::string digits = std::to_string(RoundToFen(amount));
  if (digits.size() > kMaxDigits) return std::string(kTooLarge);

  const size_t n = digits.size();
  std::string text;
  // The last digit written, or the last zero that wrote its 元 or 万.
  std::ptrdiff_t mark = -1;
  for (size_t i = 0; i < n; ++i) {
    const int d = digits[i] - '0';
    const size_t position = n - i;
    const std::ptrdiff_t index = static_cast<std::ptrdiff_t>(i);
    if (d != 0) {
      if (mark >= 0 && index - mark > 1 && LastChar(text) != kZero) text += kZero;
      mark = index;
      text += Digit(d);
      text += Unit(position);
    } else if (position == kWanPosition || position == kYuanPosition) {
      mark = index;
      if (LastChar(text) == kZero) text.resize(text.size() - 2);
      text += Unit(position);
      if (zeroAfterUnit) text += kZero;
    }
  }
  const std::string last(LastChar(text));
  if (last == kZero) text.resize(text.size() - 2);
  if (last != kFen) text += kWhole;
  return text;
}

}  // namespace larch
