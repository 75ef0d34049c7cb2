// Amounts of money in capital numerals.
#include "bridge/host.h"
#include "bridge/params.h"
#include "text/functions.h"
#include "text/rmb_numerals.h"

namespace larch {

void KVRmbNumToCnChar(ParamBlock* block) {
  Params p(block);
  ReturnText(RmbAmountInNumerals(p.number(1), p.logicalOr(2, true)));
}

}  // namespace larch
