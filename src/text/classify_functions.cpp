// Pinyin initials and stroke counts of GBK text.
#include "bridge/host.h"
#include "bridge/params.h"
#include "text/chinese_chars.h"
#include "text/functions.h"

namespace larch {

void KVCnCharToSpell(ParamBlock* block) {
  Params p(block);
  if (p.length(1) == 0) return ReturnText("");
  TextParam text = p.text(1);
  ReturnText(PinyinInitials(text.c_str()));
}

void KVCnCharToStroke(ParamBlock* block) {
  Params p(block);
  if (p.length(1) == 0) return ReturnText("");
  TextParam text = p.text(1);
  ReturnText(StrokeCounts(text.c_str(), p.integerOr(2, 0)));
}

}  // namespace larch
