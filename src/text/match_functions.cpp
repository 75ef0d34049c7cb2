// Wildcard search and matching, and in-place reversal of a variable. The
// matching reads the text in characters of the ANSI code page.
#include <algorithm>

#include "bridge/dbcs.h"
#include "bridge/host.h"
#include "bridge/params.h"
#include "bridge/reverse_bytes.h"
#include "text/functions.h"
#include "text/wildcard.h"

namespace larch {
namespace {

// Letter case counts only when the third parameter is given and positive.
bool CaseSensitive(const Params& p) { return p.integerOr(3, 0) > 0; }

}  // namespace

void KVFindMatchString(ParamBlock* block) {
  Params p(block);
  TextParam text = p.text(1);
  TextParam pattern = p.text(2);
  const int32_t start = std::max(0, p.integerOr(3, 0));
  ReturnInt(static_cast<int32_t>(WildcardSearch(text.c_str(), pattern.c_str(), start, AnsiLeadBytes()) + 1));
}

void KVIsMatchString(ParamBlock* block) {
  Params p(block);
  TextParam text = p.text(1);
  TextParam pattern = p.text(2);
  ReturnLogical(WildcardMatch(text.c_str(), pattern.c_str(), CaseSensitive(p), AnsiLeadBytes()));
}

void KVMultiMatchString(ParamBlock* block) {
  Params p(block);
  TextParam text = p.text(1);
  TextParam patterns = p.text(2);
  ReturnLogical(WildcardMatchList(text.c_str(), patterns.c_str(), CaseSensitive(p), AnsiLeadBytes()));
}

// Sends no result: the variable itself changes.
void KVStrRev(ParamBlock* block) {
  Params p(block);
  TextVariable variable = p.textVariable(1);
  std::string& text = variable.bytes();
  if (text.empty()) return;
  // A negative start counts as 0; from a start at or past the end nothing moves.
  const size_t start = static_cast<size_t>(std::max(0, p.integerOr(2, 0)));
  if (start < text.size()) ReverseBytes(text.data() + start, text.size() - start);
  variable.store();
}

}  // namespace larch
