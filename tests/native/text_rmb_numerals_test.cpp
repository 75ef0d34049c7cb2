#include "text/rmb_numerals.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "text_gbk.h"

namespace larch {
namespace {

using testing::FromGbk;
using testing::Gbk;

struct AmountCase {
  double amount;
  const char* withZero;     // switch true (the default)
  const char* withoutZero;  // switch false
};

const AmountCase kAmounts[] = {
#include "text_rmb_cases.inc"
};

TEST(RmbNumerals, WorkedExamples) {
  for (const AmountCase& c : kAmounts) {
    EXPECT_EQ(FromGbk(RmbAmountInNumerals(c.amount, true)), c.withZero) << c.amount;
    EXPECT_EQ(FromGbk(RmbAmountInNumerals(c.amount, false)), c.withoutZero) << c.amount;
  }
}

TEST(RmbNumerals, LargestAmountIsTheEdge) {
  const double largest = 99999999.99;
  EXPECT_EQ(RmbAmountInNumerals(largest, true), Gbk("玖仟玖佰玖拾玖万玖仟玖佰玖拾玖元玖角玖分"));
  EXPECT_EQ(RmbAmountInNumerals(std::nextafter(largest, 1e300), true), "****************");
}

TEST(RmbNumerals, NonNumbersAreNotPositive) {
  EXPECT_EQ(FromGbk(RmbAmountInNumerals(std::numeric_limits<double>::quiet_NaN(), true)), "[零零零]");
  EXPECT_EQ(RmbAmountInNumerals(std::numeric_limits<double>::infinity(), true), "****************");
}

}  // namespace
}  // namespace larch
