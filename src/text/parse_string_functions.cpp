// The PS functions: one tokenizer for the whole process, its cursor kept
// between calls.
#include "bridge/dbcs.h"
#include "bridge/host.h"
#include "bridge/params.h"
#include "text/functions.h"
#include "text/parse_string.h"

namespace larch {
namespace {

ParseStringState& Tokenizer() {
  static ParseStringState tokenizer;
  return tokenizer;
}

}  // namespace

void PSSetStringLine(ParamBlock* block) {
  Params p(block);
  if (p.length(1) == 0) return ReturnLogical(false);
  TextParam line = p.text(1);
  Tokenizer().setLine(line.view(), AnsiLeadBytes());
  ReturnLogical(true);
}

void PSSetFlagChar(ParamBlock* block) {
  Params p(block);
  if (p.length(1) == 0) return ReturnLogical(false);
  TextParam flag = p.text(1);
  Tokenizer().setDelimiter(flag.c_str()[0]);
  ReturnLogical(true);
}

void PSIsEnd(ParamBlock*) { ReturnLogical(Tokenizer().atEnd()); }
void PSGetItem(ParamBlock*) { ReturnText(Tokenizer().nextItem()); }
// Sends no result.
void PSGoToHead(ParamBlock*) { Tokenizer().rewind(); }
void PSGetRestString(ParamBlock*) { ReturnText(Tokenizer().takeRest()); }

}  // namespace larch
