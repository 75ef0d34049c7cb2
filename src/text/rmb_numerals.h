// Amounts of money in the Chinese capital numerals used on cheques.
#pragma once

#include <string>

namespace larch {

// The amount (yuan) rounded to whole fen and written in GBK capital
// numerals: "[零零零]" when not positive, 16 asterisks above 99999999.99.
// With zeroAfterUnit a 零 follows a 元 or 万 that stands for a zero digit.
std::string RmbAmountInNumerals(double amount, bool zeroAfterUnit);

}  // namespace larch
