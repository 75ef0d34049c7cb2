// KVEncryptTxt1 and KVEncryptTxt2.
#include "bridge/host.h"
#include "bridge/params.h"
#include "crypto/additive_xor.h"
#include "crypto/functions.h"
#include "crypto/text_cipher_one.h"

namespace larch {

void KVEncryptTxt1(ParamBlock* block) {
  Params p(block);
  if (p.length(1) == 0) return ReturnText("");
  TextParam text = p.text(1);
  if (p.integerOr(2, 0) == 1) {
    ReturnText(EncipherTxt1(text.view()));
  } else {
    ReturnText(DecipherTxt1(text.view()));
  }
}

void KVEncryptTxt2(ParamBlock* block) {
  Params p(block);
  TextVariable variable = p.textVariable(1);
  std::string& value = variable.bytes();
  bool keyed = p.has(2);
  if (value.empty() || (keyed && p.length(2) == 0)) return;
  if (keyed) {
    TextParam key = p.text(2);
    AdditiveXor(value.data(), value.size(), key.c_str());
  } else if (value.size() >= 4) {
    AdditiveXor(value.data(), value.size(), kDefaultTxt2Key);
  }
  variable.storeUnchecked();
}

}  // namespace larch
