// The PS functions: one tokenizer for the whole process, its cursor kept
// between calls.
#include "bridge/dbcs.h"
#include "bridge/host.h"
#include "bridge/params.h"
#include "text/parse_string.h"
#include "text/functions.h"

namespace larch {
namespace {

ParseStringState g_tokenizer;

}  // namespace

void PSSetStringLine(ParamBlock* block) {
  Params p(block);
  if (p.length(1) == 0) return ReturnLogical(false);
  TextParam line = p.text(1);
  g_tokenizer.SetLine(line.view(), AnsiLeadBytes());
  ReturnLogical(true);
}

void PSSetFlagChar(ParamBlock* block) {
  Params p(block);
  if (p.length(1) == 0) return ReturnLogical(false);
  TextParam flag = p.text(1);
  g_tokenizer.SetDelimiter(flag.c_str()[0]);
  ReturnLogical(true);
}

void PSIsEnd(ParamBlock*) { ReturnLogical(g_tokenizer.AtEnd()); }
void PSGetItem(ParamBlock*) { ReturnText(g_tokenizer.NextItem()); }
// Sends no result.
void PSGoToHead(ParamBlock*) { g_tokenizer.Rewind(); }
void PSGetRestString(ParamBlock*) { ReturnText(g_tokenizer.TakeRest()); }

}  // namespace larch
