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
    {0, "[零零零]", "[零零零]"},
    {-5, "[零零零]", "[零零零]"},
    {0.001, "整", "整"},
    {0.01, "壹分", "壹分"},
    {0.5, "伍角整", "伍角整"},
    {1, "壹元整", "壹元整"},
    {1.01, "壹元零壹分", "壹元零壹分"},
    {10, "壹拾元整", "壹拾元整"},
    {10.5, "壹拾元零伍角整", "壹拾元伍角整"},
    {10.05, "壹拾元零伍分", "壹拾元零伍分"},
    {100, "壹佰元整", "壹佰元整"},
    {1000.5, "壹仟元零伍角整", "壹仟元伍角整"},
    {1001, "壹仟零壹元整", "壹仟零壹元整"},
    {10001, "壹万零壹元整", "壹万零壹元整"},
    {100000, "壹拾万元整", "壹拾万元整"},
    {100000.5, "壹拾万元零伍角整", "壹拾万元伍角整"},
    {10000001, "壹仟万零壹元整", "壹仟万零壹元整"},
    {10010000, "壹仟零壹万元整", "壹仟零壹万元整"},
    {12345678.9, "壹仟贰佰叁拾肆万伍仟陆佰柒拾捌元玖角整", "壹仟贰佰叁拾肆万伍仟陆佰柒拾捌元玖角整"},
    {99999999.99, "玖仟玖佰玖拾玖万玖仟玖佰玖拾玖元玖角玖分", "玖仟玖佰玖拾玖万玖仟玖佰玖拾玖元玖角玖分"},
    {100000000, "****************", "****************"},
    // Exact halves of a fen go away from zero, never to even.
    {0.125, "壹角叁分", "壹角叁分"},
    {10.125, "壹拾元零壹角叁分", "壹拾元壹角叁分"},
    {2.675, "贰元陆角捌分", "贰元陆角捌分"},
    {0.005, "壹分", "壹分"},
    {0.0049, "整", "整"},
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
  EXPECT_EQ(FromGbk(RmbAmountInNumerals(std::numeric_limits<double>::quiet_NaN(), true)),
            "[零零零]");
  EXPECT_EQ(RmbAmountInNumerals(std::numeric_limits<double>::infinity(), true),
            "****************");
}

}  // namespace
}  // namespace larch
